// The page: what the user sees and does. Every check, conversion, message and byte of the skin is
// the core's, compiled to WebAssembly; the page decodes PNG, JPEG, GIF and WebP with the
// browser's own decoders and hands over the pixels.
'use strict';

(async () => {
  const core = await orbskinCore;
  // Timings of the last actions, for the benchmark that measures them.
  const timings = (window.orbskinTimings = {});
  const $ = (id) => document.getElementById(id);

  // ---- Calls into the core: one input buffer in, one reply (JSON and bytes) out.

  function withText(text, use) {
    const length = core.lengthBytesUTF8(text) + 1;
    const at = core._malloc(length);
    core.stringToUTF8(text, at, length);
    try {
      return use(at);
    } finally {
      core._free(at);
    }
  }
  function put(bytes) {
    core.HEAPU8.set(bytes, core._orb_input(bytes.length));
  }
  function reply() {
    const answer = JSON.parse(core.UTF8ToString(core._orb_reply_json()));
    const at = core._orb_reply_bytes();
    answer.bytes = core.HEAPU8.slice(at, at + core._orb_reply_length());
    return answer;
  }

  core._orb_tables();
  const T = reply();

  // ---- What the page holds: per picture, the file "Just Go!" packs, and what the slot shows.

  const slots = T.pictures.map((picture, index) => ({
    picture,
    index,
    file: null, // Uint8Array: the file as the folder would hold it
    original: null, // a picture refused for its size, converted again when the choice changes
    url: null,
  }));
  const fields = [];
  let showHint = null;

  function conversion() {
    return {
      resize: Number($('resize').value),
      dither: $('dither').checked ? 1 : 0,
      background: parseInt($('background').value.slice(1), 16),
    };
  }

  function judge(slot, bytes) {
    put(bytes);
    core._orb_judge(slot.index);
    return reply();
  }

  // Decoded pixels of a file the browser reads, as stored: its orientation is cleared first,
  // and the core turns the picture. A JPEG photo goes straight from the decoder into the core's
  // memory where the browser can (WebCodecs); the rest, or where that fails, through a canvas.
  async function decodeInBrowser(bytes, name) {
    const started = performance.now();
    try {
      return (await decodeJpegDirectly(bytes)) || (await decodeThroughCanvas(bytes));
    } catch {
      throw new Error(`cannot read "${name}" as a picture: it is damaged, or of a kind this ` +
                      'browser cannot decode; the page reads PNG, JPEG, GIF, WebP and BMP');
    } finally {
      timings.decode = performance.now() - started;
    }
  }

  async function decodeJpegDirectly(bytes) {
    if (!(bytes[0] === 0xff && bytes[1] === 0xd8) || typeof ImageDecoder !== 'function') return null;
    const decoder = new ImageDecoder({ data: bytes, type: 'image/jpeg', colorSpaceConversion: 'none' });
    try {
      const { image } = await decoder.decode();
      try {
        const { width, height } = image.visibleRect;
        const at = core._orb_input_pixels(width * height);
        await image.copyTo(core.HEAPU8.subarray(at, at + width * height * 4), { format: 'RGBA' });
        return { width, height };
      } finally {
        image.close();
      }
    } catch {
      return null; // the canvas way decides, and words any refusal
    } finally {
      decoder.close();
    }
  }

  async function decodeThroughCanvas(bytes) {
    const bitmap = await createImageBitmap(new Blob([bytes]), {
      colorSpaceConversion: 'none',
      premultiplyAlpha: 'none',
    });
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d', { willReadFrequently: true });
    context.drawImage(bitmap, 0, 0);
    bitmap.close();
    const pixels = context.getImageData(0, 0, canvas.width, canvas.height).data;
    core.HEAPU8.set(pixels, core._orb_input_pixels(canvas.width * canvas.height));
    return { width: canvas.width, height: canvas.height };
  }

  // import: the canonical BMP of the slot from any picture file, or the core's message.
  async function importPicture(slot, bytes, name) {
    const how = conversion();
    put(bytes);
    withText(name, (source) => core._orb_before_decoding(source));
    const before = reply();
    if (before.error) return before;
    let size = { width: 0, height: 0 };
    if (before.decoder === 'browser') {
      try {
        size = await decodeInBrowser(before.bytes, name);
      } catch (failure) {
        return { error: failure.message };
      }
    }
    withText(name, (source) =>
      core._orb_import(slot.index, source, size.width, size.height, before.orientation || 1,
                       how.resize, how.dither, how.background));
    return reply();
  }

  // ---- The slots.

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
    drawSketch();
  }

  // Puts a file into a slot: one of exactly the length the skin needs is kept as it is, as pack
  // would take it; any other is converted as import would. What cannot be converted is kept as
  // dropped, so that "Just Go!" reports it as it would in a folder.
  async function fill(slot, file) {
    if (file.size > T.largestFile) {
      show(slot, slot.file ? judge(slot, slot.file).verdict : T.missing,
           `"${file.name}" is ${Math.floor(file.size / 1048576)} MB, ` +
           'too large to be a picture for a skin', true);
      return;
    }
    const bytes = new Uint8Array(await file.arrayBuffer());
    const verdict = judge(slot, bytes);
    slot.original = null;
    if (bytes.length === slot.picture.length) {
      slot.file = bytes;
      slot.convertible = !verdict.ok && verdict.importable;
      slot.source = { bytes, name: file.name };
      show(slot, verdict.verdict,
           verdict.ok ? `from ${file.name}` : `from ${file.name}; kept as it is, as pack would`);
      return;
    }
    await convert(slot, bytes, file.name, verdict);
  }

  async function convert(slot, bytes, name, verdict) {
    const started = performance.now();
    const result = await importPicture(slot, bytes, name);
    slot.convertible = false;
    if (result.error || result.otherSize) {
      slot.file = bytes;
      if (result.otherSize) slot.original = { bytes, name };
      const advice = result.otherSize
        ? `${result.otherSize}; choose how another size is converted above`
        : result.error;
      show(slot, (verdict || judge(slot, bytes)).verdict, advice, true);
      return;
    }
    slot.file = result.bytes;
    timings.import = performance.now() - started;
    show(slot, judge(slot, slot.file).verdict, `converted from ${name}`);
  }

  function buildSlots() {
    const list = $('slots');
    for (const slot of slots) {
      const { name, size } = slot.picture;
      const item = document.createElement('li');
      item.id = `slot-${slot.index}`;
      item.className = 'slot';
      item.innerHTML =
        `<h3>${name}</h3><span class="size">${size}</span>` +
        '<div class="thumb"><img alt="" hidden></div>' +
        `<p class="verdict bad">${T.missing}</p><p class="note message" role="alert"></p>` +
        `<label class="button">Choose<input type="file" aria-label="Choose ${name}"></label>` +
        `<button type="button" class="convert" hidden aria-label="Convert ${name}">Convert</button>` +
        `<button type="button" class="remove" hidden aria-label="Remove ${name}">Remove</button>`;
      item.querySelector('img').alt = `${name} as the skin will show it`;
      item.querySelector('img').classList.toggle('enlarged', slot.picture.height < 64);
      item.querySelector('input').addEventListener('change', (event) => {
        if (event.target.files.length) fill(slot, event.target.files[0]);
        event.target.value = '';
      });
      item.querySelector('.convert').addEventListener('click', () =>
        convert(slot, slot.source.bytes, slot.source.name));
      item.querySelector('.remove').addEventListener('click', () => {
        slot.file = slot.original = null;
        show(slot, T.missing, '');
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

  // ---- Many files at once: each to the slot its name names; a skin file opens the skin.

  async function take(files) {
    const ignored = [];
    const work = [];
    for (const file of files) {
      const slot = withText(file.name, (name) => core._orb_slot_of(name));
      if (slot >= 0) work.push(fill(slots[slot], file));
      else if (file.size === T.skinLength) work.push(openSkin(file));
      else ignored.push(file.name);
    }
    $('drop-message').textContent = ignored.length
      ? `Not one of the twelve pictures, so left out: ${ignored.join(', ')}`
      : '';
    await Promise.all(work);
  }

  async function entries(entry) {
    if (entry.isFile) return [await new Promise((done, fail) => entry.file(done, fail))];
    if (!entry.isDirectory) return [];
    const reader = entry.createReader();
    const found = [];
    for (;;) {
      const batch = await new Promise((done, fail) => reader.readEntries(done, fail));
      if (!batch.length) return found;
      for (const child of batch) found.push(...(await entries(child)));
    }
  }

  async function dropped(transfer) {
    const items = [...transfer.items].map((item) => item.webkitGetAsEntry && item.webkitGetAsEntry());
    if (items.every(Boolean)) {
      const files = [];
      for (const entry of items) files.push(...(await entries(entry)));
      return files;
    }
    return [...transfer.files];
  }

  async function openSkin(file) {
    if (file.size !== T.skinLength) {
      $('drop-message').textContent =
        `"${file.name}" is not a skin: it is ${file.size} bytes, and a skin is ${T.skinLength}`;
      return;
    }
    put(new Uint8Array(await file.arrayBuffer()));
    core._orb_unpack();
    const skin = reply();
    if (skin.error) {
      $('drop-message').textContent = skin.error;
      return;
    }
    let at = 0;
    for (const slot of slots) {
      slot.file = skin.bytes.slice(at, at + slot.picture.length);
      slot.original = null;
      slot.convertible = false;
      at += slot.picture.length;
      show(slot, judge(slot, slot.file).verdict, `from ${file.name}`);
    }
    skin.texts.forEach((text, n) => (fields[n].value = text));
    showHint.checked = skin.hint;
    drawSketch();
    $('drop-message').textContent = [`Opened ${file.name}.`, ...skin.warnings].join(' ');
  }

  // ---- The settings, in the window's groups, captions, starting texts and Tab order.

  function buildForm() {
    const form = $('Form1');
    const groups = T.groups.map((group, g) => {
      const frame = document.createElement('fieldset');
      frame.className = 'group';
      frame.style.gridColumn = `${group.column + 1}`;
      frame.style.gridRow = `${group.row + 1}`;
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
    check.innerHTML = `<input type="checkbox" id="Check1" checked> ${T.check}`;
    showHint = check.querySelector('input');
    const placed = new Set();
    for (const stop of T.focus) {
      if (stop === 'button') form.append(button);
      else if (stop === 'check') form.append(check);
      else {
        const field = T.fields[stop];
        const group = T.groups[field.group];
        const row = document.createElement('label');
        row.className = 'field';
        row.id = `Label${field.labelNumber}`;
        const input = document.createElement('input');
        input.id = `Text${stop + 1}`;
        input.value = field.start;
        input.inputMode = 'numeric';
        input.setAttribute('aria-label', `${group.caption} ${field.label.replace(':', '')}`);
        input.addEventListener('input', drawSketch);
        row.append(field.label, input);
        fields[stop] = input;
        const frame = groups[field.group];
        frame.append(row);
        if (!placed.has(frame)) form.append(frame);
        placed.add(frame);
      }
    }
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

  // The core's run of "Just Go!" on what the page holds.
  function build() {
    for (const slot of slots) {
      if (slot.file) put(slot.file);
      core._orb_set_picture(slot.index, slot.file ? 1 : 0);
    }
    fields.forEach((field, n) => withText(field.value, (text) => core._orb_set_text(n, text)));
    core._orb_build(showHint.checked ? 1 : 0);
    return reply();
  }

  function justGo() {
    const pressed = performance.now();
    const run = build();
    if (run.finished) {
      timings.justGo = performance.now() - pressed;
      download(run.bytes, T.skinName, 'application/octet-stream');
    }
    $('message').textContent = run.message;
    $('message').className = `message ${run.finished ? 'good' : 'bad'}`;
    $('warnings').replaceChildren(...(run.warnings || []).map((text) => {
      const item = document.createElement('li');
      item.textContent = `warning: ${text}`;
      return item;
    }));
  }

  // ---- The placement sketch: the six icons over the main screen, by their X, Y fields.

  const sketchIcons = [];
  function buildSketch() {
    const sketch = $('sketch');
    T.groups.forEach((group, g) => {
      const icon = T.pictures[g + 1];
      if (group.colour || !/ icon position$/.test(group.caption)) return;
      const [x, y] = T.fields.flatMap((field, n) => (field.group === g ? [n] : []));
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'icon';
      button.setAttribute('aria-label', group.caption.replace(' position', ''));
      button.innerHTML = `<img alt=""><span>${group.caption.replace(' icon position', '')}</span>`;
      const entry = { button, x, y, slot: slots[g + 1], icon };
      button.style.width = `${(100 * icon.width) / T.pictures[0].width}%`;
      button.style.height = `${(100 * icon.height) / T.pictures[0].height}%`;
      button.addEventListener('keydown', (event) => {
        const step = event.shiftKey ? 8 : 1;
        const moves = { ArrowLeft: [-step, 0], ArrowRight: [step, 0], ArrowUp: [0, -step], ArrowDown: [0, step] };
        if (!moves[event.key]) return;
        event.preventDefault();
        move(entry, position(entry).x + moves[event.key][0], position(entry).y + moves[event.key][1]);
      });
      button.addEventListener('pointerdown', (event) => {
        event.preventDefault();
        button.focus();
        button.setPointerCapture(event.pointerId);
        const box = sketch.getBoundingClientRect();
        const scale = box.width / T.pictures[0].width;
        const start = { x: event.clientX, y: event.clientY, at: position(entry) };
        const follow = (moved) =>
          move(entry, start.at.x + Math.round((moved.clientX - start.x) / scale),
               start.at.y + Math.round((moved.clientY - start.y) / scale));
        button.addEventListener('pointermove', follow);
        button.addEventListener('pointerup', () => button.removeEventListener('pointermove', follow),
                                { once: true });
      });
      sketchIcons.push(entry);
      sketch.append(button);
    });
  }

  function byte(text) {
    return /^\s*\d{1,3}\s*$/.test(text) && Number(text) <= 255 ? Number(text) : null;
  }
  function position(entry) {
    return { x: byte(fields[entry.x].value) ?? entry.shownX ?? 0,
             y: byte(fields[entry.y].value) ?? entry.shownY ?? 0 };
  }
  function move(entry, x, y) {
    fields[entry.x].value = String(Math.min(255, Math.max(0, x)));
    fields[entry.y].value = String(Math.min(255, Math.max(0, y)));
    drawSketch();
  }
  function drawSketch() {
    const screen = slots[0];
    $('sketch-screen').hidden = !screen.url;
    if (screen.url) $('sketch-screen').src = screen.url;
    for (const entry of sketchIcons) {
      const at = position(entry);
      entry.shownX = at.x;
      entry.shownY = at.y;
      entry.button.style.left = `${(100 * at.x) / T.pictures[0].width}%`;
      entry.button.style.top = `${(100 * at.y) / T.pictures[0].height}%`;
      entry.button.title = `${entry.button.getAttribute('aria-label')}: X ${at.x}, Y ${at.y}`;
      const image = entry.button.querySelector('img');
      image.hidden = !entry.slot.url;
      if (entry.slot.url) image.src = entry.slot.url;
    }
  }

  // ---- The preview sheet, drawn by the core; the page writes its texts.

  function drawPreview() {
    const run = build();
    const message = $('preview-message');
    if (!run.finished) {
      message.textContent = run.message;
      return;
    }
    put(run.bytes);
    withText(`${T.skinName} preview`, (title) => core._orb_preview(title));
    const sheet = reply();
    if (sheet.error) {
      message.textContent = sheet.error;
      return;
    }
    const canvas = $('preview');
    canvas.width = sheet.width;
    canvas.height = sheet.height;
    const context = canvas.getContext('2d');
    context.putImageData(new ImageData(new Uint8ClampedArray(sheet.bytes.buffer), sheet.width), 0, 0);
    context.fillStyle = '#000';
    context.textBaseline = 'middle';
    for (const text of sheet.texts) {
      context.font = `${text.title ? 'bold ' : ''}${text.pixels}px sans-serif`;
      context.fillText(text.text, text.left, text.top + text.height / 2);
    }
    canvas.hidden = false;
    canvas.setAttribute('aria-label', 'Preview sheet of the skin');
    message.textContent = '';
    canvas.toBlob((png) => {
      const link = $('preview-download');
      if (link.href) URL.revokeObjectURL(link.href);
      link.href = URL.createObjectURL(png);
      link.download = 'ORBSKIN-preview.png';
      link.hidden = false;
    }, 'image/png');
  }

  // ---- Wiring.

  buildSlots();
  buildForm();
  buildSketch();
  drawSketch();
  // Files dropped anywhere on the page, not only on the box: a browser would otherwise open a
  // file dropped beside it in place of the page, and everything in it would be lost.
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', async (event) => {
    event.preventDefault();
    await take(await dropped(event.dataTransfer));
  });
  for (const id of ['choose-pictures', 'choose-folder']) {
    $(id).addEventListener('change', async (event) => {
      await take([...event.target.files]);
      event.target.value = '';
    });
  }
  $('open-skin').addEventListener('change', async (event) => {
    if (event.target.files.length) await openSkin(event.target.files[0]);
    event.target.value = '';
  });
  $('resize').addEventListener('change', () => {
    for (const slot of slots) if (slot.original) convert(slot, slot.original.bytes, slot.original.name);
  });
  $('draw-preview').addEventListener('click', drawPreview);
  timings.ready = performance.now(); // since the page began to open
  document.body.dataset.ready = 'true';
})().catch((failure) => {
  const message = document.getElementById('message');
  message.textContent = `This browser cannot run the page: ${failure.message || failure}`;
  message.className = 'message bad';
});
