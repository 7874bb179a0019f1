// Debian's Chromium under Playwright, kept off every network: the page must
// work with nothing but itself.
import { chromium } from 'playwright-core';
import { fileURLToPath, pathToFileURL } from 'node:url';
import path from 'node:path';
import fs from 'node:fs';
import os from 'node:os';

const here = path.dirname(fileURLToPath(import.meta.url));

/// The built page: HALVO_PAGE, or the web preset's output.
export const pagePath = process.env.HALVO_PAGE ?? path.resolve(here, '../../build/web/halvo.html');
export const pageUrl = pathToFileURL(pagePath).href;

/// Starts Chromium with a fresh profile; close() ends it and removes the profile.
export async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'halvo-chromium-'));
  const args = [
    '--disable-background-networking',
    '--disable-component-update',
    '--no-first-run',
    '--disable-sync',
  ];
  if (process.getuid?.() === 0) args.push('--no-sandbox');
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.HALVO_CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args,
    acceptDownloads: true,
    offline: true,
    locale: 'en-GB',
    timezoneId: 'Europe/Berlin',
  });
  // Whatever the page asks for beyond its own file is refused and remembered.
  const outside = [];
  await context.route('**/*', (route) => {
    const url = route.request().url();
    if (url === pageUrl || url.startsWith(pageUrl + '?')) return route.continue();
    outside.push(url);
    return route.abort('blockedbyclient');
  });
  return {
    context,
    outside,
    async close() {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

/// Opens the page (with an optional query) in a new tab and waits until the core has started.
export async function openPage(context, { query = '', viewport } = {}) {
  const page = await context.newPage();
  if (viewport) await page.setViewportSize(viewport);
  await page.goto(pageUrl + query);
  await page.waitForSelector('body[data-ready="true"]');
  return page;
}
