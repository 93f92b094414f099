// The page around the program: it starts the downloads' Worker, shows their progress over the
// still, hands the module, its script and the images to the program, fits the canvas to the
// window, and says in words what went wrong. The build writes it into index.html.
// Written in when the site is packed: each file's name, packed name and size, unpacked size,
// SHA-256 and, for an image, the stride of its byte prediction.
const FILES = @PLUME_FILES@;
const BUILD = '@PLUME_BUILD@';
const CACHE = `plume-${BUILD}`;
const STALL_MS = 8000;
// Software WebGL slows with pixels: past 1920x1080's worth the drawing buffer is scaled down,
// its aspect kept. That also keeps it within iOS's canvas limit at any pixel ratio.
const MAX_BUFFER_PIXELS = 1920 * 1080;
const pinned = document.documentElement.classList.contains('pinned');
const canvas = document.getElementById('canvas');
const still = document.getElementById('still');
const totalBytes = [FILES.script, FILES.wasm, ...FILES.images]
  .reduce((sum, file) => sum + file.bytes, 0);
let arrivedBytes = 0;
let lastArrival = performance.now();
let following = false;
let unpacker = null;

// Shown in place of the canvas and the still, so that a failure never reads as a picture.
function showMessage(text) {
  const message = document.getElementById('message');
  message.textContent = text;
  message.hidden = false;
  canvas.hidden = still.hidden = true;
  document.getElementById('loading').hidden = true;
  if (!message.dataset.frameBefore) {
    message.dataset.frameBefore = document.documentElement.dataset.frame || 'none';
  }
  document.documentElement.dataset.frame = 'failed';
}

