// The page in Chromium, opened from file:// with the network blocked, and
// from a web server.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import { launch, offlineContext, openPage, pagePath } from './browser.mjs';
import { LAST_FILE } from './golden.mjs';

const LABELS = ['Year', 'Month', 'Day', 'Hour', 'Minute', 'Second',
  'Image flip', 'Recording length', 'Time-lapse', 'Sound', 'USB mode', 'Time stamp'];
const LAST_ENTRIES = ['2050', '12', '31', '23', '59', '59', 'Yes', '5', '10 s', 'Off', 'Video device', 'Off'];

let browser;
before(async () => { browser = await launch(); });
after(async () => { await browser?.close(); });

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
  for (let i = 0; i < labels.length; ++i) await page.getByLabel(labels[i], { exact: true }).selectOption({ label: values[i] });
}

async function savedBytes(download) {
  assert.equal(download.suggestedFilename(), 'set.txt');
  return new Uint8Array(fs.readFileSync(await download.path()));
}

test('opens with the clock\'s date and time and the dialog\'s initial options', async () => {
  await withPage({}, async (page) => {
    assert.deepEqual(await entries(page), ['2024', '3', '5', '7', '8', '9', 'No', '2', 'Off', 'On', 'Mass storage', 'On']);
    assert.equal(await page.getByLabel('Seconds until the camera is switched on').inputValue(), '0');
    const lists = await page.locator('select').evaluateAll((selects) => selects.map((s) => s.options.length));
    assert.deepEqual(lists, [30, 12, 31, 24, 60, 60, 2, 4, 4, 2, 2, 2]);
  });
});

