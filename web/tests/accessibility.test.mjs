// An automated accessibility audit of the page (axe-core, put into the page by the test, offline):
// no violation of the WCAG 2.1 A and AA rules, in both languages, at desktop and phone width,
// after a save (status and countdown showing).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import { launch, offlineContext, openPage } from './browser.mjs';

const axeSource = fs.readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
const RULES = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa'];

let browser;
before(async () => {
  browser = await launch();
});
after(async () => {
  await browser?.close();
});

test('no WCAG 2.1 A or AA violation in either language, at desktop and phone width, after a save', async () => {
  const layouts = [
    { name: 'desktop', width: 1280, height: 900 },
    { name: 'phone', width: 360, height: 740 },
  ];
  for (const lang of ['en', 'ja']) {
    for (const layout of layouts) {
      const context = await offlineContext(browser, { viewport: { width: layout.width, height: layout.height } });
      try {
        const page = await openPage(context, `?lang=${lang}`);
        const save = page.locator('#save');
        await Promise.all([page.waitForEvent('download'), save.click()]);
        await page.waitForFunction(() => document.getElementById('status').textContent !== '');
        // Evaluated through the browser's tools, which the page's policy does not govern: the page stays as shipped.
        await page.evaluate(axeSource);
        const result = await page.evaluate(
          (tags) => window.axe.run(document, { runOnly: { type: 'tag', values: tags } }),
          RULES,
        );
        const violations = result.violations.map(
          (v) => `${v.id}: ${v.help} (${v.nodes.map((n) => n.target.join(' ')).join(', ')})`,
        );
        assert.deepEqual(violations, [], `${lang}, ${layout.name}`);
        assert.ok(
          result.passes.length > 10,
          `${lang}, ${layout.name}: the audit checked little (${result.passes.length} rules passed)`,
        );
        assert.deepEqual(page.errors, []);
        assert.deepEqual(context.outside, []);
      } finally {
        await context.close();
      }
    }
  }
});
