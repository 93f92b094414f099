// How the live page arrives: its weight over the wire from a server that compresses nothing,
// the images the program reads, the answers it gets, its progress while loading, and words for
// a download that fails, stalls or arrives cut short or damaged.
//   node page_load_check.mjs SITE_DIR
import { serve, openBrowser, waitFor, emulateLink, programRealm, answer, FIRST_FRAME,
  WATCH_TASKS, finish } from '../../tools/browser/browser.mjs';
import { createHash } from 'node:crypto';
import { readdirSync, readFileSync } from 'node:fs';
import { fileURLToPath } from 'node:url';
import { gunzipSync, gzipSync } from 'node:zlib';

const [site] = process.argv.slice(2);
const DATA_DIR = fileURLToPath(new URL('../../data/', import.meta.url));
const MAX_WIRE_BYTES = 600000;
// Each image's SHA-256 as the program's file system holds it, where the program runs.
/** @param {string[]} names */
const READ_BACK = (names) => `Promise.all(${JSON.stringify(names)}.map((name) =>
  crypto.subtle.digest('SHA-256', Module.FS.readFile(name)).then((digest) => [name,
  Array.from(new Uint8Array(digest), (byte) => byte.toString(16).padStart(2, '0')).join('')])))`;
const DRAWN = `${FIRST_FRAME} !== null`;
const LIVE = `${DRAWN} && document.title.includes('FPS:')`;
const WORKER_READY = 'navigator.serviceWorker.controller !== null';
const MESSAGE = "document.getElementById('message').hidden ? '' :" +
  " document.getElementById('message').textContent";
const PROGRESS = "(l => [l.hidden, Number(l.getAttribute('aria-valuenow'))," +
  " document.getElementById('progress').textContent])(document.getElementById('loading'))";
const ICON_SIZES = [16, 32, 48, 64, 128, 256];

// Each check in a browser of its own, so that no cache or service worker carries over.
/** @param {(context: BrowserContext, page: Page) => Promise<void>} job */
async function inBrowser(job) {
  const browser = await openBrowser();
  try {
    const page = await browser.context.newPage();
    return await job(browser.context, page);
  } finally {
    await browser.close();
  }
}

// The first visit whole: the page, its files, and what the service worker keeps afterwards.
/** @param {Served} served @param {Results} results */
async function firstVisit(served, results) {
  await inBrowser(async (context, page) => {
    await emulateLink(context, page);
    await page.addInitScript(WATCH_TASKS);
    await page.goto(served.base);
    const live = await waitFor(page, LIVE, 30000);
    const first = await page.evaluate(FIRST_FRAME);
    /** @type {Array<{ id: string, ms: number }>} */
    const paints = await page.evaluate('plumeTasks.paints');
    const kept = await waitFor(page, WORKER_READY, 20000);
    const bytes = served.wireBytes();
    results.push([`live on a 10 Mbit/s link, first frame at ${Math.round(first)} ms`, live]);
    // Said, not judged: now and then, on a busy machine, Chromium reports no paint of the still.
    console.log(`  largest paints: ${paints.map(({ id, ms }) => `${id} at ${Math.round(ms)} ms`)
      .join(', ')}`);
    const names = await page.evaluate('FILES.images.map(({ name }) => name)');
    /** @type {Array<[string, string]>} */
    const read = live ? await (await programRealm(page)).evaluate(READ_BACK(names)) : [];
    const tga = readdirSync(DATA_DIR).filter((name) => name.endsWith('.tga')).sort();
    for (const name of tga) {
      const want = createHash('sha256').update(readFileSync(DATA_DIR + name)).digest('hex');
      const got = read.find(([read]) => read === name)?.[1];
      results.push([`${name} as the program reads it: ${got?.slice(0, 16)}, data/ has` +
        ` ${want.slice(0, 16)}`, got === want]);
    }
    results.push([`service worker in charge after the first visit: ${kept}`, kept]);
    results.push([`${bytes} bytes over the wire, at most ${MAX_WIRE_BYTES}`,
      live && kept && bytes > 0 && bytes <= MAX_WIRE_BYTES]);
  });
}

// The manifest and every icon a browser may ask for, /favicon.ico among them.
/** @param {Served} served @param {Results} results */
async function icons(served, results) {
  await inBrowser(async (context, page) => {
    await page.goto(served.base + '?time=0');
    /** @type {{ [key: string]: string } & { icons: Array<{ sizes: string, src: string }> }} */
    const manifest = await (await page.request.get(served.base + 'manifest.webmanifest')).json();
    const sizes = manifest.icons.map((icon) => icon.sizes).join(' ');
    results.push([`manifest: ${manifest.name}, ${manifest.display}, background` +
      ` ${manifest.background_color}, icons ${sizes}`,
    manifest.name === 'plume' && /^#[0-9a-f]{6}$/i.test(manifest.background_color) &&
      sizes === ICON_SIZES.map((size) => `${size}x${size}`).join(' ')]);
    const linked = await page.evaluate("[...document.querySelectorAll('link[href]')]" +
      '.map((link) => link.getAttribute(\'href\'))');
    const paths = new Set(['favicon.ico', ...linked, ...manifest.icons.map((icon) => icon.src)]);
    for (const path of paths) {
      const response = await page.request.get(served.base + path);
      const type = response.headers()['content-type'];
      results.push([`${path}: ${response.status()} ${type}`, response.status() === 200]);
    }
  });
  const failed = served.answers.filter(({ status }) => status >= 400);
  results.push([`answers of 400 or more: ${failed.map((a) => `${a.path} ${a.status}`)
    .join(', ') || 'none'} of ${served.answers.length}`,
  served.answers.length > 0 && failed.length === 0]);
}

