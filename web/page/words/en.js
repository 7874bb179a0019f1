// Every sentence of the page in English. Each entry is a plain string or a
// function of one object of named values; words/ja.js has the same entries
// with the same names (web/tests/words.test.mjs holds them to it).

import { pad } from '../numbers.js';

const MONTHS = [
  'January',
  'February',
  'March',
  'April',
  'May',
  'June',
  'July',
  'August',
  'September',
  'October',
  'November',
  'December',
];

// "set (1).txt" with a space no line breaks at.
const secondDownload = 'set\u00a0(1).txt';

/// The month's name, the one place the page names months.
export const month = ({ month }) => MONTHS[month - 1];

/// How dates and times are written (Intl).
export const locale = 'en-GB';

export const title = 'Halvo \u2014 camera settings file set.txt';
export const heading = 'Halvo \u2014 set.txt';
export const language = 'Language';
export const intro =
  'Pick the settings, save set.txt and put it into the top folder of the camera\u2019s card. This page uses no network.';
export const dateTime = 'Date and time';
export const recording = 'Recording';
export const amount = ({ value, unit }) => `${value} ${unit}`;
export const pair = ({ name, value }) => `${name} ${value}`;
/// What stands between two sentences.
export const between = ' ';
export const separator = ', ';
export const lead = 'Seconds until the camera is switched on';
export const leadHint = 'Time to put the card into the camera and switch it on.';
export const useClock = 'Use this device\u2019s clock';
export const spokenUnit = ({ unit }) => ` (${unit})`;
export const save = 'Save set.txt';
export const open = 'Open set.txt';
export const dropHint = 'You can also drop a set.txt onto this page.';
export const dropHere = 'Drop here to open set.txt';
export const saved = ({ summary }) =>
  `Saved set.txt (${summary}). Copy it into the top folder of the camera\u2019s card, named exactly set.txt (a browser may name a second download \u201c${secondDownload}\u201d). The camera takes the settings when it is next switched on.`;
export const written = ({ name, summary }) =>
  `Wrote ${name} and read it back: it holds what was saved (${summary}). The camera takes the settings from set.txt in the top folder of its card when it is next switched on.`;
export const otherName = ({ name }) => `The camera only reads a file named set.txt: rename ${name} to set.txt.`;
export const writeFailed = ({ name, error }) => `${name} could not be written (${error}). Save it again.`;
export const readBackFailed = ({ name, error }) =>
  `${name} was written but could not be read back (${error}). Save it again.`;
export const readBackDiffers = ({ name }) =>
  `${name} was written, but reading it back gave different bytes: the card may be faulty. Save it again, or use another card.`;
export const fileType = 'Text file';
export const countdown = ({ seconds }) => `Switch the camera on in ${seconds} s`;
export const switchOnNow = 'Switch the camera on now';
export const late = ({ seconds }) => `If you switch the camera on now, its clock will be ${seconds} s behind.`;
export const lateNext = ({ fresh, download }) =>
  'To set it right, ' +
  (fresh ? '' : 'press \u201cUse this device\u2019s clock\u201d, ') +
  (download
    ? `save again, delete the old set.txt from the card and copy the new file there as set.txt (a second download may be named \u201c${secondDownload}\u201d).`
    : 'save again and replace set.txt on the card.');
export const clockOff =
  'The date and time are saved as shown, with no countdown to switching the camera on. For a countdown, press \u201cUse this device\u2019s clock\u201d.';
export const clockSet = ({ lead, when }) => `Set from this device\u2019s clock plus ${lead} s: ${when}.`;
export const yearOutside = ({ year, first, last }) =>
  `This device\u2019s clock says ${year}, outside ${first} to ${last}: the year was left as it was.`;
export const badLead = ({ max }) =>
  `\u201cSeconds until the camera is switched on\u201d must be a whole number from 0 to ${max}. Nothing was changed.`;
export const noSuchDay = ({ day, month: m }) =>
  `${day} ${month({ month: m })} does not exist: pick a day the month has. Nothing was saved.`;
export const noChoice = ({ list }) => `${list} has no valid choice. Nothing was saved.`;
export const read = ({ name }) => `Read ${name}: every list now shows its settings.`;
export const notSetFile = ({ name, problem, line, setting, offset }) =>
  `${name} is not a set.txt the camera reads: ${problem} (line ${line}${setting ? `, ${setting}` : ''}, byte offset ${offset}). Nothing was changed.`;
export const unreadable = ({ name }) => `${name} could not be read. Nothing was changed.`;
export const correctionUsed = ({ amount, camera }) =>
  `The time written includes the start-up correction of ${amount} for ${camera}.`;

/// What the reader found wrong, by the core's name for it.
export const problems = {
  ByteOrderMark: 'it starts with an invisible mark that some editors add when saving',
  Label: 'a line does not start with the name the camera expects',
  Digit: 'there is something else where a number belongs',
  LineEnd: ({ lfOnly }) =>
    lfOnly
      ? 'its lines end in LF only, and the camera needs CR LF'
      : 'a line does not end in CR LF, as the camera needs',
  Padding: 'the spaces at its end are not as the camera expects',
  Length: ({ size, fileSize }) =>
    size === 0
      ? `the file is empty, and set.txt is ${fileSize} bytes`
      : size < fileSize
        ? `the file ends after ${size} bytes, and set.txt is ${fileSize} bytes`
        : `the file is ${size} bytes long, and set.txt is ${fileSize} bytes`,
  Value: 'it holds a value the camera does not take',
  SavedAsUtf8:
    'it was saved by a text editor as UTF-8, and the camera reads only the file as Halvo writes it: save set.txt again from this page',
  SavedAsShiftJis:
    'it was saved by a text editor as Shift_JIS, and the camera reads only the file as Halvo writes it: save set.txt again from this page',
};

