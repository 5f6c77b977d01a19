// The page's own phrases, for what only the page does. Whatever the desktop says too (every
// check, refusal and failure) is the core's, said by it in the same language.
'use strict';
/* exported phrases */

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
  ditherHelps: (name) => words('The smooth shades of {file} would show as steps in the skin; tick Dither above to smooth them.', { file: name }),
  converting: (name) => words('converting {file}...', { file: name }),
  waitingTurn: (name) => words('{file} waits its turn to be converted...', { file: name }),
  otherSize: (facts) => words('{facts}; choose how to convert it here, or for every picture above', { facts }),
  anotherSize: (way) => (way ? words(way) : words.in('a way to resize', 'Refuse')),
  waiting: (names) => words('Waiting for {files} to be converted...', { files: words.list(names) }),
  leftOut: (names) => words('Not one of the twelve pictures, so left out: {files}', { files: words.list(names) }),
  onePerSlot: (name, others) =>
    words('For the same box as {file}, so left out: {files}', { file: name, files: words.list(others) }),
  skinNotOpened: (names) =>
    words('{files} not opened with the pictures; to open a skin, use "{button}" alone', { files: words.list(names), button: words('Open a skin') }),
  opened: (name) => words('Opened {file}.', { file: name }),
  replaceQuestion: (name) => words('Open {file}? Its twelve pictures and settings replace the ones set here.', { file: name }),
  notReplaced: (name) => words('{file} was not opened; everything is as it was.', { file: name }),
  template: () => words('a starting picture to draw over'),
  templatesFilled: (count) => (count === 0 ? words('Every picture is set; no starting picture was needed.')
    : words.plural('{n} empty picture was given a starting picture.', '{n} empty pictures were given a starting picture.', count)),
  built: (name, length) => words.plural('{file}, {n} byte', '{file}, {n} bytes', length, { file: name }),
  notKept: () => words('This browser keeps nothing for a page opened from disk: what is set here is lost when the page closes.'),
  notKeptNow: (why) => words('What is set here is not kept: the browser refused to store it ({why}). The page works on; what is set is lost when the page closes.', { why }),
  notAllKeptNow: (parts, why) => words('Not kept: {parts}. The browser refused to store this ({why}); the rest is kept, and the page works on.', { parts: words.list(parts), why }),
  storageFull: () => words('its storage for this page is full'),
  storageForbidden: () => words('it does not let this page store anything'),
  fileNotKept: (parts) => words('{parts} is not kept: the browser could not read its file again; choose it again. The rest is kept.', { parts: words.list(parts) }),
  storageUnread: () => words('it could not read its storage'),
  notBack: (why) => words('What was set here last time could not be brought back: {why}. The page works on.', { why }),
  storageUnwritten: () => words('it could not write to its storage'),
  restored: () => words('What was set here last time is back. "{button}" clears it.', { button: words('Start over') }),
  theSettings: () => words('the settings'),
  partlyRestored: (missing, some) => (!some
    ? words('What was set here last time did not come back: the browser did not keep {parts}.', { parts: words.list(missing) })
    : words.plural('Not all of what was set here last time came back: {parts} was not kept by the browser. The rest is back.',
             'Not all of what was set here last time came back: {parts} were not kept by the browser. The rest is back.',
             missing.length, { parts: words.list(missing) })),
  // `after`: said after what the browser did not keep.
  closedBefore: (parts, some, after) => {
    const args = { parts: words.list(parts) };
    if (after) return words('The page closed before it kept {parts}.', args);
    return some ? words('Not all of what was set here last time came back: the page closed before it kept {parts}. The rest is back.', args)
      : words('What was set here last time did not come back: the page closed before it kept {parts}.', args);
  },
  otherTab: (parts) => words.plural('Another tab with this page changed {parts} after this one opened, so this tab no longer keeps its own changes to it. Reload this tab to take up that work.',
                              'Another tab with this page changed {parts} after this one opened, so this tab no longer keeps its own changes to them. Reload this tab to take up that work.',
                              parts.length, { parts: words.list(parts) }),
  olderBack: (parts) => words.plural('{parts} came back as it was before its last change: the page closed before that change was kept.',
                               '{parts} came back as they were before their last change: the page closed before those changes were kept.',
                               parts.length, { parts: words.list(parts) }),
  notCleared: (why) => words('The browser did not let the page clear what it keeps ({why}): a reload may bring it back.', { why }),
  startedOver: () => words('Everything is as when the page first opened, and nothing is kept.'),
  cannotRun: (cause) => words('This browser cannot run the page: {cause}', { cause }),
  warning: (text) => words('warning: {warning}', { warning: text }),
  stopped: () => words('the conversion stopped'),
  skinUnreadable: (file) => words('The browser could not read {file}; choose it again.', { file }),
  unexpected: () => words('Something went wrong in the page; reload it and try again.'),
  unreadableFile: () => words('the browser could not read the file; choose it again'),
  // What pack's own messages mean, said beside them.
  finished: (skin) => words('The skin is made: {file} has been downloaded, and "{button}" gives it again.', { file: skin, button: words('Download again') }),
  notFound: (name) => words('{file} is not set yet: drop or choose a picture for it in its box above, or use "{button}".', { file: name, button: words('Start from templates') }),
  // `button`: the one its box offers to make it right, if any; `arithmetic`: its picture is a JPEG
  // of arithmetic coding, a good file that choosing again would not help.
  wrongLength: (picture, button, arithmetic = false) => {
    const args = { file: picture.name, size: picture.size, length: picture.length, button };
    if (arithmetic && !button) {
      return words('{file} must be a 24-bit BMP of {size} pixels, exactly {length} bytes long; the picture in its box is a JPEG of arithmetic coding, which this browser cannot decode, though the file is good. "orbskin-cli import" reads it; or save it again as an ordinary JPEG (baseline or progressive) or as PNG, and choose that.', args);
    }
    return button
      ? words('{file} must be a 24-bit BMP of {size} pixels, exactly {length} bytes long; the picture in its box is not. Its box says what it is: use "{button}" there, or choose the picture again. For a file in a folder, "orbskin-cli check" prints the command that converts it.', args)
      : words('{file} must be a 24-bit BMP of {size} pixels, exactly {length} bytes long; the picture in its box is not. Its box says why: choose the picture again. For a file in a folder, "orbskin-cli check" prints the command that converts it.', args);
  },
  lineSet: () => words('The fields are set from the pasted line.'),
  copied: () => words('The command is copied.'),
  copyRefused: () => words('The browser did not copy it; select the command and copy it by hand.'),
  openedLine: (line) => {
    const said = document.createElement('span');
    words.into(said, words.later('Its settings as options: {options}'), { options: words.command(line) });
    return said;
  },
};

