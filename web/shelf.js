// Where the work is kept, on this machine only, apart from the rules of what is written when
// (storage.js): the browser's IndexedDB, whose list of what the page holds ('manifest') is read
// and written back in one transaction, and a small record beside it in local storage.
'use strict';
/* exported shelf */

const shelf = (() => {
  let db = null;

  // Settles as true once open; as the refusal, where the disk is full; as null where the browser
  // keeps nothing for this page (its way with pages on disk).
  function open() {
    return new Promise((done) => {
      try {
        const request = indexedDB.open('orbskin', 2);
        request.onupgradeneeded = () => {
          if (request.result.objectStoreNames.contains('work')) request.result.deleteObjectStore('work');
          request.result.createObjectStore('work');
        };
        request.onsuccess = () => done(Boolean((db = request.result)));
        request.onerror = () => done(request.error && request.error.name === 'QuotaExceededError' ? request.error : null);
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

  // The list as storage holds it now, handed to `change`, which alters it; written back in the
  // same transaction, so that no other tab writes in between. Settles with what `change` returned.
  function announce(change) {
    let answer, thrown;
    return transaction('readwrite', (s) => {
      s.get('manifest').onsuccess = ({ target }) => {
        const list = target.result || { slots: [], settings: '' };
        answer = change(list);
        try {
          s.put(list, 'manifest');
        } catch (failure) {
          thrown = failure;
          s.transaction.abort();
        }
      };
    }).then(() => answer, (failure) => Promise.reject(thrown || failure));
  }

  // The record in local storage, read afresh each time, as every tab of the page shares it:
  // what this tab holds, slot by slot, as its last change's mark (`held`); what the browser
  // refused to write, and has not written since (`refused`); the settings not yet written as the
  // page closed (`pending`); whether "Start over" is still to be carried out in storage; and the
  // boxes an opening said had not come back, as the marks they were written again under, and
  // whether each came back older (`notBack`). Where local storage is refused, the work's own list
  // says what it can.
  const kNotes = 'orbskin-notes';
  const empty = () => ({ held: {}, refused: [], pending: null, startingOver: false, notBack: {} });
  // What a page from before this one left under keys of their own, taken in once.
  const kOld = { held: 'orbskin-held', refused: 'orbskin-refused', pending: 'orbskin-settings-not-yet-kept',
                 startingOver: 'orbskin-starting-over' };
  const local = {
    get(key) {
      try {
        return JSON.parse(localStorage.getItem(key));
      } catch {
        return null;
      }
    },
    set(key, value) {
      try {
        if (value === null) localStorage.removeItem(key);
        else localStorage.setItem(key, JSON.stringify(value));
      } catch {
        // refused: see above
      }
    },
  };

  function notes() {
    const now = { ...empty(), ...local.get(kNotes) };
    const old = Object.entries(kOld).filter(([, key]) => local.get(key) !== null);
    if (!old.length) return now;
    // Such a page's "Start over" forgot what it held, by removing its key.
    if (local.get(kOld.startingOver)) now.held = {};
    for (const [field, key] of old) now[field] = local.get(key);
    local.set(kNotes, now);
    for (const [, key] of old) local.set(key, null);
    return now;
  }

  return {
    open, transaction, announce, notes,
    ready: () => Boolean(db),
    // `change` alters the record as it is now.
    note(change) {
      const now = notes();
      change(now);
      local.set(kNotes, now);
    },
    empty,
  };
})();
