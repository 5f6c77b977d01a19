// The work kept in the browser's own storage (IndexedDB), on this machine only: each slot's record
// (with the file as chosen, so that a conversion cut short is done again), the fields, "Show
// hint" and the choices. A save counts only once its transaction completes. A list of what the
// page holds is written before the work itself, so that a reload tells what came back from what
// was lost, and what another tab of the page changed meanwhile is left to it. Where the browser
// refuses storage, the page says so, once for each state of what is not kept, and works as before.
'use strict';
/* exported store */

const store = (() => {
  const kSettings = 'settings';
  const keyOf = (index) => `slot-${index}`;
  let db = null;
  let timer = 0;
  let paused = true; // while restoring or starting over
  let said = ''; // what the page last said is not kept, and why; nothing while all is kept
  let queue = Promise.resolve();
  const dirty = new Set();
  const writing = new Set(); // what a save has taken to write, not yet kept
  // The mark of each key's newest change, as the page holds it; what storage holds carries its own.
  const marks = { slots: [], settings: '' };
  let counter = 0;
  const newMark = () => `${performance.timeOrigin}:${(counter += 1)}`;
  // Each key's mark as the list in storage held it when this tab last read or wrote it: another
  // mark there is another tab's change since.
  const seen = { slots: [], settings: '' };
  const markIn = (list, key) => (key === kSettings ? list.settings : list.slots[key]) || '';
  const storeKey = (key) => (key === kSettings ? kSettings : keyOf(key));
  const taken = new Set(); // keys another tab changed, which this one no longer writes
  const stored = new Set(); // keys whose last write this tab made was kept

  // Small records beside the work, in local storage: each read as JSON (null where there is none
  // or it cannot be read), written or removed where the browser lets the page. Where it does not,
  // the work's own list says what it can.
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
        localStorage.setItem(key, JSON.stringify(value));
      } catch {
        // refused: see above
      }
    },
    remove(key) {
      try {
        localStorage.removeItem(key);
      } catch {
        // nothing there the page may remove
      }
    },
  };

  function open() {
    return new Promise((done) => {
      try {
        const request = indexedDB.open('orbskin', 2);
        request.onupgradeneeded = () => {
          if (request.result.objectStoreNames.contains('work')) request.result.deleteObjectStore('work');
          request.result.createObjectStore('work');
        };
        request.onsuccess = () => done(request.result);
        // A full disk is said as such; any other refusal is this browser's way with pages on disk.
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

  // The choices as kept since they were first kept: as the elements held them.
  const keptChoices = ({ resize, dither, background }) =>
    ({ resize: String(resize), dither: Boolean(dither), background: `#${background.toString(16).padStart(6, '0')}` });

  function settingsNow() {
    return { fields: settings.texts(), hint: settings.hint(),
             ...keptChoices(settings.choices()),
             language: language.code() };
  }

  // A record as stored: the file's bytes rather than its Blob, which some engines refuse to
  // store for a page opened from disk; of a file too large to convert, only what the page reads
  // of it, its length and its head.
  async function keptRecord(index) {
    const record = state.get(index), mark = marks.slots[index]; // as one: the read may take a while
    if (!record.file) return { mark, record };
    const { name, blob } = record.file;
    // A file that changed or went away since it was chosen cannot be kept; that is not storage's fault.
    const read = (part) => part.arrayBuffer().catch(() => Promise.reject(Object.assign(new Error(name), { unread: true })));
    const file = blob.size > page.T.largestFile
      ? { name, size: blob.size, head: await read(blob.slice(0, page.T.headLength)) }
      : { name, data: await read(blob) };
    return { mark, record: { ...record, file } };
  }

  // Writes the list of what this tab holds, with `marks` for `keys`, in one transaction with the
  // look at what the list holds now: a key another tab changed since is left to that tab.
  function announce(keys, marksNow) {
    return new Promise((done, fail) => {
      const t = db.transaction('work', 'readwrite');
      const s = t.objectStore('work');
      let theirs = [];
      t.oncomplete = () => done(theirs);
      t.onabort = () => fail(t.error || new DOMException('the write was abandoned', 'AbortError'));
      const request = s.get('manifest');
      request.onsuccess = () => {
        const stored = request.result || { slots: [], settings: '' };
        const list = { slots: stored.slots.slice(), settings: stored.settings };
        theirs = keys.filter((key) => taken.has(key) || markIn(stored, key) !== markIn(seen, key));
        for (const key of keys.filter((k) => !theirs.includes(k))) {
          if (key === kSettings) list.settings = marksNow.settings;
          else list.slots[key] = marksNow.slots[key];
        }
        try {
          s.put(list, 'manifest');
        } catch (failure) {
          t.abort();
          fail(failure);
        }
      };
    });
  }

  // The list now says `keys` are as `marksNow` marks them.
  function seenNow(keys, marksNow) {
    for (const key of keys) {
      if (key === kSettings) seen.settings = marksNow.settings;
      else seen.slots[key] = marksNow.slots[key];
    }
  }

  // After a refused save, what storage holds of `keys` is older than the page: it goes, and the
  // list says they changed, so that a reload names them as not kept rather than as back.
  async function markLost(keys, marksNow) {
    local.set(kRefused, [...new Set([...refusedKeys(), ...keys])]);
    try {
      await transaction('readwrite', (s) => keys.forEach((key) => s.delete(storeKey(key))));
      seenNow(await announce(keys, marksNow).then((theirs) => keys.filter((k) => !theirs.includes(k))), marksNow);
    } catch {
      // the browser refuses even that; what it keeps stays as it was
    }
  }

  const currentMarks = () => ({ slots: marks.slots.slice(), settings: marks.settings });

  // Writes `key` as the page holds it now, after the list; fails as the browser does.
  async function write(key) {
    const now = currentMarks();
    const value = key === kSettings ? { mark: now.settings, settings: settingsNow() } : await keptRecord(key);
    const [theirs] = await announce([key], now);
    if (theirs !== undefined) {
      taken.add(key);
      return hold(key, '');
    }
    seenNow([key], now);
    stored.delete(key);
    await transaction('readwrite', (s) => s.put(value, storeKey(key)));
    stored.add(key);
    if (refusedKeys().includes(key)) local.set(kRefused, refusedKeys().filter((k) => k !== key));
  }

  // How much of a file `key` keeps, so that what is small is kept first.
  const sizeOf = (key) => (key === kSettings || !state.get(key).file ? 0 : state.get(key).file.blob.size);

  async function save() {
    const keys = [...dirty].filter((key) => !taken.has(key));
    dirty.clear();
    if (!keys.length) return;
    const failures = [];
    // Each key alone, the smallest first: one the browser refuses (a picture too large for what
    // is left) loses only itself, a dozen large files are not copied into storage in one go, which
    // would hold the page, and a reload soon after finds the most kept.
    keys.forEach((key) => writing.add(key));
    for (const key of keys.sort((a, b) => sizeOf(a) - sizeOf(b))) {
      await write(key).catch((failure) => failures.push([key, failure]));
      writing.delete(key);
    }
    if (!failures.length) {
      if (taken.size) tell(() => phrases.otherTab(names([...taken])));
      else if (said) tell(null);
      said = '';
      return;
    }
    // Every key not kept was tried in this save: what failed is all that is not kept now.
    const lost = failures.map(([key]) => key);
    for (const key of lost) dirty.add(key); // tried again with the next change
    await markLost(lost, currentMarks());
    // An empty box not written loses nothing of the work, and leaves what a reload said.
    const work = lost.filter(holdsWork).sort(inOrder);
    if (!work.length) return;
    const refusal = failures.find(([, failure]) => !(failure && failure.unread));
    const part = keptBesides(lost) ? work : null;
    const now = JSON.stringify([refusal ? refusal[1] && refusal[1].name : 'unread', part]);
    if (now === said) return; // said already: a refusal goes on as each change is written
    said = now;
    if (!refusal) tell(() => phrases.fileNotKept(names(work)));
    else refused(refusal[1], part);
  }

  const holdsWork = (key) => (key === kSettings ? Boolean(marks.settings) : state.get(key).kind !== 'empty');
  const inOrder = (a, b) => (a === kSettings) - (b === kSettings) || a - b; // the slots as the page shows them
  // Whether storage holds anything of this tab's work but `lost`: a reload brings that back.
  const keptBesides = (lost) => [...stored].some((key) => !lost.includes(key) && !taken.has(key) && holdsWork(key));

  const names = (keys) => keys.map((key) => (key === kSettings ? phrases.theSettings() : page.slots[key].picture.name));

  // What this opening said of what came back stays, and what is said since follows it: a refusal
  // soon after a reload does not hide what did not come back.
  let opening = null;
  function tell(producer) {
    const parts = [opening, producer].filter(Boolean);
    words.show('kept-message', parts.length ? () => parts.map((part) => part()).join(' ') : null);
  }
  function tellOpening(producer) {
    opening = producer;
    tell(null);
  }

  // Why, in our words: each browser words its refusals in its own way, in English. A write the
  // browser refuses may be refused for want of room, whatever it names it.
  function reasonOf(failure, otherwise, forbidden = phrases.storageForbidden) {
    return { QuotaExceededError: phrases.storageFull, SecurityError: forbidden,
             InvalidStateError: forbidden }[failure && failure.name] || otherwise;
  }

  // `only`: what was refused, where the rest is kept.
  function refused(failure, only = null) {
    const why = only ? reasonOf(failure, phrases.storageUnwritten, phrases.storageUnwritten)
      : reasonOf(failure, phrases.storageUnwritten);
    tell(() => (only ? phrases.notAllKeptNow(names(only), why()) : phrases.notKeptNow(why())));
  }

  // What this tab holds, slot by slot, as the mark of its last change to each (none for an empty
  // one): a few bytes kept apart from the work, in local storage, so that the next opening names
  // what did not come back even where the browser refused to write the work's own list.
  const kHeld = 'orbskin-held';
  const held = () => local.get(kHeld) || {};
  const hold = (key, mark) => local.set(kHeld, { ...held(), [key]: mark });
  // What the browser refused to write, and has not written since: what did not come back of the
  // rest, the page closed before it was kept.
  const kRefused = 'orbskin-refused';
  const refusedKeys = () => local.get(kRefused) || [];

  function schedule(key, now) {
    if (!db || paused) return;
    if (key === kSettings) marks.settings = newMark();
    else marks.slots[key] = newMark();
    if (key !== kSettings && !taken.has(key)) hold(key, state.get(key).kind === 'empty' ? '' : marks.slots[key]);
    dirty.add(key);
    clearTimeout(timer);
    // A picture is written at once, so that a reload finds what is converting; typing, once it pauses.
    if (now) queue = queue.then(save);
    else timer = setTimeout(() => (queue = queue.then(save)), 300);
  }

  // Typing is written once it pauses, and a page that closes meanwhile ends that write: so the
  // settings not yet written are left at once, as the page goes, where the next opening finds them.
  const kPending = 'orbskin-settings-not-yet-kept';
  function leavePending() {
    // A write under way is cut short by the closing too.
    if (!db || !(dirty.has(kSettings) || writing.has(kSettings)) || taken.has(kSettings)) return;
    local.set(kPending, { mark: marks.settings, base: seen.settings, settings: settingsNow() });
  }
  function takePending() {
    const pending = local.get(kPending);
    local.remove(kPending);
    return pending;
  }

  function applySettings(kept) {
    settings.set({ texts: kept.fields, hint: kept.hint,
                   choices: { resize: Number(kept.resize) || 0, dither: kept.dither ? 1 : 0,
                              background: parseInt(String(kept.background).slice(1), 16) || 0 } });
    if (kept.language) language.set(kept.language);
  }

  // What came back, slot by slot; a conversion cut short is converted again.
  function bring(index, kept) {
    marks.slots[index] = kept.mark;
    const { file } = kept.record;
    if (file && file.head) kept.record.file = { name: file.name, blob: headOnly(file.size, file.head) };
    else if (file) kept.record.file = { name: file.name, blob: new File([file.data], file.name) };
    if (kept.record.kind === 'converting') slots.fill(index, kept.record.file, kept.record.choices);
    else state.set(index, kept.record);
  }

  // A file too large to convert, as kept: its length, and its head, all that the page reads of it.
  function headOnly(size, head) {
    const blob = new Blob([head]);
    return { size, slice: (from, to) => blob.slice(from, to) };
  }

  async function restore() {
    db = await open();
    if (db instanceof DOMException) {
      const failure = db;
      db = null;
      return refused(failure);
    }
    if (!db) return tell(phrases.notKept);
    // "Start over" not yet carried out in storage, as the page closed behind a long save: it is now.
    if (startingOver()) {
      paused = false;
      return clearStorage().catch(() => {}); // left for the next opening to try again
    }
    const keys = ['manifest', kSettings, ...page.slots.map(({ index }) => keyOf(index))];
    let found;
    try {
      found = await transaction('readonly', (s) => keys.map((key) => s.get(key)));
    } catch (failure) {
      paused = false;
      return tell(() => phrases.notBack(reasonOf(failure, phrases.storageUnread)()));
    }
    const [manifest, settings, ...kept] = found;
    page.slots.forEach(({ index }) => (marks.slots[index] = ''));
    // Settings left as the page closed count where storage still holds what they were typed over,
    // or their list but not their entry.
    const pending = takePending();
    const listed = markIn(manifest || { slots: [], settings: '' }, kSettings);
    const typedLast = Boolean(pending && [pending.base, pending.mark].includes(listed) &&
                              !(settings && settings.mark === pending.mark));
    // Each key is back as the list says, back as it was before a change the page closed before
    // writing ("older"), or missing.
    const missing = [], older = [];
    const take = (key, entry, apply) => {
      if (entry) stored.add(key);
      if (entry && entry.mark === markIn(manifest, key)) return apply(entry);
      if (entry) older.push(key), apply(entry);
      else if (markIn(manifest, key)) missing.push(key);
    };
    if (manifest) {
      seenNow([kSettings, ...page.slots.map(({ index }) => index)], { slots: manifest.slots, settings: manifest.settings });
      if (!typedLast) {
        take(kSettings, settings, (entry) => {
          marks.settings = entry.mark;
          applySettings(entry.settings);
        });
      }
      kept.forEach((entry, index) => take(index, entry, () => bring(index, entry)));
    }
    if (typedLast) applySettings(pending.settings);
    // A picture this tab held that storage does not hold as it was is missing, or back as before.
    const holding = Object.entries(held()).filter(([, mark]) => mark).map(([key, mark]) => [Number(key), mark]);
    for (const [key, mark] of holding) {
      if ((kept[key] && kept[key].mark === mark) || missing.includes(key) || older.includes(key)) continue;
      (kept[key] ? older : missing).push(key);
    }
    paused = false;
    if (typedLast) schedule(kSettings, true);
    const keptSlots = manifest ? manifest.slots.flatMap((mark, key) => (mark ? [key] : [])) : [];
    const total = new Set([...keptSlots, ...holding.map(([key]) => key), ...missing, ...older]).size + (typedLast || (manifest && manifest.settings) ? 1 : 0);
    if (!missing.length && !older.length && total <= (typedLast ? 1 : 0)) return typedLast && tellOpening(phrases.restored);
    // What did not come back as the list says is written as the page now holds it, so that the
    // next reload agrees.
    [...missing, ...older].forEach((key) => schedule(key, true));
    if (!missing.length && !older.length) return tellOpening(phrases.restored);
    const refusedBefore = refusedKeys();
    const dropped = missing.filter((key) => refusedBefore.includes(key)).sort(inOrder);
    const unkept = missing.filter((key) => !refusedBefore.includes(key)).sort(inOrder);
    older.sort(inOrder);
    const some = missing.length < total;
    tellOpening(() => [dropped.length ? phrases.partlyRestored(names(dropped), some) : '',
                       unkept.length ? phrases.closedBefore(names(unkept), some, dropped.length > 0) : '',
                       older.length ? phrases.olderBack(names(older)) : ''].filter(Boolean).join(' '));
  }

  // Nothing kept, and nothing that was about to be; settles as whether storage was cleared.
  function forget() {
    clearTimeout(timer);
    takePending();
    local.remove(kHeld);
    local.remove(kRefused);
    dirty.clear();
    said = ''; // its message is gone with the rest
    opening = null;
    marks.settings = '';
    marks.slots.fill('');
    // What storage held is known to be nothing only once it is cleared: a save still on its way
    // would otherwise leave marks that make this tab's next saves look like another tab's.
    const cleared = () => {
      seen.settings = '';
      seen.slots = [];
      taken.clear();
      stored.clear();
      return true;
    };
    if (!db) return Promise.resolve(cleared());
    local.set(kStartingOver, true);
    const forgotten = queue.then(clearStorage).then(cleared, (failure) => {
      tell(() => phrases.notCleared(reasonOf(failure, phrases.storageUnwritten)()));
      return false;
    });
    queue = forgotten.then(() => {});
    return forgotten;
  }

  // Until storage is cleared, the next opening is told to clear it, as "Start over" asked: a save
  // on its way can hold the clearing back longer than the page stays open.
  const kStartingOver = 'orbskin-starting-over';
  const startingOver = () => local.get(kStartingOver) === true;
  async function clearStorage() {
    await transaction('readwrite', (s) => s.clear());
    local.remove(kStartingOver);
  }

  return {
    restore, forget,
    slotChanged: (index) => schedule(index, true),
    settingsChanged: () => schedule(kSettings, false),
    pause: (on) => (paused = on),
    // Whatever is still to be written, before the page goes.
    flush: () => {
      leavePending();
      if (!dirty.size) return;
      clearTimeout(timer);
      queue = queue.then(save);
    },
    saved: () => queue,
  };
})();
