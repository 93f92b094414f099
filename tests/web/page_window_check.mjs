// The live page as a window onto the scene: a canvas that follows the window's size and pixel
// ratio through the program's reshape, the full-screen control, and a visit with the network off.
//   node page_window_check.mjs SITE_DIR
import { serve, openBrowser, waitFor, programRealm, FIRST_FRAME, WATCH_DRAWS, finish }
  from '../../tools/browser/browser.mjs';
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const [site] = process.argv.slice(2);
const LIVE = `${FIRST_FRAME} !== null && document.title.includes('FPS:')`;
const MAX_BUFFER_PIXELS = 1920 * 1080;
// The largest canvas iOS draws.
const IOS_MAX_CANVAS_PIXELS = 16777216;
// gluPerspective's y scale for the 65 degree vertical field of view.
const FOCAL = 1 / Math.tan((65 / 2) * Math.PI / 180);
const TOLERANCE = 1e-3;
const SETTLE_MS = 5000;
// The canvas's size on the page; its drawing buffer and what the program last drew with, where
// the program runs.
const SHOWN = "(c => ({ css: [c.clientWidth, c.clientHeight], ratio: devicePixelRatio }))" +
  "(document.getElementById('canvas'))";
const DRAWN_WITH = '({ buffer: [Module.canvas.width, Module.canvas.height],' +
  ' viewport: plumeDrawn.viewport, projection: plumeDrawn.projection })';
const NEXT_FRAME = 'new Promise(done => requestAnimationFrame(() => requestAnimationFrame(done)))';
/**
 * The canvas's CSS size and pixel ratio, its drawing buffer, and the viewport and projection the
 * program drew with.
 * @typedef {{ css: number[], ratio: number, buffer: number[], viewport: number[] | null,
 *   projection: number[] | null }} State
 */

// Whether the canvas, the viewport and the projection fit the window now; `state` says what
// was seen. The buffer is the CSS size times the pixel ratio, scaled down past the cap.
/** @param {State} state */
function fits(state) {
  const [cssWidth, cssHeight] = state.css, [width, height] = state.buffer;
  const scale = Math.min(state.ratio, Math.sqrt(MAX_BUFFER_PIXELS / (cssWidth * cssHeight)));
  /** @param {number} a @param {number} b @param {number} slack */
  const near = (a, b, slack) => Math.abs(a - b) <= slack;
  const p = state.projection || [];
  return near(width, cssWidth * scale, 1) && near(height, cssHeight * scale, 1) &&
    width * height <= MAX_BUFFER_PIXELS * 1.001 && width * height <= IOS_MAX_CANVAS_PIXELS &&
    (state.viewport || []).join() === [0, 0, width, height].join() &&
    near(p[5], FOCAL, TOLERANCE) && near(p[0] * width / height, FOCAL, TOLERANCE);
}

/** @param {State} state */
function describe(state) {
  const p = state.projection || [];
  return `CSS ${state.css.join('x')} at ${state.ratio}: buffer ${state.buffer.join('x')},` +
    ` viewport ${state.viewport}, projection x ${Number(p[0]).toFixed(4)} y` +
    ` ${Number(p[5]).toFixed(4)}`;
}

// The state once it fits, or as it is after SETTLE_MS: a program in a Worker can take a few
// of the page's frames to draw at a new size.
/** @param {Page} page @returns {Promise<State>} */
async function settled(page) {
  const realm = await programRealm(page);
  const deadline = Date.now() + SETTLE_MS;
  /** @type {State} */
  let state;
  do {
    await page.evaluate(NEXT_FRAME);
    state = { ...await page.evaluate(SHOWN), ...await realm.evaluate(DRAWN_WITH) };
  } while (!fits(state) && Date.now() < deadline);
  return state;
}

// Window sizes and pixel ratios, the last two past the cap: a phone at a ratio of 3 too. The
// program is watched from now on, where it runs; the first size is a new one, which it sets.
/** @param {Page} page @param {Results} results */
async function followsWindow(page, results) {
  await (await programRealm(page)).evaluate(WATCH_DRAWS);
  const cdp = await page.context().newCDPSession(page);
  /** @type {Array<[number, number, number, boolean?]>} */
  const windows = [[1000, 400, 1], [800, 600, 1], [700, 500, 2], [1600, 1000, 2],
    [390, 844, 3, true]];
  for (const [width, height, deviceScaleFactor, mobile = false] of windows) {
    await cdp.send('Emulation.setDeviceMetricsOverride',
      { width, height, deviceScaleFactor, mobile });
    const state = await settled(page);
    results.push([`window ${width}x${height} at ${deviceScaleFactor}: ${describe(state)}`,
      state.css.join() === [width, height].join() && fits(state)]);
  }
  await cdp.send('Emulation.clearDeviceMetricsOverride');
}

