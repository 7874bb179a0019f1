import { chromium } from 'playwright-core';
import { pathToFileURL } from 'node:url';
import fs from 'node:fs';
const url = process.env.U ?? pathToFileURL('/work/main/build/web/halvo.html').href;
const extra = process.argv.slice(2);
const args = ['--disable-background-networking', '--disable-component-update', '--no-first-run', '--disable-sync', '--no-sandbox', ...extra];
const cpu = () => { const f = fs.readFileSync('/proc/stat','utf8').split('\n')[0].split(/\s+/).slice(1).map(Number); return f[0]+f[1]+f[2]+f[5]+f[6]; };
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', headless: true, args });
const ph = {ctx:0, page:0, goto:0, close:0};
const t0 = Date.now();
for (let i = 0; i < 10; ++i) {
  let c = cpu();
  const context = await browser.newContext({ offline: true });
  ph.ctx += cpu() - c; c = cpu();
  const page = await context.newPage();
  ph.page += cpu() - c; c = cpu();
  await page.goto(url);
  if (!process.env.U) await page.waitForSelector('body[data-ready="true"]');
  ph.goto += cpu() - c; c = cpu();
  await context.close();
  ph.close += cpu() - c;
}
console.log((extra.join(' ') || '(none)').padEnd(50), JSON.stringify(ph), Date.now() - t0, 'ms');
await browser.close();
