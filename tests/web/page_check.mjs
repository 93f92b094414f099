// The page in headless Chromium against plume-snapshot's frames in WORK_DIR, named
// SECONDS-STEP.png, each judged by plume-compare, with controls that must fail.
//   node page_check.mjs SITE_DIR WORK_DIR PLUME_COMPARE
import { serve, openBrowser, frameShot, waitFor, pollFor, programRealm, ON_THE_PAGE, finish }
  from '../../tools/browser/browser.mjs';
import { spawnSync } from 'node:child_process';
import { writeFileSync } from 'node:fs';

const [site, work, compare] = process.argv.slice(2);
const READY = "document.documentElement.dataset.frame === 'ready'";
const MESSAGE = "!document.getElementById('message').hidden &&" +
  " document.getElementById('canvas').hidden";
const LIVE = "!document.documentElement.dataset.frame && document.title.includes('FPS:') &&" +
  " document.getElementById('caption').textContent.includes('FPS:')";
// Counts the frames (clears) and draws made where it runs: on the page before its own scripts,
// or in the program's Worker.
const COUNT_DRAWS = () => {
  const counts = { clear: 0, drawArrays: 0, drawElements: 0 };
  Object.assign(self, { plumeCounts: counts });
  const proto = WebGLRenderingContext.prototype;
  for (const name of /** @type {Array<keyof typeof counts>} */ (Object.keys(counts))) {
    const call = /** @type {Function} */ (proto[name]);
    Object.assign(proto, { [name](/** @type {unknown[]} */ ...args) {
      counts[name]++;
      return call.apply(this, args);
    } });
  }
};
// In the program's realm, page or Worker.
const CONTEXT = 'Module.ctx';
const LOSE = `${CONTEXT}.getExtension('WEBGL_lose_context')`;
const NEXT_FRAME = 'new Promise(done => requestAnimationFrame(() => requestAnimationFrame(done)))';
const MAX_DRAWS_PER_FRAME = 8;
// Runs before the page's own scripts: the first live frame and one 3 s on, read back from the
// drawing buffer as each is finished (a frame's draws all come from one callback), with the
// boxes of the canvas and the still as they were then.
const CAPTURE_FRAMES = () => {
  /** @type {object[]} */
  const plumeFrames = [];
  Object.assign(window, { plumeFrames });
  const proto = WebGLRenderingContext.prototype, draw = proto.drawElements;
  let pending = false;
  /** @type {number | null} */
  let first = null;
  /** @param {HTMLElement} element */
  const box = (element) => [element.offsetLeft, element.offsetTop, element.offsetWidth,
    element.offsetHeight].join();
  proto.drawElements = function (...args) {
    const since = first ??= performance.now();
    const wanted = plumeFrames.length === 0 ||
      plumeFrames.length === 1 && performance.now() - since > 3000;
    if (wanted && !pending) {
      pending = true;
      queueMicrotask(() => {
        const [width, height] = [this.drawingBufferWidth, this.drawingBufferHeight];
        const pixels = new Uint8Array(width * height * 4);
        this.readPixels(0, 0, width, height, this.RGBA, this.UNSIGNED_BYTE, pixels);
        const still = /** @type {HTMLElement} */ (document.getElementById('still'));
        const canvas = /** @type {HTMLCanvasElement} */ (this.canvas);
        plumeFrames.push({ width, height, pixels, canvas: box(canvas), still: box(still),
          stillShown: !still.hidden });
        pending = false;
      });
    }
    return draw.apply(this, args);
  };
};
// The mean difference in levels of a captured frame from the still, drawn as the page shows
// it: scaled to the frame's height and centred; only where the still covers the frame.
const STILL_DIFFERENCE = `((frame) => {
  const still = document.getElementById('still');
  const { width, height, pixels } = frame;
  const scaled = still.naturalWidth * height / still.naturalHeight;
  const left = (width - scaled) / 2;
  const context = Object.assign(document.createElement('canvas'), { width, height })
    .getContext('2d');
  context.drawImage(still, left, 0, scaled, height);
  const shown = context.getImageData(0, 0, width, height).data;
  let sum = 0, count = 0;
  for (let y = 0; y < height; ++y) {
    for (let x = Math.max(0, Math.ceil(left)); x < Math.min(width, left + scaled) - 1; ++x) {
      for (let c = 0; c < 3; ++c) {
        sum += Math.abs(shown[(y * width + x) * 4 + c] - pixels[((height - 1 - y) * width + x) * 4 + c]);
        ++count;
      }
    }
  }
  return sum / count;
})`;
// The still against the first live frame: lossy, and drawn at another scale, but the same
// picture; a frame 3 s on, the control, is not.
const MAX_STILL_LEVELS = 3;
const MIN_CONTROL_LEVELS = 12;

// plume-compare's status: 0 the same frame, 1 another.
/** @param {Page} page @param {string} frame */
async function compared(page, frame) {
  writeFileSync(`${work}/shot.png`, await frameShot(page));
  const result = spawnSync(compare, [`${work}/shot.png`, `${work}/${frame}.png`],
    { encoding: 'utf8' });
  console.log(`  against ${frame}: ${result.stdout.trim()}`);
  return result.status;
}

