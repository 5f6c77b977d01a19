// The page's words in the user's language. Each is written in English where it is said, as
// words('…'), words.plural('…', '…', n), or words.later('…') for one said later, and looked up in
// the catalogue that the build compiles from the translations. The core says its own messages in
// the same language. pack's own messages, the window's captions, file names and options stay as
// they are.
'use strict';

const words = (() => {
  // `form` with each "{name}" replaced by args[name]; one with no argument stays as it is.
  const fillIn = (form, args) =>
    form.replace(/\{([a-z_]+)\}/g, (whole, name) => (name in args ? String(args[name]) : whole));

  const say = (english, args = {}) => fillIn(language.forms(english)[0], args);

  const number = (n) => Number(n).toLocaleString(language.tag());

  // The form for `n` by the language's rule; "{n}" is n, written as the language writes numbers.
  function plural(one, many, n, args = {}) {
    const forms = language.forms(one, many);
    return fillIn(forms[language.form(n)], { ...args, n: number(n) });
  }

  // The message in `element`, with nodes for the placeholders that args give as [tag, text]: the
  // translation decides where they go.
  function into(element, english, args = {}) {
    const form = language.forms(english)[0];
    element.replaceChildren(...form.split(/(\{[a-z_]+\})/).filter(Boolean).map((part) => {
      const arg = args[part.slice(1, -1)];
      if (!/^\{[a-z_]+\}$/.test(part) || arg === undefined) return document.createTextNode(part);
      if (!Array.isArray(arg)) return document.createTextNode(String(arg));
      const node = document.createElement(arg[0]);
      node.textContent = arg[1];
      return node;
    }));
  }

  // Names as the language lists them; one with a space at either end or a control character is
  // quoted, so that " dir.bmp" is not read as dir.bmp.
  const list = (names) =>
    names.map((name) => (/^\s|\s$|[\u0000-\u001f]/.test(name) ? JSON.stringify(name) : name)).join(words(', '));

  // What each message region shows, as the function that says it, so that a new language says it
  // again; the page's state is never touched by that.
  const said = new Map();

  function show(id, producer, className = null) {
    if (producer) said.set(id, producer);
    else said.delete(id);
    $(id).textContent = producer ? producer() : '';
    if (className !== null) $(id).className = className;
  }

  function showAgain() {
    for (const [id, producer] of said) $(id).textContent = producer();
  }

  return Object.assign(say, { plural, later: (english) => english, number, into, list, show, showAgain });
})();
