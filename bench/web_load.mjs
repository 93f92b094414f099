// The live page's weight, its time from navigation to the still (its largest paint) and to the
// first live frame the page shows, and the longest main-thread task before it (the browser reports
// tasks over 50 ms), in headless Chromium, on an emulated 10 Mbit/s link with 40 ms round trips
// and no cache, with no emulation at all, and on Lighthouse's phone profile.
//
//   scripts/web --build && node bench/web_load.mjs [--runs N] [SITE_DIR...]
//
// It drives Chromium through the browser checks' Playwright client in tools/browser/, which
// scripts/test installs (or: source scripts/common.sh && ensure_npm_clients tools/browser).
// For each run and each built page in turn (build-web/ if none is named, so that two builds
// alternate under the same load), a fresh browser profile visits the page served by a loopback
// server that compresses nothing. Bytes are what the server sent by the first frame, headers
// included. Prints each visit, then the median per page.
import { serve, openBrowser, emulateLink, FIRST_FRAME, WATCH_TASKS }
  from '../tools/browser/browser.mjs';
import { resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

// [name, megabits, round trip ms, CPU slowdown] or no emulation; the third is Lighthouse's
// phone (its slow 4G, 1.6 Mbit/s and 150 ms, and a CPU four times slower), applied here.
/** @type {Array<[string, [number, number, number] | null]>} */
const LINKS = [['10 Mbit/s, 40 ms', [10, 40, 1]], ['no emulation', null],
  ['1.6 Mbit/s, 150 ms, CPU 4x slower', [1.6384, 150, 4]]];
const DRAW_TIMEOUT_MS = 60000;

/** @param {string[]} argv */
function options(argv) {
  /** @type {{ runs: number, sites: string[] }} */
  const chosen = { runs: 5, sites: [] };
  for (let i = 0; i < argv.length; ++i) {
    if (argv[i] === '--runs') chosen.runs = Number(argv[++i]);
    else chosen.sites.push(resolve(argv[i]));
  }
  if (!(chosen.runs >= 1)) {
    console.error('usage: node bench/web_load.mjs [--runs N] [SITE_DIR...]');
    process.exit(2);
  }
  if (chosen.sites.length === 0) {
    chosen.sites.push(fileURLToPath(new URL('../build-web', import.meta.url)));
  }
  return chosen;
}

// One first visit: milliseconds from navigation to the still and to the first frame, the
// longest task over 50 ms before it (0 for none), and the bytes sent by then.
/** @param {string} site @param {[number, number, number] | null} emulated */
async function visit(site, emulated) {
  const served = await serve(site);
  const browser = await openBrowser();
  try {
    const page = await browser.context.newPage();
    await page.addInitScript(WATCH_TASKS);
    if (emulated) await emulateLink(browser.context, page, ...emulated);
    await page.goto(served.base, { waitUntil: 'commit' });
    await page.waitForFunction(`${FIRST_FRAME} !== null`, null,
      { timeout: DRAW_TIMEOUT_MS, polling: 10 });
    const bytes = served.wireBytes();
    const ms = await page.evaluate(FIRST_FRAME);
    // The browser reports paints and tasks a little after the fact.
    await page.waitForTimeout(1000);
    /** @type {{ long: { start: number, ms: number }[], paints: { id: string, ms: number }[] }} */
    const { long, paints } = await page.evaluate('plumeTasks');
    const still = paints.find(({ id }) => id === 'still')?.ms ?? NaN;
    const task = Math.max(0, ...long.filter(({ start }) => start < ms).map((task) => task.ms));
    return { ms, still, task, bytes };
  } finally {
    await browser.close();
    served.server.close();
  }
}

/** @param {number[]} values */
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

const { runs, sites } = options(process.argv.slice(2));
/** @typedef {{ ms: number, still: number, task: number, bytes: number }} Visit */
/** @type {Map<string, Visit[]>} */
const results = new Map();
for (let i = 0; i < runs; ++i) {
  for (const site of sites) {
    for (const [link, emulated] of LINKS) {
      const result = await visit(site, emulated);
      console.log(`${site} (${link}): still at ${result.still.toFixed(0)} ms, first frame at` +
        ` ${result.ms.toFixed(0)} ms, longest task before it ${result.task.toFixed(0)} ms,` +
        ` ${result.bytes} bytes`);
      const key = `${site} (${link})`;
      if (!results.has(key)) results.set(key, []);
      results.get(key)?.push(result);
    }
  }
}
console.log('summary (median of each):');
for (const [key, list] of results) {
  /** @param {'ms' | 'still' | 'task'} field */
  const times = (field) => `${median(list.map((r) => r[field])).toFixed(0)} ms` +
    ` (runs: ${list.map((r) => r[field].toFixed(0)).join(', ')})`;
  console.log(`${key}: still ${times('still')}, first frame ${times('ms')}, longest task` +
    ` ${times('task')}, ${median(list.map((r) => r.bytes))} bytes by then`);
}
