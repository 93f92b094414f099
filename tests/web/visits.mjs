// The scenarios of the window and of coming back: the canvas as a window onto the scene, and a
// new build taken up, then a visit offline.
import { answer, until, waitFor } from './engines.mjs';
import { host, inProgram, visit, DRAWN_IN, FRAMES, LIVE, READY } from './site.mjs';
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

const MAX_BUFFER_PIXELS = 1920 * 1080;
// The largest canvas iOS draws.
const IOS_MAX_CANVAS_PIXELS = 16777216;
// gluPerspective's y scale for the 65 degree vertical field of view.
const FOCAL = 1 / Math.tan((65 / 2) * Math.PI / 180);
const TOLERANCE = 1e-3;
// Runs where the program runs: the last viewport and projection it set.
const WATCH_DRAWS = `(() => {
  const drawn = self.plumeDrawn = { viewport: null, projection: null };
  const proto = WebGLRenderingContext.prototype, viewport = proto.viewport;
  const uniform = proto.uniformMatrix4fv;
  proto.viewport = function (...args) { drawn.viewport = args; return viewport.apply(this, args); };
  proto.uniformMatrix4fv = function (at, transpose, value) {
    drawn.projection = Array.from(value);
    return uniform.call(this, at, transpose, value);
  };
})()`;
const SHOWN = "(c => ({ css: [c.clientWidth, c.clientHeight], inner: [innerWidth, innerHeight]," +
  " ratio: devicePixelRatio }))(document.getElementById('canvas'))";
const DRAWN_WITH = '({ buffer: [Module.canvas.width, Module.canvas.height],' +
  ' viewport: plumeDrawn.viewport, projection: plumeDrawn.projection })';
/**
 * @typedef {{ css: number[], inner: number[], ratio: number, buffer: number[],
 *   viewport: number[] | null, projection: number[] | null }} State
 */

// Whether the canvas fills the window, and its buffer, viewport and projection fit it: the
// buffer is the CSS size times the pixel ratio, scaled down past the cap.
/** @param {State} state */
function fits(state) {
  const [cssWidth, cssHeight] = state.css, [width, height] = state.buffer;
  const scale = Math.min(state.ratio, Math.sqrt(MAX_BUFFER_PIXELS / (cssWidth * cssHeight)));
  /** @param {number} a @param {number} b @param {number} slack */
  const near = (a, b, slack) => Math.abs(a - b) <= slack;
  const p = state.projection || [];
  return state.css.join() === state.inner.join() && near(width, cssWidth * scale, 1) &&
    near(height, cssHeight * scale, 1) && width * height <= MAX_BUFFER_PIXELS * 1.001 &&
    width * height <= IOS_MAX_CANVAS_PIXELS &&
    (state.viewport || []).join() === [0, 0, width, height].join() &&
    near(p[5], FOCAL, TOLERANCE) && near(p[0] * width / height, FOCAL, TOLERANCE);
}

/** @param {State} state */
const describe = (state) => `CSS ${state.css.join('x')} at ${state.ratio}: buffer` +
  ` ${state.buffer.join('x')}, viewport ${state.viewport}, projection x` +
  ` ${Number(state.projection?.[0]).toFixed(4)} y ${Number(state.projection?.[5]).toFixed(4)}`;

// The state once it fits (a program in a Worker can take a few of the page's frames to draw at
// a new size), or as it is after the wait.
/** @param {Engine} engine @returns {Promise<State>} */
async function settled(engine) {
  /** @type {State} */
  let state = { css: [], inner: [], ratio: 0, buffer: [], viewport: null, projection: null };
  await until(async () => {
    await engine.evaluate(FRAMES(2));
    state = { ...await engine.evaluate(SHOWN), ...await inProgram(engine, DRAWN_WITH) };
    return fits(state);
  }, 10000);
  return state;
}

