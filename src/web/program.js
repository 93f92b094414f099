'use strict';
// Where the program runs: the page starts the downloads' Worker and, where that Worker can draw,
// gives it the canvas, so that the program runs there; elsewhere it runs the program itself
// with what the Worker made. Either way it answers what the program asks of the page and fits
// the canvas to the window. The build writes it into index.html after page.js, whose are these:
/* global FILES, BUILD, pinned, canvas, still, element, arrived, stallWatch, showMessage,
   hideMessage, hasWebGL, later, isShown, followShown, thrownAt, ours, playState, offerControls,
   heldAt */
const CACHE = `plume-${BUILD}`;
// Software WebGL slows with pixels: past 1920x1080's worth the drawing buffer is scaled down,
// its aspect kept. That also keeps it within iOS's canvas limit at any pixel ratio.
const MAX_BUFFER_PIXELS = 1920 * 1080;
/** @type {Worker | null} */
let unpacker = null;
let following = false;
let drawsInWorker = false;
// The drawing buffer's size as last asked for; on the page the canvas's own, in a Worker the
// OffscreenCanvas's, which the canvas element does not show.
let shownBuffer = [canvas.width, canvas.height];
const nextFrame = () => new Promise((done) => requestAnimationFrame(done));

/**
 * @param {ToWorker} message
 * @param {Transferable[]} [transfer]
 */
const tell = (message, transfer = []) => unpacker?.postMessage(message, transfer);

// Whether plume has stopped: a failure was said and the Worker ended. The program's own messages
// do not count, as the one for a lost context is taken back when the browser gives it back.
let stopped = false;

// Said over whatever stands, the program's messages included; the first alone, as what stopping
// the other downloads throws says nothing.
/** @param {string} text */
function halt(text) {
  if (stopped) return;
  stopped = true;
  clearInterval(stallWatch);
  unpacker?.terminate();
  showMessage(text);
}

/** @param {string} text */
const failed = (text) => halt(`${text} Reload the page to try again.`);

// An error of plume's own that nothing caught stops the program, and the page says so, rather
// than leave the still or the last frame up as if all were well. Where it was thrown is the
// error's stack to say: Firefox gives a script put into the page (as by a browser's driver)
// the page's own address.
function watchFailures() {
  addEventListener('error', (event) => {
    if (ours(thrownAt(event.error) || event.filename)) {
      failed(`plume stopped with an error (${event.message}).`);
    }
  });
  addEventListener('unhandledrejection', (event) => {
    const reason = event.reason;
    if (ours(thrownAt(reason))) {
      failed(`plume stopped with an error (${reason instanceof Error ? reason.message : reason}).`);
    }
  });
}

// All that runs in the Worker is plume's: an error it did not catch fails the page, as does a
// message of its that cannot be read here. (Listeners: Chromium 156 passes a Worker's
// messageerror to them, not to its onmessageerror.)
/** @param {Worker} worker */
function watchWorker(worker) {
  worker.addEventListener('error', (event) => {
    failed(`plume stopped with an error (${event.message || 'its Worker did not start'}).`);
  });
  worker.addEventListener('messageerror',
    () => failed('plume stopped: the page could not read its Worker.'));
}

// The drawing buffer for the canvas as shown: its CSS size times devicePixelRatio, capped.
function bufferSize() {
  const box = canvas.getBoundingClientRect();
  const ratio = window.devicePixelRatio || 1;
  const scale = Math.min(ratio,
    Math.sqrt(MAX_BUFFER_PIXELS / Math.max(1, box.width * box.height)));
  return [Math.max(1, Math.round(box.width * scale)), Math.max(1, Math.round(box.height * scale))];
}

function fitCanvas() {
  if (!following || canvas.hidden) return;
  const [width, height] = bufferSize();
  if (width === shownBuffer[0] && height === shownBuffer[1]) return;
  shownBuffer = [width, height];
  if (drawsInWorker) {
    tell({ kind: 'resize', width, height });
  } else {
    Module._plumeResize(width, height);
    page.resized(width, height);
  }
}

