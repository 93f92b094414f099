// The page in one engine: a table of scenarios, each on a host (an origin, a cache, a service
// worker) of its own, each check saying ok or FAIL and what it saw; a scenario past SCENARIO_MS,
// or the run past RUN_MS (within CTest's limit), fails. PLUME_WEB_CHECKS=pinned,lost runs those.
//   node check.mjs chromium|firefox|webkit SITE_DIR WORK_DIR PLUME_COMPARE [MINIBROWSER]
import { bounded, openEngine } from './engines.mjs';
import { host, judged } from './site.mjs';
import { pinned, still, lostContext } from './pictures.mjs';
import { windows, offline, hidden, frozen, bfcache } from './visits.mjs';
import { loading, failures } from './loading.mjs';
import { pause, moment, reduced } from './controls.mjs';

const [name, site, work, compare, miniBrowser] = process.argv.slice(2);
const [SCENARIO_MS, RUN_MS] = [240000, 780000];
// Each scenario with its host's link; `chromium`: only there, as only it can freeze a page and
// ask for less motion.
/** @type {Array<[string, Scenario, { bytesPerSecond?: number, chromium?: true }]>} */
const SCENARIOS = [
  ['pinned', pinned, {}],
  ['still', still, { chromium: true }],
  ['window', windows, {}],
  ['pause', pause, {}],
  ['moment', moment, {}],
  ['reduced', reduced, { chromium: true }],
  ['loading', loading, { bytesPerSecond: 250000 }],
  ['failures', failures, {}],
  ['offline', offline, {}],
  ['hidden', hidden, {}],
  ['frozen', frozen, { chromium: true }],
  // Late: under load Firefox has stopped giving any page animation frames after a context given
  // back in its Worker, and its automation loses track of a page after the back/forward cache.
  ['lost', lostContext, {}],
  ['bfcache', bfcache, {}],
];

const only = process.env.PLUME_WEB_CHECKS?.split(',');
Object.assign(judged, { work, compare });
const begun = Date.now();
let [passed, failed] = [0, 0];
// What a browser's protocol says late, after its call was given up on, is none of the run's.
process.on('unhandledRejection', (error) => console.log(`late: ${error}`));
const engine = await openEngine(name, miniBrowser);
try {
  for (const [scenario, run, link] of SCENARIOS) {
    if (link.chromium && name !== 'chromium' || only && !only.includes(scenario)) continue;
    const [started, served] = [Date.now(), await host(site, link)];
    /** @type {Results} */
    const said = [];
    const ms = Math.min(SCENARIO_MS, begun + RUN_MS - started);
    const ran = ms > 0 ? bounded(run(engine, served, said), 'the scenario', ms)
      : Promise.reject(new Error(`not run: the run's ${RUN_MS / 1000} s had passed`));
    await ran.catch(async (error) => {
      said.push([`stopped: ${String(error.message).split('\n')[0]}; last said` +
        ` "${said.at(-1)?.[0] ?? 'nothing'}"`, false]);
      await engine.goto('about:blank');
    });
    await served.down();
    for (const [line, ok] of [...said]) console.log(`${ok ? 'ok  ' : 'FAIL'}  ${scenario}: ${line}`);
    const bad = said.filter(([, ok]) => !ok).length;
    [passed, failed] = [passed + said.length - bad, failed + bad];
    console.log(`${scenario}: ${Math.round((Date.now() - started) / 1000)} s`);
  }
} finally {
  await engine.close();
}
console.log(`web.${name}: ${passed} passed, ${failed} failed`);
process.exit(failed || !passed ? 1 : 0);
