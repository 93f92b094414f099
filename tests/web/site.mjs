// What the scenarios share: the page's states, the program's realm, a host that can slow or
// change a download, the count of frames and draws, and plume-compare's judging.
import { serve, FIRST_FRAME as FIRST, ON_THE_PAGE as ON_PAGE } from '../../tools/browser/browser.mjs';
import { until, waitFor } from './engines.mjs';
import { spawnSync } from 'node:child_process';
import { writeFileSync } from 'node:fs';

export const READY = "document.documentElement.dataset.frame === 'ready'";
// The caption shows the frame rate once the program has drawn 100 frames.
export const LIVE = "document.title.includes('FPS:')";
export const MESSAGE = "!document.getElementById('message').hidden &&" +
  " document.getElementById('canvas').hidden";
export const TEXT = "(m => m.hidden ? '' : m.textContent)(document.getElementById('message'))";
export const DRAWN_IN = "document.getElementById('canvas').dataset.drawnIn";
export const LOSE = "(self.plumeLose ??= Module.ctx.getExtension('WEBGL_lose_context'))" +
  '.loseContext();';
export const [IS_LOST, RESTORE] = ['Module.ctx.isContextLost()', 'plumeLose.restoreContext()'];
export const SAID_LOST = `${TEXT}.includes('not given it back')`;
// Before the page's scripts: the program runs on the page, as where a Worker cannot draw.
export const [ON_THE_PAGE, FIRST_FRAME] = [`(${ON_PAGE})()`, FIRST];
// The page's next `count` animation frames; a page that stops getting them fails, saying so.
/** @param {number} count */
export const FRAMES = (count) => `new Promise((done, fail) => { let left = ${count};
  const next = () => --left > 0 ? requestAnimationFrame(next) : done(0);
  requestAnimationFrame(next);
  setTimeout(() => fail(new Error(left + ' of ${count} animation frames still to come after' +
    ' 20 s, the page ' + document.visibilityState)), 20000); })`;
// Where the program runs: its animation frames, draws, and when each frame it drew in began.
export const COUNT = `(() => {
  const counts = self.plumeCounts = { frames: 0, draws: 0, stamps: [] };
  const proto = WebGLRenderingContext.prototype, ask = self.requestAnimationFrame.bind(self);
  let drew = false;
  for (const name of ['drawArrays', 'drawElements']) {
    const call = proto[name];
    proto[name] = function (...args) { counts.draws++; drew = true; return call.apply(this, args); };
  }
  self.requestAnimationFrame = (callback) => ask((time) => {
    const begun = Date.now();
    [counts.frames, drew] = [counts.frames + 1, false];
    callback(time);
    if (drew) counts.stamps.push(begun);
  });
})()`;

// Put into the page's Worker after its own script: evaluates what the page sends it.
const HOOK = `addEventListener('message', ({ data }) => data?.kind === 'plume-evaluate' &&
  Promise.resolve().then(() => (0, eval)(data.source)).then(
    (value) => postMessage({ kind: 'plume-evaluated', value }),
    (error) => postMessage({ kind: 'plume-evaluated', error: String(error) })));`;

// `source`'s value where the program runs: the page's Worker, or the page.
/** @param {Engine} engine @param {string} source */
export const inProgram = (engine, source) => engine.evaluate(`${DRAWN_IN} !== 'worker' ?
  (0, eval)(${JSON.stringify(source)}) : new Promise((done, failed) => {
    const heard = ({ data }) => data?.kind === 'plume-evaluated' &&
      (unpacker.removeEventListener('message', heard), 'error' in data ? failed(new Error(data.error))
        : done(data.value));
    unpacker.addEventListener('message', heard);
    setTimeout(() => failed(new Error('the Worker did not answer in 20 s')), 20000);
    unpacker.postMessage({ kind: 'plume-evaluate', source: ${JSON.stringify(source)} });
  })`);

// True once `condition` holds where the program runs, false after `ms`.
/** @param {Engine} engine @param {string} condition */
export const programHolds = (engine, condition, ms = 20000) =>
  until(() => inProgram(engine, condition).catch(() => false), ms);
// The program's context lost (`back`: given back), once the program says so.
/** @param {Engine} engine */
export async function lose(engine, back = false) {
  await inProgram(engine, back ? RESTORE : LOSE);
  return programHolds(engine, `${back ? '!' : ''}${IS_LOST}`);
}

