// The settings: twelve lists, the clock button, save (through the browser's save
// dialog where it offers one, else as a download) with a countdown to switching
// the camera on, and open. Every check, value and byte comes from the core's api
// (web/src/core_api.js, handed to start); the words are words/*.js.

import * as en from './words/en.js';
import * as ja from './words/ja.js';
import * as cameraClock from './camera_clock.js';
import { pad } from './numbers.js';

const WORDS = { en, ja };

const page = {
  api: null,
  language: 'en',
  selects: [],
  status: null, // { key, params, notes } of the last status message, re-worded on a language switch
  alerts: [], // [{ key, params }]
  fromClock: false, // the date and time lists hold a clock reading that no hand has changed since
  countdown: null, // { target (ms), left (whole seconds), timeout, download } after a save whose time came from the clock
  saving: false,
};

function $(id) {
  return document.getElementById(id);
}
function text() {
  return WORDS[page.language];
}
function lists() {
  return page.api.lists;
}
function isDateList(index) {
  return index < page.api.dateTimeLists;
}
function listIndex(key) {
  return lists().findIndex((list) => list.key === key);
}
// A fault the page has no words for shows the dialog's own text.
function fallback() {
  return page.api.texts.error;
}

// The last lead saved with, kept in the browser; a browser that keeps nothing (or refuses access) gets the default.
const leadKey = 'halvo.lead';
function storedLead() {
  try {
    const value = Number(window.localStorage.getItem(leadKey));
    const kept =
      window.localStorage.getItem(leadKey) !== null &&
      Number.isInteger(value) &&
      value >= 0 &&
      value <= page.api.maxLead;
    return kept ? value : page.api.defaultLead;
  } catch {
    return page.api.defaultLead;
  }
}
function keepLead(lead) {
  try {
    window.localStorage.setItem(leadKey, String(lead));
  } catch {
    // Not kept: the next visit starts from the default.
  }
}

// The words of one entry in the page's language: a date or time entry is its number.
function entryText(language, index, position) {
  const list = lists()[index];
  return list.words ? list.words[position][language] : String(list.values[position]);
}

function buildLists() {
  lists().forEach((list, index) => {
    const key = list.key;
    const field = document.createElement('div');
    field.className = 'field';
    const label = document.createElement('label');
    label.htmlFor = key;
    label.dataset.list = index;
    const select = document.createElement('select');
    select.id = key;
    for (let position = 0; position < list.values.length; ++position) select.add(new Option('', String(position)));
    select.selectedIndex = list.initial;
    field.append(label);
    if (list.unit.en !== '' && !isDateList(index) && list.words.every((word) => /^[0-9]+$/.test(word.en))) {
      // A list of bare numbers shows its unit beside it; a screen reader hears it in the label.
      select.dataset.spokenUnit = index;
      const row = document.createElement('span');
      row.className = 'unit';
      const unit = document.createElement('span');
      unit.dataset.unit = index;
      unit.setAttribute('aria-hidden', 'true');
      row.append(select, unit);
      field.append(row);
    } else {
      field.append(select);
    }
    $(isDateList(index) ? 'dateLists' : 'optionLists').append(field);
    page.selects.push(select);
  });
}

// A message { key, params } in the page's language; a key "problems.Length" names an entry of a group, and a
// parameter given as a function is worded afresh in the language.
function say(message) {
  const words = text();
  const params = {};
  for (const [name, value] of Object.entries(message.params || {}))
    params[name] = typeof value === 'function' ? value(page.language) : value;
  const entry = message.key.split('.').reduce((group, key) => (group ? group[key] : undefined), words);
  return typeof entry === 'function' ? entry(params) : typeof entry === 'string' ? entry : fallback();
}

function showMessages() {
  const status = $('status');
  status.replaceChildren();
  if (page.status) {
    status.append(Object.assign(document.createElement('p'), { textContent: say(page.status) }));
    for (const note of page.status.notes || [])
      status.append(Object.assign(document.createElement('p'), { textContent: note(page.language) }));
  }
  const alert = $('alert');
  alert.replaceChildren();
  for (const message of page.alerts)
    alert.append(Object.assign(document.createElement('p'), { textContent: say(message) }));
  showCountdown();
}

