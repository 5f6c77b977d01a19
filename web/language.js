// The language the page speaks: ours for the browser's, or the one chosen in the menu. The core
// holds the catalogue and says every word, the page's own too; whatever shows words watches the
// language, to say them again.
'use strict';
/* exported language */

const language = (() => {
  let core = null;
  let languages = [];
  let current = 'en';
  let chosen = ''; // in the menu, by the user: kept with the work, where the browser's is not
  const watchers = [];

  // The core's choice for a list of tags, the first we have; English where the core is not there.
  function choose(tags) {
    const found = core ? core.language(tags).code : 'en';
    if (found === current) return;
    current = found;
    for (const watcher of watchers) watcher();
  }

  return {
    // From now on the core says the words; until then, and if it never starts, they are English.
    connect(started, listed) {
      core = started;
      languages = listed;
    },
    // The first of the browser's languages ("zh-Hant-TW", "pt", "fr-CA") that we have, else English.
    choose,
    // The user's own choice: kept, so the page speaks it even when the browser's languages change.
    set(code) {
      chosen = code;
      choose([code]);
    },
    chosen: () => chosen,
    listed: () => languages,
    code: () => current,
    // As the page's lang attribute wants it: "zh-CN", "pt-BR".
    tag: () => (current === 'qps' ? 'en' : current.replace('_', '-')),
    // `english` in the current language, with `many` its plural for `n`: as {text, form}, the
    // text filled with `args` and the form as it is, its placeholders for the page to fill. An
    // arg that is a number, and `n`, are written by the core as the language writes numbers.
    say(english, args, many = '', n = 0) {
      const names = Object.keys(args);
      if (!core) {
        const form = english.slice(english.indexOf('\u0004') + 1); // without its context
        const all = many ? { n, ...args } : args;
        return { text: form.replace(/\{([a-z_]+)\}/g, (whole, name) => (name in all ? String(all[name]) : whole)), form };
      }
      return core.say({ text: english, many, n, names, values: names.map((name) => String(args[name])),
                        numbers: names.filter((name) => typeof args[name] === 'number') });
    },
    // What say(code) gives in each language, {code: text}: a message to be said again in
    // another language without what made it being done again.
    everywhere(say) {
      if (!core) return { en: say('en') };
      const each = {};
      try {
        for (const code of [...languages.map((entry) => entry.code), 'qps']) {
          core.language([code]);
          each[code] = say(code);
        }
      } finally {
        core.language([current]);
      }
      return each;
    },
    // The text of `each` (as everywhere() gives it) in the current language.
    pick: (each) => each[current] ?? each.en,
    // Called whenever the language changes, to say again what it shows.
    watch: (watcher) => watchers.push(watcher),
  };
})();
