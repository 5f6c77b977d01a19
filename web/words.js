// The page's words in the user's language. Each is written in English where it is said, as
// words('…'), plural('…', '…', n) or N_('…') for one said later, and looked up in the catalogue
// that the build compiles from the translations. The core says its own messages in the same
// language. pack's own messages, the window's captions, file names and options stay as they are.
'use strict';

const N_ = (english) => english;

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

// `form` with each "{name}" replaced by args[name]; one with no argument stays as it is.
function fillIn(form, args) {
  return form.replace(/\{([a-z_]+)\}/g, (whole, name) => (name in args ? String(args[name]) : whole));
}

function words(english, args = {}) {
  return fillIn(language.forms(english)[0], args);
}

// The form for `n` by the language's rule; "{n}" is n, written as the language writes numbers.
function plural(one, many, n, args = {}) {
  const forms = language.forms(one, many);
  return fillIn(forms[language.form(n)], { ...args, n: number(n) });
}

function number(n) {
  return Number(n).toLocaleString(language.tag());
}

// The message in `element`, with nodes for the placeholders that args give as [tag, text]: the
// translation decides where they go.
function sayInto(element, english, args = {}) {
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

// The page's own phrases, for what only the page does. Whatever the desktop says too (every
// check, refusal and failure) is the core's, said by it in the same language.
const phrases = {
  from: (name) => words('from {file}', { file: name }),
  keptAsItIs: (name) => words('from {file}; kept as it is, as pack would', { file: name }),
  // With how it was made: the way it was resized, dither, and the background where it shows.
  converted: (name, made, choices) => {
    const how = [made.way ? words(made.way) : '', choices.dither ? words('dithered') : '',
                 made.background ? words('over {colour}', { colour: `#${choices.background.toString(16).padStart(6, '0')}` }) : '']
      .filter(Boolean);
    return how.length ? words('converted from {file}: {how}', { file: name, how: how.join(words(', ')) })
      : words('converted from {file}', { file: name });
  },
  overBlack: (name) => words('Most of {file} is transparent and is laid over black; if the picture is dark, choose another Background above.', { file: name }),
  converting: (name) => words('converting {file}...', { file: name }),
  waitingTurn: (name) => words('{file} waits its turn to be converted...', { file: name }),
  otherSize: (facts) => words('{facts}; choose how to convert it here, or for every picture above', { facts }),
  anotherSize: (way) => (way ? words(way) : words('Refuse')),
  waiting: (names) => words('Waiting for {files} to be converted...', { files: list(names) }),
  leftOut: (names) => words('Not one of the twelve pictures, so left out: {files}', { files: list(names) }),
  skinNotOpened: (names) =>
    words('{files} not opened with the pictures; to open a skin, use "{button}" alone', { files: list(names), button: words('Open a skin') }),
  opened: (name) => words('Opened {file}.', { file: name }),
  replaceQuestion: (name) => words('Open {file}? Its twelve pictures and settings replace the ones set here.', { file: name }),
  notReplaced: (name) => words('{file} was not opened; everything is as it was.', { file: name }),
  template: () => words('a starting picture to draw over'),
  templatesFilled: (count) => (count === 0 ? words('Every picture is set; no starting picture was needed.')
    : plural('{n} empty picture was given a starting picture.', '{n} empty pictures were given a starting picture.', count)),
  built: (name, length) => plural('{file}, {n} byte', '{file}, {n} bytes', length, { file: name }),
  notKept: () => words('This browser keeps nothing for a page opened from disk: what is set here is lost when the page closes.'),
  notKeptNow: (why) => words('What is set here is not kept: the browser refused to store it ({why}). The page works on; what is set is lost when the page closes.', { why }),
  storageFull: () => words('its storage for this page is full'),
  storageForbidden: () => words('it does not let this page store anything'),
  fileNotKept: (parts) => words('{parts} is not kept: the browser could not read its file again; choose it again. The rest is kept.', { parts: list(parts) }),
  storageUnread: () => words('it could not read its storage'),
  notBack: (why) => words('What was set here last time could not be brought back: {why}. The page works on.', { why }),
  storageUnwritten: () => words('it could not write to its storage'),
  restored: () => words('What was set here last time is back. "{button}" clears it.', { button: words('Start over') }),
  theSettings: () => words('the settings'),
  partlyRestored: (missing, some) => (!some
    ? words('What was set here last time did not come back: the browser did not keep {parts}.', { parts: list(missing) })
    : plural('Not all of what was set here last time came back: {parts} was not kept by the browser. The rest is back.',
             'Not all of what was set here last time came back: {parts} were not kept by the browser. The rest is back.',
             missing.length, { parts: list(missing) })),
  otherTab: (parts) => plural('Another tab with this page changed {parts} after this one opened, so this tab no longer keeps its own changes to it. Reload this tab to take up that work.',
                              'Another tab with this page changed {parts} after this one opened, so this tab no longer keeps its own changes to them. Reload this tab to take up that work.',
                              parts.length, { parts: list(parts) }),
  olderBack: (parts) => plural('{parts} came back as it was before its last change: the page closed before that change was kept.',
                               '{parts} came back as they were before their last change: the page closed before those changes were kept.',
                               parts.length, { parts: list(parts) }),
  startedOver: () => words('Everything is as when the page first opened, and nothing is kept.'),
  cannotRun: (cause) => words('This browser cannot run the page: {cause}', { cause }),
  warning: (text) => words('warning: {warning}', { warning: text }),
  undecodable: () => words('it is damaged, or of a kind this browser cannot decode'),
  stopped: () => words('the conversion stopped'),
  skinUnreadable: (file) => words('The browser could not read {file}; choose it again.', { file }),
  unexpected: () => words('Something went wrong in the page; reload it and try again.'),
  unreadableFile: () => words('the browser could not read the file; choose it again'),
  // What pack's own messages mean, said beside them.
  finished: (skin) => words('The skin is made: {file} has been downloaded, and "{button}" gives it again.', { file: skin, button: words('Download again') }),
  notFound: (name) => words('{file} is not set yet: drop or choose a picture for it in its box above, or use "{button}".', { file: name, button: words('Start from templates') }),
  // `button`: the one its box offers to make it right, if any.
  wrongLength: (picture, button) => {
    const args = { file: picture.name, size: picture.size, length: number(picture.length), button };
    return button
      ? words('{file} must be a 24-bit BMP of {size} pixels, exactly {length} bytes long; the picture in its box is not. Its box says what it is: use "{button}" there, or choose the picture again. For a file in a folder, "orbskin-cli check" prints the command that converts it.', args)
      : words('{file} must be a 24-bit BMP of {size} pixels, exactly {length} bytes long; the picture in its box is not. Its box says why: choose the picture again. For a file in a folder, "orbskin-cli check" prints the command that converts it.', args);
  },
  lineSet: () => words('The fields are set from the pasted line.'),
  copied: () => words('The command is copied.'),
  copyRefused: () => words('The browser did not copy it; select the command and copy it by hand.'),
  openedLine: (line) => words('Its settings as options: {options}', { options: line }),
};

// Names one after another, as the language lists them.
// Names as a list; one with a space at either end or a control character is quoted, so that
// " dir.bmp" is not read as dir.bmp.
function list(names) {
  return names.map((name) => (/^\s|\s$|[\u0000-\u001f]/.test(name) ? JSON.stringify(name) : name)).join(words(', '));
}

// The page's fixed texts, each in the element marked data-say="key"; a placeholder given as
// [tag, text] is that element, a file or command name that stays as it is.
const fixedTexts = {
  language: [N_('Language')],
  intro: [N_('Makes the menu skin file {skin} from twelve pictures and a few settings. Everything happens in this page: no file is uploaded anywhere.'), { skin: ['b', 'ORBSKIN.000'] }],
  picturesHeading: [N_('1. Pictures')],
  dropHere: [N_('Drop the pictures, a whole folder, or an existing skin file anywhere on this box. A file goes to the picture whose name it carries, whatever its extension: {png} fills {bmp}.'),
             { png: ['i', 'mainnds.png'], bmp: ['i', 'mainnds.bmp'] }],
  choosePictures: [N_('Choose pictures')],
  chooseFolder: [N_('Choose a folder')],
  openSkin: [N_('Open a skin')],
  startTemplates: [N_('Start from templates')],
  startOver: [N_('Start over')],
  conversion: [N_('Pictures of another size or format are converted')],
  anotherSize: [N_('Another size')],
  dither: [N_('Dither')],
  background: [N_('Background')],
  settingsHeading: [N_('2. Settings')],
  downloadAgain: [N_('Download again')],
  packLine: [N_('The same settings as a command line:')],
  copy: [N_('Copy')],
  pasteLine: [N_('Paste an {pack} command, or the options that {unpack} prints, to set the fields:'),
              { pack: ['code', 'orbskin-cli pack'], unpack: ['code', 'unpack'] }],
  useLine: [N_('Set the fields')],
  sketchHeading: [N_('3. Where the numbers point')],
  sketchNote: [N_('A placement sketch, not the handheld\'s own rendering: each icon is drawn with its top-left corner at its X, Y over {bmp}. Drag an icon, or focus it and use the arrow keys (with Shift: 8 pixels a step).'),
               { bmp: ['i', 'mainnds.bmp'] }],
  listSketch: [N_('Sample lines of the list, one selected, from the list position over {bmp}'), { bmp: ['i', 'listnds.bmp'] }],
  ebookSketch: [N_('Sample lines of an ebook over {bmp}'), { bmp: ['i', 'ebooknds.bmp'] }],
  previewHeading: [N_('4. Preview sheet')],
  previewNote: [N_('The sheet {preview} draws: every picture, the text colours, the positions.'), { preview: ['i', 'orbskin-cli preview'] }],
  drawPreview: [N_('Draw the preview sheet')],
  downloadPreview: [N_('Download the preview as PNG')],
  keep: [N_('Keep what is set here')],
  replace: [N_('Open the skin')],
};

function sayFixedTexts() {
  document.documentElement.lang = language.tag();
  for (const element of document.querySelectorAll('[data-say]')) sayInto(element, ...fixedTexts[element.dataset.say]);
}

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
