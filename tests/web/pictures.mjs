// The page's pictures: the pinned frames, the still and the first frame, a lost context, no WebGL.
import { openEngine, sleep, waitFor } from './engines.mjs';
import { inProgram, judge, moves, programHolds, save, shown, visit, DRAWN_IN, FRAMES, LOSE,
  MESSAGE, ON_THE_PAGE, READY, TEXT } from './site.mjs';

const MAX_DRAWS_PER_FRAME = 8;
// The still against the first live frame: lossy and scaled, but the same picture; a frame 3 s
// on, the control, is not.
const MAX_STILL_LEVELS = 3;
const MIN_CONTROL_LEVELS = 12;
// How long the page waits for a lost context to come back before it says so.
const RESTORE_WAIT_MS = 5000;

// Where it runs: the frames (clears) and draws made.
const COUNT_DRAWS = `(() => {
  const counts = self.plumeCounts = { clear: 0, drawArrays: 0, drawElements: 0 };
  const proto = WebGLRenderingContext.prototype;
  for (const name of Object.keys(counts)) {
    const call = proto[name];
    proto[name] = function (...args) { counts[name]++; return call.apply(this, args); };
  }
})()`;
const COUNTS = '[plumeCounts.clear, plumeCounts.drawArrays + plumeCounts.drawElements]';

// Each pinned frame in the Worker and on the page (elsewhere, the engine's way); the control, a
// frame 0.25 s on. On the page a lost context takes it away (a control), a restored one draws it
// again. A pinned request past a million frames is refused in words.
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
    await undo?.();
    if (where !== 'page') continue;
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
  const refused = await visit(engine, `${served.base}?time=10000000&step-ms=1`,
    `${MESSAGE} && document.body.innerText.includes('more than a million frames')`, 20000);
  results.push([`?time=10000000&step-ms=1 refused in words: ${refused}`, refused]);
}

