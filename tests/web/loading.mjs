// A first visit: its progress on a slow link, and failures once running.
import { answer, until, waitFor } from './engines.mjs';
import { inProgram, programHolds, visit, DRAWN_IN, FRAMES, IS_LOST, LIVE, LOSE,
  MESSAGE, ON_THE_PAGE, RESTORE, SAID_LOST, TEXT } from './site.mjs';

const PROGRESS = "(l => [l.hidden, Number(l.getAttribute('aria-valuenow'))," +
  " document.getElementById('progress').textContent])(document.getElementById('loading'))";

// On a slow link the page says how much has arrived, rising, and no more once it runs.
/** @type {Scenario} */
export async function loading(engine, served, results) {
  const seen = /** @type {number[]} */ ([]);
  let said = '';
  await engine.goto(served.base);
  const live = await until(async () => {
    const [hidden, percent, text] = await answer(engine, PROGRESS, [true, 0, '']);
    if (!hidden && percent > 0 && percent < 100 && percent !== seen.at(-1)) seen.push(percent);
    if (!hidden && seen.length === 1) said = text;
    return answer(engine, LIVE, false);
  });
  const [hidden] = await engine.evaluate(PROGRESS);
  results.push([`progress while loading: ${seen.join('% ')}% ("${said}"), gone once live` +
    ` (${live}): ${hidden}`, live && hidden === true && seen.length >= 3 &&
    Math.max(...seen) >= 50 && /\d+%.*KB/.test(said) && seen.every((p, i) => !i || p > seen[i - 1])]);
}

// Detached, so that none catches them; the OWN ones fail in program.js, asking for no such call.
const THROW = "setTimeout(() => { throw new Error('planted error'); })";
const REJECT = "setTimeout(() => { Promise.reject(new Error('planted rejection')); })";
const OWN_THROW = "setTimeout(() => callPage({ call: 'planted', args: [] }))";
const OWN_REJECT = "setTimeout(() => Promise.resolve().then(() => callPage({ call: 'planted'," +
  ' args: [] })))';
const UNREADABLE = "dispatchEvent(new MessageEvent('messageerror'))";
const LATE_RESTORE = `setTimeout(() => ${RESTORE}, 200)`;
// A context given back compiles the shaders again, refused (a control: lost once more, when
// WebGL answers false to all).
const REFUSED_ON_RESTORE = `(() => {
  const proto = WebGLRenderingContext.prototype, ask = proto.getShaderParameter;
  proto.getShaderParameter = function (shader, name) {
    return name === this.COMPILE_STATUS ? false : ask.call(this, shader, name);
  };
  proto.getShaderInfoLog = () => 'planted';
})(); ${LOSE} ${LATE_RESTORE}`;

// Where the program runs ('own': the engine's way); what is planted there, on the page, after a
// lost context is said; the message (null: none, a control); whether in all engines.
/** @type {Array<[string, 'worker' | 'page' | 'own', { program?: string, page?: string,
 *   lost?: boolean }, RegExp | null, boolean?]>} */
const CASES = [
  ['an error thrown in the Worker', 'worker', { program: THROW }, /planted error/],
  ['a rejection none catches in the Worker', 'worker', { program: REJECT }, /planted rejection/],
  ['a message the Worker cannot read', 'worker', { program: `setTimeout(() => ${UNREADABLE})` },
    /could not read the page/],
  ["a Worker's message the page cannot read", 'worker', { page: `unpacker.${UNREADABLE}` },
    /could not read its Worker/],
  ["a rejection of the page's code", 'own', { page: OWN_REJECT }, /not a function/, true],
  ["an error thrown by a script not plume's", 'own', { page: THROW }, null, true],
  ["a rejection in a script not plume's", 'own', { page: REJECT }, null, true],
  ['a vertex shader a restored context in the Worker does not compile', 'worker',
    { program: REFUSED_ON_RESTORE }, /could not compile its vertex shader: planted/],
  ['shaders refused as the context in the Worker is lost again', 'worker', { program:
    `WebGLRenderingContext.prototype.isContextLost = () => true; ${REFUSED_ON_RESTORE}` }, null],
  // Given back, the program takes its own words back: not the failure's.
  ["an error in the page's code while its lost context is said, on the page", 'page',
    { lost: true, page: OWN_THROW, program: LATE_RESTORE }, /not a function/, true],
];

// Each said in words in place of the picture, the Worker ended where plume stopped (asked of
// Chromium); the controls leave the picture up.
/** @type {Scenario} */
export async function failures(engine, served, results) {
  for (const [name, where, plant, expected, everywhere] of CASES) {
    if (engine.name !== 'chromium' && !everywhere) continue;
    const undo = where === 'page' && await engine.beforeScripts?.(ON_THE_PAGE);
    const drawn = where === 'own' ? "!== ''" : `=== '${where}'`;
    const running = await visit(engine, served.base, `${MESSAGE} || (${DRAWN_IN} || '') ${drawn}`)
      && await programHolds(engine, 'typeof Module === "object" && Module.ctx !== undefined');
    if (undo) await undo();
    if (plant.lost) await inProgram(engine, LOSE);
    const lostSaid = !plant.lost || await waitFor(engine, SAID_LOST);
    if (plant.program) await inProgram(engine, plant.program);
    if (plant.page) await engine.evaluate(plant.page);
    const heard = !expected || await waitFor(engine, `${MESSAGE} && ${expected}.test(${TEXT})`,
      20000);
    // A control's frames to show the message in; a context given back after the failure.
    if (plant.lost) await programHolds(engine, `!${IS_LOST}`);
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
