// Debian's Chromium driven through Playwright, for the page's benches: a static server for a
// built page (which the browser checks serve too), the browser with the flags a headless machine
// needs (the checks' Chromium has them too), pages of it, and what they evaluate there. Playwright is pinned in this folder's package.json, which
// scripts/common.sh's ensure_npm_clients installs.
import { chromium } from 'playwright-core';
import { createServer } from 'node:http';
import { mkdtempSync, readFile, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';

// Headless as root, with no GPU, network or updates of its own; SwiftShader draws WebGL.
export const CHROMIUM_FLAGS = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
  '--enable-unsafe-swiftshader',
];
/** @type {Record<string, string>} */
const TYPES = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.png': 'image/png', '.ico': 'image/x-icon', '.webmanifest': 'application/manifest+json',
};

// Serves `directory` on a loopback port as a static host does, compressing nothing; resolves
// to the server, its base address, the answers given ({ path, status }) and `wireBytes()`,
// all that its connections have sent, headers included.
/** @param {string} directory */
export async function serve(directory) {
  /** @type {Array<{ path: string, status: number }>} */
  const answers = [];
  /** @type {Set<import('node:net').Socket>} */
  const sockets = new Set();
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url ?? '/', 'http://x').pathname));
    const file = join(directory, path.endsWith('/') ? path + 'index.html' : path);
    readFile(file, (error, data) => {
      const found = !error && file.startsWith(directory);
      answers.push({ path, status: found ? 200 : 404 });
      if (!found) {
        response.writeHead(404).end();
        return;
      }
      const type = TYPES[extname(file)] || 'application/octet-stream';
      response.writeHead(200, { 'Content-Type': type });
      response.end(data);
    });
  });
  server.on('connection', (socket) => sockets.add(socket));
  const wireBytes = () => [...sockets].reduce((sum, socket) => sum + socket.bytesWritten, 0);
  await new Promise((ready) => server.listen(0, '127.0.0.1', () => ready(null)));
  const { port } = /** @type {import('node:net').AddressInfo} */ (server.address());
  return { server, answers, wireBytes, base: `http://127.0.0.1:${port}/` };
}

// The emulated link of the load checks and the bench: 10 Mbit/s each way, 40 ms round trips,
// no cache; `megabits` slower for a longer look at the loading page, `latency` (ms) longer and
// `cpuSlowdown` for Lighthouse's phone.
/** @param {BrowserContext} context @param {Page} page */
export async function emulateLink(context, page, megabits = 10, latency = 40, cpuSlowdown = 1) {
  const cdp = await context.newCDPSession(page);
  await cdp.send('Network.enable');
  await cdp.send('Network.setCacheDisabled', { cacheDisabled: true });
  const bytesPerSecond = megabits * 1e6 / 8;
  await cdp.send('Network.emulateNetworkConditions', {
    offline: false, latency, downloadThroughput: bytesPerSecond,
    uploadThroughput: bytesPerSecond,
  });
  if (cpuSlowdown !== 1) await cdp.send('Emulation.setCPUThrottlingRate', { rate: cpuSlowdown });
  return cdp;
}

// Runs before the page's own scripts: the program runs on the page, as in a browser whose
// Worker cannot draw, so that what watches the page's WebGL sees the program's.
export const ON_THE_PAGE = () => {
  Reflect.deleteProperty(HTMLCanvasElement.prototype, 'transferControlToOffscreen');
};

// When the page showed the program's first live frame (ms since navigation), or null.
export const FIRST_FRAME =
  "(performance.getEntriesByName('plume-first-frame')[0]?.startTime ?? null)";

// Where the program runs: the page's Worker where it draws there, else the page. Either answers
// `evaluate`, and has the module as `Module`, its context as `Module.ctx`.
/** @param {Page} page @returns {Promise<Realm>} */
export async function programRealm(page) {
  const inWorker = await page.evaluate("document.getElementById('canvas').dataset.drawnIn") ===
    'worker';
  return inWorker ? page.workers()[0] : page;
}

// Runs before the page's own scripts: the main thread's tasks over 50 ms ({ start, ms }) and
// the largest paints ({ id, ms }) since navigation.
export const WATCH_TASKS = () => {
  /** @type {{ long: { start: number, ms: number }[], paints: { id: string, ms: number }[] }} */
  const tasks = { long: [], paints: [] };
  Object.assign(window, { plumeTasks: tasks });
  new PerformanceObserver((list) => {
    for (const entry of list.getEntries()) {
      tasks.long.push({ start: entry.startTime, ms: entry.duration });
    }
  }).observe({ type: 'longtask', buffered: true });
  new PerformanceObserver((list) => {
    for (const entry of /** @type {LargestContentfulPaint[]} */ (list.getEntries())) {
      tasks.paints.push({ id: entry.element?.id || entry.element?.tagName || '?',
        ms: entry.startTime });
    }
  }).observe({ type: 'largest-contentful-paint', buffered: true });
};

// Chromium with a profile of its own, which goes when the browser is closed: `close()` waits
// for Chromium to end, then removes the profile, retrying while its last children still write.
/** @param {string[]} [extraFlags] */
export async function openBrowser(extraFlags = []) {
  const profile = mkdtempSync(join(tmpdir(), 'plume-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium', headless: true, args: [...CHROMIUM_FLAGS, ...extraFlags],
    viewport: { width: 800, height: 600 },
  });
  // A browser that has already gone (a crash, a check that closed it) has nothing to close.
  const close = async () => {
    await context.close().catch(() => {});
    rmSync(profile, { recursive: true, force: true, maxRetries: 20, retryDelay: 100 });
  };
  return { context, profile, close };
}
