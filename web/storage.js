// The work kept in the browser's own storage (IndexedDB), on this machine only: each slot's record
// (with the file as chosen, so that a conversion cut short is done again), the fields, "Show
// hint" and the choices. A save counts only once its transaction completes. A list of what the
// page holds is written before the work itself, so that a reload tells what came back from what
// was lost. Where the browser refuses storage, the page says so once and works as before.
'use strict';

const store = (() => {
  const kSettings = 'settings';
  const keyOf = (index) => `slot-${index}`;
  let db = null;
  let timer = 0;
  let paused = true; // while restoring or starting over
  let failing = false;
  let queue = Promise.resolve();
  const dirty = new Set();
  // The mark of each key's newest change, as the page holds it; what storage holds carries its own.
  const marks = { slots: [], settings: '' };
  let counter = 0;
  const newMark = () => `${performance.timeOrigin}:${(counter += 1)}`;

  function open() {
    return new Promise((done) => {
      try {
        const request = indexedDB.open('orbskin', 2);
        request.onupgradeneeded = () => {
          if (request.result.objectStoreNames.contains('work')) request.result.deleteObjectStore('work');
          request.result.createObjectStore('work');
        };
        request.onsuccess = () => done(request.result);
        request.onerror = () => done(null);
      } catch {
        done(null);
      }
    });
  }

  // Settles once the transaction completes, with what `act` asked for; fails with its error.
  function transaction(mode, act) {
    return new Promise((done, fail) => {
      const t = db.transaction('work', mode);
      let asked;
      t.oncomplete = () => done(asked && (Array.isArray(asked) ? asked.map((r) => r.result) : asked.result));
      t.onabort = () => fail(t.error || new DOMException('the write was abandoned', 'AbortError'));
      try {
        asked = act(t.objectStore('work'));
      } catch (failure) {
        t.onabort = null;
        try { t.abort(); } catch { /* already ended */ }
        fail(failure);
      }
    });
  }

  function settingsNow() {
    return { fields: page.fields.map((field) => field.value), hint: page.showHint.checked,
             resize: $('resize').value, dither: $('dither').checked, background: $('background').value,
             language: language.code() };
  }

  // A record as stored: the file's bytes rather than its Blob, which some engines refuse to
  // store for a page opened from disk.
  async function keptRecord(index) {
    const record = state.get(index);
    if (!record.file) return { mark: marks.slots[index], record };
    const data = await record.file.blob.arrayBuffer();
    return { mark: marks.slots[index], record: { ...record, file: { name: record.file.name, data } } };
  }

  async function save() {
    const keys = [...dirty];
    dirty.clear();
    if (!keys.length) return;
    try {
      const entries = await Promise.all(keys.map((key) => (key === kSettings
        ? { key, value: { mark: marks.settings, settings: settingsNow() } }
        : keptRecord(key).then((value) => ({ key: keyOf(key), value })))));
      await transaction('readwrite', (s) => s.put({ slots: marks.slots.slice(), settings: marks.settings }, 'manifest'));
      await transaction('readwrite', (s) => entries.forEach(({ key, value }) => s.put(value, key)));
      if (failing) tell(null);
      failing = false;
    } catch (failure) {
      for (const key of keys) dirty.add(key); // tried again with the next change
      if (!failing) refused(failure);
      failing = true;
    }
  }

  function tell(producer) {
    show('kept-message', producer || null);
  }

  function refused(failure) {
    const why = `${failure.name}: ${failure.message}`;
    tell(() => phrases.notKeptNow(why));
  }

  function schedule(key, now) {
    if (!db || paused) return;
    if (key === kSettings) marks.settings = newMark();
    else marks.slots[key] = newMark();
    dirty.add(key);
    clearTimeout(timer);
    // A picture is written at once, so that a reload finds what is converting; typing, once it pauses.
    if (now) queue = queue.then(save);
    else timer = setTimeout(() => (queue = queue.then(save)), 300);
  }

  function applySettings(kept) {
    kept.fields.forEach((text, n) => (page.fields[n].value = text));
    page.showHint.checked = kept.hint;
    $('resize').value = kept.resize;
    $('dither').checked = kept.dither;
    $('background').value = kept.background;
    if (kept.language) chooseLanguage(kept.language);
  }

  // What came back, slot by slot; a conversion cut short is converted again.
  function bring(index, kept) {
    marks.slots[index] = kept.mark;
    const { file } = kept.record;
    if (file) kept.record.file = { name: file.name, blob: new File([file.data], file.name) };
    if (kept.record.kind === 'converting') slots.fill(index, kept.record.file, kept.record.choices);
    else state.set(index, kept.record);
  }

  async function restore() {
    db = await open();
    if (!db) return tell(phrases.notKept);
    const keys = ['manifest', kSettings, ...page.slots.map(({ index }) => keyOf(index))];
    let found;
    try {
      found = await transaction('readonly', (s) => keys.map((key) => s.get(key)));
    } catch (failure) {
      paused = false;
      return refused(failure);
    }
    const [manifest, settings, ...kept] = found;
    page.slots.forEach(({ index }) => (marks.slots[index] = ''));
    const missing = [];
    if (manifest) {
      if (settings && settings.mark === manifest.settings) {
        marks.settings = settings.mark;
        applySettings(settings.settings);
      }
      else if (manifest.settings) missing.push(kSettings);
      kept.forEach((entry, index) => {
        if (entry && entry.mark === manifest.slots[index]) bring(index, entry);
        else if (manifest.slots[index]) missing.push(index);
      });
    }
    paused = false;
    if (!manifest || (!manifest.settings && !manifest.slots.some(Boolean))) return;
    // What did not come back is written as the page now holds it, so that the next reload agrees.
    missing.forEach((key) => schedule(key, true));
    const total = (manifest.settings ? 1 : 0) + manifest.slots.filter(Boolean).length;
    const names = () => missing.map((key) => (key === kSettings ? phrases.theSettings() : page.slots[key].picture.name));
    tell(missing.length ? () => phrases.partlyRestored(names(), missing.length < total) : phrases.restored);
  }

  // Nothing kept, and nothing that was about to be.
  function forget() {
    clearTimeout(timer);
    dirty.clear();
    marks.settings = '';
    marks.slots.fill('');
    if (!db) return Promise.resolve();
    queue = queue.then(() => transaction('readwrite', (s) => s.clear())).catch(refused);
    return queue;
  }

  return {
    restore, forget,
    slotChanged: (index) => schedule(index, true),
    settingsChanged: () => schedule(kSettings, false),
    pause: (on) => (paused = on),
    // Whatever is still to be written, before the page goes.
    flush: () => {
      if (!dirty.size) return;
      clearTimeout(timer);
      queue = queue.then(save);
    },
    saved: () => queue,
  };
})();

// Everything back as the page first opens, and nothing kept.
function startOver() {
  store.pause(true);
  for (const { index } of page.slots) state.set(index, { kind: 'empty' });
  page.fields.forEach((field, n) => {
    field.value = page.T.fields[n].start;
    field.removeAttribute('aria-invalid');
  });
  page.showHint.checked = page.T.hintStarts;
  $('resize').value = '0';
  $('dither').checked = false;
  $('background').value = '#000000';
  state.touched();
  tell('', '');
  $('built').hidden = true;
  show('line-message', null);
  drawSketch();
  commandLine.update();
  const forgotten = store.forget();
  store.pause(false);
  say(phrases.startedOver);
  return forgotten;
}
