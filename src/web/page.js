// The page around the program: it shows the downloads' progress over the still, answers what
// the program asks of the page, fits the canvas to the window, and says in words what went
// wrong. The build writes it into index.html, followed by program.js.
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
// The drawing buffer's size as last asked for; on the page the canvas's own, in a Worker the
// OffscreenCanvas's, which the canvas element does not show.
let shownBuffer = [canvas.width, canvas.height];
let drawsInWorker = false;
const nextFrame = () => new Promise((done) => requestAnimationFrame(done));

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
// program, with the program's own settings.
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

function fitCanvas() {
  if (!following || canvas.hidden) return;
  const [width, height] = bufferSize();
  if (width === shownBuffer[0] && height === shownBuffer[1]) return;
  shownBuffer = [width, height];
  if (drawsInWorker) {
    unpacker.postMessage({ resize: shownBuffer });
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

function later() {
  let settle;
  const promise = new Promise((resolve) => { settle = resolve; });
  return Object.assign(promise, { settle });
}

const firstFrameShown = later();
// What the program asks of the page, wherever it runs.
const page = {
  query: location.search,
  caption(text) {
    document.title = text;
    document.getElementById('caption').textContent = text;
  },
  showMessage,
  hideMessage,
  frameReady() {
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

var Module = {
  canvas,
  page,
  onAbort() {
    showMessage('plume stopped with an error; the browser console says more.');
  },
};
