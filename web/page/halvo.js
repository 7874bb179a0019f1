'use strict';
// The page: twelve lists, the clock button, save (through the browser's save
// dialog where it offers one, else as a download) with a countdown to switching
// the camera on, and open. Every check, value and byte comes from the core
// through Module.api (web/src/core_api.js).

(function () {
  // The page's own sentences; every list's caption, entries and unit and the
  // failure text come from the core.
  const TEXT = {
    ja: {
      title: 'Halvo — カメラの設定ファイル set.txt',
      heading: 'Halvo — set.txt',
      language: '言語',
      intro: '設定を選んで保存し、set.txt をカメラのカードの一番上のフォルダーに入れます。このページはネットワークを使いません。',
      dateTime: '日付時間設定',
      recording: '録画設定',
      amount: (value, unit) => value + unit,
      pair: (name, value) => name + '：' + value,
      separator: '、',
      lead: 'カメラの電源を入れるまでの秒数',
      leadHint: 'カードをカメラに入れて電源を入れるまでの時間です。',
      useClock: 'この端末の時計に合わせる',
      spokenUnit: (unit) => '（' + unit + '）',
      save: '完了（set.txtを保存）',
      open: 'set.txtを開く',
      dropHint: 'set.txt をこのページにドロップしても開けます。',
      dropHere: 'ここにドロップして set.txt を開く',
      saved: (p) => 'set.txt を保存しました（' + p.summary + '）。カメラのカードの一番上のフォルダーに、set.txt という名前でコピーしてください（2回目のダウンロードは「set (1).txt」などの名前になることがあります）。カメラは次に電源を入れたときに設定を読み込みます。',
      written: (p) => p.name + ' に書き込み、読み返して確認しました（' + p.summary + '）。カメラは次に電源を入れたとき、カードの一番上のフォルダーにある set.txt から設定を読み込みます。',
      otherName: (p) => 'カメラが読むのは set.txt という名前のファイルだけです。' + p.name + ' の名前を set.txt に変えてください。',
      writeFailed: (p) => p.name + ' に書き込めませんでした（' + p.error + '）。もう一度保存してください。',
      readBackFailed: (p) => p.name + ' に書き込みましたが、読み返せませんでした（' + p.error + '）。もう一度保存してください。',
      readBackDiffers: (p) => p.name + ' に書き込みましたが、読み返した内容が違います。カードに問題があるかもしれません。もう一度保存するか、別のカードを使ってください。',
      fileType: 'テキストファイル',
      countdown: (p) => 'カメラの電源を入れるまで' + p.seconds + '秒',
      switchOnNow: '今カメラの電源を入れてください',
      behind: (p) => '今電源を入れると、カメラの時計は' + p.seconds + '秒遅れます。新しい時刻にするには、' + (p.fresh ? '' : '「この端末の時計に合わせる」を押してから')
        + (p.download ? 'もう一度保存し、カードの古い set.txt を削除してから、新しいファイルを set.txt という名前でコピーしてください（2回目のダウンロードは「set (1).txt」などの名前になることがあります）。'
          : 'もう一度保存して、カードの set.txt を置き換えてください。'),
      clockOff: '日付と時刻は表示どおりに保存され、電源を入れるまでのカウントダウンはありません。カウントダウンするには「この端末の時計に合わせる」を押してください。',
      clockSet: (p) => 'この端末の時計（' + p.lead + '秒後）に合わせました：' + p.when + '。',
      yearOutside: (p) => 'この端末の時計の年（' + p.year + '年）は ' + p.first + '〜' + p.last + '年の範囲外です。年は変更していません。',
      badLead: (p) => '「カメラの電源を入れるまでの秒数」は 0〜' + p.max + ' の整数で入力してください。何も変更していません。',
      noSuchDay: (p) => p.month + '月' + p.day + '日はありません。その月にある日を選んでください。保存していません。',
      noChoice: (p) => '「' + p.list + '」が選ばれていません。保存していません。',
      read: (p) => p.name + ' を読み込みました。すべての項目をファイルの設定に合わせました。',
      notSetFile: (p) => p.name + ' はカメラが読める set.txt ではありません：' + TEXT.ja.problems[p.kind] + '（' + p.line + '行目' + (p.setting ? '「' + p.setting + '」' : '') + '、オフセット ' + p.offset + '）。何も変更していません。',
      unreadable: (p) => p.name + ' を読めませんでした。何も変更していません。',
      problems: {
        ByteOrderMark: 'ファイルの先頭に、エディターが保存時に付ける目に見えない印があります',
        Label: '項目名が違います',
        Digit: '数字のあるべき所に別の文字があります',
        LineEnd: '行の区切り方がカメラの読める形ではありません',
        Padding: 'ファイルの最後の空白が、あるべき数や形になっていません',
        Length: 'ファイルの長さが違います',
        Value: 'カメラが受け付けない値です',
      },
    },
    en: {
      title: 'Halvo — camera settings file set.txt',
      heading: 'Halvo — set.txt',
      language: 'Language',
      intro: 'Pick the settings, save set.txt and put it into the top folder of the camera\u2019s card. This page uses no network.',
      dateTime: 'Date and time',
      recording: 'Recording',
      amount: (value, unit) => value + ' ' + unit,
      pair: (name, value) => name + ' ' + value,
      separator: ', ',
      lead: 'Seconds until the camera is switched on',
      leadHint: 'Time to put the card into the camera and switch it on.',
      useClock: 'Use this device\u2019s clock',
      spokenUnit: (unit) => ' (' + unit + ')',
      save: 'Save set.txt',
      open: 'Open set.txt',
      dropHint: 'You can also drop a set.txt onto this page.',
      dropHere: 'Drop here to open set.txt',
      saved: (p) => 'Saved set.txt (' + p.summary + '). Copy it into the top folder of the camera\u2019s card, named exactly set.txt (a browser may name a second download \u201cset (1).txt\u201d). The camera takes the settings when it is next switched on.',
      written: (p) => 'Wrote ' + p.name + ' and read it back: it holds what was saved (' + p.summary + '). The camera takes the settings from set.txt in the top folder of its card when it is next switched on.',
      otherName: (p) => 'The camera only reads a file named set.txt: rename ' + p.name + ' to set.txt.',
      writeFailed: (p) => p.name + ' could not be written (' + p.error + '). Save it again.',
      readBackFailed: (p) => p.name + ' was written but could not be read back (' + p.error + '). Save it again.',
      readBackDiffers: (p) => p.name + ' was written, but reading it back gave different bytes: the card may be faulty. Save it again, or use another card.',
      fileType: 'Text file',
      countdown: (p) => 'Switch the camera on in ' + p.seconds + ' s',
      switchOnNow: 'Switch the camera on now',
      behind: (p) => 'Switched on now, the camera\u2019s clock would be ' + p.seconds + ' s behind. For a fresh time, ' + (p.fresh ? '' : 'press \u201cUse this device\u2019s clock\u201d, ')
        + (p.download ? 'save again, delete the old set.txt from the card and copy the new file there as set.txt (a second download may be named \u201cset (1).txt\u201d).'
          : 'save again and replace set.txt on the card.'),
      clockOff: 'The date and time are saved as shown, with no countdown to switching the camera on. For a countdown, press \u201cUse this device\u2019s clock\u201d.',
      clockSet: (p) => 'Set from this device\u2019s clock plus ' + p.lead + ' s: ' + p.when + '.',
      yearOutside: (p) => 'This device\u2019s clock says ' + p.year + ', outside ' + p.first + ' to ' + p.last + ': the year was left as it was.',
      badLead: (p) => '\u201cSeconds until the camera is switched on\u201d must be a whole number from 0 to ' + p.max + '. Nothing was changed.',
      noSuchDay: (p) => p.day + ' ' + p.monthName + ' does not exist: pick a day the month has. Nothing was saved.',
      noChoice: (p) => p.list + ' has no valid choice. Nothing was saved.',
      read: (p) => 'Read ' + p.name + ': every list now shows its settings.',
      notSetFile: (p) => p.name + ' is not a set.txt the camera reads: ' + TEXT.en.problems[p.kind] + ' (line ' + p.line + ', byte offset ' + p.offset + ': ' + p.message + '). Nothing was changed.',
      unreadable: (p) => p.name + ' could not be read. Nothing was changed.',
      problems: {
        ByteOrderMark: 'it starts with an invisible mark that some editors add when saving',
        Label: 'a line does not start with the name the camera expects',
        Digit: 'there is something else where a number belongs',
        LineEnd: 'its lines are not ended the way the camera reads them',
        Padding: 'the spaces at its end are not as the camera expects',
        Length: 'it is longer or shorter than the camera expects',
        Value: 'it holds a value the camera does not take',
      },
    },
  };

  const page = {
    api: null,
    language: 'en',
    selects: [],
    status: null,  // { key, params } of the last status message, re-worded on a language switch
    alerts: [],    // [{ key, params }]
    fromClock: false,  // the date and time lists hold a clock reading that no hand has changed since
    countdown: null,   // { target (ms), left (whole seconds), timeout, download } after a save whose time came from the clock
    saving: false,
  };

  function $(id) { return document.getElementById(id); }
  function text() { return TEXT[page.language]; }
  function lists() { return page.api.lists; }
  function isDateList(index) { return index < page.api.dateTimeLists; }
  function listIndex(key) { return lists().findIndex((list) => list.key === key); }
  // A fault the page has no words for shows the dialog's own text.
  function fallback() { return page.api.texts.error; }

  function pickLanguage() {
    const forced = new URLSearchParams(location.search).get('lang');
    if (forced === 'ja' || forced === 'en') return forced;
    const preferred = navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language || ''];
    for (const tag of preferred) {
      const primary = String(tag).toLowerCase().split('-')[0];
      if (primary === 'ja' || primary === 'en') return primary;
    }
    return 'en';
  }

  function pad(value, digits) { return String(value).padStart(digits, '0'); }

  // The last lead saved with, kept in the browser; a browser that keeps nothing (or refuses access) gets the default.
  const leadKey = 'halvo.lead';
  function storedLead() {
    try {
      const value = Number(window.localStorage.getItem(leadKey));
      const kept = window.localStorage.getItem(leadKey) !== null && Number.isInteger(value) && value >= 0 && value <= page.api.maxLead;
      return kept ? value : page.api.defaultLead;
    } catch (error) {
      return page.api.defaultLead;
    }
  }
  function keepLead(lead) {
    try {
      window.localStorage.setItem(leadKey, String(lead));
    } catch (error) {
      // Not kept: the next visit starts from the default.
    }
  }

  // The words of one entry in the page's language: a date or time entry is its number.
  function entryText(language, index, position) {
    const list = lists()[index];
    return list.words ? list.words[position][language] : String(list.values[position]);
  }

  function buildLists() {
    lists().forEach(function (list, index) {
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

  function showMessages() {
    const words = text();
    // A parameter given as a function is worded afresh in the page's language.
    const say = (message) => {
      const params = {};
      for (const [name, value] of Object.entries(message.params || {})) params[name] = typeof value === 'function' ? value(words, page.language) : value;
      return (words[message.key] || fallback)(params);
    };
    const status = $('status');
    status.replaceChildren();
    if (page.status) {
      const p = document.createElement('p');
      p.textContent = say(page.status);
      status.append(p);
      if (page.status.note) status.append(Object.assign(document.createElement('p'), { textContent: page.status.note(page.language) }));
    }
    const alert = $('alert');
    alert.replaceChildren();
    for (const message of page.alerts) {
      const p = document.createElement('p');
      p.textContent = say(message);
      alert.append(p);
    }
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
    timer.textContent = !countdown ? '' : countdown.left > 0 ? words.countdown({ seconds: countdown.left })
      : countdown.left === 0 ? words.switchOnNow : words.behind({ seconds: -countdown.left, fresh: page.fromClock, download: countdown.download });
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
    const now = Date.now();
    countdown.left = Math.ceil((countdown.target - now) / 1000) || 0;
    showCountdown();
    countdown.timeout = setTimeout(tick, ((countdown.target - now) % 1000 + 1000) % 1000 || 1000);
  }

  function startCountdown(target, download) {
    page.countdown = { target: target, left: 0, timeout: 0, download: download };
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
    for (const element of document.querySelectorAll('[data-list]')) element.textContent = lists()[element.dataset.list].label[language];
    for (const element of document.querySelectorAll('[data-spoken-unit]')) {
      const list = lists()[element.dataset.spokenUnit];
      element.setAttribute('aria-label', list.label[language] + words.spokenUnit(list.unit[language]));
    }
    for (const element of document.querySelectorAll('[data-unit]')) element.textContent = lists()[element.dataset.unit].unit[language];
    for (const element of document.querySelectorAll('[data-label]')) element.setAttribute('aria-label', words[element.dataset.label]);
    for (const button of document.querySelectorAll('[data-lang]')) button.setAttribute('aria-pressed', String(button.dataset.lang === language));
    HalvoCameraClock.applyLanguage(language);
    page.selects.forEach(function (select, index) {
      for (let position = 0; position < select.options.length; ++position) select.options[position].text = entryText(language, index, position);
    });
    showMessages();
  }

  function positions() { return page.selects.map((select) => select.selectedIndex); }

  // "2024-03-05 07:08:09" from the six date and time lists as they stand.
  function selectedWhen() {
    const v = page.selects.slice(0, page.api.dateTimeLists).map((select, index) => lists()[index].values[select.selectedIndex]);
    return v[0] + '-' + pad(v[1], 2) + '-' + pad(v[2], 2) + ' ' + pad(v[3], 2) + ':' + pad(v[4], 2) + ':' + pad(v[5], 2);
  }

  // What the lists say now, as a function that words it in either language.
  function summary() {
    const chosen = positions();
    const when = selectedWhen();
    return function (words, language) {
      const options = [];
      lists().forEach(function (list, index) {
        if (isDateList(index)) return;
        const entry = entryText(language, index, chosen[index]);
        const shown = /^[0-9]+$/.test(entry) && list.unit[language] !== '' ? words.amount(entry, list.unit[language]) : entry;
        options.push(words.pair(list.label[language], shown));
      });
      return [when].concat(options).join(words.separator);
    };
  }

  // Sets the date and time lists from the local clock plus the lead; a value outside its list keeps that list.
  // Returns the message and, when every list took the reading, the moment the lists now name (ms).
  function useClock(lead) {
    // The camera's correction and the chosen zone move the written time (camera_clock.js).
    const reading = HalvoCameraClock.reading(Date.now(), lead);
    const clock = reading.clock;
    const found = page.api.clockPositions(clock);
    found.forEach(function (position, index) {
      if (position >= 0) page.selects[index].selectedIndex = position;
    });
    page.fromClock = found.every((position) => position >= 0);
    if (found[0] < 0) {
      const years = lists()[0].values;
      return { message: { key: 'yearOutside', params: { year: clock[0], first: years[0], last: years[years.length - 1] } } };
    }
    return { message: { key: 'clockSet', params: { lead: lead, when: selectedWhen() } }, target: reading.switchOn };
  }

  function readLead() {
    const field = $('lead');
    const max = Number(field.max);
    const value = field.value.trim() === '' ? NaN : Number(field.value);
    if (!Number.isInteger(value) || value < Number(field.min) || value > max) return { error: { key: 'badLead', params: { max: max } } };
    return { value: value };
  }

  function onUseClock() {
    const lead = readLead();
    if (lead.error) return report(null, [lead.error]);
    report(useClock(lead.value).message, []);
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
    return failed.map(function (check) {
      const index = listIndex(check.list);
      if (check.reason === 'NoSuchDay') {
        const monthAt = listIndex('month');
        const month = lists()[monthAt].values[chosen[monthAt]];
        const monthName = new Date(2000, month - 1, 1).toLocaleString('en', { month: 'long' });
        return { key: 'noSuchDay', params: { day: lists()[index].values[chosen[index]], month: month, monthName: monthName } };
      }
      return { key: 'noChoice', params: { list: (words, language) => lists()[index].label[language] } };
    });
  }

  function describe(error) {
    return error && error.name ? error.name + (error.message ? ': ' + error.message : '') : String(error);
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
      if (stream) Promise.resolve().then(() => stream.abort()).catch(() => {});
      return { key: 'writeFailed', params: { name: name, error: describe(error) } };
    }
    let back;
    try {
      back = new Uint8Array(await (await handle.getFile()).arrayBuffer());
    } catch (error) {
      return { key: 'readBackFailed', params: { name: name, error: describe(error) } };
    }
    const same = back.length === bytes.length && back.every((byte, i) => byte === bytes[i]);
    return same ? null : { key: 'readBackDiffers', params: { name: name } };
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
    let target = null;
    if (lead !== null) {
      const reading = useClock(lead);
      if (reading.target === undefined) return report(reading.message, []);
      target = reading.target;
    }
    const result = target === null ? converted : page.api.convert(positions());
    if (!result.bytes) return report(null, faultMessages(result.failed));
    const bytes = result.bytes;
    if (lead !== null) keepLead(lead);
    const said = { summary: summary() };
    // A save with the clock's time is kept as the camera's setting; the zone's next change is said with it.
    const note = () => (target === null ? null : HalvoCameraClock.saved(target));
    if (!handle) {
      download(bytes);
      report({ key: 'saved', params: said, note: note() }, []);
    } else {
      const failure = await writeChecked(handle, bytes);
      if (failure) return report(null, [failure]);
      said.name = handle.name;
      // Memory cards' file systems ignore case, so SET.TXT is the same file to the camera.
      const otherName = handle.name.toLowerCase() !== page.api.fileName;
      report({ key: 'written', params: said, note: note() }, otherName ? [{ key: 'otherName', params: { name: handle.name } }] : []);
    }
    if (target !== null) startCountdown(target, !handle);
  }

  async function onSave(event) {
    event.preventDefault();
    if (page.saving) return;
    const converted = page.api.convert(positions());
    if (converted.failed.length > 0) return report(null, faultMessages(converted.failed));
    // Lists that still hold the clock's reading are read afresh, with the lead as it stands now.
    let lead = null;
    if (page.fromClock) {
      const read = readLead();
      if (read.error) return report(null, [read.error]);
      lead = read.value;
    }
    page.saving = true;
    try {
      await save(lead, converted);
    } finally {
      page.saving = false;
    }
  }

  async function openFile(file) {
    let bytes;
    try {
      bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
      return report(null, [{ key: 'unreadable', params: { name: file.name } }]);
    }
    let result;
    try {
      result = page.api.read(bytes);
    } catch (error) {
      return report(null, [{ key: 'unreadable', params: { name: file.name } }]);
    }
    if (result.problem) {
      const problem = result.problem;
      return report(null, [{
        key: 'notSetFile',
        params: {
          name: file.name, kind: problem.kind, offset: problem.offset, line: problem.line, message: problem.message,
          setting: problem.setting === null ? null : (words, language) => lists()[listIndex(problem.setting)].label[language],
        },
      }]);
    }
    result.positions.forEach(function (position, index) { page.selects[index].selectedIndex = position; });
    page.fromClock = false;
    report({ key: 'read', params: { name: file.name } }, []);
  }

  function hasFiles(event) {
    return event.dataTransfer && Array.from(event.dataTransfer.types || []).includes('Files');
  }

  function wireDrop() {
    const cover = $('dropCover');
    let depth = 0;
    document.addEventListener('dragenter', function (event) {
      if (!hasFiles(event)) return;
      ++depth;
      cover.hidden = false;
    });
    document.addEventListener('dragleave', function () {
      if (depth > 0 && --depth === 0) cover.hidden = true;
    });
    document.addEventListener('dragover', function (event) {
      if (!hasFiles(event)) return;
      event.preventDefault();
      event.dataTransfer.dropEffect = 'copy';
    });
    document.addEventListener('drop', function (event) {
      event.preventDefault();
      depth = 0;
      cover.hidden = true;
      const file = event.dataTransfer && event.dataTransfer.files[0];
      if (file) openFile(file);
    });
  }

  // A browser without WebAssembly (or with it turned off) cannot run the core: the page says what it needs.
  function startFailed() {
    $('startFailed').hidden = false;
  }

  function start(module) {
    page.api = module.api();
    $('lead').max = String(page.api.maxLead);
    $('lead').value = String(storedLead());
    buildLists();
    const language = pickLanguage();
    HalvoCameraClock.start(module, language, () => { if (page.fromClock) onUseClock(); });
    applyLanguage(language);
    const opening = useClock(0);
    report(opening.target === undefined ? opening.message : null, []);
    for (const button of document.querySelectorAll('[data-lang]')) {
      button.addEventListener('click', () => applyLanguage(button.dataset.lang));
    }
    $('useClock').addEventListener('click', onUseClock);
    for (const select of page.selects.slice(0, page.api.dateTimeLists)) {
      for (const type of ['input', 'change']) {
        select.addEventListener(type, () => {
          page.fromClock = false;
          showCountdown();
        });
      }
    }
    $('settings').addEventListener('submit', onSave);
    $('open').addEventListener('change', function (event) {
      const file = event.target.files[0];
      event.target.value = '';
      if (file) openFile(file);
    });
    wireDrop();
    document.body.dataset.ready = 'true';
  }

  try {
    HalvoCore().then(start, startFailed);
  } catch (error) {
    startFailed();
  }
})();
