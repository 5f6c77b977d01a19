// The twelve slots: what comes into each (a file, a template, a skin's picture) becomes its record
// in `state`, and each box shows its record and nothing else. The last choice for a slot wins,
// however long the one before takes to convert.
'use strict';
/* exported slots */

const slots = (() => {
  // check's verdict on a file of `length` bytes whose head is `head`, which alone goes into the
  // core; `name` words its refusal where it is larger than any picture is read. A file whose size
  // lies past its head is judged whole by its conversion's worker, whose memory goes with it.
  function judge(index, head, length, name = '') {
    return page.core.judge(head.subarray(0, page.T.headLength), index, length, name);
  }

  async function judgeBlob(index, { name, blob }) {
    return judge(index, new Uint8Array(await blob.slice(0, page.T.headLength).arrayBuffer()), blob.size, name);
  }

  const jobs = [];  // per slot: the worker converting its record, and how to end it
  const views = []; // per slot: the object URLs its box shows

  // A file the slot cannot take: kept as chosen, so that "Just Go!" says of it what pack says.
  // `said`: its message in each language, as language.everywhere() gives it.
  function refusal(file, choices, said, verdict, ways = null) {
    return { kind: 'refused', said, file, choices, verdict, ways };
  }

  function waysOf(result) {
    return result.ways.map((way) => ({
      resize: way.resize, name: way.name, preview: result.bytes.slice(way.at, way.at + way.length),
    }));
  }

  // The record the slot gets from `file` with `choices`: one of exactly the length the skin needs
  // is kept as it is, as pack would take it; any other is converted as import would. Null where
  // the conversion was ended for a later choice.
  async function conversionOf(index, turn, file, choices, started) {
    const { picture } = page.slots[index];
    if (file.blob.size > page.T.largestFile) {
      const verdict = await judgeBlob(index, file);
      return refusal(file, choices, verdict.refusedIn, verdict);
    }
    const bytes = new Uint8Array(await file.blob.arrayBuffer());
    if (!state.current(index, turn)) return null;
    const verdict = judge(index, bytes, bytes.length);
    if (bytes.length === picture.length && !choices.convert) return { kind: 'ready', bytes, file, choices: null, origin: 'kept', verdict };
    const job = conversions.start({ bytes, name: file.name, slot: index, how: choices, judgeWhole: verdict.sizeLiesPast },
                                () => state.current(index, turn) && sayTexts(index, state.get(index)));
    jobs[index] = { job, record: state.get(index) };
    if (!job.running()) sayTexts(index, state.get(index)); // queued: it says it waits its turn
    const result = await job.result;
    if (result.superseded) return null;
    if (result.failure) return refusal(file, choices, language.everywhere(() => page.core.unreadable(file.name, phrases.stopped()).error), verdict);
    if (result.error) return refusal(file, choices, result.errorIn, result.verdict || verdict);
    if (result.otherSize) return refusal(file, choices, language.everywhere((code) => phrases.otherSize(result.otherSizeIn[code])), result.verdict || verdict, waysOf(result));
    page.timings.import = performance.now() - started;
    page.timings.decode = result.decodeTime;
    const made = { way: result.way, background: result.background, mostlyClear: result.mostlyClear, profile: result.profile,
                   gamma: result.gamma, ditherHelps: result.ditherHelps };
    return { kind: 'ready', bytes: result.bytes, file, choices, origin: 'converted', made,
             verdict: judge(index, result.bytes, result.bytes.length) };
  }

  // Converts `file` ({name, blob}) into the slot; the slot says so while a worker runs.
  async function fill(index, file, choices = settings.choices()) {
    const started = performance.now();
    const turn = state.set(index, { kind: 'converting', file, choices });
    let record;
    try {
      record = await conversionOf(index, turn, file, choices, started);
    } catch (failure) {
      // Its bytes could not be had: the file changed or went away since it was chosen.
      const said = language.everywhere(() => page.core.unreadable(file.name, phrases.unreadableFile()).error);
      const unread = () => judge(index, new Uint8Array(0), file.blob.size);
      record = refusal(file, choices, said, await judgeBlob(index, file).catch(unread));
    }
    if (record && state.current(index, turn)) state.set(index, record);
  }

  // Another record ends the worker of the one before: its result, when it comes, is dropped.
  function endStale(index, record) {
    const running = jobs[index];
    if (running && running.record !== record) {
      running.job.cancel();
      jobs[index] = null;
    }
  }

  // A file kept as it is that import would read otherwise: its box offers "Convert".
  const convertible = (record) => record.origin === 'kept' && !record.verdict.ok && record.verdict.importable;

  function note(index, record) {
    switch (record.kind) {
      case 'converting': {
        const job = jobs[index];
        const queued = job && job.record === record && !job.job.running();
        return queued ? phrases.waitingTurn(record.file.name) : phrases.converting(record.file.name);
      }
      case 'refused': return record.said ? language.pick(record.said) : record.message; // or as an older page kept it
      case 'empty': return '';
      default:
        if (record.origin === 'template') return phrases.template();
        if (record.origin === 'skin') return phrases.from(record.skin);
        if (record.origin === 'kept') return record.verdict.ok ? phrases.from(record.file.name) : phrases.keptAsItIs(record.file.name);
        return phrases.converted(record.file.name, record.made, record.choices);
    }
  }

  // The advice import gives: of a mostly transparent picture laid over black, and of a colour
  // profile that the skin's numbers do not follow; and check's, of smooth shades left undithered.
  function advice(record) {
    const made = record.kind === 'ready' && record.made;
    if (!made) return '';
    const clear = made.mostlyClear && record.choices.background === 0 ? phrases.overBlack(record.file.name) : '';
    const profile = typeof made.profile === 'string'
      ? page.core.profileWarning(record.file.name, made.profile).warning
      : made.gamma ? page.core.gammaWarning(record.file.name, made.gamma).warning : '';
    const dither = made.ditherHelps && !record.choices.dither ? phrases.ditherHelps(record.file.name) : '';
    return [clear, profile, dither].filter(Boolean).join(' ');
  }

  function release(view) {
    for (const url of view.urls) URL.revokeObjectURL(url);
    view.urls = [];
    view.shown = null;
  }

  function urlOf(view, bytes) {
    const url = URL.createObjectURL(new Blob([bytes], { type: 'image/bmp' }));
    view.urls.push(url);
    return url;
  }

  function render(index, record) {
    const item = $(`slot-${index}`);
    const view = views[index];
    release(view);
    const image = item.querySelector('.thumb img');
    // A file kept as it is, as pack takes it: its own header may say another row order.
    const shown = record.origin === 'kept' ? page.core.asPacked(record.bytes, index).bytes : record.bytes;
    if (record.kind === 'ready') image.src = view.shown = urlOf(view, shown);
    else image.removeAttribute('src');
    image.hidden = record.kind !== 'ready';
    item.setAttribute('aria-busy', String(record.kind === 'converting'));
    sayTexts(index, record);
    item.querySelector('.convert').hidden = !convertible(record);
    item.querySelector('.remove').hidden = record.kind === 'empty';
    offerWays(index, record, view);
  }

  // What the box says of its record, in the page's language; the verdict of a picture it holds
  // is the core's, asked again, and that of a refused file was said in each language.
  function sayTexts(index, record) {
    const item = $(`slot-${index}`);
    const verdict = record.kind === 'ready' ? judge(index, record.bytes, record.bytes.length) : record.verdict;
    item.querySelector('.verdict').textContent = record.kind === 'empty' ? words(page.T.missing) : verdict ? (verdict.verdictIn ? language.pick(verdict.verdictIn) : verdict.verdict) : '';
    item.querySelector('.verdict').className = `verdict ${verdict && verdict.ok ? 'good' : 'bad'}`;
    item.querySelector('.note').textContent = note(index, record);
    item.querySelector('.note').className = `note message${record.kind === 'refused' ? ' bad' : ''}`;
    item.querySelector('.advice').textContent = advice(record);
    for (const button of item.querySelectorAll('.ways button')) nameWay(button, index);
  }


  // The ways to convert a picture of another size, right in its slot, each a button named with
  // the way and the picture ("Crop mainnds.bmp") and showing a preview of its result.
  // Named in full for whoever cannot see which slot it sits in; shown as the way alone.
  function nameWay(button, index) {
    button.setAttribute('aria-label', words('{way} {file}', { way: words(button.dataset.way), file: page.slots[index].picture.name }));
    button.lastChild.textContent = words(button.dataset.way);
  }

  function offerWays(index, record, view) {
    const list = $(`slot-${index}`).querySelector('.ways');
    const images = [];
    list.replaceChildren(...(record.ways || []).map((way) => {
      const button = document.createElement('button');
      button.type = 'button';
      const image = document.createElement('img');
      image.alt = '';
      image.src = urlOf(view, way.preview);
      images.push(image.decode().catch(() => {}));
      button.dataset.way = way.name;
      button.append(image, '');
      nameWay(button, index);
      button.addEventListener('click', () => {
        fill(index, record.file, { ...record.choices, resize: way.resize });
        $(`slot-${index}`).focus();
      });
      return button;
    }));
    if (images.length) Promise.all(images).then(() => (page.timings.ways = performance.now() - page.timings.dropped));
  }

  // Converts again, from the kept file, every picture that `changes(record)` says the choices
  // above change, or that is converting with other ones; a picture waiting for a way takes the
  // new default.
  function followChoices(changes) {
    const now = settings.choices();
    const differs = (choices) => choices.dither !== now.dither || choices.background !== now.background;
    state.all().forEach((record, index) => {
      // A conversion asked for with "Convert" stays one.
      if (record.kind === 'refused' && record.ways) fill(index, record.file, { ...now, convert: record.choices.convert });
      else if ((record.kind === 'converting' && differs(record.choices)) ||
               (record.kind === 'ready' && record.origin === 'converted' && changes(record))) {
        fill(index, record.file, { ...record.choices, ...now, resize: record.choices.resize });
      }
    });
  }

  // The slot's buttons and labels, named in full for whoever cannot see which slot they sit in.
  function label(index) {
    const item = $(`slot-${index}`);
    const { name } = page.slots[index].picture;
    const named = (selector, text, label) => {
      item.querySelector(selector).textContent = text;
      item.querySelector(selector === '.button span' ? 'input' : selector).setAttribute('aria-label', label);
    };
    named('.button span', words.in('button', 'Choose'), words('Choose {file}', { file: name }));
    named('.convert', words.in('button', 'Convert'), words('Convert {file}', { file: name }));
    named('.remove', words.in('button', 'Remove'), words('Remove {file}', { file: name }));
    item.querySelector('img').alt = words('{file} as the skin will show it', { file: name });
  }

  // Everything the slots show, in the page's language; a refusal was said in each when it was
  // made, so nothing is read or converted again.
  function sayAgain() {
    for (const { index } of page.slots) {
      label(index);
      sayTexts(index, state.get(index));
    }
  }

  // `dropped(index, files)`: what takes the files dropped on a box.
  function build(dropped) {
    const list = $('slots');
    for (const { picture, index } of page.slots) {
      const { name, size } = picture;
      views[index] = { urls: [], shown: null };
      const item = document.createElement('li');
      item.id = `slot-${index}`;
      item.className = 'slot';
      item.tabIndex = -1;  // a failed run moves the focus to the slot it names
      item.innerHTML =
        `<h3>${name}</h3> <span class="size">${size}</span>` +
        '<div class="thumb"><img hidden decoding="async"></div>' +
        '<p class="verdict bad"></p><p class="note message" role="status"></p>' +
        '<p class="advice message"></p><div class="ways"></div>' +
        '<label class="button"><span></span><input type="file"></label>' +
        '<button type="button" class="convert" hidden></button><button type="button" class="remove" hidden></button>';
      // Screens at 1:1 where there is room, icons enlarged by whole factors, every pixel sharp.
      item.classList.add(picture.width >= 256 ? 'slot-screen' : picture.width >= 64 ? 'slot-icon' : 'slot-small');
      item.querySelector('input').addEventListener('change', (event) => {
        if (event.target.files.length) take(index, event.target.files[0]);
        event.target.value = '';
      });
      // Converted as import would, though pack would take it as it is.
      item.querySelector('.convert').addEventListener('click', () => fill(index, state.get(index).file, { ...settings.choices(), convert: true }));
      item.querySelector('.remove').addEventListener('click', () => {
        state.set(index, { kind: 'empty' });
        item.querySelector('input').focus();
      });
      item.addEventListener('dragover', (event) => event.preventDefault());
      item.addEventListener('drop', (event) => {
        event.preventDefault();
        event.stopPropagation();
        if (event.dataTransfer.files.length) dropped(index, [...event.dataTransfer.files]);
      });
      list.append(item);
      label(index);
      render(index, state.get(index));
    }
    state.watch(endStale);
    state.watch(render);
  }

  function take(index, file) {
    page.timings.dropped = performance.now();
    return fill(index, { name: file.name, blob: file });
  }

  return {
    build, take, fill, followChoices, sayAgain,
    // The object URL of what the slot's box shows; null where it shows no picture.
    shown: (index) => views[index].shown,
    // The name of the button the slot's box offers to make its picture right; null for none.
    offered: (index) => {
      const record = state.get(index);
      return convertible(record) ? words.in('button', 'Convert') : record.ways ? words(record.ways[0].name) : null;
    },
    set: (index, bytes, origin, extra = {}) =>
      state.set(index, { kind: 'ready', bytes, file: null, choices: null, origin, ...extra,
                         verdict: judge(index, bytes, bytes.length) }),
  };
})();