test('keyboard alone: every control in order, choices, and Enter on "Save set.txt" saves the golden bytes', async () => {
  await withPage({}, async (page) => {
    const reached = [];
    for (let i = 0; i < 18; ++i) {
      await page.keyboard.press('Tab');
      reached.push(await page.evaluate(() => {
        const element = document.activeElement;
        return element.labels?.[0]?.textContent ?? element.textContent;
      }));
    }
    assert.deepEqual(reached, ['日本語', 'English', ...LABELS.slice(0, 6), 'Seconds until the camera is switched on',
      'Use this computer\u2019s clock', ...LABELS.slice(6), 'Save set.txt', 'Open set.txt']);

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
    const [download] = await Promise.all([page.waitForEvent('download'), page.getByRole('button', { name: 'Save set.txt' }).click()]);
    assert.deepEqual(await savedBytes(download), LAST_FILE);
    const status = await page.getByRole('status').textContent();
    assert.match(status, /^Saved set\.txt \(2050-12-31 23:59:59, Image flip Yes, Recording length 5 min, Time-lapse 10 s, Sound Off, USB mode Video device, Time stamp Off\)/);
    assert.equal(await page.getByRole('alert').textContent(), '');
    await page.getByRole('button', { name: '日本語' }).click();
    assert.match(await page.getByRole('status').textContent(),
      /^set\.txt を保存しました（2050-12-31 23:59:59、イメージフリップ：はい、録画時間：5分、タイムラプス：10秒、録画音声：オフ、USB装置：録画装置、タイムスタンプ：オフ）。本体をPCと接続し/);
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
    { query: '', save: 'Save set.txt', alert: ['Year has no valid choice. Nothing was saved.', 'Sound has no valid choice. Nothing was saved.'] },
    { query: '?lang=ja', save: '完了（set.txtを保存）', alert: ['「年」が選ばれていません。保存していません。', '「録画音声」が選ばれていません。保存していません。'] },
  ];
  for (const c of cases) {
    await withPage({ query: c.query }, async (page) => {
      let downloads = 0;
      page.on('download', () => ++downloads);
      await page.locator('#recordAudio').evaluate((select) => { select.selectedIndex = -1; });
      await page.locator('#year').evaluate((select) => { select.selectedIndex = -1; });
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
    await page.getByRole('button', { name: 'Use this computer\u2019s clock' }).click();
    assert.deepEqual(await entries(page), ['2050', '1', '1', '0', '30', '0', 'Yes', '2', 'Off', 'On', 'Mass storage', 'On']);
    assert.match(await page.getByRole('status').textContent(), /plus 3600 s: 2050-01-01 00:30:00/);
  });
});

test('a lead outside 0 to 3600 is refused and changes nothing', async () => {
  for (const lead of ['3601', '-1', '2.5', '']) {
    await withPage({}, async (page) => {
      await choose(page, ['Year'], ['2030']);
      await page.getByLabel('Seconds until the camera is switched on').fill(lead);
      await page.getByRole('button', { name: 'Use this computer\u2019s clock' }).click();
      assert.match(await page.getByRole('alert').textContent(), /whole number from 0 to 3600/, `lead "${lead}"`);
      assert.deepEqual(await entries(page, LABELS.slice(0, 6)), ['2030', '3', '5', '7', '8', '9']);
    });
  }
});

test('a clock year outside the list leaves the year as it was and says so', async () => {
  await withPage({ now: '2051-02-03T04:05:06+01:00' }, async (page) => {
    assert.deepEqual(await entries(page, LABELS.slice(0, 6)), ['2021', '2', '3', '4', '5', '6']);
    assert.match(await page.getByRole('status').textContent(), /says 2051, outside 2021 to 2050: the year was left as it was/);
    await choose(page, ['Year', 'Hour'], ['2035', '20']);
    await page.getByRole('button', { name: 'Use this computer\u2019s clock' }).click();
    assert.deepEqual(await entries(page, LABELS.slice(0, 6)), ['2035', '2', '3', '4', '5', '6']);
  });
});

test('opening a sound set.txt sets all twelve lists', async () => {
  await withPage({}, async (page) => {
    await page.getByLabel('Open set.txt').setInputFiles({ name: 'set.txt', mimeType: 'text/plain', buffer: Buffer.from(LAST_FILE) });
    await page.getByRole('status').filter({ hasText: 'Read set.txt' }).waitFor();
    assert.deepEqual(await entries(page), LAST_ENTRIES);
  });
});

test('a damaged file shows the reader\'s problem with offset and line and changes nothing', async () => {
  const cases = [
    { query: '', open: 'Open set.txt', alert: /LF only.*\(byte offset 9, line 1\)\. Nothing was changed\./ },
    { query: '?lang=ja', open: 'set.txtを開く', alert: /改行がCR LFではありません（オフセット 9、1行目 — .*LF only.*）。何も変更していません。/ },
  ];
  for (const c of cases) {
    await withPage({ query: c.query }, async (page) => {
      const before = await page.locator('select').evaluateAll((selects) => selects.map((s) => s.selectedIndex));
      const lfOnly = LAST_FILE.filter((b) => b !== 0x0d);
      await page.getByLabel(c.open).setInputFiles({ name: 'copied.txt', mimeType: 'text/plain', buffer: Buffer.from(lfOnly) });
      const alert = page.getByRole('alert');
      await alert.filter({ hasText: 'copied.txt' }).waitFor();
      assert.match(await alert.textContent(), c.alert);
      assert.deepEqual(await page.locator('select').evaluateAll((selects) => selects.map((s) => s.selectedIndex)), before);
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
    assert.equal(await page.getByRole('button', { name: '自動的にPCの時間に合わせる' }).count(), 1);
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
      assert.deepEqual(await page.evaluate(() => [document.documentElement.scrollWidth, document.documentElement.clientWidth]), [360, 360]);
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
    const [download] = await Promise.all([page.waitForEvent('download'), page.getByRole('button', { name: 'Save set.txt' }).click()]);
    assert.deepEqual(await savedBytes(download), LAST_FILE);
    assert.deepEqual(page.errors, []);
    assert.deepEqual(context.outside, [], 'the page asked for something besides itself');
    assert.deepEqual(asked.filter((path) => path !== '/favicon.ico'), ['/halvo.html?lang=en']);
  } finally {
    await context.close();
    server.close();
  }
});
