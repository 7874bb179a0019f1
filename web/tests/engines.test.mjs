// The page in each browser engine its owners use: Chromium, Firefox ESR and WebKitGTK, one start
// each, the same cases in all. None of them is given a save dialog, so a save is the download
// path; the cases go by element ids, option values, file bytes and state, not by sentences.
//
// An engine that is not installed is skipped here with the reason; under CI it fails instead.
import { describe, test as nodeTest, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { pagePath, pageUrl } from './browser.mjs';
import { ENGINES, ZONE } from './engines.mjs';
import { LAST_FILE, LAST_POSITIONS, writtenTime } from './golden.mjs';
import { catchSaves, caught, tryInjectedCode } from './page_scripts.mjs';

const inCI = Boolean(process.env.CI) && process.env.CI !== 'false';

// Runs in the page: what a user sees of it, and the lists' choices.
function shown() {
  const text = (id) => document.getElementById(id).textContent;
  return {
    lang: document.documentElement.lang,
    positions: Array.from(document.querySelectorAll('#settings select:not(#zone)'), (select) => select.selectedIndex),
    status: text('status'),
    alert: text('alert'),
    timer: document.getElementById('countdown').hidden ? null : text('countdown'),
    result: text('clockResult'),
    measurements: document.querySelectorAll('#measurements li').length,
  };
}

async function until(read, done, what) {
  const end = Date.now() + 10000;
  for (;;) {
    const value = await read();
    if (done(value)) return value;
    if (Date.now() > end) assert.fail(`${what}: still ${JSON.stringify(value)} after 10 s`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

/// "2024-03-05 07:08:09": the wall time in `zone` at `ms`.
function zoneTime(zone, ms) {
  const parts = Object.fromEntries(
    new Intl.DateTimeFormat('en-CA', {
      timeZone: zone,
      hourCycle: 'h23',
      year: 'numeric',
      month: '2-digit',
      day: '2-digit',
      hour: '2-digit',
      minute: '2-digit',
      second: '2-digit',
    })
      .formatToParts(ms)
      .map((part) => [part.type, part.value]),
  );
  return `${parts.year}-${parts.month}-${parts.day} ${parts.hour}:${parts.minute}:${parts.second}`;
}

// A wall time as milliseconds on a zone-free scale, to subtract one from another.
const wallClock = (time) => Date.parse(time.replace(' ', 'T') + 'Z');

// The page from a web server that also asks the browser to report, to the server, whatever breaks the
// page's own policy (the same policy, report-only): an engine whose console the test cannot read
// still tells of a violation while the page loads.
const html = fs.readFileSync(pagePath);
const policy = /<meta http-equiv="Content-Security-Policy" content="([^"]*)">/.exec(html.toString('utf8'))?.[1];
if (!policy) throw new Error(`${pagePath} declares no content-security policy`);
const served = { asked: [], reports: [] };
const server = http.createServer((request, response) => {
  if (request.url === '/report') {
    let body = '';
    request.on('data', (chunk) => {
      body += chunk;
    });
    request.on('end', () => {
      served.reports.push(body);
      response.writeHead(204).end();
    });
    return;
  }
  served.asked.push(request.url);
  if (request.url.split('?')[0] !== '/halvo.html') return response.writeHead(404).end();
  response
    .writeHead(200, {
      'Content-Type': 'text/html; charset=utf-8',
      'Content-Security-Policy-Report-Only': `${policy}; report-uri /report`,
    })
    .end(html);
});
server.keepAliveTimeout = 1000;
before(() => new Promise((resolve) => server.listen(0, '127.0.0.1', resolve)));
after(() => {
  server.close();
  server.closeAllConnections();
});

// The files a user would open: the golden one, and the same with its lines ended in LF alone.
const files = fs.mkdtempSync(path.join(os.tmpdir(), 'halvo-engines-'));
const goodFile = path.join(files, 'set.txt');
const damagedFile = path.join(files, 'copied.txt');
fs.writeFileSync(goodFile, LAST_FILE);
fs.writeFileSync(
  damagedFile,
  LAST_FILE.filter((byte) => byte !== 0x0d),
);
after(() => fs.rmSync(files, { recursive: true, force: true }));

for (const { name, missing, start } of ENGINES) {
  const absent = missing();
  const why = absent && `${name} cannot run: ${absent}; scripts/install-deps --all installs it`;
  describe(name, { skip: absent && !inCI ? why : false }, () => {
    let engine = null;
    const need = () => {
      if (!engine) throw new Error(`${name} did not start`);
      return engine;
    };
    // The browser's own request for an icon, refused by the policy, is not the page's doing.
    const noErrors = async () => {
      assert.deepEqual(
        (await engine.errors).filter((error) => !error.includes('/favicon.ico')),
        [],
      );
    };
    after(() => engine?.close());
    // Under CI a missing engine fails "starts" alone, with the reason; its cases are not run.
    const test = (title, body) => nodeTest(title, { skip: absent ? `${name} is not installed` : false }, body);

    nodeTest('starts', async (t) => {
      if (absent) throw new Error(why);
      engine = await start();
      t.diagnostic(`${name} ${engine.version}`);
    });

    test('saves the golden bytes for the last entry of every list, and says so', async () => {
      const e = need();
      await e.goto(pageUrl + '?lang=en');
      const ids = await e.evaluate(() =>
        Array.from(document.querySelectorAll('#settings select:not(#zone)'), (select) => select.id),
      );
      assert.equal(ids.length, LAST_POSITIONS.length);
      for (let i = 0; i < ids.length; ++i) await e.select('#' + ids[i], String(LAST_POSITIONS[i]));
      assert.deepEqual((await e.evaluate(shown)).positions, LAST_POSITIONS);
      await e.evaluate(catchSaves);
      await e.click('#save');
      const saves = await until(
        () => e.evaluate(caught),
        (s) => s.length > 0,
        'the save',
      );
      assert.deepEqual(saves, [{ name: 'set.txt', bytes: Array.from(LAST_FILE) }]);
      const downloaded = await e.downloaded();
      if (downloaded) assert.deepEqual(downloaded, [{ name: 'set.txt', bytes: LAST_FILE }]);
      const after = await e.evaluate(shown);
      assert.ok(after.status.includes('2050-12-31 23:59:59'), after.status);
      assert.equal(after.alert, '');
      assert.equal(after.timer, null, 'a hand-picked time starts no countdown');
      await noErrors();
    });

    test('30 February is refused in both languages: nothing saved, the day named', async () => {
      const e = need();
      const alerts = [];
      for (const lang of ['en', 'ja']) {
        await e.goto(`${pageUrl}?lang=${lang}`);
        await e.evaluate(catchSaves);
        await e.select('#month', '1');
        await e.select('#day', '29');
        await e.click('#save');
        const after = await until(
          () => e.evaluate(shown),
          (s) => s.alert !== '',
          'the alert',
        );
        assert.match(after.alert, /30/, lang);
        assert.equal(after.status, '', lang);
        await sleep(200);
        assert.deepEqual(await e.evaluate(caught), [], lang);
        alerts.push(after.alert);
        await noErrors();
      }
      assert.notEqual(alerts[0], alerts[1], "the alert is worded in the page's language");
    });

    test('an opened set.txt sets every list; a damaged one is refused, naming it, and changes nothing', async () => {
      const e = need();
      await e.goto(pageUrl + '?lang=en');
      await e.upload('#open', goodFile);
      const opened = await until(
        () => e.evaluate(shown),
        (s) => s.status !== '',
        'the status',
      );
      assert.deepEqual(opened.positions, LAST_POSITIONS);
      assert.equal(opened.alert, '');
      await e.upload('#open', damagedFile);
      const refused = await until(
        () => e.evaluate(shown),
        (s) => s.alert !== '',
        'the alert',
      );
      assert.ok(refused.alert.includes('copied.txt'), refused.alert);
      assert.deepEqual(refused.positions, LAST_POSITIONS);
      await noErrors();
    });

    test("a save with the clock's time writes the chosen zone's time plus the lead, and the countdown starts and counts", async () => {
      const e = need();
      const lead = 6;
      // The browser's own zone, one without summer time, and one with it.
      for (const zone of [ZONE, 'Asia/Tokyo', 'America/New_York']) {
        await e.goto(pageUrl + '?lang=en');
        if (zone !== ZONE) await e.select('#zone', zone);
        await e.fill('#lead', String(lead));
        await e.click('#useClock');
        await e.evaluate(catchSaves);
        await e.click('#save');
        const [saved] = await until(
          () => e.evaluate(caught),
          (s) => s.length > 0,
          'the save',
        );
        // The file's wall time against that zone's wall time now, as Node.js reckons it.
        const ahead = (wallClock(writtenTime(saved.bytes)) - wallClock(zoneTime(zone, Date.now()))) / 1000;
        assert.ok(ahead > lead - 4 && ahead <= lead, `${zone}: the file's time is ${ahead} s ahead of the clock`);
      }
      const first = (await e.evaluate(shown)).timer;
      assert.match(first ?? '', /\d/, 'the countdown shows the seconds left');
      const left = Number(/\d+/.exec(first)[0]);
      assert.ok(left >= 1 && left <= lead, first);
      await sleep(1100);
      const next = (await e.evaluate(shown)).timer;
      assert.ok(Number(/\d+/.exec(next)?.[0]) < left, `${first} then ${next}`);
      await noErrors();
    });

    test('a stamp and a reference give an offset, kept as a measurement over a reload until deleted', async () => {
      const e = need();
      await e.goto(pageUrl + '?lang=en');
      assert.equal((await e.evaluate(shown)).measurements, 0);
      await e.fill('#stamp', '07:08:05');
      await e.fill('#reference', '07:08:07.3');
      await e.click('#measure [type="submit"]');
      const measured = await until(
        () => e.evaluate(shown),
        (s) => s.result !== '',
        'the result',
      );
      assert.ok(measured.result.includes('2.3'), measured.result);
      assert.equal(measured.measurements, 1);
      await e.goto(pageUrl + '?lang=en');
      assert.equal((await e.evaluate(shown)).measurements, 1, 'the browser kept the measurement');
      await e.click('#measurements li button');
      assert.equal((await e.evaluate(shown)).measurements, 0);
      await noErrors();
    });

    test("?lang= and the language buttons set the html lang and the words; the zone list starts at the browser's zone", async () => {
      const e = need();
      const words = () =>
        e.evaluate(() => ({
          lang: document.documentElement.lang,
          texts: ['#save', 'label[for="lead"]', '#cameraClockHeading'].map(
            (selector) => document.querySelector(selector).textContent,
          ),
          zone: document.getElementById('zone').value,
        }));
      const seen = {};
      for (const lang of ['ja', 'en']) {
        await e.goto(`${pageUrl}?lang=${lang}`);
        seen[lang] = await words();
        assert.equal(seen[lang].lang, lang);
        for (const text of seen[lang].texts) assert.notEqual(text.trim(), '', lang);
        assert.equal(seen[lang].zone, ZONE, 'the engine names its own zone as the page expects');
      }
      const kana = /[\u3040-\u30ff\u4e00-\u9fff]/;
      seen.ja.texts.forEach((text, i) => assert.notEqual(text, seen.en.texts[i]));
      assert.match(seen.ja.texts.join(''), kana);
      assert.doesNotMatch(seen.en.texts.join(''), kana);
      await e.click('[data-lang="ja"]');
      assert.deepEqual(await words(), seen.ja);
      await e.click('[data-lang="en"]');
      assert.deepEqual(await words(), seen.en);
      await noErrors();
    });

    test('from a web server the policy holds: the core runs, nothing breaks it or is asked for, injected code does not run', async () => {
      const e = need();
      const origin = `http://127.0.0.1:${server.address().port}`;
      served.asked.length = 0;
      served.reports.length = 0;
      await e.goto(`${origin}/halvo.html?lang=en`);
      // The core is WebAssembly, allowed by 'wasm-unsafe-eval' alone: a save proves it ran.
      await e.evaluate(catchSaves);
      await e.click('#save');
      const [saved] = await until(
        () => e.evaluate(caught),
        (s) => s.length > 0,
        'the save',
      );
      assert.equal(saved.bytes.length, LAST_FILE.length);
      await noErrors();
      // The browser's own request for an icon is refused by the policy too, and reported; it is not the page's.
      const reports = () =>
        served.reports
          .map((body) => JSON.parse(body)['csp-report'])
          .filter((report) => !report['blocked-uri'].endsWith('/favicon.ico'));
      await sleep(300);
      assert.deepEqual(reports(), [], 'loading and saving broke the policy');

      const outcome = await e.evaluate(tryInjectedCode);
      assert.deepEqual(outcome, { ran: [], refused: ['script-src', 'script-src-attr', 'script-src-elem'] });
      // The same violations reach the server: had loading the page broken the policy, it would have been heard.
      const reported = await until(reports, (r) => r.length >= 3, 'the reports of the injected code');
      assert.ok(
        reported.every((report) => report['document-uri'].startsWith(origin + '/halvo.html')),
        JSON.stringify(reported),
      );
      assert.equal(reported.length, 3, JSON.stringify(reported));
      assert.deepEqual(
        served.asked.filter((url) => url !== '/favicon.ico'),
        ['/halvo.html?lang=en'],
      );
    });
  });
}
