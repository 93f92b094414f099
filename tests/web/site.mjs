// What every scenario shares: the host of the built site, which can refuse, slow, hold back,
// break or stall a download and puts a way into the page's Worker; the program's realm, page or
// Worker, in any engine; the page's states; and the one judge of a picture, plume-compare.
import { serve } from '../../tools/browser/browser.mjs';
import { answer, until, waitFor } from './engines.mjs';
import { spawnSync } from 'node:child_process';
import { existsSync, writeFileSync } from 'node:fs';

export const READY = "document.documentElement.dataset.frame === 'ready'";
// A live page: its caption shows the frame rate, written once the program has drawn 100 frames.
export const LIVE = "document.title.includes('FPS:')";
export const MESSAGE = "!document.getElementById('message').hidden &&" +
  " document.getElementById('canvas').hidden";
export const TEXT = "(m => m.hidden ? '' : m.textContent)(document.getElementById('message'))";
export const DRAWN_IN = "document.getElementById('canvas').dataset.drawnIn";
export const FIRST_FRAME =
  "(performance.getEntriesByName('plume-first-frame')[0]?.startTime ?? null)";
export const LOSE = "self.plumeLose = Module.ctx.getExtension('WEBGL_lose_context');" +
  ' plumeLose.loseContext();';
// Runs first on the page: the program runs there, as in a browser whose Worker cannot draw.
export const ON_THE_PAGE = "Reflect.deleteProperty(HTMLCanvasElement.prototype, " +
  "'transferControlToOffscreen')";
/** @param {number} count */
export const FRAMES = (count) => `new Promise((done) => { let left = ${count};` +
  ' const next = () => --left > 0 ? requestAnimationFrame(next) : done(0);' +
  ' requestAnimationFrame(next); })';

// In the page's Worker, after its own script: evaluates what the page sends it.
const HOOK = `addEventListener('message', ({ data }) => {
  if (data?.kind !== 'plume-evaluate') return;
  Promise.resolve().then(() => (0, eval)(data.source)).then(
    (value) => postMessage({ kind: 'plume-evaluated', value }),
    (error) => postMessage({ kind: 'plume-evaluated', error: String(error) }));
});`;

// `source` evaluated where the program runs: in the page's Worker where it draws there, else on
// the page; its value, awaited.
/** @param {Realm} engine @param {string} source */
export function inProgram(engine, source) {
  const text = JSON.stringify(source);
  return engine.evaluate(`${DRAWN_IN} !== 'worker' ? (0, eval)(${text}) :
    new Promise((done, failed) => {
      const heard = ({ data }) => {
        if (data?.kind !== 'plume-evaluated') return;
        unpacker.removeEventListener('message', heard);
        if ('error' in data) failed(new Error(data.error)); else done(data.value);
      };
      unpacker.addEventListener('message', heard);
      setTimeout(() => failed(new Error('the Worker did not answer')), 20000);
      unpacker.postMessage({ kind: 'plume-evaluate', source: ${text} });
    })`);
}

// Whether `condition` holds where the program runs, within `ms`.
/** @param {Engine} engine @param {string} condition */
export const programHolds = (engine, condition, ms = 20000) =>
  until(() => inProgram(engine, condition).catch(() => false), ms);

// Whether the page at `url` comes to hold `condition` (live, by default).
/** @param {Engine} engine @param {string} url */
export const visit = async (engine, url, condition = LIVE, ms = 60000) =>
  await engine.goto(url) && await waitFor(engine, condition, ms);

/**
 * What the host does with one request instead of answering it plainly: answer `status`, never
 * answer, end the connection, send the body as `change` makes it, or wait `delayMs` first.
 * @typedef {{ status?: number, stall?: boolean, abort?: boolean,
 *   change?: (body: Buffer) => Buffer, delayMs?: number } | null} Plan
 */
const CHUNK_BYTES = 16384;

// `directory` served as a static host does, on a port (an origin, and so a cache and a service
// worker) of its own; `bytesPerSecond` the link every answer shares, in 16 KB pieces; `plan` what
// to do with a path. The page's Worker runs HOOK after its own script (#unpack's text). `open()`
// counts the answers under way, `down()` closes the host and every connection to it.
/**
 * @param {string} directory
 * @param {{ bytesPerSecond?: number, plan?: (path: string) => Plan }} [link]
 */
