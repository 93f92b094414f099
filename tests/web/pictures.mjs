// The scenarios of the page's pictures: the pinned frames, the still and the first frame, where
// and how much the program draws, a lost context, the pins' bounds and no WebGL at all.
import { openEngine, waitFor } from './engines.mjs';
import { inProgram, judge, moves, programHolds, save, shown, visit, DRAWN_IN, FRAMES, LOSE,
  MESSAGE, ON_THE_PAGE, READY, TEXT } from './site.mjs';

const MAX_DRAWS_PER_FRAME = 8;
// The still against the first live frame: lossy, and drawn at another scale, but the same
// picture; a frame 3 s on, the control, is not.
const MAX_STILL_LEVELS = 3;
const MIN_CONTROL_LEVELS = 12;
const draws = '(plumeCounts.drawArrays + plumeCounts.drawElements)';

// Counts the frames (clears) and draws made where it runs: on the page before its own scripts,
// or where the program runs.
const COUNT_DRAWS = `(() => {
  const counts = self.plumeCounts = { clear: 0, drawArrays: 0, drawElements: 0 };
  const proto = WebGLRenderingContext.prototype;
  for (const name of Object.keys(counts)) {
    const call = proto[name];
    proto[name] = function (...args) { counts[name]++; return call.apply(this, args); };
  }
})()`;

// In Chromium in the Worker and on the page (in Firefox and WebKit their own way); on the
// page, a lost context takes the frame away (the control) and a restored one draws it again.
// A Worker's canvas keeps showing its last frame while its context is lost.
/** @type {Scenario} */
export async function pinned(engine, served, results) {
  for (const where of engine.page ? ['worker', 'page'] : ['']) {
    const undo = where === 'page' ? await engine.beforeScripts?.(ON_THE_PAGE) : null;
    for (const [query, frame] of [['?time=10&step-ms=100', '10-100'], ['?time=2', '2-16']]) {
      const ready = await visit(engine, served.base + query, READY);
      const { same, said } = ready ? await shown(engine, frame) : { same: false, said: 'none' };
      results.push([`${query} drawn in the ${await engine.evaluate(DRAWN_IN)}: ${said}`, same]);
    }
    const control = await shown(engine, '2.25-16');
    results.push([`control: ?time=2 ${where}: ${control.said}`, !control.same]);
    if (where === 'page') {
      await inProgram(engine, LOSE);
      const lost = await programHolds(engine, 'Module.ctx.isContextLost()');
      const gone = await shown(engine, '2-16');
      results.push([`control: lost (${lost}) on the page: ${gone.said}`, lost && !gone.same]);
      await inProgram(engine, 'plumeLose.restoreContext()');
      const back = await programHolds(engine, '!Module.ctx.isContextLost()');
      await engine.evaluate(FRAMES(4));
      const again = await shown(engine, '2-16');
      results.push([`restored (${back}) on the page: ${again.said}`, back && again.same]);
    }
    await undo?.();
  }
}

// Runs before the page's own scripts: the first live frame and one 3 s on, read back from the
// drawing buffer as each is finished (a frame's draws all come from one callback), with the
// boxes of the canvas and the still as they were then; the frame, and the still as the page shows
// it (scaled to the frame's height, centred), as PNGs' data addresses, where the still covers it.
const CAPTURE_FRAMES = `(() => {
  const frames = self.plumeFrames = [], proto = WebGLRenderingContext.prototype;
  const draw = proto.drawElements, still = () => document.getElementById('still');
  const box = (e) => [e.offsetLeft, e.offsetTop, e.offsetWidth, e.offsetHeight].join();
  const png = (width, height, paint) => { const canvas = Object.assign(document
    .createElement('canvas'), { width, height }); paint(canvas.getContext('2d'));
    return canvas; };
  const pngs = (gl, width, height) => {
    const pixels = new Uint8Array(width * height * 4), image = still();
    gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
    const scaled = image.naturalWidth * height / image.naturalHeight, left = (width - scaled) / 2;
    const [from, to] = [Math.max(0, Math.ceil(left)), Math.min(width, Math.floor(left + scaled))];
    const flat = png(width, height, (c) => c.putImageData(new ImageData(
      new Uint8ClampedArray(pixels.buffer), width, height), 0, 0));
    return [png(to - from, height, (c) => { c.scale(1, -1); c.drawImage(flat, -from, -height); }),
      png(to - from, height, (c) => c.drawImage(image, left - from, 0, scaled, height))]
      .map((canvas) => canvas.toDataURL());
  };
  let pending = false, first = 0;
  proto.drawElements = function (...args) {
    first ||= performance.now();
    if (!pending && (frames.length === 0 || frames.length === 1 &&
        performance.now() - first > 3000)) {
      pending = true;
      queueMicrotask(() => {
        const [width, height] = [this.drawingBufferWidth, this.drawingBufferHeight];
        frames.push({ width, height, canvas: box(this.canvas), still: box(still()),
          stillShown: !still().hidden, pngs: pngs(this, width, height) });
        pending = false;
      });
    }
    return draw.apply(this, args);
  };
})()`;

