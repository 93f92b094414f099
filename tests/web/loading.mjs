// The scenarios of a first visit: what it brings, its progress on a slow link, and downloads
// that fail.
import { answer, until, waitFor } from './engines.mjs';
import { host, inProgram, visit, FIRST_FRAME, FRAMES, LIVE, TEXT } from './site.mjs';
import { createHash } from 'node:crypto';
import { readdirSync, readFileSync } from 'node:fs';
import { gunzipSync, gzipSync } from 'node:zlib';

const DATA_DIR = new URL('../../data/', import.meta.url);
// Each image's SHA-256 as the program's file system holds it.
/** @param {string[]} names */
const READ_BACK = (names) => `Promise.all(${JSON.stringify(names)}.map((name) =>
  crypto.subtle.digest('SHA-256', Module.FS.readFile(name)).then((digest) => [name,
  Array.from(new Uint8Array(digest), (byte) => byte.toString(16).padStart(2, '0')).join('')])))`;
const KEPT = 'navigator.serviceWorker.controller !== null';
const MAX_WIRE_BYTES = 600000;
const ICON_SIZES = [16, 32, 48, 64, 128, 256].map((size) => `${size}x${size}`).join(' ');

// The first visit on a 10 Mbit/s link: its bytes over the wire from a host that compresses
// nothing, the images as the program reads them, what the service worker keeps; then the
// manifest and every icon a browser may ask for, /favicon.ico among them, and no refusals.
/** @type {Scenario} */
export async function loading(engine, served, results) {
  const live = await visit(engine, served.base, `${FIRST_FRAME} !== null && ${LIVE}`);
  const first = await engine.evaluate(FIRST_FRAME);
  const kept = await waitFor(engine, KEPT);
  const bytes = served.wireBytes();
  results.push([`live, first frame at ${Math.round(first)} ms`, live]);
  const names = await engine.evaluate('FILES.images.map(({ name }) => name)');
  /** @type {Array<[string, string]>} */
  const read = live ? await inProgram(engine, READ_BACK(names)) : [];
  for (const name of readdirSync(DATA_DIR).filter((each) => each.endsWith('.tga')).sort()) {
    const want = createHash('sha256').update(readFileSync(new URL(name, DATA_DIR))).digest('hex');
    const got = read.find(([each]) => each === name)?.[1];
    results.push([`${name} as the program reads it: ${got?.slice(0, 16)}, data/ has` +
      ` ${want.slice(0, 16)}`, got === want]);
  }
  results.push([`service worker in charge after the first visit: ${kept}`, kept]);
  results.push([`${bytes} bytes over the wire, at most ${MAX_WIRE_BYTES}`,
    live && kept && bytes > 0 && bytes <= MAX_WIRE_BYTES]);
  const manifest = await (await fetch(served.base + 'manifest.webmanifest')).json();
  /** @type {string[]} */
  const icons = manifest.icons.map((/** @type {{ src: string }} */ icon) => icon.src);
  const sizes = manifest.icons.map((/** @type {{ sizes: string }} */ icon) => icon.sizes).join(' ');
  results.push([`manifest: ${manifest.name}, ${manifest.display}, background` +
    ` ${manifest.background_color}, icons ${sizes}`, manifest.name === 'plume' &&
    /^#[0-9a-f]{6}$/i.test(manifest.background_color) && sizes === ICON_SIZES]);
  const linked = await engine.evaluate("[...document.querySelectorAll('link[href]')]" +
    ".map((link) => link.getAttribute('href'))");
  for (const path of new Set(['favicon.ico', ...linked, ...icons])) {
    const response = await fetch(served.base + path);
    results.push([`${path}: ${response.status} ${response.headers.get('content-type')}`,
      response.status === 200]);
  }
  const failed = served.answers.filter(({ status }) => status >= 400);
  results.push([`answers of 400 or more: ${failed.map((a) => `${a.path} ${a.status}`)
    .join(', ') || 'none'} of ${served.answers.length}`, failed.length === 0]);
}

const PROGRESS = "(l => [l.hidden, Number(l.getAttribute('aria-valuenow'))," +
  " document.getElementById('progress').textContent])(document.getElementById('loading'))";

// On a 250 KB/s link the page says how much has arrived, rising, and no more once it runs.
/** @type {Scenario} */
export async function progress(engine, served, results) {
  /** @type {number[]} */
  const seen = [];
  let said = '';
  await engine.goto(served.base);
  await until(async () => {
    const [hidden, percent, text] = await answer(engine, PROGRESS, [true, 0, '']);
    if (!hidden && percent > 0 && percent < 100 && percent !== seen.at(-1)) seen.push(percent);
    if (!hidden && seen.length === 1) said = text;
    return answer(engine, LIVE, false);
  }, 60000);
  const [hidden] = await engine.evaluate(PROGRESS);
  results.push([`progress while loading: ${seen.join('% ')}% ("${said}")`,
    seen.length >= 3 && Math.max(...seen) >= 50 && /\d+%.*KB/.test(said) &&
      seen.every((percent, i) => i === 0 || percent > seen[i - 1])]);
  results.push([`progress gone once live: ${hidden}`, hidden === true]);
}

/** @param {(body: Buffer) => Buffer} change @returns {import('./site.mjs').Plan} */
const altered = (change) => ({ change });
const PICTURE = "[!document.getElementById('still').hidden, !document.getElementById('canvas')" +
  `.hidden, ${FIRST_FRAME} !== null]`;
/** @type {Array<[string, RegExp, RegExp, import('./site.mjs').Plan, string[]?]>} */
const FAILED = [
  ['sky_up.tga answered 404', /^\/sky_up\./, /sky_up\.tga could not be downloaded: the server answered 404/,
    { status: 404 }, ['firefox', 'webkit']],
  // The other packed files held back, so that they are still arriving when one fails.
  ['sky_up.tga answered 404 while the others arrive', /^\/sky_up\./,
    /sky_up\.tga could not be downloaded: the server answered 404/, { status: 404 }],
  ['feather.tga cut off', /^\/feather\./, /could not be downloaded: the connection failed/,
    { abort: true }],
  ['sky_back.tga sent cut short', /^\/sky_back\./, /sky_back\.tga arrived cut short: \d+ of \d+/,
    altered((body) => body.subarray(0, body.length >> 1))],
  ['sky_front.tga sent with 16 bytes changed', /^\/sky_front\./, /sky_front\.tga arrived damaged/,
    altered((body) => {
      for (let i = 0; i < 16; ++i) body[(body.length >> 1) + i] ^= 0x5a;
      return body;
    })],
  // Gzip's own check holds: only the length and hash the build wrote down can tell.
  ['plume.wasm sent as another module, gzipped whole', /^\/plume\..*\.wasm\.gzip$/,
    /plume\.wasm arrived damaged \(its checksum differs\)/, altered((body) => {
      const module = gunzipSync(body);
      module[module.length >> 1] ^= 1;
      return gzipSync(module);
    })],
];

// A file the server refuses, refuses while the others arrive, sends cut short or with bytes
// changed, one whose connection fails: each said in words, with no picture, and still so once
// every other download has ended; one never answered is said to have stalled.
/** @type {Scenario} */
export async function downloads(engine, served, results) {
  for (const [name, file, expected, plan, alsoIn] of FAILED) {
    if (engine.name !== 'chromium' && !alsoIn?.includes(engine.name)) continue;
    const held = name.includes('while');
    const failing = await host(served.directory, { plan: (path) => file.test(path) ? plan
      : held && path.endsWith('.gzip') ? { delayMs: 1500 } : null });
    await visit(engine, failing.base, TEXT, 20000);
    // Until every other download has ended or been stopped, which must not change it.
    await until(async () => failing.open() === 0, 10000);
    await engine.evaluate(FRAMES(10));
    const text = await engine.evaluate(TEXT);
    /** @type {boolean[]} */
    const shown = await engine.evaluate(PICTURE);
    results.push([`${name}: "${text}"; still, canvas, drawn: ${shown}`,
      expected.test(text) && shown.every((seen) => !seen)]);
    await failing.down();
  }
  if (engine.name !== 'chromium') return;
  const stalled = await host(served.directory, { plan: (path) => /^\/sky_up\./.test(path) ? { stall: true }
    : null });
  await engine.goto(stalled.base);
  const said = await waitFor(engine, "document.getElementById('progress').textContent" +
    ".includes('stalled')", 30000);
  const [hidden, , text] = await engine.evaluate(PROGRESS);
  results.push([`sky_up.tga never answered: "${text}"`, said && !hidden]);
  await stalled.down();
}

