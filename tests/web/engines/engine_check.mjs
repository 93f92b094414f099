// The page in one engine through engines.mjs, asking only what any visitor sees: the pinned
// frames against plume-snapshot's in WORK_DIR (SECONDS-STEP.png), judged by plume-compare, with a
// control that must fail; the live caption; progress on a slow link and a refused file said in
// words; an uncaught failure of plume's code said, and a put-in script's not; a lost context
// given back, in the Worker too, the picture moving on, and one left lost said, with a failure
// of plume's said over that; a canvas that fills the window at each size; a second visit
// offline; on PLAIN_SITE_DIR (the site with a black sky and an opaque white feather), a page
// hidden, frozen or left for the back/forward cache draws nothing and shows its feathers again
// (hidden_check.mjs).
//   node engine_check.mjs chromium|firefox|webkit SITE_DIR PLAIN_SITE_DIR WORK_DIR PLUME_COMPARE
//     [MINIBROWSER]
import { LIVE, openEngine, waitFor, canvasShot } from './engines.mjs';
import { host } from './host.mjs';
import { hiddenChecks } from './hidden_check.mjs';
import { answer, finish } from '../../../tools/browser/browser.mjs';
import { spawnSync } from 'node:child_process';
/** @typedef {import('./engines.mjs').Engine} Engine */

const [name, site, plainSite, work, compare, miniBrowser] = process.argv.slice(2);
const READY = "document.documentElement.dataset.frame === 'ready'";
const TEXT = 'document.body.innerText';
const PINNED_MS = 60000;
// The caption comes after 100 frames: software WebGL in a window draws them in 2-5 s here, and
// far slower on a machine whose cores are busy.
const LIVE_MS = 30000;
const SLOW_LINK_BYTES_PER_SECOND = 250000;
const FAILED_MS = 20000;
const FILLED_MS = 10000;
// How long a control has to show no message: a planted failure is said at once.
const QUIET_MS = 1500;
const POLL_MS = 25;
// The worker comes once the page runs and its files are kept: in WebKit on a machine loaded
// twentyfold that took longer than 30 s.
const SERVICE_WORKER_MS = 60000;
const CANVAS = "document.querySelector('canvas')";
// The drawing buffer's size: the canvas's own, or, where a Worker draws on it, the size the
// Worker says its OffscreenCanvas has (the canvas element need not show it).
const BUFFER = `(c => c.dataset.drawnIn === 'worker' ? (c.dataset.buffer || '0x0').split('x')
  .map(Number) : [c.width, c.height])(${CANVAS})`;
const FILLS = `(c => c.clientWidth === innerWidth && c.clientHeight === innerHeight &&
  ((width, height) => Math.abs(width - c.clientWidth * devicePixelRatio) <= 1 &&
  Math.abs(height - c.clientHeight * devicePixelRatio) <= 1)(...${BUFFER}))(${CANVAS})`;
const SIZES = `(c => [innerWidth, innerHeight, devicePixelRatio, c.clientWidth, c.clientHeight,
  ...${BUFFER}, c.dataset.drawnIn])(${CANVAS})`;
const WORKER = 'navigator.serviceWorker.controller !== null';
const FORGET = 'navigator.serviceWorker.getRegistrations().then((all) => Promise.all(' +
  '[...all.map((r) => r.unregister()), caches.keys().then((names) => Promise.all(' +
  'names.map((n) => caches.delete(n))))]))';

// plume-compare's status (0 the same frame, 1 another), what it said, and the shot's size.
/** @param {Engine} engine @param {string} frame */
async function compared(engine, frame) {
  const size = await canvasShot(engine, `${work}/shot.png`);
  const result = spawnSync(compare, [`${work}/shot.png`, `${work}/${frame}.png`],
    { encoding: 'utf8' });
  return [result.status, `${size} against ${frame}: ${result.stdout.trim()}`];
}

