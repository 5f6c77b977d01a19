// The page's state, in this one file. Each picture's slot is exactly one record:
//   {kind: 'empty'}
//   {kind: 'converting', file, choices}                  while a worker converts the file
//   {kind: 'ready', bytes, file, choices, origin, ...}    bytes: what the skin holds
//   {kind: 'refused', message, file, choices, ways?}      what "Just Go!" reports as pack would
// where file is {name, blob} as chosen and choices {resize, dither, background}. The box, "Just
// Go!", the sketch, the preview sheet and storage all read these records, and a record changes
// only through state.set, which tells every watcher. The settings (the fields' texts and "Show
// hint") are one record too, below, changed only through settings.set.
/* exported page, $, state, settings */
'use strict';

const page = { core: null, T: null, slots: [], fields: [], showHint: null, built: null, timings: {} };
const $ = (id) => document.getElementById(id);

const state = (() => {
  const records = [];
  const turns = [];
  const watchers = [];
  let version = 0; // of everything a skin is built from: any slot, field or "Show hint"
  let settled = [];

  // Each watcher is told the slot's new record, and the one it replaced.
  function tell(index, record, before) {
    for (const watcher of watchers) watcher(index, record, before);
    if (!records.some((r) => r.kind === 'converting')) {
      for (const done of settled) done();
      settled = [];
    }
  }

  return {
    start(count) {
      for (let n = 0; n < count; ++n) {
        records.push(Object.freeze({ kind: 'empty' }));
        turns.push(0);
      }
    },
    get: (index) => records[index],
    all: () => records.slice(),
    // Gives the slot its new record; returns the turn that a late result must still match.
    set(index, record) {
      const before = records[index];
      records[index] = Object.freeze(record);
      turns[index] += 1;
      version += 1;
      tell(index, records[index], before);
      return turns[index];
    },
    current: (index, turn) => turns[index] === turn,
    watch: (watcher) => watchers.push(watcher),
    // A field or "Show hint" changed: what a skin is built from is new.
    touched: () => (version += 1),
    version: () => version,
    converting: () => records.flatMap((r, n) => (r.kind === 'converting' ? [n] : [])),
    // Settles once no slot is converting.
    idle: () => new Promise((done) => (records.some((r) => r.kind === 'converting') ? settled.push(done) : done())),
  };
})();

// The fields' texts, "Show hint" and the choices above the slots for the next conversion
// ({resize, dither, background}): whoever changes them (typing, a picker, a dragged icon, a
// pasted line, an opened skin, what comes back, "Start over") says so here, and the form, the
// sketch, the pack line and storage follow as watchers.
const settings = (() => {
  let texts = [];
  let starting = [];
  let hint = false;
  let choices = { resize: 0, dither: 0, background: 0 };
  const watchers = [];
  return {
    start(startingTexts, hintStarts) {
      starting = startingTexts.slice();
      texts = starting.slice();
      hint = hintStarts;
    },
    texts: () => texts.slice(),
    hint: () => hint,
    choices: () => ({ ...choices }),
    // Field n's byte by the core's own rule; null for a text that stands for none.
    byte(n) {
      const value = page.core.byte(texts[n]);
      return value >= 0 ? value : null;
    },
    // The byte the swatches and the sketch show for field n: its own, or where its text stands for
    // none, its starting one, so that what they show follows from the fields alone.
    shown(n) {
      const value = page.core.byte(texts[n]);
      return value >= 0 ? value : page.core.byte(starting[n]);
    },
    // `changes`: {texts} for every field, {fields: {n: text}} for some, {hint}, {choices} for
    // some of them. Each watcher is told which fields were set.
    set(changes) {
      const set = changes.texts ? texts.map((_, n) => n) : Object.keys(changes.fields || {}).map(Number);
      if (changes.texts) texts = changes.texts.slice();
      for (const n of set) if (changes.fields) texts[n] = changes.fields[n];
      if ('hint' in changes) hint = changes.hint;
      choices = { ...choices, ...changes.choices };
      state.touched();
      for (const watcher of watchers) watcher(set);
    },
    watch: (watcher) => watchers.push(watcher),
  };
})();
