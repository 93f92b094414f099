// Lighthouse's judgement of the page on its default phone profile (a mid-range phone, slow 4G:
// 1.6 Mbit/s with 150 ms round trips, four times slower CPU, all simulated), in Debian's
// Chromium with the browser checks' flags: the four category scores, the paint and blocking
// figures, the largest paint's element and every audit that costs points. A measurement, not a
// check: it moves with the machine's load.
//
//   scripts/web --build && node bench/web_lighthouse.mjs [--runs N] [SITE_DIR]
//
// Lighthouse 12.2.3 is pinned in bench/lighthouse/ (package.json and its package-lock.json),
// which this script installs with `npm ci` on first use; Chromium through the browser checks'
// client in tools/browser/ (scripts/test installs it, or: source scripts/common.sh &&
// ensure_npm_clients tools/browser).
import { serve, CHROMIUM_FLAGS } from '../tools/browser/browser.mjs';
import { spawnSync } from 'node:child_process';
import { copyFileSync, readFileSync, writeFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const CLIENT = fileURLToPath(new URL('./lighthouse/', import.meta.url));
const CATEGORIES = ['performance', 'accessibility', 'best-practices', 'seo'];
const FIGURES = ['first-contentful-paint', 'largest-contentful-paint', 'total-blocking-time',
  'speed-index', 'cumulative-layout-shift', 'interactive'];

/** @param {string[]} argv */
function options(argv) {
  /** @type {{ runs: number, site: string | null }} */
  const chosen = { runs: 3, site: null };
  for (let i = 0; i < argv.length; ++i) {
    if (argv[i] === '--runs') chosen.runs = Number(argv[++i]);
    else if (!chosen.site && !argv[i].startsWith('-')) chosen.site = resolve(argv[i]);
    else chosen.runs = NaN;
  }
  if (!(chosen.runs >= 1)) {
    console.error('usage: node bench/web_lighthouse.mjs [--runs N] [SITE_DIR]');
    process.exit(2);
  }
  return { ...chosen,
    site: chosen.site ?? fileURLToPath(new URL('../build-web', import.meta.url)) };
}

// The pinned Lighthouse, installed from its lockfile once per lockfile.
async function lighthouseModules() {
  const lock = `${CLIENT}package-lock.json`, stamp = `${CLIENT}node_modules/.installed-from-lock`;
  let installed = '';
  try {
    installed = readFileSync(stamp, 'utf8');
  } catch (error) {
    // Not installed yet; any other failure to read it is said.
    if (/** @type {NodeJS.ErrnoException} */ (error).code !== 'ENOENT') throw error;
  }
  if (installed !== readFileSync(lock, 'utf8')) {
    const npm = spawnSync('npm', ['ci', '--no-audit', '--no-fund', '--loglevel=error'],
      { cwd: CLIENT, stdio: 'inherit' });
    if (npm.status !== 0) process.exit(1);
    copyFileSync(lock, stamp);
  }
  const require = createRequire(CLIENT);
  /** @param {string} name */
  const load = (name) => import(pathToFileURL(require.resolve(name)).href);
  return { lighthouse: (await load('lighthouse')).default, launcher: await load('chrome-launcher') };
}

// Lighthouse's own types are not installed for the checker: its modules and results are `any`.
/** @param {{ lighthouse: any, launcher: any }} modules @param {string} url */
async function run({ lighthouse, launcher }, url) {
  const chrome = await launcher.launch({ chromePath: '/usr/bin/chromium',
    chromeFlags: CHROMIUM_FLAGS });
  try {
    const result = await lighthouse(url, { port: chrome.port, output: 'json',
      logLevel: 'error', onlyCategories: CATEGORIES });
    if (process.env.PLUME_LIGHTHOUSE_JSON) writeFileSync(process.env.PLUME_LIGHTHOUSE_JSON, result.report);
    return result.lhr;
  } finally {
    await chrome.kill();
  }
}

/** @param {any} lhr @param {number} index */
function report(lhr, index) {
  const scores = CATEGORIES.map((name) => `${name} ${lhr.categories[name].score.toFixed(2)}`);
  console.log(`run ${index + 1}: ${scores.join(', ')}`);
  const figures = FIGURES.map((id) => `${lhr.audits[id].title} ${lhr.audits[id].displayValue}`);
  console.log(`  ${figures.join('; ')}`);
  const element = lhr.audits['largest-contentful-paint-element'];
  const largest = element?.details?.items?.[0]?.items?.[0]?.node;
  // Lighthouse 12.2 cannot always read this Chromium's trace for it: it says why.
  console.log(`  largest paint: ${largest ? `${largest.selector} (${largest.nodeLabel})`
    : `element not reported (${(element?.errorMessage || 'no reason given').slice(0, 120)})`}`);
  for (const name of CATEGORIES) {
    for (const ref of lhr.categories[name].auditRefs) {
      const audit = lhr.audits[ref.id];
      if (ref.weight > 0 && audit.score !== null && audit.score < 1) {
        console.log(`  ${name}: ${audit.id} ${audit.score} ${audit.displayValue || ''}`);
      }
    }
  }
  return lhr.categories.performance.score;
}

const { runs, site } = options(process.argv.slice(2));
const modules = await lighthouseModules();
const served = await serve(site);
/** @type {number[]} */
const performance = [];
try {
  for (let i = 0; i < runs; ++i) performance.push(report(await run(modules, served.base), i));
} finally {
  served.server.close();
}
performance.sort((a, b) => a - b);
console.log(`performance: median ${performance[Math.floor(runs / 2)].toFixed(2)} of ${runs}` +
  ` (${performance.map((score) => score.toFixed(2)).join(', ')})`);
