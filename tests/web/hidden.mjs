// A page that is not shown draws nothing, and carries on when it is shown again: hidden behind
// another tab (WebKit: its window minimised), frozen (Chromium), left for the back/forward cache;
// each for a few times the clock's longest step (the clock's own tests hold it to that). On the
// plain site (a black sky, an opaque white feather), how far the canvas is from a black frame, as
// plume-compare measures it, says how much feather is on screen. The controls: the page deaf to
// those events; the feathers covered over.
import { answer, sleep, waitFor } from './engines.mjs';
import { inProgram, judge, programHolds, shot, visit, DRAWN_IN, FIRST_FRAME, LIVE, ON_THE_PAGE,
  TEXT } from './site.mjs';
/** @typedef {Array<[event: string, state: string, ms: number]>} Heard */

const AWAY_MS = 3000;
// A frame under way as the page is hidden may finish: the page's word reaches a Worker within
// this, and only frames begun after it count.
const SETTLE_MS = 250;
// The frames drawn after a page is shown before it is measured, and between its shots.
const SHOWN_FRAMES = 20;
const SHOT_FRAMES = 8;
const MIN_LIT_KEPT = 0.5;
// The control, deaf to its hiding, in Chromium's Worker, which the engine goes on giving frames.
const MIN_CONTROL_FRAMES = 30;
const EVENTS = ['visibilitychange', 'freeze', 'resume', 'pagehide', 'pageshow'];
const SHOTS = 5;

// Where the program runs: each animation frame in which WebGL drew, stamped with the time it
// began (plumeStamps).
const COUNT_FRAMES = `(() => {
  const stamps = self.plumeStamps = [], proto = WebGLRenderingContext.prototype;
  const ask = self.requestAnimationFrame.bind(self), draw = proto.drawElements;
  let drew = false;
  proto.drawElements = function (...args) { drew = true; return draw.apply(this, args); };
  self.requestAnimationFrame = (callback) => ask((time) => {
    const begun = Date.now();
    drew = false;
    callback(time);
    if (drew) stamps.push(begun);
  });
})()`;
// On the page: the events it hears, with its visibility at each.
const WATCH = `(() => {
  const heard = self.plumeHeard = [];
  for (const type of ${JSON.stringify(EVENTS)}) {
    addEventListener(type, () => heard.push([type, document.visibilityState, Date.now()]), true);
  }
})()`;
// Before the page's scripts, for the control: its listeners for those events are never added.
const DEAFEN = `(() => {
  const listen = EventTarget.prototype.addEventListener;
  EventTarget.prototype.addEventListener = function (type, listener, options) {
    const capture = options === true || (typeof options === 'object' && options.capture);
    if (!${JSON.stringify(EVENTS)}.includes(type) || capture) listen.call(this, type, listener, options);
  };
})()`;

// How lit the canvas is: its mean difference in levels from a black frame, over SHOTS shots
// SHOT_FRAMES frames apart (one feather tumbling close to the eye can cover a tenth of it).
/** @param {Engine} engine */
async function lit(engine) {
  let sum = 0;
  for (let each = 0; each < SHOTS; ++each) {
    await frames(engine, SHOT_FRAMES);
    await shot(engine, 'lit');
    sum += judge('lit', 'black').levels;
  }
  return sum / SHOTS;
}

// Until `count` more frames are drawn where the program runs.
/** @param {Engine} engine */
async function frames(engine, count = SHOWN_FRAMES) {
  const now = await engine.evaluate('Date.now()');
  const more = `plumeStamps.filter((ms) => ms > ${now}).length >= ${count}`;
  return programHolds(engine, more, 60000);
}

// The page at `url` once live, watched, and how lit it is; or (not `measured`, sooner) once it
// has shown a frame, 0; null if it never ran. The scene's first seconds are sparse.
/** @param {Engine} engine @param {string} url */
async function opened(engine, url, measured = true) {
  if (!await visit(engine, url, measured ? LIVE : `${FIRST_FRAME} !== null`)) return null;
  await inProgram(engine, COUNT_FRAMES);
  await engine.evaluate(WATCH);
  return measured ? lit(engine) : frames(engine).then(() => 0);
}

// What the page heard and drew: `at` the time of an event (after `after`), `between` the
// frames begun between two times.
/** @param {Engine} engine */
async function heardAndDrawn(engine) {
  /** @type {[Heard, number[]]} */
  const [heard, stamps] = [await engine.evaluate('plumeHeard'),
    await inProgram(engine, 'plumeStamps')];
  /** @param {string} type @param {string} [state] @param {number} [after] */
  const at = (type, state, after = 0) =>
    heard.find(([t, s, ms]) => t === type && (!state || s === state) && ms > after)?.[2];
  /** @param {number | undefined} from @param {number | undefined} to */
  const between = (from, to) => from === undefined || to === undefined ? -1
    : stamps.filter((ms) => ms > from + SETTLE_MS && ms < to).length;
  const said = heard.map(([type, state]) => `${type}:${state}`).join(' ');
  return { at, between, said, drawnIn: await engine.evaluate(DRAWN_IN),
    message: await engine.evaluate(TEXT) };
}

// Hidden, once the page says so, for `ms`, then shown again and drawing.
/** @param {Engine} engine @param {number} ms */
async function hideFor(engine, ms, frozen = false) {
  await engine.hide();
  await waitFor(engine, "document.visibilityState === 'hidden'", 10000);
  if (frozen) await engine.setFrozen?.(true);
  await sleep(ms);
  if (frozen) await engine.setFrozen?.(false);
  await engine.show();
  await frames(engine);
}

