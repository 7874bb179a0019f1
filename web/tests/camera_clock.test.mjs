// The page's part of the camera's clock in Chromium, with the page's clock set
// by the test: the reference clock, measurements, the correction and the zone.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { launch, offlineContext, openPage } from './browser.mjs';
import { writtenTime } from './golden.mjs';

const ms = (iso) => Date.parse(iso);

let browser;
before(async () => {
  browser = await launch();
});
after(async () => {
  await browser?.close();
});

// A fresh offline page whose clock is Playwright's, standing still at `at` until a test moves it.
async function withClock(at, body, { query = '?lang=en', init } = {}) {
  const context = await offlineContext(browser);
  try {
    if (init) await context.addInitScript(init);
    await context.clock.install({ time: new Date(at).getTime() - 60000 });
    await context.clock.pauseAt(new Date(at));
    const page = await openPage(context, query);
    await body(page, context.clock);
    assert.deepEqual(page.errors, []);
    assert.deepEqual(context.outside, []);
  } finally {
    await context.close();
  }
}

async function save(page, name = 'Save set.txt') {
  const [download] = await Promise.all([page.waitForEvent('download'), page.getByRole('button', { name }).click()]);
  return writtenTime(fs.readFileSync(await download.path()));
}

async function measure(page, stamp, reference) {
  await page.getByLabel('Camera\u2019s time stamp (HH:MM:SS)').fill(stamp);
  await page.getByLabel('This clock in the same frame (HH:MM:SS.t)').fill(reference);
  await page.getByRole('button', { name: 'Work out the offset' }).press('Enter');
  return page.locator('#clockResult').textContent();
}

// Scrolls the reference clock into view and waits until it runs (it stops off the screen).
async function showReference(page) {
  await page.locator('#referenceClock').scrollIntoViewIfNeeded();
  await page.locator('#referenceClock[data-running="true"]').waitFor();
}

const items = (page) => page.locator('#measurements li span').allTextContents();
const zoneList = (page) => page.getByLabel('Time zone of the written time');

test("the reference clock runs in tenths of the chosen zone's time", async () => {
  await withClock('2024-03-05T07:08:09.400+01:00', async (page, pageClock) => {
    const reference = page.locator('#referenceClock');
    assert.equal(await reference.textContent(), '07:08:09.4');
    await showReference(page);
    await pageClock.runFor(120); // a frame's time beyond the tenth
    assert.equal(await reference.textContent(), '07:08:09.5');
    await pageClock.runFor(1000);
    assert.equal(await reference.textContent(), '07:08:10.5');
    assert.equal(await zoneList(page).inputValue(), 'Europe/Berlin');
    await zoneList(page).selectOption('UTC');
    await pageClock.runFor(20);
    assert.equal(await reference.textContent(), '06:08:10.5');
    assert.equal(await page.locator('#referenceZone').textContent(), 'Time in UTC');
  });
});

