// Failures that happen out of the page's sight, in headless Chromium: each is planted, in the
// Worker that runs the program or on the page that does (as where a Worker cannot draw), and the
// page must say it in words in place of the picture, and go on saying it when a lost context is
// given back after it; where it says that plume stopped, its Worker must have ended, and nowhere
// else. The controls: the plain page, a failure of a script that is not plume's, and a lost
// context given back once the page said so, show no message.
//   node page_failure_check.mjs SITE_DIR
import { serve, openBrowser, waitFor, pollFor, programRealm, ON_THE_PAGE, finish }
  from '../../tools/browser/browser.mjs';

const [site] = process.argv.slice(2);
const MESSAGE = "!document.getElementById('message').hidden &&" +
  " document.getElementById('canvas').hidden";
const TEXT = "document.getElementById('message').textContent";
// The program is running: its context made and the loading gone.
const RUNNING = 'typeof Module === "object" && Module.ctx !== undefined';
const STARTED_MS = 20000;
const SAID_MS = 10000;
// How long a control has to show no message: a planted failure is said within a few frames.
const QUIET_MS = 1500;

// Run in the program's realm, detached from the question, so that what fails is nobody's to
// catch: a call of the page's that does not exist fails inside plume's own code (program.js).
const THROW = "setTimeout(() => { throw new Error('planted error'); })";
const REJECT = "setTimeout(() => { Promise.reject(new Error('planted rejection')); })";
const OWN_THROW = "setTimeout(() => callPage({ call: 'planted', args: [] }))";
const OWN_REJECT = "setTimeout(() => Promise.resolve().then(() => callPage({ call: 'planted'," +
  ' args: [] })))';
const UNREADABLE = "dispatchEvent(new MessageEvent('messageerror'))";
// The program's context lost, and, a plant's second step, given back 200 ms on.
const LOSE = "self.plumeLose = Module.ctx.getExtension('WEBGL_lose_context');" +
  ' plumeLose.loseContext();';
const RESTORE = 'setTimeout(() => plumeLose.restoreContext(), 200)';

/**
 * @typedef {{ status: 'COMPILE_STATUS' | 'LINK_STATUS', log: string }} Refusal
 * @typedef {{ program?: string, page?: string, before?: Refusal, lost?: boolean }} Plant
 */
// Before the page's own scripts: the browser refuses the shaders (`status` names the status
// WebGL answers false), with the planted info log. The program must say so, with that log.
/** @param {Refusal} planted */
const REFUSE_SHADERS = ({ status, log }) => {
  const proto = WebGLRenderingContext.prototype;
  const [kind, infoLog] = status === 'COMPILE_STATUS'
    ? /** @type {const} */ (['getShaderParameter', 'getShaderInfoLog'])
    : /** @type {const} */ (['getProgramParameter', 'getProgramInfoLog']);
  /** @type {(this: WebGLRenderingContext, object: any, name: number) => unknown} */
  const ask = proto[kind];
  Object.assign(proto, {
    /** @this {WebGLRenderingContext} @param {any} object @param {number} name */
    [kind](object, name) { return name === this[status] ? false : ask.call(this, object, name); },
    [infoLog]: () => log,
  });
};

// In the Worker, where no script comes before the page's: its context lost and given back,
// the shaders are compiled again, and refused; or refused as the context is lost once more,
// which answers false to all (a control: the next restoration compiles them again).
const REFUSED_ON_RESTORE = `(${REFUSE_SHADERS})({ status: 'COMPILE_STATUS', log: 'planted' });` +
  ` ${LOSE} ${RESTORE}`;
const LOST_AGAIN = 'WebGLRenderingContext.prototype.isContextLost = () => true;';

