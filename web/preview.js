// The preview sheet, drawn by the core; the page writes its texts.
'use strict';
/* exported preview */

const preview = (() => {
  // Drawn from what the slots will hold: a conversion still running is waited for.
  async function drawPreview() {
    await state.idle();
    const run = form.run();
    if (!run.finished) {
      // pack's own message and what it means, each in its own line, as beside "Just Go!": pack's
      // ends in no full stop.
      words.show('preview-message', () => run.message);
      words.show('preview-meaning', () => form.meaning(run, run.picture >= 0 && state.get(run.picture).kind === 'empty'));
      return;
    }
    const sheet = page.core.preview(run.bytes, words('Preview of {skin}', { skin: page.T.skinName }));
    if (sheet.error) {
      words.show('preview-message', () => sheet.error);
      words.show('preview-meaning', null);
      return;
    }
    const canvas = $('preview');
    canvas.width = sheet.width;
    canvas.height = sheet.height;
    const context = canvas.getContext('2d');
    context.putImageData(new ImageData(new Uint8ClampedArray(sheet.bytes.buffer), sheet.width), 0, 0);
    context.textBaseline = 'middle';
    for (const text of sheet.texts) {
      context.fillStyle = text.colour;
      context.font = `${text.title ? 'bold ' : ''}${text.pixels}px ${getComputedStyle(document.body).fontFamily}`;
      context.fillText(text.text, text.left, text.top + text.height / 2);
    }
    // What it says, for a reader that cannot see it: the canvas's own content.
    canvas.replaceChildren(...sheet.texts.map(({ text }) => Object.assign(document.createElement('p'), { textContent: text })));
    canvas.hidden = false;
    canvas.setAttribute('aria-label', words('Preview sheet of the skin'));
    words.show('preview-message', null);
    words.show('preview-meaning', null);
    canvas.toBlob((png) => {
      const link = $('preview-download');
      if (link.href) URL.revokeObjectURL(link.href);
      link.href = URL.createObjectURL(png);
      link.download = 'ORBSKIN-preview.png';
      link.hidden = false;
    }, 'image/png');
  }

  // A sheet on screen is drawn again in a new language, its captions being ours.
  function redrawPreview() {
    if (!$('preview').hidden) drawPreview();
  }

  return { draw: drawPreview, redraw: redrawPreview };
})();
