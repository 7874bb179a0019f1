// The C interface of the WebAssembly build, under Node.js.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';
import fs from 'node:fs';
import path from 'node:path';
import { LAST_FILE, INITIAL_POSITIONS, LAST_POSITIONS } from './golden.mjs';
import { pagePath } from './browser.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const corePath = process.env.HALVO_CORE ?? path.resolve(here, '../../build/web/web/halvo_core.js');
const HalvoCore = createRequire(import.meta.url)(corePath);
const core = (await HalvoCore()).api();

const range = (first, last) => Array.from({ length: last - first + 1 }, (_, i) => first + i);
const withPositions = (changes) => {
  const positions = [...INITIAL_POSITIONS];
  for (const [index, position] of Object.entries(changes)) positions[index] = position;
  return positions;
};
const YEAR = 0,
  MONTH = 1,
  DAY = 2,
  HOUR = 3,
  FLIP = 6,
  LENGTH = 7,
  TIMELAPSE = 8,
  AUDIO = 9;

test("the lists are the dialog's, with its initial selections", () => {
  assert.deepEqual(
    core.lists.map((list) => list.values),
    [
      range(2021, 2050),
      range(1, 12),
      range(1, 31),
      range(0, 23),
      range(0, 59),
      range(0, 59),
      [0, 1],
      [1, 2, 3, 5],
      [1, 1, 1, 0],
      [0, 1],
      [0, 1],
      [0, 1],
    ],
  );
  assert.deepEqual(
    core.lists.map((list) => list.initial),
    INITIAL_POSITIONS,
  );
});

test('selections → the bytes of set.txt or the faults in order', async (t) => {
  const cases = [
    { name: 'last entry of every list', positions: LAST_POSITIONS, bytes: LAST_FILE },
    { name: '29 February of a leap year', positions: withPositions({ [YEAR]: 3, [MONTH]: 1, [DAY]: 28 }), faults: [] },
    { name: '29 February 2028', positions: withPositions({ [YEAR]: 7, [MONTH]: 1, [DAY]: 28 }), faults: [] },
    {
      name: '29 February of a common year',
      positions: withPositions({ [YEAR]: 2, [MONTH]: 1, [DAY]: 28 }),
      faults: ['DateTime'],
    },
    { name: '30 April', positions: withPositions({ [MONTH]: 3, [DAY]: 29 }), faults: [] },
    { name: '31 December', positions: withPositions({ [MONTH]: 11, [DAY]: 30 }), faults: [] },
    { name: '30 February', positions: withPositions({ [MONTH]: 1, [DAY]: 29 }), faults: ['DateTime'] },
    { name: '31 April', positions: withPositions({ [MONTH]: 3, [DAY]: 30 }), faults: ['DateTime'] },
    { name: '31 November', positions: withPositions({ [MONTH]: 10, [DAY]: 30 }), faults: ['DateTime'] },
    { name: 'one past the last year', positions: withPositions({ [YEAR]: 30 }), faults: ['DateTime'] },
    { name: 'hour 24', positions: withPositions({ [HOUR]: 24 }), faults: ['DateTime'] },
    {
      name: 'no year and no flip, in check order',
      positions: withPositions({ [YEAR]: -1, [FLIP]: -1 }),
      faults: ['DateTime', 'Option'],
    },
    {
      name: 'no sound and 31 June: the day check comes last',
      positions: withPositions({ [AUDIO]: -1, [MONTH]: 5, [DAY]: 30 }),
      faults: ['Option', 'DateTime'],
    },
    {
      name: 'unknown length and time-lapse fall back without a fault',
      positions: withPositions({ [LENGTH]: -1, [TIMELAPSE]: 7 }),
      faults: [],
    },
    { name: 'a wild position', positions: withPositions({ [YEAR]: 2 ** 31 - 1 }), faults: ['DateTime'] },
  ];
  for (const c of cases) {
    await t.test(c.name, () => {
      const result = core.convert(c.positions);
      if (c.bytes) {
        assert.deepEqual(result, { failed: [], bytes: c.bytes });
        return;
      }
      assert.deepEqual(
        result.failed.map((check) => check.kind),
        c.faults,
      );
      if (c.faults.length > 0) assert.equal(result.bytes, null);
      else assert.equal(result.bytes.length, LAST_FILE.length);
    });
  }
  assert.throws(() => core.convert([0, 0, 0]), RangeError);
});

