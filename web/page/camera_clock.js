// The camera's clock: a reference clock to film, the camera's offset read off one
// frame, the start-up correction that later saves apply, the drift, the written
// time's zone and its next change of offset. Every sum is the core's (the
// clockApi of web/src/core_api.js, handed to start); the words are words/*.js.

import * as en from './words/en.js';
import * as ja from './words/ja.js';
import { pad, tenths, typedTenths, limit, parseTenths, parseTimeOfDay } from './numbers.js';

const WORDS = { en, ja };
const STORE = 'halvo.cameraClock';
const state = {
  api: null,
  language: 'en',
  zone: 'UTC',
  localZone: 'UTC',
  data: { camera: '', bound: 0, cameras: {} },
  stored: true, // the browser keeps what the page stores
  result: null, // { offset } or { error: key } of the last measurement typed
  fieldNotes: {}, // element id → { key, kept } for a correction or bound that was refused
  drawn: '',
  shown: false, // the reference clock is on the screen
  frame: 0, // its next frame's request
};

function $(id) {
  return document.getElementById(id);
}
function words(language = state.language) {
  return WORDS[language].clock;
}

const TENTHS_PER_MINUTE = 600;
const TENTHS_PER_HOUR = 60 * TENTHS_PER_MINUTE;

// An amount of tenths as words: "2.3 s", "1 h 2 min 3.4 s".
function amount(size, language) {
  const hours = Math.floor(size / TENTHS_PER_HOUR);
  const minutes = Math.floor(size / TENTHS_PER_MINUTE) % 60;
  const rest = size % TENTHS_PER_MINUTE;
  return words(language).duration({ hours, minutes, seconds: rest || (!hours && !minutes) ? tenths(rest) : null });
}

// The offset in words, split by the core into a zone's (or summer time's) part and the camera's own.
function offsetWords(offset, short) {
  const w = words();
  const parts = state.api.splitOffset(offset);
  const own = { amount: amount(Math.abs(parts.own)), sign: Math.sign(parts.own) };
  if (parts.zone === 0) return short ? w.offsetShort(own) : w.offset(own);
  const zone = {
    zone: amount(Math.abs(parts.zone)),
    zoneSign: Math.sign(parts.zone),
    hour: Math.abs(parts.zone) === TENTHS_PER_HOUR,
  };
  return short ? w.zoneOffsetShort({ ...zone, ...own }) : w.zoneOffset({ ...zone, ...own });
}

// ---- What the browser keeps: per camera its measurements, last setting and correction.

function freshCamera() {
  return { measurements: [], set: null, correction: 0, apply: false };
}

function isInstant(value) {
  return Number.isSafeInteger(value) && value > 0;
}
function isOffset(value) {
  return Number.isInteger(value) && Math.abs(value) <= state.api.maxOffset;
}

// Takes what is sound of a stored copy; anything else is left out rather than breaking the page.
function sound(raw) {
  const api = state.api;
  const data = { camera: '', bound: api.defaultBound, cameras: {} };
  if (!raw || typeof raw !== 'object') return data;
  if (typeof raw.camera === 'string') data.camera = raw.camera;
  if (api.isBound(raw.bound)) data.bound = raw.bound;
  for (const [name, camera] of Object.entries(raw.cameras && typeof raw.cameras === 'object' ? raw.cameras : {})) {
    if (!camera || typeof camera !== 'object') continue;
    const kept = freshCamera();
    for (const m of Array.isArray(camera.measurements) ? camera.measurements : []) {
      if (m && isInstant(m.at) && isOffset(m.offset)) kept.measurements.push({ at: m.at, offset: m.offset });
    }
    kept.measurements.sort((a, b) => a.at - b.at);
    const set = camera.set;
    if (set && isInstant(set.at) && api.isCorrection(set.correction))
      kept.set = { at: set.at, correction: set.correction };
    if (api.isCorrection(camera.correction)) kept.correction = camera.correction;
    kept.apply = camera.apply === true;
    data.cameras[name] = kept;
  }
  return data;
}

function load() {
  try {
    const text = window.localStorage.getItem(STORE);
    state.data = sound(text ? JSON.parse(text) : null);
  } catch (error) {
    // No storage (a private window, a blocked origin) or an unreadable copy: start afresh.
    state.stored = !(error instanceof DOMException || error instanceof TypeError);
    state.data = sound(null);
  }
}

function store() {
  try {
    window.localStorage.setItem(STORE, JSON.stringify(state.data));
    state.stored = true;
  } catch {
    state.stored = false;
  }
}