// In windows of several aspects, on the page (where each frame is read back as it is drawn):
// the still stands in the canvas's box and shows what the first live frame shows, and goes once
// that frame is up.
/** @type {Scenario} */
export async function still(engine, served, results) {
  const undo = [await engine.beforeScripts?.(ON_THE_PAGE),
    await engine.beforeScripts?.(CAPTURE_FRAMES)];
  for (const [width, height] of [[800, 600], [1000, 400], [360, 640], [1200, 400]]) {
    await engine.resize(width, height);
    const live = await visit(engine, served.base, 'window.plumeFrames?.length === 2');
    const [first, later] = live ? await engine.evaluate('plumeFrames') : [{}, {}];
    const gone = await engine.evaluate("document.getElementById('still').hidden");
    results.push([`${width}x${height}: still box ${first.still}, canvas box ${first.canvas},` +
      ` shown at the first frame ${first.stillShown}, gone after ${gone}`,
    first.still === `0,0,${width},${height}` && first.canvas === first.still &&
      first.stillShown && gone]);
    const [near, far] = [first, later].map((frame, at) => {
      if (!live) return { same: false, levels: NaN, said: 'never drawn' };
      frame.pngs.forEach((/** @type {string} */ address, /** @type {number} */ each) =>
        save(`${at}-${each}`, Buffer.from(address.split(',')[1], 'base64')));
      return judge(`${at}-0`, `${at}-1`, MAX_STILL_LEVELS);
    });
    results.push([`${width}x${height}: the first frame (${first.width}x${first.height}):` +
      ` ${near.said}, within ${MAX_STILL_LEVELS} levels`, near.same &&
      first.width === width && first.height === height]);
    results.push([`control: the frame 3 s on: ${far.said}, at least ${MIN_CONTROL_LEVELS}` +
      ' levels', far.levels >= MIN_CONTROL_LEVELS]);
  }
  for (const each of undo) await each?.();
  await engine.resize(800, 600);
}

// Live, the program draws in the page's Worker and the page draws nothing; the control keeps it
// on the page, which then makes every draw. A lost context not given back says so on the page.
/** @type {Scenario} */
export async function drawing(engine, served, results) {
  for (const where of ['worker', 'page']) {
    const undo = [where === 'page' ? await engine.beforeScripts?.(ON_THE_PAGE) : null,
      await engine.beforeScripts?.(COUNT_DRAWS)];
    const live = await visit(engine, served.base, undefined, 10000);
    results.push([`live caption ${where} within 10 s: ${await engine.evaluate('document.title')}`,
      live]);
    const drawnIn = await engine.evaluate(DRAWN_IN);
    const onPage = await engine.evaluate('plumeCounts.clear');
    results.push([where === 'worker'
      ? `in the Worker (${drawnIn}): the page itself cleared ${onPage} frames, none`
      : `control: on the page (${drawnIn}), it cleared ${onPage} frames, some`,
    where === drawnIn && (where === 'worker' ? onPage === 0 : onPage > 0)]);
    if (where === 'worker') await inProgram(engine, COUNT_DRAWS);
    await engine.evaluate(FRAMES(60));
    const counts = await inProgram(engine, 'plumeCounts');
    const perFrame = (counts.drawArrays + counts.drawElements) / counts.clear;
    results.push([`${where}: ${perFrame.toFixed(2)} draws a frame, at most ` +
      `${MAX_DRAWS_PER_FRAME}`, counts.clear > 0 && perFrame <= MAX_DRAWS_PER_FRAME]);
    await inProgram(engine, LOSE);
    results.push([`a context ${where} not given back: a message`,
      await waitFor(engine, MESSAGE, 10000)]);
    for (const each of undo) await each?.();
  }
}