test('a stamp and a reference give the offset, kept with its date until deleted; wrong entries are named', async () => {
  await withClock('2024-03-05T07:08:09.400+01:00', async (page) => {
    const cases = [
      ['07:08:05', '07:08:07.3', 'The camera is 2.3 s behind.'],
      ['07:08:08', '07:08:07.0', 'The camera is 1.0 s ahead.'],
      ['00:00:01', '23:59:59.5', 'The camera is 1.5 s ahead.'],
      [
        '23:30:00',
        '00:30:00.0',
        'The camera is 1 h behind \u2014 most likely summer time or another time zone: see \u201cTime zone of the written time\u201d. Apart from the hour, it is right to the tenth of a second.',
      ],
      ['07:00:00', '07:00:00', 'The camera\u2019s clock is right to the tenth of a second.'],
      [
        '7:0',
        '07:00:00.0',
        'Type the camera\u2019s time stamp as hours, minutes and seconds, such as 14:03:07 (or 14.03.07).',
      ],
      [
        '07:00:00',
        '24:00:00.0',
        'Type this clock\u2019s time as hours, minutes, seconds and tenths, such as 14:03:09.3 (or 14.03.09.3).',
      ],
      [
        '07:00:00',
        '07:00:00.25',
        'Type this clock\u2019s time as hours, minutes, seconds and tenths, such as 14:03:09.3 (or 14.03.09.3).',
      ],
    ];
    for (const [stamp, reference, said] of cases)
      assert.equal(await measure(page, stamp, reference), said, `${stamp} ${reference}`);
    // A reference later in the day than now was filmed yesterday.
    assert.deepEqual(await items(page), [
      '4 Mar 2024, 23:59: 1.5 s ahead',
      '5 Mar 2024, 00:30: 1 h behind (time zone or summer time), apart from that right',
      '5 Mar 2024, 07:00: right',
      '5 Mar 2024, 07:08: 1.0 s ahead',
      '5 Mar 2024, 07:08: 2.3 s behind',
    ]);
    const stored = await page.evaluate(
      () => JSON.parse(localStorage.getItem('halvo.cameraClock')).cameras[''].measurements,
    );
    assert.deepEqual(
      stored.map((m) => [new Date(m.at).toISOString(), m.offset]),
      [
        ['2024-03-04T22:59:59.500Z', 15],
        ['2024-03-04T23:30:00.000Z', -36000],
        ['2024-03-05T06:00:00.000Z', 0],
        ['2024-03-05T06:08:07.000Z', 10],
        ['2024-03-05T06:08:07.300Z', -23],
      ],
    );
    await page.reload();
    await page.waitForSelector('body[data-ready="true"]');
    assert.equal((await items(page)).length, 5, 'kept over a reload');
    await page.getByRole('button', { name: 'Delete the measurement of 4 Mar 2024, 23:59' }).click();
    assert.deepEqual(await items(page), [
      '5 Mar 2024, 00:30: 1 h behind (time zone or summer time), apart from that right',
      '5 Mar 2024, 07:00: right',
      '5 Mar 2024, 07:08: 1.0 s ahead',
      '5 Mar 2024, 07:08: 2.3 s behind',
    ]);
    assert.equal(
      await page.evaluate(() => document.activeElement.getAttribute('aria-label')),
      'Delete the measurement of 5 Mar 2024, 00:30',
    );

    // Another camera keeps its own.
    await page.getByLabel('Camera name').fill('dash');
    await page.getByLabel('Camera name').press('Tab');
    assert.deepEqual(await items(page), []);
    assert.equal(await page.getByRole('heading', { name: 'Measurements of dash' }).count(), 1);
    await page.getByLabel('Camera name').fill('');
    await page.getByLabel('Camera name').press('Tab');
    assert.equal((await items(page)).length, 4);
  });
});

