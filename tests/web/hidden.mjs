// A page not shown (hidden, frozen, in the back/forward cache) draws nothing for a few times the
// clock's longest step, then carries on (the scene taking the gap as a pause is the clock's own,
// ClockTest's). The control: in Chromium's Worker, which goes on getting frames, a page deaf to
// its hiding.
import { answer, waitFor, sleep } from './engines.mjs';
import { frames, inProgram, visit, COUNT, DRAWN_IN, FIRST_FRAME, LIVE, TEXT } from './site.mjs';

// Away this long; a frame under way as the page goes may finish: only those begun SETTLE_MS on
// count.
const [AWAY_MS, SETTLE_MS, MIN_CONTROL_FRAMES] = [3000, 250, 30];
const EVENTS = ['visibilitychange', 'freeze', 'resume', 'pagehide', 'pageshow'];
// Before the page's scripts, for the control: its listeners for those events are never added.
const DEAFEN = `(() => {
  const listen = EventTarget.prototype.addEventListener;
  EventTarget.prototype.addEventListener = function (type, listener, options) {
    if (!${JSON.stringify(EVENTS)}.includes(type) || options === true || options?.capture) {
      listen.call(this, type, listener, options);
    }
  };
})()`;

// The page at `url` watched once live (or, sooner, drawing): its frames, and when it is shown.
/** @param {Engine} engine @param {string} url */
async function opened(engine, url, condition = LIVE) {
  if (!await visit(engine, url, condition)) return false;
  await inProgram(engine, COUNT);
  await engine.evaluate("addEventListener('visibilitychange', () => document.hidden ||" +
    ' (self.plumeShownAt = Date.now()), true)');
  return frames(engine, 20, true);
}
// Frames drawn that began after `from` and before `to`.
/** @param {Engine} engine @param {number} from @param {number} to */
const drawn = async (engine, from, to) => (await inProgram(engine, 'plumeCounts.stamps'))
  .filter((/** @type {number} */ ms) => ms > from && ms < to).length;

// How the page goes and comes back: behind another tab, frozen there, or left for another page
// and restored from the back/forward cache (Chromium says why it was not).
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

// Away AWAY_MS, the engine's own way: no frame drawn until shown again, some in the second
// before, and drawing again after, the same page, saying nothing.
/** @param {string} how @returns {Scenario} */
const away = (how) => async (engine, served, results) => {
  const [leave, come] = AWAY[how], path = engine.name === 'webkit' ? 'page' : 'worker';
  if (!await opened(engine, served.base)) return results.push([`${how}: never ran`, false]);
  const leaving = Date.now();
  await leave(engine, served.base);
  const gone = Date.now();
  await sleep(AWAY_MS);
  await come(engine, served.base);
  const resumed = await frames(engine, 20, true), back = await engine.evaluate('plumeShownAt');
  const [during, before] = [await drawn(engine, gone + SETTLE_MS, back),
    await drawn(engine, leaving - 1000, leaving)];
  const [drawnIn, message] = [await engine.evaluate(DRAWN_IN), await engine.evaluate(TEXT)];
  results.push([`${how} ${back - gone} ms, drawn in the ${drawnIn}: ${during} frames, ${before}` +
    ` in the second before, drawing again ${resumed}; then saying "${message}"`,
  back - gone >= AWAY_MS && during === 0 && before > 0 && resumed && drawnIn === path && !message]);
};

export const [frozen, bfcache] = [away('frozen'), away('bfcache')];
// Hidden; Chromium's control, deaf, draws on.
/** @type {Scenario} */
export async function hidden(engine, served, results) {
  await away('hidden')(engine, served, results);
  if (engine.name !== 'chromium') return;
  const deaf = await engine.beforeScripts?.(DEAFEN);
  const ran = await opened(engine, served.base, `${FIRST_FRAME} !== null`);
  await deaf?.();
  await engine.hide();
  const gone = Date.now();
  await sleep(AWAY_MS);
  const during = await drawn(engine, gone + SETTLE_MS, Date.now());
  await engine.show();
  results.push([`control: deaf to its hiding, ${during} frames drawn hidden ${AWAY_MS} ms`,
    ran && during >= MIN_CONTROL_FRAMES]);
}
