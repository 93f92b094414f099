// A page that is not shown draws nothing, and carries on when it is shown again, in one engine:
// hidden behind another tab, frozen and resumed (where the engine's automation can freeze a
// page), and left for the back/forward cache and restored. On the plain site (a black sky, an
// opaque white feather), what is not black on the canvas is feather: its share before and after
// says that the feathers are still on screen. The control is the page as it was: its own
// listeners for those events kept from hearing them.
// Frames are counted by frame_watch.mjs's scripts, in the page and in its Worker.
import { LIVE, openEngine, waitFor, canvasShot } from './engines.mjs';
import { countFrames, deafenPage, watchPage, watchWorker } from './frame_watch.mjs';
import { answer } from '../../../tools/browser/browser.mjs';
import { spawnSync } from 'node:child_process';
/** @typedef {import('./engines.mjs').Engine} Engine */
/** @typedef {Array<[event: string, state: string, ms: number]>} Heard */

const LIVE_MS = 60000;
// Hidden once for long enough that a scene which took the gap as a step would have blown away,
// its frames counted over the first COUNTED_MS of it.
const HIDDEN_MS = 30000;
const COUNTED_MS = 10000;
const FROZEN_MS = 10000;
const AWAY_MS = 5000;
const RESTORED_MS = 15000;
// A frame under way as the page is hidden may finish: the page's word reaches a Worker within
// this, and only frames begun after it count.
const SETTLE_MS = 250;
// The scene's frames after it is shown, before its share is taken again.
const SHOWN_MS = 2000;
// The feathers' share of the canvas swings by half and more as the camera turns, so a page that
// comes back must show a quarter of it at the least; a canvas left blank shows none.
const MIN_SHARE_KEPT = 0.25;
const MIN_CONTROL_FRAMES = 100;
const EVENTS = ['visibilitychange', 'freeze', 'resume', 'pagehide', 'pageshow'];
// A pixel is feather where its brightest channel is above this share of full.
const FEATHER_LEVEL = '12%';
const SHOTS = 5;
const SHOT_MS = 400;
const HIDING_MS = 5000;

/** @param {number} ms */
const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// The share of the canvas that is feather, the mean of SHOTS shots SHOT_MS apart: one feather
// tumbling close to the eye can cover a tenth of the canvas for a moment.
/** @param {Engine} engine @param {string} file */
async function featherShare(engine, file) {
  let sum = 0;
  for (let shot = 0; shot < SHOTS; ++shot) {
    if (shot > 0) await sleep(SHOT_MS);
    await canvasShot(engine, file);
    const measured = spawnSync('convert', [file, '-channel', 'RGB', '-separate',
      '-evaluate-sequence', 'Max', '-threshold', FEATHER_LEVEL, '-format', '%[fx:mean]',
      'info:'], { encoding: 'utf8' });
    if (measured.status !== 0) throw new Error(`convert could not measure ${file}`);
    sum += Number(measured.stdout);
  }
  return sum / SHOTS;
}

// The page live at `url`, watched; its feather share.
/** @param {Engine} engine @param {string} url @param {boolean} deafen @param {string} file */
async function opened(engine, url, deafen, file) {
  if (!(await engine.goto(url) && await waitFor(engine, LIVE, LIVE_MS))) return null;
  await engine.evaluate(`(${watchPage})(${countFrames}, ${JSON.stringify(EVENTS)}, ${deafen})`);
  await sleep(SHOWN_MS);
  return featherShare(engine, file);
}

// What the page heard and drew: the times of the first `from` event and the next `to` after it
// (the first hidden and visible visibilitychange by default), and the frames begun between.
/** @param {Engine} engine */
async function heardAndDrawn(engine) {
  /** @type {[Heard, number[], string, string]} */
  const [heard, stamps, drawnIn, message] = await engine.evaluate('plumeWatch.frames().then(' +
    "(stamps) => [plumeWatch.heard, stamps, document.getElementById('canvas').dataset.drawnIn," +
    " document.getElementById('message').hidden ? '' : document.getElementById('message')" +
    '.textContent])');
  /** @param {string} type @param {string} [state] @param {number} [after] */
  const at = (type, state, after = 0) =>
    heard.find(([t, s, ms]) => t === type && (!state || s === state) && ms > after)?.[2];
  /** @param {number} from @param {number} to */
  const between = (from, to) => stamps.filter((ms) => ms > from + SETTLE_MS && ms < to).length;
  return { heard, at, between, drawnIn, message };
}

// Hidden once the page says so: an engine can take a moment to hide it.
/** @param {Engine} engine */
async function hide(engine) {
  await engine.hide();
  await waitFor(engine, "document.visibilityState === 'hidden'", HIDING_MS);
}

/** @param {Heard} heard */
const said = (heard) => heard.map(([type, state]) => `${type}:${state}`).join(' ');