// The canvas follows each window size, and pixel ratio (a phone's too) where the engine sets
// one; in Chromium, full screen, touch, safe areas, the pinned canvas and no Fullscreen API too.
/** @type {Scenario} */
export async function windows(engine, served, results) {
  const started = Date.now();
  const live = await visit(engine, served.base);
  results.push([`live after ${Date.now() - started} ms: ${await engine.evaluate('document.title')}`,
    live]);
  const drawnIn = await engine.evaluate(DRAWN_IN);
  results.push([`drawn in: ${drawnIn}`, drawnIn === (engine.name === 'webkit' ? 'page' : 'worker')]);
  await inProgram(engine, WATCH_DRAWS);
  /** @type {Array<[number, number, number, boolean?]>} */
  const windows = [[1000, 400, 1], [500, 700, 1], [800, 600, 1]];
  if (engine.scales) windows.push([700, 500, 2], [1600, 1000, 2], [390, 844, 3, true]);
  for (const [width, height, ratio, mobile] of windows) {
    await engine.resize(width, height, ratio, mobile);
    const state = await settled(engine);
    results.push([`window ${width}x${height} at ${ratio}: ${describe(state)}`,
      live && state.inner[0] === width && fits(state)]);
  }
  if (!engine.scales) console.log(`note: ${engine.name}'s automation sets no pixel ratio`);
  if (engine.page) await chromiumWindow(engine, served.base, results);
  await engine.resize(800, 600);
}

const TOUCH = "['canvas', 'still'].map((id) => getComputedStyle(document.getElementById(id))" +
  ".touchAction).concat(getComputedStyle(document.body).overflow," +
  " document.querySelector('meta[name=viewport]').content)";
const EDGES = "((button, lines) => [button.top, button.right, lines.paddingBottom," +
  " lines.paddingLeft].map(parseFloat))(...['fullscreen', 'overlay'].map((id) =>" +
  ' getComputedStyle(document.getElementById(id))))';
const NOTCH = { top: 47, right: 12, bottom: 34, left: 10 };
const BUTTON = "(b => [b.checkVisibility(), b.textContent])(document.getElementById('fullscreen'))";

// Emulated as a phone at a ratio of 3: the canvas and the still take every touch, the page does
// not scroll and the viewport covers a notched screen, whose safe areas the control and the
// lines keep clear of. The control enters full screen and leaves it, the canvas fitting either
// way; it is hidden on a pinned frame and where the Fullscreen API is missing (an iPhone's).
/** @param {Engine} engine @param {string} base @param {Results} results */
async function chromiumWindow(engine, base, results) {
  const page = /** @type {import('puppeteer-core').Page} */ (engine.page);
  const [canvas, still, overflow, viewport] = await engine.evaluate(TOUCH);
  results.push([`phone: touch-action ${canvas} (canvas), ${still} (still); page overflow` +
    ` ${overflow}; viewport "${viewport}"`, canvas === 'none' && still === 'none' &&
    overflow === 'hidden' && /viewport-fit=cover/.test(viewport)]);
  const cdp = await page.createCDPSession();
  const plain = await engine.evaluate(EDGES);
  await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets: NOTCH });
  await engine.evaluate(FRAMES(2));
  const notched = await engine.evaluate(EDGES);
  await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets: {} });
  await cdp.detach();
  results.push([`safe areas (top, right, bottom, left ${Object.values(NOTCH)}): control at` +
    ` ${notched.slice(0, 2)}, lines padded ${notched.slice(2)}; without: ${plain}`,
  notched.join() === Object.values(NOTCH).join() && plain[0] < NOTCH.top &&
    plain[2] < NOTCH.bottom]);
  await engine.resize(800, 600);
  for (const [want, label] of [['!== null', 'Leave full screen'], ['=== null', 'Full screen']]) {
    const [visible] = await engine.evaluate(BUTTON);
    const clicked = await page.click('#fullscreen').then(() => '',
      (/** @type {Error} */ error) => ` (not clicked: ${error.message.split('\n')[0]})`);
    const done = await waitFor(engine, `document.fullscreenElement ${want}`, 10000);
    const state = await settled(engine);
    const [, text] = await engine.evaluate(BUTTON);
    results.push([`full screen ${want}: ${done}${clicked}, control "${text}", ${describe(state)}`,
      visible && done && text === label && fits(state)]);
  }
  const pinned = await visit(engine, base + '?time=2', READY) && await engine.evaluate("(c => [c.width," +
    " c.height, c.clientWidth, c.clientHeight, c.getBoundingClientRect().left," +
    " c.getBoundingClientRect().top])(document.getElementById('canvas'))");
  const [control] = await engine.evaluate(BUTTON);
  results.push([`pinned: canvas ${pinned}, full-screen control shown: ${control}`,
    String(pinned) === '640,480,640,480,0,0' && !control]);
  const undo = await page.evaluateOnNewDocument(() => {
    Reflect.deleteProperty(Element.prototype, 'requestFullscreen');
    Reflect.deleteProperty(Element.prototype, 'webkitRequestFullscreen');
  });
  const live = await visit(engine, base);
  const [shown] = await engine.evaluate(BUTTON);
  results.push([`no requestFullscreen: live ${live}, full-screen control shown: ${shown}`,
    live && !shown]);
  await page.removeScriptToEvaluateOnNewDocument(undo.identifier);
}