// On a slow link the page says how much has arrived, rising, and clears the figure once it runs.
/** @param {Served} served @param {Results} results */
async function progress(served, results) {
  await inBrowser(async (context, page) => {
    await emulateLink(context, page, 2);
    /** @type {number[]} */
    const seen = [];
    let said = '';
    // Committed, the page is not yet its document: until it is, it answers nothing.
    await page.goto(served.base, { waitUntil: 'commit' });
    while (!(await answer(page, DRAWN, false)) && seen.length < 400) {
      const [hidden, percent, text] = await answer(page, PROGRESS, [true, 0, '']);
      if (!hidden && percent > 0 && percent < 100 && percent !== seen.at(-1)) seen.push(percent);
      if (!hidden && seen.length === 1) said = text;
      await page.waitForTimeout(50);
    }
    await page.evaluate('new Promise(done => requestAnimationFrame(done))');
    const [hidden] = await page.evaluate(PROGRESS);
    results.push([`progress while loading: ${seen.join('% ')}% ("${said}")`,
      seen.length >= 3 && Math.max(...seen) >= 50 && /\d+%.*KB/.test(said) &&
        seen.every((percent, i) => i === 0 || percent > seen[i - 1])]);
    results.push([`progress gone once drawn: ${hidden}`, hidden === true]);
  });
}

// The packed file as served, changed by `change` (its bytes, in place).
/** @param {(body: Buffer) => Buffer} change @returns {(route: Route) => Promise<void>} */
const altered = (change) => async (route) => {
  const response = await route.fetch();
  const body = await response.body();
  route.fulfill({ response, body: change(body) });
};
// The other packed files held back a while, so that they are still arriving when one fails;
// by then the page may have stopped them itself, and the answer has nowhere to go.
/** @param {Route} route */
const heldBack = (route) => setTimeout(() => route.continue().catch(() => {}), 1500);
const PICTURE = "[!document.getElementById('still').hidden, !document.getElementById('canvas')" +
  `.hidden, ${FIRST_FRAME} !== null]`;

// A file the server refuses, refuses while the others are arriving, sends cut short or with
// bytes changed, one whose connection fails; each said in words, with no picture shown.
/** @param {Served} served @param {Results} results */
async function failures(served, results) {
  /** @typedef {(route: Route) => unknown} Answer */
  /** @type {Array<[string, string, Answer, RegExp, Answer?]>} */
  const cases = [
    ['sky_up.tga answered 404', 'sky_up.*.gzip',
      (route) => route.fulfill({ status: 404, body: '' }),
      /sky_up\.tga could not be downloaded: the server answered 404/],
    ['sky_up.tga answered 404 while the others arrive', 'sky_up.*.gzip',
      (route) => route.fulfill({ status: 404, body: '' }),
      /sky_up\.tga could not be downloaded: the server answered 404/, heldBack],
    ['feather.tga cut off', 'feather.*.gzip', (route) => route.abort('connectionfailed'),
      /could not be downloaded: the connection failed/],
    ['sky_back.tga sent cut short', 'sky_back.*.gzip',
      altered((body) => body.subarray(0, body.length >> 1)),
      /sky_back\.tga arrived cut short: \d+ of \d+ bytes/],
    ['sky_front.tga sent with 16 bytes changed', 'sky_front.*.gzip', altered((body) => {
      for (let i = 0; i < 16; ++i) body[(body.length >> 1) + i] ^= 0x5a;
      return body;
    }), /sky_front\.tga arrived damaged/],
    // Gzip's own check holds: only the length and hash the build wrote down can tell.
    ['plume.wasm sent as another module, gzipped whole', 'plume.*.wasm.gzip', altered((body) => {
      const module = gunzipSync(body);
      module[module.length >> 1] ^= 1;
      return gzipSync(module);
    }), /plume\.wasm arrived damaged \(its checksum differs\)/],
  ];
  for (const [name, file, answer, expected, others] of cases) {
    await inBrowser(async (context, page) => {
      if (others) await page.route('**/*.gzip', others);
      await page.route(`**/${file}`, answer);
      await page.goto(served.base);
      await waitFor(page, MESSAGE, 10000);
      // Long enough for the other downloads to end or be stopped, which must not change it.
      await page.waitForTimeout(others ? 2500 : 500);
      const text = await page.evaluate(MESSAGE);
      /** @type {boolean[]} */
      const shown = await page.evaluate(PICTURE);
      results.push([`${name}: "${text}"; still, canvas, drawn: ${shown}`,
        expected.test(text) && shown.every((seen) => !seen)]);
    });
  }
  await inBrowser(async (context, page) => {
    await page.route('**/sky_up.*', () => {});
    await page.goto(served.base);
    const said = await waitFor(page, "document.getElementById('progress').textContent" +
      ".includes('stalled')", 20000);
    const [hidden, , text] = await page.evaluate(PROGRESS);
    results.push([`sky_up.tga never answered: "${text}"`, said && !hidden]);
  });
}

const served = await serve(site);
/** @type {Results} */
const results = [];
try {
  await firstVisit(served, results);
  await icons(served, results);
  await progress(served, results);
  await failures(served, results);
} finally {
  served.server.close();
}
finish(results, 'web: loading');
