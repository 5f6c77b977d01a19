// Wiring: starts the core, builds the page from its tables and connects the controls.
'use strict';

(() => {
  // The page's fixed texts, each in the element marked data-say="key"; a placeholder given as
  // [tag, text] is that element, a file or command name that stays as it is.
  const fixedTexts = {
    language: [words.later('Language')],
    intro: [words.later('Makes the menu skin file {skin} from twelve pictures and a few settings. Everything happens in this page: no file is uploaded anywhere.'), { skin: ['b', 'ORBSKIN.000'] }],
    picturesHeading: [words.later('1. Pictures')],
    dropHere: [words.later('Drop the pictures, a whole folder, or an existing skin file anywhere on this box. A file goes to the picture whose name it carries, whatever its extension: {png} fills {bmp}.'),
               { png: ['i', 'mainnds.png'], bmp: ['i', 'mainnds.bmp'] }],
    choosePictures: [words.later('Choose pictures')],
    chooseFolder: [words.later('Choose a folder')],
    openSkin: [words.later('Open a skin')],
    startTemplates: [words.later('Start from templates')],
    startOver: [words.later('Start over')],
    conversion: [words.later('Pictures of another size or format are converted')],
    anotherSize: [words.later('Another size')],
    dither: [words.laterIn('check box', 'Dither')],
    background: [words.laterIn('label of a colour', 'Background')],
    settingsHeading: [words.later('2. Settings')],
    downloadAgain: [words.later('Download again')],
    packLine: [words.later('The same settings as a command line:')],
    copy: [words.laterIn('button', 'Copy')],
    pasteLine: [words.later('Paste an {pack} command, or the options that {unpack} prints, to set the fields:'),
                { pack: ['code', 'orbskin-cli pack'], unpack: ['code', 'unpack'] }],
    useLine: [words.later('Set the fields')],
    sketchHeading: [words.later('3. Where the numbers point')],
    sketchNote: [words.later('A placement sketch, not the handheld\'s own rendering: each icon is drawn with its top-left corner at its X, Y over {bmp}. Drag an icon, or focus it and use the arrow keys (with Shift: 8 pixels a step).'),
                 { bmp: ['i', 'mainnds.bmp'] }],
    listSketch: [words.later('Sample lines of the list, one selected, from the list position over {bmp}'), { bmp: ['i', 'listnds.bmp'] }],
    ebookSketch: [words.later('Sample lines of an ebook over {bmp}'), { bmp: ['i', 'ebooknds.bmp'] }],
    previewHeading: [words.later('4. Preview sheet')],
    previewNote: [words.later('The sheet {preview} draws: every picture, the text colours, the positions.'), { preview: ['i', 'orbskin-cli preview'] }],
    drawPreview: [words.later('Draw the preview sheet')],
    downloadPreview: [words.later('Download the preview as PNG')],
    keep: [words.later('Keep what is set here')],
    replace: [words.later('Open the skin')],
  };

  function sayFixedTexts() {
    document.documentElement.lang = language.tag();
    for (const element of document.querySelectorAll('[data-say]')) words.into(element, ...fixedTexts[element.dataset.say]);
  }

  // Everything back as the page first opens, and nothing kept.
  function startOver() {
    store.pause(true);
    for (const { index } of page.slots) state.set(index, { kind: 'empty' });
    settings.set({ texts: page.T.fields.map((field) => field.start), hint: page.T.hintStarts,
                   choices: { resize: 0, dither: 0, background: 0 } });
    form.tell('', '');
    $('built').hidden = true;
    words.show('line-message', null);
    words.show('kept-message', null); // what came back last time is gone too
    sketch.draw();
    commandLine.update();
    const forgotten = store.forget();
    store.pause(false);
    batch.say(phrases.startedOver);
    // Where storage could not be cleared, its message says so, and this line would say otherwise.
    return forgotten.then((cleared) => cleared || batch.say(null));
  }

  // The choice for every picture of another size, from the core's table of ways.
  function buildChoices() {
    $('resize').replaceChildren(...page.T.ways.map((way) => new Option(phrases.anotherSize(way.name), way.resize)));
    $('resize').value = String(settings.choices().resize);
  }

  // The languages we have, each named in its own name.
  function buildLanguages() {
    $('language-menu').replaceChildren(...language.listed().map((entry) => {
      const option = new Option(entry.name, entry.code);
      option.lang = entry.code.replace('_', '-');
      return option;
    }));
    $('language-menu').value = language.code();
  }

  // Everything on screen said again in the language now chosen; nothing set here changes.
  function sayAgain() {
    $('language-menu').value = language.code();
    sayFixedTexts();
    buildChoices();
    slots.sayAgain();
    colours.sayLabels();
    sketch.sayIconNames();
    form.sayRunAgain();
    words.showAgain();
    commandLine.update(); // a field pack would refuse is said in the new language
    sketch.draw();
    preview.redraw();
  }

  // The page from the core's tables, in the user's language.
  function build() {
    page.T = page.core.tables();
    language.connect(page.core, page.T.languages);
    language.choose(navigator.languages || [navigator.language]);
    sayFixedTexts();
    page.slots = page.T.pictures.map((picture, index) => ({ picture, index }));
    state.start(page.slots.length);
    settings.start(page.T.fields.map((field) => field.start), page.T.hintStarts);
    window.orbskinTimings = page.timings; // for the benchmark that measures them
    window.orbskin = { page, state, store, language, batch, conversions, startOver }; // for the tests and the benchmark, which look in
    buildChoices();
    buildLanguages();
    slots.build((index, files) => batch.take(files, page.slots[index]));
    form.build();
    commandLine.build();
    colours.build();
    sketch.build();
  }

  // Every view follows the model, and storage keeps it.
  function follow() {
    state.watch(form.mirror);
    state.watch(store.slotChanged);
    state.watch(() => sketch.draw());
    state.watch(form.forgetRun);
    settings.watch(form.show);
    settings.watch(() => store.settingsChanged());
    settings.watch(() => sketch.draw());
    settings.watch(() => commandLine.update());
    language.watch(sayAgain);
  }

  // The controls that take files, choices and commands.
  function connect() {
    $('language-menu').addEventListener('change', () => {
      language.set($('language-menu').value);
      store.settingsChanged(); // kept with the work
    });
    // Files dropped anywhere on the page, not only on the box: a browser would otherwise open a
    // file dropped beside it in place of the page, and everything in it would be lost.
    document.addEventListener('dragover', (event) => event.preventDefault());
    document.addEventListener('drop', (event) => {
      event.preventDefault();
      if (document.body.inert) return;
      batch.droppedFiles(event.dataTransfer).then(batch.take);
    });
    for (const id of ['choose-pictures', 'choose-folder']) {
      $(id).addEventListener('change', (event) => {
        const files = [...event.target.files];
        event.target.value = '';
        batch.take(files);
      });
    }
    $('open-skin').addEventListener('change', (event) => {
      const [file] = event.target.files;
      event.target.value = '';
      if (file) batch.openSkin(file);
    });
    // A new default converts the pictures waiting for a way; Dither changes every converted
    // picture, Background those it shows in. Each from its kept file.
    const choose = (changes) => () => {
      settings.set({ choices: { resize: Number($('resize').value), dither: $('dither').checked ? 1 : 0,
                                background: parseInt($('background').value.slice(1), 16) } });
      slots.followChoices(changes);
    };
    $('resize').addEventListener('change', choose(() => false));
    $('dither').addEventListener('change', choose(() => true));
    $('background').addEventListener('change', choose((record) => record.made.background));
    $('draw-preview').addEventListener('click', preview.draw);
    $('start-templates').addEventListener('click', batch.startFromTemplates);
    $('download-again').addEventListener('click', () =>
      form.download(page.built, page.T.skinName, 'application/octet-stream'));
    // A failure nothing else caught is still said, in our words, never left in the console alone.
    window.addEventListener('unhandledrejection', (event) => {
      event.preventDefault();
      form.tell(phrases.unexpected(), 'bad');
    });
    $('start-over').addEventListener('click', startOver);
    window.addEventListener('pagehide', store.flush);
  }

  (async () => {
    page.core = connectCore(await orbskinCore);
    build();
    follow();
    sketch.draw();
    connect();
    // Nothing is taken while the kept work comes back, which would then replace it.
    document.body.inert = true;
    try {
      await store.restore();
    } finally {
      document.body.inert = false;
    }
    sketch.draw();
    commandLine.update();
    page.timings.ready = performance.now(); // since the page began to open
    document.body.dataset.ready = 'true';
  })().catch((failure) => {
    const message = document.getElementById('message');
    message.textContent = phrases.cannotRun(failure.message || failure);
    message.className = 'message bad';
  });
})();
