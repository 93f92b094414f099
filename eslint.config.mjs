// ESLint over every JavaScript file of plume's (tests/lint/run eslint, the CTest test lint.eslint):
// its recommended rules and a few more, each kind of file told where it runs and so what it may
// name there. What a file takes from another script (page.js's names in program.js, the
// module's `Module` in the Worker, Emscripten's names in glut.js) it declares itself, in a
// /* global */ comment, with its type in a .d.ts or a JSDoc type for TypeScript's checker.
import js from '@eslint/js';
import globals from 'globals';

// A classic script that says 'use strict' first.
const strictScript = { sourceType: /** @type {const} */ ('script') };

export default [
  { ignores: ['**/node_modules/', 'build*/', 'dist/'] },
  js.configs.recommended,
  {
    rules: {
      eqeqeq: 'error',
      'no-var': 'error',
      'prefer-const': 'error',
    },
  },
  {
    files: ['src/web/page.js', 'src/web/controls.js', 'src/web/program.js'],
    languageOptions: { ...strictScript, globals: globals.browser },
    rules: { strict: ['error', 'global'] },
  },
  {
    files: ['src/web/unpack.js'],
    languageOptions: { ...strictScript, globals: globals.worker },
    rules: { strict: ['error', 'global'] },
  },
  {
    files: ['src/web/sw.js'],
    languageOptions: { ...strictScript, globals: globals.serviceworker },
    rules: { strict: ['error', 'global'] },
  },
  // Types alone, for the checker.
  { files: ['src/web/messages.js'], languageOptions: strictScript },
  // An Emscripten library: its functions are copied into the module's script, which the build
  // makes strict, on the page or in a Worker. Their parameters are the C calls' own, used or not.
  {
    files: ['src/web/glut.js'],
    languageOptions: {
      ...strictScript, globals: globals.worker,
      parserOptions: { ecmaFeatures: { impliedStrict: true } },
    },
    rules: { 'no-unused-vars': ['error', { args: 'none' }] },
  },
  { files: ['**/*.mjs'], languageOptions: { globals: globals.node } },
  // The checks and benches hand a browser functions that run there, on the page or in its Worker.
  {
    files: ['tools/browser/**/*.mjs', 'tests/web/**/*.mjs', 'bench/web_*.mjs'],
    languageOptions: { globals: { ...globals.node, ...globals.browser } },
  },
];
