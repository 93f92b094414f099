// The page in one engine: one table of scenarios, each run in the engines that can run it, in
// one browser launched once (and, for no-webgl, a Chromium without WebGL). Every check says its
// scenario, ok or FAIL, and what it saw; the frames are WORK_DIR's SECONDS-STEP.png, drawn by
// plume-snapshot and judged by plume-compare; PLAIN_SITE_DIR is the site with a black sky and an
// opaque white feather.
//   node check.mjs chromium|firefox|webkit SITE_DIR PLAIN_SITE_DIR WORK_DIR PLUME_COMPARE
//     [MINIBROWSER]
// PLUME_WEB_CHECKS=pinned,lost (say) runs only those scenarios.
import { openEngine, finish } from './engines.mjs';
import { host, judged } from './site.mjs';
import { pinned, still, drawing, lostContext, pins, noWebGL } from './pictures.mjs';
import { windows, offline } from './visits.mjs';
import { loading, progress, downloads } from './loading.mjs';
import { failures } from './failures.mjs';
import { hidden, frozen, bfcache } from './hidden.mjs';

const [name, site, plain, work, compare, miniBrowser] = process.argv.slice(2);
const ALL = ['chromium', 'firefox', 'webkit'];
// Each scenario on a host of its own (an origin, and so a cache and a service worker): the site,
// or the plain one, at full speed or on a slower link.
/** @type {Array<[string, string[], Scenario, { plain?: boolean, bytesPerSecond?: number }?]>} */
const SCENARIOS = [
  ['pinned', ALL, pinned],
  ['still', ['chromium'], still],
  ['drawing', ['chromium'], drawing],
  ['lost', ALL, lostContext],
  ['pins', ['chromium'], pins],
  ['window', ALL, windows],
  ['loading', ['chromium'], loading, { bytesPerSecond: 1.25e6 }],
  ['progress', ALL, progress, { bytesPerSecond: 250000 }],
  ['downloads', ALL, downloads],
  ['failures', ALL, failures],
  ['offline', ALL, offline],
  ['hidden', ALL, hidden, { plain: true }],
  ['frozen', ['chromium'], frozen, { plain: true }],
  // Last but a browser of its own: after a page restored from the back/forward cache, Firefox's
  // and Chromium's automation lose track of the page's later navigations.
  ['bfcache', ALL, bfcache, { plain: true }],
  ['no-webgl', ['chromium'], noWebGL],
];

const only = process.env.PLUME_WEB_CHECKS || '';
Object.assign(judged, { work, compare });
/** @type {Results} */
const results = [];
const engine = await openEngine(name, miniBrowser);
try {
  for (const [scenario, engines, run, link = {}] of SCENARIOS) {
    if (!engines.includes(name) || only && !only.split(',').includes(scenario)) continue;
    const started = Date.now();
    /** @type {Results} */
    const said = [];
    const served = await host(link.plain ? plain : site, link);
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
finish(results, `web.${name}`);
