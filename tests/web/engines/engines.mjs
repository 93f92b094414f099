// One small interface over the three engines the page is checked in: Debian's Chromium through
// Puppeteer over the DevTools protocol, Firefox ESR through Puppeteer over WebDriver BiDi (no
// driver of its own), and WebKitGTK's MiniBrowser through WebKitWebDriver (W3C WebDriver over
// HTTP, a client of its own here). Each opens a fresh profile (Chromium headless, the others in a
// window on the current display) with an 800x600 CSS pixel viewport at a pixel ratio of 1.
/**
 * @typedef {object} Engine
 * @property {(url: string) => Promise<boolean>} goto  navigates; true once the page has loaded,
 *   false if it failed
 * @property {(expression: string) => Promise<any>} evaluate  the value of a page expression, a
 *   promise's awaited
 * @property {() => Promise<Buffer>} screenshot  the viewport as PNG bytes, in device pixels
 * @property {(width: number, height: number, ratio?: number) => Promise<void>} resize  the
 *   viewport's CSS size; a ratio other than 1 only where `scales` is true (Chromium's is checked
 *   by page_window_check.mjs)
 * @property {boolean} scales
 * @property {((offline: boolean) => Promise<void>) | null} setOffline  the browser's network off
 *   or on; null in WebKit, as W3C WebDriver has no such command
 * @property {((source: string) => Promise<() => Promise<void>>) | null} beforeScripts  a
 *   function's source, run first in each new document from now on, until the function it
 *   resolves to is called; null in WebKit, whose W3C WebDriver has no such command
 * @property {() => Promise<void>} hide  the page hidden as each engine's automation can make it:
 *   another tab brought to the front, or in WebKit the window minimised (Chromium through
 *   Playwright never hides a page: it emulates focus on every page, each in a window of its own)
 * @property {() => Promise<unknown>} show  the page shown again: that tab closed, or the window
 *   restored
 * @property {() => Promise<unknown>} back  history's previous page, restored from the
 *   back/forward cache where the engine keeps it there
 * @property {((frozen: boolean) => Promise<void>) | null} setFrozen  the page frozen or resumed as
 *   a browser freezes a hidden page, in Chromium (its DevTools protocol); null elsewhere
 * @property {() => Promise<void>} close  ends the browser and its driver, removing the profile
 */
import { CHROMIUM_FLAGS, answer } from '../../../tools/browser/browser.mjs';
import puppeteer from 'puppeteer-core';
import { spawn, spawnSync } from 'node:child_process';
import { createServer } from 'node:net';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const VIEWPORT = { width: 800, height: 600 };
const FIREFOX = '/usr/bin/firefox-esr';
const CHROMIUM = '/usr/bin/chromium';
// A start on a busy machine takes 10-20 s; a stuck one is given up well before CTest's limit.
const START_MS = 90000;
const POLL_MS = 50;

// Chromium and Firefox alike, through Puppeteer, on a page of the browser's first tab.
/** @param {import('puppeteer-core').Browser} browser @returns {Promise<Engine>} */
async function puppeteerEngine(browser, { scales = true, setFrozen = false } = {}) {
  const page = (await browser.pages())[0] ?? await browser.newPage();
  await page.setViewport(VIEWPORT);
  /** @type {import('puppeteer-core').Page | null} */
  let front = null;
  const cdp = setFrozen ? await page.createCDPSession() : null;
  return {
    goto: (url) => page.goto(url).then(() => true, () => false),
    evaluate: (expression) => page.evaluate(expression),
    screenshot: async () => Buffer.from(await page.screenshot()),
    resize: (width, height, deviceScaleFactor = 1) =>
      page.setViewport({ width, height, deviceScaleFactor }),
    scales,
    setOffline: (offline) => page.setOfflineMode(offline),
    beforeScripts: async (source) => {
      const { identifier } = await page.evaluateOnNewDocument(source);
      return () => page.removeScriptToEvaluateOnNewDocument(identifier);
    },
    async hide() {
      const opened = front = await browser.newPage();
      await opened.bringToFront();
    },
    async show() {
      await page.bringToFront();
      await front?.close();
      front = null;
    },
    // A page restored from the back/forward cache fires no load event for Puppeteer to await.
    back: () => answer(page, 'void setTimeout(() => history.back())', null).then(() => {}),
    setFrozen: cdp && ((frozen) => cdp.send('Page.setWebLifecycleState',
      { state: frozen ? 'frozen' : 'active' }).then(() => {})),
    close: () => browser.close(),
  };
}

// Headless, as tools/browser runs it, with a profile of its own that goes with the browser.
/** @returns {Promise<Engine>} */
async function chromium() {
  const profile = mkdtempSync(join(tmpdir(), 'plume-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM, headless: true, userDataDir: profile, timeout: START_MS,
    args: CHROMIUM_FLAGS.filter((flag) => flag !== '--headless'), defaultViewport: VIEWPORT,
  });
  const engine = await puppeteerEngine(browser, { scales: false, setFrozen: true });
  return { ...engine, close: async () => {
    await engine.close().catch(() => {});
    rmSync(profile, { recursive: true, force: true, maxRetries: 20, retryDelay: 100 });
  } };
}

// Headless Firefox on software GL offers no WebGL; a window on the X server does, once WebGL is
// forced on past Firefox's list of blocked drivers.
/** @returns {Promise<Engine>} */
async function firefox() {
  const browser = await puppeteer.launch({
    browser: 'firefox', protocol: 'webDriverBiDi', executablePath: FIREFOX, headless: false,
    extraPrefsFirefox: { 'webgl.force-enabled': true }, defaultViewport: VIEWPORT,
    timeout: START_MS,
  });
  return puppeteerEngine(browser);
}

