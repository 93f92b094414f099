// Debian's Chromium driven through Playwright, for the browser test and the profiler: a static
// server for a built page, the browser with the flags a headless machine needs, and pages of it.
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
const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

// Serves `directory` on a loopback port; resolves to the server and its base address.
export function serve(directory) {
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    const file = join(directory, path.endsWith('/') ? path + 'index.html' : path);
    readFile(file, (error, data) => {
      if (error || !file.startsWith(directory)) {
        response.writeHead(404).end();
        return;
      }
      const type = TYPES[extname(file)] || 'application/octet-stream';
      response.writeHead(200, { 'Content-Type': type });
      response.end(data);
    });
  });
  return new Promise((ready) => server.listen(0, '127.0.0.1', () =>
    ready({ server, base: `http://127.0.0.1:${server.address().port}/` })));
}

// Chromium with a profile of its own, which goes when the browser is closed: `close()` waits
// for Chromium to end, then removes the profile, retrying while its last children still write.
export async function openBrowser(extraFlags = []) {
  const profile = mkdtempSync(join(tmpdir(), 'plume-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium', headless: true, args: [...CHROMIUM_FLAGS, ...extraFlags],
    viewport: { width: 800, height: 600 },
  });
  const close = async () => {
    await context.close().catch(() => {});
    rmSync(profile, { recursive: true, force: true, maxRetries: 20, retryDelay: 100 });
  };
  return { context, profile, close };
}

// The page's first 640x480 CSS pixels, where the canvas sits, as PNG bytes.
export function frameShot(page) {
  return page.screenshot({ clip: { x: 0, y: 0, width: 640, height: 480 }, scale: 'css' });
}

// True once `condition` (page script) holds, false after `ms`.
export function waitFor(page, condition, ms) {
  return page.waitForFunction(condition, null, { timeout: ms, polling: 50 })
    .then(() => true, () => false);
}
