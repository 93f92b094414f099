'use strict';
// The page's downloads, off its main thread: a Worker fetches every packed file, says how many
// bytes have arrived, inflates each as it streams in, undoes the images' byte prediction, checks
// each file's length and SHA-256 against those the build wrote down, and compiles the module.
// Where the browser lets a Worker draw, the program then runs here, on the canvas the page gave
// up to it, so that nothing it does holds up the page; elsewhere the page gets what was made,
// the images' buffers transferred rather than copied, and runs the program itself. What the
// page and this Worker say to each other is in messages.js (ToWorker, FromWorker): once a
// failure is said, the downloads still running are stopped, and what their stopping throws
// says nothing more.
// Emscripten's script takes the module's object from the global Module (unpack.d.ts).
/* global Module */
/**
 * A packed file as this Worker downloads it: what it has received, whether the server ended it
 * or the connection was lost first, and its copy's way into the cache.
 * @typedef {PackedFile & { received?: number, ended?: boolean, lost?: boolean,
 *   kept?: Promise<void> }} Download
 * @typedef {{ script: Download, wasm: Download, images: Download[] }} Downloads
 * @typedef {Uint8Array<ArrayBuffer>} Bytes
 * @typedef {[Promise<string>, Promise<WebAssembly.Module>, ...Promise<[string, Bytes]>[]]}
 *   Jobs
 */
const downloads = new AbortController();
/** @type {string | null} */
let failure = null;
let arrived = 0;

/** @param {FromWorker} message @param {Transferable[]} [transfer] */
const tell = (message, transfer = []) => postMessage(message, transfer);

// Each failure says which file and why, in the words the page shows.
class Failure extends Error {}

/** @param {Error} error */
function fail(error) {
  if (failure) return;
  failure = error instanceof Failure ? error.message
    : `plume could not be downloaded: the connection failed (${error.message}).`;
  downloads.abort();
  tell({ kind: 'failed', text: failure });
}

// The packed bytes as they arrive, counted. `file.ended` says that the server sent all it meant
// to, `file.lost` that the connection broke first; otherwise a failure is the bytes' own.
/** @param {ReadableStream<Bytes>} body @param {Download} file */
function counted(body, file) {
  const reader = body.getReader();
  file.received = 0;
  /** @type {ReadableStream<BufferSource>} */
  const stream = new ReadableStream({
    async pull(controller) {
      let chunk;
      try {
        chunk = await reader.read();
      } catch (error) {
        file.lost = true;
        throw error;
      }
      if (chunk.done) {
        file.ended = true;
        controller.close();
        return;
      }
      file.received = (file.received ?? 0) + chunk.value.length;
      arrived += chunk.value.length;
      tell({ kind: 'arrived', bytes: arrived });
      controller.enqueue(chunk.value);
    },
    cancel: (reason) => reader.cancel(reason),
  });
  return stream;
}

// Each byte of a packed image was stored as its difference from the byte `stride` before it
// (the same channel of the pixel to its left): adding them back, in place, as chunks come.
/** @param {number} stride @returns {TransformStream<Bytes, Bytes>} */
function unpredicted(stride) {
  const last = new Uint8Array(stride);
  let at = 0;
  return new TransformStream({
    transform(chunk, out) {
      for (let i = 0; i < chunk.length; ++i, at = (at + 1) % stride) {
        chunk[i] = last[at] = (chunk[i] + last[at]) & 0xff;
      }
      out.enqueue(chunk);
    },
  });
}

// The file's bytes inflated (and unpredicted): a stream, or an Error on a server's refusal.
/** @param {Download} file @param {string | null} keep */
async function unpacked(file, keep) {
  const response = await fetch(file.url, { signal: downloads.signal });
  if (!response.ok || !response.body) {
    throw new Failure(`${file.name} could not be downloaded: the server answered ` +
                      `${response.status} ${response.statusText}.`.replace(' .', '.'));
  }
  if (keep) file.kept = keepForLater(file, response.clone(), keep);
  /** @type {ReadableStream<Uint8Array>} */
  const inflated = counted(response.body, file).pipeThrough(new DecompressionStream('gzip'));
  return file.stride ? inflated.pipeThrough(unpredicted(file.stride)) : inflated;
}

