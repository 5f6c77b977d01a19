// The twelve slots: per picture, the file "Just Go!" packs and what the slot shows. A slot's
// content changes only through begin(), so the last choice wins however long each one takes.
'use strict';

const page = { core: null, T: null, slots: [], fields: [], showHint: null, timings: {} };
const $ = (id) => document.getElementById(id);

function conversion(resize) {
  return {
    resize: resize ?? Number($('resize').value),
    dither: $('dither').checked ? 1 : 0,
    background: parseInt($('background').value.slice(1), 16),
  };
}

// check's verdict on `bytes` as the slot's file; only the head goes into the core.
function judge(slot, bytes) {
  return page.core.ask('judge', bytes.subarray(0, page.T.headLength), slot.index, bytes.length);
}

function show(slot, verdict, note, problem) {
  const item = $(`slot-${slot.index}`);
  if (slot.url) URL.revokeObjectURL(slot.url);
  slot.url = slot.file ? URL.createObjectURL(new Blob([slot.file], { type: 'image/bmp' })) : null;
  const image = item.querySelector('img');
  image.hidden = !slot.url;
  if (slot.url) image.src = slot.url;
  item.querySelector('.verdict').textContent = verdict;
  item.querySelector('.verdict').className = `verdict ${verdict === 'ok' ? 'good' : 'bad'}`;
  item.querySelector('.note').textContent = note || '';
  item.querySelector('.note').className = `note message${problem ? ' bad' : ''}`;
  item.querySelector('.convert').hidden = !(slot.file && slot.convertible);
  item.querySelector('.remove').hidden = !slot.file;
  item.querySelector('.ways').replaceChildren();
  for (const url of slot.wayUrls || []) URL.revokeObjectURL(url);
  slot.wayUrls = [];
  drawSketch();
}

function verdictNow(slot) {
  return slot.file ? judge(slot, slot.file).verdict : page.T.missing;
}

function setBusy(slot, note) {
  const item = $(`slot-${slot.index}`);
  item.setAttribute('aria-busy', note ? 'true' : 'false');
  if (note) {
    item.querySelector('.note').textContent = note;
    item.querySelector('.note').className = 'note message';
  }
}

// Ends whatever the slot was doing: its result, when it comes, is dropped.
function supersede(slot) {
  ++slot.turn;
  if (slot.cancel) slot.cancel();
  slot.cancel = slot.pending = null;
  setBusy(slot, null);
}

// Gives the slot new content from `work(current)`, an async function that applies its result
// only while current() holds. A failure is shown in the slot, in the core's words.
function begin(slot, name, work) {
  supersede(slot);
  const turn = slot.turn;
  const current = () => turn === slot.turn;
  setBusy(slot, words.converting(name));
  const pending = work(current)
    .catch((failure) => {
      if (current()) show(slot, verdictNow(slot), page.core.ask('unreadable', null, name, String(failure.message || failure)).error, true);
    })
    .finally(() => {
      if (!current()) return;
      slot.pending = slot.cancel = null;
      setBusy(slot, null);
    });
  slot.pending = pending;
  return pending;
}

// Puts a file into a slot: one of exactly the length the skin needs is kept as it is, as pack
// would take it; any other is converted as import would. What cannot be converted is kept as
// chosen, so that "Just Go!" reports it as it would in a folder.
function fill(slot, file) {
  const dropped = performance.now();
  return begin(slot, file.name, async (current) => {
    slot.original = null;
    if (file.size > page.T.largestFile) {
      show(slot, verdictNow(slot), page.core.ask('too_large', null, file.name, file.size).error, true);
      return;
    }
    const bytes = new Uint8Array(await file.arrayBuffer());
    if (!current()) return;
    const verdict = judge(slot, bytes);
    slot.source = { bytes, name: file.name };
    if (bytes.length === slot.picture.length) {
      slot.file = bytes;
      slot.convertible = !verdict.ok && verdict.importable;
      show(slot, verdict.verdict, verdict.ok ? words.from(file.name) : words.keptAsItIs(file.name));
      return;
    }
    await convert(slot, slot.source, current, undefined, dropped);
  });
}