// The feathers still on screen after `what`: at least MIN_LIT_KEPT of how lit it was before.
/** @param {string} what @param {number} before @param {number} after @returns {[string, boolean]} */
const kept = (what, before, after) => [`${what}: ${after.toFixed(3)} levels lit,` +
  ` ${before.toFixed(3)} before`, after >= MIN_LIT_KEPT * before && before > 0];

// Hidden AWAY_MS: no frame drawn, frames drawn just before; the same page after, its feathers on
// screen. The control, the page deaf to its hiding, must draw on where the engine goes on giving
// it frames (Chromium's Worker; Firefox and WebKit stop a hidden page's frames themselves).
/** @param {Engine} engine @param {string} url @param {string} path @param {Results} results */
async function hiddenOn(engine, url, path, results) {
  const before = await opened(engine, url);
  if (before === null) return results.push([`${path}: the page never ran`, false]);
  await hideFor(engine, AWAY_MS);
  const after = await lit(engine);
  const { at, between, said, drawnIn, message } = await heardAndDrawn(engine);
  const [hiddenAt, shownAt] = [at('visibilitychange', 'hidden'), at('visibilitychange', 'visible')];
  const away = Number(shownAt) - Number(hiddenAt);
  const [all, shown] = [between(hiddenAt, shownAt), between(Number(hiddenAt) - 1000, hiddenAt)];
  results.push([`${path}: hidden ${away} ms (${said}), drawn in the ${drawnIn}: ${all} frames;` +
    ` ${shown} in the second shown before; after, saying "${message || 'nothing'}"`,
  away >= AWAY_MS && all === 0 && shown > 0 && drawnIn === path && !message]);
  results.push(kept(`${path}: feathers after ${AWAY_MS} ms hidden`, before, after));
  if (engine.name !== 'chromium' || path !== 'worker') return;
  const undo = await engine.beforeScripts?.(DEAFEN);
  const ran = await opened(engine, url, false);
  await undo?.();
  await hideFor(engine, AWAY_MS);
  const deaf = await heardAndDrawn(engine);
  const count = deaf.between(deaf.at('visibilitychange', 'hidden'),
    deaf.at('visibilitychange', 'visible'));
  results.push([`${path}: control: deaf to its hiding, ${count} frames drawn in ${AWAY_MS} ms` +
    ' hidden', ran !== null && count >= MIN_CONTROL_FRAMES]);
}

// The engine's own path (the Worker's where it draws there), and the page's where a script can
// take transferControlToOffscreen away first.
/** @type {Scenario} */
export async function hidden(engine, served, results) {
  await hiddenOn(engine, served.base, engine.name === 'webkit' ? 'page' : 'worker', results);
  const undo = await engine.beforeScripts?.(ON_THE_PAGE);
  if (undo) await hiddenOn(engine, served.base, 'page', results);
  await undo?.();
}

// Frozen AWAY_MS behind another tab, as a browser freezes a hidden page, then resumed.
/** @type {Scenario} */
export async function frozen(engine, served, results) {
  const before = await opened(engine, served.base);
  await hideFor(engine, AWAY_MS, true);
  const after = await lit(engine);
  const { at, between, said } = await heardAndDrawn(engine);
  const [frozeAt, resumedAt] = [at('freeze'), at('resume')];
  const count = between(frozeAt, resumedAt);
  results.push([`frozen ${Number(resumedAt) - Number(frozeAt)} ms (${said}): ${count} frames drawn`,
    before !== null && count === 0]);
  results.push(kept('feathers after frozen', Number(before), after));
}

// Left for another page AWAY_MS and restored from the back/forward cache: the watch set before
// leaving is still there only if the very page came back (Chromium says why it was not). The
// share's control: the same measure with the feathers covered over must fail.
/** @type {Scenario} */
export async function bfcache(engine, served, results) {
  const before = await opened(engine, served.base);
  await engine.goto(served.base + 'favicon.ico');
  await sleep(AWAY_MS);
  await engine.back();
  if (!await waitFor(engine, `${LIVE} && 'plumeHeard' in window`, 20000)) {
    const why = await answer(engine, "JSON.stringify(performance.getEntriesByType('navigation')" +
      "[0]?.notRestoredReasons ?? 'not said')", 'not said');
    return results.push([`not restored from it, loaded afresh (${why})`, false]);
  }
  const after = await lit(engine);
  const { at, between, said } = await heardAndDrawn(engine);
  // Away from leaving until visible again, which comes before pageshow says the page is back.
  const leftAt = at('pagehide');
  const backAt = leftAt === undefined ? undefined : at('visibilitychange', 'visible', leftAt);
  const count = between(leftAt, backAt);
  results.push([`away ${Number(backAt) - Number(leftAt)} ms (${said}): ${count} frames drawn`,
    count === 0]);
  results.push(kept('feathers after the bfcache', Number(before), after));
  await engine.evaluate("document.body.insertAdjacentHTML('beforeend', '<div style=\"position:" +
    "fixed;inset:0;background:#000;z-index:9\"></div>')");
  const [line, holds] = kept('control: feathers covered', after, await lit(engine));
  results.push([line, !holds]);
}
