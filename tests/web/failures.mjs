// Failures planted where the program runs (Worker or page) or on the page: each said in words in
// place of the picture, still when a lost context is given back after; where plume stopped, its
// Worker ended (asked of Chromium). Controls: a script not plume's failing, shaders refused in a
// context lost again.
import { until, waitFor } from './engines.mjs';
import { inProgram, programHolds, visit, DRAWN_IN, FRAMES, LOSE, MESSAGE, ON_THE_PAGE,
  SAID_LOST, TEXT } from './site.mjs';

// Detached, so that none catches them; a call of the page's that does not exist fails in
// plume's own code (program.js).
const THROW = "setTimeout(() => { throw new Error('planted error'); })";
const REJECT = "setTimeout(() => { Promise.reject(new Error('planted rejection')); })";
const OWN_THROW = "setTimeout(() => callPage({ call: 'planted', args: [] }))";
const OWN_REJECT = "setTimeout(() => Promise.resolve().then(() => callPage({ call: 'planted'," +
  ' args: [] })))';
const UNREADABLE = "dispatchEvent(new MessageEvent('messageerror'))";
const RESTORE = 'setTimeout(() => plumeLose.restoreContext(), 200)';
// The browser refuses the shaders (WebGL answers false for `status`) with `log`.
/** @param {'COMPILE_STATUS' | 'LINK_STATUS'} status @param {string} log */
const REFUSE = (status, log) => `(() => {
  const proto = WebGLRenderingContext.prototype, [kind, infoLog] = '${status}' === 'LINK_STATUS'
    ? ['getProgramParameter', 'getProgramInfoLog'] : ['getShaderParameter', 'getShaderInfoLog'];
  const ask = proto[kind];
  proto[kind] = function (object, name) {
    return name === this.${status} ? false : ask.call(this, object, name);
  };
  proto[infoLog] = () => ${JSON.stringify(log)};
})();`;
// A context given back compiles the shaders again, refused (a control: lost once more, when
// WebGL answers false to all).
const REFUSED_ON_RESTORE = `${REFUSE('COMPILE_STATUS', 'planted')} ${LOSE} ${RESTORE}`;

// Where the program runs ('own': the engine's way; WebKit's is the page); what is planted where
// it runs, on the page, before the page's scripts, after a lost context is said; the message
// (null: none, a control); all engines, or Chromium.
/** @typedef {{ program?: string, page?: string, before?: string, lost?: boolean }} Plant */
/** @type {Array<[string, 'worker' | 'page' | 'own', Plant, RegExp | null, boolean?]>} */
const CASES = [
  ['an error thrown in the Worker', 'worker', { program: THROW }, /planted error/],
  ['a rejection none catches in the Worker', 'worker', { program: REJECT }, /planted rejection/],
  ['a message the Worker cannot read', 'worker', { program: `setTimeout(() => ${UNREADABLE})` },
    /could not read the page/],
  ["a Worker's message the page cannot read", 'worker', { page: `unpacker.${UNREADABLE}` },
    /could not read its Worker/],
  ["an error thrown in the page's code", 'own', { page: OWN_THROW }, /not a function/, true],
  ["a rejection of the page's code", 'own', { page: OWN_REJECT }, /not a function/, true],
  ["an error thrown in the program's module, on the page", 'page',
    { program: 'Module.page.caption = null' }, /caption is not a function/],
  ["an error thrown by a script not plume's", 'own', { page: THROW }, null, true],
  ["a rejection in a script not plume's", 'own', { page: REJECT }, null, true],
  ['a vertex shader not compiled', 'page', { before: REFUSE('COMPILE_STATUS',
    'ERROR: 0:1: planted') }, /could not compile its vertex shader: ERROR: 0:1: planted/],
  ['shaders not linked', 'page', { before: REFUSE('LINK_STATUS', 'planted link log') },
    /could not link its shaders: planted link log/],
  ['a vertex shader a restored context in the Worker does not compile', 'worker',
    { program: REFUSED_ON_RESTORE }, /could not compile its vertex shader: planted/],
  ['shaders refused as the context in the Worker is lost again', 'worker', { program:
    `WebGLRenderingContext.prototype.isContextLost = () => true; ${REFUSED_ON_RESTORE}` }, null],
  // Given back on the page, where the program itself takes its words back: not over a failure.
  ["an error in the page's code while its lost context is said, on the page", 'page',
    { lost: true, page: OWN_THROW, program: RESTORE }, /not a function/, true],
];

/** @type {Scenario} */
export async function failures(engine, served, results) {
  for (const [name, where, plant, expected, everywhere] of CASES) {
    if (engine.name !== 'chromium' && !everywhere) continue;
    const undo = [where === 'page' ? await engine.beforeScripts?.(ON_THE_PAGE) : null,
      plant.before ? await engine.beforeScripts?.(plant.before) : null];
    const drawn = where === 'own' ? "!== ''" : `=== '${where}'`;
    const running = await visit(engine, served.base, `${MESSAGE} || (${DRAWN_IN} || '') ${drawn}`)
      && await programHolds(engine, 'typeof Module === "object" && Module.ctx !== undefined');
    for (const each of undo) await each?.();
    if (plant.lost) await inProgram(engine, LOSE);
    const lostSaid = !plant.lost || await waitFor(engine, SAID_LOST);
    if (plant.program) await inProgram(engine, plant.program);
    if (plant.page) await engine.evaluate(plant.page);
    const heard = !expected || await waitFor(engine, `${MESSAGE} && ${expected}.test(${TEXT})`,
      20000);
    // A control's frames to show the message in; a context given back after the failure.
    if (plant.lost) await programHolds(engine, '!Module.ctx.isContextLost()');
    await engine.evaluate(FRAMES(expected ? 2 : 30));
    const [text, shown, drawnIn] = await engine.evaluate(`[${TEXT} || 'no message', ${MESSAGE},` +
      ` ${DRAWN_IN}]`), stopped = text.includes('Reload the page');
    // Puppeteer drops an ended Worker at once; only Chromium's protocol is asked.
    const workers = () => engine.page?.workers().length ?? (stopped ? 0 : 1);
    const gone = stopped ? await until(async () => workers() === 0, 10000) : workers() === 0;
    results.push([`${expected ? '' : 'control: '}${name} (drawn in ${drawnIn}, Worker ` +
      `${gone ? 'ended' : 'running'}): "${text}"`, running && lostSaid &&
      (where === 'own' || drawnIn === where) && gone === stopped &&
      (expected ? heard && shown && expected.test(text) : !shown)]);
  }
}