function camera() {
  const name = state.data.camera;
  if (!state.data.cameras[name]) state.data.cameras[name] = freshCamera();
  return state.data.cameras[name];
}

function cameraName(language = state.language) {
  return state.data.camera || words(language).defaultCamera;
}

// ---- The reference clock, redrawn with every frame while it is on the screen.

function draw() {
  const now = Date.now();
  const c = state.api.wallClock(state.zone, now);
  const text = `${pad(c[3])}:${pad(c[4])}:${pad(c[5])}.${Math.floor((((now % 1000) + 1000) % 1000) / 100)}`;
  if (text !== state.drawn) {
    $('referenceClock').textContent = text;
    state.drawn = text;
  }
  state.frame = state.shown ? window.requestAnimationFrame(draw) : 0;
}

function runClock() {
  draw();
  if (typeof IntersectionObserver !== 'function') {
    state.shown = true;
    draw();
    return;
  }
  new IntersectionObserver((entries) => {
    state.shown = entries[entries.length - 1].isIntersecting;
    $('referenceClock').dataset.running = String(state.shown);
    if (state.shown && !state.frame) draw();
  }).observe($('referenceClock'));
}

// ---- Words and lists on the section.

function when(ms, style) {
  const options = style === 'date' ? { dateStyle: 'long' } : { dateStyle: 'medium', timeStyle: 'short' };
  return new Intl.DateTimeFormat(WORDS[state.language].locale, { timeZone: state.zone, ...options }).format(
    new Date(ms),
  );
}

function showMeasurements() {
  const w = words();
  const cam = camera();
  const list = $('measurements');
  list.replaceChildren();
  cam.measurements.forEach((m, index) => {
    const item = document.createElement('li');
    const label = document.createElement('span');
    const text = w.item({ when: when(m.at), result: offsetWords(m.offset, true) });
    label.textContent = cam.set && m.at < cam.set.at ? w.beforeSetting({ item: text }) : text;
    const remove = document.createElement('button');
    remove.type = 'button';
    remove.textContent = w.remove;
    remove.setAttribute('aria-label', w.removeLabel({ when: when(m.at) }));
    remove.addEventListener('click', () => removeMeasurement(index));
    item.append(label, remove);
    list.append(item);
  });
  $('noMeasurements').hidden = cam.measurements.length > 0;
}

// The measurements that belong to the camera's present setting: those since the page last set it.
function sinceSet() {
  const cam = camera();
  return cam.measurements.filter((m) => !cam.set || m.at >= cam.set.at);
}

function driftText() {
  const w = words();
  const kept = sinceSet();
  if (kept.length === 0) return '';
  if (kept.length < 2) return w.driftNeedsMore;
  // Only the camera's own error drifts: a zone's hours are no part of it.
  const own = (m) => ({ at: m.at, offset: state.api.splitOffset(m.offset).own });
  const last = kept[kept.length - 1];
  const drift = state.api.drift(own(kept[0]), own(last), state.data.bound);
  if (!drift) return w.driftTooSoon({ date: when(kept[0].at) });
  const bound = w.seconds({ amount: tenths(state.data.bound) });
  const rate =
    drift.msPerDay === 0
      ? w.noDrift
      : w.drift({
          amount: w.seconds({ amount: (Math.abs(drift.msPerDay) / 1000).toFixed(2) }),
          gains: drift.msPerDay > 0,
        });
  if (drift.boundReached === null) return rate;
  const advice =
    drift.boundReached <= last.at
      ? w.offAlready({ bound })
      : w.setAgainBy({ date: when(drift.boundReached, 'date'), bound });
  return rate + WORDS[state.language].between + advice;
}

// What the measurements say of the start-up delay: { correction } the latest one on the day of the last setting
// offers (null when it is the one in use), or { why } none does.
function startUp() {
  const cam = camera();
  if (cam.measurements.length === 0) return { correction: null };
  if (!cam.set) return { why: 'startUpNotSet' };
  const onTheDay = cam.measurements.filter((m) => state.api.sinceSwitchOn(cam.set.at, m.at) === 'startUp');
  if (onTheDay.length === 0) {
    const later = cam.measurements.some((m) => m.at >= cam.set.at);
    return later ? { why: 'startUpLater', date: when(cam.set.at) } : { correction: null };
  }
  const latest = onTheDay[onTheDay.length - 1];
  const correction = state.api.startUpCorrection(cam.set.at, cam.set.correction, latest.at, latest.offset);
  if (correction === null)
    return state.api.splitOffset(latest.offset).zone !== 0 ? { why: 'startUpZone' } : { correction: null };
  return { correction: correction === (cam.apply ? cam.correction : 0) ? null : correction };
}