// This build's cache gets the packed bytes for the next visit, unless an earlier build kept
// them already (a packed file's name fixes its bytes; a put while offline can hold up others).
/** @param {Download} file @param {Response} copy @param {string} name */
async function keepForLater(file, copy, name) {
  try {
    if (await caches.match(file.url)) await copy.body?.cancel();
    else await (await caches.open(name)).put(file.url, copy);
  } catch {
    // The next visit downloads it again.
  }
}

// Why a file that did not read back whole and right failed: cut short, or damaged on the way.
/** @param {Download} file @param {string} detail */
function damage(file, detail) {
  return new Failure(file.ended && (file.received ?? 0) < file.bytes
    ? `${file.name} arrived cut short: ${file.received} of ${file.bytes} bytes.`
    : `${file.name} arrived damaged (${detail}): plume does not start with a wrong picture.`);
}

// The whole file in one buffer of the length the build wrote down, checked against its hash.
/** @param {ReadableStream<Uint8Array>} stream @param {Download} file */
async function collected(stream, file) {
  const bytes = new Uint8Array(file.size);
  let length = 0;
  try {
    for (const reader = stream.getReader(); ;) {
      const { done, value } = await reader.read();
      if (done) break;
      if (length + value.length > file.size) throw new Error('longer than it should be');
      bytes.set(value, length);
      length += value.length;
    }
  } catch (error) {
    throw downloads.signal.aborted || file.lost ? error
      : damage(file, /** @type {Error} */ (error).message);
  }
  if (length !== file.size) throw damage(file, `${length} bytes, not ${file.size}`);
  const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
  const hex = Array.from(digest, (byte) => byte.toString(16).padStart(2, '0')).join('');
  if (hex !== file.sha256) throw damage(file, 'its checksum differs');
  return bytes;
}

/** @param {Download} file @param {string | null} keep @returns {Promise<[string, Bytes]>} */
const image = async (file, keep) => [file.name, await collected(await unpacked(file, keep), file)];

/** @param {Download} file @param {string | null} keep */
async function script(file, keep) {
  return new TextDecoder().decode(await collected(await unpacked(file, keep), file));
}

// Compiled as it streams in; handed over only once its bytes have checked out too.
/** @param {Download} file @param {string | null} keep */
async function wasm(file, keep) {
  const [compiling, checking] = (await unpacked(file, keep)).tee();
  const module = WebAssembly.compileStreaming(new Response(compiling,
    { headers: { 'Content-Type': 'application/wasm' } }));
  module.catch(() => {});
  await collected(checking, file);
  return module;
}

// A Worker draws where it has WebGL on an OffscreenCanvas and animation frames of its own.
function canDraw() {
  try {
    const gl = new OffscreenCanvas(1, 1).getContext('webgl');
    gl?.getExtension('WEBGL_lose_context')?.loseContext();
    return gl !== null && typeof requestAnimationFrame === 'function';
  } catch {
    return false;
  }
}

// Whether the page is shown, and paused, as it last said: the program follows both throughout.
let [shown, paused] = [true, false];

/** @type {(given: { canvas: OffscreenCanvas, query: string }) => void} */
let given = () => {};
/** @type {Promise<{ canvas: OffscreenCanvas, query: string }>} */
const canvasGiven = new Promise((settle) => { given = settle; });

// What the program asks of the page, sent there. A pinned frame is ready, and the first live
// frame shown, once the page can show them.
/** @param {string} query @returns {Page} */
function pageCalls(query) {
  /** @type {(call: PageCallName) => (...args: any[]) => void} */
  const send = (call) => (...args) =>
    tell(/** @type {PageCallMessage} */ ({ kind: 'call', call, args }));
  // Said two animation frames on, once the frame drawn before has reached the page.
  /** @param {'frameReady' | 'frameShown'} call */
  const shown = (call) => requestAnimationFrame(() => requestAnimationFrame(send(call)));
  return {
    query, get paused() { return paused; },
    caption: send('caption'), showMessage: send('showMessage'), hideMessage: send('hideMessage'),
    resized: send('resized'), held: send('held'), frameShown: send('frameShown'),
    frameReady: () => shown('frameReady'),
    followWindow: () => {
      send('followWindow')();
      shown('frameShown');
    },
  };
}