/** @param {Page} page @param {string} query @param {string} condition */
async function visit(page, query, condition, ms = 30000) {
  await page.goto(base + query);
  return waitFor(page, condition, ms);
}

// Lost, the picture goes (the control); given back, the held frame is drawn again.
/** @param {Page} page @param {string} where @param {Results} results */
async function loseAndRestore(page, where, results) {
  const realm = await programRealm(page);
  // A lost context offers no extensions: the one that lost it restores it.
  await realm.evaluate(`self.plumeLose = ${LOSE}; plumeLose.loseContext()`);
  const lost = await pollFor(realm, `${CONTEXT}.isContextLost()`, 5000);
  results.push([`control: a lost context ${where} shows no frame 2-16`,
    lost && await compared(page, '2-16') === 1]);
  await realm.evaluate('plumeLose.restoreContext()');
  const back = await pollFor(realm, `!${CONTEXT}.isContextLost()`, 5000);
  await page.evaluate(NEXT_FRAME);
  await page.evaluate(NEXT_FRAME);
  results.push([`restored context ${where} draws frame 2-16 again`,
    back && await compared(page, '2-16') === 0]);
}

// Drawn in the page's Worker, as this browser does by default, and on the page, as where a
// Worker cannot draw. On the page, a lost context takes the frame away; a Worker's canvas keeps
// showing its last frame while its context is lost, so it is lost and restored on the page only.
/** @param {Browser} browser @param {Results} results */
async function pinnedFrames(browser, results) {
  for (const where of ['in the Worker', 'on the page']) {
    const page = await browser.context.newPage();
    if (where === 'on the page') await page.addInitScript(ON_THE_PAGE);
    for (const [query, frame] of [['?time=10&step-ms=100', '10-100'], ['?time=2', '2-16']]) {
      const ready = await visit(page, query, READY);
      results.push([`${query} ${where} draws frame ${frame}`,
        ready && await compared(page, frame) === 0]);
    }
    results.push([`control: ?time=2 ${where} is not frame 2.25-16`,
      await compared(page, '2.25-16') === 1]);
    if (where === 'on the page') await loseAndRestore(page, where, results);
    await page.close();
  }
}

// In windows of several aspects, the still stands in the canvas's box, and shows what the
// first live frame shows; it goes once that frame is up. The program runs on the page here,
// where each frame is read back as it is drawn.
/** @param {Browser} browser @param {Results} results */
async function stillAndFirstFrame(browser, results) {
  for (const [width, height] of [[800, 600], [1000, 400], [360, 640], [1200, 400]]) {
    const page = await browser.context.newPage();
    await page.setViewportSize({ width, height });
    await page.addInitScript(ON_THE_PAGE);
    await page.addInitScript(CAPTURE_FRAMES);
    const live = await visit(page, '', 'window.plumeFrames.length === 2', 20000);
    const [first] = live ? await page.evaluate('plumeFrames.map(({ width, height,' +
      ' canvas, still, stillShown }) => ({ width, height, canvas, still, stillShown }))')
      : [{}];
    const levels = live ? await page.evaluate(`${STILL_DIFFERENCE}(plumeFrames[0])`) : NaN;
    const control = live ? await page.evaluate(`${STILL_DIFFERENCE}(plumeFrames[1])`) : NaN;
    const gone = await page.evaluate("document.getElementById('still').hidden");
    results.push([`${width}x${height}: still box ${first.still}, canvas box ${first.canvas},` +
      ` shown at the first frame ${first.stillShown}, gone after ${gone}`,
    first.still === `0,0,${width},${height}` && first.canvas === first.still &&
      first.stillShown && gone]);
    results.push([`${width}x${height}: the first frame (${first.width}x${first.height}) is` +
      ` ${levels.toFixed(2)} levels from the still, at most ${MAX_STILL_LEVELS}`,
    levels <= MAX_STILL_LEVELS && first.width === width && first.height === height]);
    results.push([`control: the frame 3 s on is ${control.toFixed(2)} levels from the still,` +
      ` at least ${MIN_CONTROL_LEVELS}`, control >= MIN_CONTROL_LEVELS]);
    await page.close();
  }
}

// Whether the picture moves: plume-compare on two shots a second apart.
/** @param {Page} page */
async function movesInASecond(page) {
  writeFileSync(`${work}/before.png`, await frameShot(page));
  await page.waitForTimeout(1000);
  writeFileSync(`${work}/after.png`, await frameShot(page));
  return spawnSync(compare, [`${work}/before.png`, `${work}/after.png`]).status === 1;
}

