// The page's words in the user's language. Each is written in English where it is said, as
// words('…'), words.plural('…', '…', n), or words.later('…') for one said later, and one that needs
// a context for its translator as words.in('button', 'Copy') or words.laterIn('button', 'Copy');
// each is looked up in the core's catalogue, which the build compiles from the translations. The
// core says its own messages in the same language. pack's own messages, the window's captions,
// file names and options stay as they are.
'use strict';
/* exported words */

const words = (() => {
  const say = (english, args = {}) => language.say(english, args).text;

  // A word with its context, as the catalogue keys it; the core's tables name their words so too.
  const laterIn = (context, english) => `${context}\u0004${english}`;

  // The form for `n` by the language's rule; the core writes "{n}", and any arg that is a number,
  // as the language writes numbers, the same as in the core's own messages.
  const plural = (one, many, n, args = {}) => language.say(one, args, many, n).text;

  // The message in `element`, with nodes for the placeholders that args give as [tag, text] or as
  // a node: the translation decides where they go.
  function into(element, english, args = {}) {
    const { form } = language.say(english, {});
    element.replaceChildren(...form.split(/(\{[a-z_]+\})/).filter(Boolean).map((part) => {
      const arg = args[part.slice(1, -1)];
      if (!/^\{[a-z_]+\}$/.test(part) || arg === undefined) return document.createTextNode(part);
      if (arg instanceof Node) return arg;
      if (!Array.isArray(arg)) return document.createTextNode(String(arg));
      const node = document.createElement(arg[0]);
      node.textContent = arg[1];
      return node;
    }));
  }

  // Names as the language lists them; one with a space at either end or a control character is
  // quoted, so that " dir.bmp" is not read as dir.bmp.
  const list = (names) =>
    // eslint-disable-next-line no-control-regex -- control characters are what it looks for
    names.map((name) => (/^\s|\s$|[\u0000-\u001f]/.test(name) ? JSON.stringify(name) : name)).join(words(', '));

  // A command's words, each kept whole on its line: a narrow screen never breaks
  // "--ebook-color=0,0,0" at a hyphen, which would read and copy by eye as two words.
  function command(line) {
    const span = document.createElement('span');
    span.append(...line.split(/( +)/).map((part) => {
      if (!part.trim()) return part;
      const word = document.createElement('span');
      word.className = 'whole';
      word.textContent = part;
      return word;
    }));
    return span;
  }

  // What each message region shows, as the function that says it (a text, or a node), so that a
  // new language says it again; the page's state is never touched by that.
  const said = new Map();
  const put = (id, said) => (said instanceof Node ? $(id).replaceChildren(said) : ($(id).textContent = said));

  function show(id, producer, className = null) {
    if (producer) said.set(id, producer);
    else said.delete(id);
    put(id, producer ? producer() : '');
    if (className !== null) $(id).className = className;
  }

  function showAgain() {
    for (const [id, producer] of said) put(id, producer());
  }

  return Object.assign(say, { plural, later: (english) => english, laterIn,
    in: (context, english, args = {}) => say(laterIn(context, english), args), into, list, command, show, showAgain });
})();