// The control enters full screen and leaves it again; the canvas fits either way. A click that
// could not be made says why.
/** @param {Page} page @param {Results} results */
async function fullScreen(page, results) {
  const button = page.locator('#fullscreen');
  const visible = await button.isVisible();
  const click = () => button.click({ timeout: 5000 }).then(() => '',
    (/** @type {Error} */ error) => ` (not clicked: ${error.message.split('\n')[0]})`);
  const notEntered = await click();
  const entered = await waitFor(page, 'document.fullscreenElement !== null', 5000);
  const inside = await settled(page);
  const label = await button.textContent();
  results.push([`full screen: entered ${entered}${notEntered}, control "${label}",` +
    ` ${describe(inside)}`, visible && entered && label === 'Leave full screen' && fits(inside)]);
  const notLeft = await click();
  const left = await waitFor(page, 'document.fullscreenElement === null', 5000);
  const after = await settled(page);
  results.push([`full screen left: ${left}${notLeft}, control "${await button.textContent()}",` +
    ` ${describe(after)}`, left && await button.textContent() === 'Full screen' && fits(after)]);
}

const TOUCH = "['canvas', 'still'].map((id) => getComputedStyle(document.getElementById(id))" +
  ".touchAction).concat(getComputedStyle(document.body).overflow," +
  " document.querySelector('meta[name=viewport]').content)";

// On a phone (here emulated at a ratio of 3): the canvas and the still take every touch for
// themselves, the page does not scroll, and the viewport covers a notched screen. (Headless
// Chromium synthesizes no pinch or swipe that a page could be seen to follow.)
/** @param {Page} page @param {Results} results */
async function touch(page, results) {
  const [canvas, still, overflow, viewport] = await page.evaluate(TOUCH);
  results.push([`phone: touch-action ${canvas} (canvas), ${still} (still); page overflow` +
    ` ${overflow}; viewport "${viewport}"`, canvas === 'none' && still === 'none' &&
    overflow === 'hidden' && /viewport-fit=cover/.test(viewport)]);
}

const EDGES = "((button, lines) => [button.top, button.right, lines.paddingBottom," +
  " lines.paddingLeft].map(parseFloat))(...['fullscreen', 'overlay'].map((id) =>" +
  ' getComputedStyle(document.getElementById(id))))';
const NOTCH = { top: 47, right: 12, bottom: 34, left: 10 };

// A notched phone's safe areas: the control and the lines keep clear of them, and sit at the
// window's edge where there are none.
/** @param {Page} page @param {Results} results */
async function safeAreas(page, results) {
  const cdp = await page.context().newCDPSession(page);
  const plain = await page.evaluate(EDGES);
  await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets: NOTCH });
  await page.evaluate(NEXT_FRAME);
  const notched = await page.evaluate(EDGES);
  await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets: {} });
  await cdp.detach();
  results.push([`safe areas (top, right, bottom, left ${Object.values(NOTCH)}): control at` +
    ` ${notched.slice(0, 2)}, lines padded ${notched.slice(2)}; without: ${plain}`,
  notched.join() === [NOTCH.top, NOTCH.right, NOTCH.bottom, NOTCH.left].join() &&
    plain[0] < NOTCH.top && plain[2] < NOTCH.bottom]);
}

// An iPhone's browsers have no Fullscreen API: the control stays hidden.
/** @param {Browser} browser @param {string} base @param {Results} results */
async function noFullscreen(browser, base, results) {
  const page = await browser.context.newPage();
  await page.addInitScript(() => {
    Reflect.deleteProperty(Element.prototype, 'requestFullscreen');
    Reflect.deleteProperty(Element.prototype, 'webkitRequestFullscreen');
  });
  await page.goto(base);
  const live = await waitFor(page, LIVE, 30000);
  const shown = await page.locator('#fullscreen').isVisible();
  results.push([`no requestFullscreen: live ${live}, full-screen control shown: ${shown}`,
    live && !shown]);
  await page.close();
}

