// The page in Chromium, opened from file:// with the network blocked, and
// from a web server.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import { launch, offlineContext, openPage, pagePath, pageUrl } from './browser.mjs';
import { LAST_FILE, writtenTime } from './golden.mjs';

// The initial set.txt as text editors save it again, made from the golden file.
const golden = (name) => new Uint8Array(fs.readFileSync(new URL(`../../tests/golden/${name}`, import.meta.url)));
const EDITED_UTF8 = golden('set-initial-saved-as-utf8.txt');
const EDITED_SHIFT_JIS = golden('set-initial-saved-as-shift-jis.txt');

const LABELS = [
  'Year',
  'Month',
  'Day',
  'Hour',
  'Minute',
  'Second',
  'Image flip',
  'Recording length (min)',
  'Time-lapse',
  'Sound',
  'USB mode',
  'Time stamp',
];
const LAST_ENTRIES = ['2050', '12', '31', '23', '59', '59', 'Yes', '5', '10 s', 'Off', 'Video device', 'Off'];

let browser;
before(async () => {
  browser = await launch();
});
after(async () => {
  await browser?.close();
});

// Runs body(page, context) on a fresh offline page whose clock stands still at `now`.
async function withPage({ now = '2024-03-05T07:08:09+01:00', query = '', locale } = {}, body) {
  const context = await offlineContext(browser, locale ? { locale } : {});
  try {
    await context.clock.setFixedTime(new Date(now));
    const page = await openPage(context, query);
    await body(page, context);
    assert.deepEqual(page.errors, []);
    assert.deepEqual(context.outside, [], 'the page asked for something besides itself');
  } finally {
    await context.close();
  }
}

// The visible entry of each list, by its label.
async function entries(page, labels = LABELS) {
  const texts = [];
  for (const label of labels) {
    texts.push(await page.getByLabel(label, { exact: true }).evaluate((select) => select.selectedOptions[0]?.text));
  }
  return texts;
}

async function choose(page, labels, values) {
  for (let i = 0; i < labels.length; ++i)
    await page.getByLabel(labels[i], { exact: true }).selectOption({ label: values[i] });
}

async function savedBytes(download) {
  assert.equal(download.suggestedFilename(), 'set.txt');
  return new Uint8Array(fs.readFileSync(await download.path()));
}

test("opens with the clock's date and time and the dialog's initial options", async () => {
  await withPage({}, async (page) => {
    assert.deepEqual(await entries(page), [
      '2024',
      '3',
      '5',
      '7',
      '8',
      '9',
      'No',
      '2',
      'Off',
      'On',
      'Mass storage',
      'On',
    ]);
    assert.equal(await page.getByLabel('Seconds until the camera is switched on').inputValue(), '30');
    const lists = await page
      .locator('select:not(#zone)')
      .evaluateAll((selects) => selects.map((s) => s.options.length));
    assert.deepEqual(lists, [30, 12, 31, 24, 60, 60, 2, 4, 4, 2, 2, 2]);
  });
});

test('keyboard alone: every control in order, choices, and Enter on "Save set.txt" saves the golden bytes', async () => {
  await withPage({}, async (page) => {
    const reached = [];
    for (let i = 0; i < 20; ++i) {
      await page.keyboard.press('Tab');
      reached.push(
        await page.evaluate(() => {
          const element = document.activeElement;
          return element.getAttribute('aria-label') ?? element.labels?.[0]?.textContent ?? element.textContent;
        }),
      );
    }
    assert.deepEqual(reached, [
      '日本語',
      'English',
      ...LABELS.slice(0, 6),
      'Seconds until the camera is switched on',
      'Use this device\u2019s clock',
      'Time zone of the written time',
      'Correct for the start-up delay of my camera',
      ...LABELS.slice(6),
      'Save set.txt',
      'Open set.txt',
    ]);

    // On a closed list, End picks the last entry, Home the first, the arrows the neighbours.
    const keys = { 'Time-lapse': ['End', 'ArrowUp'], Sound: ['Home'], 'Time stamp': ['Home'] };
    for (const label of LABELS) {
      await page.getByLabel(label, { exact: true }).focus();
      for (const key of keys[label] ?? ['End']) await page.keyboard.press(key);
    }
    assert.deepEqual(await entries(page), LAST_ENTRIES);
    await page.getByRole('button', { name: 'Save set.txt' }).focus();
    const [download] = await Promise.all([page.waitForEvent('download'), page.keyboard.press('Enter')]);
    assert.deepEqual(await savedBytes(download), LAST_FILE);
  });
});