const KEPT = 'navigator.serviceWorker.controller !== null';
const BUILD = "document.querySelector('meta[name=plume-build]').content";
const CACHES = 'caches.keys().then((names) => names.join())';
const FORGET = 'navigator.serviceWorker.getRegistrations().then((all) => Promise.all(' +
  '[...all.map((r) => r.unregister()), caches.keys().then((names) => Promise.all(' +
  'names.map((n) => caches.delete(n))))]))';

// A first visit, then the host gets another build (the same files under another build id): the
// next visit shows it, its worker replaces the old one and keeps that build alone; with the
// network off (where the engine's automation can, else the host gone) the page opens and runs
// that build. The control: with all that forgotten, the page does not open.
/** @type {Scenario} */
export async function offline(engine, served, results) {
  const copy = mkdtempSync(join(tmpdir(), 'plume-site-'));
  cpSync(served.directory, copy, { recursive: true });
  const visited = await host(copy);
  try {
    const first = await engine.goto(visited.base) && await waitFor(engine, `${LIVE} && ${KEPT}`);
    const old = await engine.evaluate(BUILD);
    const next = old.split('').reverse().join('');
    for (const name of ['index.html', 'sw.js']) {
      writeFileSync(join(copy, name), readFileSync(join(copy, name), 'utf8').replaceAll(old, next));
    }
    const kept = await engine.goto(visited.base) && await waitFor(engine, `${LIVE} &&` +
      ` navigator.serviceWorker.controller?.scriptURL.endsWith('${next}') &&` +
      ` ${CACHES}.then((names) => names === 'plume-${next}')`);
    results.push([`new build ${next} after ${old}: worker in charge after the first visit` +
      ` ${first}; caches ${await answer(engine, CACHES, '?')}`, first && kept]);
    const how = engine.setOffline ? 'network off' : 'host gone';
    if (engine.setOffline) await engine.setOffline(true);
    else await visited.down();
    const back = await engine.goto(visited.base) && await waitFor(engine, LIVE);
    const [title, build] = back ? await engine.evaluate(`[document.title, ${BUILD}]`) : ['none'];
    results.push([`${how}, the page runs again: build ${build}, ${title}`, back && build === next]);
    await engine.evaluate(FORGET);
    // A failed navigation leaves the engine's error page, which some cannot be asked about.
    let why = '';
    const opened = await engine.goto(visited.base) && await engine.evaluate(
      "document.getElementById('canvas') !== null").catch((/** @type {Error} */ error) => {
      why = ` (not asked: ${error.message.split('\n')[0]})`;
      return false;
    });
    results.push([`control: nothing kept, ${how}, the page opens: ${opened}${why}`, !opened]);
  } finally {
    await engine.setOffline?.(false);
    await visited.down();
    rmSync(copy, { recursive: true, force: true });
  }
}
