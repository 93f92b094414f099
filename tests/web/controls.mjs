// The page in a person's hands: pause and play, controls that step aside, a shared moment,
// reduced motion, and what axe-core finds.
import { sleep, waitFor } from './engines.mjs';
import { drawn } from './visits.mjs';
import { frames, inProgram, shown, visit, COUNT, MESSAGE, READY, TEXT } from './site.mjs';
import { readFileSync } from 'node:fs';

const [FADE_WAIT_MS, PAUSE_MS, SETTLE_MS, MIN_CONTROL_FRAMES] = [10000, 5000, 250, 10];
const PLAY = "document.getElementById('play').textContent";
const IDLE = "[document.documentElement.classList.contains('idle')," +
  " getComputedStyle(document.getElementById('controls')).opacity]";
/** @param {string} key */
const press = (key) => `document.dispatchEvent(new KeyboardEvent('keydown', { key: '${key}' }))`;
const CLICK_PLAY = "document.getElementById('play').click()";
// The held moment's seconds, from the link that "Share this moment" gives once it is offered.
const HELD = "new Promise(function ask(done) { const share = document.getElementById('share');" +
  " if (share.hidden) return setTimeout(() => ask(done), 50); share.click(); done(Number(new" +
  " URL(document.getElementById('link').value).searchParams.get('at'))); })";
// The text and buttons out of the picture's way.
const UNCOVER = "['overlay', 'controls'].forEach((id) => {" +
  " document.getElementById(id).style.visibility = 'hidden'; })";

// Playing, the controls fade with no input since the page opened, and a key brings them back;
// paused (Space) for 5 s,
// they stay and nothing is drawn; played (the button) and paused again, the scene goes on from
// where it stood, no further than the frames between took.
/** @type {Scenario} */
export async function pause(engine, served, results) {
  const live = await visit(engine, served.base);
  await inProgram(engine, COUNT);
  const idleFrom = Date.now();
  const faded = await waitFor(engine, `${IDLE}[1] === '0'`, FADE_WAIT_MS);
  const [idle, fadedMs] = [await engine.evaluate(IDLE), Date.now() - idleFrom];
  await engine.evaluate(press('Shift'));
  const [[woken], playing] = [await engine.evaluate(IDLE),
    await frames(engine, MIN_CONTROL_FRAMES, true)];
  results.push([`controls faded (${faded}) ${fadedMs} ms after the page ran: ${idle}; after a` +
    ` key: idle ${woken}`, live && faded && idle[0] && !woken]);
  await engine.evaluate(press(' '));
  const [paused, first] = [Date.now(), await engine.evaluate(HELD)];
  await sleep(PAUSE_MS);
  const [during, [idleWhilePaused], label] = [await drawn(engine, paused + SETTLE_MS, Date.now()),
    await engine.evaluate(IDLE), await engine.evaluate(PLAY)];
  const played = Date.now();
  await engine.evaluate(CLICK_PLAY);
  const moving = await frames(engine, 3, true);
  await engine.evaluate(press(' '));
  const [second, between] = [await engine.evaluate(HELD), (Date.now() - played) / 1000];
  results.push([`paused ${PAUSE_MS} ms ("${label}", idle ${idleWhilePaused}): ${during} frames` +
    ` drawn (playing, ${MIN_CONTROL_FRAMES} before: ${playing}); played (${moving}) and paused again` +
    ` ${between} s on: held at ${first} s, then ${second} s`, during === 0 && label === 'Play' &&
    !idleWhilePaused && playing && moving && second > first &&
    second - first < between]);
}

// A moment far on is ready soon; a near one shows plume-snapshot's frame of that time, paused,
// and plays on from it.
/** @type {Scenario} */
export async function moment(engine, served, results) {
  const far = await visit(engine, served.base + '?at=600', READY) &&
    Math.round(await engine.evaluate('performance.now()'));
  await engine.resize(640, 480);
  const ready = await visit(engine, served.base + '?at=2', READY);
  await engine.evaluate(UNCOVER);
  const [frame, control] = [await shown(engine, '2-16'), await shown(engine, '2.25-16')];
  const label = await engine.evaluate(PLAY);
  await inProgram(engine, COUNT);
  await engine.evaluate(CLICK_PLAY);
  const moving = await frames(engine, 10, true);
  await engine.resize(800, 600);
  results.push([`?at=600 ready in ${far} ms; ?at=2 ("${label}"): ${frame.said}; control:` +
    ` ${control.said}; plays on: ${moving}`, far !== false && ready && frame.same &&
    !control.same && label === 'Play' && moving]);
}

const AXE = readFileSync(new URL('node_modules/axe-core/axe.min.js', import.meta.url), 'utf8');
// axe-core's violations on the page as it stands, each with the count of its elements.
const AUDIT = `(self.axe || document.head.appendChild(Object.assign(document.createElement(
  'script'), { textContent: ${JSON.stringify(AXE)} })), axe.run(document, { resultTypes:
  ['violations'] }).then((found) => found.violations.map((v) => v.id + ' ' + v.nodes.length)))`;
/** @param {boolean} reduce */
const reducing = (reduce) => [{ name: 'prefers-reduced-motion', value: reduce ? 'reduce' : '' }];

// Asking for less motion opens the page paused, drawing nothing until Play; asked for while it
// plays, it pauses. axe-core finds nothing on the paused, playing and message pages; the control,
// an unnamed button planted, it finds. Bad moments are refused in words.
/** @type {Scenario} */
export async function reduced(engine, served, results) {
  const page = /** @type {import('puppeteer-core').Page} */ (engine.page);
  await page.emulateMediaFeatures(reducing(true));
  const ready = await visit(engine, served.base, READY);
  await inProgram(engine, COUNT);
  const [from, audits] = [Date.now(), [await engine.evaluate(AUDIT)]];
  await sleep(PAUSE_MS - (Date.now() - from));
  const [still, label] = [await drawn(engine, 0, Date.now()), await engine.evaluate(PLAY)];
  await engine.evaluate(CLICK_PLAY);
  const moving = await frames(engine, 10, true);
  audits.push(await engine.evaluate(AUDIT));
  await page.emulateMediaFeatures(reducing(false));
  await page.emulateMediaFeatures(reducing(true));
  const stopped = await waitFor(engine, `${PLAY} === 'Play'`, 5000);
  await page.emulateMediaFeatures(reducing(false));
  results.push([`less motion: "${label}", ${still} frames drawn in ${PAUSE_MS} ms, played` +
    ` (${moving}); asked again while playing, paused: ${stopped}`, ready && label === 'Play' &&
    still === 0 && moving && stopped]);
  const words = [];
  for (const query of ['?at=abc', '?at=20000']) {
    words.push(await visit(engine, served.base + query, MESSAGE) && await engine.evaluate(TEXT));
  }
  audits.push(await engine.evaluate(AUDIT));
  await engine.evaluate("document.body.appendChild(document.createElement('button'))");
  const planted = await engine.evaluate(AUDIT);
  results.push([`axe-core paused, playing, with a message: ${audits.map((a) => a.join(', ') ||
    'none').join('; ')}; control, an unnamed button: ${planted}`, audits.flat().length === 0 &&
    planted.some((/** @type {string} */ found) => found.startsWith('button-name'))]);
  results.push([`refused: "${words.join('", "')}"`, /takes the seconds/.test(words[0]) &&
    /later than/.test(words[1])]);
}