// The timer shows the whole seconds left; in the second the file names it says "now", and so
// does the status (which screen readers announce, unlike a timer) for just that second.
// Where no countdown runs and the lists no longer hold the clock's reading, the page says a save starts none.
function showCountdown() {
  const timer = $('countdown');
  const countdown = page.countdown;
  const words = text();
  let cue = $('switchOnNow');
  $('clockOff').hidden = Boolean(countdown) || page.fromClock;
  timer.hidden = !countdown;
  timer.classList.toggle('late', Boolean(countdown) && countdown.left < 0);
  if (countdown && countdown.left < 0) {
    // Missed: how far behind the camera would start, then what to do, in plain type.
    const late = Object.assign(document.createElement('strong'), {
      textContent: words.late({ seconds: -countdown.left }),
    });
    timer.replaceChildren(late, words.between, words.lateNext({ fresh: page.fromClock, download: countdown.download }));
  } else {
    timer.textContent = !countdown
      ? ''
      : countdown.left > 0
        ? words.countdown({ seconds: countdown.left })
        : words.switchOnNow;
  }
  if (!countdown || countdown.left !== 0) {
    if (cue) cue.remove();
    return;
  }
  if (!cue) {
    cue = document.createElement('p');
    cue.id = 'switchOnNow';
    cue.className = 'spoken';
    $('status').append(cue);
  }
  cue.textContent = words.switchOnNow;
}

// Wakes at each whole second before or after the target, so the count changes as the second does.
function tick() {
  const countdown = page.countdown;
  const toGo = countdown.target - Date.now();
  countdown.left = Math.ceil(toGo / 1000) || 0;
  showCountdown();
  countdown.timeout = setTimeout(tick, ((toGo % 1000) + 1000) % 1000 || 1000);
}

function startCountdown(target, download) {
  page.countdown = { target, left: 0, timeout: 0, download };
  tick();
  $('countdown').scrollIntoView({ block: 'nearest' });
}

// Any new message ends the countdown: it belongs to the save that started it.
function report(status, alerts) {
  if (page.countdown) clearTimeout(page.countdown.timeout);
  page.countdown = null;
  page.status = status;
  page.alerts = alerts;
  showMessages();
}

function applyLanguage(language) {
  page.language = language;
  const words = text();
  document.documentElement.lang = language;
  document.title = words.title;
  for (const element of document.querySelectorAll('[data-text]')) element.textContent = words[element.dataset.text];
  for (const element of document.querySelectorAll('[data-list]'))
    element.textContent = lists()[element.dataset.list].label[language];
  for (const element of document.querySelectorAll('[data-spoken-unit]')) {
    const list = lists()[element.dataset.spokenUnit];
    element.setAttribute('aria-label', list.label[language] + words.spokenUnit({ unit: list.unit[language] }));
  }
  for (const element of document.querySelectorAll('[data-unit]'))
    element.textContent = lists()[element.dataset.unit].unit[language];
  for (const element of document.querySelectorAll('[data-label]'))
    element.setAttribute('aria-label', words[element.dataset.label]);
  for (const button of document.querySelectorAll('[data-lang]'))
    button.setAttribute('aria-pressed', String(button.dataset.lang === language));
  cameraClock.applyLanguage(language);
  page.selects.forEach((select, index) => {
    for (let position = 0; position < select.options.length; ++position)
      select.options[position].text = entryText(language, index, position);
  });
  showMessages();
}

function positions() {
  return page.selects.map((select) => select.selectedIndex);
}

// "2024-03-05 07:08:09" from the six date and time lists as they stand.
function selectedWhen() {
  const v = page.selects
    .slice(0, page.api.dateTimeLists)
    .map((select, index) => lists()[index].values[select.selectedIndex]);
  return `${v[0]}-${pad(v[1])}-${pad(v[2])} ${pad(v[3])}:${pad(v[4])}:${pad(v[5])}`;
}

// What the lists say now, as a function that words it in either language.
function summary() {
  const chosen = positions();
  const when = selectedWhen();
  return (language) => {
    const words = WORDS[language];
    const options = [];
    lists().forEach((list, index) => {
      if (isDateList(index)) return;
      const entry = entryText(language, index, chosen[index]);
      const shown =
        /^[0-9]+$/.test(entry) && list.unit[language] !== ''
          ? words.amount({ value: entry, unit: list.unit[language] })
          : entry;
      options.push(words.pair({ name: list.label[language], value: shown }));
    });
    return [when].concat(options).join(words.separator);
  };
}

