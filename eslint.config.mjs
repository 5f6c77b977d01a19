// The page's scripts are joined into one at build time, in web/CMakeLists.txt's order. Each file
// makes one module (state.js four), a global of its own, and may use only the modules of
// the files before it: so nothing else is global, and no two modules lean on each other.
import js from './tests/web/lint/node_modules/@eslint/js/src/index.js';
import globals from './tests/web/lint/node_modules/globals/index.js';

const order = [['core.js', 'connectCore'], ['state.js', 'page', '$', 'state', 'settings'],
  ['language.js', 'language'], ['words.js', 'words'], ['phrases.js', 'phrases'], ['convert.js', 'conversions'],
  ['slots.js', 'slots'], ['batch.js', 'batch'], ['form.js', 'form'], ['colours.js', 'colours'],
  ['sketch.js', 'sketch'], ['preview.js', 'preview'], ['line.js', 'commandLine'],
  ['shelf.js', 'shelf'], ['storage.js', 'store'], ['main.js']];

export default [
  js.configs.recommended,
  {
    files: ['web/*.js'],
    languageOptions: {
      ecmaVersion: 2022,
      sourceType: 'script',
      globals: { ...globals.browser, ...globals.worker, orbskinCore: 'readonly' }, // the page's first script
    },
    rules: {
      'no-implicit-globals': ['error', { lexicalBindings: true }],
      'no-unused-vars': ['error', { caughtErrors: 'none' }],
      eqeqeq: 'error',
      'prefer-const': 'error',
    },
  },
  ...order.map(([file], at) => ({
    files: [`web/${file}`],
    languageOptions: {
      globals: Object.fromEntries(order.slice(0, at).flatMap(([, ...names]) => names).map((name) => [name, 'readonly'])),
    },
  })),
];
