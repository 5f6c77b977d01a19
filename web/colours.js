// Each text colour's swatch and picker, kept in step with its three fields both ways, and its
// contrast over the picture its text is drawn on, in the core's words.
'use strict';
/* exported colours */

const colours = (() => {
  const colourGroups = [];

  function hex(values) {
    return `#${values.map((v) => v.toString(16).padStart(2, '0')).join('')}`;
  }

  function buildColours() {
    const { T } = page;
    T.groups.forEach((group, g) => {
      if (!group.colour) return;
      const frame = document.querySelector(`#Form1 fieldset[data-group="${g}"]`);
      const fields = T.fields.flatMap((field, n) => (field.group === g ? [n] : []));
      const row = document.createElement('div');
      row.className = 'colour';
      row.innerHTML = '<span class="swatch" aria-hidden="true"></span>' +
        '<input type="color"><span class="ratio"></span>';
      const note = document.createElement('p');
      note.className = 'contrast-warning';
      note.setAttribute('role', 'status');
      frame.append(row, note);
      const entry = { g, fields, swatch: row.querySelector('.swatch'), picker: row.querySelector('input'),
                      ratio: row.querySelector('.ratio'), note };
      entry.picker.addEventListener('input', () => {
        const value = entry.picker.value;
        settings.set({ fields: Object.fromEntries(fields.map((n, c) => [n, String(parseInt(value.slice(1 + 2 * c, 3 + 2 * c), 16))])) });
      });
      colourGroups.push(entry);
    });
    sayColourLabels();
  }

  function sayColourLabels() {
    for (const entry of colourGroups) entry.picker.setAttribute('aria-label', words('{group} picker', { group: page.T.groups[entry.g].caption }));
  }

  // The swatches and pickers from the fields (see settings.shown), and the contrast figures from
  // the core.
  function drawColours() {
    const { core } = page;
    for (const entry of colourGroups) {
      const values = entry.fields.map(settings.shown);
      entry.swatch.style.background = entry.picker.value = hex(values);
    }
    const figures = core.readability(settings.texts()).figures || [];
    for (const entry of colourGroups) {
      const figure = figures.find((f) => f.group === entry.g);
      entry.ratio.textContent = figure ? figure.ratio : '';
      entry.ratio.className = `ratio${figure && !figure.readable ? ' bad' : ''}`;
      entry.note.textContent = figure && !figure.readable ? figure.warning : '';
    }
  }

  return { build: buildColours, sayLabels: sayColourLabels, draw: drawColours };
})();
