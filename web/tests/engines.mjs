// The page's browsers behind one thin interface, so that one set of cases runs in each:
// Debian's Chromium (Playwright), Firefox ESR (puppeteer over WebDriver BiDi) and
// WebKitGTK (MiniBrowser through WebKitWebDriver). Each starts once and opens page after page.
//
//   engine.goto(url)              opens url and waits until the core has started
//   engine.click(selector)        a pointer's click, as a user's
//   engine.select(selector, value) picks the option of that value, as a user would
//   engine.fill(selector, text)   replaces a field's text by typing
//   engine.upload(selector, path) gives a file input that file
//   engine.evaluate(fn, arg)      fn(arg) in the page, awaited
//   engine.errors                 the page's script errors (and console errors, where the engine passes them on) since goto
//   engine.downloaded()           the files the browser itself saved since goto (after a save), where the engine tells them
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { launch } from './browser.mjs';
import { miniBrowser, startWebKit } from './webdriver.mjs';

/// Every engine's clock and zone list start in the same zone as the Chromium tests'.
export const ZONE = 'Europe/Berlin';

function onPath(program) {
  try {
    execFileSync('sh', ['-c', `command -v ${program}`], { stdio: 'ignore' });
    return true;
  } catch {
    return false;
  }
}

const chromiumPath = process.env.HALVO_CHROMIUM ?? '/usr/bin/chromium';
const firefoxPath = process.env.HALVO_FIREFOX ?? '/usr/bin/firefox-esr';

async function ready(evaluate) {
  const until = Date.now() + 10000;
  while (!(await evaluate(() => document.body?.dataset.ready === 'true'))) {
    if (Date.now() > until) throw new Error('the page did not start within 10 s');
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

async function chromium() {
  const browser = await launch();
  // One profile for every page, as in the other engines: storage lasts from page to page. Everything
  // but the page itself is refused, as in the other Chromium tests; a page served by the test's own
  // server may also reach that server.
  const context = await browser.newContext({ locale: 'en-GB', timezoneId: ZONE, acceptDownloads: true });
  await context.addInitScript(() => {
    delete window.showSaveFilePicker;
  });
  let own = null;
  await context.route('**/*', (route) =>
    route.request().url().startsWith(own) ? route.continue() : route.abort('blockedbyclient'),
  );
  const page = await context.newPage();
  page.setDefaultTimeout(10000);
  let downloads = [];
  const engine = {
    version: browser.version(),
    errors: [],
    async goto(url) {
      own = url.startsWith('http:') ? new URL(url).origin + '/' : url.split('?')[0];
      engine.errors = [];
      downloads = [];
      await page.goto(url);
      await ready(engine.evaluate);
    },
    downloaded: () =>
      Promise.all(
        downloads.map(async (download) => ({
          name: download.suggestedFilename(),
          bytes: new Uint8Array(fs.readFileSync(await download.path())),
        })),
      ),
    click: (selector) => page.click(selector),
    select: (selector, value) => page.selectOption(selector, { value }).then(() => {}),
    fill: (selector, text) => page.fill(selector, text),
    upload: (selector, file) => page.setInputFiles(selector, file),
    evaluate: (fn, arg) => page.evaluate(fn, arg),
    close: () => browser.close(),
  };
  page.on('pageerror', (error) => engine.errors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') engine.errors.push(message.text());
  });
  page.on('download', (download) => downloads.push(download));
  return engine;
}

async function firefox() {
  const { default: puppeteer } = await import('puppeteer-core');
  // Firefox would save downloads into the home folder: they go to a folder of the test's own.
  const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'halvo-firefox-'));
  const browser = await puppeteer.launch({
    // Its first start makes a profile, which on a busy machine takes more than puppeteer's 30 s.
    browser: 'firefox',
    executablePath: firefoxPath,
    headless: true,
    env: { ...process.env, TZ: ZONE },
    timeout: 120000,
    extraPrefsFirefox: {
      'browser.download.dir': downloads,
      'browser.download.folderList': 2,
      'browser.download.useDownloadDir': true,
      'browser.download.always_ask_before_handling_new_types': false,
      'intl.locale.requested': 'en-GB',
    },
  });
  const page = (await browser.pages())[0] ?? (await browser.newPage());
  page.setDefaultTimeout(10000);
  const engine = {
    version: await browser.version(),
    errors: [],
    async goto(url) {
      engine.errors = [];
      for (const name of fs.readdirSync(downloads)) fs.rmSync(path.join(downloads, name));
      await page.goto(url);
      await ready(engine.evaluate);
    },
    // Firefox writes a download beside an empty file of its name and moves it there when complete.
    async downloaded() {
      const until = Date.now() + 5000;
      for (;;) {
        const names = fs.readdirSync(downloads);
        const done = names.length > 0 && !names.some((name) => name.endsWith('.part'));
        if (done || Date.now() > until) {
          return names.map((name) => ({ name, bytes: new Uint8Array(fs.readFileSync(path.join(downloads, name))) }));
        }
        await new Promise((resolve) => setTimeout(resolve, 100));
      }
    },
    click: (selector) => page.click(selector),
    select: (selector, value) => page.select(selector, value).then(() => {}),
    fill: (selector, text) => page.locator(selector).fill(text),
    upload: async (selector, file) => (await page.$(selector)).uploadFile(file),
    evaluate: (fn, arg) => page.evaluate(fn, arg),
    async close() {
      await browser.close();
      fs.rmSync(downloads, { recursive: true, force: true });
    },
  };
  page.on('pageerror', (error) => engine.errors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') engine.errors.push(message.text());
  });
  return engine;
}

