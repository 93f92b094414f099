// A page not shown (hidden, frozen, in the back/forward cache) draws nothing for a few times the
// clock's longest step, then carries on. On the plain site (a black sky, a white feather) the
// canvas's distance from a black frame says how much feather shows. Controls: the feathers
// covered; in Chromium's Worker, which goes on getting frames, a page deaf to its hiding.
import { answer, sleep, waitFor } from './engines.mjs';
import { inProgram, judge, programHolds, shot, visit, DRAWN_IN, FIRST_FRAME, LIVE, ON_THE_PAGE,
  TEXT } from './site.mjs';

const AWAY_MS = 3000;
// A frame under way as the page goes may finish: only frames begun this much later count.
const SETTLE_MS = 250;
const MIN_LIT_KEPT = 0.5;
const MIN_CONTROL_FRAMES = 30;
const EVENTS = ['visibilitychange', 'freeze', 'resume', 'pagehide', 'pageshow'];
// Where the program runs: the start of each animation frame in which WebGL drew.
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
// Before the page's scripts, for the control: its listeners for those events are never added.
const DEAFEN = `(() => {
  const listen = EventTarget.prototype.addEventListener;
  EventTarget.prototype.addEventListener = function (type, listener, options) {
    if (!${JSON.stringify(EVENTS)}.includes(type) || options === true || options?.capture) {
      listen.call(this, type, listener, options);
    }
  };
})()`;
const COVER = "document.body.insertAdjacentHTML('beforeend', '<div style=\"position:fixed;" +
  "inset:0;background:#000;z-index:9\"></div>')";

// Until `count` more frames are drawn where the program runs.
/** @param {Engine} engine */
async function frames(engine, count = 20) {
  const now = await engine.evaluate('Date.now()');
  return programHolds(engine, `plumeStamps.filter((ms) => ms > ${now}).length >= ${count}`, 60000);
}

// How lit the canvas is, over `shots` shots 8 frames apart: a feather close by can cover a tenth.
/** @param {Engine} engine */
async function lit(engine, shots = 5) {
  let sum = 0;
  for (let each = 0; each < shots; ++each) {
    await frames(engine, 8);
    await shot(engine, 'lit');
    sum += judge('lit', 'black').levels / shots;
  }
  return sum;
}

// The page at `url` watched once live (or, sooner, drawing): its frames, and when it is shown.
/** @param {Engine} engine @param {string} url */
async function opened(engine, url, condition = LIVE) {
  if (!await visit(engine, url, condition)) return false;
  await inProgram(engine, COUNT_FRAMES);
  await engine.evaluate("addEventListener('visibilitychange', () => document.hidden ||" +
    ' (self.plumeShownAt = Date.now()), true)');
  return frames(engine);
}

// Frames begun from `from` on (a frame under way may finish), to `to`.
/** @param {Engine} engine @param {number} from @param {number} to */
const drawn = async (engine, from, to = from + 1000) => (await inProgram(engine, 'plumeStamps'))
  .filter((/** @type {number} */ ms) => ms > from && ms < to).length;
/** @param {Engine} engine */
const hide = async (engine) => {
  await engine.hide();
  await waitFor(engine, "document.visibilityState === 'hidden'", 10000);
};
// How the page goes and comes back: behind another tab, frozen there, or left for another page
// and restored from the back/forward cache (Chromium says why it was not).
/** @typedef {(engine: Engine, url: string) => Promise<unknown>} Step */
/** @type {Record<string, [Step, Step]>} */
const AWAY = {
  hidden: [hide, (engine) => engine.show()],
  frozen: [async (engine) => { await hide(engine); await engine.setFrozen?.(true); },
    async (engine) => { await engine.setFrozen?.(false); await engine.show(); }],
  bfcache: [(engine, url) => engine.goto(url + 'favicon.ico'), async (engine) => {
    // Restored from the cache, it fires no load event for Puppeteer to await.
    await engine.evaluate('void setTimeout(() => history.back())');
    if (await waitFor(engine, `${LIVE} && 'plumeShownAt' in self`, 20000)) return;
    throw new Error(`loaded afresh, not restored: ${await answer(engine, "JSON.stringify(" +
      "performance.getEntriesByType('navigation')[0]?.notRestoredReasons)", '?')}`);
  }],
};

// Away AWAY_MS: no frame drawn until shown again, some just before; the same page after, saying
// nothing, its feathers still on screen, at least MIN_LIT_KEPT of before (and covered, not).
/** @param {Engine} engine @param {string} url @param {Results} results @param {string} how */
async function away(engine, url, results, how,
  path = engine.name === 'webkit' ? 'page' : 'worker') {
  const [leave, come] = AWAY[how];
  if (!await opened(engine, url)) return results.push([`${how} ${path}: never ran`, false]);
  const before = await lit(engine), leaving = Date.now();
  await leave(engine, url);
  const gone = Date.now();
  await sleep(AWAY_MS);
  await come(engine, url);
  await frames(engine);
  const [back, after] = [await engine.evaluate('plumeShownAt'), await lit(engine)];
  const [during, shown] = [await drawn(engine, gone + SETTLE_MS, back),
    await drawn(engine, leaving - 1000, leaving)];
  const [drawnIn, message] = [await engine.evaluate(DRAWN_IN), await engine.evaluate(TEXT)];
  results.push([`${how} ${path} ${back - gone} ms, drawn in the ${drawnIn}: ${during} frames,` +
    ` ${shown} in the second before; then saying "${message}"`,
  back - gone >= AWAY_MS && during === 0 && shown > 0 && drawnIn === path && !message]);
  await engine.evaluate(COVER);
  const covered = await lit(engine, 1);
  results.push([`${how} ${path}: ${after.toFixed(3)} levels lit after, ${before.toFixed(3)}` +
    ` before; control: covered, ${covered.toFixed(3)}`, after >= MIN_LIT_KEPT * before &&
    before > 0 && covered < MIN_LIT_KEPT * before]);
}

// The engine's own path, then the page's where a script can take transferControlToOffscreen away
// first; Chromium's control, deaf, draws on.
/** @type {Scenario} */
export async function hidden(engine, served, results) {
  await away(engine, served.base, results, 'hidden');
  const undo = await engine.beforeScripts?.(ON_THE_PAGE);
  if (undo) await away(engine, served.base, results, 'hidden', 'page');
  await undo?.();
  if (engine.name !== 'chromium') return;
  const deaf = await engine.beforeScripts?.(DEAFEN);
  const ran = await opened(engine, served.base, `${FIRST_FRAME} !== null`);
  await deaf?.();
  await hide(engine);
  const gone = Date.now();
  await sleep(AWAY_MS);
  const during = await drawn(engine, gone + SETTLE_MS, Date.now());
  await engine.show();
  results.push([`control: deaf to its hiding, ${during} frames drawn hidden ${AWAY_MS} ms`,
    ran && during >= MIN_CONTROL_FRAMES]);
}

/** @type {Scenario} */
export const frozen = (engine, served, results) => away(engine, served.base, results, 'frozen');
/** @type {Scenario} */
export const bfcache = (engine, served, results) => away(engine, served.base, results, 'bfcache');
