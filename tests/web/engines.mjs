// The engines at 800x600 (Firefox in a window, for WebGL); every call on them ends in time.
import { CHROMIUM_FLAGS } from '../../tools/browser/browser.mjs';
import puppeteer from 'puppeteer-core';
import { spawn } from 'node:child_process';
import { once } from 'node:events';
import { createServer } from 'node:net';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const VIEWPORT = { width: 800, height: 600 };
// A start on a busy machine takes 10-20 s.
const LIMIT_MS = 60000;

// `promise`, or a failure naming `what` once it has not settled within `ms`.
/** @template T @param {Promise<T>} promise @param {string} what @returns {Promise<T>} */
export const bounded = (promise, what, ms = LIMIT_MS) => new Promise((done, fail) => {
  const timer = setTimeout(() => fail(new Error(`${what}: no answer in ${ms / 1000} s`)), ms);
  promise.then(done, fail).finally(() => clearTimeout(timer));
});
/** @param {string} expression */
const asked = (expression) => expression.replace(/\s+/g, ' ').slice(0, 80);

/** @param {string} name @returns {Promise<Engine>} */
async function puppeteerEngine(name) {
  const chromium = name === 'chromium', profile = mkdtempSync(join(tmpdir(), 'plume-'));
  const browser = await puppeteer.launch({ timeout: LIMIT_MS, protocolTimeout: LIMIT_MS,
    defaultViewport: VIEWPORT, ...chromium ? { executablePath: '/usr/bin/chromium', headless: true,
      userDataDir: profile, args: CHROMIUM_FLAGS.filter((flag) => flag !== '--headless') }
      : { browser: 'firefox', protocol: 'webDriverBiDi', executablePath: '/usr/bin/firefox-esr',
        headless: false, extraPrefsFirefox: { 'webgl.force-enabled': true } } });
  const page = (await browser.pages())[0] ?? await browser.newPage();
  const cdp = chromium ? await page.createCDPSession() : null;
  let front = /** @type {import('puppeteer-core').Page | null} */ (null);
  return { name, page: chromium ? page : null,
    goto: (url) => page.goto(url, { timeout: LIMIT_MS }).then(() => true, () => false),
    evaluate: (expression) => bounded(page.evaluate(expression), asked(expression)),
    screenshot: async () => Buffer.from(await page.screenshot()),
    resize: async (width, height, deviceScaleFactor = 1, mobile = false) => void await (cdp
      ? cdp.send('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor, mobile })
      : page.setViewport({ width, height })),
    beforeScripts: async (source) => {
      const { identifier } = await page.evaluateOnNewDocument(source);
      return () => page.removeScriptToEvaluateOnNewDocument(identifier);
    },
    hide: async () => { await (front = await browser.newPage()).bringToFront(); },
    show: async () => { await page.bringToFront(); await front?.close(); },
    setFrozen: cdp && (async (frozen) => void await cdp.send('Page.setWebLifecycleState',
      { state: frozen ? 'frozen' : 'active' })),
    close: () => bounded(browser.close(), 'closing the browser').catch(() =>
      browser.process()?.kill('SIGKILL')).then(() =>
      rmSync(profile, { recursive: true, force: true, maxRetries: 20, retryDelay: 100 })),
  };
}

/** @param {string} miniBrowser @returns {Promise<Engine>} */
async function webkit(miniBrowser) {
  const probe = createServer().listen(0, '127.0.0.1');
  await once(probe, 'listening');
  const { port } = /** @type {import('node:net').AddressInfo} */ (probe.address());
  probe.close();
  const driver = spawn('WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore' });
  const ended = new Promise((done) => driver.once('exit', done));
  let session = '';
  /** @param {string} method @param {string} path @param {object} [body] */
  const call = async (method, path, body = method === 'POST' ? {} : undefined) => {
    const response = await fetch(`http://127.0.0.1:${port}${session}${path}`, { method,
      headers: { 'Content-Type': 'application/json' }, body: body && JSON.stringify(body),
      signal: AbortSignal.timeout(LIMIT_MS) });
    const { value } = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${method} ${path}: ${value.message}`);
    return value;
  };
  const started = await until(() => call('GET', '/status').then((s) => s.ready, () => false)) &&
    await call('POST', '/session', { capabilities: { alwaysMatch: { 'webkitgtk:browserOptions':
      { binary: miniBrowser, args: ['--automation'] } } } }).catch(() => null);
  if (!started) driver.kill();
  if (!started) throw new Error('WebKitWebDriver did not start a session');
  session = `/session/${started.sessionId}`;
  /** @param {string} expression */
  const evaluate = (expression) => call('POST', '/execute/sync', { script:
    `return (${expression});`, args: [] }).catch((/** @type {Error} */ error) => {
    throw new Error(`${asked(expression)}: ${error.message}`);
  });
  // The window's size counts MiniBrowser's toolbar.
  /** @param {number} width @param {number} height */
  const resize = async (width, height) => {
    const [x, y] = await evaluate('[outerWidth - innerWidth, outerHeight - innerHeight]');
    await call('POST', '/window/rect', { width: width + x, height: height + y });
  };
  await resize(VIEWPORT.width, VIEWPORT.height);
  let shown = { width: 0, height: 0 };
  return { name: 'webkit', evaluate, resize, beforeScripts: null, setFrozen: null, page: null,
    goto: (url) => call('POST', '/url', { url }).then(() => true, () => false),
    screenshot: async () => Buffer.from(await call('GET', '/screenshot'), 'base64'),
    // Another window leaves MiniBrowser's page visible: minimised, it is hidden.
    hide: async () => { shown = await call('GET', '/window/rect'); await call('POST', '/window/minimize'); },
    show: () => call('POST', '/window/rect', { width: shown.width, height: shown.height }),
    close: () => call('DELETE', '').catch(() => {}).then(() => driver.kill() && ended),
  };
}

// The engine, whose `hide` returns once the page says it is hidden.
/** @param {string} name @param {string} miniBrowser */
export async function openEngine(name, miniBrowser) {
  const engine = await (name === 'webkit' ? webkit(miniBrowser) : puppeteerEngine(name));
  const hide = engine.hide;
  engine.hide = async () => {
    await hide();
    if (!await waitFor(engine, "document.visibilityState === 'hidden'", 10000)) {
      throw new Error('the page did not say it was hidden in 10 s');
    }
  };
  return engine;
}

/** @param {number} ms */
export const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// True once `ask()` resolves truthy, false after `ms`.
/** @param {() => Promise<unknown>} ask */
export async function until(ask, ms = LIMIT_MS) {
  for (const deadline = Date.now() + ms; Date.now() < deadline; await sleep(50)) {
    if (await ask()) return true;
  }
  return false;
}

// `expression` evaluated, or `whileGone` where a navigation replaced the page mid-question.
const GONE = /Execution context was destroyed|[Ff]rame was detached|detached frame|no such frame/;
/** @param {Engine} engine @param {string} expression @param {unknown} whileGone */
export const answer = (engine, expression, whileGone) => engine.evaluate(expression).catch(
  (/** @type {Error} */ error) => {
    if (GONE.test(error.message)) return whileGone;
    throw error;
  });
// True once `condition` (a page expression, or a promise of one) holds, false after `ms`.
/** @param {Engine} engine @param {string} condition */
export const waitFor = (engine, condition, ms = LIMIT_MS) =>
  until(() => answer(engine, `Promise.resolve(${condition}).then(Boolean)`, false), ms);