test('after a countdown save a measurement offers the start-up correction, which the next save applies', async () => {
  await withClock('2024-03-05T07:08:09.400+01:00', async (page, pageClock) => {
    const timer = page.getByRole('timer');
    await page.getByLabel('Seconds until the camera is switched on').fill('30');
    assert.equal(await save(page), '2024-03-05 07:08:39');
    assert.equal(
      await page.locator('#status p').nth(1).textContent(),
      'On 31 March 2024 at 02:00 the clocks go forward 1 h; the camera will not: set it again then.',
    );
    await pageClock.runFor(60000);
    assert.equal(await measure(page, '07:09:05', '07:09:06.3'), 'The camera is 1.3 s behind.');
    assert.match(
      await page.locator('#clockOffer p').textContent(),
      /^The camera takes 1\.3 s to start\. Take this as its correction, and saves with this device\u2019s clock will write the time 1\.3 s later and end the countdown 1\.3 s sooner/,
    );
    await page.getByRole('button', { name: 'Use 1.3 s as the correction' }).click();
    assert.equal(await page.getByLabel('Correct for the start-up delay of my camera').isChecked(), true);
    assert.equal(await page.getByLabel('Start-up correction in seconds').inputValue(), '1.3');
    assert.equal(await page.locator('#clockOffer').textContent(), '');
    // Taken, it says what it does and what comes next, beside the correction, until a save uses it.
    const next = page.locator('#correctionNext');
    assert.equal(
      await next.textContent(),
      'The next save with this device\u2019s clock uses the correction of 1.3 s for my camera. ' +
        'Until then the camera keeps its offset: save again, put the new set.txt on the card and switch the camera on when the countdown ends.',
    );
    assert.equal(await next.isVisible(), true);
    await page.getByRole('button', { name: '日本語' }).click();
    assert.equal(
      await next.textContent(),
      '次にこの端末の時計で保存するとき、「マイカメラ」の補正（1.3秒）を使います。それまでカメラの時計のずれは変わりません。' +
        'もう一度保存して新しい set.txt をカードに入れ、カウントダウンが終わったときにカメラの電源を入れてください。',
    );
    await page.getByRole('button', { name: 'English' }).click();

    // 07:10:00.0 + 30 s + 1.3 s: the file says 07:10:31, and the countdown ends 1.3 s before it.
    await pageClock.runFor(50600);
    assert.equal(await save(page), '2024-03-05 07:10:31');
    assert.equal(await timer.textContent(), 'Switch the camera on in 30 s');
    // The save names the correction that moved the written second; the camera now has it.
    assert.deepEqual((await page.locator('#status p:not(#switchOnNow)').allTextContents()).slice(1), [
      'The time written includes the start-up correction of 1.3 s for my camera.',
      'On 31 March 2024 at 02:00 the clocks go forward 1 h; the camera will not: set it again then.',
    ]);
    assert.equal(await next.textContent(), '');
    await page.getByRole('button', { name: '日本語' }).click();
    assert.equal(
      await page.locator('#status p').nth(1).textContent(),
      '書き込んだ時刻には「マイカメラ」の起動時間の補正（1.3秒）が入っています。',
    );
    await page.getByRole('button', { name: 'English' }).click();
    await pageClock.runFor(29699);
    assert.equal(await timer.textContent(), 'Switch the camera on in 1 s');
    await pageClock.runFor(1);
    assert.equal(await timer.textContent(), 'Switch the camera on now');
    await showReference(page);
    assert.equal(await page.locator('#referenceClock').textContent(), '07:10:29.7');

    // Typed corrections: out of range or finer than tenths are refused and the old one stays.
    const field = page.getByLabel('Start-up correction in seconds');
    for (const typed of ['61', '1.25', 'soon']) {
      await field.fill(typed);
      await field.press('Tab');
      assert.equal(
        await page.locator('#correctionNote').textContent(),
        'Type a number of seconds from \u221260 to 60, such as 1.3 or \u22120.5. The correction stays at 1.3 s.',
        typed,
      );
      assert.equal(await field.inputValue(), '1.3');
    }
    // Full-width, as a Japanese keyboard types it, is taken like plain digits.
    await field.fill('２．４');
    await field.press('Tab');
    assert.equal(await page.locator('#correctionNote').textContent(), '');
    assert.equal(await field.inputValue(), '2.4');
    await field.fill('-0.5');
    await field.press('Tab');
    assert.equal(await page.locator('#correctionNote').textContent(), '');
    await pageClock.runFor(300); // 07:10:30.0 + 30 s - 0.5 s
    assert.equal(await save(page), '2024-03-05 07:10:59');
    assert.equal(await timer.textContent(), 'Switch the camera on in 30 s');
    await page.getByLabel('Correct for the start-up delay of my camera').uncheck();
    assert.equal(await save(page), '2024-03-05 07:11:00');
    const kept = await page.evaluate(() => JSON.parse(localStorage.getItem('halvo.cameraClock')).cameras['']);
    assert.deepEqual(
      [kept.correction, kept.apply, kept.set],
      [-5, false, { at: ms('2024-03-05T07:11:00+01:00'), correction: 0 }],
    );
  });
});