// A browser may take a background tab's contexts (Android does): given back, the frames go on
// where the program runs and the picture moves. The control, left lost: no draws, a picture that
// stands, and the page says so in words.
/** @type {Scenario} */
export async function lostContext(engine, served, results) {
  const live = await visit(engine, served.base);
  const drawnIn = await engine.evaluate(DRAWN_IN);
  if (live) await inProgram(engine, COUNT_DRAWS);
  await inProgram(engine, LOSE);
  const lost = live && await programHolds(engine, 'Module.ctx.isContextLost()');
  await inProgram(engine, 'plumeLose.restoreContext()');
  const back = lost && await programHolds(engine, '!Module.ctx.isContextLost()');
  await engine.evaluate(FRAMES(2));
  const before = await inProgram(engine, draws);
  const moved = back && await moves(engine);
  const drawn = await inProgram(engine, draws) - before;
  results.push([`drawn in the ${drawnIn}, lost (${lost}) and given back (${back}): ${drawn}` +
    ` draws after, the picture moves: ${moved}`, moved && drawn > 0]);
  await inProgram(engine, 'plumeLose.loseContext()');
  const again = back && await programHolds(engine, 'Module.ctx.isContextLost()');
  const lostBefore = await inProgram(engine, draws);
  const stands = again && !await moves(engine);
  const lostDrawn = await inProgram(engine, draws) - lostBefore;
  results.push([`control: lost again (${again}) and not given back: ${lostDrawn} draws, the` +
    ` picture stands: ${stands}`, stands && lostDrawn === 0]);
  const said = await waitFor(engine, `${TEXT}.includes('not given it back')`, 20000);
  results.push([`left lost: "${await engine.evaluate(TEXT)}"`, said]);
}

// A narrow screen's pinned canvas: its CSS box fits the width, its drawing buffer is the
// snapshot's. A pinned request for more than a million frames is refused at once, in words (the
// pinned frames are the control: they are drawn).
/** @type {Scenario} */
export async function pins(engine, served, results) {
  await engine.resize(360, 640);
  const narrow = await visit(engine, served.base + '?time=2', READY);
  const sizes = await engine.evaluate("(c => [c.clientWidth, c.clientHeight, c.width, c.height])" +
    "(document.getElementById('canvas'))");
  results.push([`narrow screen: canvas ${sizes.join(', ')}`,
    narrow && sizes.join() === [360, 270, 640, 480].join()]);
  await engine.resize(800, 600);
  const query = '?time=10000000&step-ms=1';
  const said = await visit(engine, served.base + query,
    `${MESSAGE} && document.body.innerText.includes('more than a million frames')`);
  results.push([`${query}: ${said ? 'refused in words' : 'no message'}`, said]);
}

// No WebGL anywhere: a Worker's OffscreenCanvas keeps it past --disable-3d-apis, but not without
// the software rasteriser that stands in for a GPU here.
/** @type {Scenario} */
export async function noWebGL(engine, served, results) {
  const bare = await openEngine('chromium', '', ['--disable-3d-apis',
    '--disable-software-rasterizer']);
  try {
    const said = await visit(bare, served.base, MESSAGE);
    results.push([`no WebGL: "${await bare.evaluate(TEXT)}"`, said]);
  } finally {
    await bare.close();
    }
}
