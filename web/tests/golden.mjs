// The golden set.txt that the C++ tests compare with, written out by hand in
// tests/golden/golden_set_file.h; read from there so that every test of
// Halvo compares with the same bytes.
import fs from 'node:fs';

const header = fs.readFileSync(new URL('../../tests/golden/golden_set_file.h', import.meta.url), 'utf8');
const block = /kLastSetFile\[\] = \{([^}]*)\};/.exec(header);
if (!block) throw new Error('golden_set_file.h: kLastSetFile not found');
const bytes = block[1].replace(/\/\/.*$/gm, '').match(/0x[0-9a-f]{2}/gi) ?? [];

/// The last entry of every list: 2050-12-31 23:59:59, flip on, 5 min, time-lapse 10 s, sound off, video device, stamp off.
export const LAST_FILE = Uint8Array.from(bytes, (hex) => parseInt(hex, 16));
if (LAST_FILE.length !== 282) throw new Error(`golden_set_file.h: kLastSetFile holds ${LAST_FILE.length} bytes`);

/// List positions (the selection's order) of LAST_FILE, and of the dialog's initial selections.
export const LAST_POSITIONS = [29, 11, 30, 23, 59, 59, 1, 3, 2, 0, 1, 0];
export const INITIAL_POSITIONS = [0, 0, 0, 0, 0, 0, 0, 1, 3, 1, 0, 1];

/// "2024-03-05 07:08:26": the date and time a set.txt names (its first six lines end in them).
export function writtenTime(bytes) {
  const v = Buffer.from(bytes)
    .toString('latin1')
    .split('\r\n')
    .slice(0, 6)
    .map((line) => /= (\d+)$/.exec(line)[1]);
  return `${v[0]}-${v[1]}-${v[2]} ${v[3]}:${v[4]}:${v[5]}`;
}
