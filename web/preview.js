// The preview sheet, drawn by the core; the page writes its texts.
'use strict';

// Drawn from what the slots will hold: a conversion still running is waited for.
async function drawPreview() {
  await state.idle();
  const run = build();
  const message = $('preview-message');
  if (!run.finished) {
    message.textContent = run.message;
    return;
  }
  const sheet = page.core.ask('preview', run.bytes, `${page.T.skinName} preview`);
  if (sheet.error) {
    message.textContent = sheet.error;
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