function watchPixelRatio() {
  matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener('change', () => {
    fitCanvas();
    watchPixelRatio();
  }, { once: true });
}

const firstFrameShown = later();
// What the program asks of the page, wherever it runs.
/** @type {Page} */
const page = {
  query: location.search,
  get paused() { return !playState.playing; },
  held: heldAt,
  caption(text) {
    document.title = text;
    element('caption').textContent = text;
  },
  // Neither over a failure that stopped plume, nor taking it back.
  showMessage(text) {
    if (!stopped) showMessage(text);
  },
  hideMessage() {
    if (!stopped) hideMessage();
  },
  // Not over a failure: a frame drawn after it is no frame to take.
  frameReady() {
    if (document.documentElement.dataset.frame === 'failed') return;
    document.documentElement.dataset.frame = 'ready';
  },
  // From now on the canvas follows the window, through the program's own reshape. The still
  // goes once the first live frame is shown, and not before it has been drawn itself (on a busy
  // machine it can come after that frame), so that it is the page's largest paint either way.
  followWindow() {
    following = true;
    fitCanvas();
    const decoded = still.decode().catch(() => {});
    if (!drawsInWorker) nextFrame().then(nextFrame).then(firstFrameShown.settle);
    firstFrameShown.then(() => performance.mark('plume-first-frame'));
    firstFrameShown.then(() => decoded).then(nextFrame).then(() => { still.hidden = true; });
  },
  frameShown: firstFrameShown.settle,
  resized(width, height) {
    canvas.dataset.buffer = `${width}x${height}`;
  },
};

// Emscripten's script takes the module's object from the global Module and fills it in.
// eslint-disable-next-line no-var
var Module = /** @type {PlumeModule<HTMLCanvasElement>} */ ({
  canvas,
  page,
  onAbort() {
    showMessage('plume stopped with an error; the browser console says more.');
  },
});

/**
 * What the Worker made for the program on the page, as it comes.
 * @typedef {{ module: Later<WebAssembly.Module>, images: Later<Array<[string, Uint8Array]>>,
 *   kept: Later }} Made
 */

// The Worker's answers, as they come.
function unpack() {
  const source = new Blob([element('unpack').textContent || ''], { type: 'text/javascript' });
  const worker = unpacker = new Worker(URL.createObjectURL(source));
  /** @type {Made} */
  const made = { module: later(), images: later(), kept: later() };
  /** @type {Array<[string, Uint8Array]>} */
  const images = [];
  watchWorker(worker);
  /** @param {MessageEvent<FromWorker>} event */
  worker.onmessage = (event) => {
    const data = event.data;
    switch (data.kind) {
    case 'arrived': arrived(data.bytes); break;
    case 'failed': failed(data.text); break;
    case 'draws':
      if (data.draws) drawInWorker();
      else drawOnPage(made);
      break;
    case 'call': callPage(data); break;
    case 'started': started(made); break;
    case 'script': {
      // Run inline (a blob: address would cost another load), named as its file for the
      // browser's profiles and errors, and strict (Emscripten 3.1.6's optimizer drops the
      // directive -sSTRICT_JS writes); on the same line, so that the lines keep their numbers.
      const script = document.createElement('script');
      script.textContent = `'use strict';${data.text}\n//# sourceURL=${FILES.script.name}`;
      document.body.appendChild(script);
      Module.showFrames?.(isShown());
      break;
    }
    case 'module': made.module.settle(data.module); break;
    case 'image':
      images.push([data.name, new Uint8Array(data.buffer)]);
      if (images.length === FILES.images.length) made.images.settle(images);
      break;
    case 'kept': made.kept.settle(); break;
    default: {
      // A kind left unhandled above fails the type check here; at run time, a message that is
      // not plume's (a browser driver's) is none of the page's business.
      // eslint-disable-next-line no-unused-vars -- for the checker alone
      /** @type {never} */ const unhandled = data;
    }
    }
  };
  // A Worker started from a blob: address resolves addresses against that, not the page.
  /** @param {PackedFile} file */
  const absolute = (file) => ({ ...file, url: new URL(file.url, location.href).href });
  tell({
    kind: 'start',
    files: { script: absolute(FILES.script), wasm: absolute(FILES.wasm),
             images: FILES.images.map(absolute) },
    keep: !pinned && window.caches ? CACHE : null,
    offer: 'transferControlToOffscreen' in HTMLCanvasElement.prototype,
  });
}