// Sets the date and time lists from the local clock plus the lead; a value outside its list keeps that list.
// Returns the message and, when every list took the reading, the reading itself (camera_clock.js's), which the
// save's message words.
function useClock(lead) {
  // The camera's correction and the chosen zone move the written time.
  const read = cameraClock.reading(Date.now(), lead);
  const found = page.api.clockPositions(read.clock);
  found.forEach((position, index) => {
    if (position >= 0) page.selects[index].selectedIndex = position;
  });
  page.fromClock = found.every((position) => position >= 0);
  if (found[0] < 0) {
    const years = lists()[0].values;
    return {
      message: { key: 'yearOutside', params: { year: read.clock[0], first: years[0], last: years[years.length - 1] } },
    };
  }
  return { message: { key: 'clockSet', params: { lead, when: selectedWhen() } }, reading: read };
}

function readLead() {
  const field = $('lead');
  const max = Number(field.max);
  const value = field.value.trim() === '' ? NaN : Number(field.value);
  if (!Number.isInteger(value) || value < Number(field.min) || value > max)
    return { error: { key: 'badLead', params: { max } } };
  return { value };
}

function onUseClock() {
  const lead = readLead();
  if (lead.error) return report(null, [lead.error]);
  return report(useClock(lead.value).message, []);
}