export async function host(directory, { bytesPerSecond = 0, plan = () => null } = {}) {
  const served = await serve(directory);
  const [handler] = served.server.listeners('request');
  served.server.removeAllListeners('request');
  let linkFreeAt = 0, open = 0;
  served.server.on('request', (request, response) => {
    ++open;
    response.once('close', () => --open);
    const path = new URL(request.url ?? '/', 'http://x').pathname;
    const planned = plan(path) ?? {};
    if (planned.stall) return;
    if (planned.abort) return request.socket.destroy();
    if (planned.status) {
      served.answers.push({ path, status: planned.status });
      return response.writeHead(planned.status).end();
    }
    const end = response.end.bind(response);
    /** @param {Buffer} data */
    const send = (data) => {
      if (!bytesPerSecond || !data?.length) return end(data);
      // Each piece goes once the link has carried it, after the pieces of every answer before.
      const piece = data.subarray(0, CHUNK_BYTES);
      linkFreeAt = Math.max(Date.now(), linkFreeAt) + 1000 * piece.length / bytesPerSecond;
      setTimeout(() => {
        if (response.destroyed) return;
        if (piece.length === data.length) end(piece);
        else response.write(piece, () => send(data.subarray(CHUNK_BYTES)));
      }, linkFreeAt - Date.now());
    };
    response.end = (/** @type {any} */ data) => {
      let body = data && Buffer.from(data);
      if (body && /^\/(index\.html)?$/.test(path)) {
        const page = String(body), at = page.indexOf('</script>', page.indexOf('id="unpack"'));
        body = Buffer.from(`${page.slice(0, at)}\n${HOOK}\n${page.slice(at)}`);
      }
      if (body && planned.change) body = planned.change(body);
      setTimeout(() => send(body), planned.delayMs ?? 0);
      return response;
    };
    handler(request, response);
  });
  const down = () => new Promise((done) => {
    served.server.close(done);
    served.server.closeAllConnections();
  });
  return { ...served, directory, down, open: () => open };
}

// Where shots go (`work`), and the test tree's plume-compare; check.mjs sets them.
export const judged = { work: '', compare: '' };
/** @param {string} name */
const file = (name) => `${judged.work}/${name}.png`;
// `bytes` saved as WORK_DIR/`name`.png, for the judge.
/** @param {string} name @param {Buffer} bytes */
export const save = (name, bytes) => writeFileSync(file(name), bytes);

// The canvas's box, cut from the viewport's screenshot into WORK_DIR/`name`.png; its size.
/** @param {Engine} engine @param {string} name */
export async function shot(engine, name) {
  const box = await engine.evaluate("(b => [b.width, b.height, b.left, b.top]" +
    ".map((v) => Math.round(v * devicePixelRatio)))" +
    "(document.getElementById('canvas').getBoundingClientRect())");
  save(name, await engine.screenshot());
  const [width, height, left, top] = box;
  convert(file(name), '-crop', `${width}x${height}+${left}+${top}`, '+repage', file(name));
  return `${width}x${height}`;
}

/** @param {string[]} args */
function convert(...args) {
  const run = spawnSync('convert', args, { encoding: 'utf8' });
  if (run.status !== 0) throw new Error(`convert ${args.join(' ')}: ${run.stderr}`);
}

// The one judge of a picture: plume-compare on WORK_DIR's `a` and `b` (names, or a frame's
// SECONDS-STEP). Without `maxLevels`, its own verdict, the same frame as renderers may round it;
// with it, the same picture within that mean difference in levels. 'black' is a black frame of
// `a`'s size: its difference from that is how much of the canvas is lit.
/** @param {string} a @param {string} b @param {number} [maxLevels] */
export function judge(a, b, maxLevels) {
  if (b === 'black') {
    const size = spawnSync('identify', ['-format', '%wx%h', file(a)], { encoding: 'utf8' }).stdout;
    b = `black-${size}`;
    if (!existsSync(file(b))) convert('-size', size, 'xc:black', file(b));
  }
  const run = spawnSync(judged.compare, [file(a), file(b)], { encoding: 'utf8' });
  if (run.status !== 0 && run.status !== 1) {
    throw new Error(`plume-compare ${a} ${b}: ${run.stderr}`);
  }
  const levels = Number(/mean difference ([\d.]+)/.exec(run.stdout)?.[1] ?? Infinity);
  const same = maxLevels === undefined ? run.status === 0 : levels <= maxLevels;
  return { same, levels, said: `${a} against ${b}: ${run.stdout.trim()}` };
}

// The canvas shot now against `frame`: the judge's verdict and what it said.
/** @param {Engine} engine @param {string} frame @param {number} [maxLevels] */
export async function shown(engine, frame, maxLevels) {
  const size = await shot(engine, 'shot');
  const verdict = judge('shot', frame, maxLevels);
  return { ...verdict, said: `${size} ${verdict.said}` };
}

// Whether the canvas's picture moves over `frames` of the page's animation frames.
/** @param {Engine} engine */
export async function moves(engine, frames = 60) {
  // A frame on its way to the screen lands first.
  await answer(engine, FRAMES(4), 0);
  await shot(engine, 'before');
  await answer(engine, FRAMES(frames), 0);
  await shot(engine, 'after');
  return !judge('before', 'after').same;
}
