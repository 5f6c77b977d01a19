// The work kept in the browser's own storage (shelf.js), on this machine only: each slot's record
// (with the file as chosen, so that a conversion cut short is done again), the fields, "Show
// hint" and the choices. A save counts only once its transaction completes. A list of what the
// page holds is written before the work itself, so that a reload tells what came back from what
// was lost, and what another tab of the page changed meanwhile is left to it. Where the browser
// refuses storage, the page says so, once for each state of what is not kept, and works as before.
'use strict';
/* exported store */

const store = (() => {
  const kSettings = 'settings';
  const storeKey = (key) => (key === kSettings ? kSettings : `slot-${key}`);
  const markIn = (list, key) => (key === kSettings ? list.settings : list.slots[key]) || '';
  // The journal: one entry for each key (each slot's index, and the settings), changed only by
  // the operations below.
  //   mark    the page's newest change to it
  //   listed  its mark in storage's list as this tab last read or wrote the list: another mark
  //           there is another tab's change since
  //   stored  the mark of what storage holds of this tab's writing; none where it holds nothing
  //   phase   'changed' (to be written), 'writing' (taken by a save, not yet kept), 'kept'
  //           (nothing to write), 'theirs' (another tab changed it: left to that tab)
  const journal = new Map();
  const entry = (key) => journal.get(key) || journal.set(key, { mark: '', listed: '', stored: '', phase: 'kept' }).get(key);
  const keys = () => [kSettings, ...page.slots.map(({ index }) => index)];
  const inPhase = (phase) => keys().filter((key) => entry(key).phase === phase);
  let counter = 0;
  let timer = 0;
  let paused = true; // while restoring or starting over
  let said = ''; // what the page last said is not kept, and why; nothing while all is kept
  let queue = Promise.resolve();

  // `same`: the outcome of the change before, which keeps its mark (see slotChanged).
  function changed(key, same = false) {
    const e = entry(key);
    if (!same || !e.mark) e.mark = `${performance.timeOrigin}:${(counter += 1)}`;
    if (e.phase !== 'theirs') e.phase = 'changed';
  }
  // What a save takes to write: all that changed.
  function take() {
    const taken = inPhase('changed');
    for (const key of taken) entry(key).phase = 'writing';
    return taken;
  }
  // Writes the list with `markOf` each of `keys`, but for a key another tab changed since, which is
  // left to that tab: settles with those.
  async function list(keys, markOf) {
    const theirs = await shelf.announce((stored) => {
      const theirs = keys.filter((key) => entry(key).phase === 'theirs' || markIn(stored, key) !== entry(key).listed);
      for (const key of keys.filter((k) => !theirs.includes(k))) {
        if (key === kSettings) stored.settings = markOf(key);
        else stored.slots[key] = markOf(key);
      }
      return theirs;
    });
    for (const key of keys.filter((k) => !theirs.includes(k))) entry(key).listed = markOf(key);
    return theirs;
  }
  // Nothing of this tab's is in storage's list any more, or is about to be.
  function unmark() {
    for (const e of journal.values()) Object.assign(e, { mark: '', phase: e.phase === 'changed' ? 'kept' : e.phase });
    // What storage held is known to be nothing only once it is cleared: a save still on its way
    // would otherwise leave marks that make this tab's next saves look like another tab's.
    return () => {
      for (const e of journal.values()) {
        Object.assign(e, { listed: '', stored: '', phase: e.phase !== 'theirs' ? e.phase : e.mark ? 'changed' : 'kept' });
      }
      return true;
    };
  }

  // The choices as kept since they were first kept: as the elements held them.
  const keptChoices = ({ resize, dither, background }) =>
    ({ resize: String(resize), dither: Boolean(dither), background: `#${background.toString(16).padStart(6, '0')}` });

  function settingsNow() {
    return { fields: settings.texts(), hint: settings.hint(),
             ...keptChoices(settings.choices()),
             language: language.chosen() };
  }

  // A record as stored: the file's bytes rather than its Blob, which some engines refuse to
  // store for a page opened from disk; of a file too large to convert, only what the page reads
  // of it, its length and its head.
  async function keptRecord(index, mark) {
    const record = state.get(index); // as the mark has it: the read may take a while
    if (!record.file) return { mark, record };
    const { name, blob } = record.file;
    // A file that changed or went away since it was chosen cannot be kept; that is not storage's fault.
    const read = (part) => part.arrayBuffer().catch(() => Promise.reject(Object.assign(new Error(name), { unread: true })));
    const file = blob.size > page.T.largestFile
      ? { name, size: blob.size, head: await read(blob.slice(0, page.T.headLength)) }
      : { name, data: await read(blob) };
    return { mark, record: { ...record, file } };
  }

  // After a refused save, what storage holds of `keys` is older than the page: it goes, and the
  // list says they changed, so that a reload names them as not kept rather than as back.
  async function markLost(keys) {
    shelf.note((notes) => (notes.refused = [...new Set([...notes.refused, ...keys])]));
    const marks = new Map(keys.map((key) => [key, entry(key).mark]));
    try {
      await shelf.transaction('readwrite', (s) => keys.forEach((key) => s.delete(storeKey(key))));
      keys.forEach((key) => (entry(key).stored = ''));
      await list(keys, (key) => marks.get(key));
    } catch {
      // the browser refuses even that; what it keeps stays as it was
    }
  }

  // Writes `key` as the page holds it now, after the list; fails as the browser does.
  async function write(key) {
    const { mark } = entry(key);
    const value = key === kSettings ? { mark, settings: settingsNow() } : await keptRecord(key, mark);
    if ((await list([key], () => mark)).length) {
      entry(key).phase = 'theirs';
      return hold(key, '');
    }
    entry(key).stored = '';
    await shelf.transaction('readwrite', (s) => s.put(value, storeKey(key)));
    const e = entry(key);
    Object.assign(e, { stored: mark, phase: e.phase === 'writing' ? 'kept' : e.phase });
    if (shelf.notes().refused.includes(key)) shelf.note((notes) => (notes.refused = notes.refused.filter((k) => k !== key)));
  }

  // How much of a file `key` keeps, so that what is small is kept first.
  const sizeOf = (key) => (key === kSettings || !state.get(key).file ? 0 : state.get(key).file.blob.size);

  async function save() {
    const keys = take();
    if (!keys.length) return;
    const failures = [];
    // Each key alone, the smallest first: one the browser refuses (a picture too large for what
    // is left) loses only itself, a dozen large files are not copied into storage in one go, which
    // would hold the page, and a reload soon after finds the most kept.
    for (const key of keys.sort((a, b) => sizeOf(a) - sizeOf(b))) {
      await write(key).catch((failure) => failures.push([key, failure]));
    }
    if (!failures.length) {
      const theirs = inPhase('theirs').sort(inOrder);
      if (theirs.length) tell(() => phrases.otherTab(names(theirs)));
      else if (said) tell(null);
      said = '';
      return;
    }
    // Every key not kept was tried in this save: what failed is all that is not kept now, and is
    // tried again with the next change.
    const lost = failures.map(([key]) => key);
    for (const key of lost) entry(key).phase = 'changed';
    // Writes the engine ends as the page closes (WebKit's) were not refused: the next opening
    // says the page closed before it kept them.
    if (closing) return;
    await markLost(lost);
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

  let closing = false;
  // WebKit ends them as soon as the page starts to go, before pagehide.
  addEventListener('beforeunload', () => (closing = true));
  addEventListener('pagehide', () => (closing = true));
  addEventListener('pageshow', () => (closing = false));

  const holdsWork = (key) => (key === kSettings ? Boolean(entry(key).mark) : state.get(key).kind !== 'empty');
  const inOrder = (a, b) => (a === kSettings) - (b === kSettings) || a - b; // the slots as the page shows them
  // Whether storage holds anything of this tab's work but `lost`: a reload brings that back.
  const keptBesides = (lost) =>
    keys().some((key) => !lost.includes(key) && entry(key).stored && entry(key).phase !== 'theirs' && holdsWork(key));

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

  // What this tab holds of a slot, as the mark of its last change (none for an empty one), noted
  // apart from the work, so that the next opening names what did not come back even where the
  // browser refused to write the work's own list.
  const hold = (key, mark) => shelf.note((notes) => (notes.held = { ...notes.held, [key]: mark }));

  function schedule(key, now, same = false) {
    if (!shelf.ready() || paused) return;
    changed(key, same);
    if (key !== kSettings && entry(key).phase !== 'theirs') hold(key, state.get(key).kind === 'empty' ? '' : entry(key).mark);
    clearTimeout(timer);
    // A picture is written at once, so that a reload finds what is converting; typing, once it pauses.
    if (now) queue = queue.then(save);
    else timer = setTimeout(() => (queue = queue.then(save)), 300);
  }

  // Typing is written once it pauses, and a page that closes meanwhile ends that write (or one
  // under way): so the settings not yet written are left at once, as the page goes, where the
  // next opening finds them.
  function leavePending() {
    const { mark, listed, phase } = entry(kSettings);
    if (!shelf.ready() || !['changed', 'writing'].includes(phase)) return;
    shelf.note((notes) => (notes.pending = { mark, base: listed, settings: settingsNow() }));
  }
  function takePending() {
    const { pending } = shelf.notes();
    shelf.note((notes) => (notes.pending = null));
    return pending;
  }

  function applySettings(kept) {
    settings.set({ texts: kept.fields, hint: kept.hint,
                   choices: { resize: Number(kept.resize) || 0, dither: kept.dither ? 1 : 0,
                              background: parseInt(String(kept.background).slice(1), 16) || 0 } });
    if (kept.language) language.set(kept.language);
  }

  // What came back of a slot; a conversion cut short is converted again.
  function bring(index, kept) {
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

  // Each key is back as the list says, back as it was before a change the page closed before
  // writing ("older"), or missing; `back` holds what to apply of it. Settings left as the page
  // closed count where storage still holds what they were typed over, or their list but not
  // their entry. `total`: how much of the work there was.
  function sortOut(manifest, entries, pending) {
    const found = new Map(keys().map((key, at) => [key, entries[at]]));
    const listed = (key) => (manifest ? markIn(manifest, key) : '');
    const ownSettings = found.get(kSettings);
    const typedLast = Boolean(pending && [pending.base, pending.mark].includes(listed(kSettings)) &&
                              !(ownSettings && ownSettings.mark === pending.mark));
    const back = [], missing = [], older = [];
    // What came back of a change not kept: what was before it, or, where that was an empty box,
    // nothing of it.
    const notKept = (key, kept) => (kept && (key === kSettings || kept.record.kind !== 'empty') ? older : missing).push(key);
    for (const key of manifest ? keys() : []) {
      const kept = found.get(key);
      if (key === kSettings && typedLast) continue;
      if (kept) back.push([key, kept]);
      if (kept && kept.mark !== listed(key)) notKept(key, kept);
      else if (!kept && listed(key)) missing.push(key);
    }
    // A picture this tab held that storage does not hold as it was is missing, or back as before.
    const holding = Object.entries(shelf.notes().held).filter(([, mark]) => mark).map(([key, mark]) => [Number(key), mark]);
    for (const [key, mark] of holding) {
      const kept = found.get(key);
      if ((kept && kept.mark === mark) || missing.includes(key) || older.includes(key)) continue;
      notKept(key, kept);
    }
    // What an opening before this one said had not come back, unchanged since, is said again: a
    // second reload soon after the first does not hide it.
    for (const [name, { mark, older: was }] of Object.entries(shelf.notes().notBack)) {
      const key = Number(name);
      const kept = found.get(key);
      if (kept && kept.mark === mark && !missing.includes(key) && !older.includes(key)) (was ? older : missing).push(key);
    }
    // An empty box that came back is no work: "is back" is never said of nothing.
    const keptWork = back.filter(([key, kept]) => key !== kSettings && kept.record.kind !== 'empty').map(([key]) => key);
    const total = new Set([...keptWork, ...holding.map(([key]) => key), ...missing, ...older]).size +
      (typedLast || (manifest && manifest.settings) ? 1 : 0);
    return { manifest, pending: typedLast ? pending : null, back, missing, older, total };
  }

  // Into the model, and the journal as storage holds it.
  function apply({ manifest, pending, back }) {
    for (const key of keys()) {
      if (key !== kSettings) entry(key).mark = '';
      if (manifest) entry(key).listed = markIn(manifest, key);
    }
    for (const [key, kept] of back) {
      Object.assign(entry(key), { mark: kept.mark, stored: kept.mark });
      if (key === kSettings) applySettings(kept.settings);
      else bring(key, kept);
    }
    if (pending) applySettings(pending.settings);
  }

  function sayWhatCameBack({ missing, older, total }) {
    if (!missing.length && !older.length) return total && tellOpening(phrases.restored);
    const refusedBefore = shelf.notes().refused;
    const dropped = missing.filter((key) => refusedBefore.includes(key)).sort(inOrder);
    const unkept = missing.filter((key) => !refusedBefore.includes(key)).sort(inOrder);
    older.sort(inOrder);
    const some = missing.length < total;
    tellOpening(() => [dropped.length ? phrases.partlyRestored(names(dropped), some) : '',
                       unkept.length ? phrases.closedBefore(names(unkept), some, dropped.length > 0) : '',
                       older.length ? phrases.olderBack(names(older)) : ''].filter(Boolean).join(' '));
  }

  async function restore() {
    const opened = await shelf.open();
    if (opened !== true) return opened ? refused(opened) : tell(phrases.notKept);
    let found, pending;
    // "Start over" not yet carried out in storage, as the page closed behind a long save: it is
    // now, and what was chosen or typed since, which storage cannot hold, is all there was.
    if (shelf.notes().startingOver) {
      if (!(await clearStorage().then(() => true, () => false))) return void (paused = false); // left for the next opening
      found = [];
      pending = takePending();
      if (pending) pending.base = '';
    } else {
      try {
        found = await shelf.transaction('readonly', (s) => ['manifest', ...keys().map(storeKey)].map((key) => s.get(key)));
      } catch (failure) {
        paused = false;
        return tell(() => phrases.notBack(reasonOf(failure, phrases.storageUnread)()));
      }
      pending = takePending();
    }
    const [manifest, ...entries] = found;
    const back = sortOut(manifest, entries, pending);
    apply(back);
    paused = false;
    // What did not come back as the list says is written as the page now holds it, so that the
    // next reload agrees.
    [...(back.pending ? [kSettings] : []), ...back.missing, ...back.older].forEach((key) => schedule(key, true));
    // Said until the page is used: a reload before that says it again.
    const notBack = (keys, older) => keys.filter((key) => key !== kSettings).map((key) => [key, { mark: entry(key).mark, older }]);
    shelf.note((notes) => (notes.notBack = Object.fromEntries([...notBack(back.missing, false), ...notBack(back.older, true)])));
    const read = () => shelf.note((notes) => (notes.notBack = {}));
    for (const type of ['pointerdown', 'keydown']) addEventListener(type, read, { once: true, capture: true });
    sayWhatCameBack(back);
  }

  // Nothing kept, and nothing that was about to be; settles as whether storage was cleared.
  function forget() {
    clearTimeout(timer);
    // Until storage is cleared, the next opening is told to clear it, as "Start over" asked: a
    // save on its way can hold the clearing back longer than the page stays open.
    shelf.note((notes) => Object.assign(notes, shelf.empty(), { startingOver: shelf.ready() || notes.startingOver }));
    said = ''; // its message is gone with the rest
    opening = null;
    const cleared = unmark();
    if (!shelf.ready()) return Promise.resolve(cleared());
    const forgotten = queue.then(clearStorage).then(cleared, (failure) => {
      tell(() => phrases.notCleared(reasonOf(failure, phrases.storageUnwritten)()));
      return false;
    });
    queue = forgotten.then(() => {});
    return forgotten;
  }

  async function clearStorage() {
    await shelf.transaction('readwrite', (s) => s.clear());
    shelf.note((notes) => (notes.startingOver = false));
  }

  return {
    restore, forget,
    // A conversion's outcome is the change that began it, not one after: kept as converting, it is
    // converted again on the next opening to the same, and is back as it was.
    slotChanged: (index, record, before) =>
      schedule(index, true, Boolean(before && before.kind === 'converting' && record.file === before.file)),
    settingsChanged: () => schedule(kSettings, false),
    pause: (on) => (paused = on),
    // Whatever is still to be written, before the page goes.
    flush: () => {
      leavePending();
      if (!inPhase('changed').length) return;
      clearTimeout(timer);
      queue = queue.then(save);
    },
    saved: () => queue,
  };
})();