test('saves exactly the golden set.txt and says what it saved', async () => {
  await withPage({}, async (page) => {
    await choose(page, LABELS, LAST_ENTRIES);
    const [download] = await Promise.all([
      page.waitForEvent('download'),
      page.getByRole('button', { name: 'Save set.txt' }).click(),
    ]);
    assert.deepEqual(await savedBytes(download), LAST_FILE);
    const status = await page.getByRole('status').textContent();
    assert.match(
      status,
      /^Saved set\.txt \(2050-12-31 23:59:59, Image flip Yes, Recording length 5 min, Time-lapse 10 s, Sound Off, USB mode Video device, Time stamp Off\)/,
    );
    assert.equal(await page.getByRole('alert').textContent(), '');
    await page.getByRole('button', { name: '日本語' }).click();
    assert.match(
      await page.getByRole('status').textContent(),
      /^set\.txt を保存しました（2050-12-31 23:59:59、イメージフリップ：はい、録画時間：5分、タイムラプス：10秒、録画音声：オフ、USB装置：録画装置、タイムスタンプ：オフ）。カメラのカードの一番上のフォルダーに、set\.txt という名前でコピーしてください/,
    );
  });
});

test('a day the month lacks is named in the alert and nothing is downloaded', async () => {
  const cases = [
    { query: '', lists: ['Month', 'Day'], save: 'Save set.txt', alert: /^31 April does not exist/ },
    { query: '?lang=ja', lists: ['月', '日'], save: '完了（set.txtを保存）', alert: /^4月31日はありません/ },
  ];
  for (const c of cases) {
    await withPage({ query: c.query }, async (page) => {
      let downloads = 0;
      page.on('download', () => ++downloads);
      await choose(page, c.lists, ['4', '31']);
      await page.getByRole('button', { name: c.save }).click();
      assert.match(await page.getByRole('alert').textContent(), c.alert);
      await page.waitForTimeout(300);
      assert.equal(downloads, 0);
      assert.equal(await page.getByRole('status').textContent(), '');
    });
  }
});

test('lists left without a choice are each named in the alert, in check order', async () => {
  const cases = [
    {
      query: '',
      save: 'Save set.txt',
      alert: ['Year has no valid choice. Nothing was saved.', 'Sound has no valid choice. Nothing was saved.'],
    },
    {
      query: '?lang=ja',
      save: '完了（set.txtを保存）',
      alert: ['「年」が選ばれていません。保存していません。', '「録画音声」が選ばれていません。保存していません。'],
    },
  ];
  for (const c of cases) {
    await withPage({ query: c.query }, async (page) => {
      let downloads = 0;
      page.on('download', () => ++downloads);
      await page.locator('#recordAudio').evaluate((select) => {
        select.selectedIndex = -1;
      });
      await page.locator('#year').evaluate((select) => {
        select.selectedIndex = -1;
      });
      await page.getByRole('button', { name: c.save }).click();
      assert.deepEqual(await page.getByRole('alert').locator('p').allTextContents(), c.alert);
      await page.waitForTimeout(300);
      assert.equal(downloads, 0);
    });
  }
});

test('the clock button takes the local clock plus the lead', async () => {
  await withPage({ now: '2049-12-31T23:30:00+01:00' }, async (page) => {
    await choose(page, ['Image flip', 'Day'], ['Yes', '17']);
    await page.getByLabel('Seconds until the camera is switched on').fill('3600');
    await page.getByRole('button', { name: 'Use this device\u2019s clock' }).click();
    assert.deepEqual(await entries(page), [
      '2050',
      '1',
      '1',
      '0',
      '30',
      '0',
      'Yes',
      '2',
      'Off',
      'On',
      'Mass storage',
      'On',
    ]);
    assert.match(await page.getByRole('status').textContent(), /plus 3600 s: 2050-01-01 00:30:00/);
  });
});

test('a lead outside 0 to 3600 is refused and changes nothing', async () => {
  for (const lead of ['3601', '-1', '2.5', '']) {
    await withPage({}, async (page) => {
      await choose(page, ['Year'], ['2030']);
      await page.getByLabel('Seconds until the camera is switched on').fill(lead);
      await page.getByRole('button', { name: 'Use this device\u2019s clock' }).click();
      assert.match(await page.getByRole('alert').textContent(), /whole number from 0 to 3600/, `lead "${lead}"`);
      assert.deepEqual(await entries(page, LABELS.slice(0, 6)), ['2030', '3', '5', '7', '8', '9']);
    });
  }
});

test('a clock year outside the list leaves the year as it was and says so', async () => {
  await withPage({ now: '2051-02-03T04:05:06+01:00' }, async (page) => {
    assert.deepEqual(await entries(page, LABELS.slice(0, 6)), ['2021', '2', '3', '4', '5', '6']);
    assert.match(
      await page.getByRole('status').textContent(),
      /says 2051, outside 2021 to 2050: the year was left as it was/,
    );
    await choose(page, ['Year', 'Hour'], ['2035', '20']);
    await page.getByRole('button', { name: 'Use this device\u2019s clock' }).click();
    // The clock's reading moved on by the 30 s the lead starts at.
    assert.deepEqual(await entries(page, LABELS.slice(0, 6)), ['2035', '2', '3', '4', '5', '36']);
  });
});