/// The camera's clock.
export const clock = {
  heading: 'Check the camera\u2019s clock',
  howTo:
    'Film this clock with the camera recording and its time stamp on. Then find a frame of the video in which the stamp\u2019s seconds have just changed, and type what the stamp shows and what this clock shows in that frame.',
  referenceZone: ({ zone }) => `Time in ${zone}`,
  camera: 'Camera name',
  defaultCamera: 'my camera',
  stamp: 'Camera\u2019s time stamp (HH:MM:SS)',
  reference: 'This clock in the same frame (HH:MM:SS.t)',
  measure: 'Work out the offset',
  badStamp: 'Type the camera\u2019s time stamp as hours, minutes and seconds, such as 14:03:07 (or 14.03.07).',
  badReference:
    'Type this clock\u2019s time as hours, minutes, seconds and tenths, such as 14:03:09.3 (or 14.03.09.3).',
  seconds: ({ amount }) => `${amount} s`,
  duration: ({ hours, minutes, seconds }) =>
    [hours && `${hours} h`, minutes && `${minutes} min`, seconds && `${seconds} s`].filter(Boolean).join(' '),
  offset: ({ amount, sign }) =>
    sign === 0
      ? 'The camera\u2019s clock is right to the tenth of a second.'
      : `The camera is ${amount} ${sign > 0 ? 'ahead' : 'behind'}.`,
  offsetShort: ({ amount, sign }) => (sign === 0 ? 'right' : `${amount} ${sign > 0 ? 'ahead' : 'behind'}`),
  zoneOffset: ({ zone, zoneSign, hour, amount, sign }) =>
    `The camera is ${zone} ${zoneSign > 0 ? 'ahead' : 'behind'} \u2014 most likely summer time or another time zone: see \u201cTime zone of the written time\u201d. ` +
    `Apart from ${hour ? 'the hour' : `those ${zone}`}, ${sign === 0 ? 'it is right to the tenth of a second' : `it is ${amount} ${sign > 0 ? 'ahead' : 'behind'}`}.`,
  zoneOffsetShort: ({ zone, zoneSign, amount, sign }) =>
    `${zone} ${zoneSign > 0 ? 'ahead' : 'behind'} (time zone or summer time), apart from that ${sign === 0 ? 'right' : `${amount} ${sign > 0 ? 'ahead' : 'behind'}`}`,
  offer: ({ amount, early }) =>
    early
      ? `The camera starts with its clock ${amount} ahead. Take this as its correction, and saves with this device\u2019s clock will write the time ${amount} earlier and end the countdown ${amount} later, so that the camera\u2019s clock is right once it has started.`
      : `The camera takes ${amount} to start. Take this as its correction, and saves with this device\u2019s clock will write the time ${amount} later and end the countdown ${amount} sooner, so that the camera\u2019s clock is right once it has started.`,
  useOffer: ({ amount }) => `Use ${amount} as the correction`,
  startUpNotSet:
    'To measure how long the camera takes to start, save with this device\u2019s clock, switch the camera on when the countdown ends, and measure within a day.',
  startUpLater: ({ date }) =>
    `None of these measurements shows how long the camera takes to start: that needs one made within a day of switching it on (${date}), and they were made later.`,
  startUpZone:
    'The measurement from the day the camera was set is off by a time zone or summer time, so it shows nothing of the start-up. Choose the right \u201cTime zone of the written time\u201d, set the camera again and measure again.',
  taken: ({ amount, camera }) =>
    `The next save with this device\u2019s clock uses the correction of ${amount} for ${camera}. Until then the camera keeps its offset: save again, put the new set.txt on the card and switch the camera on when the countdown ends.`,
  kept: ({ name }) => `Measurements of ${name}`,
  none: 'No measurements yet.',
  item: ({ when, result }) => `${when}: ${result}`,
  beforeSetting: ({ item }) => `${item} \u2014 made before the camera was last set, so not used`,
  remove: 'Delete',
  removeLabel: ({ when }) => `Delete the measurement of ${when}`,
  driftNeedsMore: 'Measure again a day or more later to see how fast the clock drifts.',
  driftTooSoon: ({ date }) =>
    `The latest measurement is less than a day after the first since the camera was set (${date}): measure again a day or more after that one to see how fast the clock drifts.`,
  drift: ({ amount, gains }) => `The clock ${gains ? 'gains' : 'loses'} ${amount} a day.`,
  noDrift: 'The clock has not drifted since it was set.',
  setAgainBy: ({ date, bound }) => `It will be off by more than ${bound} on ${date}: set it again by then.`,
  offAlready: ({ bound }) => `It is off by more than ${bound} already: set it again.`,
  bound: 'Set it again before it is off by more than (s)',
  badBound: ({ lowest, highest, kept }) =>
    `Type a number of seconds from ${lowest} to ${highest}, such as 2 or 2.5. The limit stays at ${kept}.`,
  zone: 'Time zone of the written time',
  thisComputer: ({ zone }) => `${zone} (this device)`,
  useCorrection: ({ name }) => `Correct for the start-up delay of ${name}`,
  correction: 'Start-up correction in seconds',
  unit: 's',
  badCorrection: ({ lowest, highest, kept }) =>
    `Type a number of seconds from ${lowest} to ${highest}, such as 1.3 or \u22120.5. The correction stays at ${kept}.`,
  storageOff: 'This browser does not let the page keep measurements: they are lost when the page is closed.',
  zoneChange: ({ year, month: m, day, hour, minute, forward, amount }) =>
    `On ${day} ${month({ month: m })} ${year} at ${pad(hour)}:${pad(minute)} the clocks go ${forward ? 'forward' : 'back'} ${amount}; the camera will not: set it again then.`,
};
