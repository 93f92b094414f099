// The live page's frame rate in headless Chromium, and where a frame's time goes.
//
//   scripts/web --build && node bench/web_profile.mjs [--seconds S] [--runs N] [--on-page]
//                                                     [SITE_DIR...]
//
// It drives Chromium through the browser checks' Playwright client in tools/browser/, which
// scripts/test installs (or: source scripts/common.sh && ensure_npm_clients tools/browser).
// For each run and each built page in turn (build-web/ if none is named, so that two builds
// alternate under the same load), serves the page on a loopback port, lets it run 3 s, then
// for S seconds (default 10) counts the program's frames (one clear each) and the browser's
// animation frames, the WebGL draws and uploads, where the program runs (the page's Worker, or
// with --on-page the page itself, as where a Worker cannot draw), samples the page's main
// thread with the DevTools profiler and reads the CPU time of Chromium's processes from /proc.
// Prints each run, then a summary per page with the bytes of the site's files.
import { serve, openBrowser, programRealm, ON_THE_PAGE }
  from '../tools/browser/browser.mjs';
import { readdirSync, readFileSync, statSync } from 'node:fs';
import { resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const SETTLE_MS = 3000;
const SAMPLING_US = 200;
const CLOCK_TICKS = 100; // Linux's USER_HZ, the unit of /proc's CPU times
// Runs where the program runs: counts the animation frames the browser offers there and the
// WebGL calls that make a frame.
const WATCH = () => {
  /** @type {{ animationFrames: number, calls: Record<string, number> }} */
  const watch = { animationFrames: 0, calls: {} };
  Object.assign(self, { plumeWatch: watch });
  const proto = WebGLRenderingContext.prototype;
  for (const name of /** @type {const} */ (['clear', 'drawArrays', 'drawElements', 'bufferData',
    'bufferSubData'])) {
    const call = /** @type {Function} */ (proto[name]);
    Object.assign(proto, { [name](/** @type {unknown[]} */ ...args) {
      watch.calls[name] = (watch.calls[name] || 0) + 1;
      return call.apply(this, args);
    } });
  }
  requestAnimationFrame(function frame() {
    watch.animationFrames++;
    requestAnimationFrame(frame);
  });
};
const STATE = '({now: performance.now(), animationFrames: plumeWatch.animationFrames,' +
  ' calls: {...plumeWatch.calls}})';

/** @param {string[]} argv */
function options(argv) {
  /** @type {{ seconds: number, runs: number, sites: string[], onPage: boolean }} */
  const chosen = { seconds: 10, runs: 1, sites: [], onPage: false };
  for (let i = 0; i < argv.length; ++i) {
    if (argv[i] === '--on-page') chosen.onPage = true;
    else if (argv[i] === '--seconds') chosen.seconds = Number(argv[++i]);
    else if (argv[i] === '--runs') chosen.runs = Number(argv[++i]);
    else chosen.sites.push(resolve(argv[i]));
  }
  if (!(chosen.seconds > 0) || !(chosen.runs >= 1)) {
    console.error('usage: node bench/web_profile.mjs [--seconds S] [--runs N] [--on-page]' +
      ' [SITE_DIR...]');
    process.exit(2);
  }
  if (chosen.sites.length === 0) {
    chosen.sites.push(fileURLToPath(new URL('../build-web', import.meta.url)));
  }
  return chosen;
}

// CPU seconds of Chromium's processes by type: the one whose command line names `profile`,
// and its descendants.
/** @param {string} profile */
function cpuSeconds(profile) {
  /** @type {Record<string, string>} */
  const parents = {};
  /** @type {Record<string, string>} */
  const kinds = {};
  /** @type {Record<string, number>} */
  const seconds = {};
  /** @type {string | null} */
  let root = null;
  for (const entry of readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    try {
      const stat = readFileSync(`/proc/${entry}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 1).trim().split(' ');
      const command = readFileSync(`/proc/${entry}/cmdline`, 'utf8');
      parents[entry] = fields[1];
      kinds[entry] = (command.match(/--type=([\w-]+)/) || [null, 'browser'])[1];
      seconds[entry] = (Number(fields[11]) + Number(fields[12])) / CLOCK_TICKS;
      const browser = !command.includes('--type=');
      if (browser && command.includes(`--user-data-dir=${profile}`)) root = entry;
    } catch (error) {
      // The process ended while it was read; any other failure is said.
      if (/** @type {NodeJS.ErrnoException} */ (error).code !== 'ENOENT') throw error;
    }
  }
  /** @type {Record<string, number>} */
  const totals = {};
  for (const pid of Object.keys(seconds)) {
    let ancestor = pid;
    while (ancestor && ancestor !== root && ancestor !== '1' && parents[ancestor]) {
      ancestor = parents[ancestor];
    }
    if (ancestor === root) totals[kinds[pid]] = (totals[kinds[pid]] || 0) + seconds[pid];
  }
  return totals;
}

// Milliseconds of the sampled main thread by kind of code, from a DevTools CPU profile.
/**
 * @param {{ nodes: Array<{ id: number, callFrame: { functionName: string, url: string } }>,
 *   samples?: number[], timeDeltas?: number[] }} profile  as the DevTools protocol gives it
 */
function selfTimes(profile) {
  const frames = new Map(profile.nodes.map((node) => [node.id, node.callFrame]));
  /** @type {Record<string, number>} */
  const totals = {};
  profile.samples?.forEach((sample, i) => {
    const { functionName: name, url } = /** @type {{ functionName: string, url: string }} */
      (frames.get(sample));
    let kind = url || 'native: WebGL and other browser calls';
    if (['(idle)', '(program)', '(garbage collector)'].includes(name)) kind = name;
    else if (url.startsWith('wasm://') || url.includes('.wasm')) {
      kind = 'plume.wasm: the program and its GL layer';
    }
    else if (url.endsWith('plume.js')) kind = 'plume.js: GLUT, WebGL bindings and glue';
    totals[kind] = (totals[kind] || 0) + (profile.timeDeltas?.[i + 1] || 0) / 1000;
  });
  return totals;
}

/** @param {string} site @param {number} seconds @param {boolean} onPage */
async function measure(site, seconds, onPage) {
  const { server, base } = await serve(site);
  const browser = await openBrowser();
  try {
    const page = await browser.context.newPage();
    if (onPage) await page.addInitScript(ON_THE_PAGE);
    await page.goto(base);
    await page.waitForTimeout(SETTLE_MS);
    const realm = await programRealm(page);
    await realm.evaluate(WATCH);
    const state = async () => ({ ...await realm.evaluate(STATE),
      title: await page.evaluate('document.title') });
    const cdp = await browser.context.newCDPSession(page);
    await cdp.send('Profiler.enable');
    await cdp.send('Profiler.setSamplingInterval', { interval: SAMPLING_US });
    const before = await state(), cpuBefore = cpuSeconds(browser.profile);
    await cdp.send('Profiler.start');
    await page.waitForTimeout(seconds * 1000);
    const { profile } = await cdp.send('Profiler.stop');
    const after = await state(), cpuAfter = cpuSeconds(browser.profile);
    return { before, after, cpuBefore, cpuAfter, threads: selfTimes(profile) };
  } finally {
    await browser.close();
    server.close();
  }
}

/** @param {string} site @param {Awaited<ReturnType<typeof measure>>} run */
function report(site, run) {
  const { before, after, cpuBefore, cpuAfter, threads } = run;
  const elapsed = (after.now - before.now) / 1000;
  /** @param {string} name */
  const count = (name) => (after.calls[name] || 0) - (before.calls[name] || 0);
  const frames = Math.max(count('clear'), 1);
  const rate = count('clear') / elapsed;
  /** @param {number} n */
  const perFrame = (n) => (n / frames).toFixed(2);
  const offered = (after.animationFrames - before.animationFrames) / elapsed;
  const draws = count('drawArrays') + count('drawElements');
  console.log(`${site}: over ${elapsed.toFixed(1)} s the program drew ${rate.toFixed(1)}` +
    ` frames/s; the browser offered ${offered.toFixed(1)} animation frames/s;` +
    ` last caption: ${after.title}`);
  console.log(`  WebGL calls per frame: draws ${perFrame(draws)},` +
    ` buffer uploads ${perFrame(count('bufferData') + count('bufferSubData'))}`);
  console.log('  the page\'s main thread, sampled (ms per frame):');
  for (const [kind, ms] of Object.entries(threads).sort((a, b) => b[1] - a[1])) {
    console.log(`    ${(ms / frames).toFixed(2).padStart(7)}  ${kind}`);
  }
  console.log('  CPU time of Chromium\'s processes (ms per frame):');
  for (const kind of Object.keys(cpuAfter).sort()) {
    const used = cpuAfter[kind] - (cpuBefore[kind] || 0);
    console.log(`    ${(1000 * used / frames).toFixed(2).padStart(7)}  ${kind}`);
  }
  return { rate, draws: draws / frames };
}

// What a host serves: the site's files and their bytes, the page's packed files among them.
/** @param {string} site */
function sizes(site) {
  const files = readdirSync(site, { recursive: true }).filter((name) =>
    statSync(`${site}/${name}`).isFile());
  const bytes = files.reduce((sum, name) => sum + statSync(`${site}/${name}`).size, 0);
  return `${files.length} files, ${(bytes / 1024).toFixed(1)} KB`;
}

const { seconds, runs, sites, onPage } = options(process.argv.slice(2));
// However loaded the machine, the run ends: a browser that stops answering ends it too.
const limit = setTimeout(() => {
  console.error('web_profile: Chromium stopped answering; giving up');
  process.exit(1);
}, (runs * sites.length * (seconds + 60)) * 1000);
/** @type {Map<string, { rate: number, draws: number }[]>} */
const results = new Map(sites.map((site) => [site, []]));
for (let i = 0; i < runs; ++i) {
  for (const site of sites) results.get(site)?.push(report(site, await measure(site, seconds, onPage)));
}
clearTimeout(limit);
console.log('summary:');
for (const [site, list] of results) {
  const rates = list.map((r) => r.rate.toFixed(1));
  const mean = list.reduce((sum, r) => sum + r.rate, 0) / list.length;
  const draws = list.reduce((sum, r) => sum + r.draws, 0) / list.length;
  console.log(`${site}: ${mean.toFixed(1)} frames/s (runs: ${rates.join(', ')}),` +
    ` ${draws.toFixed(1)} draws a frame; ${sizes(site)}`);
}
