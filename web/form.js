// The settings, in the window's groups, captions, starting texts and Tab order, and "Just Go!".
'use strict';
/* exported form */

const form = (() => {
  // Puts an element in its cell of the window's grid, as the core gives it.
  function place(element, cell) {
    element.style.gridColumn = `${cell.column + 1}`;
    element.style.gridRow = `${cell.row + 1}`;
  }

  function buildForm() {
    const { T } = page;
    const form = $('Form1');
    const groups = T.groups.map((group, g) => {
      const frame = document.createElement('fieldset');
      frame.className = 'group';
      place(frame, group.cell);
      frame.innerHTML = `<legend>${group.caption}</legend>`;
      frame.dataset.group = g;
      return frame;
    });
    const button = document.createElement('button');
    button.type = 'submit';
    button.id = 'Command3';
    button.textContent = T.button;
    const check = document.createElement('label');
    check.className = 'check';
    check.innerHTML = `<input type="checkbox" id="Check1"> ${T.check}`;
    page.showHint = check.querySelector('input');
    page.showHint.checked = T.hintStarts;
    page.showHint.addEventListener('change', () => settings.set({ hint: page.showHint.checked }));
    place(check, T.checkCell);
    place(button, T.buttonCell);
    // On the page the Tab order follows what is seen: the groups in reading order, each field
    // top to bottom, then "Show hint", then "Just Go!".
    form.append(...groups);
    T.fields.forEach((field, n) => {
      const row = document.createElement('label');
      row.className = 'field';
      row.id = `Label${field.labelNumber}`;
      const input = document.createElement('input');
      input.id = `Text${n + 1}`;
      input.value = field.start;
      input.inputMode = 'numeric';
      input.setAttribute('aria-label', `${T.groups[field.group].caption} ${field.label.replace(':', '')}`);
      input.addEventListener('input', () => settings.set({ fields: { [n]: input.value } }));
      row.append(field.label, input);
      page.fields[n] = input;
      groups[field.group].append(row);
    });
    form.append(check, button);
    form.addEventListener('submit', (event) => {
      event.preventDefault();
      justGo();
    });
  }

  function download(bytes, name, type) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([bytes], { type }));
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  // The settings as they are now, in the fields and "Show hint"; a field that was set is no
  // longer marked, and a run of "Just Go!" is forgotten.
  function show(set) {
    for (const n of set) {
      const text = settings.texts()[n];
      if (page.fields[n].value !== text) page.fields[n].value = text;
      page.fields[n].removeAttribute('aria-invalid');
    }
    page.showHint.checked = settings.hint();
    const { resize, dither, background } = settings.choices();
    $('resize').value = String(resize);
    $('dither').checked = Boolean(dither);
    $('background').value = `#${background.toString(16).padStart(6, '0')}`;
    forgetRun();
  }

  // The core holds what each slot's record packs, handed over when the record changes and never
  // again: a refused file by its length alone, as a run in a folder would judge it.
  function mirror(index, record) {
    const { core } = page;
    if (record.kind === 'ready') core.setPicture(index, record.bytes);
    else if (record.kind === 'refused') core.setRefused(index, record.file.blob.size);
    else core.setPicture(index, null);
  }

  // The core's run of "Just Go!", from what the records hold once none is converting.
  function build() {
    return page.core.build({ texts: settings.texts(), showHint: settings.hint() });
  }

  // Points at what a failed run names: its field, or its picture's slot, in view and focused.
  function mark(run) {
    const target = run.field >= 0 ? page.fields[run.field]
      : run.picture >= 0 ? $(`slot-${run.picture}`) : null;
    if (!target) return;
    if (run.field >= 0) target.setAttribute('aria-invalid', 'true');
    else target.classList.add('invalid');
    target.scrollIntoView({ block: 'center' });
    target.focus();
  }

  function unmark() {
    for (const field of page.fields) field.removeAttribute('aria-invalid');
    for (const item of document.querySelectorAll('.slot.invalid')) item.classList.remove('invalid');
  }

  // The outcome region: a text that is not ours (a failure nothing foresaw), or none.
  function tell(text, kind) {
    shown.run = null;
    words.show('message', text ? () => text : null, `message ${kind}`);
    words.show('meaning', null);
  }

  // Conversions still running are waited for, so that the skin holds what the slots will show,
  // never a picture they are about to replace. A press while a run waits or builds adds nothing,
  // and so does a second press of a double click: one skin, one download.
  const runs = { running: false, last: null };
  async function justGo() {
    const pressed = performance.now();
    const { last } = runs;
    if (runs.running || (last && last.version === state.version() && pressed - last.at < 1500)) return;
    runs.running = true;
    $('Command3').setAttribute('aria-busy', 'true');
    try {
      for (let busy = state.converting(); busy.length; busy = state.converting()) {
        const names = busy.map((index) => page.slots[index].picture.name);
        words.show('message', () => phrases.waiting(names), 'message busy');
        await state.idle();
      }
      finishRun(build(), pressed);
    } finally {
      runs.running = false;
      $('Command3').removeAttribute('aria-busy');
    }
  }

  // The run shown, so that a new language says it again: the core asked again while nothing it
  // was built from has changed, as it was otherwise.
  const shown = { run: null };

  function finishRun(run, pressed) {
    unmark();
    if (run.finished) {
      page.timings.justGo = performance.now() - pressed;
      page.built = run.bytes;
      runs.last = { version: state.version(), at: performance.now() };
      download(run.bytes, page.T.skinName, 'application/octet-stream');
    }
    const missing = run.picture >= 0 && state.get(run.picture).kind === 'empty';
    shown.run = { run, version: state.version(), missing };
    sayRun(run);
    if (!run.finished) mark(run);
  }

  // A run's outcome, and "Download again" with it, go once anything it was built from changes: the
  // page never offers a skin other than the one it shows.
  function forgetRun() {
    if (runs.running || !shown.run || shown.run.version === state.version()) return;
    tell('', '');
    $('built').hidden = true;
    $('warnings').replaceChildren();
  }

  function sayRun(run) {
    const { missing } = shown.run;
    words.show('message', () => run.message, `message ${run.finished ? 'good' : 'bad'}`);
    words.show('meaning', () => meaning(run, missing), 'message');
    $('built').hidden = !run.finished;
    if (run.finished) $('built-file').textContent = phrases.built(page.T.skinName, run.bytes.length);
    $('warnings').replaceChildren(...(run.warnings || []).map((text) => {
      const item = document.createElement('li');
      item.textContent = phrases.warning(text);
      return item;
    }));
  }

  function sayRunAgain() {
    if (shown.run) sayRun(state.version() === shown.run.version ? build() : shown.run.run);
  }

  // What pack's own message means, in the page's language, and what to do; none for the others.
  function meaning(run, missing) {
    if (run.finished) return phrases.finished(page.T.skinName);
    if (run.picture < 0) return '';
    const { picture } = page.slots[run.picture];
    if (missing) return phrases.notFound(picture.name);
    const { verdict } = state.get(run.picture);
    return phrases.wrongLength(picture, slots.offered(run.picture), Boolean(verdict && verdict.arithmetic));
  }

  return { build: buildForm, download, show, mirror, run: build, tell, forgetRun, sayRunAgain, meaning };
})();