async function convert(slot, source, current, resize, started = performance.now()) {
  const job = startConversion({ bytes: source.bytes, name: source.name, slot: slot.index,
                                how: conversion(resize) });
  slot.cancel = job.cancel;
  const result = await job.result;
  if (!current() || result.superseded) return;
  if (result.failure) throw new Error(result.failure);
  slot.convertible = false;
  if (result.error || result.otherSize) {
    slot.file = source.bytes;
    slot.original = result.otherSize ? source : null;
    show(slot, verdictNow(slot), result.otherSize ? words.otherSize(result.otherSize) : result.error, true);
    if (result.ways) offerWays(slot, source, result.ways, result.bytes, started);
    return;
  }
  slot.file = result.bytes;
  page.timings.import = performance.now() - started;
  page.timings.decode = result.decodeTime;
  show(slot, verdictNow(slot), words.converted(source.name));
}

function reconvert(slot, source, resize) {
  return begin(slot, source.name, (current) => convert(slot, source, current, resize));
}

// The ways to convert a picture of another size, right in its slot, each a button named with
// the way and the picture ("Crop mainnds.bmp") and showing a preview of its result, from the
// core's `previews`; the choice above the slots stays the default.
function offerWays(slot, source, ways, previews, started) {
  const list = $(`slot-${slot.index}`).querySelector('.ways');
  const images = [];
  list.replaceChildren(...ways.map((way) => {
    const button = document.createElement('button');
    button.type = 'button';
    const image = document.createElement('img');
    image.alt = '';
    const url = URL.createObjectURL(new Blob([previews.subarray(way.at, way.at + way.length)], { type: 'image/bmp' }));
    slot.wayUrls.push(url);
    image.src = url;
    images.push(image.decode().catch(() => {}));
    // Named in full for whoever cannot see which slot it sits in; shown as the way alone.
    button.setAttribute('aria-label', `${way.name} ${slot.picture.name}`);
    button.append(image, way.name);
    button.addEventListener('click', () => {
      reconvert(slot, source, way.resize);
      $(`slot-${slot.index}`).focus();
    });
    return button;
  }));
  Promise.all(images).then(() => (page.timings.ways = performance.now() - started));
}

function clear(slot) {
  supersede(slot);
  slot.file = slot.original = slot.source = null;
  show(slot, page.T.missing, '');
}

// Whatever a slot holds or is still converting.
function anyPicture() {
  return page.slots.some((slot) => slot.file || slot.pending);
}

function buildSlots() {
  const list = $('slots');
  for (const slot of page.slots) {
    const { name, size } = slot.picture;
    const item = document.createElement('li');
    item.id = `slot-${slot.index}`;
    item.className = 'slot';
    item.tabIndex = -1;  // a failed run moves the focus to the slot it names
    item.innerHTML =
      `<h3>${name}</h3> <span class="size">${size}</span>` +
      '<div class="thumb"><img alt="" hidden decoding="async"></div>' +
      `<p class="verdict bad">${page.T.missing}</p><p class="note message" role="status"></p>` +
      '<div class="ways"></div>' +
      `<label class="button">Choose<input type="file" aria-label="Choose ${name}"></label>` +
      `<button type="button" class="convert" hidden aria-label="Convert ${name}">Convert</button>` +
      `<button type="button" class="remove" hidden aria-label="Remove ${name}">Remove</button>`;
    item.querySelector('img').alt = `${name} as the skin will show it`;
    // Screens at 1:1 where there is room, icons enlarged by whole factors, every pixel sharp.
    item.classList.add(slot.picture.width >= 256 ? 'slot-screen' : slot.picture.width >= 64 ? 'slot-icon' : 'slot-small');
    item.querySelector('input').addEventListener('change', (event) => {
      if (event.target.files.length) fill(slot, event.target.files[0]);
      event.target.value = '';
    });
    item.querySelector('.convert').addEventListener('click', () => reconvert(slot, slot.source));
    item.querySelector('.remove').addEventListener('click', () => {
      clear(slot);
      item.querySelector('input').focus();
    });
    item.addEventListener('dragover', (event) => event.preventDefault());
    item.addEventListener('drop', (event) => {
      event.preventDefault();
      event.stopPropagation();
      if (event.dataTransfer.files.length) fill(slot, event.dataTransfer.files[0]);
    });
    list.append(item);
  }
}