/** @param {Engine} engine @param {string} base @param {Results} results */
async function pinnedFrames(engine, base, results) {
  const frames = [['?time=10&step-ms=100', '10-100'], ['?time=2&step-ms=16', '2-16']];
  for (const [query, frame] of frames) {
    const ready = await engine.goto(base + query) && await waitFor(engine, READY, PINNED_MS);
    const [status, said] = ready ? await compared(engine, frame) : [-1, 'never ready'];
    results.push([`${query}: ${said}`, status === 0]);
  }
  const [status, said] = await compared(engine, '2.25-16');
  results.push([`control: ?time=2&step-ms=16 ${said}`, status === 1]);
}

// Live, the canvas follows each viewport size (and pixel ratio, where the engine can set one).
/** @param {Engine} engine @param {string} base @param {Results} results */
async function liveAndFilling(engine, base, results) {
  const started = Date.now();
  const live = await engine.goto(base) && await waitFor(engine, LIVE, LIVE_MS);
  results.push([`live caption after ${Date.now() - started} ms, within ${LIVE_MS}:` +
    ` ${await engine.evaluate('document.title')}`, live]);
  const windows = [[1000, 400, 1], [500, 700, 1], [800, 600, 2]];
  for (const [width, height, ratio] of windows.filter(([, , r]) => r === 1 || engine.scales)) {
    await engine.resize(width, height, ratio);
    const filled = await waitFor(engine, `innerWidth === ${width} && ${FILLS}`, FILLED_MS);
    const [w, h, r, ...canvas] = await engine.evaluate(SIZES);
    results.push([`window ${w}x${h} at ${r}: canvas ${canvas.slice(0, 2).join('x')},` +
      ` buffer ${canvas.slice(2, 4).join('x')}, drawn ${canvas[4]}`, live && filled]);
  }
  // Chromium and Firefox give a Worker WebGL on an OffscreenCanvas; WebKitGTK 2.50 does not.
  const drawnIn = await engine.evaluate(`${CANVAS}.dataset.drawnIn`);
  results.push([`drawn in: ${drawnIn}`, name === 'webkit' ? drawnIn === 'page'
    : drawnIn === 'worker']);
  if (!engine.scales) console.log(`note: ${name}'s automation sets no pixel ratio`);
  await engine.resize(800, 600, 1);
}

// On a slow link the page counts up what has arrived, and says no more once it runs.
/** @param {Engine} engine @param {string} site @param {Results} results */
async function progress(engine, site, results) {
  const slow = await host(site, { bytesPerSecond: SLOW_LINK_BYTES_PER_SECOND });
  try {
    /** @type {number[]} */
    const seen = [];
    await engine.goto(slow.base);
    const deadline = Date.now() + PINNED_MS;
    let text = '';
    while (!text.includes('FPS:') && Date.now() < deadline) {
      text = await answer(engine, `${TEXT} + ' ' + document.title`, '');
      const percent = Number((/(\d+)%/.exec(text) || [])[1]);
      if (percent > 0 && percent < 100 && percent !== seen.at(-1)) seen.push(percent);
      await new Promise((done) => setTimeout(done, POLL_MS));
    }
    const after = await engine.evaluate(TEXT);
    results.push([`progress on a ${SLOW_LINK_BYTES_PER_SECOND / 1000} KB/s link: ` +
      `${seen.join('% ')}%`, seen.length >= 3 && Math.max(...seen) >= 50 &&
      seen.every((percent, i) => i === 0 || percent > seen[i - 1])]);
    results.push([`live, no figure left: ${text.includes('FPS:')}, "${after.replace(/\s+/g, ' ')}"`,
      text.includes('FPS:') && !/\d+%/.test(after)]);
  } finally {
    slow.server.close();
  }
}

/** @param {Engine} engine @param {string} site @param {Results} results */
async function refused(engine, site, results) {
  const refusing = await host(site, { refuse: /^\/sky_up\./ });
  try {
    await engine.goto(refusing.base);
    await waitFor(engine, `${TEXT}.includes('could not be downloaded')`, FAILED_MS);
    const text = (await engine.evaluate(TEXT)).replace(/\s+/g, ' ');
    results.push([`sky_up.tga answered 404: "${text}"`,
      /sky_up\.tga could not be downloaded: the server answered 404/.test(text)]);
  } finally {
    refusing.server.close();
  }
}

