// The page's content-security policy: it allows the page's own scripts and style by their hashes and
// nothing else, so the page works while an injected inline handler, script or evaluation does not run.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import crypto from 'node:crypto';
import fs from 'node:fs';
import { launch, offlineContext, openPage, pagePath } from './browser.mjs';
import { tryInjectedCode } from './page_scripts.mjs';

let browser;
before(async () => {
  browser = await launch();
});
after(async () => {
  await browser?.close();
});

const html = fs.readFileSync(pagePath, 'utf8');

function policy() {
  const meta = html.match(/<meta http-equiv="Content-Security-Policy" content="([^"]*)">/);
  assert.ok(meta, 'the page declares no content-security policy');
  return Object.fromEntries(
    meta[1]
      .split(';')
      .map((part) => part.trim().split(/\s+/))
      .map(([name, ...values]) => [name, values]),
  );
}

// The hash of each inline element as a browser computes it, over the text between its tags.
function hashesOf(tag) {
  return [...html.matchAll(new RegExp(`<${tag}>([\\s\\S]*?)</${tag}>`, 'g'))].map(
    (m) => `'sha256-${crypto.createHash('sha256').update(m[1], 'utf8').digest('base64')}'`,
  );
}

test("the policy allows the page's own scripts and style by hash, and no inline code or evaluation", () => {
  const p = policy();
  assert.deepEqual(p['default-src'], ["'none'"]);
  const scripts = hashesOf('script');
  assert.equal(scripts.length, 1, "the page's modules and the core, bundled");
  assert.deepEqual(p['script-src'], [...scripts, "'wasm-unsafe-eval'"]);
  assert.deepEqual(p['style-src'], hashesOf('style'));
  for (const [name, values] of Object.entries(p)) {
    assert.ok(!values.includes("'unsafe-inline'") && !values.includes("'unsafe-eval'"), `${name}: ${values.join(' ')}`);
  }
});

test('under the policy the page works, and an injected inline handler, script or evaluation does not run', async () => {
  const context = await offlineContext(browser);
  try {
    const page = await openPage(context, '?lang=en');
    // The core runs: a save gives a file and the page says so.
    const [download] = await Promise.all([
      page.waitForEvent('download'),
      page.getByRole('button', { name: 'Save set.txt' }).click(),
    ]);
    assert.equal(fs.statSync(await download.path()).size, 282);
    assert.match(await page.getByRole('status').textContent(), /^Saved set\.txt/);
    assert.equal(await page.evaluate(() => getComputedStyle(document.body).display), 'block');
    assert.notEqual(
      await page.evaluate(() => getComputedStyle(document.querySelector('header')).display),
      'inline',
      "the page's style was not applied",
    );
    assert.deepEqual(page.errors, []);

    const outcome = await page.evaluate(tryInjectedCode);
    assert.deepEqual(outcome, { ran: [], refused: ['script-src', 'script-src-attr', 'script-src-elem'] });
    assert.deepEqual(context.outside, []);
  } finally {
    await context.close();
  }
});
