// Where the program runs: the page starts the downloads' Worker and, where that Worker can draw,
// gives it the canvas, so that the program runs there; elsewhere it runs the program itself
// with what the Worker made. The build writes it into index.html after page.js.
// The Worker's answers, as they come.
function unpack() {
  const source = new Blob([document.getElementById('unpack').textContent],
    { type: 'text/javascript' });
  unpacker = new Worker(URL.createObjectURL(source));
  const made = { module: later(), images: later(), kept: later() }, images = [];
  unpacker.onmessage = ({ data }) => {
    if ('arrived' in data) {
      arrivedBytes = data.arrived;
      lastArrival = performance.now();
      showProgress();
    } else if ('failed' in data) {
      failed(data.failed);
    } else if ('draws' in data) {
      if (data.draws) drawInWorker();
      else drawOnPage(made);
    } else if ('call' in data) {
      page[data.call](...data.args);
    } else if ('started' in data) {
      started(made);
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
    offer: 'transferControlToOffscreen' in HTMLCanvasElement.prototype,
  });
  return made;
}

// The program runs in the Worker, which draws on the canvas through its OffscreenCanvas: the
// page's main thread only shows the frames.
function drawInWorker() {
  drawsInWorker = true;
  canvas.dataset.drawnIn = 'worker';
  const offscreen = canvas.transferControlToOffscreen();
  unpacker.postMessage({ canvas: offscreen, query: location.search }, [offscreen]);
}

// The program runs here, with the module, its script and the images the Worker made.
function drawOnPage(made) {
  canvas.dataset.drawnIn = 'page';
  // A task of its own: making a context takes a while.
  const webgl = new Promise((settle) => setTimeout(() => settle(hasWebGL())));
  webgl.then((has) => {
    if (has) return;
    unpacker.terminate();
    clearInterval(stallWatch);
    showMessage('plume draws with WebGL, and this browser has it turned off or lacks it. ' +
                'Turn on hardware acceleration or WebGL, or try another browser.');
  });
  Module.instantiateWasm = (imports, receive) => {
    Promise.all([made.module, webgl]).then(([module, has]) => has &&
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
  Module.onRuntimeInitialized = () => started(made);
}

function started(made) {
  clearInterval(stallWatch);
  document.getElementById('loading').hidden = true;
  // Named by build, so that a visit to a new build installs its worker at once; it comes when
  // this build's cache holds the packed files, so that it does not download them again.
  const worker = `sw.js?build=${BUILD}`;
  if (!pinned && navigator.serviceWorker &&
      !navigator.serviceWorker.controller?.scriptURL.endsWith(worker)) {
    made.kept.then(() => navigator.serviceWorker.register(worker)).catch(() => {});
  }
}

function start() {
  unpack();
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