// The page's own clock (Playwright's, once installed), in the same form.
function pageTime(page) {
  return page.evaluate(() => {
    const d = new Date();
    const two = (n) => String(n).padStart(2, '0');
    return `${d.getFullYear()}-${two(d.getMonth() + 1)}-${two(d.getDate())} ${two(d.getHours())}:${two(d.getMinutes())}:${two(d.getSeconds())}`;
  });
}

async function saveByDownload(page, name = 'Save set.txt') {
  const [download] = await Promise.all([page.waitForEvent('download'), page.getByRole('button', { name }).click()]);
  return savedBytes(download);
}

// A fresh offline page (and browser profile) whose clock is Playwright's, standing still at `at` until a test
// moves it; `init` runs in the page before its own scripts.
async function withClock(at, body, init) {
  const context = await offlineContext(browser);
  try {
    if (init) await context.addInitScript(init);
    await context.clock.install({ time: new Date(at).getTime() - 60000 });
    await context.clock.pauseAt(new Date(at));
    const page = await openPage(context, '?lang=en');
    await body(page, context.clock);
    assert.deepEqual(page.errors, []);
    assert.deepEqual(context.outside, []);
  } finally {
    await context.close();
  }
}

test("after a save with the clock's time the page counts down to the second the file names", async () => {
  await withClock('2024-03-05T07:08:09.400+01:00', async (page, clock) => {
    const timer = page.getByRole('timer');
    const status = page.getByRole('status');
    assert.equal(await timer.isHidden(), true);
    await page.getByLabel('Seconds until the camera is switched on').fill('17');
    await page.getByRole('button', { name: 'Use this device\u2019s clock' }).click();
    const bytes = await saveByDownload(page);
    assert.equal(writtenTime(bytes), '2024-03-05 07:08:26');
    assert.equal(await timer.textContent(), 'Switch the camera on in 17 s');

    await clock.runFor(600);
    assert.equal(await timer.textContent(), 'Switch the camera on in 16 s');
    await page.getByRole('button', { name: '日本語' }).click();
    assert.equal(await timer.textContent(), 'カメラの電源を入れるまで16秒');
    await clock.runFor(15999);
    assert.equal(await timer.textContent(), 'カメラの電源を入れるまで1秒');
    assert.doesNotMatch(await status.textContent(), /今カメラの電源を入れてください/);

    // The countdown ends in the very second the file names: the camera's clock is right if switched on now.
    await clock.runFor(1);
    assert.equal(await pageTime(page), writtenTime(bytes));
    assert.equal(await timer.textContent(), '今カメラの電源を入れてください');
    assert.match(await status.textContent(), /^set\.txt を保存しました.*今カメラの電源を入れてください$/);
    await clock.runFor(999);
    assert.equal(await timer.textContent(), '今カメラの電源を入れてください');

    await clock.runFor(1);
    assert.equal(
      await timer.textContent(),
      '今電源を入れると、カメラの時計は1秒遅れます。正しい時刻にするには、もう一度保存し、カードの古い set.txt を削除してから、' +
        '新しいファイルを set.txt という名前でコピーしてください（2回目のダウンロードは「set\u00a0(1).txt」などの名前になることがあります）。',
    );
    // Only the first sentence stands out; the rest is plain type.
    assert.deepEqual(
      await timer.evaluate((element) => [
        element.querySelector('strong').textContent,
        getComputedStyle(element).fontWeight,
      ]),
      ['今電源を入れると、カメラの時計は1秒遅れます。', '400'],
    );
    assert.doesNotMatch(await status.textContent(), /今カメラの電源/);
    await page.getByRole('button', { name: 'English' }).click();
    await clock.runFor(60000);
    assert.equal(
      await timer.textContent(),
      'If you switch the camera on now, its clock will be 61 s behind. To set it right, save again, ' +
        'delete the old set.txt from the card and copy the new file there as set.txt (a second download may be named \u201cset\u00a0(1).txt\u201d).',
    );
    assert.equal(await status.locator('#switchOnNow').count(), 0, 'the status says "now" only in that second');

    // The countdown changed neither the lists nor anything else; a hand on a date list means the next save is not fresh.
    assert.deepEqual(await entries(page, LABELS.slice(0, 6)), ['2024', '3', '5', '7', '8', '26']);
    await choose(page, ['Minute'], ['30']);
    await clock.runFor(1000);
    assert.match(
      await timer.textContent(),
      /62 s behind\. To set it right, press \u201cUse this device\u2019s clock\u201d, save again, delete the old set\.txt/,
    );

    // A save of a hand-picked time ends the countdown and starts none.
    assert.equal(writtenTime(await saveByDownload(page)), '2024-03-05 07:30:26');
    assert.equal(await timer.isHidden(), true);
    await clock.runFor(30000);
    assert.equal(await timer.isHidden(), true);
  });
});

