// Many files at once, dropped or chosen: each picture to the slot its name names. A skin among
// pictures is never opened with them: which would win would depend on the order of the files.
'use strict';
/* exported batch */

const batch = (() => {
  function slotOf(name) {
    const index = page.core.slotOf(name);
    return index >= 0 ? page.slots[index] : null;
  }

  // The note under the drop box, as the function that says it (see show); an opened skin's
  // settings below it, as unpack prints them.
  function say(producer, line = null) {
    words.show('drop-message', producer);
    words.show('opened-line', line && (() => phrases.openedLine(line)));
  }

  // Of several files for one slot, the one of the picture's own name, or else the first by name:
  // taking each would leave the slot with whichever converted last. The others are named.
  function onePerSlot(placed) {
    const taken = new Map();
    const own = (p) => p.file.name.toLowerCase() === p.slot.picture.name;
    const byName = (a, b) => (a.file.name > b.file.name) - (a.file.name < b.file.name);
    for (const p of placed.filter(({ slot }) => slot).sort((a, b) => own(b) - own(a) || byName(a, b))) {
      if (taken.has(p.slot.index)) taken.get(p.slot.index).also.push(p.file.name);
      else taken.set(p.slot.index, { ...p, also: [] });
    }
    const pictures = [...taken.values()];
    return { pictures, besides: pictures.filter(({ also }) => also.length) };
  }

  // `files` each to the slot its name names, or all to `into` (dropped on its box), one taken.
  async function take(files, into = null) {
    const placed = files.map((file) => ({ file, slot: into || slotOf(file.name) }));
    const { pictures, besides } = onePerSlot(placed);
    const others = placed.filter(({ slot }) => !slot).map(({ file }) => file);
    const skins = others.filter((file) => file.size === page.T.skinLength);
    const ignored = others.filter((file) => file.size !== page.T.skinLength);
    if (!pictures.length && skins.length) {
      await openSkin(skins[0]);
      return;
    }
    say(() => [ignored.length ? phrases.leftOut(ignored.map((file) => file.name)) : '',
               ...besides.map(({ file, also }) => phrases.onePerSlot(file.name, also)),
               skins.length ? phrases.skinNotOpened(skins.map((file) => file.name)) : ''].filter(Boolean).join(' '));
    await Promise.all(pictures.map(({ file, slot }) => slots.take(slot.index, file)));
  }

  // The files of a drop. Directory entries are read where the browser can; where it cannot (some
  // engines refuse them for a drop they did not make), the drop's own list of files is taken.
  // Both are taken from the event at once, before it ends and the browser empties them.
  function droppedFiles(transfer) {
    const files = [...transfer.files];
    const items = [...transfer.items].map((item) => item.webkitGetAsEntry && item.webkitGetAsEntry());
    return (async () => {
      if (!items.length || !items.every(Boolean)) return files;
      try {
        const found = [];
        for (const entry of items) found.push(...(await entryFiles(entry)));
        return found;
      } catch {
        return files;
      }
    })();
  }

  async function entryFiles(entry) {
    if (entry.isFile) return [await new Promise((done, fail) => entry.file(done, fail))];
    if (!entry.isDirectory) return [];
    const reader = entry.createReader();
    const found = [];
    for (;;) {
      const batch = await new Promise((done, fail) => reader.readEntries(done, fail));
      if (!batch.length) return found;
      for (const child of batch) found.push(...(await entryFiles(child)));
    }
  }

  // Whether anything was set here that opening a skin would replace.
  function workSet() {
    return state.all().some((record) => record.kind !== 'empty') || settings.hint() !== page.T.hintStarts ||
      settings.texts().some((text, n) => text !== page.T.fields[n].start);
  }

  // Asks in the page, by a modal dialog that the keyboard works; true to replace.
  function confirmReplace(name) {
    const dialog = $('replace');
    words.show('replace-question', () => phrases.replaceQuestion(name));
    dialog.returnValue = '';
    dialog.showModal();
    return new Promise((done) => dialog.addEventListener('close', () => done(dialog.returnValue === 'replace'), { once: true }));
  }

  // Gives every empty slot its starting picture; a picture set here is never replaced.
  function startFromTemplates() {
    let count = 0;
    for (const { index } of page.slots) {
      if (state.get(index).kind !== 'empty') continue;
      slots.set(index, page.core.template(index).bytes, 'template');
      count += 1;
    }
    say(() => phrases.templatesFilled(count));
  }

  async function openSkin(file) {
    if (file.size !== page.T.skinLength) {
      say(() => page.core.notASkin(file.name, file.size).error);
      return;
    }
    let bytes;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch {
      say(() => phrases.skinUnreadable(file.name)); // it changed or went away since it was chosen
      return;
    }
    const unpack = () => page.core.unpack(bytes);
    const skin = unpack();
    if (skin.error) {
      say(() => unpack().error);
      return;
    }
    if (workSet() && !(await confirmReplace(file.name))) {
      say(() => phrases.notReplaced(file.name));
      return;
    }
    let at = 0;
    for (const { index, picture } of page.slots) {
      slots.set(index, skin.bytes.slice(at, at + picture.length), 'skin', { skin: file.name });
      at += picture.length;
    }
    settings.set({ texts: skin.texts, hint: skin.hint });
    // The core's warnings, said again in a new language from the same bytes.
    say(() => [phrases.opened(file.name), ...unpack().warnings.map((warning) => words('warning: {warning}', { warning }))]
      .join('\n'), skin.line);
  }

  return { say, take, droppedFiles, startFromTemplates, openSkin, confirmReplace };
})();
