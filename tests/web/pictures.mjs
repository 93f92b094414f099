// The page's pictures: the pinned frames, the still and the first frame, a lost context.
import { sleep, waitFor } from './engines.mjs';
import { frames, inProgram, judge, lose, moves, save, shown, visit, COUNT, DRAWN_IN, FRAMES,
  MESSAGE, ON_THE_PAGE, READY, SAID_LOST, TEXT } from './site.mjs';

const MAX_DRAWS_PER_FRAME = 8;
// The still against the first live frame: lossy and scaled, but the same picture; a frame 3 s
// on, the control, is not.
const [MAX_STILL_LEVELS, MIN_CONTROL_LEVELS] = [3, 12];
// How long the page waits for a lost context to come back before it says so.
const RESTORE_WAIT_MS = 5000;

// Each pinned frame where the engine draws it, and in Chromium on the page, where a lost context
// takes it away (a control) and a restored one draws it again; the control, a frame 0.25 s on.
/** @type {Scenario} */
export async function pinned(engine, served, results) {
  for (const where of engine.page ? ['worker', 'page'] : ['']) {
    const undo = where === 'page' && await engine.beforeScripts?.(ON_THE_PAGE);
    for (const [query, frame] of [['?time=10&step-ms=100', '10-100'], ['?time=2', '2-16']]) {
      const ready = await visit(engine, served.base + query, READY);
      const { same, said } = ready ? await shown(engine, frame) : { same: false, said: 'none' };
      results.push([`${query} drawn in the ${await engine.evaluate(DRAWN_IN)}: ${said}`, same]);
    }
    const control = await shown(engine, '2.25-16');
    results.push([`control: ?time=2 ${where}: ${control.said}`, !control.same]);
    if (!undo) continue;
    await undo();
    const [lost, gone] = [await lose(engine), await shown(engine, '2-16')];
    results.push([`control: lost (${lost}) on the page: ${gone.said}`, lost && !gone.same]);
    const back = await lose(engine, true) && await engine.evaluate(FRAMES(4)) === 0;
    const again = await shown(engine, '2-16');
    results.push([`restored (${back}) on the page: ${again.said}`, back && again.same]);
  }
}

// Before the page's scripts: the first live frame and one 3 s on, with the boxes of canvas and
// still, as PNGs of the frame and of the still as shown (scaled to its height, centred) over it.
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
  let first = 0;
  proto.drawElements = function (...args) {
    first ||= performance.now();
    if (frames.length === 0 || frames.length === 1 && performance.now() - first > 3000) {
      const [width, height] = [this.drawingBufferWidth, this.drawingBufferHeight];
      frames.push(null);
      queueMicrotask(() => frames.splice(-1, 1, { width, height, canvas: box(this.canvas),
        still: box(still()), stillShown: !still().hidden, pngs: pngs(this, width, height) }));
    }
    return draw.apply(this, args);
  };
})()`;

// In a narrow window (the 5:2 still cropped at its sides): the still stands in the canvas's box,
// shows what the first live frame shows, and goes once that is up; the control, a frame 3 s on.
/** @type {Scenario} */
export async function still(engine, served, results) {
  const [width, height] = [360, 640], size = `${width}x${height}`;
  const undo = [await engine.beforeScripts?.(ON_THE_PAGE),
    await engine.beforeScripts?.(CAPTURE_FRAMES)];
  await engine.resize(width, height);
  const live = await visit(engine, served.base, 'self.plumeFrames?.[1]');
  const gone = await waitFor(engine, "document.getElementById('still').hidden", 5000);
  const [first, later] = live ? await engine.evaluate('plumeFrames') : [{}, {}];
  for (const each of undo) await each?.();
  await engine.resize(800, 600);
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

// A context taken and given back, then taken again: the first loss's wait (which, not
// cancelled, would speak a second or more early) says nothing of the second, whose own full
// wait ends in words. Given back: the words go, the frames go on in few draws each, and the
// picture moves. The control, lost again: no draws, a picture that stands.
/** @type {Scenario} */
export async function lostContext(engine, served, results) {
  const live = await visit(engine, served.base), drawnIn = await engine.evaluate(DRAWN_IN);
  if (live) await inProgram(engine, COUNT);
  const firstLost = Date.now();
  const restored = live && await lose(engine) && await lose(engine, true);
  await sleep(firstLost + RESTORE_WAIT_MS / 2 - Date.now());
  const [lostAgain, apart] = [Date.now(), Date.now() - firstLost];
  await lose(engine);
  const said = await waitFor(engine, SAID_LOST, 20000), after = Date.now() - lostAgain;
  results.push([`lost, given back (${restored}), lost again ${apart} ms on: the words` +
    ` ${said ? after : 'never'} ms after: "${await engine.evaluate(TEXT)}"`, restored &&
    apart < RESTORE_WAIT_MS - 1000 && said && after >= RESTORE_WAIT_MS]);
  const back = restored && await lose(engine, true);
  const unsaid = await waitFor(engine, `!(${MESSAGE})`, 10000) && await frames(engine, 2);
  const counts = () => inProgram(engine, '[plumeCounts.stamps.length, plumeCounts.draws]');
  const [framesBefore, before] = await counts();
  const moved = back && await moves(engine);
  const [framesAfter, drawsAfter] = await counts();
  const drawn = drawsAfter - before, perFrame = drawn / (framesAfter - framesBefore);
  results.push([`drawn in the ${drawnIn}, given back (${back}), the words gone (${unsaid}):` +
    ` ${drawn} draws, ${perFrame.toFixed(2)} a frame, the picture moves: ${moved}`,
  unsaid && moved && drawn > 0 && perFrame <= MAX_DRAWS_PER_FRAME]);
  const again = back && await lose(engine), [, lostBefore] = await counts();
  const stands = again && !await moves(engine), lostDrawn = (await counts())[1] - lostBefore;
  results.push([`control: lost again (${again}) and not given back: ${lostDrawn} draws, the` +
    ` picture stands: ${stands}`, stands && lostDrawn === 0]);
}
