// Numbers as the page shows them and reads them, in either language: tenths
// of a second, times of day, and whatever a phone's keyboard types (full-width
// digits, points and colons alike).

/// "07" from 7.
export function pad(value) {
  return String(value).padStart(2, '0');
}

/// Whole tenths as the page shows them: "2.3", "−0.5" (with a true minus sign).
export function tenths(value) {
  const sign = value < 0 ? '\u2212' : '';
  const size = Math.abs(value);
  return `${sign}${Math.floor(size / 10)}.${size % 10}`;
}

/// Whole tenths as a field shows them for typing over: "-0.5" (the minus a keyboard types).
export function typedTenths(value) {
  return tenths(value).replace('\u2212', '-');
}

/// A limit in tenths as a sentence names it: "60", "0.1", "−60".
export function limit(value) {
  return value % 10 === 0 ? String(value / 10).replace('-', '\u2212') : tenths(value);
}

// Full-width digits, points, commas, colons and minus signs as their plain forms.
function plain(text) {
  return text
    .normalize('NFKC')
    .replace(/\u2212/g, '-')
    .trim();
}

/// Seconds in tenths from what an owner types ("1.3", "-0,5", "２．４"); null unless a number of whole tenths.
export function parseTenths(text) {
  const match = /^([-+]?)(\d{1,3})(?:[.,](\d))?$/.exec(plain(text));
  if (!match) return null;
  const value = Number(match[2]) * 10 + Number(match[3] || 0);
  return match[1] === '-' ? -value : value;
}

/// "14:03:09.3" → tenths of the day; the tenths only where `withTenths`. A point or a space may stand for a colon
/// ("14.03.09.3"), as a phone's number keyboard has no colon.
export function parseTimeOfDay(text, withTenths) {
  const match = /^(\d{1,2})[:. ](\d{2})[:. ](\d{2})(?:[.,](\d))?$/.exec(plain(text));
  if (!match || (!withTenths && match[4] !== undefined)) return null;
  const [hour, minute, second, tenth] = match.slice(1).map((part) => Number(part || 0));
  if (hour > 23 || minute > 59 || second > 59) return null;
  return ((hour * 60 + minute) * 60 + second) * 10 + tenth;
}
