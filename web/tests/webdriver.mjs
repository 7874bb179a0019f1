// A small W3C WebDriver client for WebKitGTK: WebKitWebDriver starts MiniBrowser in
// automation mode on an X display of its own (Xvfb), so that it needs no desktop and
// shows nothing on one.
import { spawn } from 'node:child_process';
import net from 'node:net';

const ELEMENT = 'element-6066-11e4-a52e-4f735466cecf';

/// Where Debian's WebKitGTK keeps the browser that WebKitWebDriver drives.
export const miniBrowser = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

// Ends a child when this process ends, however it ends, so that no server outlives the tests.
function owned(child) {
  const end = () => child.kill();
  process.once('exit', end);
  child.once('exit', () => process.off('exit', end));
  return child;
}

function stopped(child) {
  if (child.exitCode !== null || child.signalCode !== null) return Promise.resolve();
  return new Promise((resolve) => {
    child.once('exit', resolve);
    child.kill();
  });
}

/// Starts Xvfb on the first free display (it names it on fd 3 once it accepts clients): { display, stop() }.
export function startXvfb() {
  const xvfb = owned(
    spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'], {
      stdio: ['ignore', 'ignore', 'pipe', 'pipe'],
    }),
  );
  let said = '';
  xvfb.stderr.on('data', (chunk) => {
    said += chunk;
  });
  return new Promise((resolve, reject) => {
    let number = '';
    xvfb.once('error', reject);
    xvfb.once('exit', (code) => reject(new Error(`Xvfb ended (${code}) before it started: ${said.trim()}`)));
    xvfb.stdio[3].on('data', (chunk) => {
      number += chunk;
      if (number.includes('\n')) resolve({ display: ':' + number.trim(), stop: () => stopped(xvfb) });
    });
  });
}

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer().once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

/// A WebDriver session: `command` speaks the protocol, the rest are the few steps the tests take.
export class Session {
  constructor(base, id) {
    this.base = base;
    this.id = id;
  }

  async command(method, path, body) {
    const response = await fetch(`${this.base}/session/${this.id}${path}`, {
      method,
      headers: { 'Content-Type': 'application/json; charset=utf-8' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const { value } = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${method} ${path}: ${value?.error}: ${value?.message}`);
    return value;
  }

  async element(selector) {
    const found = await this.command('POST', '/element', { using: 'css selector', value: selector });
    return found[ELEMENT];
  }

  goto(url) {
    return this.command('POST', '/url', { url });
  }
  async click(selector) {
    await this.command('POST', `/element/${await this.element(selector)}/click`, {});
  }
  async clear(selector) {
    await this.command('POST', `/element/${await this.element(selector)}/clear`, {});
  }
  async type(selector, text) {
    await this.command('POST', `/element/${await this.element(selector)}/value`, { text });
  }

  /// Runs `fn(arg)` in the page; its promise, if it returns one, is awaited; a throw comes back as one.
  async evaluate(fn, arg) {
    const script = `const done = arguments[1];
      Promise.resolve().then(() => (${fn})(arguments[0]))
        .then((value) => done({ value: value === undefined ? null : value }), (error) => done({ error: String(error && error.stack || error) }));`;
    const outcome = await this.command('POST', '/execute/async', { script, args: [arg ?? null] });
    if (outcome.error) throw new Error(outcome.error);
    return outcome.value;
  }

  close() {
    return this.command('DELETE', '');
  }
}

async function waitForDriver(base, driver) {
  for (let tries = 0; tries < 300; ++tries) {
    if (driver.exitCode !== null) throw new Error(`WebKitWebDriver ended (${driver.exitCode}) before it answered`);
    try {
      const { value } = await (await fetch(`${base}/status`)).json();
      if (value?.ready) return;
    } catch {
      /* not listening yet */
    }
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  throw new Error('WebKitWebDriver did not answer within 30 s');
}

/// Starts WebKitWebDriver and one MiniBrowser session on a display of its own; `env` adds to the browser's environment.
export async function startWebKit({ env = {} } = {}) {
  const xvfb = await startXvfb();
  let driver;
  try {
    const port = await freePort();
    driver = owned(
      spawn('WebKitWebDriver', [`--port=${port}`], {
        env: { ...process.env, ...env, DISPLAY: xvfb.display },
        stdio: ['ignore', 'ignore', 'inherit'],
      }),
    );
    const base = `http://127.0.0.1:${port}`;
    await waitForDriver(base, driver);
    const response = await fetch(`${base}/session`, {
      method: 'POST',
      headers: { 'Content-Type': 'application/json; charset=utf-8' },
      body: JSON.stringify({
        capabilities: {
          alwaysMatch: {
            browserName: 'MiniBrowser',
            'webkitgtk:browserOptions': { binary: miniBrowser, args: ['--automation'] },
          },
        },
      }),
    });
    const { value } = await response.json();
    if (!response.ok) throw new Error(`WebKitWebDriver refused a session: ${value?.error}: ${value?.message}`);
    const session = new Session(base, value.sessionId);
    session.version = value.capabilities.browserVersion;
    session.stop = async () => {
      await session.close().catch(() => {});
      await stopped(driver);
      await xvfb.stop();
    };
    return session;
  } catch (error) {
    if (driver) await stopped(driver);
    await xvfb.stop();
    throw error;
  }
}
