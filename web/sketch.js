// The placement sketch: the six icons over the main screen, by their X, Y fields.
'use strict';
/* exported sketch */

const sketch = (() => {
  const sketchIcons = [];
  // The icons' names in the sketch, by the picture each is: the page's words, which the window's
  // captions are not.
  const iconNames = { 'movie.bmp': words.laterIn('menu label', 'Movie'), 'music.bmp': words.laterIn('menu label', 'Music'), 'image.bmp': words.laterIn('menu label', 'Image'),
                      'game.bmp': words.laterIn('menu label', 'Game'), 'ebook.bmp': words.laterIn('menu label', 'Ebook'), 'option.bmp': words.laterIn('menu label', 'Setup') };

  function buildSketch() {
    const { T } = page;
    const area = $('sketch');
    const screen = T.pictures[0];
    T.groups.forEach((group, g) => {
      const index = T.pictures.findIndex((picture) => picture.name === group.places);
      if (index < 0) return;
      const icon = T.pictures[index];
      const [x, y] = T.fields.flatMap((field, n) => (field.group === g ? [n] : []));
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'icon';
      button.innerHTML = '<img alt=""><span></span>';
      const entry = { button, x, y, index, name: iconNames[group.places] };
      button.style.width = `${(100 * icon.width) / screen.width}%`;
      button.style.height = `${(100 * icon.height) / screen.height}%`;
      button.addEventListener('keydown', (event) => {
        const step = event.shiftKey ? 8 : 1;
        const moves = { ArrowLeft: [-step, 0], ArrowRight: [step, 0], ArrowUp: [0, -step], ArrowDown: [0, step] };
        if (!moves[event.key]) return;
        event.preventDefault();
        move(entry, position(entry).x + moves[event.key][0], position(entry).y + moves[event.key][1]);
      });
      button.addEventListener('pointerdown', (event) => {
        event.preventDefault();
        button.focus();
        button.setPointerCapture(event.pointerId);
        const scale = area.getBoundingClientRect().width / screen.width;
        const start = { x: event.clientX, y: event.clientY, at: position(entry) };
        const follow = (moved) =>
          move(entry, start.at.x + Math.round((moved.clientX - start.x) / scale),
               start.at.y + Math.round((moved.clientY - start.y) / scale));
        button.addEventListener('pointermove', follow);
        button.addEventListener('pointerup', () => button.removeEventListener('pointermove', follow), { once: true });
      });
      sketchIcons.push(entry);
      area.append(button);
    });
    sayIconNames();
  }


  // Where an icon is drawn, as its fields say (see settings.shown).
  function position(entry) {
    return { x: settings.shown(entry.x), y: settings.shown(entry.y) };
  }

  function move(entry, x, y) {
    const byte = (v) => String(Math.min(255, Math.max(0, v)));
    settings.set({ fields: { [entry.x]: byte(x), [entry.y]: byte(y) } });
  }

  // Sample lines of text in each colour over its picture, where the positions put them: a sketch,
  // in the page's font, of what the handheld draws in its own.
  function drawTextSketch(id, slot, lines, left, top) {
    const panel = $(id);
    const image = panel.querySelector('img');
    const url = showOn(image, slot.index);
    const { width, height } = slot.picture;
    // Lines over no picture would say nothing of how they read.
    panel.replaceChildren(image, ...(url ? lines : []).map(([text, colour], n) => {
      const line = document.createElement('span');
      line.textContent = text;
      line.style.left = `${(100 * left) / width}%`;
      line.style.top = `${(100 * (top + n * page.T.samples.lineHeight)) / height}%`;
      line.style.color = colour;
      return line;
    }));
  }

  function colourOf(g) {
    const values = page.T.fields.flatMap((field, n) => (field.group === g ? [settings.shown(n)] : []));
    return `rgb(${values.join(',')})`;
  }

  // The picture a slot's box shows, in `image`: the same object URL, so nothing is decoded again.
  function showOn(image, index) {
    const url = slots.shown(index);
    image.hidden = !url;
    if (url && image.getAttribute('src') !== url) image.src = url;
    return url;
  }

  function sayIconNames() {
    for (const { button, name } of sketchIcons) {
      button.setAttribute('aria-label', words('{icon} icon', { icon: words(name) }));
      button.querySelector('span').textContent = words(name);
    }
  }

  function drawSketch() {
    colours.draw();
    const groupOf = (caption) => page.T.groups.findIndex((group) => group.caption === caption);
    const list = groupOf('List position');
    const [x, y] = page.T.fields.flatMap((field, n) => (field.group === list ? [settings.shown(n)] : []));
    const { samples } = page.T;
    // In the page's language where the catalogue has the line.
    const lines = (rows) => rows.map((line) => [words(line.text), colourOf(line.group)]);
    const slotUnder = (g) => page.slots[page.T.pictures.findIndex((p) => p.name === page.T.groups[g].drawnOver)];
    drawTextSketch('sketch-list', slotUnder(0), lines(samples.list), x, y);
    drawTextSketch('sketch-ebook', slotUnder(2), lines(samples.ebook), samples.ebookAt, samples.ebookAt);
    const { width, height } = page.T.pictures[0];
    showOn($('sketch-screen'), 0);
    for (const entry of sketchIcons) {
      const at = position(entry);
      entry.button.style.left = `${(100 * at.x) / width}%`;
      entry.button.style.top = `${(100 * at.y) / height}%`;
      entry.button.title = words('{name}: {what}', { name: entry.button.getAttribute('aria-label'), what: `X ${at.x}, Y ${at.y}` });
      showOn(entry.button.querySelector('img'), entry.index);
    }
  }

  return { build: buildSketch, sayIconNames, draw: drawSketch };
})();