function download(bytes) {
  const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  const link = document.createElement('a');
  link.href = url;
  link.download = page.api.fileName;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

// One alert per failed check, in the core's order, worded from the list and the reason it names.
function faultMessages(failed) {
  const chosen = positions();
  return failed.map((check) => {
    const index = listIndex(check.list);
    if (check.reason === 'NoSuchDay') {
      const monthAt = listIndex('month');
      return {
        key: 'noSuchDay',
        params: { day: lists()[index].values[chosen[index]], month: lists()[monthAt].values[chosen[monthAt]] },
      };
    }
    return { key: 'noChoice', params: { list: (language) => lists()[index].label[language] } };
  });
}

function describe(error) {
  return error && error.name ? error.name + (error.message ? `: ${error.message}` : '') : String(error);
}

// Writes through the save dialog's handle and reads the file back: success only when it holds exactly these bytes.
async function writeChecked(handle, bytes) {
  const name = handle.name;
  let stream = null;
  try {
    stream = await handle.createWritable();
    await stream.write(bytes);
    await stream.close();
  } catch (error) {
    // Nothing reaches the file before close: a dropped stream leaves it as it was.
    if (stream)
      Promise.resolve()
        .then(() => stream.abort())
        .catch(() => {});
    return { key: 'writeFailed', params: { name, error: describe(error) } };
  }
  let back;
  try {
    back = new Uint8Array(await (await handle.getFile()).arrayBuffer());
  } catch (error) {
    return { key: 'readBackFailed', params: { name, error: describe(error) } };
  }
  const same = back.length === bytes.length && back.every((byte, i) => byte === bytes[i]);
  return same ? null : { key: 'readBackDiffers', params: { name } };
}

// lead: null for a date and time picked by hand, else the seconds to add to a fresh clock reading.
// converted: the lists' conversion as they stand, which a fresh clock reading replaces.
async function save(lead, converted) {
  let handle = null;
  if (typeof window.showSaveFilePicker === 'function') {
    try {
      handle = await window.showSaveFilePicker({
        suggestedName: page.api.fileName,
        types: [{ description: text().fileType, accept: { 'text/plain': ['.txt'] } }],
      });
    } catch (error) {
      // Cancelled: nothing changes. A dialog the browser refuses (in a frame, say) leaves the download.
      if (error && error.name === 'AbortError') return;
    }
  }
  // Read the clock only now, after the dialog, so that the file is as fresh as it can be.
  let read = null;
  if (lead !== null) {
    const fresh = useClock(lead);
    if (!fresh.reading) return report(fresh.message, []);
    read = fresh.reading;
  }
  const result = read === null ? converted : page.api.convert(positions());
  if (!result.bytes) return report(null, faultMessages(result.failed));
  const bytes = result.bytes;
  if (lead !== null) keepLead(lead);
  const said = { summary: summary() };
  // A save with the clock's time is kept as the camera's setting; its correction and the zone's next change are
  // said with it.
  const notes = () => (read === null ? [] : cameraClock.saved(read));
  if (!handle) {
    download(bytes);
    report({ key: 'saved', params: said, notes: notes() }, []);
  } else {
    const failure = await writeChecked(handle, bytes);
    if (failure) return report(null, [failure]);
    said.name = handle.name;
    // Memory cards' file systems ignore case, so SET.TXT is the same file to the camera.
    const otherName = handle.name.toLowerCase() !== page.api.fileName;
    report(
      { key: 'written', params: said, notes: notes() },
      otherName ? [{ key: 'otherName', params: { name: handle.name } }] : [],
    );
  }
  if (read !== null) startCountdown(read.switchOn, !handle);
  return undefined;
}

async function onSave(event) {
  event.preventDefault();
  if (page.saving) return;
  const converted = page.api.convert(positions());
  if (converted.failed.length > 0) {
    report(null, faultMessages(converted.failed));
    return;
  }
  // Lists that still hold the clock's reading are read afresh, with the lead as it stands now.
  let lead = null;
  if (page.fromClock) {
    const read = readLead();
    if (read.error) {
      report(null, [read.error]);
      return;
    }
    lead = read.value;
  }
  page.saving = true;
  try {
    await save(lead, converted);
  } finally {
    page.saving = false;
  }
}

// The facts of a reader's problem that both languages state: the file's size against set.txt's, and whether a line
// ends in LF alone.
function problemFacts(problem, bytes) {
  return { size: bytes.length, fileSize: page.api.fileSize, lfOnly: bytes[problem.offset] === 0x0a };
}

async function openFile(file) {
  let bytes;
  try {
    bytes = new Uint8Array(await file.arrayBuffer());
  } catch {
    return report(null, [{ key: 'unreadable', params: { name: file.name } }]);
  }
  let result;
  try {
    result = page.api.read(bytes);
  } catch {
    return report(null, [{ key: 'unreadable', params: { name: file.name } }]);
  }
  if (result.problem) {
    const problem = result.problem;
    const facts = problemFacts(problem, bytes);
    return report(null, [
      {
        key: 'notSetFile',
        params: {
          name: file.name,
          offset: problem.offset,
          line: problem.line,
          problem: (language) => {
            const entry = WORDS[language].problems[problem.kind];
            return typeof entry === 'function' ? entry(facts) : entry || fallback();
          },
          setting: problem.setting === null ? null : (language) => lists()[listIndex(problem.setting)].label[language],
        },
      },
    ]);
  }
  result.positions.forEach((position, index) => {
    page.selects[index].selectedIndex = position;
  });
  page.fromClock = false;
  return report({ key: 'read', params: { name: file.name } }, []);
}

function hasFiles(event) {
  return event.dataTransfer && Array.from(event.dataTransfer.types || []).includes('Files');
}

function wireDrop() {
  const cover = $('dropCover');
  let depth = 0;
  document.addEventListener('dragenter', (event) => {
    if (!hasFiles(event)) return;
    ++depth;
    cover.hidden = false;
  });
  document.addEventListener('dragleave', () => {
    if (depth > 0 && --depth === 0) cover.hidden = true;
  });
  document.addEventListener('dragover', (event) => {
    if (!hasFiles(event)) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
  });
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    depth = 0;
    cover.hidden = true;
    const file = event.dataTransfer && event.dataTransfer.files[0];
    if (file) openFile(file);
  });
}

/// Starts the page on the core's api, in a language, with the camera's clock section already started.
export function start(api, language) {
  page.api = api;
  $('lead').max = String(api.maxLead);
  $('lead').value = String(storedLead());
  buildLists();
  applyLanguage(language);
  const opening = useClock(0);
  report(opening.reading ? null : opening.message, []);
  for (const button of document.querySelectorAll('[data-lang]')) {
    button.addEventListener('click', () => applyLanguage(button.dataset.lang));
  }
  $('useClock').addEventListener('click', onUseClock);
  for (const select of page.selects.slice(0, api.dateTimeLists)) {
    for (const type of ['input', 'change']) {
      select.addEventListener(type, () => {
        page.fromClock = false;
        showCountdown();
      });
    }
  }
  $('settings').addEventListener('submit', onSave);
  $('open').addEventListener('change', (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (file) openFile(file);
  });
  wireDrop();
}

/// The written time's zone changed: lists that hold the clock's reading take it in the new zone.
export function zoneChanged() {
  if (page.fromClock) onUseClock();
}
