// What the page reads from its number fields: tenths and times of day, typed
// with plain or full-width digits, points and colons, or a phone's point for a colon.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { parseTenths, parseTimeOfDay, tenths, limit } from '../page/numbers.js';

test('seconds in tenths, plain or full-width, within three digits and one decimal', () => {
  const cases = [
    ['2.4', 24],
    ['２．４', 24],
    ['-0.5', -5],
    ['\u22120.5', -5],
    ['－０．５', -5],
    ['+1,3', 13],
    [' 60 ', 600],
    ['１', 10],
    ['1.25', null],
    ['soon', null],
    ['', null],
    ['1.', null],
    ['1000', null],
  ];
  for (const [typed, value] of cases) assert.equal(parseTenths(typed), value, typed);
});

test('times of day, with colons, full-width colons or points, tenths only where asked', () => {
  const at = (h, m, s, t = 0) => ((h * 60 + m) * 60 + s) * 10 + t;
  const cases = [
    ['14:03:07', false, at(14, 3, 7)],
    ['１４：０３：０７', false, at(14, 3, 7)],
    ['14.03.07', false, at(14, 3, 7)],
    ['7:08:05', false, at(7, 8, 5)],
    ['14:03:09.3', true, at(14, 3, 9, 3)],
    ['14.03.09.3', true, at(14, 3, 9, 3)],
    ['１４：０３：０９．３', true, at(14, 3, 9, 3)],
    ['14:03:09', true, at(14, 3, 9)],
    ['14:03:09.3', false, null],
    ['7:0', false, null],
    ['24:00:00.0', true, null],
    ['07:00:00.25', true, null],
    ['07:60:00', false, null],
  ];
  for (const [typed, withTenths, value] of cases) assert.equal(parseTimeOfDay(typed, withTenths), value, typed);
});

test('tenths and limits as sentences show them', () => {
  assert.deepEqual(
    [tenths(23), tenths(-5), tenths(0), limit(600), limit(1), limit(-600)],
    ['2.3', '\u22120.5', '0.0', '60', '0.1', '\u221260'],
  );
});