// A correction taken but not yet on the camera: what it does, and what comes next.
function pendingCorrection() {
  const cam = camera();
  if (!cam.apply || cam.correction === 0 || (cam.set && cam.set.correction === cam.correction)) return '';
  return words().taken({ amount: words().seconds({ amount: tenths(cam.correction) }), camera: cameraName() });
}

function showCorrection() {
  const cam = camera();
  $('useCorrection').checked = cam.apply;
  $('correction').value = typedTenths(cam.correction);
  $('correction').disabled = !cam.apply;
  $('useCorrectionLabel').textContent = words().useCorrection({ name: cameraName() });
  $('correctionNext').textContent = pendingCorrection();
}

function showOffer() {
  const w = words();
  const offer = $('clockOffer');
  offer.replaceChildren();
  const found = startUp();
  if (found.why) {
    const why = w[found.why];
    offer.append(
      Object.assign(document.createElement('p'), {
        textContent: typeof why === 'function' ? why({ date: found.date }) : why,
      }),
    );
    offer.classList.add('plain');
    return;
  }
  offer.classList.remove('plain');
  if (found.correction === null) return;
  const correction = found.correction;
  const said = w.seconds({ amount: tenths(Math.abs(correction)) });
  const take = document.createElement('button');
  take.type = 'button';
  take.id = 'takeCorrection';
  take.textContent = w.useOffer({ amount: w.seconds({ amount: tenths(correction) }) });
  take.addEventListener('click', () => {
    const cam = camera();
    cam.correction = correction;
    cam.apply = true;
    store();
    render();
    $('correctionNext').scrollIntoView({ block: 'nearest' });
    $('correction').focus({ preventScroll: true });
  });
  offer.append(
    Object.assign(document.createElement('p'), { textContent: w.offer({ amount: said, early: correction < 0 }) }),
    take,
  );
}

function render() {
  const w = words();
  for (const element of document.querySelectorAll('[data-clock-text]'))
    element.textContent = w[element.dataset.clockText];
  $('correction').setAttribute('aria-label', w.correction);
  $('referenceZone').textContent = w.referenceZone({ zone: state.zone });
  $('keptHeading').textContent = w.kept({ name: cameraName() });
  $('cameraName').placeholder = w.defaultCamera;
  const zone = $('zone');
  for (const option of zone.options)
    option.text = option.value === state.localZone ? w.thisComputer({ zone: option.value }) : option.value;
  showCorrection();
  showMeasurements();
  $('drift').textContent = driftText();
  for (const id of ['correctionNote', 'boundNote']) {
    const note = state.fieldNotes[id];
    $(id).textContent = note ? w[note.key]({ ...note.limits, kept: w.seconds({ amount: tenths(note.kept) }) }) : '';
  }
  $('storageOff').textContent = state.stored ? '' : w.storageOff;

  const result = $('clockResult');
  result.replaceChildren();
  if (state.result) {
    const p = document.createElement('p');
    p.textContent = state.result.error ? w[state.result.error] : offsetWords(state.result.offset, false);
    // A zone's hours come with advice: too long a sentence to stand in bold.
    p.className = state.result.error ? 'wrong' : state.api.splitOffset(state.result.offset).zone !== 0 ? 'zone' : '';
    result.append(p);
  }
  showOffer();
}

// ---- What the owner does.

function onMeasure(event) {
  event.preventDefault();
  const stamp = parseTimeOfDay($('stamp').value, false);
  const reference = parseTimeOfDay($('reference').value, true);
  if (stamp === null || reference === null) {
    state.result = { error: stamp === null ? 'badStamp' : 'badReference' };
    render();
    $(stamp === null ? 'stamp' : 'reference').focus();
    return;
  }
  const offset = state.api.offset(stamp / 10, reference);
  const cam = camera();
  cam.measurements.push({ at: state.api.measuredAt(state.zone, Date.now(), reference), offset });
  cam.measurements.sort((a, b) => a.at - b.at);
  store();
  state.result = { offset };
  render();
}

function removeMeasurement(index) {
  camera().measurements.splice(index, 1);
  store();
  render();
  const buttons = $('measurements').querySelectorAll('button');
  (buttons[Math.min(index, buttons.length - 1)] || $('stamp')).focus();
}

