// The camera's clock's C interface of the WebAssembly build, under Node.js, with
// the zones of Node's Intl.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';
import path from 'node:path';

const here = path.dirname(fileURLToPath(import.meta.url));
const corePath = process.env.HALVO_CORE ?? path.resolve(here, '../../build/web/web/halvo_core.js');
const clock = (await createRequire(import.meta.url)(corePath)()).clockApi();

const seconds = (h, m, s) => (h * 60 + m) * 60 + s;
const tenths = (h, m, s, t) => seconds(h, m, s) * 10 + t;
const ms = (iso) => Date.parse(iso);

test('C interface: the offset from a stamp and a reference, within and across midnight and at ±12 h', () => {
  const cases = [
    [seconds(14, 3, 7), tenths(14, 3, 9, 3), -23],
    [seconds(14, 3, 10), tenths(14, 3, 9, 0), 10],
    [seconds(23, 59, 59), tenths(0, 0, 1, 4), -24],
    [seconds(0, 0, 2), tenths(23, 59, 58, 5), 35],
    [seconds(12, 0, 0), tenths(0, 0, 0, 1), 431999],
    [seconds(12, 0, 0), tenths(0, 0, 0, 0), -432000],
    [86400, 0, null],
    [0, 864000, null],
    [-1, 0, null],
  ];
  for (const [stamp, reference, offset] of cases)
    assert.equal(clock.offset(stamp, reference), offset, `${stamp} ${reference}`);
});

test('C interface: the written second and the switch-on with a correction', () => {
  const reading = ms('2026-06-15T07:41:07.250Z');
  const second = ms('2026-06-15T07:41:37Z');
  const cases = [
    [0, second, second, false],
    [13, second + 1000, second - 300, true],
    [7, second, second - 700, false],
    [-5, second - 1000, second - 500, true],
    [600, second + 60000, second, true],
  ];
  for (const [correction, fileSecond, switchOn, corrected] of cases) {
    assert.deepEqual(
      clock.timeToWrite(reading, 30, correction),
      { fileSecond, switchOn, corrected },
      `correction ${correction}`,
    );
  }
  for (const [lead, correction, at] of [
    [30, 601, reading],
    [3601, 0, reading],
    [-1, 0, reading],
    [0, 0, 0.5],
    [0, 0, NaN],
  ]) {
    assert.throws(() => clock.timeToWrite(at, lead, correction), RangeError);
  }
});

test('C interface: start-up correction and drift', () => {
  const on = ms('2026-06-15T07:41:36.700Z');
  assert.equal(clock.startUpCorrection(on, 0, on + 60000, -13), 13);
  assert.equal(clock.startUpCorrection(on, 13, on + 60000, -4), 17);
  assert.equal(clock.startUpCorrection(on, 0, on + 86400001, -13), null);
  const day = 86400000;
  assert.deepEqual(clock.drift({ at: on, offset: 0 }, { at: on + 10 * day, offset: -10 }, 20), {
    msPerDay: -100,
    boundReached: on + 20 * day,
  });
  assert.deepEqual(clock.drift({ at: on, offset: -4 }, { at: on + 3 * day, offset: -4 }, 20), {
    msPerDay: 0,
    boundReached: null,
  });
  assert.equal(clock.drift({ at: on, offset: 0 }, { at: on + day - 1, offset: -10 }, 20), null);
});

test("C interface: zones by the browser's rules, north and south, half an hour, none, unknown", () => {
  const from = ms('2024-03-05T07:08:09+01:00') / 1000;
  const cases = [
    [
      'Europe/Berlin',
      {
        at: ms('2024-03-31T01:00Z') / 1000,
        before: 3600,
        after: 7200,
        wallClock: [2024, 3, 31, 2, 0],
        forward: true,
        hours: 1,
        minutes: 0,
      },
    ],
    [
      'Australia/Sydney',
      {
        at: ms('2024-04-06T16:00Z') / 1000,
        before: 39600,
        after: 36000,
        wallClock: [2024, 4, 7, 3, 0],
        forward: false,
        hours: 1,
        minutes: 0,
      },
    ],
    [
      'Australia/Lord_Howe',
      {
        at: ms('2024-04-06T15:00Z') / 1000,
        before: 39600,
        after: 37800,
        wallClock: [2024, 4, 7, 2, 0],
        forward: false,
        hours: 0,
        minutes: 30,
      },
    ],
    ['Asia/Tokyo', null],
    ['UTC', null],
  ];
  for (const [zone, change] of cases) assert.deepEqual(clock.nextZoneChange(zone, from), change, zone);
  assert.equal(clock.knowsZone('Mars/Olympus_Mons'), false);
  assert.throws(() => clock.nextZoneChange('Mars/Olympus_Mons', from), RangeError);
  assert.deepEqual(clock.wallClock('Australia/Lord_Howe', from * 1000), [2024, 3, 5, 17, 8, 9]);
  assert.ok(clock.zones().includes('UTC') && clock.zones().includes('Australia/Lord_Howe'));
});

test("C interface: a zone's part of an offset, the frame's instant, a measurement against the switch-on, the limits", () => {
  assert.deepEqual(clock.splitOffset(-35994), { zone: -36000, own: 6 });
  assert.deepEqual(clock.splitOffset(-23), { zone: 0, own: -23 });
  // 07:08:09.45 in Berlin (UTC+1): a reference of 07:08:07.3 was two seconds ago, one of 23:59:59.5 yesterday.
  const now = ms('2024-03-05T07:08:09.450+01:00');
  assert.equal(clock.measuredAt('Europe/Berlin', now, tenths(7, 8, 7, 3)), ms('2024-03-05T07:08:07.300+01:00'));
  assert.equal(clock.measuredAt('Asia/Tokyo', now, tenths(15, 8, 9, 4)), ms('2024-03-05T07:08:09.400+01:00'));
  assert.equal(clock.measuredAt('Europe/Berlin', now, tenths(23, 59, 59, 5)), ms('2024-03-04T23:59:59.500+01:00'));
  assert.throws(() => clock.measuredAt('UTC', now, 864000), RangeError);
  const on = ms('2026-06-15T07:41:36.700Z');
  assert.deepEqual(
    [on - 1, on, on + 86400000, on + 86400001].map((at) => clock.sinceSwitchOn(on, at)),
    ['before', 'startUp', 'startUp', 'later'],
  );
  assert.deepEqual(
    [clock.maxCorrection, clock.minBound, clock.maxBound, clock.defaultBound, clock.maxOffset],
    [600, 1, 600, 20, 432000],
  );
  assert.deepEqual([-601, -600, 600, 601, 1.5].map(clock.isCorrection), [false, true, true, false, false]);
  assert.deepEqual([0, 1, 600, 601].map(clock.isBound), [false, true, true, false]);
});
