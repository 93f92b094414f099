// The page's pictures: the pinned frames, the still before the first frame, a lost context.
import { sleep, waitFor } from './engines.mjs';
import { frames, inProgram, lose, moves, shown, visit, COUNT, DRAWN_IN,
  MESSAGE, ON_THE_PAGE, READY, SAID_LOST, TEXT } from './site.mjs';

const MAX_DRAWS_PER_FRAME = 8;
// How long the page waits for a lost context to come back before it says so.
const RESTORE_WAIT_MS = 5000;

// Each pinned frame where the engine draws it (WebKit on the page); the control, 0.25 s on.
/** @type {Scenario} */
export async function pinned(engine, served, results) {
  for (const [query, frame] of [['?time=10&step-ms=100', '10-100'], ['?time=2', '2-16']]) {
    const ready = await visit(engine, served.base + query, READY);
    const { same, said } = ready ? await shown(engine, frame) : { same: false, said: 'none' };
    results.push([`${query} drawn in the ${await engine.evaluate(DRAWN_IN)}: ${said}`, same]);
  }
  const control = await shown(engine, '2.25-16');
  results.push([`control: ?time=2: ${control.said}`, !control.same]);
}

// Before the page's scripts: canvas and still boxes, and the still's showing, at the first frame.
const CAPTURE_FRAMES = `(() => {
  const proto = WebGLRenderingContext.prototype, draw = proto.drawElements;
  const box = (e) => [e.offsetLeft, e.offsetTop, e.offsetWidth, e.offsetHeight].join();
  proto.drawElements = function (...args) {
    const still = document.getElementById('still');
    self.plumeFirst ??= { canvas: box(this.canvas), still: box(still), stillShown: !still.hidden };
    return draw.apply(this, args);
  };
})()`;

// In a narrow window the still fills the canvas's box until the first frame; its picture is left
// to the pinned frames, which hold the page to plume-snapshot.
/** @type {Scenario} */
export async function still(engine, served, results) {
  const [width, height] = [360, 640];
  const undo = [await engine.beforeScripts?.(ON_THE_PAGE),
    await engine.beforeScripts?.(CAPTURE_FRAMES)];
  await engine.resize(width, height);
  const live = await visit(engine, served.base, 'self.plumeFirst');
  const gone = await waitFor(engine, "document.getElementById('still').hidden", 5000);
  const first = live ? await engine.evaluate('plumeFirst') : {};
  for (const each of undo) await each?.();
  await engine.resize(800, 600);
  results.push([`${width}x${height}: still box ${first.still}, canvas box ${first.canvas}, shown` +
    ` at the first frame ${first.stillShown}, gone after ${gone}`, first.still ===
    `0,0,${width},${height}` && first.canvas === first.still && first.stillShown && gone]);
}

// Lost, given back, lost again: the first wait, left uncancelled, would speak early for the second.
// Given back, the words go and the picture moves in few draws; the control, lost: no draws.
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
