// One small interface over the three engines the page is checked in: Debian's Chromium through
// Playwright, Firefox ESR through Puppeteer over WebDriver BiDi (no driver of its own), and
// WebKitGTK's MiniBrowser through WebKitWebDriver (W3C WebDriver over HTTP, a client of its own
// here). Each opens a fresh profile (Chromium headless, the others in a window on the current
// display) with an 800x600 CSS pixel viewport at a pixel ratio of 1:
//   goto(url)                  navigates; true once the page has loaded, false if it failed
//   evaluate(expression)       the value of a page expression, a promise's awaited
//   screenshot()               the viewport as PNG bytes, in device pixels
//   resize(width, height, ratio)  the viewport's CSS size; a ratio other than 1 only where
//                              `scales` is true (Chromium's is checked by page_window_check.mjs)
//   setOffline(offline)        the browser's network off or on; null in WebKit, as W3C
//                              WebDriver has no such command
//   close()                    ends the browser and its driver, removing the profile
import { openBrowser, answer } from '../../../tools/browser/browser.mjs';
import puppeteer from 'puppeteer-core';
import { spawn, spawnSync } from 'node:child_process';
import { createServer } from 'node:net';
import { writeFileSync } from 'node:fs';

const VIEWPORT = { width: 800, height: 600 };
const FIREFOX = '/usr/bin/firefox-esr';
// A start on a busy machine takes 10-20 s; a stuck one is given up well before CTest's limit.
const START_MS = 90000;
const POLL_MS = 50;

async function chromium() {
  const browser = await openBrowser();
  const page = await browser.context.newPage();
  await page.setViewportSize(VIEWPORT);
  return {
    goto: (url) => page.goto(url).then(() => true, () => false),
    evaluate: (expression) => page.evaluate(expression),
    screenshot: () => page.screenshot(),
    resize: (width, height) => page.setViewportSize({ width, height }),
    scales: false,
    setOffline: (offline) => browser.context.setOffline(offline),
    close: () => browser.close(),
  };
}

// Headless Firefox on software GL offers no WebGL; a window on the X server does, once WebGL is
// forced on past Firefox's list of blocked drivers.
async function firefox() {
  const browser = await puppeteer.launch({
    browser: 'firefox', protocol: 'webDriverBiDi', executablePath: FIREFOX, headless: false,
    extraPrefsFirefox: { 'webgl.force-enabled': true }, defaultViewport: VIEWPORT,
    timeout: START_MS,
  });
  const page = await browser.newPage();
  return {
    goto: (url) => page.goto(url).then(() => true, () => false),
    evaluate: (expression) => page.evaluate(expression),
    screenshot: async () => Buffer.from(await page.screenshot()),
    resize: (width, height, deviceScaleFactor = 1) =>
      page.setViewport({ width, height, deviceScaleFactor }),
    scales: true,
    setOffline: (offline) => page.setOfflineMode(offline),
    close: () => browser.close(),
  };
}

// A loopback port no one listens on now, for the driver.
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
async function driverReady(base, driver) {
  const deadline = Date.now() + START_MS;
  while (driver.exitCode === null && Date.now() < deadline) {
    if (await command(base, 'GET', '/status').then((status) => status.ready, () => false)) return;
    await new Promise((done) => setTimeout(done, POLL_MS));
  }
  throw new Error(`WebKitWebDriver did not answer within ${START_MS / 1000} s`);
}

async function webkit(miniBrowser) {
  const base = `http://127.0.0.1:${await freePort()}`;
  const driver = spawn('WebKitWebDriver', [`--port=${base.split(':').pop()}`], { stdio: 'ignore' });
  const ended = new Promise((done) => driver.once('exit', done));
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
  const call = (method, path, body) => command(base, method, `/session/${session}${path}`, body);
  const evaluate = (expression) => call('POST', '/execute/sync',
    { script: `return (${expression});`, args: [] });
  // The window's size counts MiniBrowser's toolbar: what lies outside the viewport is added.
  const resize = async (width, height) => {
    const [x, y] = await evaluate('[outerWidth - innerWidth, outerHeight - innerHeight]');
    await call('POST', '/window/rect', { width: width + x, height: height + y });
  };
  await resize(VIEWPORT.width, VIEWPORT.height);
  return {
    goto: (url) => call('POST', '/url', { url }).then(() => true, () => false),
    evaluate,
    // The window's picture: WebKitWebDriver's element screenshots come out offset.
    screenshot: async () => Buffer.from(await call('GET', '/screenshot'), 'base64'),
    resize,
    scales: false,
    setOffline: null,
    // The session goes with the driver, should it not answer.
    async close() {
      await call('DELETE', '').catch(() => {});
      driver.kill();
      await ended;
    },
  };
}

// ENGINE is chromium, firefox or webkit; `miniBrowser` the path of WebKitGTK's MiniBrowser.
export function openEngine(name, miniBrowser) {
  const open = { chromium, firefox, webkit }[name];
  if (!open) throw new Error(`no engine ${name}: chromium, firefox or webkit`);
  return open(miniBrowser);
}

// True once `condition` (a page expression) holds, false after `ms`; a page still navigating,
// which cannot answer, counts as not yet, and an error of the condition's own fails at once.
export async function waitFor(engine, condition, ms) {
  const deadline = Date.now() + ms;
  do {
    if (await answer(engine, `Boolean(${condition})`, false)) return true;
    await new Promise((done) => setTimeout(done, POLL_MS));
  } while (Date.now() < deadline);
  return false;
}

// The canvas's box, cut from the viewport's screenshot into `file` (PNG); its size in pixels.
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
