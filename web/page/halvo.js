'use strict';
// The page: twelve lists, the clock button, save and open. Every check, value
// and byte comes from the core through Module.api (web/src/core_api.js).

(function () {
  // The lists in the core's selection order; the first six are the date and time.
  const LISTS = ['year', 'month', 'day', 'hour', 'minute', 'second',
    'imageFlip', 'recordLength', 'timelapse', 'recordAudio', 'usbMode', 'timestamp'];
  const DATE_LISTS = 6;

  const TEXT = {
    ja: {
      title: 'Halvo — カメラの設定ファイル set.txt',
      heading: 'Halvo — set.txt',
      language: '言語',
      intro: '設定を選んで保存し、set.txt をカメラの記録メディアの一番上のフォルダーに入れます。このページはネットワークを使いません。',
      dateTime: '日付時間設定',
      recording: '録画設定',
      year: '年', month: '月', day: '日', hour: '時', minute: '分', second: '秒',
      imageFlip: 'イメージフリップ', recordLength: '録画時間', timelapse: 'タイムラプス',
      recordAudio: '録画音声', usbMode: 'USB装置', timestamp: 'タイムスタンプ',
      minutes: '分',
      minutesOf: (value) => value + '分',
      pair: (name, value) => name + '：' + value,
      separator: '、',
      entries: {
        imageFlip: ['いいえ', 'はい'],
        timelapse: ['2秒', '5秒', '10秒', 'オフ'],
        recordAudio: ['オフ', 'オン'],
        usbMode: ['マスストレージ', '録画装置'],
        timestamp: ['オフ', 'オン'],
      },
      lead: 'カメラの電源を入れるまでの秒数',
      useClock: '自動的にPCの時間に合わせる',
      save: '完了（set.txtを保存）',
      open: 'set.txtを開く',
      dropHint: 'set.txt をこのページにドロップしても開けます。',
      dropHere: 'ここにドロップして set.txt を開く',
      saved: (p) => 'set.txt を保存しました（' + p.summary + '）。本体をPCと接続し、作成されたset.txtファイルに入れます。PCから取り出して電源を入れると設定完了です。',
      clockSet: (p) => 'PCの時計（' + p.lead + '秒後）に合わせました：' + p.when + '。',
      yearOutside: (p) => 'PCの時計の年（' + p.year + '年）は ' + p.first + '〜' + p.last + '年の範囲外です。年は変更していません。',
      badLead: (p) => '「カメラの電源を入れるまでの秒数」は 0〜' + p.max + ' の整数で入力してください。何も変更していません。',
      noSuchDay: (p) => p.month + '月' + p.day + '日はありません。その月にある日を選んでください。保存していません。',
      DateTime: () => '日付時間設定に選ばれていない項目があります。保存していません。',
      Option: () => '設定に選ばれていない項目があります。保存していません。',
      read: (p) => p.name + ' を読み込みました。すべての項目をファイルの設定に合わせました。',
      notSetFile: (p) => p.name + ' はカメラが読める set.txt ではありません：' + TEXT.ja.problems[p.kind] + '（オフセット ' + p.offset + '、' + p.line + '行目 — ' + p.message + '）。何も変更していません。',
      unreadable: (p) => p.name + ' を読めませんでした。何も変更していません。',
      problems: {
        ByteOrderMark: 'ファイルの先頭にBOMがあります',
        Label: '項目名が違います',
        Digit: '数字のあるべき所に別の文字があります',
        LineEnd: '改行がCR LFではありません',
        Padding: '最後の空白が違います',
        Length: 'ファイルの長さが違います',
        Value: 'カメラが受け付けない値です',
      },
    },
    en: {
      title: 'Halvo — camera settings file set.txt',
      heading: 'Halvo — set.txt',
      language: 'Language',
      intro: 'Pick the settings, save set.txt and put it into the top folder of the camera\u2019s storage. This page uses no network.',
      dateTime: 'Date and time',
      recording: 'Recording',
      year: 'Year', month: 'Month', day: 'Day', hour: 'Hour', minute: 'Minute', second: 'Second',
      imageFlip: 'Image flip', recordLength: 'Recording length', timelapse: 'Time-lapse',
      recordAudio: 'Sound', usbMode: 'USB mode', timestamp: 'Time stamp',
      minutes: 'min',
      minutesOf: (value) => value + ' min',
      pair: (name, value) => name + ' ' + value,
      separator: ', ',
      entries: {
        imageFlip: ['No', 'Yes'],
        timelapse: ['2 s', '5 s', '10 s', 'Off'],
        recordAudio: ['Off', 'On'],
        usbMode: ['Mass storage', 'Video device'],
        timestamp: ['Off', 'On'],
      },
      lead: 'Seconds until the camera is switched on',
      useClock: 'Use this computer\u2019s clock',
      save: 'Save set.txt',
      open: 'Open set.txt',
      dropHint: 'You can also drop a set.txt onto this page.',
      dropHere: 'Drop here to open set.txt',
      saved: (p) => 'Saved set.txt (' + p.summary + '). Connect the camera to the computer, put set.txt into the top folder of its storage, disconnect it and switch it on: it takes the settings at power-on.',
      clockSet: (p) => 'Set from this computer\u2019s clock plus ' + p.lead + ' s: ' + p.when + '.',
      yearOutside: (p) => 'This computer\u2019s clock says ' + p.year + ', outside ' + p.first + ' to ' + p.last + ': the year was left as it was.',
      badLead: (p) => '\u201cSeconds until the camera is switched on\u201d must be a whole number from 0 to ' + p.max + '. Nothing was changed.',
      noSuchDay: (p) => p.day + ' ' + p.monthName + ' does not exist: pick a day the month has. Nothing was saved.',
      DateTime: () => 'A date or time list has no valid choice. Nothing was saved.',
      Option: () => 'An option list has no valid choice. Nothing was saved.',
      read: (p) => 'Read ' + p.name + ': every list now shows its settings.',
      notSetFile: (p) => p.name + ' is not a set.txt the camera reads: ' + p.message + ' (byte offset ' + p.offset + ', line ' + p.line + '). Nothing was changed.',
      unreadable: (p) => p.name + ' could not be read. Nothing was changed.',
    },
  };
  // A fault the page has no words for shows the dialog's own text.
  const FALLBACK = () => 'ERROR!';

  const page = {
    api: null,
    language: 'en',
    selects: [],
    status: null,  // { key, params } of the last status message, re-worded on a language switch
    alerts: [],    // [{ key, params }]
  };

  function $(id) { return document.getElementById(id); }
  function text() { return TEXT[page.language]; }

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

  // The words of one entry: date and time entries and lengths are the core's numbers, the rest the language's words.
  function entryText(words, index, position) {
    const entries = words.entries[LISTS[index]];
    return entries ? entries[position] : String(page.api.lists[index].values[position]);
  }

  function buildLists() {
    page.api.lists.forEach(function (list, index) {
      const key = LISTS[index];
      for (const language of Object.keys(TEXT)) {
        const words = TEXT[language].entries[key];
        if (words && words.length !== list.values.length) {
          throw new Error('the page has ' + words.length + ' ' + language + ' words for ' + key + ', the core ' + list.values.length + ' entries');
        }
      }
      const field = document.createElement('div');
      field.className = 'field';
      const label = document.createElement('label');
      label.htmlFor = key;
      label.dataset.text = key;
      const select = document.createElement('select');
      select.id = key;
      for (let position = 0; position < list.values.length; ++position) select.add(new Option('', String(position)));
      select.selectedIndex = list.initial;
      field.append(label);
      if (key === 'recordLength') {
        const row = document.createElement('span');
        row.className = 'unit';
        const unit = document.createElement('span');
        unit.dataset.text = 'minutes';
        unit.setAttribute('aria-hidden', 'true');
        row.append(select, unit);
        field.append(row);
      } else {
        field.append(select);
      }
      $(index < DATE_LISTS ? 'dateLists' : 'optionLists').append(field);
      page.selects.push(select);
    });
  }

  function showMessages() {
    const words = text();
    // A parameter given as a function is worded afresh in the page's language.
    const say = (message) => {
      const params = {};
      for (const [name, value] of Object.entries(message.params || {})) params[name] = typeof value === 'function' ? value(words) : value;
      return (words[message.key] || FALLBACK)(params);
    };
    const status = $('status');
    status.replaceChildren();
    if (page.status) {
      const p = document.createElement('p');
      p.textContent = say(page.status);
      status.append(p);
    }
    const alert = $('alert');
    alert.replaceChildren();
    for (const message of page.alerts) {
      const p = document.createElement('p');
      p.textContent = say(message);
      alert.append(p);
    }
  }

  function report(status, alerts) {
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
    for (const element of document.querySelectorAll('[data-label]')) element.setAttribute('aria-label', words[element.dataset.label]);
    for (const button of document.querySelectorAll('[data-lang]')) button.setAttribute('aria-pressed', String(button.dataset.lang === language));
    page.selects.forEach(function (select, index) {
      for (let position = 0; position < select.options.length; ++position) select.options[position].text = entryText(words, index, position);
    });
    showMessages();
  }

  function positions() { return page.selects.map((select) => select.selectedIndex); }

  // "2024-03-05 07:08:09" from the six date and time lists as they stand.
  function selectedWhen() {
    const v = page.selects.slice(0, DATE_LISTS).map((select, index) => page.api.lists[index].values[select.selectedIndex]);
    return v[0] + '-' + pad(v[1], 2) + '-' + pad(v[2], 2) + ' ' + pad(v[3], 2) + ':' + pad(v[4], 2) + ':' + pad(v[5], 2);
  }

  // What the lists say now, as a function that words it in either language.
  function summary() {
    const chosen = positions();
    const when = selectedWhen();
    return function (words) {
      const options = LISTS.slice(DATE_LISTS).map(function (key, offset) {
        const index = DATE_LISTS + offset;
        const entry = entryText(words, index, chosen[index]);
        return words.pair(words[key], key === 'recordLength' ? words.minutesOf(entry) : entry);
      });
      return [when].concat(options).join(words.separator);
    };
  }

  // Sets the date and time lists from the local clock plus the lead; a value outside its list keeps that list.
  function useClock(lead) {
    const now = new Date(Date.now() + lead * 1000);
    const clock = [now.getFullYear(), now.getMonth() + 1, now.getDate(), now.getHours(), now.getMinutes(), now.getSeconds()];
    const found = page.api.clockPositions(clock);
    found.forEach(function (position, index) {
      if (position >= 0) page.selects[index].selectedIndex = position;
    });
    if (found[0] < 0) {
      const years = page.api.lists[0].values;
      return { key: 'yearOutside', params: { year: clock[0], first: years[0], last: years[years.length - 1] } };
    }
    return { key: 'clockSet', params: { lead: lead, when: selectedWhen() } };
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
    const result = useClock(lead.value);
    report(result, []);
  }

  function download(bytes) {
    const url = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
    const link = document.createElement('a');
    link.href = url;
    link.download = 'set.txt';
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  function faultMessages(faults) {
    const chosen = positions();
    const alerts = [];
    let dateTimeFaults = faults.filter((fault) => fault === 'DateTime').length;
    if (dateTimeFaults > 0 && chosen[1] >= 0 && chosen[2] >= 0 && !page.api.dayExists(chosen[1], chosen[2])) {
      const month = page.api.lists[1].values[chosen[1]];
      const monthName = new Date(2000, month - 1, 1).toLocaleString('en', { month: 'long' });
      alerts.push({ key: 'noSuchDay', params: { day: page.api.lists[2].values[chosen[2]], month: month, monthName: monthName } });
      --dateTimeFaults;
    }
    if (dateTimeFaults > 0) alerts.push({ key: 'DateTime' });
    for (const fault of new Set(faults.filter((fault) => fault !== 'DateTime'))) alerts.push({ key: fault });
    return alerts;
  }

  function onSave(event) {
    event.preventDefault();
    const result = page.api.convert(positions());
    if (result.faults.length > 0) return report(null, faultMessages(result.faults));
    download(result.bytes);
    report({ key: 'saved', params: { summary: summary() } }, []);
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
        params: { name: file.name, kind: problem.kind, offset: problem.offset, line: problem.line, message: problem.message },
      }]);
    }
    result.positions.forEach(function (position, index) { page.selects[index].selectedIndex = position; });
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

  HalvoCore().then(function (module) {
    page.api = module.api();
    buildLists();
    applyLanguage(pickLanguage());
    const opening = useClock(0);
    report(opening.key === 'yearOutside' ? opening : null, []);
    for (const button of document.querySelectorAll('[data-lang]')) {
      button.addEventListener('click', () => applyLanguage(button.dataset.lang));
    }
    $('useClock').addEventListener('click', onUseClock);
    $('settings').addEventListener('submit', onSave);
    $('open').addEventListener('change', function (event) {
      const file = event.target.files[0];
      event.target.value = '';
      if (file) openFile(file);
    });
    wireDrop();
    document.body.dataset.ready = 'true';
  });
})();
