// The browser harness's engines, each with what its automation can do: Debian's Chromium
// through Puppeteer over the DevTools protocol (headless), Firefox ESR through Puppeteer over
// WebDriver BiDi and WebKitGTK's MiniBrowser through WebKitWebDriver (W3C WebDriver over HTTP, a
// client of its own here), the last two in a window on the current display. Each opens a fresh
// profile with an 800x600 CSS pixel viewport at a pixel ratio of 1, once per run.
// An engine: `goto` (true once loaded), `evaluate` (a page expression's value, awaited),
// `screenshot` (the viewport's PNG, device pixels), `resize` (the CSS size; a ratio or a phone only
// where it `scales`), `hide` (another tab in front, or the window minimised) and `show`, `back`;
// null where its automation cannot: `setOffline`, `beforeScripts` (source run first in each new
// document until the function it resolves to is called), `setFrozen` (as a browser freezes a
// hidden page) and `page` (Chromium's, for clicks, safe areas and a Worker's end).
/**
 * @typedef {{ name: string, goto: (url: string) => Promise<boolean>,
 *   evaluate: (expression: string) => Promise<any>, screenshot: () => Promise<Buffer>,
 *   resize: (width: number, height: number, ratio?: number, mobile?: boolean) => Promise<void>,
 *   scales: boolean, hide: () => Promise<void>, show: () => Promise<unknown>,
 *   back: () => Promise<unknown>, setOffline: ((offline: boolean) => Promise<void>) | null,
 *   beforeScripts: ((source: string) => Promise<() => Promise<void>>) | null,
 *   setFrozen: ((frozen: boolean) => Promise<void>) | null,
 *   page: import('puppeteer-core').Page | null, close: () => Promise<void> }} Engine
 */
import { CHROMIUM_FLAGS } from '../../tools/browser/browser.mjs';
import puppeteer from 'puppeteer-core';
import { spawn } from 'node:child_process';
import { createServer } from 'node:net';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const VIEWPORT = { width: 800, height: 600 };
// A start on a busy machine takes 10-20 s; a stuck one is given up well before CTest's limit.
const START_MS = 90000;
const POLL_MS = 50;

