// The canvas fitting the window, and coming back: a new build, offline, a page not shown.
import { answer, sleep, until, waitFor } from './engines.mjs';
import { frames, host, inProgram, visit, COUNT, DRAWN_IN, FIRST_FRAME, FRAMES, LIVE, READY,
  TEXT } from './site.mjs';

const MAX_BUFFER_PIXELS = 1920 * 1080;
// gluPerspective's y scale for the 65 degree vertical field of view.
const FOCAL = 1 / Math.tan((65 / 2) * Math.PI / 180);
const SHOWN = "(c => [c.clientWidth, c.clientHeight, innerWidth, innerHeight, devicePixelRatio])" +
  "(document.getElementById('canvas'))";
// Where the program runs: its drawing buffer, viewport and projection.
const DRAWN = `(gl => [gl.canvas.width, gl.canvas.height, ...[gl.getParameter(gl.VIEWPORT), (p =>
  gl.getUniform(p, gl.getUniformLocation(p, 'projection')))(gl.getParameter(gl.CURRENT_PROGRAM))]
  .map((values) => Array.from(values))])(Module.ctx)`;
/** @param {number} a @param {number} b */
const near = (a, b, slack = 1) => Math.abs(a - b) <= slack;

// Canvas, buffer (CSS size times capped ratio), viewport, projection fit in 10 s (a Worker lags).
/** @param {Engine} engine @returns {Promise<[boolean, string]>} */
async function settled(engine, said = '') {
  const fits = await until(async () => {
    await engine.evaluate(FRAMES(2));
    const [cssWidth, cssHeight, innerWidth, innerHeight, ratio] = await engine.evaluate(SHOWN);
    const [width, height, viewport, p] = await inProgram(engine, DRAWN);
    const scale = Math.min(ratio, Math.sqrt(MAX_BUFFER_PIXELS / (cssWidth * cssHeight)));
    said = `CSS ${cssWidth}x${cssHeight} at ${ratio}: buffer ${width}x${height}, viewport` +
      ` ${viewport}, projection x ${Number(p[0]).toFixed(4)} y ${Number(p[5]).toFixed(4)}`;
    return cssWidth === innerWidth && cssHeight === innerHeight && near(width, cssWidth * scale)
      && near(height, cssHeight * scale) && String(viewport) === `0,0,${width},${height}` &&
      near(p[5], FOCAL, 1e-3) && near(p[0] * width / height, FOCAL, 1e-3);
  }, 10000);
  return [fits, said];
}

// Each window size, and in Chromium pixel ratios (a phone's too) and what follows.
/** @type {Scenario} */
export async function windows(engine, served, results) {
  const live = await visit(engine, served.base);
  /** @type {Array<[number, number, number, boolean?]>} */
  const sizes = [[1000, 400, 1], [500, 700, 1], [800, 600, 1]];
  if (engine.page) sizes.push([700, 500, 2], [1600, 1000, 2], [390, 844, 3, true]);
  for (const [width, height, ratio, mobile] of sizes) {
    await engine.resize(width, height, ratio, mobile);
    const [fits, said] = await settled(engine);
    results.push([`window ${width}x${height} at ${ratio}: ${said}`, live && fits]);
  }
  if (engine.page) await chromiumWindow(engine, engine.page, served.base, results);
  await engine.resize(800, 600);
}

const EDGES = "((buttons, lines) => [buttons.top, buttons.right, lines.paddingBottom," +
  " lines.paddingLeft].map(parseFloat))(...['controls', 'overlay'].map((id) =>" +
  ' getComputedStyle(document.getElementById(id))))';
const NOTCH = { top: 47, right: 12, bottom: 34, left: 10 };
const BUTTON = "(b => [b.checkVisibility(), b.textContent])(document.getElementById('fullscreen'))";

// The control and the lines clear a notch; the control enters full screen and leaves it, and is
// hidden on a pinned frame (fitting a narrow screen) and where the API is missing (an iPhone's).
/** @param {Engine} engine @param {import('puppeteer-core').Page} page @param {string} base
 * @param {Results} results */
