// The page in one engine, one browser: a table of scenarios, each on a host (an origin, a cache,
// a service worker) of its own; each check says ok or FAIL and what it saw. WORK_DIR holds
// plume-snapshot's SECONDS-STEP.png; PLUME_WEB_CHECKS=pinned,lost (say) runs only those.
//   node check.mjs chromium|firefox|webkit SITE_DIR PLAIN_SITE_DIR WORK_DIR PLUME_COMPARE [MINIBROWSER]
import { openEngine } from './engines.mjs';
import { host, judged } from './site.mjs';
import { pinned, still, lostContext, noWebGL } from './pictures.mjs';
import { windows, offline } from './visits.mjs';
import { loading, progress, downloads } from './loading.mjs';
import { failures } from './failures.mjs';
import { hidden, frozen, bfcache } from './hidden.mjs';

const [name, site, plain, work, compare, miniBrowser] = process.argv.slice(2);
const ALL = ['chromium', 'firefox', 'webkit'];
/** @type {Array<[string, string[], Scenario, { plain?: boolean, bytesPerSecond?: number }?]>} */
const SCENARIOS = [
  ['pinned', ALL, pinned],
  ['still', ['chromium'], still],
  ['lost', ALL, lostContext],
  ['window', ALL, windows],
  ['loading', ['chromium'], loading, { bytesPerSecond: 1.25e6 }],
  ['progress', ALL, progress, { bytesPerSecond: 250000 }],
  ['downloads', ALL, downloads],
  ['failures', ALL, failures],
  ['offline', ALL, offline],
  ['hidden', ALL, hidden, { plain: true }],
  ['frozen', ['chromium'], frozen, { plain: true }],
  // After a page restored from the back/forward cache, Firefox's and Chromium's automation lose
  // track of the page's later navigations.
  ['bfcache', ALL, bfcache, { plain: true }],
  ['no-webgl', ['chromium'], noWebGL],
];

const only = process.env.PLUME_WEB_CHECKS?.split(',');
Object.assign(judged, { work, compare });
/** @type {Results} */
const results = [];
const engine = await openEngine(name, miniBrowser);
try {
  for (const [scenario, engines, run, link = {}] of SCENARIOS) {
    if (!engines.includes(name) || only && !only.includes(scenario)) continue;
    const [started, served] = [Date.now(), await host(link.plain ? plain : site, link)];
    /** @type {Results} */
    const said = [];
    await run(engine, served, said).catch((/** @type {Error} */ error) =>
      said.push([`stopped: ${error.message.split('\n')[0]}`, false]));
    await served.down();
    results.push(...said.map(([line, ok]) => /** @type {[string, boolean]} */ (
      [`${scenario}: ${line}`, ok])));
    console.log(`${scenario}: ${Math.round((Date.now() - started) / 1000)} s`);
  }
} finally {
  await engine.close();
}
for (const [line, ok] of results) console.log(`${ok ? 'ok  ' : 'FAIL'}  ${line}`);
const failed = results.filter(([, ok]) => !ok).length;
console.log(`web.${name}: ${results.length - failed} passed, ${failed} failed`);
process.exit(failed || !results.length ? 1 : 0);
