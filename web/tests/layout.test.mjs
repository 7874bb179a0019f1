// The page at a phone's width (390 px), in both languages: what sits beside
// what, so that a label, a hint or a button is read with the right thing.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { launch, offlineContext, openPage } from './browser.mjs';

let browser;
before(async () => {
  browser = await launch();
});
after(async () => {
  await browser?.close();
});

const box = (page, selector) => page.locator(selector).first().boundingBox();
const sameLine = (a, b) => a.y < b.y + b.height && b.y < a.y + a.height;

test('at 390 px: the checkbox beside its label, the lead hint above the clock button, "Delete" on its row', async () => {
  for (const lang of ['en', 'ja']) {
    const context = await offlineContext(browser, { viewport: { width: 390, height: 844 } });
    try {
      await context.clock.setFixedTime(new Date('2024-03-05T07:08:09+01:00'));
      // A long camera name makes the longest label and measurement rows.
      await context.addInitScript(() => {
        const camera = {
          measurements: [{ at: Date.parse('2024-03-04T06:00:00Z'), offset: -35994 }],
          set: null,
          correction: 0,
          apply: false,
        };
        localStorage.setItem(
          'halvo.cameraClock',
          JSON.stringify({ camera: 'dashboard camera', bound: 20, cameras: { 'dashboard camera': camera } }),
        );
      });
      const page = await openPage(context, `?lang=${lang}`);
      const checkbox = await box(page, '#useCorrection');
      const label = await box(page, '#useCorrectionLabel');
      assert.ok(
        sameLine(checkbox, label) && checkbox.x + checkbox.width <= label.x,
        `${lang}: checkbox beside its label`,
      );
      const hint = await box(page, '#leadHint');
      const lead = await box(page, '#lead');
      const button = await box(page, '#useClock');
      assert.ok(
        hint.y + hint.height <= lead.y && hint.y + hint.height <= button.y,
        `${lang}: the hint is above the field and the button`,
      );
      const row = await box(page, '#measurements li span');
      const remove = await box(page, '#measurements li button');
      assert.ok(sameLine(row, remove) && row.x + row.width <= remove.x, `${lang}: "Delete" beside its row`);
      assert.deepEqual(
        await page.evaluate(() => [document.documentElement.scrollWidth, document.documentElement.clientWidth]),
        [390, 390],
      );
      for (const id of ['stamp', 'reference', 'correction', 'bound']) {
        assert.equal(await page.locator(`#${id}`).getAttribute('inputmode'), 'decimal', id);
      }
      assert.deepEqual(page.errors, []);
    } finally {
      await context.close();
    }
  }
});