// Each case: where the program runs, what is planted (in the program's realm once it runs, on
// the page, or before the page's scripts; `lost`: once the page says that the program's context
// is lost) and what the message must say; none, a control.
/** @typedef {[string, 'worker' | 'page', Plant, RegExp | null]} Case */
/** @type {Case[]} */
const CASES = [
  ['the plain page in the Worker', 'worker', {}, null],
  ['the plain page on the page', 'page', {}, null],
  ['an error thrown in the Worker', 'worker', { program: THROW }, /planted error/],
  ['a rejection none catches in the Worker', 'worker', { program: REJECT }, /planted rejection/],
  ['a message the Worker cannot read', 'worker', { program: UNREADABLE }, /could not read the page/],
  ["a Worker's message the page cannot read", 'worker', { page: `unpacker.${UNREADABLE}` },
    /could not read its Worker/],
  ["an error thrown in the page's code", 'page', { program: OWN_THROW }, /not a function/],
  ["a rejection of the page's code none catches", 'page', { program: OWN_REJECT },
    /not a function/],
  ["an error thrown in the program's module, on the page", 'page',
    { program: 'Module.page.caption = null' }, /caption is not a function/],
  ['an error thrown by a script not plume\'s', 'page', { program: THROW }, null],
  ['a rejection in a script not plume\'s', 'page', { program: REJECT }, null],
  ['a vertex shader the browser does not compile', 'page',
    { before: { status: 'COMPILE_STATUS', log: 'ERROR: 0:1: planted' } },
    /could not compile its vertex shader: ERROR: 0:1: planted/],
  ['a vertex shader a restored context in the Worker does not compile', 'worker',
    { program: REFUSED_ON_RESTORE }, /could not compile its vertex shader: planted/],
  ['shaders refused as the context in the Worker is lost again', 'worker',
    { program: LOST_AGAIN + REFUSED_ON_RESTORE }, null],
  ['an error thrown in the Worker while its lost context is said', 'worker',
    { lost: true, program: `${THROW}; ${RESTORE}` }, /planted error/],
  ["an error in the page's code while its lost context is said", 'page',
    { lost: true, program: `${OWN_THROW}; ${RESTORE}` }, /not a function/],
  ['a lost context said, then given back, on the page', 'page', { lost: true, program: RESTORE },
    null],
  ['shaders the browser does not link', 'page',
    { before: { status: 'LINK_STATUS', log: 'planted link log' } },
    /could not link its shaders: planted link log/],
];

// The page started, and running where it should, or saying a failure already; then the plant.
/** @param {Page} page @param {'worker' | 'page'} where @param {Plant} plant */
async function planted(page, where, plant) {
  if (where === 'page') await page.addInitScript(ON_THE_PAGE);
  if (plant.before) await page.addInitScript(REFUSE_SHADERS, plant.before);
  await page.goto(base);
  const running = await waitFor(page, `${MESSAGE} || document.getElementById('canvas')` +
    `.dataset.drawnIn === '${where}'`, STARTED_MS) &&
    await pollFor(await programRealm(page), RUNNING, STARTED_MS);
  if (plant.lost) await (await programRealm(page)).evaluate(LOSE);
  const said = !plant.lost || await waitFor(page, `${TEXT}.includes('not given it back')`, SAID_MS);
  if (plant.program) await (await programRealm(page)).evaluate(plant.program);
  if (plant.page) await page.evaluate(plant.page);
  return running && said;
}

// Whether the page's Worker has ended within `ms`: Playwright drops an ended Worker at once.
/** @param {Page} page @param {number} ms */
async function ended(page, ms) {
  for (const until = Date.now() + ms; page.workers().length > 0 && Date.now() < until;) {
    await page.waitForTimeout(50);
  }
  return page.workers().length === 0;
}

/** @param {Browser} browser @param {Case} each @param {Results} results */
async function check(browser, [name, where, plant, said], results) {
  const page = await browser.context.newPage();
  try {
    const running = await planted(page, where, plant);
    const heard = !said || await waitFor(page, `${MESSAGE} && ${said}.test(${TEXT})`, SAID_MS);
    // A control, or a context given back after the failure: its time to take the message away.
    if (!said || plant.lost) await page.waitForTimeout(QUIET_MS);
    const shown = await page.evaluate(MESSAGE);
    const text = shown ? await page.evaluate(TEXT) : 'no message';
    const stopped = text.includes('Reload the page');
    const gone = await ended(page, stopped ? SAID_MS : 0);
    const drawnIn = await page.evaluate("document.getElementById('canvas').dataset.drawnIn");
    const ok = running && drawnIn === where && gone === stopped &&
      (said ? heard && shown && said.test(text) : !shown);
    results.push([`${said ? '' : 'control: '}${name} (drawn in ${drawnIn}, Worker ` +
      `${gone ? 'ended' : 'running'}): "${text}"`, ok]);
  } finally {
    await page.close();
  }
}

const { server, base } = await serve(site);
/** @type {Results} */
const results = [];
const browser = await openBrowser();
try {
  for (const each of CASES) await check(browser, each, results);
} finally {
  await browser.close();
  server.close();
}
finish(results, 'web: failures out of sight');