// Chromium and Firefox alike, through Puppeteer, on a page of the browser's first tab.
/** @param {string} name @param {import('puppeteer-core').Browser} browser */
async function puppeteerEngine(name, browser, chromium = false) {
  const page = (await browser.pages())[0] ?? await browser.newPage();
  await page.setViewport(VIEWPORT);
  /** @type {import('puppeteer-core').Page | null} */
  let front = null;
  const cdp = chromium ? await page.createCDPSession() : null;
  /** @type {Engine} */
  const engine = {
    name,
    goto: (url) => page.goto(url).then(() => true, () => false),
    evaluate: (expression) => page.evaluate(expression),
    screenshot: async () => Buffer.from(await page.screenshot()),
    // Chromium's emulation as its protocol has it: Puppeteer reloads a page made a phone.
    resize: (width, height, deviceScaleFactor = 1, mobile = false) => cdp ? cdp.send(
      'Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor, mobile })
      .then(() => {}) : page.setViewport({ width, height }),
    scales: chromium,
    setOffline: (offline) => page.setOfflineMode(offline),
    beforeScripts: async (source) => {
      const { identifier } = await page.evaluateOnNewDocument(source);
      return () => page.removeScriptToEvaluateOnNewDocument(identifier);
    },
    async hide() {
      front = await browser.newPage();
      await front.bringToFront();
    },
    async show() {
      await page.bringToFront();
      await front?.close();
      front = null;
    },
    // A page restored from the back/forward cache fires no load event for Puppeteer to await.
    back: () => answer(engine, 'void setTimeout(() => history.back())', null),
    setFrozen: cdp && ((frozen) => cdp.send('Page.setWebLifecycleState',
      { state: frozen ? 'frozen' : 'active' }).then(() => {})),
    page: chromium ? page : null,
    close: () => browser.close(),
  };
  return engine;
}

// Headless, with the flags of tools/browser and `flags`, and a profile that goes with it.
/** @param {string[]} [flags] @returns {Promise<Engine>} */
async function chromium(flags = []) {
  const profile = mkdtempSync(join(tmpdir(), 'plume-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: true, userDataDir: profile, timeout: START_MS,
    args: [...CHROMIUM_FLAGS.filter((flag) => flag !== '--headless'), ...flags],
    defaultViewport: VIEWPORT,
  });
  const engine = await puppeteerEngine('chromium', browser, true);
  return { ...engine, close: async () => {
    await engine.close().catch(() => {});
    rmSync(profile, { recursive: true, force: true, maxRetries: 20, retryDelay: 100 });
  } };
}

// Headless Firefox on software GL offers no WebGL; a window on the X server does, once WebGL is
// forced on past Firefox's list of blocked drivers.
async function firefox() {
  return puppeteerEngine('firefox', await puppeteer.launch({
    browser: 'firefox', protocol: 'webDriverBiDi', executablePath: '/usr/bin/firefox-esr',
    headless: false, extraPrefsFirefox: { 'webgl.force-enabled': true }, defaultViewport: VIEWPORT,
    timeout: START_MS,
  }));
}

// A loopback port no one listens on now, for the driver.
/** @returns {Promise<number>} */
const freePort = () => new Promise((done) => {
  const probe = createServer().listen(0, '127.0.0.1', () => {
    const { port } = /** @type {import('node:net').AddressInfo} */ (probe.address());
    probe.close(() => done(port));
  });
});

// WebKitGTK through its driver, which answers its status once it listens; each W3C WebDriver
// command's value, or an error saying which command failed.
/** @param {string} miniBrowser @returns {Promise<Engine>} */
async function webkit(miniBrowser) {
  const port = await freePort();
  const driver = spawn('WebKitWebDriver', [`--port=${port}`], { stdio: 'ignore' });
  const ended = new Promise((done) => driver.once('exit', done));
  let session = '';
  /** @param {string} method @param {string} path @param {object} [body] */
  const call = async (method, path, body) => {
    const response = await fetch(`http://127.0.0.1:${port}${session}${path}`, { method,
      headers: { 'Content-Type': 'application/json' }, body: body && JSON.stringify(body) });
    const { value } = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${method} ${path}: ${value.error}: ${value.message}`);
    return value;
  };
  try {
    if (!await until(() => call('GET', '/status').then((status) => status.ready, () => false),
      START_MS)) throw new Error('WebKitWebDriver did not answer');
    const capabilities = { alwaysMatch: { 'webkitgtk:browserOptions':
      { binary: miniBrowser, args: ['--automation'] } } };
    session = `/session/${(await call('POST', '/session', { capabilities })).sessionId}`;
  } catch (error) {
    driver.kill();
    throw error;
  }
  /** @param {string} expression */
  const evaluate = (expression) => call('POST', '/execute/sync',
    { script: `return (${expression});`, args: [] });
  // The window's size counts MiniBrowser's toolbar: what lies outside the viewport is added.
  /** @param {number} width @param {number} height */
  const resize = async (width, height) => {
    const [x, y] = await evaluate('[outerWidth - innerWidth, outerHeight - innerHeight]');
    await call('POST', '/window/rect', { width: width + x, height: height + y });
  };
  await resize(VIEWPORT.width, VIEWPORT.height);
  let shown = { width: 0, height: 0 };
  return {
    name: 'webkit', evaluate, resize, scales: false, setOffline: null, beforeScripts: null,
    setFrozen: null, page: null,
    goto: (url) => call('POST', '/url', { url }).then(() => true, () => false),
    screenshot: async () => Buffer.from(await call('GET', '/screenshot'), 'base64'),
    // A new tab or window leaves MiniBrowser's page visible; minimised, it is hidden, and a
    // window given its size again is restored.
    async hide() {
      shown = await call('GET', '/window/rect');
      await call('POST', '/window/minimize', {});
    },
    show: () => call('POST', '/window/rect', { width: shown.width, height: shown.height }),
    back: () => call('POST', '/back', {}),
    async close() {
      await call('DELETE', '').catch(() => {});
      driver.kill();
      await ended;
    },
  };
}

// ENGINE is chromium, firefox or webkit; `miniBrowser` the path of WebKitGTK's MiniBrowser;
// `flags` Chromium's own.
/** @param {string} name @param {string} [miniBrowser] @param {string[]} [flags] */
export const openEngine = (name, miniBrowser = '', flags = []) =>
  name === 'firefox' ? firefox() : name === 'webkit' ? webkit(miniBrowser) : chromium(flags);

/** @param {number} ms */
export const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// True once `ask()` resolves truthy, false after `ms`.
/** @param {() => Promise<unknown>} ask @param {number} ms */
export async function until(ask, ms) {
  const deadline = Date.now() + ms;
  do {
    if (await ask()) return true;
    await sleep(POLL_MS);
  } while (Date.now() < deadline);
  return false;
}

// What Puppeteer says when the page asked went away mid-question, as a navigation replaces it:
// the new document is not ready to answer yet. Every other failure is the expression's own.
const GONE = /Execution context was destroyed|[Ff]rame was detached|detached frame|no such frame/;

// `expression` evaluated in `realm`, or `whileGone` where the page went away mid-question; any
// other error fails, saying the expression and the error.
/** @param {Realm} realm @param {string} expression @param {unknown} whileGone */
export function answer(realm, expression, whileGone) {
  return realm.evaluate(expression).catch((/** @type {Error} */ error) => {
    if (GONE.test(error.message)) return whileGone;
    throw new Error(`${expression}: ${error.message}`);
  });
}

// True once `condition` (a page expression, or a promise of one) holds, false after `ms`; a
// page still navigating counts as not yet. The one wait of the checks: one generous limit.
/** @param {Realm} realm @param {string} condition @param {number} [ms] */
export function waitFor(realm, condition, ms = 60000) {
  return until(() => answer(realm, `Promise.resolve(${condition}).then(Boolean)`, false), ms);
}

// Prints each [name, ok] and the tally; the process's status says whether all passed.
/** @param {Results} results @param {string} label */
export function finish(results, label) {
  for (const [name, ok] of results) console.log(`${ok ? 'ok  ' : 'FAIL'}  ${name}`);
  const passed = results.filter(([, ok]) => ok).length;
  console.log(`${label}: ${passed} passed, ${results.length - passed} failed`);
  process.exit(passed < results.length ? 1 : 0);
}