test('a save reads the clock afresh while the date and time lists still hold its reading; a hand-picked one shows no countdown', async () => {
  const cases = [
    {
      name: 'clock button, saved at once',
      lead: '30',
      button: true,
      wait: 0,
      written: '2024-03-05 07:08:39',
      timer: 'Switch the camera on in 30 s',
    },
    {
      name: 'clock button, saved 20 s later',
      lead: '30',
      button: true,
      wait: 20000,
      written: '2024-03-05 07:08:59',
      timer: 'Switch the camera on in 30 s',
    },
    {
      name: 'opened with the clock, lead typed',
      lead: '45',
      wait: 3000,
      written: '2024-03-05 07:08:57',
      timer: 'Switch the camera on in 45 s',
    },
    {
      name: 'no lead: on at once',
      lead: '0',
      button: true,
      wait: 0,
      written: '2024-03-05 07:08:09',
      timer: 'Switch the camera on now',
    },
    {
      name: 'a minute picked by hand after the clock',
      lead: '30',
      button: true,
      hand: ['Minute', '20'],
      wait: 5000,
      written: '2024-03-05 07:20:39',
      timer: null,
    },
    { name: 'a date read from a file', lead: '30', open: true, wait: 0, written: '2050-12-31 23:59:59', timer: null },
  ];
  for (const c of cases) {
    await withClock('2024-03-05T07:08:09.400+01:00', async (page, clock) => {
      await page.getByLabel('Seconds until the camera is switched on').fill(c.lead);
      if (c.button) await page.getByRole('button', { name: 'Use this device\u2019s clock' }).click();
      if (c.hand) await choose(page, [c.hand[0]], [c.hand[1]]);
      if (c.open) {
        await page
          .getByLabel('Open set.txt')
          .setInputFiles({ name: 'set.txt', mimeType: 'text/plain', buffer: Buffer.from(LAST_FILE) });
        await page.getByRole('status').filter({ hasText: 'Read set.txt' }).waitFor();
      }
      await clock.runFor(c.wait);
      const bytes = await saveByDownload(page);
      assert.equal(writtenTime(bytes), c.written, c.name);
      assert.equal(
        await page
          .getByRole('status')
          .locator('p')
          .first()
          .textContent()
          .then((s) => s.includes(`(${c.written},`)),
        true,
        c.name,
      );
      const [year, month, day, hour, minute, second] = c.written.split(/[- :]/).map(Number);
      assert.deepEqual(
        await entries(page, LABELS.slice(0, 6)),
        [year, month, day, hour, minute, second].map(String),
        c.name,
      );
      assert.equal(await page.locator('#clockOff').isVisible(), c.timer === null, c.name);
      if (c.timer === null) {
        assert.equal(await page.getByRole('timer').count(), 0, c.name);
      } else {
        assert.equal(await page.getByRole('timer').textContent(), c.timer, c.name);
      }
    });
  }
});

const LEAD = 'Seconds until the camera is switched on';

test('a fresh profile counts down 30 s from the first save; a reload keeps the lead last saved with', async () => {
  await withClock('2024-03-05T07:08:09.400+01:00', async (page, clock) => {
    const lead = page.getByLabel(LEAD);
    assert.equal(await lead.inputValue(), '30');
    assert.equal(
      await lead.evaluate((field) => document.getElementById(field.getAttribute('aria-describedby')).textContent),
      'Time to put the card into the camera and switch it on.',
    );
    assert.equal(writtenTime(await saveByDownload(page)), '2024-03-05 07:08:39');
    assert.equal(await page.getByRole('timer').textContent(), 'Switch the camera on in 30 s');

    await lead.fill('45');
    await saveByDownload(page);
    await lead.fill('50'); // typed but not saved with
    await page.reload();
    await page.waitForSelector('body[data-ready="true"]');
    assert.equal(await lead.inputValue(), '45');
    await clock.runFor(2000);
    assert.equal(writtenTime(await saveByDownload(page)), '2024-03-05 07:08:56');
    assert.equal(await page.getByRole('timer').textContent(), 'Switch the camera on in 45 s');
  });
});

test('a browser that refuses the page its storage still starts at 30 s and saves with a countdown', async () => {
  await withClock(
    '2024-03-05T07:08:09.400+01:00',
    async (page) => {
      assert.equal(await page.getByLabel(LEAD).inputValue(), '30');
      await page.getByLabel(LEAD).fill('20');
      assert.equal(writtenTime(await saveByDownload(page)), '2024-03-05 07:08:29');
      assert.equal(await page.getByRole('timer').textContent(), 'Switch the camera on in 20 s');
    },
    () => {
      Object.defineProperty(window, 'localStorage', {
        get() {
          throw new DOMException('storage is off', 'SecurityError');
        },
      });
    },
  );
});