test('each failed check names its list and why', () => {
  const cases = [
    [INITIAL_POSITIONS, []],
    [withPositions({ [MONTH]: 1, [DAY]: 29 }), [{ kind: 'DateTime', list: 'day', reason: 'NoSuchDay' }]],
    [withPositions({ [YEAR]: 5, [MONTH]: 1, [DAY]: 28 }), [{ kind: 'DateTime', list: 'day', reason: 'NoSuchDay' }]],
    [
      withPositions({ [YEAR]: -1, [FLIP]: 2 }),
      [
        { kind: 'DateTime', list: 'year', reason: 'NoEntry' },
        { kind: 'Option', list: 'imageFlip', reason: 'OutsideList' },
      ],
    ],
    [
      withPositions({ [HOUR]: 24, [AUDIO]: -1 }),
      [
        { kind: 'DateTime', list: 'hour', reason: 'OutsideList' },
        { kind: 'Option', list: 'recordAudio', reason: 'NoEntry' },
      ],
    ],
  ];
  for (const [positions, failed] of cases)
    assert.deepEqual(core.convert(positions).failed, failed, `positions ${positions}`);
  // Nothing chosen anywhere fails every checked list, and every one of those comes back.
  const nothing = core.convert(INITIAL_POSITIONS.map(() => -1)).failed;
  assert.deepEqual(
    nothing.map((check) => check.list),
    ['year', 'month', 'day', 'hour', 'minute', 'second', 'imageFlip', 'recordAudio', 'usbMode', 'timestamp'],
  );
  assert.ok(nothing.every((check) => check.reason === 'NoEntry'));
  assert.equal(core.fileName, 'set.txt');
});

test('the words come through in both languages', () => {
  const timelapse = core.lists[TIMELAPSE];
  assert.equal(timelapse.key, 'timelapse');
  assert.deepEqual(timelapse.label, { ja: 'タイムラプス', en: 'Time-lapse' });
  assert.deepEqual(
    timelapse.words.map((word) => word.ja),
    ['2秒', '5秒', '10秒', 'オフ'],
  );
  assert.equal(core.lists[YEAR].words, null);
  assert.deepEqual(core.lists[LENGTH].unit, { ja: '分', en: 'min' });
  assert.equal(core.texts.error, 'ERROR!');
  assert.match(core.texts.written.ja, /^本体をPCと接続し/);
  assert.equal(core.maxLead, 3600);
  assert.equal(core.defaultLead, 30);
});

test('a clock reading → date and time positions, -1 outside a list', () => {
  const cases = [
    [
      [2024, 3, 5, 7, 8, 9],
      [3, 2, 4, 7, 8, 9],
    ],
    [
      [2021, 1, 1, 0, 0, 0],
      [0, 0, 0, 0, 0, 0],
    ],
    [
      [2050, 12, 31, 23, 59, 59],
      [29, 11, 30, 23, 59, 59],
    ],
    [
      [2020, 6, 15, 12, 30, 45],
      [-1, 5, 14, 12, 30, 45],
    ],
    [
      [2051, 1, 1, 0, 0, 0],
      [-1, 0, 0, 0, 0, 0],
    ],
    [
      [2024, 2, 29, 0, 0, 60],
      [3, 1, 28, 0, 0, -1],
    ],
  ];
  for (const [clock, positions] of cases) assert.deepEqual(core.clockPositions(clock), positions, `clock ${clock}`);
});