// A loopback port no one listens on now, for the driver.
/** @returns {Promise<number>} */
function freePort() {
  return new Promise((done, failed) => {
    const probe = createServer().once('error', failed);
    probe.listen(0, '127.0.0.1', () => {
      const { port } = /** @type {import('node:net').AddressInfo} */ (probe.address());
      probe.close(() => done(port));
    });
  });
}

// W3C WebDriver's answer to one command: its value, or an error saying which command failed.
/** @param {string} base @param {string} method @param {string} path @param {object} [body] */
async function command(base, method, path, body) {
  const response = await fetch(base + path, {
    method, headers: { 'Content-Type': 'application/json' },
    body: body === undefined ? undefined : JSON.stringify(body),
  });
  const answer = await response.json();
  if (!response.ok) {
    throw new Error(`WebDriver ${method} ${path}: ${answer.value.error}: ${answer.value.message}`);
  }
  return answer.value;
}

// The driver answers its status once it listens.
/** @param {string} base @param {import('node:child_process').ChildProcess} driver */
async function driverReady(base, driver) {
  const deadline = Date.now() + START_MS;
  while (driver.exitCode === null && Date.now() < deadline) {
    if (await command(base, 'GET', '/status').then((status) => status.ready, () => false)) return;
    await new Promise((done) => setTimeout(done, POLL_MS));
  }
  throw new Error(`WebKitWebDriver did not answer within ${START_MS / 1000} s`);
}

/** @param {string} [miniBrowser] @returns {Promise<Engine>} */
async function webkit(miniBrowser) {
  const base = `http://127.0.0.1:${await freePort()}`;
  const driver = spawn('WebKitWebDriver', [`--port=${base.split(':').pop()}`], { stdio: 'ignore' });
  const ended = new Promise((done) => driver.once('exit', done));
  /** @type {string} */
  let session;
  try {
    await driverReady(base, driver);
    const capabilities = { alwaysMatch: { 'webkitgtk:browserOptions':
      { binary: miniBrowser, args: ['--automation'] } } };
    session = (await command(base, 'POST', '/session', { capabilities })).sessionId;
  } catch (error) {
    driver.kill();
    throw error;
  }
  /** @param {string} method @param {string} path @param {object} [body] */
  const call = (method, path, body) => command(base, method, `/session/${session}${path}`, body);
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
    goto: (url) => call('POST', '/url', { url }).then(() => true, () => false),
    evaluate,
    // The window's picture: WebKitWebDriver's element screenshots come out offset.
    screenshot: async () => Buffer.from(await call('GET', '/screenshot'), 'base64'),
    resize,
    scales: false,
    setOffline: null,
    beforeScripts: null,
    // A new tab or window leaves MiniBrowser's page visible; minimised, it is hidden, and a
    // window given its size again is restored.
    async hide() {
      shown = await call('GET', '/window/rect');
      await call('POST', '/window/minimize', {});
    },
    show: () => call('POST', '/window/rect', { width: shown.width, height: shown.height }),
    back: () => call('POST', '/back', {}),
    setFrozen: null,
    // The session goes with the driver, should it not answer.
    async close() {
      await call('DELETE', '').catch(() => {});
      driver.kill();
      await ended;
    },
  };
}

// ENGINE is chromium, firefox or webkit; `miniBrowser` the path of WebKitGTK's MiniBrowser.
/** @param {string} name @param {string} [miniBrowser] @returns {Promise<Engine>} */
export function openEngine(name, miniBrowser) {
  /** @type {Record<string, (miniBrowser?: string) => Promise<Engine>>} */
  const engines = { chromium, firefox, webkit };
  const open = engines[name];
  if (!open) throw new Error(`no engine ${name}: chromium, firefox or webkit`);
  return open(miniBrowser);
}

// A live page: its caption shows the frame rate, written once the program has drawn 100 frames.
export const LIVE = "document.title.includes('FPS:')";

// True once `condition` (a page expression) holds, false after `ms`; a page still navigating,
// which cannot answer, counts as not yet, and an error of the condition's own fails at once.
/** @param {Realm} engine @param {string} condition @param {number} ms */
export async function waitFor(engine, condition, ms) {
  const deadline = Date.now() + ms;
  do {
    if (await answer(engine, `Boolean(${condition})`, false)) return true;
    await new Promise((done) => setTimeout(done, POLL_MS));
  } while (Date.now() < deadline);
  return false;
}

// The canvas's box, cut from the viewport's screenshot into `file` (PNG); its size in pixels.
/** @param {Engine} engine @param {string} file */
export async function canvasShot(engine, file) {
  const box = await engine.evaluate("(b => [b.width, b.height, b.left, b.top]" +
    ".map((v) => Math.round(v * devicePixelRatio)))" +
    "(document.querySelector('canvas').getBoundingClientRect())");
  writeFileSync(file, await engine.screenshot());
  const [width, height, left, top] = box;
  const cut = spawnSync('convert', [file, '-crop', `${width}x${height}+${left}+${top}`, '+repage',
    file], { encoding: 'utf8' });
  if (cut.status !== 0) throw new Error(`convert could not crop ${file}: ${cut.stderr}`);
  return `${width}x${height}`;
}
