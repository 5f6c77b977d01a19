// Wiring: starts the core, builds the page from its tables and connects the controls.
'use strict';

(async () => {
  page.core = connectCore(await orbskinCore);
  page.T = page.core.ask('tables', null);
  page.slots = page.T.pictures.map((picture, index) => ({
    picture, index, file: null, original: null, source: null, url: null, turn: 0, pending: null, cancel: null,
  }));
  window.orbskinTimings = page.timings; // for the benchmark that measures them
  buildSlots();
  buildForm();
  buildColours();
  buildSketch();
  drawSketch();
  // Files dropped anywhere on the page, not only on the box: a browser would otherwise open a
  // file dropped beside it in place of the page, and everything in it would be lost.
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    droppedFiles(event.dataTransfer).then(take);
  });
  for (const id of ['choose-pictures', 'choose-folder']) {
    $(id).addEventListener('change', (event) => {
      const files = [...event.target.files];
      event.target.value = '';
      take(files);
    });
  }
  $('open-skin').addEventListener('change', (event) => {
    const [file] = event.target.files;
    event.target.value = '';
    if (file) openSkin(file);
  });
  $('resize').addEventListener('change', () => {
    remember();
    for (const slot of page.slots) if (slot.original) reconvert(slot, slot.original);
  });
  $('draw-preview').addEventListener('click', drawPreview);
  $('start-templates').addEventListener('click', startFromTemplates);
  $('download-again').addEventListener('click', () =>
    download(page.built, page.T.skinName, 'application/octet-stream'));
  // A failure nothing else caught is still shown, never left in the console alone.
  window.addEventListener('unhandledrejection', (event) => {
    event.preventDefault();
    tell(String(event.reason && event.reason.message || event.reason), 'bad');
  });
  page.showHint.addEventListener('change', remember);
  for (const id of ['dither', 'background']) $(id).addEventListener('change', remember);
  $('start-over').addEventListener('click', startOver);
  await restoreWork();
  page.timings.ready = performance.now(); // since the page began to open
  document.body.dataset.ready = 'true';
})().catch((failure) => {
  const message = document.getElementById('message');
  message.textContent = words.cannotRun(failure.message || failure);
  message.className = 'message bad';
});
