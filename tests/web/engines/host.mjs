// The static host of browser.mjs with what the engine checks ask of a host in place of a
// browser's own network controls, which WebDriver lacks: a file it refuses, a slow link, and
// going away altogether; and a way into the page's downloads' Worker, where WebDriver evaluates
// nothing.
import { serve } from '../../../tools/browser/browser.mjs';

const CHUNK_BYTES = 16384;

// The page with `script` run in its downloads' Worker after the Worker's own (the Worker's text
// is the page's element #unpack).
/** @param {import('node:http').ServerResponse} response @param {string} script */
function intoWorker(response, script) {
  const end = response.end.bind(response);
  response.end = (data) => {
    const page = String(data), at = page.indexOf('</script>', page.indexOf('id="unpack"'));
    return end(Buffer.from(`${page.slice(0, at)}\n${script}\n${page.slice(at)}`));
  };
}

// `refuse`: a pattern of paths answered 404; `bytesPerSecond`: the link that every answer
// shares, in 16 KB pieces; `worker`: a script the page's Worker runs too; `down()` closes the
// host and every connection to it.
/**
 * @param {string} directory
 * @param {{ refuse?: RegExp, bytesPerSecond?: number, worker?: string }} [link]
 */
export async function host(directory, { refuse, bytesPerSecond = 0, worker } = {}) {
  const served = await serve(directory);
  const [handler] = served.server.listeners('request');
  served.server.removeAllListeners('request');
  let linkFreeAt = 0;
  // Each piece goes once the link has carried it, after the pieces of every answer before it.
  /** @param {import('node:http').ServerResponse} response */
  const paced = (response) => {
    const end = response.end.bind(response);
    response.end = (data) => {
      if (!data || !data.length) return end(data);
      let offset = 0;
      const send = () => {
        const piece = data.subarray(offset, offset + CHUNK_BYTES);
        offset += piece.length;
        linkFreeAt = Math.max(Date.now(), linkFreeAt) + 1000 * piece.length / bytesPerSecond;
        setTimeout(() => {
          if (response.destroyed) return;
          if (offset >= data.length) end(piece);
          else response.write(piece, send);
        }, linkFreeAt - Date.now());
      };
      send();
      return response;
    };
  };
  served.server.on('request', (request, response) => {
    if (refuse && refuse.test(new URL(request.url ?? '/', 'http://x').pathname)) {
      served.answers.push({ path: request.url ?? '/', status: 404 });
      response.writeHead(404).end();
      return;
    }
    if (bytesPerSecond) paced(response);
    if (worker && /^\/(index\.html)?$/.test(new URL(request.url ?? '/', 'http://x').pathname)) {
      intoWorker(response, worker);
    }
    handler(request, response);
  });
  const down = () => new Promise((done) => {
    served.server.close(done);
    served.server.closeAllConnections();
  });
  return { ...served, down };
}
