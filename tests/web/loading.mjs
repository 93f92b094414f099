// A first visit: its progress on a slow link, what it brings, and downloads that fail.
import { answer, until, waitFor } from './engines.mjs';
import { host, visit, FIRST_FRAME, FRAMES, LIVE, TEXT } from './site.mjs';
import { gunzipSync, gzipSync } from 'node:zlib';

const [MAX_WIRE_BYTES, ICON_SIZES] = [600000, '16x16 32x32 48x48 64x64 128x128 256x256'];
const PROGRESS = "(l => [l.hidden, Number(l.getAttribute('aria-valuenow'))," +
  " document.getElementById('progress').textContent])(document.getElementById('loading'))";

// On a 250 KB/s link, compressing nothing: the page says how much has arrived, rising, and no
// more once it runs. What the host saw (one engine says it): its bytes, the service worker in
// charge; the manifest and every icon a browser may ask for (/favicon.ico too); no refusals.
/** @type {Scenario} */
export async function loading(engine, served, results) {
  /** @type {number[]} */
  const seen = [];
  let said = '';
  await engine.goto(served.base);
  const live = await until(async () => {
    const [hidden, percent, text] = await answer(engine, PROGRESS, [true, 0, '']);
    if (!hidden && percent > 0 && percent < 100 && percent !== seen.at(-1)) seen.push(percent);
    if (!hidden && seen.length === 1) said = text;
    return answer(engine, LIVE, false);
  });
  const [hidden] = await engine.evaluate(PROGRESS);
  results.push([`progress while loading: ${seen.join('% ')}% ("${said}"), gone once live` +
    ` (${live}): ${hidden}`, live && hidden === true && seen.length >= 3 &&
    Math.max(...seen) >= 50 && /\d+%.*KB/.test(said) && seen.every((p, i) => !i || p > seen[i - 1])]);
  if (!engine.page) return;
  const kept = await waitFor(engine, 'navigator.serviceWorker.controller !== null');
  const bytes = served.wireBytes();
  results.push([`service worker in charge ${kept}, ${bytes} bytes over the wire (at most` +
    ` ${MAX_WIRE_BYTES})`, kept && bytes > 0 && bytes <= MAX_WIRE_BYTES]);
  const manifest = await (await fetch(served.base + 'manifest.webmanifest')).json();
  /** @type {Array<{ src: string, sizes: string }>} */
  const icons = manifest.icons;
  const sizes = icons.map((icon) => icon.sizes).join(' ');
  results.push([`manifest: ${manifest.name}, background ${manifest.background_color}, icons` +
    ` ${sizes}`, manifest.name === 'plume' && /^#[0-9a-f]{6}$/i.test(manifest.background_color) &&
    sizes === ICON_SIZES]);
  /** @type {string[]} */
  const linked = await engine.evaluate("[...document.querySelectorAll('link[href]')]" +
    ".map((link) => link.getAttribute('href'))");
  for (const path of new Set(['favicon.ico', ...linked, ...icons.map((icon) => icon.src)])) {
    const response = await fetch(served.base + path);
    results.push([`${path}: ${response.status} ${response.headers.get('content-type')}`,
      response.status === 200]);
  }
  const failed = served.answers.filter((a) => a.status >= 400).map((a) => `${a.path} ${a.status}`);
  results.push([`answers of 400 or more: ${failed.join(', ') || 'none'}`, failed.length === 0]);
}

// The file, what the page says, what the host does; whether Firefox and WebKit run it too.
/** @type {Array<[RegExp, RegExp, import('./site.mjs').Plan, boolean?]>} */
const FAILED = [
  // The other packed files held back, so that they are still arriving when this one fails.
  [/^\/sky_up\./, /sky_up\.tga could not be downloaded: the server answered 404/,
    { status: 404 }, true],
  [/^\/feather\./, /could not be downloaded: the connection failed/, { abort: true }],
  [/^\/sky_back\./, /sky_back\.tga arrived cut short: \d+ of \d+/,
    { change: (body) => body.subarray(0, body.length >> 1) }],
  [/^\/sky_front\./, /sky_front\.tga arrived damaged/, { change: (body) => {
    for (let i = 0; i < 16; ++i) body[(body.length >> 1) + i] ^= 0x5a;
    return body;
  } }],
  // Gzip's own check holds: only the length and hash the build wrote down can tell.
  [/^\/plume\..*\.wasm\.gzip$/, /plume\.wasm arrived damaged \(its checksum differs\)/,
    { change: (body) => {
      const module = gunzipSync(body);
      module[module.length >> 1] ^= 1;
      return gzipSync(module);
    } }],
  // Never answered: the loading bar stays, saying so.
  [/^\/sky_up\./, /^false,.*has stalled/, { stall: true }],
];
const PICTURE = "[!document.getElementById('still').hidden, !document.getElementById('canvas')" +
  `.hidden, ${FIRST_FRAME} !== null]`;

// Each said in words with no picture, and still so once every other download has ended.
/** @type {Scenario} */
export async function downloads(engine, served, results) {
  for (const [file, expected, plan, everywhere] of FAILED) {
    if (engine.name !== 'chromium' && !everywhere) continue;
    const failing = await host(served.directory, { plan: (path) => file.test(path) ? plan
      : plan?.status && path.endsWith('.gzip') ? { delayMs: 1500 } : null });
    const said = await visit(engine, failing.base, `${TEXT} ||` +
      " document.getElementById('progress').textContent.includes('stalled')", 30000);
    await until(async () => failing.open() === 0 || !!plan?.stall, 10000);
    await engine.evaluate(FRAMES(10));
    const text = await engine.evaluate(TEXT) || String(await engine.evaluate(PROGRESS));
    /** @type {boolean[]} */
    const shown = await engine.evaluate(PICTURE);
    results.push([`${file} ${JSON.stringify(plan)}: "${text}"; still, canvas, drawn: ${shown}`,
      said && expected.test(text) && (plan?.stall || shown.every((seen) => !seen))]);
    await failing.down();
  }
}
