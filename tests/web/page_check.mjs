// The page in headless Chromium against plume-snapshot's frames in WORK_DIR, named
// SECONDS-STEP.png, each judged by plume-compare, with controls that must fail.
//   node page_check.mjs SITE_DIR WORK_DIR PLUME_COMPARE
import { serve, openBrowser, frameShot, waitFor, finish } from './browser.mjs';
import { spawnSync } from 'node:child_process';
import { writeFileSync } from 'node:fs';

const [site, work, compare] = process.argv.slice(2);
const READY = "document.documentElement.dataset.frame === 'ready'";
const MESSAGE = "!document.getElementById('message').hidden &&" +
  " document.getElementById('canvas').hidden";
const LIVE = "!document.documentElement.dataset.frame && document.title.includes('FPS:') &&" +
  " document.getElementById('caption').textContent.includes('FPS:')";
// Counts the frames (clears) and draws the page makes, before its own scripts run.
const COUNT_DRAWS = () => {
  window.plumeCounts = { clear: 0, drawArrays: 0, drawElements: 0 };
  for (const name of Object.keys(window.plumeCounts)) {
    const call = WebGLRenderingContext.prototype[name];
    WebGLRenderingContext.prototype[name] = function (...args) {
      window.plumeCounts[name]++;
      return call.apply(this, args);
    };
  }
};
const CONTEXT = "document.getElementById('canvas').getContext('webgl')";
const LOSE = `${CONTEXT}.getExtension('WEBGL_lose_context')`;
const NEXT_FRAME = 'new Promise(done => requestAnimationFrame(() => requestAnimationFrame(done)))';
const MAX_DRAWS_PER_FRAME = 8;

// plume-compare's status: 0 the same frame, 1 another.
async function compared(page, frame) {
  writeFileSync(`${work}/shot.png`, await frameShot(page));
  const result = spawnSync(compare, [`${work}/shot.png`, `${work}/${frame}.png`],
    { encoding: 'utf8' });
  console.log(`  against ${frame}: ${result.stdout.trim()}`);
  return result.status;
}

async function visit(page, query, condition, ms = 30000) {
  await page.goto(base + query);
  return waitFor(page, condition, ms);
}

// Lost, the picture goes (the control); given back, the held frame is drawn again.
async function loseAndRestore(page, results) {
  // A lost context offers no extensions: the one that lost it restores it.
  await page.evaluate(`window.plumeLose = ${LOSE}; plumeLose.loseContext()`);
  const lost = await waitFor(page, `${CONTEXT}.isContextLost()`, 5000);
  results.push(['control: a lost context shows no frame 2-16',
    lost && await compared(page, '2-16') === 1]);
  await page.evaluate('plumeLose.restoreContext()');
  const back = await waitFor(page, `!${CONTEXT}.isContextLost()`, 5000);
  await page.evaluate(NEXT_FRAME);
  results.push(['restored context draws frame 2-16 again',
    back && await compared(page, '2-16') === 0]);
}

async function pinnedFrames(browser, results) {
  const page = await browser.context.newPage();
  for (const [query, frame] of [['?time=10&step-ms=100', '10-100'], ['?time=2', '2-16']]) {
    const ready = await visit(page, query, READY);
    results.push([`${query} draws frame ${frame}`, ready && await compared(page, frame) === 0]);
  }
  results.push(['control: ?time=2 is not frame 2.25-16', await compared(page, '2.25-16') === 1]);
  await loseAndRestore(page, results);
  await page.close();
}

async function pageChecks(browser, results) {
  const page = await browser.context.newPage();
  await page.addInitScript(COUNT_DRAWS);
  const live = await visit(page, '', LIVE, 10000);
  results.push([`live caption within 10 s: ${await page.title()}`, live]);
  const counts = await page.evaluate('window.plumeCounts');
  const perFrame = (counts.drawArrays + counts.drawElements) / counts.clear;
  results.push([`${perFrame.toFixed(2)} draws a frame, at most ${MAX_DRAWS_PER_FRAME}`,
    counts.clear > 0 && perFrame <= MAX_DRAWS_PER_FRAME]);
  await page.evaluate(`(${LOSE}).loseContext()`);
  results.push(['a context not given back: a message', await waitFor(page, MESSAGE, 10000)]);
  await page.setViewportSize({ width: 360, height: 640 });
  const narrow = await visit(page, '?time=2', READY);
  const sizes = await page.evaluate("(c => [c.clientWidth, c.clientHeight, c.width, c.height])" +
    "(document.getElementById('canvas'))");
  results.push([`narrow screen: canvas ${sizes.join(', ')}`,
    narrow && sizes.join() === [360, 270, 640, 480].join()]);
  await page.close();
}

const { server, base } = await serve(site);
const results = [];
const browser = await openBrowser();
try {
  await pinnedFrames(browser, results);
  await pageChecks(browser, results);
} finally {
  await browser.close();
}
const noWebGL = await openBrowser(['--disable-3d-apis']);
try {
  results.push(['no WebGL, a message', await visit(await noWebGL.context.newPage(), '', MESSAGE)]);
} finally {
  await noWebGL.close();
  server.close();
}
finish(results, 'web: pinned frames and context');