// The program's context lost (`word` 'lose') or given back ('restore') where the program runs;
// whether it is lost half a second on. In the Worker on the page's message (the host puts the
// listener there, HOOK), on the page itself where the program runs there.
const LOSE_OR_RESTORE = `((word, context) => {
  self.plumeLose ??= context.getExtension('WEBGL_lose_context');
  if (word === 'lose') plumeLose.loseContext(); else plumeLose.restoreContext();
  return new Promise((done) => setTimeout(() => done(context.isContextLost()), 500));
})`;
const HOOK = `addEventListener('message', ({ data }) => {
  if (data?.kind === 'plume-context') ${LOSE_OR_RESTORE}(data.word, Module.ctx)
    .then((lost) => postMessage({ kind: 'plume-context-lost', lost }));
});`;
const ASK_CONTEXT = `((word) => ${CANVAS}.dataset.drawnIn === 'page' ?
  ${LOSE_OR_RESTORE}(word, Module.ctx) : new Promise((done) => {
    const answered = ({ data }) => {
      if (data?.kind !== 'plume-context-lost') return;
      unpacker.removeEventListener('message', answered);
      done(data.lost);
    };
    unpacker.addEventListener('message', answered);
    unpacker.postMessage({ kind: 'plume-context', word });
  }))`;

// Whether the canvas's picture moves: plume-compare on two shots a second apart.
/** @param {Engine} engine */
async function moves(engine) {
  await canvasShot(engine, `${work}/before.png`);
  await new Promise((done) => setTimeout(done, 1000));
  await canvasShot(engine, `${work}/after.png`);
  return spawnSync(compare, [`${work}/before.png`, `${work}/after.png`]).status === 1;
}

// An uncaught failure of plume's own code: a call of the page's that it lacks, made by `how`.
/** @param {string} how */
const own = (how) => `(() => { ${how}(() => callPage({ call: 'planted', args: [] }));` +
  ' return 0; })()';

// A context lost and given back (Android takes a background tab's): the picture moves on, where
// the program runs. The control, lost again and left so: the picture stands; and once the page
// says so, a failure of plume's code is said over that.
/** @param {Engine} engine @param {string} site @param {Results} results */
async function lostAndRestored(engine, site, results) {
  const hooked = await host(site, { worker: HOOK });
  try {
    const live = await engine.goto(hooked.base) && await waitFor(engine, LIVE, LIVE_MS);
    const drawnIn = live ? await engine.evaluate(`${CANVAS}.dataset.drawnIn`)
      : `page, not live: ${await answer(engine, 'location.href + " " + document.title', '?')}`;
    const lost = live && await engine.evaluate(`${ASK_CONTEXT}('lose')`);
    const back = lost && !await engine.evaluate(`${ASK_CONTEXT}('restore')`);
    const moved = back && await moves(engine);
    results.push([`drawn in the ${drawnIn}, lost (${lost}) and given back (${back}):` +
      ` the picture moves: ${moved}`, moved]);
    // The page says a context is lost after 5 s; on a loaded machine that may come between the
    // two shots and hide the canvas, so such a try is given back and made again.
    let lostAgain = false;
    let stands = false;
    for (let tries = 3; back && tries > 0; tries -= 1) {
      lostAgain = await engine.evaluate(`${ASK_CONTEXT}('lose')`);
      stands = lostAgain && !await moves(engine);
      if (!lostAgain || !await engine.evaluate(`${CANVAS}.hidden`)) break;
      if (await engine.evaluate(`${ASK_CONTEXT}('restore')`)) break;
      await waitFor(engine, `!${CANVAS}.hidden`, FAILED_MS);
    }
    results.push([`control: lost again (${lostAgain}) and not given back: the picture` +
      ` stands: ${stands}`, stands]);
    // Left lost, the page says so; a failure of plume's code is then said all the same.
    const lostSaid = lostAgain && await waitFor(engine, `${TEXT}.includes('not given it back')`,
      FAILED_MS);
    if (lostSaid) await engine.evaluate(own('setTimeout'));
    const failed = lostSaid &&
      await waitFor(engine, `${TEXT}.includes('not a function')`, FAILED_MS);
    results.push([`plume's code, an error while the lost context is said (${lostSaid}): ` +
      `"${(await engine.evaluate(TEXT)).replace(/\s+/g, ' ')}"`, failed]);
  } finally {
    hooked.server.close();
  }
}

