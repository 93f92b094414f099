// Failures that happen out of the page's sight, each planted in the Worker that runs the program
// or on the page that does (as where a Worker cannot draw): the page must say it in words in
// place of the picture, and go on saying it when a lost context is given back after it; where it
// says that plume stopped, its Worker must have ended (asked of Chromium), and nowhere else. The
// controls: the plain page, a failure of a script that is not plume's, and a lost context given
// back once the page said so, show no message.
import { until, waitFor } from './engines.mjs';
import { inProgram, programHolds, visit, DRAWN_IN, FRAMES, LOSE, MESSAGE, ON_THE_PAGE,
  TEXT } from './site.mjs';

// The program is running: its context made and the loading gone.
const RUNNING = 'typeof Module === "object" && Module.ctx !== undefined';
// Run in the program's realm, detached from the question, so that what fails is nobody's to
// catch: a call of the page's that does not exist fails inside plume's own code (program.js).
const THROW = "setTimeout(() => { throw new Error('planted error'); })";
const REJECT = "setTimeout(() => { Promise.reject(new Error('planted rejection')); })";
const OWN_THROW = "setTimeout(() => callPage({ call: 'planted', args: [] }))";
const OWN_REJECT = "setTimeout(() => Promise.resolve().then(() => callPage({ call: 'planted'," +
  ' args: [] })))';
const UNREADABLE = "dispatchEvent(new MessageEvent('messageerror'))";
// A plant's second step: the lost context given back 200 ms on.
const RESTORE = 'setTimeout(() => plumeLose.restoreContext(), 200)';

/**
 * @typedef {{ status: 'COMPILE_STATUS' | 'LINK_STATUS', log: string }} Refusal
 * @typedef {{ program?: string, page?: string, before?: Refusal, lost?: boolean }} Plant
 */
// Before the page's own scripts: the browser refuses the shaders (`status` names the status
// WebGL answers false), with the planted info log. The program must say so, with that log.
/** @param {Refusal} refusal */
const REFUSE_SHADERS = ({ status, log }) => `(() => {
  const proto = WebGLRenderingContext.prototype, [kind, infoLog] = '${status}' === 'LINK_STATUS'
    ? ['getProgramParameter', 'getProgramInfoLog'] : ['getShaderParameter', 'getShaderInfoLog'];
  const ask = proto[kind];
  proto[kind] = function (object, name) {
    return name === this.${status} ? false : ask.call(this, object, name);
  };
  proto[infoLog] = () => ${JSON.stringify(log)};
})();`;

// In the Worker, where no script comes before the page's: its context lost and given back,
// the shaders are compiled again, and refused; or refused as the context is lost once more,
// which answers false to all (a control: the next restoration compiles them again).
const REFUSED_ON_RESTORE = `${REFUSE_SHADERS({ status: 'COMPILE_STATUS', log: 'planted' })}` +
  ` ${LOSE} ${RESTORE}`;
const LOST_AGAIN = 'WebGLRenderingContext.prototype.isContextLost = () => true;';