// A browser may take a background tab's contexts (Android does): given back, the Worker's
// frames go on and its picture moves. The control, left lost: no draws, a picture that stands.
/** @param {Page} page @param {Realm} realm @param {Results} results */
async function workerLosesAndRestores(page, realm, results) {
  const draws = `(plumeCounts.drawArrays + plumeCounts.drawElements)`;
  await realm.evaluate(`self.plumeLose = ${LOSE}; plumeLose.loseContext()`);
  const lost = await pollFor(realm, `${CONTEXT}.isContextLost()`, 5000);
  await realm.evaluate('plumeLose.restoreContext()');
  const back = await pollFor(realm, `!${CONTEXT}.isContextLost()`, 5000);
  await realm.evaluate(NEXT_FRAME);
  const before = await realm.evaluate(draws);
  const moves = await movesInASecond(page);
  const drawn = await realm.evaluate(draws) - before;
  results.push([`in the Worker, lost (${lost}) and given back (${back}): ${drawn} draws in the` +
    ` second after, the picture moves: ${moves}`, lost && back && drawn > 0 && moves]);
  await realm.evaluate(`${LOSE}.loseContext()`);
  await pollFor(realm, `${CONTEXT}.isContextLost()`, 5000);
  const lostBefore = await realm.evaluate(draws);
  const stands = !await movesInASecond(page);
  const lostDrawn = await realm.evaluate(draws) - lostBefore;
  results.push([`control: in the Worker, lost and not given back: ${lostDrawn} draws in a` +
    ` second, the picture stands: ${stands}`, lostDrawn === 0 && stands]);
}

// Live, the program draws in the page's Worker and the page draws nothing; the control keeps it
// on the page, which then makes every draw. A lost context not given back says so on the page;
// in the Worker, one given back draws on.
/** @param {Browser} browser @param {Results} results */
async function whereItDraws(browser, results) {
  for (const where of ['in the Worker', 'on the page']) {
    const page = await browser.context.newPage();
    if (where === 'on the page') await page.addInitScript(ON_THE_PAGE);
    await page.addInitScript(COUNT_DRAWS);
    const live = await visit(page, '', LIVE, 10000);
    results.push([`live caption ${where} within 10 s: ${await page.title()}`, live]);
    const drawnIn = await page.evaluate("document.getElementById('canvas').dataset.drawnIn");
    const onPage = await page.evaluate('plumeCounts.clear');
    results.push([where === 'in the Worker'
      ? `in the Worker (${drawnIn}): the page itself cleared ${onPage} frames, none`
      : `control: on the page (${drawnIn}), it cleared ${onPage} frames, some`,
    where === 'in the Worker' ? drawnIn === 'worker' && onPage === 0
      : drawnIn === 'page' && onPage > 0]);
    const realm = await programRealm(page);
    if (where === 'in the Worker') await realm.evaluate(COUNT_DRAWS);
    await page.waitForTimeout(1000);
    const counts = await realm.evaluate('plumeCounts');
    const perFrame = (counts.drawArrays + counts.drawElements) / counts.clear;
    results.push([`${where}: ${perFrame.toFixed(2)} draws a frame, at most ` +
      `${MAX_DRAWS_PER_FRAME}`, counts.clear > 0 && perFrame <= MAX_DRAWS_PER_FRAME]);
    if (where === 'in the Worker') await workerLosesAndRestores(page, realm, results);
    else await realm.evaluate(`${LOSE}.loseContext()`);
    results.push([`a context ${where} not given back: a message`,
      await waitFor(page, MESSAGE, 10000)]);
    await page.close();
  }
}

/** @param {Browser} browser @param {Results} results */
async function narrowScreen(browser, results) {
  const page = await browser.context.newPage();
  await page.setViewportSize({ width: 360, height: 640 });
  const narrow = await visit(page, '?time=2', READY);
  const sizes = await page.evaluate("(c => [c.clientWidth, c.clientHeight, c.width, c.height])" +
    "(document.getElementById('canvas'))");
  results.push([`narrow screen: canvas ${sizes.join(', ')}`,
    narrow && sizes.join() === [360, 270, 640, 480].join()]);
  await page.close();
}

// A pinned request for more than a million frames is refused at once, in words (the pinned
// frames above are the control: they are drawn).
/** @param {Browser} browser @param {Results} results */
async function boundedPins(browser, results) {
  const page = await browser.context.newPage();
  const query = '?time=10000000&step-ms=1';
  const said = await visit(page, query,
    `${MESSAGE} && document.body.innerText.includes('more than a million frames')`, 20000);
  results.push([`${query}: ${said ? 'refused in words' : 'no message'}`, said]);
  await page.close();
}

const { server, base } = await serve(site);
/** @type {Results} */
const results = [];
const browser = await openBrowser();
try {
  await pinnedFrames(browser, results);
  await stillAndFirstFrame(browser, results);
  await whereItDraws(browser, results);
  await narrowScreen(browser, results);
  await boundedPins(browser, results);
} finally {
  await browser.close();
}
// No WebGL anywhere: a Worker's OffscreenCanvas keeps it past --disable-3d-apis, but not without
// the software rasteriser that stands in for a GPU here.
const noWebGL = await openBrowser(['--disable-3d-apis', '--disable-software-rasterizer']);
try {
  results.push(['no WebGL, a message', await visit(await noWebGL.context.newPage(), '', MESSAGE)]);
} finally {
  await noWebGL.close();
  server.close();
}
finish(results, 'web: pinned frames and context');