// Failures nothing caught, where the page sees them: one of plume's own code (a call of the
// page's that it lacks) is said in place of the picture, an error and a rejection of a script
// put into the page (the controls: no message) are not. Each engine writes its stacks its way.
/** @param {Engine} engine @param {string} base @param {Results} results */
async function uncaught(engine, base, results) {
  const MESSAGE = "(m => m.hidden ? '' : m.textContent)(document.getElementById('message'))";
  const foreign = "(() => { setTimeout(() => { throw new Error('planted'); });" +
    " setTimeout(() => { Promise.reject(new Error('planted')); }); return 0; })()";
  let running = false, shown = false;
  /** @type {Array<[string, string, boolean]>} */
  const plants = [['control: a script put into the page', foreign, false],
    ["plume's code, an error", own('setTimeout'), true],
    ["plume's code, a rejection", own('Promise.resolve().then'), true]];
  for (const [name, plant, said] of plants) {
    // A page that shows no message takes the next plant; a message stays, the first said.
    running = running && !shown || await engine.goto(base) && await waitFor(engine, LIVE, LIVE_MS);
    await engine.evaluate(plant);
    shown = await waitFor(engine, MESSAGE, said ? FAILED_MS : QUIET_MS);
    const text = await engine.evaluate(MESSAGE);
    results.push([`${name} fails uncaught: "${text || 'no message'}"`,
      running && (said ? shown && text.includes('not a function') : !shown)]);
  }
}

// Once run, the page comes back offline, from what its service worker keeps: the browser's
// network off where the engine's automation can do that, else the host gone. The control: with
// that forgotten, the page does not open.
/** @param {Engine} engine @param {string} site @param {Results} results */
async function offline(engine, site, results) {
  const visited = await host(site);
  try {
    const started = Date.now();
    const kept = await engine.goto(visited.base) &&
      await waitFor(engine, `${LIVE} && ${WORKER}`, SERVICE_WORKER_MS);
    const keptAfter = kept ? `${Date.now() - started} ms` : `not within ${SERVICE_WORKER_MS} ms`;
    const how = engine.setOffline ? 'network off' : 'host gone';
    if (engine.setOffline) await engine.setOffline(true);
    else await visited.down();
    const back = await engine.goto(visited.base) && await waitFor(engine, LIVE, LIVE_MS);
    // The control's question, asked of the page that runs: it has a canvas.
    const [title, shown] = back ? await engine.evaluate(`[document.title, ${CANVAS} !== null]`)
      : ['not back', false];
    results.push([`${how}, the page runs again: worker in charge after ${keptAfter}, ${title}`,
      kept && back && shown]);
    await engine.evaluate(FORGET);
    // A failed navigation leaves the engine's error page, which some cannot be asked about:
    // what stopped the question is said.
    let why = '';
    const opened = await engine.goto(visited.base) && await engine.evaluate(`${CANVAS} !== null`)
      .catch((/** @type {Error} */ error) => {
        why = ` (not asked: ${error.message.split('\n')[0]})`;
        return false;
      });
    results.push([`control: nothing kept, ${how}, the page opens: ${opened}${why}`, !opened]);
    if (!engine.setOffline) console.log(`note: ${name}'s automation cannot take the network away`);
  } finally {
    if (engine.setOffline) await engine.setOffline(false);
    visited.server.close();
  }
}

const served = await host(site);
const plain = await host(plainSite);
/** @type {Results} */
const results = [];
const engine = await openEngine(name, miniBrowser);
try {
  await pinnedFrames(engine, served.base, results);
  await liveAndFilling(engine, served.base, results);
  await progress(engine, site, results);
  await refused(engine, site, results);
  await uncaught(engine, served.base, results);
  await lostAndRestored(engine, site, results);
  await offline(engine, site, results);
  await hiddenChecks(engine, name, plain.base, work, results);
} finally {
  await engine.close();
  served.server.close();
  plain.server.close();
}
finish(results, `web.${name}`);