function onCameraName() {
  const name = $('cameraName').value.trim().slice(0, 60);
  state.data.camera = name === words().defaultCamera ? '' : name;
  camera();
  state.result = null;
  store();
  showCameraNames();
  render();
}

function showCameraNames() {
  const list = $('cameraNames');
  list.replaceChildren();
  for (const name of Object.keys(state.data.cameras)) if (name) list.append(new Option(name));
}

// A value typed into the correction or the bound: kept when the core takes it, else the old one stays and the note
// says so, with the limits the core sets.
function onTenths(field, key, sound, limits, read, write) {
  const value = parseTenths(field.value);
  const noteId = field.getAttribute('aria-describedby');
  state.fieldNotes[noteId] = null;
  if (value === null || !sound(value)) {
    state.fieldNotes[noteId] = { key, kept: read(), limits: { lowest: limit(limits[0]), highest: limit(limits[1]) } };
    field.value = typedTenths(read());
  } else {
    write(value);
    store();
  }
  render();
}

/// Starts the section with the core's clockApi, in a language; `onZone` runs after the written time's zone changes.
export function start(api, language, onZone) {
  state.api = api;
  state.language = language;
  state.localZone = api.localZone();
  state.zone = api.knowsZone(state.localZone) ? state.localZone : 'UTC';
  load();
  const zone = $('zone');
  const names = api.zones();
  // A computer may name its zone by an alias the browser's list leaves out (Asia/Calcutta).
  if (!names.includes(state.zone)) names.splice(1, 0, state.zone);
  for (const name of names) zone.add(new Option(name, name));
  zone.value = state.zone;
  zone.addEventListener('change', () => {
    state.zone = zone.value;
    render();
    onZone();
  });
  $('cameraName').value = state.data.camera;
  $('cameraName').addEventListener('change', onCameraName);
  $('measure').addEventListener('submit', onMeasure);
  $('useCorrection').addEventListener('change', (event) => {
    camera().apply = event.target.checked;
    store();
    render();
  });
  $('correction').addEventListener('change', (event) =>
    onTenths(
      event.target,
      'badCorrection',
      api.isCorrection,
      [-api.maxCorrection, api.maxCorrection],
      () => camera().correction,
      (value) => {
        camera().correction = value;
      },
    ),
  );
  $('bound').value = tenths(state.data.bound);
  $('bound').addEventListener('change', (event) =>
    onTenths(
      event.target,
      'badBound',
      api.isBound,
      [api.minBound, api.maxBound],
      () => state.data.bound,
      (value) => {
        state.data.bound = value;
      },
    ),
  );
  showCameraNames();
  render();
  runClock();
}

/// Words the section in another language.
export function applyLanguage(language) {
  state.language = language;
  if (state.api) render();
}

/// A clock reading (ms) and a lead (s) → what a save writes: the date and time on the zone's clocks (`clock`), the
/// switch-on (ms), and what the save's message needs (the written second, the zone, the correction and whether it
/// moved the written second).
export function reading(nowMs, lead) {
  const cam = camera();
  const correction = cam.apply ? cam.correction : 0;
  const written = state.api.timeToWrite(nowMs, lead, correction);
  return {
    clock: state.api.wallClock(state.zone, written.fileSecond),
    switchOn: written.switchOn,
    fileSecond: written.fileSecond,
    zone: state.zone,
    correction,
    moved: written.corrected,
  };
}

/// After a save of a reading: keeps when and with which correction the camera is set, and returns what the save's
/// message adds, each a function of the language: the correction that moved the written second, and the zone's next
/// change of offset.
export function saved(read) {
  const cam = camera();
  cam.set = { at: read.switchOn, correction: read.correction };
  store();
  render();
  const notes = [];
  if (read.moved) {
    const name = state.data.camera;
    notes.push((language) =>
      WORDS[language].correctionUsed({
        amount: words(language).seconds({ amount: tenths(read.correction) }),
        camera: name || words(language).defaultCamera,
      }),
    );
  }
  const change = state.api.nextZoneChange(read.zone, read.fileSecond / 1000);
  if (change) {
    notes.push((language) => {
      const [year, month, day, hour, minute] = change.wallClock;
      const size = (change.hours * 60 + change.minutes) * TENTHS_PER_MINUTE;
      return words(language).zoneChange({
        year,
        month,
        day,
        hour,
        minute,
        forward: change.forward,
        amount: amount(size, language),
      });
    });
  }
  return notes;
}