// The feathers still on screen after `what`: at least MIN_SHARE_KEPT of their share before.
/**
 * @param {string} what @param {number} before @param {number} after
 * @returns {[string, boolean]}
 */
const kept = (what, before, after) => [`${what}: ${after.toFixed(4)} of the canvas,` +
  ` ${before.toFixed(4)} before`, after >= MIN_SHARE_KEPT * before && before > 0];

// Hidden HIDDEN_MS: no frame drawn, counted over its first COUNTED_MS and all of it; the feathers
// on screen after. The control, the page deaf to its hiding, must draw hundreds where the engine
// goes on giving it frames, and is only reported where the engine stops them itself.
/**
 * @param {Engine} engine @param {string} url @param {string} work @param {string} path
 * @param {Results} results @param {'checked' | 'reported'} control
 */
async function hidden(engine, url, work, path, results, control, hiddenMs = HIDDEN_MS) {
  const before = await opened(engine, url, false, `${work}/before.png`);
  if (before === null) return results.push([`${path}: hidden: the page never ran`, false]);
  await hide(engine);
  await sleep(hiddenMs);
  await engine.show();
  await sleep(SHOWN_MS);
  const after = await featherShare(engine, `${work}/after.png`);
  const { heard, at, between, drawnIn, message } = await heardAndDrawn(engine);
  const [hiddenAt, shownAt] = [at('visibilitychange', 'hidden'), at('visibilitychange', 'visible')];
  const seen = hiddenAt !== undefined && shownAt !== undefined && shownAt - hiddenAt >= hiddenMs;
  const counted = seen ? between(hiddenAt, hiddenAt + COUNTED_MS) : -1;
  const all = seen ? between(hiddenAt, shownAt) : -1;
  // The count's own control: the frames of the seconds shown before, counted alike.
  const shown = seen ? between(hiddenAt - SHOWN_MS - SETTLE_MS, hiddenAt) : -1;
  results.push([`${path}: hidden ${seen ? shownAt - hiddenAt : '?'} ms (${said(heard)}), drawn` +
    ` in the ${drawnIn}: ${counted} frames in its first ${COUNTED_MS} ms, ${all} in all;` +
    ` ${shown} in the ${SHOWN_MS} ms shown before; the same page after, saying` +
    ` "${message || 'nothing'}"`,
  seen && counted === 0 && all === 0 && shown > 0 && drawnIn === path && !message]);
  results.push(kept(`${path}: feathers after ${hiddenMs} ms hidden`, before, after));
  if (control) await deafControl(engine, url, work, path, results, control);
}

// The control: the page as it was, deaf to its hiding, hidden COUNTED_MS.
/**
 * @param {Engine} engine @param {string} url @param {string} work @param {string} path
 * @param {Results} results @param {'checked' | 'reported'} control
 */
async function deafControl(engine, url, work, path, results, control) {
  const hearing = await engine.beforeScripts?.(`(${deafenPage})(${JSON.stringify(EVENTS)})`);
  const ran = await opened(engine, url, !hearing, `${work}/control.png`);
  await hearing?.();
  if (ran === null) return results.push([`${path}: control: the page never ran`, false]);
  await hide(engine);
  await sleep(COUNTED_MS);
  await engine.show();
  const deaf = await heardAndDrawn(engine);
  const from = deaf.at('visibilitychange', 'hidden');
  const drawn = from === undefined ? -1
    : deaf.between(from, deaf.at('visibilitychange', 'visible') ?? from);
  const line = `${path}: control: deaf to its hiding, ${drawn} frames drawn in ${COUNTED_MS} ms` +
    ` hidden (${from === undefined ? -1 : deaf.between(from - SHOWN_MS - SETTLE_MS, from)} in` +
    ` the ${SHOWN_MS} ms shown before)`;
  if (control === 'checked') return results.push([line, drawn >= MIN_CONTROL_FRAMES]);
  console.log(`note: ${line}: the engine itself ${drawn < MIN_CONTROL_FRAMES ? 'stops' : 'goes on'}` +
    " giving a hidden page's program frames here");
}

// Frozen FROZEN_MS behind another tab, as a browser freezes a hidden page, then resumed.
/**
 * @param {Engine} engine @param {string} url @param {string} work @param {string} path
 * @param {Results} results
 */