// A call of the program's in the Worker, made here.
/** @template {PageCallName} Name @param {{ call: Name, args: PageArguments[Name] }} message */
function callPage({ call, args }) {
  /** @type {PageCalls} */ (page)[call](...args);
}

// The program runs in the Worker, which draws on the canvas through its OffscreenCanvas: the
// page's main thread only shows the frames.
function drawInWorker() {
  drawsInWorker = true;
  canvas.dataset.drawnIn = 'worker';
  const offscreen = canvas.transferControlToOffscreen();
  tell({ kind: 'canvas', canvas: offscreen, query: location.search }, [offscreen]);
}

// The program runs here, with the module, its script and the images the Worker made.
/** @param {Made} made */
function drawOnPage(made) {
  canvas.dataset.drawnIn = 'page';
  // A task of its own: making a context takes a while.
  /** @type {Promise<boolean>} */
  const webgl = new Promise((settle) => setTimeout(() => settle(hasWebGL())));
  webgl.then((has) => {
    if (has) return;
    halt('plume draws with WebGL, and this browser has it turned off or lacks it. ' +
         'Turn on hardware acceleration or WebGL, or try another browser.');
  });
  Module.instantiateWasm = (imports, receive) => {
    Promise.all([made.module, webgl]).then(([module, has]) => {
      if (has) return WebAssembly.instantiate(module, imports).then((instance) => receive(instance, module));
    }).catch((error) => failed(`plume could not start its module (${error.message}).`));
    return {};
  };
  // The images at the root of the module's file system before main() runs; the file system
  // keeps the Worker's buffers themselves, not copies of them.
  Module.preRun = [() => {
    Module.addRunDependency('images');
    made.images.then((files) => {
      for (const [name, bytes] of files) Module.FS.writeFile(name, bytes, { canOwn: true });
      Module.removeRunDependency('images');
    });
  }];
  Module.onRuntimeInitialized = () => started(made);
}

/** @param {Made} made */
function started(made) {
  clearInterval(stallWatch);
  element('loading').hidden = true;
  // Named by build, so that a visit to a new build installs its worker at once; it comes when
  // this build's cache holds the packed files, so that it does not download them again.
  const worker = `sw.js?build=${BUILD}`;
  if (!pinned && navigator.serviceWorker &&
      !navigator.serviceWorker.controller?.scriptURL.endsWith(worker)) {
    made.kept.then(() => navigator.serviceWorker.register(worker)).catch(() => {});
  }
}

function start() {
  watchFailures();
  unpack();
  // Told to the Worker whether or not the program runs there; on the page, once its script has.
  followShown((shown) => { tell({ kind: 'shown', shown }); Module.showFrames?.(shown); });
  new ResizeObserver(fitCanvas).observe(canvas);
  // iOS moves its address bar before it says the window resized: the visual viewport says first.
  window.visualViewport?.addEventListener('resize', fitCanvas);
  watchPixelRatio();
  // Told to the Worker, which keeps it for the program there, and to the program here, if it runs.
  offerControls((playing) => { tell({ kind: 'play', playing }); Module._plumePlay?.(+playing); });
}

// Browsers refuse to fetch the packed files from a file: address.
if (location.protocol === 'file:') {
  showMessage('plume loads its files over HTTP: serve this folder with a web server ' +
              '(scripts/web does) and open its address.');
} else if (!window.DecompressionStream || !window.Worker) {
  showMessage('plume unpacks its files with DecompressionStream in a Worker, which this ' +
              'browser lacks: try a newer browser.');
} else {
  arrived(0);
  start();
}