// The program, here: the module's script runs in this Worker with the compiled module, the
// images at the root of its file system (kept, not copied) and the page's canvas.
/** @param {Jobs} jobs @param {string} name */
async function run(jobs, name) {
  const [[text, compiled, ...images], { canvas, query }] =
    await Promise.all([Promise.all(jobs), canvasGiven]);
  const page = pageCalls(query);
  self.Module = /** @type {PlumeModule<OffscreenCanvas>} */ ({
    canvas, page,
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled))
        .catch((error) => fail(new Failure(`plume could not start its module (${error.message}).`)));
      return {};
    },
    preRun: [() => {
      for (const [file, bytes] of images) Module.FS.writeFile(file, bytes, { canOwn: true });
    }],
    onRuntimeInitialized: () => tell({ kind: 'started' }),
    onAbort: () => page.showMessage('plume stopped with an error; the browser console says more.'),
  });
  // Strict, as on the page (program.js says why the directive is added here).
  importScripts(URL.createObjectURL(new Blob([`'use strict';${text}\n//# sourceURL=${name}`],
    { type: 'text/javascript' })));
  Module.showFrames?.(shown);
}

// Each result to the page as it comes.
/** @param {Jobs} jobs */
function handOver([text, module, ...images]) {
  text.then((value) => tell({ kind: 'script', text: value }), () => {});
  module.then((value) => tell({ kind: 'module', module: value }), () => {});
  for (const job of images) {
    job.then(([name, bytes]) => tell({ kind: 'image', name, buffer: bytes.buffer },
      [bytes.buffer]), () => {});
  }
}

/** @param {{ files: Downloads, keep: string | null, offer: boolean }} asked */
async function start({ files, keep, offer }) {
  const draws = offer && canDraw();
  tell({ kind: 'draws', draws });
  /** @type {Jobs} */
  const jobs = [script(files.script, keep), wasm(files.wasm, keep),
    ...files.images.map((file) => image(file, keep))];
  jobs.forEach((job) => job.catch(fail));
  if (draws) {
    run(jobs, files.script.name)
      .catch((error) => fail(new Failure(`plume could not start (${error.message}).`)));
  } else {
    handOver(jobs);
  }
  await Promise.allSettled(jobs);
  if (keep && !failure) {
    await Promise.all([files.script, files.wasm, ...files.images].map((file) => file.kept));
    tell({ kind: 'kept' });
  }
}

// What the page cannot see from here: a promise of plume's rejected with none to catch it, and a
// message of the page's that cannot be read. (An uncaught error reaches the page by itself.)
addEventListener('unhandledrejection', (event) => {
  const reason = event.reason;
  fail(new Failure('plume stopped with an error ' +
    `(${reason instanceof Error ? reason.message : reason}).`));
});
addEventListener('messageerror',
  () => fail(new Failure('plume stopped: its Worker could not read the page.')));

/** @param {MessageEvent<ToWorker>} event */
onmessage = (event) => {
  const data = event.data;
  switch (data.kind) {
  case 'start': start(data); break;
  case 'canvas': given(data); break;
  case 'resize':
    Module._plumeResize(data.width, data.height);
    Module.page.resized(Module.canvas.width, Module.canvas.height);
    break;
  case 'shown':
    shown = data.shown;
    if ('Module' in self) Module.showFrames?.(shown);
    break;
  case 'play':
    paused = !data.playing;
    if ('Module' in self) Module._plumePlay?.(+data.playing);
    break;
  default: {
    // A kind left unhandled above fails the type check here; at run time, a message that is not
    // plume's (a browser driver's) is left alone.
    // eslint-disable-next-line no-unused-vars -- for the checker alone
    /** @type {never} */ const unhandled = data;
  }
  }
};
