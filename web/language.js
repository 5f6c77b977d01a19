// The language the page speaks: ours for the browser's, or the one chosen in the menu. Whatever
// shows words watches it, to say them again.
'use strict';

const language = (() => {
  const at = new Map(catalogue.messages.map((english, n) => [english, n]));
  const byCode = new Map(catalogue.languages.map((entry) => [entry.code, entry]));
  // Tags that name a language by its script or region rather than by its file's code.
  const variants = [['zh', 'hans', 'zh_CN'], ['zh', 'hant', 'zh_TW'], ['zh', 'tw', 'zh_TW'], ['zh', 'hk', 'zh_TW'],
                    ['zh', 'mo', 'zh_TW'], ['zh', '', 'zh_CN'], ['pt', '', 'pt_BR']];
  let current = byCode.get('en');
  const watchers = [];

  // Our code for a browser's tag ("zh-Hant-TW", "pt", "fr-CA"), or null for one we do not have.
  function codeOf(tag) {
    const parts = String(tag).toLowerCase().split(/[-_]/);
    if (tag === 'qps') return 'qps'; // the tests' pseudo-language, never listed
    for (const [first, part, code] of variants) {
      if (parts[0] === first && (!part || parts.slice(1).includes(part))) return code;
    }
    const entry = byCode.get(parts[0]);
    return entry && entry.listed ? entry.code : null;
  }

  return {
    codeOf,
    // The first of the browser's languages that we have, else English.
    chosen: (tags) => tags.map(codeOf).find(Boolean) || 'en',
    listed: () => catalogue.languages.filter((entry) => entry.listed),
    code: () => current.code,
    // As the page's lang attribute wants it: "zh-CN", "pt-BR".
    tag: () => (current.code === 'qps' ? 'en' : current.code.replace('_', '-')),
    // The forms of `english` in the current language; English's own where it is not ours.
    forms: (english, many) => {
      const n = at.get(english);
      return n === undefined ? [english, many ?? english] : current.forms[n];
    },
    form: (n) => Math.min(Number(catalogue.plural[current.code](n)), 1),
    set(code) {
      const entry = byCode.get(code) || byCode.get('en');
      if (entry === current) return;
      current = entry;
      for (const watcher of watchers) watcher();
    },
    // Called whenever the language changes, to say again what it shows.
    watch: (watcher) => watchers.push(watcher),
  };
})();
