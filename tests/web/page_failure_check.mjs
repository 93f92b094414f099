// Failures that happen out of the page's sight, in headless Chromium: each is planted, in the
// Worker that runs the program or on the page that does (as where a Worker cannot draw), and the
// page must say it in words in place of the picture. The controls: the plain page, and a failure
// of a script that is not plume's, show no message.
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

/**
 * @typedef {{ status: 'COMPILE_STATUS' | 'LINK_STATUS', log: string }} Refusal
 * @typedef {{ program?: string, page?: string, before?: Refusal }} Plant
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
  " self.plumeLose = Module.ctx.getExtension('WEBGL_lose_context'); plumeLose.loseContext();" +
  ' setTimeout(() => plumeLose.restoreContext(), 100)';
const LOST_AGAIN = 'WebGLRenderingContext.prototype.isContextLost = () => true;';

// Each case: where the program runs, what is planted (in the program's realm once it runs, on
// the page, or before the page's scripts) and what the message must say; none, a control.
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
  if (plant.program) await (await programRealm(page)).evaluate(plant.program);
  if (plant.page) await page.evaluate(plant.page);
  return running;
}

/** @param {Browser} browser @param {Case} each @param {Results} results */
async function check(browser, [name, where, plant, said], results) {
  const page = await browser.context.newPage();
  try {
    const running = await planted(page, where, plant);
    const shown = await waitFor(page, MESSAGE, said ? SAID_MS : QUIET_MS);
    const text = shown ? await page.evaluate(TEXT) : 'no message';
    const drawnIn = await page.evaluate("document.getElementById('canvas').dataset.drawnIn");
    const ok = running && drawnIn === where && (said ? shown && said.test(text) : !shown);
    results.push([`${said ? '' : 'control: '}${name} (drawn in ${drawnIn}): "${text}"`, ok]);
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
