// The page's own words, for what only the page does. Whatever the desktop says too (every check,
// refusal and failure) is the core's, asked for where it is needed.
'use strict';

const words = {
  from: (name) => `from ${name}`,
  keptAsItIs: (name) => `from ${name}; kept as it is, as pack would`,
  // With how it was made: the way it was resized, dither, and the background where it shows.
  converted: (name, made, choices) => `converted from ${name}` + [
    made.way ? `: ${made.way}` : '',
    choices.dither ? `${made.way ? ',' : ':'} dithered` : '',
    made.background ? `${made.way || choices.dither ? ',' : ':'} over #${choices.background.toString(16).padStart(6, '0')}` : '',
  ].join(''),
  overBlack: (name) =>
    `Most of ${name} is transparent and is laid over black; if the picture is dark, choose another Background above.`,
  converting: (name) => `converting ${name}…`,
  otherSize: (facts) => `${facts}; choose how to convert it here, or for every picture above`,
  anotherSize: (way) => (way ? `${way}` : 'Refuse'),
  waiting: (names) => `Waiting for ${names.join(', ')} to be converted…`,
  leftOut: (names) => `Not one of the twelve pictures, so left out: ${names.join(', ')}`,
  skinNotOpened: (names) =>
    `${names.join(', ')} not opened with the pictures; to open a skin, use "Open a skin" alone`,
  opened: (name) => `Opened ${name}.`,
  replaceQuestion: (name) =>
    `Open ${name}? Its twelve pictures and settings replace the ones set here.`,
  notReplaced: (name) => `${name} was not opened; everything is as it was.`,
  template: 'a starting picture to draw over',
  templatesFilled: (count) => count === 0
    ? 'Every picture is set; no starting picture was needed.'
    : `${count} empty ${count === 1 ? 'picture was' : 'pictures were'} given a starting picture.`,
  built: (name, length) => `${name}, ${length.toLocaleString('en')} bytes`,
  notKept: 'This browser keeps nothing for a page opened from disk: what is set here is lost when the page closes.',
  notKeptNow: (why) =>
    `What is set here is not kept: the browser refused to store it (${why}). The page works on; what is set is lost when the page closes.`,
  restored: 'What was set here last time is back. "Start over" clears it.',
  theSettings: 'the settings',
  partlyRestored: (missing, some) => !some
    ? `What was set here last time did not come back: the browser did not keep ${missing.join(', ')}.` :
    `Not all of what was set here last time came back: ${missing.join(', ')} ${missing.length === 1 ? 'was' : 'were'} not kept by the browser. The rest is back.`,
  startedOver: 'Everything is as when the page first opened, and nothing is kept.',
  cannotRun: (cause) => `This browser cannot run the page: ${cause}`,
};