// Each case: where the program runs ('own': where the engine runs it), what is planted (where
// the program runs once it runs, on the page, or before the page's scripts; `lost`: once the page
// says that the program's context is lost), what the message must say (none, a control), and
// whether Firefox and WebKit run it too.
/** @typedef {[string, 'worker' | 'page' | 'own', Plant, RegExp | null, boolean?]} Case */
/** @type {Case[]} */
const CASES = [
  ['the plain page in the Worker', 'worker', {}, null],
  ['the plain page on the page', 'page', {}, null],
  ['an error thrown in the Worker', 'worker', { program: THROW }, /planted error/],
  ['a rejection none catches in the Worker', 'worker', { program: REJECT }, /planted rejection/],
  ['a message the Worker cannot read', 'worker', { program: `setTimeout(() => ${UNREADABLE})` },
    /could not read the page/],
  ["a Worker's message the page cannot read", 'worker', { page: `unpacker.${UNREADABLE}` },
    /could not read its Worker/],
  ["an error thrown in the page's code", 'own', { page: OWN_THROW }, /not a function/, true],
  ["a rejection of the page's code none catches", 'own', { page: OWN_REJECT }, /not a function/,
    true],
  ["an error thrown in the page's code, the program on the page", 'page', { page: OWN_THROW },
    /not a function/],
  ["a rejection of the page's code, the program on the page", 'page', { page: OWN_REJECT },
    /not a function/],
  ["an error thrown in the program's module, on the page", 'page',
    { program: 'Module.page.caption = null' }, /caption is not a function/],
  ['an error thrown by a script not plume\'s', 'own', { page: THROW }, null, true],
  ['a rejection in a script not plume\'s', 'own', { page: REJECT }, null, true],
  ['a vertex shader the browser does not compile', 'page',
    { before: { status: 'COMPILE_STATUS', log: 'ERROR: 0:1: planted' } },
    /could not compile its vertex shader: ERROR: 0:1: planted/],
  ['a vertex shader a restored context in the Worker does not compile', 'worker',
    { program: REFUSED_ON_RESTORE }, /could not compile its vertex shader: planted/],
  ['shaders refused as the context in the Worker is lost again', 'worker',
    { program: LOST_AGAIN + REFUSED_ON_RESTORE }, null],
  ['an error thrown in the Worker while its lost context is said', 'worker',
    { lost: true, program: `${THROW}; ${RESTORE}` }, /planted error/],
  ["an error in the page's code while its lost context is said", 'own',
    { lost: true, page: OWN_THROW, program: RESTORE }, /not a function/, true],
  ["an error in the page's code while its lost context is said, on the page", 'page',
    { lost: true, program: `${OWN_THROW}; ${RESTORE}` }, /not a function/],
  ['a lost context said, then given back, on the page', 'page', { lost: true, program: RESTORE },
    null],
  ['shaders the browser does not link', 'page',
    { before: { status: 'LINK_STATUS', log: 'planted link log' } },
    /could not link its shaders: planted link log/],
];

// The page started, and running where it should, or saying a failure already; then the plant.
/** @param {Engine} engine @param {string} base @param {Case} each */
async function planted(engine, base, [, where, plant]) {
  const undo = [where === 'page' ? await engine.beforeScripts?.(ON_THE_PAGE) : null,
    plant.before ? await engine.beforeScripts?.(REFUSE_SHADERS(plant.before)) : null];
  const drawn = where === 'own' ? "!== ''" : `=== '${where}'`;
  const running = await visit(engine, base, `${MESSAGE} || (${DRAWN_IN} || '') ${drawn}`) &&
    await programHolds(engine, RUNNING);
  for (const each of undo) await each?.();
  if (plant.lost) await inProgram(engine, LOSE);
  const said = !plant.lost || await waitFor(engine, `${TEXT}.includes('not given it back')`);
  if (plant.program) await inProgram(engine, plant.program);
  if (plant.page) await engine.evaluate(plant.page);
  return running && said;
}

/** @type {Scenario} */
export async function failures(engine, served, results) {
  for (const each of CASES) {
    const [name, where, plant, said, everywhere] = each;
    if (engine.name !== 'chromium' && !everywhere) continue;
    const running = await planted(engine, served.base, each);
    const heard = !said || await waitFor(engine, `${MESSAGE} && ${said}.test(${TEXT})`, 20000);
    // A control, or a context given back after the failure: its frames to take the message away.
    if (!said || plant.lost) await engine.evaluate(FRAMES(90));
    const text = await engine.evaluate(TEXT) || 'no message';
    const shown = await engine.evaluate(MESSAGE);
    const stopped = text.includes('Reload the page');
    // Puppeteer drops an ended Worker at once; only Chromium's protocol is asked.
    const workers = () => engine.page?.workers().length ?? (stopped ? 0 : 1);
    const gone = stopped ? await until(async () => workers() === 0, 10000) : workers() === 0;
    const drawnIn = await engine.evaluate(DRAWN_IN);
    const ok = running && (where === 'own' || drawnIn === where) && gone === stopped &&
      (said ? heard && shown && said.test(text) : !shown);
    results.push([`${said ? '' : 'control: '}${name} (drawn in ${drawnIn}, Worker ` +
      `${gone ? 'ended' : 'running'}): "${text}"`, ok]);
  }
}