async function frozen(engine, url, work, path, results) {
  const before = await opened(engine, url, false, `${work}/before.png`);
  if (before === null) return results.push([`${path}: frozen: the page never ran`, false]);
  await hide(engine);
  await engine.setFrozen?.(true);
  await sleep(FROZEN_MS);
  await engine.setFrozen?.(false);
  await engine.show();
  await sleep(SHOWN_MS);
  const after = await featherShare(engine, `${work}/after.png`);
  const { heard, at, between } = await heardAndDrawn(engine);
  const [frozeAt, resumedAt] = [at('freeze'), at('resume')];
  const seen = frozeAt !== undefined && resumedAt !== undefined;
  const drawn = seen ? between(frozeAt, resumedAt) : -1;
  results.push([`${path}: frozen ${seen ? resumedAt - frozeAt : '?'} ms (${said(heard)}):` +
    ` ${drawn} frames drawn`, seen && drawn === 0]);
  results.push(kept(`${path}: feathers after frozen`, before, after));
}

// Left for another page AWAY_MS and restored from the back/forward cache: the watch set before
// leaving is still there only if the very page came back. Where it was loaded afresh instead,
// the engine says why where it can (Chromium's notRestoredReasons).
/**
 * @param {Engine} engine @param {string} url @param {string} work @param {string} path
 * @param {Results} results
 */
async function restored(engine, url, work, path, results) {
  const before = await opened(engine, url, false, `${work}/before.png`);
  if (before === null) return results.push([`${path}: bfcache: the page never ran`, false]);
  await engine.goto(new URL('favicon.ico', url).href);
  await sleep(AWAY_MS);
  await engine.back();
  const back = await waitFor(engine, `${LIVE} && 'plumeWatch' in window`, RESTORED_MS);
  if (!back) {
    const why = await answer(engine, "JSON.stringify(performance.getEntriesByType('navigation')" +
      "[0]?.notRestoredReasons ?? 'not said')", 'not said');
    return results.push([`${path}: bfcache: not restored from it, loaded afresh (${why})`, false]);
  }
  await sleep(SHOWN_MS);
  const after = await featherShare(engine, `${work}/after.png`);
  const { heard, at, between } = await heardAndDrawn(engine);
  // Away from leaving until visible again, which comes before pageshow says the page is back.
  const leftAt = at('pagehide');
  const backAt = leftAt === undefined ? undefined : at('visibilitychange', 'visible', leftAt);
  const drawn = leftAt !== undefined && backAt !== undefined ? between(leftAt, backAt) : -1;
  results.push([`${path}: bfcache: away ${Number(backAt) - Number(leftAt)} ms (${said(heard)}):` +
    ` ${drawn} frames drawn`, drawn === 0]);
  results.push(kept(`${path}: feathers after the bfcache`, before, after));
  await coveredControl(engine, after, work, results);
}

// The share's control: the same measure of the canvas with its feathers covered over must fail.
/** @param {Engine} engine @param {number} before @param {string} work @param {Results} results */
async function coveredControl(engine, before, work, results) {
  await engine.evaluate("document.body.insertAdjacentHTML('beforeend', '<div style=\"position:" +
    "fixed;inset:0;background:#000;z-index:9\"></div>')");
  await sleep(SHOT_MS);
  const after = await featherShare(engine, `${work}/after.png`);
  const [line, holds] = kept('control: feathers covered', before, after);
  results.push([line, !holds]);
}

// Each path the engine has: the Worker's where it draws there, the page's (in Chromium and
// Firefox forced by a script that takes away transferControlToOffscreen). The back/forward cache comes
// last, on the engine's own path: after a page restored from it, Firefox's and Chromium's
// automation lose track of the page's later navigations.
/**
 * @param {Engine} engine @param {string} name @param {string} base @param {string} work
 * @param {Results} results
 */
export async function hiddenChecks(engine, name, base, work, results) {
  const started = Date.now();
  if (engine.beforeScripts) await engine.beforeScripts(`(${watchWorker})(${countFrames})`);
  const path = name === 'webkit' ? 'page' : 'worker';
  // Chromium goes on giving a hidden page's Worker frames; Firefox and WebKit stop them.
  await hidden(engine, base, work, path, results, name === 'chromium' ? 'checked' : 'reported');
  if (engine.setFrozen) await frozen(engine, base, work, path, results);
  // In a browser of its own, hidden COUNTED_MS: hidden for 30 s, Chromium has at times closed
  // the page of its own accord (its automation says only that the page went), which is said.
  if (engine.beforeScripts) {
    const onPage = await openEngine(name);
    try {
      await onPage.beforeScripts?.(`(${watchWorker})(${countFrames})`);
      await onPage.beforeScripts?.(`Reflect.deleteProperty(HTMLCanvasElement.prototype,
        'transferControlToOffscreen')`);
      await hidden(onPage, base, work, 'page', results, 'reported', COUNTED_MS);
    } catch (error) {
      results.push([`page: hidden: the browser lost the page` +
        ` (${/** @type {Error} */ (error).message})`, false]);
    } finally {
      await onPage.close();
    }
  }
  await restored(engine, base, work, path, results);
  console.log(`note: the hidden page's checks took ${Math.round((Date.now() - started) / 1000)} s`);
}
