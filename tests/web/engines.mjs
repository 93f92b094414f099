// The engines, opened once at 800x600 and a pixel ratio of 1: Chromium (headless) and Firefox (a
// window: WebGL) through Puppeteer, WebKitGTK's MiniBrowser through WebKitWebDriver. What one's
// automation cannot do is null; `page` is Chromium's.
/**
 * @typedef {{ name: string, goto: (url: string) => Promise<boolean>,
 *   evaluate: (expression: string) => Promise<any>, screenshot: () => Promise<Buffer>,
 *   resize: (width: number, height: number, ratio?: number, mobile?: boolean) => Promise<void>,
 *   hide: () => Promise<void>, show: () => Promise<unknown>,
 *   setOffline: ((offline: boolean) => Promise<void>) | null,
 *   beforeScripts: ((source: string) => Promise<() => Promise<void>>) | null,
 *   setFrozen: ((frozen: boolean) => Promise<void>) | null,
 *   page: import('puppeteer-core').Page | null, close: () => Promise<unknown> }} Engine
 */
import { CHROMIUM_FLAGS } from '../../tools/browser/browser.mjs';
import puppeteer from 'puppeteer-core';
import { spawn } from 'node:child_process';
import { createServer } from 'node:net';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const VIEWPORT = { width: 800, height: 600 };
// A start on a busy machine takes 10-20 s.
const START_MS = 90000;

/** @param {string} name @param {string[]} flags @returns {Promise<Engine>} */
async function puppeteerEngine(name, flags) {
  const chromium = name === 'chromium', profile = mkdtempSync(join(tmpdir(), 'plume-'));
  const browser = await puppeteer.launch({ timeout: START_MS, defaultViewport: VIEWPORT,
    ...chromium ? { executablePath: '/usr/bin/chromium', headless: true, userDataDir: profile,
      args: [...CHROMIUM_FLAGS.filter((flag) => flag !== '--headless'), ...flags] }
      : { browser: 'firefox', protocol: 'webDriverBiDi', executablePath: '/usr/bin/firefox-esr',
        headless: false, extraPrefsFirefox: { 'webgl.force-enabled': true } } });
  const page = (await browser.pages())[0] ?? await browser.newPage();
  const cdp = chromium ? await page.createCDPSession() : null;
  let front = /** @type {import('puppeteer-core').Page | null} */ (null);
  /** @type {Engine} */
  const engine = { name, page: chromium ? page : null,
    goto: (url) => page.goto(url).then(() => true, () => false),
    evaluate: (expression) => page.evaluate(expression),
    screenshot: async () => Buffer.from(await page.screenshot()),
    resize: (width, height, deviceScaleFactor = 1, mobile = false) => cdp ? cdp.send(
      'Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor, mobile })
      .then(() => {}) : page.setViewport({ width, height }),
    setOffline: (offline) => page.setOfflineMode(offline),
    beforeScripts: async (source) => {
      const { identifier } = await page.evaluateOnNewDocument(source);
      return () => page.removeScriptToEvaluateOnNewDocument(identifier);
    },
    hide: async () => { await (front = await browser.newPage()).bringToFront(); },
    show: async () => { await page.bringToFront(); await front?.close(); },
    setFrozen: cdp && ((frozen) => cdp.send('Page.setWebLifecycleState',
      { state: frozen ? 'frozen' : 'active' }).then(() => {})),
    close: () => browser.close().catch(() => {}).then(() =>
      rmSync(profile, { recursive: true, force: true, maxRetries: 20, retryDelay: 100 })),
  };
  return engine;
}

// WebKitGTK through its driver on a free loopback port.
/** @param {string} miniBrowser @returns {Promise<Engine>} */
async function webkit(miniBrowser) {
  const port = await new Promise((done) => {
    const probe = createServer().listen(0, '127.0.0.1', () => {
      const { port } = /** @type {import('node:net').AddressInfo} */ (probe.address());
      probe.close(() => done(port));
    });
  });
  const driver = spawn('WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore' });
  const ended = new Promise((done) => driver.once('exit', done));
  let session = '';
  /** @param {string} method @param {string} path @param {object} [body] */
  const call = async (method, path, body = method === 'POST' ? {} : undefined) => {
    const response = await fetch(`http://127.0.0.1:${port}${session}${path}`, { method,
      headers: { 'Content-Type': 'application/json' }, body: body && JSON.stringify(body) });
    const { value } = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${method} ${path}: ${value.message}`);
    return value;
  };
  try {
    if (!await until(() => call('GET', '/status').then((s) => s.ready, () => false), START_MS)) {
      throw new Error('WebKitWebDriver did not answer');
    }
    session = `/session/${(await call('POST', '/session', { capabilities: { alwaysMatch: {
      'webkitgtk:browserOptions': { binary: miniBrowser, args: ['--automation'] } } } }))
      .sessionId}`;
  } catch (error) {
    driver.kill();
    throw error;
  }
  /** @param {string} expression */
  const evaluate = (expression) => call('POST', '/execute/sync',
    { script: `return (${expression});`, args: [] });
  // The window's size counts MiniBrowser's toolbar.
  /** @param {number} width @param {number} height */
  const resize = async (width, height) => {
    const [x, y] = await evaluate('[outerWidth - innerWidth, outerHeight - innerHeight]');
    await call('POST', '/window/rect', { width: width + x, height: height + y });
  };
  await resize(VIEWPORT.width, VIEWPORT.height);
  let shown = { width: 0, height: 0 };
  return { name: 'webkit', evaluate, resize, setOffline: null, beforeScripts: null,
    setFrozen: null, page: null,
    goto: (url) => call('POST', '/url', { url }).then(() => true, () => false),
    screenshot: async () => Buffer.from(await call('GET', '/screenshot'), 'base64'),
    // Another window leaves MiniBrowser's page visible: minimised, it is hidden.
    hide: async () => { shown = await call('GET', '/window/rect'); await call('POST', '/window/minimize'); },
    show: () => call('POST', '/window/rect', { width: shown.width, height: shown.height }),
    close: () => call('DELETE', '').catch(() => {}).then(() => driver.kill() && ended),
  };
}

/** @param {string} name @param {string} [miniBrowser] @param {string[]} [flags] */
export const openEngine = (name, miniBrowser = '', flags = []) =>
  name === 'webkit' ? webkit(miniBrowser) : puppeteerEngine(name, flags);

/** @param {number} ms */
export const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// True once `ask()` resolves truthy, false after `ms`.
/** @param {() => Promise<unknown>} ask @param {number} ms */
export async function until(ask, ms) {
  for (const deadline = Date.now() + ms; Date.now() < deadline; await sleep(50)) {
    if (await ask()) return true;
  }
  return false;
}

// What Puppeteer says when a navigation replaced the page asked: the new one is not ready yet.
const GONE = /Execution context was destroyed|[Ff]rame was detached|detached frame|no such frame/;

// `expression` evaluated in `realm`, or `whileGone` where the page went away mid-question.
/** @param {Realm} realm @param {string} expression @param {unknown} whileGone */
export const answer = (realm, expression, whileGone) => realm.evaluate(expression).catch(
  (/** @type {Error} */ error) => {
    if (GONE.test(error.message)) return whileGone;
    throw new Error(`${expression}: ${error.message}`);
  });

// True once `condition` (a page expression, or a promise of one) holds, false after `ms`.
/** @param {Realm} realm @param {string} condition @param {number} [ms] */
export const waitFor = (realm, condition, ms = 60000) =>
  until(() => answer(realm, `Promise.resolve(${condition}).then(Boolean)`, false), ms);
