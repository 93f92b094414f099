// The page's downloads, off its main thread: a Worker fetches every packed file, says how many
// bytes have arrived, inflates each as it streams in, undoes the images' byte prediction, checks
// each file's length and SHA-256 against those the build wrote down, compiles the module, and
// hands the page what it made, the images' buffers transferred rather than copied.
//
// Asked { files, keep: CACHE or null }; answers { arrived: BYTES }, { script: TEXT },
// { module: WebAssembly.Module }, { image: NAME, buffer }, { kept: true } once the cache has
// the packed files, and at most one { failed: TEXT }, the first failure; the downloads still
// running are then stopped, and what their stopping throws says nothing more.
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

async function image(file, keep) {
  const bytes = await collected(await unpacked(file, keep), file);
  postMessage({ image: file.name, buffer: bytes.buffer }, [bytes.buffer]);
}

async function script(file, keep) {
  const bytes = await collected(await unpacked(file, keep), file);
  postMessage({ script: new TextDecoder().decode(bytes) });
}

// Compiled as it streams in; handed over only once its bytes have checked out too.
async function wasm(file, keep) {
  const [compiling, checking] = (await unpacked(file, keep)).tee();
  const module = WebAssembly.compileStreaming(new Response(compiling,
    { headers: { 'Content-Type': 'application/wasm' } }));
  module.catch(() => {});
  await collected(checking, file);
  postMessage({ module: await module });
}

onmessage = async ({ data: { files, keep } }) => {
  const jobs = [script(files.script, keep), wasm(files.wasm, keep),
    ...files.images.map((file) => image(file, keep))];
  jobs.forEach((job) => job.catch(fail));
  await Promise.allSettled(jobs);
  const all = [files.script, files.wasm, ...files.images];
  if (keep && !failure) {
    await Promise.all(all.map((file) => file.kept));
    postMessage({ kept: true });
  }
};