const withoutCR = (bytes) => bytes.filter((b) => b !== 0x0d);
const edited = (bytes, offset, text) => {
  const copy = Uint8Array.from(bytes);
  copy.set(new TextEncoder().encode(text), offset);
  return copy;
};
const joined = (...parts) => Uint8Array.from(parts.flatMap((part) => [...part]));

test('file bytes → list positions, or the first problem with offset and line', async (t) => {
  const cases = [
    { name: 'the last entries', bytes: LAST_FILE, positions: LAST_POSITIONS },
    { name: 'empty', bytes: new Uint8Array(0), problem: { kind: 'Length', offset: 0, line: 1, setting: null } },
    {
      name: 'LF line ends',
      bytes: withoutCR(LAST_FILE),
      problem: { kind: 'LineEnd', offset: 9, line: 1, setting: null },
    },
    {
      name: 'UTF-8 byte-order mark',
      bytes: joined([0xef, 0xbb, 0xbf], LAST_FILE),
      problem: { kind: 'ByteOrderMark', offset: 0, line: 1, setting: null },
    },
    // Opened in a text editor and saved again: the same words in another encoding.
    {
      name: 'saved again as UTF-8',
      bytes: new TextEncoder().encode(new TextDecoder('big5').decode(LAST_FILE)),
      problem: { kind: 'SavedAsUtf8', offset: 0, line: 1, setting: null },
      says: /^saved by a text editor as UTF-8; the camera reads only the file Halvo writes: write it again$/,
    },
    {
      name: 'saved again as Shift_JIS',
      bytes: fs.readFileSync(path.resolve(here, '../../tests/golden/set-initial-saved-as-shift-jis.txt')),
      problem: { kind: 'SavedAsShiftJis', offset: 0, line: 1, setting: null },
      says: /as Shift_JIS/,
    },
    {
      name: 'cut short',
      bytes: LAST_FILE.slice(0, 100),
      problem: { kind: 'Length', offset: 100, line: 8, setting: null },
    },
    {
      name: 'a line end after the last line',
      bytes: joined(LAST_FILE, [0x0d, 0x0a]),
      problem: { kind: 'Length', offset: 282, line: 13, setting: null },
    },
    {
      name: '31 April',
      bytes: edited(LAST_FILE, 16, '04'),
      problem: { kind: 'Value', offset: 25, line: 3, setting: 'day' },
    },
    {
      name: '29 February 2023, a date that does not exist',
      bytes: edited(edited(edited(LAST_FILE, 5, '2023'), 16, '02'), 25, '29'),
      problem: { kind: 'Value', offset: 25, line: 3, setting: 'day' },
      says: /2023-02-29 does not exist/,
    },
    {
      name: 'a letter in the hour',
      bytes: edited(LAST_FILE, 35, 'x'),
      problem: { kind: 'Digit', offset: 35, line: 4, setting: 'hour' },
    },
    {
      name: 'a large file that is not set.txt',
      bytes: new Uint8Array(4 << 20),
      problem: { kind: 'Label', offset: 0, line: 1, setting: 'year' },
    },
  ];
  for (const c of cases) {
    await t.test(c.name, () => {
      const result = core.read(c.bytes);
      if (c.positions) {
        assert.deepEqual(result, { positions: c.positions });
        return;
      }
      const { message, ...where } = result.problem;
      assert.deepEqual(where, c.problem);
      assert.ok(message.length > 0);
      if (c.says) assert.match(message, c.says);
    });
  }
});

test('every valid file reads back as the selections that wrote it', () => {
  for (const positions of [
    INITIAL_POSITIONS,
    LAST_POSITIONS,
    [3, 1, 28, 7, 8, 9, 0, 0, 0, 0, 0, 1],
    [9, 3, 29, 12, 0, 30, 1, 2, 1, 1, 0, 0],
  ]) {
    assert.deepEqual(core.read(core.convert(positions).bytes), { positions });
  }
});

test('the page is one file within its budget', () => {
  assert.ok(fs.statSync(pagePath).size <= 200 * 1024, `${pagePath} is ${fs.statSync(pagePath).size} bytes`);
});