test('the chosen zone sets the written time and names its next change of offset', async () => {
  const cases = [
    { zone: 'UTC', written: '2024-03-05 06:08:39', note: [] },
    { zone: 'Asia/Tokyo', written: '2024-03-05 15:08:39', note: [] },
    {
      zone: 'America/New_York',
      written: '2024-03-05 01:08:39',
      note: ['On 10 March 2024 at 02:00 the clocks go forward 1 h; the camera will not: set it again then.'],
    },
    {
      zone: 'Australia/Sydney',
      written: '2024-03-05 17:08:39',
      note: ['On 7 April 2024 at 03:00 the clocks go back 1 h; the camera will not: set it again then.'],
    },
    {
      zone: 'Australia/Lord_Howe',
      written: '2024-03-05 17:08:39',
      note: ['On 7 April 2024 at 02:00 the clocks go back 30 min; the camera will not: set it again then.'],
    },
    {
      zone: 'Australia/Lord_Howe',
      query: '?lang=ja',
      save: '完了（set.txtを保存）',
      written: '2024-03-05 17:08:39',
      note: ['2024年4月7日2時00分に時計が30分戻りますが、カメラの時計は戻りません。そのときに設定し直してください。'],
    },
  ];
  for (const c of cases) {
    await withClock(
      '2024-03-05T07:08:09.000+01:00',
      async (page) => {
        await page.locator('#zone').selectOption(c.zone);
        assert.equal(await save(page, c.save), c.written, c.zone);
        assert.deepEqual(
          await page
            .locator('#status p:not(#switchOnNow)')
            .allTextContents()
            .then((p) => p.slice(1)),
          c.note,
          c.zone,
        );
      },
      { query: c.query },
    );
  }
});

test('drift from a measurement at set-up and a later one, and when to set it again', async () => {
  await withClock('2024-03-05T07:08:09.400+01:00', async (page, pageClock) => {
    assert.equal(await save(page), '2024-03-05 07:08:39');
    await pageClock.runFor(60000);
    await measure(page, '07:09:08', '07:09:08.0');
    assert.equal(
      await page.locator('#drift').textContent(),
      'Measure again a day or more later to see how fast the clock drifts.',
    );
    await pageClock.fastForward(10 * 86400000);
    await measure(page, '07:09:07', '07:09:08.0');
    assert.equal(
      await page.locator('#drift').textContent(),
      'The clock loses 0.10 s a day. It will be off by more than 2.0 s on 25 March 2024: set it again by then.',
    );
    const bound = page.getByLabel('Set it again before it is off by more than (s)');
    await bound.fill('5');
    await bound.press('Tab');
    assert.match(await page.locator('#drift').textContent(), /more than 5\.0 s on 24 April 2024:/);
    await bound.fill('0');
    await bound.press('Tab');
    assert.equal(
      await page.locator('#boundNote').textContent(),
      'Type a number of seconds from 0.1 to 60, such as 2 or 2.5. The limit stays at 5.0 s.',
    );
    await bound.fill('0.5');
    await bound.press('Tab');
    assert.match(await page.locator('#drift').textContent(), /It is off by more than 0\.5 s already: set it again\.$/);
    await page.getByRole('button', { name: '日本語' }).click();
    assert.equal(
      await page.locator('#drift').textContent(),
      '時計は1日に0.10秒遅れます。すでに0.5秒を超えてずれています。設定し直してください。',
    );
  });
});

test("without the browser's storage the page still measures, and says it cannot keep them", async () => {
  const init = () =>
    Object.defineProperty(window, 'localStorage', {
      get() {
        throw new DOMException('denied', 'SecurityError');
      },
    });
  await withClock(
    '2024-03-05T07:08:09.400+01:00',
    async (page) => {
      assert.equal(await measure(page, '07:08:05', '07:08:07.3'), 'The camera is 2.3 s behind.');
      assert.deepEqual(await items(page), ['5 Mar 2024, 07:08: 2.3 s behind']);
      assert.match(await page.locator('#storageOff').textContent(), /does not let the page keep measurements/);
      assert.equal(await save(page), '2024-03-05 07:08:39');
    },
    { init },
  );
});