// The canvas back, after a lost context the browser gave back late.
function hideMessage() {
  const message = document.getElementById('message');
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

function showProgress(text) {
  const percent = Math.floor(100 * arrivedBytes / totalBytes);
  const kilobytes = (bytes) => Math.round(bytes / 1000);
  document.getElementById('loading').setAttribute('aria-valuenow', percent);
  document.getElementById('arrived').style.width = percent + '%';
  document.getElementById('progress').textContent = text ||
    `Loading plume: ${percent}% (${kilobytes(arrivedBytes)} of ${kilobytes(totalBytes)} KB)`;
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

// The first failure alone is said: what stopping the other downloads throws says nothing.
function failed(text) {
  if (document.documentElement.dataset.frame === 'failed') return;
  clearInterval(stallWatch);
  unpacker?.terminate();
  showMessage(`${text} Reload the page to try again.`);
}

// Asked of a canvas of its own: the program's canvas must get its first context from the
// program, with the program's own settings. (A Worker's OffscreenCanvas can have WebGL where
// the page has none.)
function hasWebGL() {
  try {
    const gl = document.createElement('canvas').getContext('webgl');
    if (gl) gl.getExtension('WEBGL_lose_context')?.loseContext();
    return gl !== null;
  } catch (error) {
    return false;
  }
}

// The drawing buffer for the canvas as shown: its CSS size times devicePixelRatio, capped.
function bufferSize() {
  const box = canvas.getBoundingClientRect();
  const ratio = window.devicePixelRatio || 1;
  const scale = Math.min(ratio,
    Math.sqrt(MAX_BUFFER_PIXELS / Math.max(1, box.width * box.height)));
  return [Math.max(1, Math.round(box.width * scale)), Math.max(1, Math.round(box.height * scale))];
}

// Called by the program once its scene is up: from then on the canvas follows the window,
// through the program's own reshape. The still goes once the first live frame is shown, and
// not before it has been drawn itself (on a busy machine it can come after that frame), so
// that it is the page's largest paint whichever comes first.
function followWindow() {
  following = true;
  fitCanvas();
  const decoded = still.decode().catch(() => {});
  const nextFrame = () => new Promise((done) => requestAnimationFrame(done));
  nextFrame().then(nextFrame).then(() => decoded).then(nextFrame)
    .then(() => { still.hidden = true; });
}

function fitCanvas() {
  if (!following || canvas.hidden) return;
  const [width, height] = bufferSize();
  if (width !== canvas.width || height !== canvas.height) Module._plumeResize(width, height);
}

function watchPixelRatio() {
  matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener('change', () => {
    fitCanvas();
    watchPixelRatio();
  }, { once: true });
}

// Where the Fullscreen API is missing (an iPhone's browsers), the control stays hidden.
function offerFullscreen() {
  const button = document.getElementById('fullscreen');
  const page = document.documentElement;
  if (pinned || !document.fullscreenEnabled || !page.requestFullscreen) return;
  button.hidden = false;
  button.addEventListener('click', () => {
    if (document.fullscreenElement) document.exitFullscreen();
    else page.requestFullscreen().catch(() => {});
  });
  document.addEventListener('fullscreenchange', () => {
    button.textContent = document.fullscreenElement ? 'Leave full screen' : 'Full screen';
  });
}

var Module = {
  canvas,
  onAbort() {
    showMessage('plume stopped with an error; the browser console says more.');
  },
};

function later() {
  let settle;
  const promise = new Promise((resolve) => { settle = resolve; });
  return Object.assign(promise, { settle });
}

// The Worker's answers, as the program asks for them.
function unpack() {
  const source = new Blob([document.getElementById('unpack').textContent],
    { type: 'text/javascript' });
  unpacker = new Worker(URL.createObjectURL(source));
  const made = { webgl: later(), module: later(), images: later(), kept: later() }, images = [];
  unpacker.onmessage = ({ data }) => {
    if ('arrived' in data) {
      arrivedBytes = data.arrived;
      lastArrival = performance.now();
      showProgress();
    } else if ('failed' in data) {
      failed(data.failed);
    } else if ('script' in data) {
      // Run inline (a blob: address would cost another load), named as its file for the
      // browser's profiles and errors.
      const element = document.createElement('script');
      element.textContent = `${data.script}\n//# sourceURL=${FILES.script.name}`;
      document.body.appendChild(element);
    } else if ('module' in data) {
      made.module.settle(data.module);
    } else if ('image' in data) {
      images.push([data.image, new Uint8Array(data.buffer)]);
      if (images.length === FILES.images.length) made.images.settle(images);
    } else if ('kept' in data) {
      made.kept.settle();
    }
  };
  // A Worker started from a blob: address resolves addresses against that, not the page.
  const absolute = (file) => ({ ...file, url: new URL(file.url, location.href).href });
  unpacker.postMessage({
    files: { script: absolute(FILES.script), wasm: absolute(FILES.wasm),
             images: FILES.images.map(absolute) },
    keep: !pinned && window.caches ? CACHE : null,
  });
  return made;
}

function start() {
  // Every download starts at once, before the probe for WebGL, which can take a while.
  const made = unpack();
  // A task of its own: making a context takes a while.
  setTimeout(() => made.webgl.settle(hasWebGL()));
  made.webgl.then((webgl) => {
    if (webgl) return;
    unpacker.terminate();
    clearInterval(stallWatch);
    showMessage('plume draws with WebGL, and this browser has it turned off or lacks it. ' +
                'Turn on hardware acceleration or WebGL, or try another browser.');
  });
  Module.instantiateWasm = (imports, receive) => {
    Promise.all([made.module, made.webgl]).then(([module, webgl]) => webgl &&
      WebAssembly.instantiate(module, imports)
      .then((instance) => receive(instance, module)))
      .catch((error) => failed(`plume could not start its module (${error.message}).`));
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
  Module.onRuntimeInitialized = () => {
    clearInterval(stallWatch);
    document.getElementById('loading').hidden = true;
    // Named by build, so that a visit to a new build installs its worker at once; it comes
    // when this build's cache holds the packed files, so that it does not download them again.
    const worker = `sw.js?build=${BUILD}`;
    if (!pinned && navigator.serviceWorker &&
        !navigator.serviceWorker.controller?.scriptURL.endsWith(worker)) {
      made.kept.then(() => navigator.serviceWorker.register(worker)).catch(() => {});
    }
  };
  new ResizeObserver(fitCanvas).observe(canvas);
  // iOS moves its address bar before it says the window resized: the visual viewport says first.
  window.visualViewport?.addEventListener('resize', fitCanvas);
  watchPixelRatio();
  offerFullscreen();
}

// Browsers refuse to fetch the packed files from a file: address.
if (location.protocol === 'file:') {
  showMessage('plume loads its files over HTTP: serve this folder with a web server ' +
              '(scripts/web does) and open its address.');
} else if (!window.DecompressionStream || !window.Worker) {
  showMessage('plume unpacks its files with DecompressionStream in a Worker, which this ' +
              'browser lacks: try a newer browser.');
} else {
  showProgress();
  start();
}
