'use strict';
// The page around the program: it shows the downloads' progress over the still and says in words
// what went wrong. The build writes it into index.html, followed by controls.js and program.js,
// which take these names from here:
/* exported FILES, BUILD, pinned, canvas, still, element, arrived, stallWatch, showMessage,
   hideMessage, hasWebGL, later, isShown, followShown, thrownAt, ours */
// Written in when the site is packed: each file's name, packed name and size, unpacked size,
// SHA-256 and, for an image, the stride of its byte prediction.
const FILES = /** @type {PackedFiles} */ (JSON.parse('@PLUME_FILES@'));
const BUILD = '@PLUME_BUILD@';
const STALL_MS = 8000;
/** @param {string} id an element that index.html has */
const element = (id) => /** @type {HTMLElement} */ (document.getElementById(id));
const pinned = document.documentElement.classList.contains('pinned');
const canvas = /** @type {HTMLCanvasElement} */ (element('canvas'));
const still = /** @type {HTMLImageElement} */ (element('still'));
const totalBytes = [FILES.script, FILES.wasm, ...FILES.images]
  .reduce((sum, file) => sum + file.bytes, 0);
let arrivedBytes = 0;
let lastArrival = performance.now();

// Shown in place of the canvas and the still, so that a failure never reads as a picture.
/** @param {string} text */
function showMessage(text) {
  const message = element('message');
  message.textContent = text;
  message.hidden = false;
  canvas.hidden = still.hidden = true;
  element('loading').hidden = true;
  if (!message.dataset.frameBefore) {
    message.dataset.frameBefore = document.documentElement.dataset.frame || 'none';
  }
  document.documentElement.dataset.frame = 'failed';
}

// The canvas back, after a lost context the browser gave back late.
function hideMessage() {
  const message = element('message');
  message.hidden = true;
  canvas.hidden = false;
  const before = message.dataset.frameBefore;
  delete message.dataset.frameBefore;
  if (before === 'none') {
    delete document.documentElement.dataset.frame;
  } else if (before) {
    document.documentElement.dataset.frame = before;
  }
}

/** @param {string} [text] said in place of the figures */
function showProgress(text) {
  const percent = Math.floor(100 * arrivedBytes / totalBytes);
  /** @param {number} bytes */
  const kilobytes = (bytes) => Math.round(bytes / 1000);
  element('loading').setAttribute('aria-valuenow', String(percent));
  element('arrived').style.width = percent + '%';
  element('progress').textContent = text ||
    `Loading plume: ${percent}% (${kilobytes(arrivedBytes)} of ${kilobytes(totalBytes)} KB)`;
}

/** @param {number} bytes all that has arrived so far */
function arrived(bytes) {
  arrivedBytes = bytes;
  lastArrival = performance.now();
  showProgress();
}

// A download that stops arriving is said to.
const stallWatch = setInterval(() => {
  const quiet = performance.now() - lastArrival;
  if (arrivedBytes >= totalBytes) {
    clearInterval(stallWatch);
  } else if (quiet > STALL_MS) {
    showProgress(`The download has stalled: nothing has arrived for ${Math.round(quiet / 1000)}` +
      ` s. plume goes on if the connection comes back; reloading may help.`);
  }
}, 1000);

// Asked of a canvas of its own: the program's canvas must get its first context from the
// program, with the program's own settings.
function hasWebGL() {
  try {
    const gl = document.createElement('canvas').getContext('webgl');
    if (gl) gl.getExtension('WEBGL_lose_context')?.loseContext();
    return gl !== null;
  } catch {
    return false;
  }
}

// Frozen, or left for the back/forward cache: the page is not shown, whatever it says.
let frozen = false;
const isShown = () => !document.hidden && !frozen;

// A page that is not shown draws nothing: `told` hears whether it is shown each time that may
// have changed, and the program's frames stop where it runs, to go on (its clock taking the gap
// as a pause) once the page is shown again. Some engines go on giving a Worker animation frames
// behind a hidden or frozen page.
/** @param {(shown: boolean) => void} told */
function followShown(told) {
  /** @param {boolean} now */
  const freeze = (now) => () => {
    frozen = now;
    told(isShown());
  };
  document.addEventListener('visibilitychange', () => told(isShown()));
  document.addEventListener('freeze', freeze(true));
  document.addEventListener('resume', freeze(false));
  window.addEventListener('pagehide', freeze(true));
  window.addEventListener('pageshow', freeze(false));
}

/**
 * A promise and the function that settles it, for what comes later.
 * @template [T=void]
 * @typedef {Promise<T> & { settle: (value: T) => void }} Later
 */

/**
 * @template [T=void]
 * @returns {Later<T>}
 */
function later() {
  /** @type {(value: T) => void} */
  let settle = () => {};
  /** @type {Promise<T>} */
  const promise = new Promise((resolve) => { settle = resolve; });
  return Object.assign(promise, { settle });
}

// Where an error was thrown: its stack's top frame, as V8 writes it ("    at f (address:1:2)")
// or as SpiderMonkey and JavaScriptCore do ("f@address:1:2").
/** @param {unknown} error */
function thrownAt(error) {
  const lines = (error instanceof Error && error.stack || '').split('\n');
  return lines.find((line) => /^\s+at /.test(line)) ?? lines.find((line) => line.includes('@')) ??
    '';
}

// Whether an address, or a stack's frame, is one of plume's scripts: page.js and program.js,
// inline in the page, or the module's script, named by its sourceURL. A failure of another
// script (a browser extension's, another site's) is not plume's, and leaves the page as it is.
/** @param {string} [where] */
function ours(where = '') {
  const script = FILES.script.name.replaceAll('.', '\\.');
  return where.includes(location.origin + location.pathname) ||
    new RegExp(`(^|[ (@])${script}(:|$)`).test(where);
}
