// The page's downloads, off its main thread: a Worker fetches every packed file, says how many
// bytes have arrived, inflates each as it streams in, undoes the images' byte prediction, checks
// each file's length and SHA-256 against those the build wrote down, and compiles the module.
// Where the browser lets a Worker draw, the program then runs here, on the canvas the page gave
// up to it, so that nothing it does holds up the page; elsewhere the page gets what was made,
// the images' buffers transferred rather than copied, and runs the program itself.
//
// Asked { files, keep: CACHE or null, offer: whether the page can give up its canvas }; answers
// { draws } at once, whether the program will run here; { arrived: BYTES }; at most one
// { failed: TEXT }, the first failure (the downloads still running are then stopped, and what
// their stopping throws says nothing more); { kept: true } once the cache has the packed files.
// Drawing here, it is then given { canvas, query } and later { resize: [WIDTH, HEIGHT] }, and
// answers { started: true } and { call, args } for each thing the program asks of the page.
// Otherwise it answers { script: TEXT }, { module: WebAssembly.Module } and { image, buffer }.
const downloads = new AbortController();
let failure = null;
let arrived = 0;

// Each failure says which file and why, in the words the page shows.
class Failure extends Error {}

function fail(error) {
  if (failure) return;
  failure = error instanceof Failure ? error.message
    : `plume could not be downloaded: the connection failed (${error.message}).`;
  downloads.abort();
  postMessage({ failed: failure });
}

// The packed bytes as they arrive, counted. `file.ended` says that the server sent all it meant
// to, `file.lost` that the connection broke first; otherwise a failure is the bytes' own.
function counted(body, file) {
  const reader = body.getReader();
  file.received = 0;
  return new ReadableStream({
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
      file.received += chunk.value.length;
      arrived += chunk.value.length;
      postMessage({ arrived });
      controller.enqueue(chunk.value);
    },
    cancel(reason) {
      return reader.cancel(reason);
    },
  });
}

// Each byte of a packed image was stored as its difference from the byte `stride` before it
// (the same channel of the pixel to its left): adding them back, in place, as chunks come.
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
async function unpacked(file, keep) {
  const response = await fetch(file.url, { signal: downloads.signal });
  if (!response.ok) {
    throw new Failure(`${file.name} could not be downloaded: the server answered ` +
                      `${response.status} ${response.statusText}.`.replace(' .', '.'));
  }
  if (keep) file.kept = keepForLater(file, response.clone(), keep);
  const inflated = counted(response.body, file).pipeThrough(new DecompressionStream('gzip'));
  return file.stride ? inflated.pipeThrough(unpredicted(file.stride)) : inflated;
}

// This build's cache gets the packed bytes for the next visit, unless an earlier build kept
// them already (a packed file's name fixes its bytes; a put while offline can hold up others).
async function keepForLater(file, copy, name) {
  try {
    if (await caches.match(file.url)) await copy.body.cancel();
    else await (await caches.open(name)).put(file.url, copy);
  } catch (error) {
    // The next visit downloads it again.
  }
}

// Why a file that did not read back whole and right failed: cut short, or damaged on the way.
function damage(file, detail) {
  return new Failure(file.ended && file.received < file.bytes
    ? `${file.name} arrived cut short: ${file.received} of ${file.bytes} bytes.`
    : `${file.name} arrived damaged (${detail}): plume does not start with a wrong picture.`);
}

// The whole file in one buffer of the length the build wrote down, checked against its hash.
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
    throw downloads.signal.aborted || file.lost ? error : damage(file, error.message);
  }
  if (length !== file.size) throw damage(file, `${length} bytes, not ${file.size}`);
  const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
  const hex = Array.from(digest, (byte) => byte.toString(16).padStart(2, '0')).join('');
  if (hex !== file.sha256) throw damage(file, 'its checksum differs');
  return bytes;
}

const image = async (file, keep) => [file.name, await collected(await unpacked(file, keep), file)];

async function script(file, keep) {
  return new TextDecoder().decode(await collected(await unpacked(file, keep), file));
}

// Compiled as it streams in; handed over only once its bytes have checked out too.
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
  } catch (error) {
    return false;
  }
}

let given;
const canvasGiven = new Promise((settle) => { given = settle; });

// What the program asks of the page, sent there. A pinned frame is ready, and the first live
// frame shown, once the page can show them.
function pageCalls(query) {
  const calls = { query };
  const send = (call, ...args) => postMessage({ call, args });
  // Said two animation frames on, once the frame drawn before has reached the page.
  const shown = (call) => requestAnimationFrame(() => requestAnimationFrame(() => send(call)));
  for (const call of ['caption', 'showMessage', 'hideMessage', 'resized']) {
    calls[call] = (...args) => send(call, ...args);
  }
  calls.frameReady = () => shown('frameReady');
  calls.followWindow = () => {
    send('followWindow');
    shown('frameShown');
  };
  return calls;
}

// The program, here: the module's script runs in this Worker with the compiled module, the
// images at the root of its file system (kept, not copied) and the page's canvas.
async function run(jobs, name) {
  const [[text, compiled, ...images], { canvas, query }] =
    await Promise.all([Promise.all(jobs), canvasGiven]);
  const page = pageCalls(query);
  self.Module = {
    canvas, page,
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled))
        .catch((error) => fail(new Failure(`plume could not start its module (${error.message}).`)));
      return {};
    },
    preRun: [() => {
      for (const [file, bytes] of images) Module.FS.writeFile(file, bytes, { canOwn: true });
    }],
    onRuntimeInitialized: () => postMessage({ started: true }),
    onAbort: () => page.showMessage('plume stopped with an error; the browser console says more.'),
  };
  importScripts(URL.createObjectURL(new Blob([`${text}\n//# sourceURL=${name}`],
    { type: 'text/javascript' })));
}

// Each result to the page as it comes.
function handOver([text, module, ...images]) {
  const send = (job, message) => job.then((value) => postMessage(...message(value)), () => {});
  send(text, (value) => [{ script: value }]);
  send(module, (value) => [{ module: value }]);
  for (const job of images) {
    send(job, ([name, bytes]) => [{ image: name, buffer: bytes.buffer }, [bytes.buffer]]);
  }
}

async function start({ files, keep, offer }) {
  const draws = offer && canDraw();
  postMessage({ draws });
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
  const all = [files.script, files.wasm, ...files.images];
  if (keep && !failure) {
    await Promise.all(all.map((file) => file.kept));
    postMessage({ kept: true });
  }
}

onmessage = ({ data }) => {
  if (data.files) {
    start(data);
  } else if (data.canvas) {
    given(data);
  } else if (data.resize) {
    Module._plumeResize(...data.resize);
    Module.page.resized(Module.canvas.width, Module.canvas.height);
  }
};
