// The page's words: both languages have the same entries, each a plain string or
// a function of one object whose named values are the same in both, so that no
// sentence is missing from one language or asks for a value the other lacks.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import * as en from '../page/words/en.js';
import * as ja from '../page/words/ja.js';

// The names a function entry takes from its one object, "({ name, zone: z })" giving name and zone; null for any
// other form.
function parameterNames(fn) {
  const match = /^(?:function\s*[\w$]*\s*)?\(\s*\{([^}]*)\}\s*\)/.exec(fn.toString());
  if (!match) return null;
  return match[1]
    .split(',')
    .map((part) => part.trim().split(/\s*[:=]\s*/)[0])
    .filter(Boolean)
    .sort();
}

// Every entry as "path: string" or "path: (names)", through groups such as problems and clock.
export function shape(words, prefix = '') {
  const out = [];
  for (const [key, value] of Object.entries(words).sort(([a], [b]) => a.localeCompare(b))) {
    const path = prefix + key;
    if (typeof value === 'string') out.push(`${path}: string`);
    else if (typeof value === 'function')
      out.push(`${path}: (${parameterNames(value)?.join(', ') ?? 'not one object'})`);
    else if (value && typeof value === 'object') out.push(...shape(value, `${path}.`));
    else out.push(`${path}: ${typeof value}`);
  }
  return out;
}

test('English and Japanese have the same entries, each taking the same named values', () => {
  assert.deepEqual(shape(ja), shape(en));
});

test('every function entry takes one object of named values, and none is empty', () => {
  for (const [language, words] of [
    ['en', en],
    ['ja', ja],
  ]) {
    for (const entry of shape(words))
      assert.doesNotMatch(entry, /not one object|: \(\)$|: (undefined|number|boolean)$/, `${language} ${entry}`);
  }
});

test('the shape comparison finds an entry missing from one language, or a value named differently', () => {
  const { clock, ...rest } = ja;
  const { taken, ...clockRest } = clock;
  assert.notDeepEqual(shape({ ...rest, clock: clockRest }), shape(en), 'clock.taken left out');
  assert.notDeepEqual(
    shape({ ...ja, late: ({ secs }) => `${secs}` }),
    shape(en),
    'late({ secs }) for late({ seconds })',
  );
  assert.ok(taken);
});

test("the reader's problems and the months are worded in both languages", () => {
  const kinds = [
    'ByteOrderMark',
    'Label',
    'Digit',
    'LineEnd',
    'Padding',
    'Length',
    'Value',
    'SavedAsUtf8',
    'SavedAsShiftJis',
  ];
  for (const words of [en, ja]) {
    assert.deepEqual(Object.keys(words.problems).sort(), [...kinds].sort());
    assert.equal(new Set(Array.from({ length: 12 }, (_, i) => words.month({ month: i + 1 }))).size, 12);
  }
  assert.equal(
    en.problems.Length({ size: 200, fileSize: 282 }),
    'the file ends after 200 bytes, and set.txt is 282 bytes',
  );
  assert.equal(
    ja.problems.Length({ size: 200, fileSize: 282 }),
    'ファイルが200バイトで終わっています。set.txt は282バイトです',
  );
});