test('a date or time picked by hand says, where the countdown shows, that there is none and how to get it back', async () => {
  await withClock('2024-03-05T07:08:09.400+01:00', async (page) => {
    const notice = page.locator('#clockOff');
    assert.equal(await notice.isVisible(), false);
    await choose(page, ['Minute'], ['20']);
    assert.equal(
      await notice.textContent(),
      'The date and time are saved as shown, with no countdown to switching the camera on. ' +
        'For a countdown, press \u201cUse this device\u2019s clock\u201d.',
    );
    await page.getByRole('button', { name: '日本語' }).click();
    assert.equal(
      await notice.textContent(),
      '日付と時刻は表示どおりに保存され、電源を入れるまでのカウントダウンはありません。' +
        'カウントダウンするには「この端末の時計に合わせる」を押してください。',
    );
    await page.getByRole('button', { name: 'この端末の時計に合わせる' }).click();
    assert.equal(await notice.isVisible(), false);
    await saveByDownload(page, '完了（set.txtを保存）');
    assert.equal(await page.getByRole('timer').textContent(), 'カメラの電源を入れるまで30秒');
    assert.equal(await notice.isVisible(), false);
  });
});

test("a screen reader hears a bare number's unit in its list's name", async () => {
  const cases = [
    { query: '?lang=en', name: 'Recording length (min)', plain: 'Year' },
    { query: '?lang=ja', name: '録画時間（分）', plain: '年' },
  ];
  for (const c of cases) {
    await withPage({ query: c.query }, async (page) => {
      assert.equal(await page.getByRole('combobox', { name: c.name, exact: true }).count(), 1, c.name);
      assert.equal(await page.getByRole('combobox', { name: c.plain, exact: true }).count(), 1, c.plain);
    });
  }
});

// The words a page that cannot start shows in place of the settings.
const NEEDS = {
  ja: /このページを使うには JavaScript と WebAssembly が必要です/,
  en: /This page needs JavaScript and WebAssembly/,
};

test('with JavaScript off, or WebAssembly refused, the page says in both languages what it needs', async () => {
  const cases = [
    { name: 'JavaScript off', options: { javaScriptEnabled: false } },
    {
      name: 'no WebAssembly',
      init: () => {
        delete window.WebAssembly;
      },
    },
    {
      name: 'WebAssembly refused',
      init: () => {
        WebAssembly.instantiate = () => Promise.reject(new WebAssembly.CompileError('blocked'));
      },
    },
  ];
  for (const c of cases) {
    const context = await offlineContext(browser, c.options ?? {});
    try {
      if (c.init) await context.addInitScript(c.init);
      const page = await context.newPage();
      await page.goto(pageUrl);
      const shown = await page.locator('body').innerText();
      assert.match(shown, NEEDS.ja, c.name);
      assert.match(shown, NEEDS.en, c.name);
      assert.equal(await page.locator('main').isVisible(), false, c.name);
      assert.deepEqual(context.outside, [], c.name);
    } finally {
      await context.close();
    }
  }
});

// The page from a local web server (the browser's own file storage needs an origin), with its
// save dialog replaced by one that hands out files of that storage; `window.pick` says what the
// next dialog does: { name } picks that name; { error } throws it; { fail } names the step at which
// the handle fails; { wait } keeps the dialog open until `window.closeDialog()`.
async function withSaveDialog(body) {
  const html = fs.readFileSync(pagePath);
  const server = http.createServer((request, response) => {
    if (request.url.split('?')[0] !== '/halvo.html') return response.writeHead(404).end();
    response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' }).end(html);
  });
  server.keepAliveTimeout = 1000;
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const bound = setTimeout(() => server.close(), 60000).unref();
  const url = `http://127.0.0.1:${server.address().port}/halvo.html`;
  const context = await offlineContext(browser, { offline: false }, url);
  try {
    await context.addInitScript(() => {
      window.pick = { name: 'set.txt' };
      window.picked = [];
      window.showSaveFilePicker = async function (options) {
        window.picked.push(JSON.parse(JSON.stringify(options)));
        const pick = window.pick;
        if (pick.error) throw new DOMException('dialog: ' + pick.error, pick.error);
        if (pick.wait)
          await new Promise((resolve) => {
            window.closeDialog = resolve;
          });
        const handle = await (await navigator.storage.getDirectory()).getFileHandle(pick.name, { create: true });
        if (!pick.fail) return handle;
        return {
          name: handle.name,
          async createWritable() {
            if (pick.fail === 'open') throw new DOMException('no permission', 'NotAllowedError');
            const stream = await handle.createWritable();
            return {
              write: (data) =>
                pick.fail === 'write'
                  ? Promise.reject(new DOMException('the card is full', 'QuotaExceededError'))
                  : stream.write(data),
              close: () => stream.close(),
              abort: () => stream.abort(),
            };
          },
          async getFile() {
            if (pick.fail === 'read') throw new DOMException('the card was removed', 'NotReadableError');
            const file = await handle.getFile();
            return pick.fail === 'differ' ? new File([(await file.arrayBuffer()).slice(1)], file.name) : file;
          },
        };
      };
    });
    const page = await openPage(context, '?lang=en', url);
    page.stored = (name) =>
      page.evaluate(async (name) => {
        try {
          const file = await (await (await navigator.storage.getDirectory()).getFileHandle(name)).getFile();
          return Array.from(new Uint8Array(await file.arrayBuffer()));
        } catch (error) {
          return error.name;
        }
      }, name);
    await body(page, context);
    assert.deepEqual(page.errors, []);
    assert.deepEqual(context.outside, []);
  } finally {
    await context.close();
    clearTimeout(bound);
    server.close();
    server.closeAllConnections();
  }
}