async function webkit() {
  const session = await startWebKit({ env: { TZ: ZONE } });
  const engine = {
    version: session.version,
    // Classic WebDriver does not pass on the page's console: the page's uncaught errors are gathered
    // in the page once it has started (and the policy's case has violations reported to its server).
    get errors() {
      return session.evaluate(() => window.halvoErrors);
    },
    // MiniBrowser keeps its downloads to itself.
    downloaded: async () => null,
    async goto(url) {
      await session.goto(url);
      await ready(engine.evaluate);
      await session.evaluate(() => {
        window.halvoErrors = [];
        window.addEventListener('error', (event) => window.halvoErrors.push(event.message));
        window.addEventListener('unhandledrejection', (event) => window.halvoErrors.push(String(event.reason)));
      });
    },
    click: (selector) => session.click(selector),
    // Clicking an option selects it and fires input and change, as a user's choice does.
    select: (selector, value) => session.click(`${selector} option[value="${value}"]`),
    async fill(selector, text) {
      await session.clear(selector);
      await session.type(selector, text);
    },
    // Typing a path into a file input gives it that file.
    upload: (selector, file) => session.type(selector, file),
    evaluate: (fn, arg) => session.evaluate(fn, arg),
    close: () => session.stop(),
  };
  return engine;
}

/// Each engine: its name, why it cannot run here (null when it can), and how to start it.
export const ENGINES = [
  {
    name: 'Chromium',
    missing: () => (fs.existsSync(chromiumPath) ? null : `${chromiumPath} is not installed`),
    start: chromium,
  },
  {
    name: 'Firefox ESR',
    missing: () => (fs.existsSync(firefoxPath) ? null : `${firefoxPath} is not installed`),
    start: firefox,
  },
  {
    name: 'WebKitGTK',
    missing: () =>
      !onPath('WebKitWebDriver')
        ? 'WebKitWebDriver is not installed (Debian package webkit2gtk-driver)'
        : !fs.existsSync(miniBrowser)
          ? `${miniBrowser} is not installed`
          : !onPath('Xvfb')
            ? 'Xvfb is not installed (Debian package xvfb)'
            : null,
    start: webkit,
  },
];
