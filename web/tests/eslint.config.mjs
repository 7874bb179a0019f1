// The linter over the page's modules, its bundler and these tests; run from
// web/ by scripts/test-web (npm run lint).
import js from '@eslint/js';
import globals from 'globals';

export default [
  js.configs.recommended,
  {
    rules: {
      eqeqeq: 'error',
      'no-var': 'error',
      'prefer-const': 'error',
      'no-unused-vars': ['error', { caughtErrors: 'none' }],
    },
  },
  {
    // The page runs in a browser as ES modules; whatever it uses from another module it imports.
    files: ['page/**/*.js'],
    languageOptions: { sourceType: 'module', globals: globals.browser },
  },
  {
    files: ['tests/**/*.mjs', 'cmake/**/*.mjs'],
    // The tests also run functions inside the page (page.evaluate), with the browser's globals.
    languageOptions: { sourceType: 'module', globals: { ...globals.node, ...globals.browser } },
  },
  { ignores: ['tests/node_modules/**'] },
];
