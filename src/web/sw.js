'use strict';
// Keeps one build of the page whole, so that it opens and runs with the network off. The build
// id and the file list are written in when the site is packed; a new build makes a new worker.
const BUILD = '@PLUME_BUILD@';
const FILES = /** @type {string[]} */ (JSON.parse('@PLUME_FILES@'));
const CACHE = `plume-${BUILD}`;
// This script's global scope, a service worker's (the checker's library knows a Worker's).
const worker = /** @type {ServiceWorkerGlobalScope} */ (/** @type {unknown} */ (self));

// The page has put in what it downloaded; the rest comes from older builds' caches or now. An
// index.html of another build (the host changed while this worker installed) is not kept: that
// would mix two builds.
worker.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    for (const file of FILES) {
      const url = new URL(file, worker.registration.scope).href;
      if (await cache.match(url)) continue;
      // A packed file's name fixes its bytes, whichever build's cache holds it.
      const earlier = file !== './' && await caches.match(url);
      if (earlier) {
        await cache.put(url, earlier);
        continue;
      }
      const response = await fetch(url, { cache: 'no-cache' });
      if (!response.ok) throw new Error(`${file}: HTTP ${response.status}`);
      if (file === './' && !(await response.clone().text()).includes(BUILD)) {
        throw new Error('the host holds another build now');
      }
      await cache.put(url, response);
    }
    await worker.skipWaiting();
  })());
});

// Older builds go once this one is complete.
worker.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith('plume-') && name !== CACHE) await caches.delete(name);
    }
    await worker.clients.claim();
  })());
});

// The page from the network when it answers, so that a new build shows at once, else this
// build's; every other file from this build's cache first, as its name fixes its bytes, and
// what the cache lacks (the icons, the manifest) kept as it comes.
worker.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || !request.url.startsWith(worker.registration.scope)) return;
  if (request.mode === 'navigate') {
    event.respondWith(fetch(request).catch(async () =>
      await (await caches.open(CACHE)).match(worker.registration.scope) || Response.error()));
    return;
  }
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    const kept = await cache.match(request);
    if (kept) return kept;
    const response = await fetch(request);
    if (response.ok) await cache.put(request, response.clone());
    return response;
  })());
});
