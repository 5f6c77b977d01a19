// Converting a picture as import does, off the page's thread: each conversion runs in a worker of
// its own with its own instance of the core, so that a large photo neither stalls the page nor
// keeps the memory it needed once the worker is ended.
'use strict';
/* exported conversions */
/* global handOver: writable -- declared in a worker's own source, before these parts */

const conversions = (() => {
  // Pixels as stored: no colour profile applied, alpha not premultiplied.
  const decodeOptions = { colorSpaceConversion: 'none', premultiplyAlpha: 'none' };

  // The worker's side: these functions run in the worker, whose source is built from them (see
  // workerParts), so that they can use nothing of the page's that is not listed there.
  function workerMain(scope) {
    const ready = orbskinCore.then(connectCore);
    // Always answers, so that the page never waits for a worker that gave up: with the core's
    // reply, or with {failure} where the conversion failed, which the page words.
    scope.onmessage = async ({ data: job }) => {
      if (handOver) return handOver(job);
      let result;
      try {
        const core = await ready;
        result = await importPicture(core, job);
      } catch {
        result = { failure: true }; // the page words it
      }
      scope.postMessage(result, result.bytes ? [result.bytes.buffer] : []);
    };
  }

  // The canonical BMP of the slot from any picture file, or the core's message. BMP, TGA, PNG and
  // TIFF are read by the core's own readers, the browser only inflating a PNG's image data and a
  // Deflate TIFF's pieces; JPEG, GIF and WebP by the browser's decoder.
  // A file refused, or of another size, whose size lies past its head is judged whole here, once
  // the core is done with it: the page's verdict then says its size.
  async function importPicture(core, job) {
    const seen = {};
    const result = await decodeAndConvert(core, job, seen);
    if (!result.error && seen.before) {
      result.profile = await profileOf(core, job.bytes, seen.before);
      result.gamma = seen.before.gamma || 0;
    }
    if (job.judgeWhole && (result.error || result.otherSize)) result.verdict = core.judge(job.bytes, job.slot, job.bytes.length, job.name);
    return result;
  }

  // The colour profile the file carries that is not sRGB, by name ("" where it gives none); null
  // for none. A PNG's is inflated here, as its image data is.
  async function profileOf(core, bytes, before) {
    if (!before) return null;
    if (before.profile !== undefined) return before.profile;
    if (!before.profileLength) return null;
    const stream = bytes.slice(before.profileAt, before.profileAt + before.profileLength);
    const limit = 4 << 20; // as on the desktop: a larger one is no profile of a picture
    const icc = await inflateStream(core, stream, limit + 1);
    const named = icc && icc.length <= limit && core.profileName(icc);
    return named && named.profile !== undefined ? named.profile : null;
  }

  // The profile is read once the core is done with the file's bytes, as it reads the profile's own.
  async function decodeAndConvert(core, { bytes, name, slot, how, language }, seen) {
    core.language([language]);
    const before = core.beforeDecoding(bytes, name);
    if (before.error) return before;
    seen.before = before;
    const job = { slot, source: name, decoder: before.decoder, orientation: before.orientation || 1,
                  resize: how.resize, dither: Boolean(how.dither), background: how.background };
    let input = null; // the core keeps what it was given last, the file for its own readers
    const started = performance.now();
    if (before.decoder === 'png') {
      input = await inflateStream(core, before.bytes, before.inflatedLength);
    } else if (before.decoder === 'tiff') {
      input = await inflatedPieces(core, before);
    } else if (before.decoder === 'browser') {
      job.decoder = 'pixels';
      try {
        if (how.resize === 0) {
          const reduced = await waysOfLargeJpeg(core, before, job);
          if (reduced) return reduced;
          const decoded = await bitmapOf(before.bytes, { slot, orientation: job.orientation });
          const ways = await waysOfLarge(core, decoded, job);
          if (ways) return ways;
          Object.assign(job, await pixelsOf(core, decoded.bitmap, before.bytes));
        } else {
          Object.assign(job, (await decodeJpegDirectly(core, before.bytes)) ||
                             (await pixelsOf(core, (await bitmapOf(before.bytes)).bitmap, before.bytes)));
        }
      } catch {
        // Bytes of no format we know are refused in the desktop's words, not the browser's.
        if (before.unknown) return before.unknown;
        job.undecoded = true;
      }
    }
    if (before.decoder !== 'ours' && before.decoder !== 'browser' && !input) job.undecoded = true;
    const decoded = performance.now() - started;
    const result = core.convert(input, job);
    result.decodeTime = decoded;
    return result;
  }

  // A PNG's image data, a zlib stream, inflated by the browser to `length` bytes and no more, so
  // that a small stream claiming gigabytes stops there: it is handed over a slice at a time, as
  // what comes out is taken, since a browser inflates all of a piece it is given before it can be
  // stopped. Fewer bytes where the stream ends early (the core says it is cut short), null where it
  // does not inflate.
  async function inflate(data, length) {
    const kSlice = 1 << 16; // inflates to 64 MB at the very most
    const stream = new DecompressionStream('deflate');
    const writer = stream.writable.getWriter();
    const reader = stream.readable.getReader();
    (async () => {
      for (let from = 0; from < data.length; from += kSlice) await writer.write(data.subarray(from, from + kSlice));
      await writer.close();
    })().catch(() => {}); // the reader is told the same
    const out = new Uint8Array(length);
    let at = 0;
    try {
      while (at < length) {
        const { done, value } = await reader.read();
        if (done) break;
        out.set(value.subarray(0, length - at), at);
        at += Math.min(value.length, length - at);
      }
    } catch {
      return null;
    } finally {
      reader.cancel().catch(() => {});
    }
    return out.subarray(0, at);
  }

  // The same, for a stream that may be followed by other bytes, as the desktop's inflater leaves
  // them unread: an inflater that refuses them (WebKit's) is handed the stream alone.
  async function inflateStream(core, data, length) {
    if (!data.length) return data; // no stream at all: cut short, as the desktop says
    const inflated = await inflate(data, length);
    if (inflated) return inflated;
    const { length: own } = core.zlibLength(data);
    return own && own < data.length ? inflate(data.subarray(0, own), length) : null;
  }

  // A Deflate TIFF's strips or tiles, each a zlib stream of its own, end to end in before.bytes:
  // each inflated to its own length, end to end; null where one does not inflate to it.
  async function inflatedPieces(core, before) {
    const out = new Uint8Array(before.inflatedLengths.reduce((sum, length) => sum + length, 0));
    for (let i = 0, from = 0, at = 0; i < before.pieces.length; ++i) {
      const length = before.inflatedLengths[i];
      const piece = await inflateStream(core, before.bytes.subarray(from, from + before.pieces[i]), length);
      if (!piece || piece.length < length) return null;
      out.set(piece, at);
      from += before.pieces[i];
      at += length;
    }
    return out;
  }

  // WebCodecs' decoder of a JPEG, its pixels as stored, reducing them as it decodes where `desired`
  // asks and it can; null where the bytes are no JPEG or the browser has no such decoder.
  function jpegDecoder(bytes, desired = {}) {
    if (!(bytes[0] === 0xff && bytes[1] === 0xd8) || typeof ImageDecoder !== 'function') return null;
    return new ImageDecoder({ data: bytes, type: 'image/jpeg', colorSpaceConversion: 'none', ...desired });
  }

  // A JPEG goes straight from WebCodecs' decoder into the core's memory where the browser has it.
  async function decodeJpegDirectly(core, bytes) {
    const decoder = jpegDecoder(bytes);
    if (!decoder) return null;
    try {
      const { image } = await decoder.decode();
      try {
        // Decoded to YUV (Chromium's way with most JPEGs), its colours are then converted by
        // other rules than a JPEG decoder's own, a level off: the canvas way decodes it as stored.
        if (!['RGBA', 'RGBX', 'BGRA', 'BGRX'].includes(image.format)) return null;
        const { width, height } = image.visibleRect;
        await core.pixels(width * height, (view) => image.copyTo(view(), { format: 'RGBA' }));
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

  // The decoded picture as {bitmap, width, height}, the picture's own size. WebKit reads no Blob
  // in a worker: there the page decodes and hands the picture over, already drawn down where it
  // is only `previewFor` the ways of a slot.
  async function bitmapOf(bytes, previewFor = null) {
    try {
      const bitmap = await createImageBitmap(new Blob([bytes]), decodeOptions);
      return { bitmap, width: bitmap.width, height: bitmap.height };
    } catch {
      self.postMessage({ decode: bytes, previewFor });
      const { pixels, of, width, height } = await handedOver();
      const canvas = new OffscreenCanvas(of.width, of.height);
      canvas.getContext('2d', { willReadFrequently: true }).putImageData(new ImageData(new Uint8ClampedArray(pixels.buffer), of.width), 0, 0);
      return { bitmap: canvas, width, height };
    }
  }

  // The pixels the page decoded, `of` that size, handed over in bands of rows, one message each
  // (see decodeOnPage): handing a whole photo over at once holds the page's thread for as long as
  // it takes.
  function handedOver() {
    return new Promise((done, fail) => {
      let pixels = null;
      let of = null;
      handOver = (part) => {
        if (part.rows) {
          of = part.of;
          pixels ??= new Uint8Array(of.width * of.height * 4);
          pixels.set(part.rows, part.top * of.width * 4);
          return;
        }
        handOver = null;
        if (part.decodeFailure || !pixels) fail(new Error(part.decodeFailure));
        else done({ pixels, of, width: part.width, height: part.height });
      };
    });
  }

  // The picture's pixels into the core, drawn down to `width` × `height` where that is smaller; a
  // canvas already of that size is read as it is. The whole picture, of the file's `bytes`, is read
  // again where it is partly transparent (see exactPixels).
  async function pixelsOf(core, bitmap, bytes = null, width = bitmap.width, height = bitmap.height) {
    const drawn = bitmap instanceof OffscreenCanvas && bitmap.width === width && bitmap.height === height;
    const canvas = drawn ? bitmap : new OffscreenCanvas(width, height);
    const context = canvas.getContext('2d', { willReadFrequently: true });
    if (!drawn) {
      context.imageSmoothingQuality = 'high';
      context.drawImage(bitmap, 0, 0, width, height);
    }
    const pixels = context.getImageData(0, 0, width, height).data;
    try {
      if (bytes && partlyTransparent(pixels)) return await exactPixels(core, bitmap, bytes);
      await core.pixels(width * height, (view) => view().set(pixels));
      return { width, height };
    } finally {
      if (bitmap.close) bitmap.close();
    }
  }

  // Whether a pixel is neither clear nor opaque: the 2D canvas keeps colour multiplied by alpha,
  // which loses a level of such a pixel's colour in some engines.
  function partlyTransparent(pixels) {
    for (let i = 3; i < pixels.length; i += 4) if (pixels[i] !== 0 && pixels[i] !== 255) return true;
    return false;
  }

  // The pixels as the file stores them, colour not multiplied by alpha, into the core: a frame made
  // from the bitmap keeps them (Chromium, Firefox), copied in its own layout, as a copy converted
  // to RGBA multiplies them there; else the page reads them (WebKit). {inexact} where neither can.
  async function exactPixels(core, bitmap, bytes) {
    const { width, height } = bitmap;
    try {
      // A frame of a canvas holds what it holds, colour multiplied.
      const frame = bitmap instanceof ImageBitmap && new VideoFrame(bitmap, { timestamp: 0, alpha: 'keep' });
      try {
        if (frame && (frame.format === 'RGBA' || frame.format === 'BGRA')) {
          await core.pixels(width * height, async (view) => {
            await frame.copyTo(view());
            const pixels = view();
            if (frame.format === 'BGRA') for (let i = 0; i < pixels.length; i += 4) [pixels[i], pixels[i + 2]] = [pixels[i + 2], pixels[i]];
          });
          return { width, height };
        }
      } finally {
        if (frame) frame.close();
      }
    } catch {
      // no VideoFrame in this browser: the page reads them
    }
    try {
      self.postMessage({ decode: bytes, exact: true });
      const { pixels } = await handedOver();
      await core.pixels(width * height, (view) => view().set(pixels));
      return { width, height };
    } catch {
      return { inexact: true };
    }
  }

  // A large picture of another size, only to be offered the ways to convert it: the browser draws
  // it down near the slot's size and the core makes the previews from that, so that they come
  // while the drop is fresh. The way chosen then converts the whole picture. Nothing where the
  // core wants the whole picture even for the previews.
  async function waysOfLarge(core, { bitmap, width, height }, job) {
    const small = previewSize(core, job.slot, width, height, job.orientation);
    if (!small) return null;
    await pixelsOf(core, bitmap, null, small.width, small.height);
    return core.ways({ ...job, width, height, smallWidth: small.width, smallHeight: small.height });
  }

  // The same for a JPEG whose size its header gives, where WebCodecs' decoder can reduce it as it
  // decodes (Chromium's does, by eighths): that takes half the time of decoding every pixel.
  async function waysOfLargeJpeg(core, { bytes, width, height }, job) {
    const small = width && previewSize(core, job.slot, width, height, job.orientation);
    const decoder = small && jpegDecoder(bytes, { desiredWidth: small.width, desiredHeight: small.height });
    if (!decoder) return null;
    try {
      const { image } = await decoder.decode();
      const { width: reducedWidth, height: reducedHeight } = image.visibleRect;
      if (reducedWidth < small.width || reducedHeight < small.height) {
        image.close();
        return null;
      }
      await pixelsOf(core, image, null, small.width, small.height);
    } catch {
      return null; // the whole picture's way decides, and words any refusal
    } finally {
      decoder.close();
    }
    return core.ways({ ...job, width, height, smallWidth: small.width, smallHeight: small.height });
  }

  // The size a picture is drawn down to when it is only to be offered the ways to convert it into
  // `slot`; null where the whole picture is wanted.
  function previewSize(core, slot, width, height, orientation) {
    const small = core.previewSize({ slot, width, height, orientation });
    return small.width ? small : null;
  }

  // For the engine whose workers read no Blob: an image element decodes the picture away from the
  // page's thread, and the page hands its pixels to the worker in bands of a quarter of a megapixel,
  // each in a task of its own (see handedOver): drawn down where the worker wants them only for the
  // previews, or as stored where it asks for them `exact`.
  async function decodeOnPage(bytes, previewFor, post, exact) {
    const kBandPixels = 1 << 18;
    const image = new Image();
    image.src = URL.createObjectURL(new Blob(withoutJpegProfile(bytes)));
    try {
      await image.decode();
      const { naturalWidth: width, naturalHeight: height } = image;
      const small = !exact && previewFor && previewSize(page.core, previewFor.slot, width, height, previewFor.orientation);
      const of = small || { width, height };
      const rows = Math.max(1, Math.floor(kBandPixels / of.width));
      const reader = (exact ? exactRows : canvasRows)(image, of, rows);
      try {
        for (let top = 0; top < of.height; top += rows) {
          const band = await reader.read(top, Math.min(rows, of.height - top));
          post({ rows: band, top, of }, [band.buffer]);
          await new Promise((next) => setTimeout(next)); // the page's own work between two bands
        }
      } finally {
        reader.close();
      }
      post({ width, height });
    } finally {
      URL.revokeObjectURL(image.src);
      image.removeAttribute('src'); // lets the engine drop the decoded picture now
    }
  }

  // A JPEG's parts but its colour profile (APP2 "ICC_PROFILE"), which an image element applies
  // whatever it is asked: the skin takes the numbers as stored, as import does. Other bytes whole.
  function withoutJpegProfile(bytes) {
    if (!(bytes[0] === 0xff && bytes[1] === 0xd8)) return [bytes];
    const kept = [bytes.subarray(0, 2)];
    let at = 2;
    while (at + 4 <= bytes.length && bytes[at] === 0xff && bytes[at + 1] !== 0xda) {
      const end = at + 2 + ((bytes[at + 2] << 8) | bytes[at + 3]);
      const profile = bytes[at + 1] === 0xe2 && String.fromCharCode(...bytes.subarray(at + 4, at + 16)) === 'ICC_PROFILE\0';
      if (!profile) kept.push(bytes.subarray(at, end));
      at = end;
    }
    kept.push(bytes.subarray(at));
    return kept;
  }

  // Bands of the image's rows, `of` its size or drawn down to it, drawn from the element itself into
  // a canvas and read back as bytes: in WebKit a bitmap made of the image on the page decodes the
  // whole picture again on the page's thread, and one handed to a worker is copied there, for up
  // to a tenth of a second a band; bytes are handed over as they are.
  function canvasRows(image, of, rows) {
    const context = new OffscreenCanvas(of.width, rows).getContext('2d', { willReadFrequently: true });
    context.imageSmoothingQuality = 'high';
    const scale = image.naturalHeight / of.height;
    return {
      read(top, count) {
        context.clearRect(0, 0, of.width, rows);
        context.drawImage(image, 0, top * scale, image.naturalWidth, count * scale, 0, 0, of.width, count);
        return context.getImageData(0, 0, of.width, count).data;
      },
      close() {},
    };
  }

  // The same, as stored: WebGL takes an image's pixels so where asked not to multiply colour by
  // alpha, and WebKit then decodes the file again for it. Fails where the browser has no WebGL or
  // the picture is larger than it takes.
  function exactRows(image, { width, height }) {
    const gl = document.createElement('canvas').getContext('webgl');
    if (!gl || Math.max(width, height) > gl.getParameter(gl.MAX_TEXTURE_SIZE)) throw new Error('no exact pixels');
    const close = () => gl.getExtension('WEBGL_lose_context')?.loseContext(); // its memory back now
    try {
      gl.pixelStorei(gl.UNPACK_PREMULTIPLY_ALPHA_WEBGL, false);
      gl.pixelStorei(gl.UNPACK_COLORSPACE_CONVERSION_WEBGL, gl.NONE);
      const texture = gl.createTexture();
      gl.bindTexture(gl.TEXTURE_2D, texture);
      gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, gl.RGBA, gl.UNSIGNED_BYTE, image);
      gl.bindFramebuffer(gl.FRAMEBUFFER, gl.createFramebuffer());
      gl.framebufferTexture2D(gl.FRAMEBUFFER, gl.COLOR_ATTACHMENT0, gl.TEXTURE_2D, texture, 0);
    } catch (failure) {
      close();
      throw failure;
    }
    return {
      read(top, count) {
        const band = new Uint8Array(width * count * 4);
        gl.readPixels(0, top, width, count, gl.RGBA, gl.UNSIGNED_BYTE, band);
        if (gl.getError() !== gl.NO_ERROR) throw new Error('no exact pixels');
        return band;
      },
      close,
    };
  }

  // What the worker's source is built from, after the core's own script: these and nothing else.
  const workerParts = [connectCore, previewSize, importPicture, profileOf, decodeAndConvert, inflate, inflateStream, inflatedPieces, jpegDecoder, decodeJpegDirectly,
                       bitmapOf, handedOver, pixelsOf, partlyTransparent, exactPixels, waysOfLarge, waysOfLargeJpeg, workerMain];
  let workerSource = null;
  // Conversions run at most as many at once as the machine has cores, the rest waiting their turn:
  // twelve large photos chosen at once would otherwise leave the page no processor to answer keys.
  const conversionTurns = { free: Math.max(1, Math.min(4, navigator.hardwareConcurrency || 2)), waiting: [] };

  // The page's side: starts one conversion, or queues it for a turn, calling `begun` once its worker
  // runs. `result` settles with the core's reply, or with {superseded: true} once `cancel` has
  // ended the worker; a worker that fails gives {failure}.
  function startConversion(job, begun = () => {}) {
    let settle;
    let ended = false;
    let running = null;
    const result = new Promise((done) => (settle = done)).finally(() => {
      ended = true;
      if (running) running.terminate();
      else conversionTurns.waiting = conversionTurns.waiting.filter((begin) => begin !== start);
      if (running) nextConversion();
    });
    const start = () => {
      if (ended) return nextConversion();
      running = runConversion(job, settle);
      begun();
    };
    if (conversionTurns.free > 0) {
      conversionTurns.free -= 1;
      start();
    } else {
      conversionTurns.waiting.push(start);
    }
    return { result, cancel: () => settle({ superseded: true }), running: () => running !== null };
  }

  // A turn ends: the next waiting conversion takes it.
  function nextConversion() {
    const begin = conversionTurns.waiting.shift();
    if (begin) begin();
    else conversionTurns.free += 1;
  }

  let pageDecoding = Promise.resolve(); // the pictures the page decodes for its workers, in turn

  // One worker, which settles `settle` with the core's reply.
  function runConversion(job, settle) {
    workerSource ??= URL.createObjectURL(new Blob(
      [document.getElementById('core').textContent,
       `\nconst decodeOptions = ${JSON.stringify(decodeOptions)};\nlet handOver = null; // takes what the page decoded\n`,
       ...workerParts.map((part) => `${part}\n`), 'workerMain(self);\n'],
      { type: 'text/javascript' }));
    const worker = new Worker(workerSource);
    worker.onmessage = ({ data }) => {
      if (!data.decode) return settle(data);
      // One at a time: they share the page's one thread, which each would otherwise hold in turn.
      const decoded = pageDecoding.then(() =>
        decodeOnPage(data.decode, data.previewFor, (part, transfer) => worker.postMessage(part, transfer), data.exact));
      pageDecoding = decoded.catch(() => {});
      decoded.catch((failure) => worker.postMessage({ decodeFailure: `${failure.name}: ${failure.message}` }));
    };
    worker.onerror = (event) => {
      event.preventDefault();
      settle({ failure: true });
    };
    // The worker's core says its messages in the page's language, and so does its own refusal.
    worker.postMessage({ ...job, language: language.code() }, [job.bytes.buffer]); // handed over, not copied: the page keeps the file
    return worker;
  }

  return { start: startConversion, next: nextConversion, turns: conversionTurns };
})();
