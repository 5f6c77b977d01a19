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

  return { call, ask, pixels };
}