// Before the page's scripts: the first live frame and one 3 s on, read back once drawn, with the
// boxes of canvas and still then; as PNGs, the frame and the still as shown (scaled to the
// frame's height, centred), where the still covers it.
const CAPTURE_FRAMES = `(() => {
  const frames = self.plumeFrames = [], proto = WebGLRenderingContext.prototype;
  const draw = proto.drawElements, still = () => document.getElementById('still');
  const box = (e) => [e.offsetLeft, e.offsetTop, e.offsetWidth, e.offsetHeight].join();
  const png = (width, height, paint) => { const canvas = Object.assign(document
    .createElement('canvas'), { width, height }); paint(canvas.getContext('2d'));
    return canvas.toDataURL(); };
  const pngs = (gl, width, height) => {
    const pixels = new Uint8Array(width * height * 4), image = still();
    gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, pixels);
    const scaled = image.naturalWidth * height / image.naturalHeight, left = (width - scaled) / 2;
    const [from, to] = [Math.max(0, Math.ceil(left)), Math.min(width, Math.floor(left + scaled))];
    const flat = new OffscreenCanvas(width, height);
    flat.getContext('2d').putImageData(new ImageData(new Uint8ClampedArray(pixels.buffer), width,
      height), 0, 0);
    return [png(to - from, height, (c) => { c.scale(1, -1); c.drawImage(flat, -from, -height); }),
      png(to - from, height, (c) => c.drawImage(image, left - from, 0, scaled, height))];
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

// In windows of several aspects, on the page: the still stands in the canvas's box, shows what
// the first live frame shows, and goes once that frame is up.
/** @type {Scenario} */
export async function still(engine, served, results) {
  const undo = [await engine.beforeScripts?.(ON_THE_PAGE),
    await engine.beforeScripts?.(CAPTURE_FRAMES)];
  for (const [width, height] of [[800, 600], [1000, 400], [360, 640]]) {
    await engine.resize(width, height);
    const live = await visit(engine, served.base, 'window.plumeFrames?.length === 2');
    const [first, later] = live ? await engine.evaluate('plumeFrames') : [{}, {}];
    const gone = await engine.evaluate("document.getElementById('still').hidden");
    const size = `${width}x${height}`;
    results.push([`${size}: still box ${first.still}, canvas box ${first.canvas}, shown at the` +
      ` first frame ${first.stillShown}, gone after ${gone}`, first.still ===
      `0,0,${width},${height}` && first.canvas === first.still && first.stillShown && gone]);
    const [near, far] = [first, later].map((frame, at) => {
      if (!live) return { same: false, levels: NaN, said: 'never drawn' };
      frame.pngs.forEach((/** @type {string} */ address, /** @type {number} */ each) =>
        save(`${at}-${each}`, Buffer.from(address.split(',')[1], 'base64')));
      return judge(`${at}-0`, `${at}-1`, MAX_STILL_LEVELS);
    });
    results.push([`${size}: the first frame (${first.width}x${first.height}): ${near.said},` +
      ` within ${MAX_STILL_LEVELS} levels`, near.same && `${first.width}x${first.height}` === size]);
    results.push([`control: the frame 3 s on: ${far.said}, at least ${MIN_CONTROL_LEVELS} levels`,
      far.levels >= MIN_CONTROL_LEVELS]);
  }
  for (const each of undo) await each?.();
  await engine.resize(800, 600);
}

// A context taken and given back, then taken again: the first loss's wait says nothing of the
// second. Given back: the frames go on, in few draws each, and the picture moves. The control,
// left lost: no draws, a picture that stands, and then the page says so.
/** @type {Scenario} */
export async function lostContext(engine, served, results) {
  const live = await visit(engine, served.base);
  const drawnIn = await engine.evaluate(DRAWN_IN);
  if (live) await inProgram(engine, COUNT_DRAWS);
  const firstLost = Date.now();
  await inProgram(engine, LOSE);
  const lost = live && await programHolds(engine, 'Module.ctx.isContextLost()');
  await inProgram(engine, 'plumeLose.restoreContext()');
  const restored = lost && await programHolds(engine, '!Module.ctx.isContextLost()');
  await sleep(firstLost + RESTORE_WAIT_MS / 2 - Date.now());
  await inProgram(engine, 'plumeLose.loseContext()');
  const lostAgain = Date.now();
  await sleep(firstLost + RESTORE_WAIT_MS * 1.25 - Date.now());
  const early = await engine.evaluate(TEXT), at = Date.now() - lostAgain;
  results.push([`lost, given back, lost again: ${at} ms on (before ${RESTORE_WAIT_MS}),` +
    ` "${early || 'no message'}"`, restored && !early && at < RESTORE_WAIT_MS]);
  await inProgram(engine, 'plumeLose.restoreContext()');
  const back = restored && await programHolds(engine, '!Module.ctx.isContextLost()');
  await engine.evaluate(FRAMES(2));
  const [frames, before] = await inProgram(engine, COUNTS);
  const moved = back && await moves(engine);
  const [framesAfter, drawsAfter] = await inProgram(engine, COUNTS);
  const drawn = drawsAfter - before, perFrame = drawn / (framesAfter - frames);
  results.push([`drawn in the ${drawnIn}, lost (${lost}) and given back (${back}): ${drawn}` +
    ` draws after, ${perFrame.toFixed(2)} a frame (at most ${MAX_DRAWS_PER_FRAME}), the picture` +
    ` moves: ${moved}`, moved && drawn > 0 && perFrame <= MAX_DRAWS_PER_FRAME]);
  await inProgram(engine, 'plumeLose.loseContext()');
  const again = back && await programHolds(engine, 'Module.ctx.isContextLost()');
  const [, lostBefore] = await inProgram(engine, COUNTS);
  const stands = again && !await moves(engine);
  const lostDrawn = (await inProgram(engine, COUNTS))[1] - lostBefore;
  results.push([`control: lost again (${again}) and not given back: ${lostDrawn} draws, the` +
    ` picture stands: ${stands}`, stands && lostDrawn === 0]);
  const said = await waitFor(engine, `${TEXT}.includes('not given it back')`, 20000);
  results.push([`left lost: "${await engine.evaluate(TEXT)}"`, said]);
}

// No WebGL anywhere (a Worker keeps it past --disable-3d-apis, not past the second flag).
/** @type {Scenario} */
export async function noWebGL(engine, served, results) {
  const bare = await openEngine('chromium', '', ['--disable-3d-apis',
    '--disable-software-rasterizer']);
  const said = await visit(bare, served.base, MESSAGE).then((ok) => ok && bare.evaluate(TEXT))
    .finally(() => bare.close());
  results.push([`no WebGL: "${said}"`, Boolean(said)]);
}
