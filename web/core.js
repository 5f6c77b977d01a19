// The one way into the core, for the page and for its workers alike. Any call into the core may
// grow its memory, and growing detaches every view of that memory taken before: so each call
// here takes its view after the call that allocates, copies in and out at once, and keeps none.
'use strict';
/* exported connectCore */

function connectCore(core) {
  function put(bytes) {
    const at = core._orb_input(bytes.length);
    core.HEAPU8.set(bytes, at);
  }

  // Runs _orb_NAME with `input` (bytes, or null) in the input buffer; a text argument is passed
  // as a C string for the length of the call. Gives what the function returns.
  function call(name, input, ...args) {
    if (input) put(input);
    const texts = [];
    try {
      const values = args.map((arg) => {
        if (typeof arg !== 'string') return arg;
        const length = core.lengthBytesUTF8(arg) + 1;
        const at = core._malloc(length);
        texts.push(at);
        core.stringToUTF8(arg, at, length);
        return at;
      });
      return core[`_orb_${name}`](...values);
    } finally {
      for (const at of texts) core._free(at);
    }
  }

  // The same for a function that leaves a reply: its JSON, with the reply's bytes as `bytes`.
  function ask(name, input, ...args) {
    call(name, input, ...args);
    const answer = JSON.parse(core.UTF8ToString(core._orb_reply_json()));
    const at = core._orb_reply_bytes();
    answer.bytes = core.HEAPU8.slice(at, at + core._orb_reply_length());
    return answer;
  }

  // Fills a buffer of `count` RGBA pixels in the core: `fill` is handed a function that gives a
  // view of it, to be taken when it is written, with no other call into the core in between.
  async function pixels(count, fill) {
    const at = core._orb_input_pixels(count);
    await fill(() => core.HEAPU8.subarray(at, at + count * 4));
  }

  const json = (value) => JSON.stringify(value);
  // The core's calls by name, with their arguments in order; each gives the core's reply, an
  // object, or where noted a number.
  return {
    pixels,
    tables: () => ask('tables', null),
    slotOf: (name) => call('slot_of', null, name), // the slot's index, or -1
    byte: (text) => call('byte', null, text), // the field's byte, or -1
    language: (tags) => ask('language', null, json({ tags })),
    say: (job) => ask('say', null, json(job)),
    template: (slot) => ask('template', null, slot),
    judge: (head, slot, length, name) => ask('judge', head, slot, length, name),
    beforeDecoding: (bytes, name) => ask('before_decoding', bytes, name),
    zlibLength: (stream) => ask('zlib_length', stream),
    profileName: (icc) => ask('profile_name', icc),
    // The picture before_decoding was given, its inflated data, or null for the pixels given.
    convert: (input, job) => ask('convert', input, json(job)),
    previewSize: (job) => ask('preview_size', null, json(job)),
    ways: (job) => ask('ways', null, json(job)),
    setPicture: (slot, bytes) => call('set_picture', bytes, slot, bytes ? 1 : 0),
    setRefused: (slot, length) => call('set_refused', null, slot, length),
    asPacked: (bytes, slot) => ask('as_packed', bytes, slot),
    build: (settings) => ask('build', null, json(settings)),
    packLine: (settings) => ask('pack_line', null, json(settings)),
    settingsOfLine: (line) => ask('settings_of_line', null, line),
    joinedLine: (text) => ask('joined_line', null, text),
    readability: (texts) => ask('readability', null, json({ texts })),
    unpack: (skin) => ask('unpack', skin),
    preview: (skin, title) => ask('preview', skin, title),
    // What the page found itself, worded as the desktop words it.
    unreadable: (name, why) => ask('unreadable', null, name, why),
    notASkin: (name, length) => ask('not_a_skin', null, name, length),
    profileWarning: (name, profile) => ask('profile_warning', null, name, profile),
    gammaWarning: (name, gamma) => ask('gamma_warning', null, name, gamma),
  };
}