test('where the browser offers a save dialog, set.txt is written through it and read back', async () => {
  const wrote =
    /^Wrote set\.txt and read it back: it holds what was saved \(2050-12-31 23:59:59, Image flip Yes, .*Sound Off, .*\)\. The camera takes the settings from set\.txt in the top folder of its card/;
  const cases = [
    { pick: { name: 'set.txt' }, status: wrote, alert: [], file: 'new' },
    { pick: { name: 'SET.TXT' }, status: /^Wrote SET\.TXT and read it back/, alert: [], file: 'new', at: 'SET.TXT' },
    {
      pick: { name: 'set (1).txt' },
      status: /^Wrote set \(1\)\.txt and read it back/,
      alert: ['The camera only reads a file named set.txt: rename set (1).txt to set.txt.'],
      file: 'new',
      at: 'set (1).txt',
    },
    { pick: { error: 'AbortError' }, status: /^Wrote set\.txt and read it back: .*Sound On/, alert: [], file: 'old' },
    {
      pick: { name: 'set.txt', fail: 'open' },
      status: /^$/,
      alert: ['set.txt could not be written (NotAllowedError: no permission). Save it again.'],
      file: 'old',
    },
    {
      pick: { name: 'set.txt', fail: 'write' },
      status: /^$/,
      alert: ['set.txt could not be written (QuotaExceededError: the card is full). Save it again.'],
      file: 'old',
    },
    {
      pick: { name: 'set.txt', fail: 'read' },
      status: /^$/,
      alert: [
        'set.txt was written but could not be read back (NotReadableError: the card was removed). Save it again.',
      ],
      file: 'new',
    },
    {
      pick: { name: 'set.txt', fail: 'differ' },
      status: /^$/,
      alert: [
        'set.txt was written, but reading it back gave different bytes: the card may be faulty. Save it again, or use another card.',
      ],
      file: 'new',
    },
    // A dialog the browser refuses leaves the download.
    {
      pick: { error: 'SecurityError' },
      status: /^Saved set\.txt \(2050-12-31 .*Sound Off.*named exactly set\.txt/,
      alert: [],
      file: 'old',
      download: true,
    },
  ];
  for (const c of cases) {
    await withSaveDialog(async (page) => {
      let downloads = 0;
      page.on('download', () => ++downloads);
      // First a sound save, so that a failed one can be seen to leave it.
      await choose(page, LABELS, LAST_ENTRIES);
      await choose(page, ['Sound'], ['On']);
      await page.getByRole('button', { name: 'Save set.txt' }).click();
      await page.getByRole('status').filter({ hasText: 'Wrote set.txt' }).waitFor();
      const old = await page.stored('set.txt');
      assert.equal(old.length, 282);

      await choose(page, ['Sound'], ['Off']);
      await page.evaluate((pick) => {
        window.pick = pick;
      }, c.pick);
      const saving = c.download ? page.waitForEvent('download') : null;
      await page.getByRole('button', { name: 'Save set.txt' }).click();
      if (saving) assert.deepEqual(await savedBytes(await saving), LAST_FILE);
      await page.waitForFunction(() => window.picked.length === 2);
      await page.waitForTimeout(200);
      const alert = await page.getByRole('alert').locator('p').allTextContents();
      assert.deepEqual(alert, c.alert, JSON.stringify(c.pick));
      assert.match(await page.getByRole('status').textContent(), c.status, JSON.stringify(c.pick));
      assert.deepEqual(
        await page.stored(c.at ?? 'set.txt'),
        c.file === 'new' ? Array.from(LAST_FILE) : old,
        JSON.stringify(c.pick),
      );
      assert.equal(downloads, c.download ? 1 : 0);
      assert.deepEqual(await page.evaluate(() => window.picked[1]), {
        suggestedName: 'set.txt',
        types: [{ description: 'Text file', accept: { 'text/plain': ['.txt'] } }],
      });
    });
  }
});

test('through the save dialog the clock is read when the dialog closes, and the countdown runs', async () => {
  await withSaveDialog(async (page, context) => {
    await context.clock.install({ time: new Date('2026-06-15T09:41:00+02:00') });
    await context.clock.pauseAt(new Date('2026-06-15T09:41:07.250+02:00'));
    await page.getByLabel('Seconds until the camera is switched on').fill('30');
    await page.getByRole('button', { name: 'Use this device\u2019s clock' }).click();
    assert.deepEqual(await entries(page, LABELS.slice(0, 6)), ['2026', '6', '15', '9', '41', '37']);
    await page.evaluate(() => {
      window.pick = { name: 'set.txt', wait: true };
    });
    await page.getByRole('button', { name: 'Save set.txt' }).click();
    await page.waitForFunction(() => typeof window.closeDialog === 'function');
    // A second press while the dialog is open opens no second one.
    await page.getByRole('button', { name: 'Save set.txt' }).click();
    await context.clock.runFor(8000);
    await page.evaluate(() => window.closeDialog());
    await page.getByRole('status').filter({ hasText: 'Wrote set.txt' }).waitFor();
    assert.equal(writtenTime(await page.stored('set.txt')), '2026-06-15 09:41:45');
    assert.equal(await page.getByRole('timer').textContent(), 'Switch the camera on in 30 s');
    assert.equal(await page.evaluate(() => window.picked.length), 1);
    await context.clock.runFor(29750);
    assert.equal(await pageTime(page), '2026-06-15 09:41:45');
    assert.equal(await page.getByRole('timer').textContent(), 'Switch the camera on now');
    // Past it, saving through the dialog again replaces the file on the card: no download names to fear.
    await context.clock.runFor(1000);
    assert.equal(
      await page.getByRole('timer').textContent(),
      'If you switch the camera on now, its clock will be 1 s behind. To set it right, save again and replace set.txt on the card.',
    );
  });
});

test('opening a sound set.txt sets all twelve lists', async () => {
  await withPage({}, async (page) => {
    await page
      .getByLabel('Open set.txt')
      .setInputFiles({ name: 'set.txt', mimeType: 'text/plain', buffer: Buffer.from(LAST_FILE) });
    await page.getByRole('status').filter({ hasText: 'Read set.txt' }).waitFor();
    assert.deepEqual(await entries(page), LAST_ENTRIES);
  });
});

test("a damaged file shows the reader's problem in plain words, with offset and line, and changes nothing", async () => {
  const lfOnly = LAST_FILE.filter((b) => b !== 0x0d);
  const bom = Uint8Array.from([0xef, 0xbb, 0xbf, ...LAST_FILE]);
  const length4 = Uint8Array.from(LAST_FILE);
  length4[121] = 0x34;
  const cut = LAST_FILE.slice(0, 200);
  const cases = [
    {
      query: '',
      open: 'Open set.txt',
      bytes: lfOnly,
      alert:
        /^copied\.txt is not a set\.txt the camera reads: its lines end in LF only, and the camera needs CR LF \(line 1, byte offset 9\)\. Nothing was changed\.$/,
    },
    {
      query: '?lang=ja',
      open: 'set.txtを開く',
      bytes: lfOnly,
      alert:
        /^copied\.txt はカメラが読める set\.txt ではありません：行末が LF だけです。カメラには CR LF の行末が必要です（1行目、オフセット 9）。何も変更していません。$/,
    },
    {
      query: '',
      open: 'Open set.txt',
      bytes: bom,
      alert: /: it starts with an invisible mark that some editors add when saving \(line 1, byte offset 0\)/,
    },
    {
      query: '?lang=ja',
      open: 'set.txtを開く',
      bytes: bom,
      alert: /：ファイルの先頭に、エディターが保存時に付ける目に見えない印があります（1行目、オフセット 0）。/,
    },
    // An editor's re-save is named as such, with what to do about it.
    {
      query: '',
      open: 'Open set.txt',
      bytes: EDITED_UTF8,
      alert:
        /: it was saved by a text editor as UTF-8, and the camera reads only the file as Halvo writes it: save set\.txt again from this page \(line 1, byte offset 0\)/,
    },
    {
      query: '?lang=ja',
      open: 'set.txtを開く',
      bytes: EDITED_SHIFT_JIS,
      alert:
        /：テキストエディターで Shift_JIS として保存し直されています。.*このページでもう一度保存してください（1行目、オフセット 0）/,
    },
    // The same facts in both languages: where the file ends, and how long set.txt is.
    {
      query: '',
      open: 'Open set.txt',
      bytes: cut,
      alert:
        /^copied\.txt is not a set\.txt the camera reads: the file ends after 200 bytes, and set\.txt is 282 bytes \(line 11, byte offset 200\)\. Nothing was changed\.$/,
    },
    {
      query: '?lang=ja',
      open: 'set.txtを開く',
      bytes: cut,
      alert:
        /^copied\.txt はカメラが読める set\.txt ではありません：ファイルが200バイトで終わっています。set\.txt は282バイトです（11行目、オフセット 200）。何も変更していません。$/,
    },
    // The setting is named in the page's language, never with the reader's English words.
    {
      query: '?lang=ja',
      open: 'set.txtを開く',
      bytes: length4,
      alert:
        /^copied\.txt はカメラが読める set\.txt ではありません：カメラが受け付けない値です（8行目「録画時間」、オフセット 121）。何も変更していません。$/,
    },
    {
      query: '',
      open: 'Open set.txt',
      bytes: length4,
      alert:
        /^copied\.txt is not a set\.txt the camera reads: it holds a value the camera does not take \(line 8, Recording length, byte offset 121\)\. Nothing was changed\.$/,
    },
  ];
  for (const c of cases) {
    await withPage({ query: c.query }, async (page) => {
      const before = await page.locator('select').evaluateAll((selects) => selects.map((s) => s.selectedIndex));
      await page
        .getByLabel(c.open)
        .setInputFiles({ name: 'copied.txt', mimeType: 'text/plain', buffer: Buffer.from(c.bytes) });
      const alert = page.getByRole('alert');
      await alert.filter({ hasText: 'copied.txt' }).waitFor();
      assert.match(await alert.textContent(), c.alert);
      assert.deepEqual(
        await page.locator('select').evaluateAll((selects) => selects.map((s) => s.selectedIndex)),
        before,
      );
    });
  }
});

test('a file dropped on the page is read like an opened one', async () => {
  await withPage({}, async (page) => {
    await page.evaluate((bytes) => {
      const transfer = new DataTransfer();
      transfer.items.add(new File([Uint8Array.from(bytes)], 'set.txt'));
      for (const type of ['dragenter', 'dragover', 'drop']) {
        document.body.dispatchEvent(new DragEvent(type, { dataTransfer: transfer, bubbles: true, cancelable: true }));
      }
    }, Array.from(LAST_FILE));
    await page.getByRole('status').filter({ hasText: 'Read set.txt' }).waitFor();
    assert.deepEqual(await entries(page), LAST_ENTRIES);
    assert.equal(await page.locator('#dropCover').isHidden(), true);
  });
});

test('language: from the browser, forced by ?lang=, switched on the page keeping the choices', async () => {
  await withPage({ locale: 'ja-JP' }, async (page) => {
    assert.equal(await page.getByLabel('年', { exact: true }).inputValue(), '3');
    assert.equal(await page.getByLabel('タイムラプス').evaluate((s) => s.selectedOptions[0].text), 'オフ');
    assert.equal(await page.getByRole('button', { name: 'この端末の時計に合わせる' }).count(), 1);
  });
  await withPage({ locale: 'ja-JP', query: '?lang=en' }, async (page) => {
    assert.equal(await page.locator('html').getAttribute('lang'), 'en');
    await page.getByLabel('USB mode').selectOption({ label: 'Video device' });
    await page.getByRole('button', { name: '日本語' }).click();
    assert.equal(await page.getByLabel('USB装置').evaluate((s) => s.selectedOptions[0].text), '録画装置');
    assert.equal(await page.getByRole('button', { name: '日本語' }).getAttribute('aria-pressed'), 'true');
    await page.getByRole('button', { name: 'English' }).click();
    assert.equal(await page.getByLabel('USB mode').evaluate((s) => s.selectedOptions[0].text), 'Video device');
  });
  await withPage({ query: '?lang=ja' }, async (page) => {
    assert.equal(await page.getByLabel('イメージフリップ').evaluate((s) => s.selectedOptions[0].text), 'いいえ');
  });
});

test('fits a 360 px wide screen without sideways scrolling', async () => {
  for (const query of ['?lang=en', '?lang=ja']) {
    await withPage({ query }, async (page) => {
      await page.setViewportSize({ width: 360, height: 740 });
      assert.deepEqual(
        await page.evaluate(() => [document.documentElement.scrollWidth, document.documentElement.clientWidth]),
        [360, 360],
      );
    });
  }
});

test('from a web server as from disk: the core starts, saves the golden bytes, and nothing else is asked for', async () => {
  const html = fs.readFileSync(pagePath);
  const asked = [];
  const server = http.createServer((request, response) => {
    asked.push(request.url);
    response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
    response.end(html);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const url = `http://127.0.0.1:${server.address().port}/halvo.html`;
  // Online, so the server is reachable; the route still refuses everything but the page.
  const context = await offlineContext(browser, { offline: false }, url);
  try {
    const page = await openPage(context, '?lang=en', url);
    await choose(page, LABELS, LAST_ENTRIES);
    const [download] = await Promise.all([
      page.waitForEvent('download'),
      page.getByRole('button', { name: 'Save set.txt' }).click(),
    ]);
    assert.deepEqual(await savedBytes(download), LAST_FILE);
    assert.deepEqual(page.errors, []);
    assert.deepEqual(context.outside, [], 'the page asked for something besides itself');
    assert.deepEqual(
      asked.filter((path) => path !== '/favicon.ico'),
      ['/halvo.html?lang=en'],
    );
  } finally {
    await context.close();
    server.close();
  }
});