async function chromiumWindow(engine, page, base, results) {
  const cdp = await page.createCDPSession(), plain = await engine.evaluate(EDGES);
  await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets: NOTCH });
  await engine.evaluate(FRAMES(2));
  const notched = await engine.evaluate(EDGES);
  await cdp.send('Emulation.setSafeAreaInsetsOverride', { insets: {} });
  results.push([`safe areas ${Object.values(NOTCH)}: control at ${notched.slice(0, 2)}, lines` +
    ` padded ${notched.slice(2)}; without: ${plain}`, notched.join() ===
    Object.values(NOTCH).join() && plain[0] < NOTCH.top && plain[2] < NOTCH.bottom]);
  await engine.resize(800, 600);
  for (const [want, label] of [['!== null', 'Leave full screen'], ['=== null', 'Full screen']]) {
    const [visible] = await engine.evaluate(BUTTON);
    await page.click('#fullscreen').catch(() => {});
    const done = await waitFor(engine, `document.fullscreenElement ${want}`, 10000);
    const [[fits, said], [, text]] = [await settled(engine), await engine.evaluate(BUTTON)];
    results.push([`full screen ${want}: ${done}, control "${text}", ${said}`,
      visible && done && text === label && fits]);
  }
  await engine.resize(360, 640);
  const pinned = await visit(engine, base + '?time=2', READY) && await engine.evaluate("(c => [" +
    "c.clientWidth, c.clientHeight, c.width, c.height])(document.getElementById('canvas'))");
  const [control] = await engine.evaluate(BUTTON);
  results.push([`pinned, narrow: canvas ${pinned}, full-screen control shown: ${control}`,
    String(pinned) === '360,270,640,480' && !control]);
  const undo = await engine.beforeScripts?.("for (const name of ['requestFullscreen'," +
    " 'webkitRequestFullscreen']) Reflect.deleteProperty(Element.prototype, name)");
  const [live, [shown]] = [await visit(engine, base), await engine.evaluate(BUTTON)];
  results.push([`no requestFullscreen: live ${live}, control shown: ${shown}`, live && !shown]);
  await undo?.();
}

const BUILD = "document.querySelector('meta[name=plume-build]').content";
const CACHES = 'caches.keys().then((names) => names.join())';
const FORGET = 'navigator.serviceWorker.getRegistrations().then((all) => Promise.all(' +
  '[...all.map((r) => r.unregister()), caches.keys().then((names) => Promise.all(' +
  'names.map((n) => caches.delete(n))))]))';

// Another build's worker replaces the old and runs with the host gone; forgotten, nothing opens.
/** @type {Scenario} */
export async function offline(engine, served, results) {
  let [old, next] = ['', ''];
  const visited = await host(served.directory, { change: (path, body) => next &&
    /^\/(index\.html|sw\.js)?$/.test(path) ? Buffer.from(String(body).replaceAll(old, next))
    : body });
  const first = await visit(engine, visited.base,
    `${LIVE} && navigator.serviceWorker.controller !== null`);
  old = await engine.evaluate(BUILD);
  next = [...old].reverse().join('');
  const kept = first && await visit(engine, visited.base, `${LIVE} && navigator.serviceWorker` +
    `.controller?.scriptURL.endsWith('${next}') && ${CACHES}.then((n) => n === 'plume-${next}')`);
  const caches = await answer(engine, CACHES, '?');
  await visited.down();
  const back = await visit(engine, visited.base), build = back && await engine.evaluate(BUILD);
  results.push([`new build ${next} after ${old} taken up (${kept}), caches ${caches}; host` +
    ` gone, the page runs build ${build}`, kept && build === next]);
  await engine.evaluate(FORGET);
  // A failed navigation leaves the engine's error page, which some cannot be asked about.
  const opened = await engine.goto(visited.base) && await engine.evaluate(
    "document.getElementById('canvas') !== null").catch(() => false);
  results.push([`control: nothing kept, host gone, the page opens: ${opened}`, !opened]);
}

