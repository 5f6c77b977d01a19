// The work kept in the browser's own storage (IndexedDB), on this machine only: the pictures the
// slots hold, the fields, "Show hint" and the conversion choices. Restored when the page opens;
// "Start over" forgets it. Where the browser refuses storage, the page says so once and works as
// before.
'use strict';

const store = { db: null, timer: 0, restoring: false };

function openStore() {
  return new Promise((done) => {
    try {
      const request = indexedDB.open('orbskin', 1);
      request.onupgradeneeded = () => request.result.createObjectStore('work');
      request.onsuccess = () => done(request.result);
      request.onerror = () => done(null);
    } catch {
      done(null);
    }
  });
}

function stored(mode, act) {
  return new Promise((done) => {
    const transaction = store.db.transaction('work', mode);
    const request = act(transaction.objectStore('work'));
    transaction.oncomplete = () => done(request.result);
    transaction.onerror = transaction.onabort = () => done(undefined);
  });
}

function workNow() {
  return {
    pictures: page.slots.map((slot) => slot.file),
    notes: page.slots.map((slot) => $(`slot-${slot.index}`).querySelector('.note').textContent),
    fields: page.fields.map((field) => field.value),
    hint: page.showHint.checked,
    resize: $('resize').value,
    dither: $('dither').checked,
    background: $('background').value,
  };
}

// Keeps the work a moment after the last change, so that typing writes once.
function remember() {
  if (!store.db || store.restoring) return;
  clearTimeout(store.timer);
  store.timer = setTimeout(() => stored('readwrite', (s) => s.put(workNow(), 'current')), 200);
}

async function restoreWork() {
  store.db = await openStore();
  if (!store.db) {
    say(words.notKept);
    return;
  }
  const work = await stored('readonly', (s) => s.get('current'));
  if (!work) return;
  store.restoring = true;
  page.slots.forEach((slot, n) => {
    if (!work.pictures[n]) return;
    slot.file = work.pictures[n];
    slot.original = slot.source = null;
    slot.convertible = false;
    show(slot, verdictNow(slot), work.notes[n]);
  });
  work.fields.forEach((text, n) => (page.fields[n].value = text));
  page.showHint.checked = work.hint;
  $('resize').value = work.resize;
  $('dither').checked = work.dither;
  $('background').value = work.background;
  store.restoring = false;
  drawSketch();
  say(words.restored);
}

// Everything back as the page first opens, and nothing kept.
function startOver() {
  for (const slot of page.slots) clear(slot);
  page.fields.forEach((field, n) => {
    field.value = page.T.fields[n].start;
    field.removeAttribute('aria-invalid');
  });
  page.showHint.checked = page.T.hintStarts;
  $('resize').value = '0';
  $('dither').checked = false;
  $('background').value = '#000000';
  tell('', '');
  $('built').hidden = true;
  drawSketch();
  if (store.db) stored('readwrite', (s) => s.delete('current'));
  say(words.startedOver);
}
