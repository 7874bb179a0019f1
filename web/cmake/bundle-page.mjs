// Bundles the page's ES modules, from its entry (web/page/halvo.js), into one
// classic script for the page's single inline <script>: each module becomes a
// function whose result is its exports, in the order the imports need them.
// 'halvo-core' names the compiled core (the file given), whose factory
// HalvoCore it exports. Only the forms below are understood, so that nothing
// is bundled wrongly; anything else stops the build.
//
//   node bundle-page.mjs ENTRY CORE_JS OUTPUT
//
//   import { a, b as c } from './x.js';     import * as x from './x.js';
//   export function f…   export async function f…   export const x = …
import fs from 'node:fs';
import path from 'node:path';

const [entry, coreJs, output] = process.argv.slice(2);
if (!output) {
  console.error('usage: node bundle-page.mjs ENTRY CORE_JS OUTPUT');
  process.exit(2);
}
const root = path.dirname(path.resolve(entry));
const CORE = 'halvo-core';

const importForm = /^import\s+(\{[^}]*\}|\*\s+as\s+[\w$]+)\s+from\s+'([^']+)';[ \t]*\n/gm;
const exportForm = /^export\s+((?:async\s+)?function\s*\*?\s*([\w$]+)|const\s+([\w$]+))/gm;

function fail(file, message) {
  console.error(`${path.relative(root, file)}: ${message}`);
  process.exit(1);
}

// The module's variable in the bundle: "$words_en" for words/en.js.
function variableOf(file) {
  return file === CORE ? '$core' : '$' + path.relative(root, file).replace(/\.js$/, '').replace(/[^\w]/g, '_');
}

const done = new Map(); // file → its code in the bundle, in the order finished
const visiting = new Set();

function bundle(file) {
  if (done.has(file)) return;
  if (visiting.has(file)) fail(file, 'imports itself through a cycle');
  visiting.add(file);
  if (file === CORE) {
    done.set(
      file,
      `const $core = (function () {\n${fs.readFileSync(coreJs, 'utf8')}\nreturn { HalvoCore: HalvoCore };\n})();\n`,
    );
    visiting.delete(file);
    return;
  }
  let text = fs.readFileSync(file, 'utf8');
  const bindings = [];
  text = text.replace(importForm, (whole, what, from) => {
    const target = from === CORE ? CORE : path.resolve(path.dirname(file), from);
    if (target !== CORE && !target.startsWith(root + path.sep)) fail(file, `imports ${from}, outside the page`);
    bundle(target);
    const names = what.startsWith('*')
      ? what.replace(/^\*\s+as\s+/, '')
      : what.replace(/\s+as\s+/g, ': ').replace(/\s+/g, ' ');
    bindings.push(`const ${names} = ${variableOf(target)};`);
    return '';
  });
  const exported = [];
  text = text.replace(exportForm, (whole, declaration, functionName, constName) => {
    exported.push(functionName ?? constName);
    return declaration;
  });
  if (/^\s*(import|export)\b/m.test(text) || /\bimport\s*\(/.test(text))
    fail(file, 'holds an import or export the bundler does not understand');
  const name = path.relative(root, file);
  done.set(
    file,
    `// ${name}\nconst ${variableOf(file)} = (function () {\n'use strict';\n${bindings.join('\n')}\n` +
      `${text.replace(/^'use strict';\n/, '')}\nreturn { ${exported.join(', ')} };\n})();\n`,
  );
  visiting.delete(file);
}

bundle(path.resolve(entry));
fs.writeFileSync(output, `(function () {\n${[...done.values()].join('\n')}})();\n`);