// A frame under way as the page goes may finish: only those begun SETTLE_MS on count.
const [AWAY_MS, SETTLE_MS, MIN_CONTROL_FRAMES] = [3000, 250, 30];
// Before the page's scripts, for the control: its listeners for being shown are never added.
const DEAFEN = `(() => {
  const listen = EventTarget.prototype.addEventListener;
  EventTarget.prototype.addEventListener = function (type, listener, options) {
    if (!['visibilitychange', 'freeze', 'resume', 'pagehide', 'pageshow'].includes(type) ||
      options === true || options?.capture) listen.call(this, type, listener, options);
  };
})()`;
// Frames drawn that began after `from` and before `to`.
/** @param {Engine} engine @param {number} from @param {number} to */
export const drawn = async (engine, from, to) => (await inProgram(engine, 'plumeCounts.stamps'))
  .filter((/** @type {number} */ ms) => ms > from && ms < to).length;

// The page hidden behind a tab, frozen there, or left and restored from the back/forward cache.
/** @type {Record<string, Array<(engine: Engine, url: string) => Promise<unknown>>>} */
const AWAY = {
  hidden: [(engine) => engine.hide(), (engine) => engine.show()],
  frozen: [async (engine) => { await engine.hide(); await engine.setFrozen?.(true); },
    async (engine) => { await engine.setFrozen?.(false); await engine.show(); }],
  bfcache: [(engine, url) => engine.goto(url + 'favicon.ico'), async (engine) => {
    // Restored from the cache, it fires no load event for Puppeteer to await.
    await engine.evaluate('void setTimeout(() => history.back())');
    if (await waitFor(engine, `${LIVE} && 'plumeShownAt' in self`, 20000)) return;
    throw new Error(`loaded afresh, not restored: ${await answer(engine, "JSON.stringify(" +
      "performance.getEntriesByType('navigation')[0]?.notRestoredReasons)", '?')}`);
  }],
};

// Drawing in the second before, a page not shown draws nothing for a few of the clock's longest
// steps, then again silently; the control, deaf to hiding, draws on in Chromium's Worker.
/** @param {string} how @returns {Scenario} */
const away = (how, deaf = false) => async (engine, served, results) => {
  const [leave, come] = AWAY[how], path = engine.name === 'webkit' ? 'page' : 'worker';
  const undo = deaf && await engine.beforeScripts?.(DEAFEN);
  const ran = await visit(engine, served.base, deaf ? `${FIRST_FRAME} !== null` : LIVE);
  if (undo) await undo();
  await inProgram(engine, COUNT);
  await engine.evaluate("addEventListener('visibilitychange', () => document.hidden ||" +
    ' (self.plumeShownAt = Date.now()), true)');
  if (!ran || !await frames(engine, 20, true)) return results.push([`${how}: never ran`, false]);
  const leaving = Date.now();
  await leave(engine, served.base);
  const gone = Date.now();
  await sleep(AWAY_MS);
  await come(engine, served.base);
  const resumed = await frames(engine, 20, true), back = await engine.evaluate('plumeShownAt');
  const [during, before] = [await drawn(engine, gone + SETTLE_MS, back),
    await drawn(engine, leaving - 1000, leaving)];
  const [drawnIn, message] = [await engine.evaluate(DRAWN_IN), await engine.evaluate(TEXT)];
  results.push([`${deaf ? 'control: deaf, ' : ''}${how} ${back - gone} ms, drawn in the` +
    ` ${drawnIn}: ${during} frames, ${before} in the second before, drawing again ${resumed};` +
    ` then saying "${message}"`, back - gone >= AWAY_MS && before > 0 && resumed &&
    drawnIn === path && !message && (deaf ? during >= MIN_CONTROL_FRAMES : during === 0)]);
};

export const [frozen, bfcache] = [away('frozen'), away('bfcache')];
/** @type {Scenario} */
export async function hidden(engine, served, results) {
  await away('hidden')(engine, served, results);
  if (engine.page) await away('hidden', true)(engine, served, results);
}
