// The page's own words, for what only the page does. Whatever the desktop says too (every check,
// refusal and failure) is the core's, asked for where it is needed.
'use strict';

const words = {
  from: (name) => `from ${name}`,
  keptAsItIs: (name) => `from ${name}; kept as it is, as pack would`,
  converted: (name) => `converted from ${name}`,
  converting: (name) => `converting ${name}…`,
  otherSize: (facts) => `${facts}; choose how to convert it here, or for every picture above`,
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
  restored: 'What was set here last time is back. "Start over" clears it.',
  startedOver: 'Everything is as when the page first opened, and nothing is kept.',
  cannotRun: (cause) => `This browser cannot run the page: ${cause}`,
};