test("an offset of about an hour is named as a zone or summer time, apart from the camera's own seconds, which alone drift", async () => {
  const cases = [
    {
      query: '?lang=en',
      stamp: '00:54:05',
      reference: '01:54:04.4',
      said: 'The camera is 1 h behind \u2014 most likely summer time or another time zone: see \u201cTime zone of the written time\u201d. Apart from the hour, it is 0.6 s ahead.',
      item: '5 Mar 2024, 01:54: 1 h behind (time zone or summer time), apart from that 0.6 s ahead',
    },
    {
      query: '?lang=ja',
      stamp: '００：５４：０５',
      reference: '01.54.04.4',
      said: 'カメラの時計は1時間遅れています。夏時間か別のタイムゾーンの時刻になっている可能性が高いので、「書き込む時刻のタイムゾーン」を確かめてください。この1時間を除くと、0.6秒進んでいます。',
      item: '2024/03/05 1:54：1時間遅れ（時差）、それを除くと0.6秒進み',
    },
    {
      query: '?lang=en',
      stamp: '22:08:03',
      reference: '07:08:04.1',
      said: 'The camera is 9 h behind \u2014 most likely summer time or another time zone: see \u201cTime zone of the written time\u201d. Apart from those 9 h, it is 1.1 s behind.',
    },
  ];
  for (const c of cases) {
    await withClock(
      '2024-03-05T07:08:09.400+01:00',
      async (page) => {
        await page.locator('#stamp').fill(c.stamp);
        await page.locator('#reference').fill(c.reference);
        await page.locator('#measure button').press('Enter');
        assert.equal(await page.locator('#clockResult').textContent(), c.said);
        if (c.item) assert.deepEqual(await items(page), [c.item]);
      },
      { query: c.query },
    );
  }

  // After a save: no start-up correction from an hour off, and the drift counts only the seconds.
  await withClock('2024-03-05T07:08:09.400+01:00', async (page, pageClock) => {
    assert.equal(await save(page), '2024-03-05 07:08:39');
    await pageClock.runFor(60000);
    await measure(page, '06:09:08', '07:09:08.0');
    assert.equal(await page.locator('#takeCorrection').count(), 0);
    assert.match(
      await page.locator('#clockOffer').textContent(),
      /^The measurement from the day the camera was set is off by a time zone or summer time/,
    );
    await pageClock.fastForward(10 * 86400000);
    await measure(page, '06:09:07', '07:09:08.0');
    assert.equal(
      await page.locator('#drift').textContent(),
      'The clock loses 0.10 s a day. It will be off by more than 2.0 s on 25 March 2024: set it again by then.',
    );
  });
});

test('every measurement the page does not use says why; one taken after a day gives no start-up correction', async () => {
  await withClock('2024-03-05T07:08:09.400+01:00', async (page, pageClock) => {
    await measure(page, '07:08:05', '07:08:07.3');
    assert.equal(
      await page.locator('#clockOffer').textContent(),
      'To measure how long the camera takes to start, save with this device\u2019s clock, switch the camera on when the countdown ends, and measure within a day.',
    );
    await pageClock.runFor(10000);
    assert.equal(await save(page), '2024-03-05 07:08:49');
    assert.deepEqual(await items(page), [
      '5 Mar 2024, 07:08: 2.3 s behind \u2014 made before the camera was last set, so not used',
    ]);
    assert.equal(await page.locator('#drift').textContent(), '');

    // More than a day after the switch-on: drift, not the start-up delay, and the page says so.
    await pageClock.fastForward(2 * 86400000);
    await measure(page, '07:08:15', '07:08:15.0');
    assert.equal(await page.locator('#takeCorrection').count(), 0);
    assert.equal(
      await page.locator('#clockOffer').textContent(),
      'None of these measurements shows how long the camera takes to start: ' +
        'that needs one made within a day of switching it on (5 Mar 2024, 07:08), and they were made later.',
    );
    assert.equal(
      await page.locator('#drift').textContent(),
      'Measure again a day or more later to see how fast the clock drifts.',
    );
    // Less than a day after the first since the setting: no drift yet, and why.
    await pageClock.fastForward(3600000);
    await measure(page, '08:08:15', '08:08:15.0');
    assert.equal(
      await page.locator('#drift').textContent(),
      'The latest measurement is less than a day after the first since the camera was set ' +
        '(7 Mar 2024, 07:08): measure again a day or more after that one to see how fast the clock drifts.',
    );
    await page.getByRole('button', { name: '日本語' }).click();
    assert.equal((await items(page))[0], '2024/03/05 7:08：2.3秒遅れ（前回カメラを設定する前の測定なので使いません）');
    assert.match(await page.locator('#clockOffer').textContent(), /^どの測定からも起動にかかる時間はわかりません。/);
  });
});
