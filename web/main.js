// Wiring: starts the core, builds the page from its tables and connects the controls.
'use strict';

// The choice for every picture of another size, from the core's table of ways.
function buildChoices() {
  const chosen = $('resize').value;
  $('resize').replaceChildren(...page.T.ways.map((way) => new Option(phrases.anotherSize(way.name), way.resize)));
  if (chosen) $('resize').value = chosen;
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

// Everything on screen said again in the language of `code`; nothing set here changes.
function chooseLanguage(code) {
  language.set(code);
  $('language-menu').value = language.code();
}

function sayAgain() {
  page.core.call('language', null, language.code());
  sayFixedTexts();
  buildChoices();
  slots.sayAgain();
  colours.sayLabels();
  sketch.sayIconNames();
  form.sayRunAgain();
  showAgain();
  sketch.draw();
  preview.redraw();
}

language.set(language.chosen(navigator.languages || [navigator.language]));
sayFixedTexts();

(async () => {
  page.core = connectCore(await orbskinCore);
  page.T = page.core.ask('tables', null);
  page.slots = page.T.pictures.map((picture, index) => ({ picture, index }));
  state.start(page.slots.length);
  window.orbskinTimings = page.timings; // for the benchmark that measures them
  window.orbskin = { page, state, store, language, batch, conversions }; // for the tests and the benchmark, which look in
  page.core.call('language', null, language.code());
  buildChoices();
  buildLanguages();
  slots.build();
  form.build();
  commandLine.build();
  colours.build();
  sketch.build();
  state.watch(form.mirror);
  state.watch(store.slotChanged);
  state.watch(() => sketch.draw());
  state.watch(form.forgetRun);
  language.watch(sayAgain);
  sketch.draw();
  $('language-menu').addEventListener('change', () => {
    chooseLanguage($('language-menu').value);
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
  const follow = (changes) => () => {
    form.settingsChanged();
    slots.followChoices(changes);
  };
  $('resize').addEventListener('change', follow(() => false));
  $('dither').addEventListener('change', follow(() => true));
  $('background').addEventListener('change', follow((record) => record.made.background));
  $('draw-preview').addEventListener('click', preview.draw);
  $('start-templates').addEventListener('click', batch.startFromTemplates);
  $('download-again').addEventListener('click', () =>
    form.download(page.built, page.T.skinName, 'application/octet-stream'));
  // A failure nothing else caught is still said, in our words, never left in the console alone.
  window.addEventListener('unhandledrejection', (event) => {
    event.preventDefault();
    form.tell(phrases.unexpected(), 'bad');
  });
  page.showHint.addEventListener('change', form.settingsChanged);
  $('start-over').addEventListener('click', startOver);
  window.addEventListener('pagehide', store.flush);
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