const BUILD = "document.querySelector('meta[name=plume-build]').content";
const CACHES = 'caches.keys().then((names) => names.join())';
const WORKERS = 'navigator.serviceWorker.getRegistration().then((r) => [r.active, r.installing,' +
  " r.waiting].map((worker) => worker ? worker.scriptURL.split('/').pop() : '-').join(' '))";

// A first visit, then the host gets another build (here the same files under another build
// id): the next visit shows it, its worker replaces the old one and keeps that build alone,
// and with the network off a reload opens and runs that build. The control: a browser that
// never visited cannot open the page offline.
/** @param {string} base @param {Results} results */
async function offline(base, results) {
  const browser = await openBrowser();
  try {
    await offlineIn(browser, base, results);
  } finally {
    await browser.close();
  }
  const stranger = await openBrowser();
  try {
    await stranger.context.setOffline(true);
    const other = await stranger.context.newPage();
    const opened = await other.goto(base).then(() => true, () => false);
    results.push([`control: a browser that never visited opens it offline: ${opened}`, !opened]);
  } finally {
    await stranger.close();
  }
}

/** @param {Browser} browser @param {string} base @param {Results} results */
async function offlineIn(browser, base, results) {
  const page = await browser.context.newPage();
  await page.goto(base);
  const first = await waitFor(page, `${LIVE} && navigator.serviceWorker.controller !== null`,
    30000);
  const old = await page.evaluate(BUILD);
  const next = old.split('').reverse().join('');
  for (const name of ['index.html', 'sw.js']) {
    writeFileSync(join(copy, name), readFileSync(join(copy, name), 'utf8').replaceAll(old, next));
  }
  await page.reload();
  // The caches' promise last, so that what it settles to is the condition's value.
  const kept = await waitFor(page, `${LIVE} &&` +
    ` navigator.serviceWorker.controller?.scriptURL.endsWith('${next}') &&` +
    ` ${CACHES}.then((names) => names === 'plume-${next}')`, 30000);
  const [names, workers] = [await page.evaluate(CACHES), await page.evaluate(WORKERS)];
  results.push([`new build ${next} after ${old}: worker in charge after the first visit` +
    ` ${first}; caches ${names}; workers (active, installing, waiting) ${workers}`,
  first && kept]);
  await browser.context.setOffline(true);
  const reloaded = await page.reload().then(() => '',
    (/** @type {Error} */ error) => `, not reloaded: ${error.message.split('\n')[0]}`);
  const live = await waitFor(page, LIVE, 30000);
  const shown = live ? await page.evaluate(BUILD) : 'none';
  results.push([`offline reload: build ${shown}, ${await page.title()}${reloaded}`,
    live && shown === next]);
}

// A copy of the site, which the new-build check changes.
const copy = mkdtempSync(join(tmpdir(), 'plume-site-'));
cpSync(site, copy, { recursive: true });
const { server, base } = await serve(copy);
/** @type {Results} */
const results = [];
const browser = await openBrowser();
try {
  const page = await browser.context.newPage();
  await page.goto(base);
  const live = await waitFor(page, LIVE, 30000);
  results.push([`live within 30 s: ${await page.title()}`, live]);
  await followsWindow(page, results);
  await fullScreen(page, results);
  await touch(page, results);
  await safeAreas(page, results);
  await page.goto(base + '?time=2');
  await waitFor(page, "document.documentElement.dataset.frame === 'ready'", 30000);
  const pinned = await page.evaluate("(c => [c.width, c.height, c.clientWidth, c.clientHeight," +
    " c.getBoundingClientRect().left, c.getBoundingClientRect().top])" +
    "(document.getElementById('canvas'))");
  const control = await page.locator('#fullscreen').isVisible();
  results.push([`pinned: canvas ${pinned.join(', ')}, full-screen control shown: ${control}`,
    pinned.join() === '640,480,640,480,0,0' && !control]);
  await page.close();
  await noFullscreen(browser, base, results);
} finally {
  await browser.close();
}
try {
  await offline(base, results);
} finally {
  server.close();
  rmSync(copy, { recursive: true, force: true });
}
finish(results, 'web: window');
