// Debian's Chromium under Playwright, kept off every network: the page must
// work with nothing but itself.
import { chromium } from 'playwright-core';
import { fileURLToPath, pathToFileURL } from 'node:url';
import path from 'node:path';

const here = path.dirname(fileURLToPath(import.meta.url));

/// The built page: HALVO_PAGE, or the web preset's output.
export const pagePath = process.env.HALVO_PAGE ?? path.resolve(here, '../../build/web/halvo.html');
export const pageUrl = pathToFileURL(pagePath).href;

/// Starts Chromium (Playwright gives it a fresh profile of its own).
export function launch() {
  const args = ['--disable-background-networking', '--disable-component-update', '--no-first-run', '--disable-sync'];
  if (process.getuid?.() === 0) args.push('--no-sandbox');
  return chromium.launch({ executablePath: process.env.HALVO_CHROMIUM ?? '/usr/bin/chromium', headless: true, args });
}

/// A new offline context; whatever a page asks for beyond its own file (`only`, by
/// default the page on disk) is refused and listed in `outside`.
export async function offlineContext(browser, options = {}, only = pageUrl) {
  const context = await browser.newContext({ offline: true, locale: 'en-GB', timezoneId: 'Europe/Berlin', ...options });
  context.setDefaultTimeout(5000);
  // Chromium offers the page a save dialog that a test cannot answer: pages start as in a
  // browser without one (they download), and a test that wants the dialog puts in its own.
  await context.addInitScript(() => {
    delete window.showSaveFilePicker;
  });
  const outside = [];
  await context.route('**/*', (route) => {
    const url = route.request().url();
    if (url.split('?')[0] === only) return route.continue();
    outside.push(url);
    return route.abort('blockedbyclient');
  });
  context.outside = outside;
  return context;
}

/// Opens the page (with an optional query; from disk unless `url` says where) and waits until the core has started.
export async function openPage(context, query = '', url = pageUrl) {
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  // A blocked request shows up here too (as a refused load or a content-policy violation).
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  page.errors = errors;
  await page.goto(url + query);
  await page.waitForSelector('body[data-ready="true"]');
  return page;
}