// Whether the page at `url` comes to be live (or hold `condition`).
/** @param {Engine} engine @param {string} url */
export const visit = async (engine, url, condition = LIVE, ms = 60000) =>
  await engine.goto(url) && await waitFor(engine, condition, ms);

// `directory` on a port of its own, every answer sharing a link of `bytesPerSecond` in 16 KB
// pieces, the Worker's script followed by HOOK, each body as `change` makes it, if it has one.
/** @param {string} directory @param {{ bytesPerSecond?: number,
 *   change?: (path: string, body: Buffer) => Buffer }} [link] */
export async function host(directory, { bytesPerSecond = 0, change } = {}) {
  const served = await serve(directory);
  const [handler] = served.server.listeners('request');
  served.server.removeAllListeners('request');
  let linkFreeAt = 0;
  served.server.on('request', (request, response) => {
    const path = new URL(request.url ?? '/', 'http://x').pathname;
    const end = response.end.bind(response);
    /** @param {Buffer} data */
    const send = (data) => {
      if (!bytesPerSecond || !data?.length) return end(data);
      const piece = data.subarray(0, 16384);
      linkFreeAt = Math.max(Date.now(), linkFreeAt) + 1000 * piece.length / bytesPerSecond;
      setTimeout(() => response.destroyed || (piece.length === data.length ? end(piece)
        : response.write(piece, () => send(data.subarray(piece.length)))), linkFreeAt - Date.now());
    };
    response.end = (/** @type {any} */ data) => {
      let body = data && Buffer.from(data);
      if (body && /^\/(index\.html)?$/.test(path)) {
        const page = String(body), at = page.indexOf('</script>', page.indexOf('id="unpack"'));
        body = Buffer.from(`${page.slice(0, at)}\n${HOOK}\n${page.slice(at)}`);
      }
      send(body && change ? change(path, body) : body);
      return response;
    };
    handler(request, response);
  });
  const down = () => new Promise((done) => served.server.close(done).closeAllConnections());
  return { base: served.base, directory, down };
}

export const judged = { work: '', compare: '' };
/** @param {string} name */
const file = (name) => `${judged.work}/${name}.png`;

// plume-compare's verdict on WORK_DIR's `a` and `b`.
/** @param {string} a @param {string} b */
function judge(a, b) {
  const compared = spawnSync(judged.compare, [file(a), file(b)], { encoding: 'utf8' });
  if (compared.status !== 0 && compared.status !== 1) {
    throw new Error(`plume-compare ${a} ${b}: ${compared.stderr}`);
  }
  return { same: compared.status === 0, said: `${a} against ${b}: ${compared.stdout.trim()}` };
}

// The canvas's box cut from a screenshot into WORK_DIR/`name`.png, judged against `frame`.
/** @param {Engine} engine @param {string} frame */
export async function shown(engine, frame, name = 'shot') {
  const box = await engine.evaluate("(b => [b.width, b.height, b.left, b.top].map((v) =>" +
    " Math.round(v * devicePixelRatio)))(document.getElementById('canvas').getBoundingClientRect())");
  writeFileSync(file(name), await engine.screenshot());
  const cut = spawnSync('convert', [file(name), '-crop', `${box[0]}x${box[1]}+${box[2]}+${box[3]}`,
    '+repage', file(name)], { encoding: 'utf8' });
  if (cut.status !== 0) throw new Error(`convert: ${cut.stderr}`);
  return frame ? judge(name, frame) : { same: false, said: '' };
}

// Until `count` more animation frames (`drew`: that drew) where the program runs.
/** @param {Engine} engine */
export async function frames(engine, count = 20, drew = false) {
  const counted = `plumeCounts.${drew ? 'stamps.length' : 'frames'}`;
  const seen = await inProgram(engine, counted);
  return programHolds(engine, `${counted} >= ${seen + count}`, 60000);
}

// Whether the picture moves over `count` frames of the program's.
/** @param {Engine} engine */
export async function moves(engine, count = 60) {
  await frames(engine, 4);
  await shown(engine, '', 'before');
  await frames(engine, count);
  return !(await shown(engine, 'before')).same;
}
