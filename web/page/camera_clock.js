'use strict';
// The camera's clock: a reference clock to film, the camera's offset read off one
// frame, the start-up correction that later saves apply, the drift, the written
// time's zone and its next change of offset. Every sum is the core's
// (Module.clockApi, web/src/core_api.js); halvo.js calls in through HalvoCameraClock.

const HalvoCameraClock = (function () {
  const TEXT = {
    ja: {
      heading: 'カメラの時計を確かめる',
      howTo: 'カメラで録画し、タイムスタンプをオンにして、この時計を撮影します。動画の中でタイムスタンプの秒が変わったばかりのコマを探し、そのコマに写っているタイムスタンプの時刻とこの時計の時刻を入力してください。',
      referenceZone: (zone) => zone + ' の時刻',
      camera: 'カメラの名前',
      defaultCamera: 'マイカメラ',
      stamp: 'カメラのタイムスタンプ（例 14:03:07）',
      reference: '同じコマに写ったこの時計（例 14:03:09.3）',
      measure: 'ずれを計算',
      badStamp: 'カメラのタイムスタンプは 14:03:07 のように時・分・秒で入力してください。',
      badReference: 'この時計の時刻は 14:03:09.3 のように時・分・秒と1/10秒で入力してください。',
      seconds: (s) => s + '秒',
      hours: (h) => h + '時間',
      minutes: (m) => m + '分',
      join: '',
      behind: (a) => 'カメラの時計は' + a + '遅れています。',
      ahead: (a) => 'カメラの時計は' + a + '進んでいます。',
      right: 'カメラの時計は1/10秒まで合っています。',
      behindShort: (a) => a + '遅れ',
      aheadShort: (a) => a + '進み',
      rightShort: '合っている',
      offer: (a) => '起動にかかる時間は' + a + 'です。この端末の時計で保存するとき、この分だけ遅い時刻を書き込み、その分早く電源を入れるよう案内できます。',
      useOffer: (a) => a + 'を補正に使う',
      kept: (name) => '「' + name + '」の測定',
      none: 'まだ測定がありません。',
      item: (when, result) => when + '：' + result,
      remove: '削除',
      removeLabel: (when) => when + 'の測定を削除',
      driftNeedsMore: '1日以上あとにもう一度測ると、時計のずれる速さがわかります。',
      drift: (a, gains) => '時計は1日に' + a + (gains ? '進みます。' : '遅れます。'),
      noDrift: '設定してから時計はずれていません。',
      setAgainBy: (date, bound) => date + 'に' + bound + 'を超えてずれるので、それまでに設定し直してください。',
      offAlready: (bound) => 'すでに' + bound + 'を超えてずれています。設定し直してください。',
      bound: '設定し直す目安のずれ（秒）',
      badBound: (kept) => '目安のずれは 0.1〜60 秒（小数1桁まで）で入力してください。' + kept + 'のままです。',
      zone: '書き込む時刻のタイムゾーン',
      thisComputer: (zone) => zone + '（この端末）',
      useCorrection: (name) => '「' + name + '」の起動時間を補正する',
      correction: '起動時間の補正（秒）',
      unit: '秒',
      badCorrection: (kept) => '補正は −60〜60 秒（小数1桁まで）で入力してください。' + kept + 'のままです。',
      storageOff: 'このブラウザーでは測定を保存できません。ページを閉じると消えます。',
      zoneChange: (p) => p.year + '年' + p.month + '月' + p.day + '日' + p.hour + '時' + pad(p.minute) + '分に時計が' + p.amount +
        (p.forward ? '進みますが、カメラの時計は進みません。' : '戻りますが、カメラの時計は戻りません。') + 'そのときに設定し直してください。',
    },
    en: {
      heading: 'Check the camera\u2019s clock',
      howTo: 'Film this clock with the camera recording and its time stamp on. Then find a frame of the video in which the stamp\u2019s seconds have just changed, and type what the stamp shows and what this clock shows in that frame.',
      referenceZone: (zone) => 'Time in ' + zone,
      camera: 'Camera name',
      defaultCamera: 'my camera',
      stamp: 'Camera\u2019s time stamp (HH:MM:SS)',
      reference: 'This clock in the same frame (HH:MM:SS.t)',
      measure: 'Work out the offset',
      badStamp: 'Type the camera\u2019s time stamp as hours, minutes and seconds, such as 14:03:07.',
      badReference: 'Type this clock\u2019s time as hours, minutes, seconds and tenths, such as 14:03:09.3.',
      seconds: (s) => s + ' s',
      hours: (h) => h + ' h',
      minutes: (m) => m + ' min',
      join: ' ',
      behind: (a) => 'The camera is ' + a + ' behind.',
      ahead: (a) => 'The camera is ' + a + ' ahead.',
      right: 'The camera\u2019s clock is right to the tenth of a second.',
      behindShort: (a) => a + ' behind',
      aheadShort: (a) => a + ' ahead',
      rightShort: 'right',
      offer: (a) => 'Its start-up delay is ' + a + ': saves with this device\u2019s clock can write the time that much later and count down to switching on that much earlier.',
      useOffer: (a) => 'Use ' + a + ' as the correction',
      kept: (name) => 'Measurements of ' + name,
      none: 'No measurements yet.',
      item: (when, result) => when + ': ' + result,
      remove: 'Delete',
      removeLabel: (when) => 'Delete the measurement of ' + when,
      driftNeedsMore: 'Measure again a day or more later to see how fast the clock drifts.',
      drift: (a, gains) => 'The clock ' + (gains ? 'gains ' : 'loses ') + a + ' a day.',
      noDrift: 'The clock has not drifted since it was set.',
      setAgainBy: (date, bound) => 'It will be off by more than ' + bound + ' on ' + date + ': set it again by then.',
      offAlready: (bound) => 'It is off by more than ' + bound + ' already: set it again.',
      bound: 'Set it again before it is off by more than (s)',
      badBound: (kept) => 'The bound must be from 0.1 to 60 s, in tenths at most; it stays ' + kept + '.',
      zone: 'Time zone of the written time',
      thisComputer: (zone) => zone + ' (this device)',
      useCorrection: (name) => 'Correct for the start-up delay of ' + name,
      correction: 'Start-up correction in seconds',
      unit: 's',
      badCorrection: (kept) => 'The correction must be from \u221260 to 60 s, in tenths at most; it stays ' + kept + '.',
      storageOff: 'This browser does not let the page keep measurements: they are lost when the page is closed.',
      zoneChange: (p) => 'On ' + p.day + ' ' + p.monthName + ' ' + p.year + ' at ' + pad(p.hour) + ':' + pad(p.minute) + ' the clocks go ' +
        (p.forward ? 'forward ' : 'back ') + p.amount + '; the camera will not: set it again then.',
    },
  };

  const STORE = 'halvo.cameraClock';
  const state = {
    api: null,
    language: 'en',
    zone: 'UTC',
    localZone: 'UTC',
    data: { camera: '', bound: 20, cameras: {} },
    stored: true,         // the browser keeps what the page stores
    result: null,         // { offset } or { error: key } of the last measurement typed
    fieldNotes: {},       // element id → { key, kept } for a correction or bound that was refused
    lastReading: null,    // { correction, fileSecond } of the last clock reading for a save
    drawn: '',
    shown: false,         // the reference clock is on the screen
    frame: 0,             // its next frame's request
  };

  function $(id) { return document.getElementById(id); }
  function words() { return TEXT[state.language]; }
  function pad(value) { return String(value).padStart(2, '0'); }

  // Whole tenths as the page shows them: "2.3", "−0.5" (with a true minus sign).
  function tenths(value) {
    const sign = value < 0 ? '\u2212' : '';
    const size = Math.abs(value);
    return sign + Math.floor(size / 10) + '.' + (size % 10);
  }

  // An amount of tenths as words: "2.3 s", "1 h 2 min 3.4 s".
  function amount(size) {
    const w = words();
    const hours = Math.floor(size / 36000);
    const minutes = Math.floor(size / 600) % 60;
    const parts = [];
    if (hours) parts.push(w.hours(hours));
    if (minutes) parts.push(w.minutes(minutes));
    if (size % 600 || !parts.length) parts.push(w.seconds(tenths(size % 600)));
    return parts.join(w.join);
  }

  function offsetWords(offset, short) {
    const w = words();
    if (offset === 0) return short ? w.rightShort : w.right;
    const say = offset < 0 ? (short ? w.behindShort : w.behind) : (short ? w.aheadShort : w.ahead);
    return say(amount(Math.abs(offset)));
  }

  // Seconds in tenths from what an owner types ("1.3", "-0,5"); null unless a number of whole tenths.
  function parseTenths(text) {
    const match = /^\s*([-\u2212+]?)(\d{1,3})(?:[.,](\d))?\s*$/.exec(text);
    if (!match) return null;
    const value = Number(match[2]) * 10 + Number(match[3] || 0);
    return match[1] === '-' || match[1] === '\u2212' ? -value : value;
  }

  // "14:03:09.3" → tenths of the day; the tenths only where `withTenths`. Full-width digits and colons are taken too.
  function parseTimeOfDay(text, withTenths) {
    const plain = text.normalize('NFKC').trim();
    const match = withTenths ? /^(\d{1,2}):(\d{2}):(\d{2})(?:[.,](\d))?$/.exec(plain) : /^(\d{1,2}):(\d{2}):(\d{2})$/.exec(plain);
    if (!match) return null;
    const [hour, minute, second, tenth = 0] = match.slice(1).map((part) => Number(part || 0));
    if (hour > 23 || minute > 59 || second > 59) return null;
    return ((hour * 60 + minute) * 60 + second) * 10 + tenth;
  }

  // ---- What the browser keeps: per camera its measurements, last setting and correction.

  function freshCamera() { return { measurements: [], set: null, correction: 0, apply: false }; }

  function isInstant(value) { return Number.isSafeInteger(value) && value > 0; }
  function isTenths(value, limit) { return Number.isInteger(value) && Math.abs(value) <= limit; }

  // Takes what is sound of a stored copy; anything else is left out rather than breaking the page.
  function sound(raw) {
    const data = { camera: '', bound: 20, cameras: {} };
    if (!raw || typeof raw !== 'object') return data;
    if (typeof raw.camera === 'string') data.camera = raw.camera;
    if (isTenths(raw.bound, state.api.maxCorrection) && raw.bound > 0) data.bound = raw.bound;
    for (const [name, camera] of Object.entries(raw.cameras && typeof raw.cameras === 'object' ? raw.cameras : {})) {
      if (!camera || typeof camera !== 'object') continue;
      const kept = freshCamera();
      for (const m of Array.isArray(camera.measurements) ? camera.measurements : []) {
        if (m && isInstant(m.at) && isTenths(m.offset, 432000)) kept.measurements.push({ at: m.at, offset: m.offset });
      }
      kept.measurements.sort((a, b) => a.at - b.at);
      const set = camera.set;
      if (set && isInstant(set.at) && isTenths(set.correction, state.api.maxCorrection)) kept.set = { at: set.at, correction: set.correction };
      if (isTenths(camera.correction, state.api.maxCorrection)) kept.correction = camera.correction;
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
    } catch (error) {
      state.stored = false;
    }
  }

  function camera() {
    const name = state.data.camera;
    if (!state.data.cameras[name]) state.data.cameras[name] = freshCamera();
    return state.data.cameras[name];
  }

  function cameraName() { return state.data.camera || words().defaultCamera; }

  // ---- The reference clock, redrawn with every frame while it is on the screen.

  function draw() {
    const now = Date.now();
    const c = state.api.wallClock(state.zone, now);
    const text = pad(c[3]) + ':' + pad(c[4]) + ':' + pad(c[5]) + '.' + Math.floor((now % 1000 + 1000) % 1000 / 100);
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
      return draw();
    }
    new IntersectionObserver(function (entries) {
      state.shown = entries[entries.length - 1].isIntersecting;
      $('referenceClock').dataset.running = String(state.shown);
      if (state.shown && !state.frame) draw();
    }).observe($('referenceClock'));
  }

  // ---- Words and lists on the section.

  const DATE = { ja: 'ja-JP', en: 'en-GB' };
  function when(ms, style) {
    const options = style === 'date' ? { dateStyle: 'long' } : { dateStyle: 'medium', timeStyle: 'short' };
    return new Intl.DateTimeFormat(DATE[state.language], Object.assign({ timeZone: state.zone }, options)).format(new Date(ms));
  }

  function showMeasurements() {
    const w = words();
    const list = $('measurements');
    list.replaceChildren();
    camera().measurements.forEach(function (m, index) {
      const item = document.createElement('li');
      const label = document.createElement('span');
      label.textContent = w.item(when(m.at), offsetWords(m.offset, true));
      const remove = document.createElement('button');
      remove.type = 'button';
      remove.textContent = w.remove;
      remove.setAttribute('aria-label', w.removeLabel(when(m.at)));
      remove.addEventListener('click', () => removeMeasurement(index));
      item.append(label, remove);
      list.append(item);
    });
    $('noMeasurements').hidden = camera().measurements.length > 0;
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
    const drift = kept.length < 2 ? null : state.api.drift(kept[0], kept[kept.length - 1], state.data.bound);
    if (!drift) return w.driftNeedsMore;
    const bound = w.seconds(tenths(state.data.bound));
    const rate = drift.msPerDay === 0 ? w.noDrift : w.drift(w.seconds((Math.abs(drift.msPerDay) / 1000).toFixed(2)), drift.msPerDay > 0);
    if (drift.boundReached === null) return rate;
    const last = kept[kept.length - 1];
    return rate + (state.language === 'ja' ? '' : ' ') + (drift.boundReached <= last.at ? w.offAlready(bound) : w.setAgainBy(when(drift.boundReached, 'date'), bound));
  }

  // The correction the latest measurement on the day of the last setting offers, when it is not the one in use.
  function offered() {
    const cam = camera();
    if (!cam.set) return null;
    const offers = cam.measurements.map((m) => state.api.startUpCorrection(cam.set.at, cam.set.correction, m.at, m.offset))
      .filter((correction) => correction !== null);
    const correction = offers.length ? offers[offers.length - 1] : null;
    if (correction === null || correction === (cam.apply ? cam.correction : 0)) return null;
    return correction;
  }

  function showCorrection() {
    const cam = camera();
    const w = words();
    $('useCorrection').checked = cam.apply;
    $('correction').value = tenths(cam.correction).replace('\u2212', '-');
    $('correction').disabled = !cam.apply;
    $('useCorrectionLabel').textContent = w.useCorrection(cameraName());
  }

  function render() {
    const w = words();
    for (const element of document.querySelectorAll('[data-clock-text]')) element.textContent = w[element.dataset.clockText];
    $('correction').setAttribute('aria-label', w.correction);
    $('referenceZone').textContent = w.referenceZone(state.zone);
    $('keptHeading').textContent = w.kept(cameraName());
    $('cameraName').placeholder = w.defaultCamera;
    const zone = $('zone');
    for (const option of zone.options) option.text = option.value === state.localZone ? w.thisComputer(option.value) : option.value;
    showCorrection();
    showMeasurements();
    $('drift').textContent = driftText();
    for (const id of ['correctionNote', 'boundNote']) {
      const note = state.fieldNotes[id];
      $(id).textContent = note ? w[note.key](w.seconds(tenths(note.kept))) : '';
    }
    $('storageOff').textContent = state.stored ? '' : w.storageOff;

    const result = $('clockResult');
    result.replaceChildren();
    if (state.result) {
      const p = document.createElement('p');
      p.textContent = state.result.error ? w[state.result.error] : offsetWords(state.result.offset, false);
      p.className = state.result.error ? 'wrong' : '';
      result.append(p);
    }
    const correction = offered();
    const offer = $('clockOffer');
    offer.replaceChildren();
    if (correction !== null) {
      const p = document.createElement('p');
      p.textContent = w.offer(w.seconds(tenths(correction)));
      const take = document.createElement('button');
      take.type = 'button';
      take.id = 'takeCorrection';
      take.textContent = w.useOffer(w.seconds(tenths(correction)));
      take.addEventListener('click', function () {
        const cam = camera();
        cam.correction = correction;
        cam.apply = true;
        store();
        render();
        $('correction').focus();
      });
      offer.append(p, take);
    }
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
    // The frame was filmed at the reference's reading: the latest moment, not after now, whose clock showed it.
    const now = Date.now();
    const c = state.api.wallClock(state.zone, now);
    const nowTenth = ((c[3] * 60 + c[4]) * 60 + c[5]) * 10 + Math.floor((now % 1000) / 100);
    const at = now - (((nowTenth - reference) % 864000 + 864000) % 864000) * 100;
    const cam = camera();
    cam.measurements.push({ at: at, offset: offset });
    cam.measurements.sort((a, b) => a.at - b.at);
    store();
    state.result = { offset: offset };
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

  // A value typed into the correction or the bound: kept when sound, else the old one stays and the note says so.
  function onTenths(field, key, lowest, read, write) {
    const value = parseTenths(field.value);
    const noteId = field.getAttribute('aria-describedby');
    state.fieldNotes[noteId] = null;
    if (value === null || value < lowest || value > state.api.maxCorrection) {
      state.fieldNotes[noteId] = { key: key, kept: read() };
      field.value = tenths(read()).replace('\u2212', '-');
    } else {
      write(value);
      store();
    }
    render();
  }

  function start(module, language, onZone) {
    state.api = module.clockApi();
    state.language = language;
    state.localZone = state.api.localZone();
    state.zone = state.api.knowsZone(state.localZone) ? state.localZone : 'UTC';
    load();
    const zone = $('zone');
    const names = state.api.zones();
    // A computer may name its zone by an alias the browser's list leaves out (Asia/Calcutta).
    if (!names.includes(state.zone)) names.splice(1, 0, state.zone);
    for (const name of names) zone.add(new Option(name, name));
    zone.value = state.zone;
    zone.addEventListener('change', function () {
      state.zone = zone.value;
      render();
      onZone();
    });
    $('cameraName').value = state.data.camera;
    $('cameraName').addEventListener('change', onCameraName);
    $('measure').addEventListener('submit', onMeasure);
    $('useCorrection').addEventListener('change', function (event) {
      camera().apply = event.target.checked;
      store();
      render();
    });
    $('correction').addEventListener('change', (event) => onTenths(event.target, 'badCorrection', -state.api.maxCorrection,
      () => camera().correction, (value) => { camera().correction = value; }));
    $('bound').value = tenths(state.data.bound);
    $('bound').addEventListener('change', (event) => onTenths(event.target, 'badBound', 1,
      () => state.data.bound, (value) => { state.data.bound = value; }));
    showCameraNames();
    render();
    runClock();
  }

  return {
    start: start,

    applyLanguage: function (language) {
      state.language = language;
      if (state.api) render();
    },

    // A clock reading (ms) and a lead (s) → the written date and time on the zone's clocks and the switch-on (ms).
    reading: function (nowMs, lead) {
      const cam = camera();
      const correction = cam.apply ? cam.correction : 0;
      const written = state.api.timeToWrite(nowMs, lead, correction);
      state.lastReading = { correction: correction, fileSecond: written.fileSecond, zone: state.zone };
      return { clock: state.api.wallClock(state.zone, written.fileSecond), switchOn: written.switchOn };
    },

    // After a save with the clock's time: keeps when and with which correction the camera is set, and returns the
    // zone's next change of offset as a sentence in either language (a function of it), or null.
    saved: function (switchOn) {
      const reading = state.lastReading;
      const cam = camera();
      cam.set = { at: switchOn, correction: reading.correction };
      store();
      render();
      const change = state.api.nextZoneChange(reading.zone, reading.fileSecond / 1000);
      if (!change) return null;
      return function (language) {
        const amountWords = [];
        if (change.hours) amountWords.push(TEXT[language].hours(change.hours));
        if (change.minutes) amountWords.push(TEXT[language].minutes(change.minutes));
        const [year, month, day, hour, minute] = change.wallClock;
        const monthName = new Date(Date.UTC(2000, month - 1, 1)).toLocaleString('en-GB', { month: 'long', timeZone: 'UTC' });
        return TEXT[language].zoneChange({ year, month, day, hour, minute, monthName, forward: change.forward,
          amount: amountWords.join(TEXT[language].join) });
      };
    },
  };
})();
