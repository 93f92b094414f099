// What the hidden page's checks (hidden_check.mjs) run in the page and its Worker, by their
// source: frames counted exactly, by the check alone. In the page and in its Worker (where a
// script run before the page's own wraps the Worker's script), each animation frame in which
// WebGL drew is stamped with the time, and the stamps are fetched once the page is shown again.
// The page itself counts nothing and sends nothing per frame.

// Run in the page's Worker and on the page: each animation frame in which WebGL drew, stamped.
export const countFrames = () => {
  /** @type {number[]} */
  const stamps = [];
  if (typeof self.requestAnimationFrame !== 'function') return stamps;
  let drew = false;
  const proto = WebGLRenderingContext.prototype;
  for (const name of /** @type {const} */ (['drawArrays', 'drawElements'])) {
    const draw = /** @type {(...args: unknown[]) => void} */ (proto[name]);
    Object.assign(proto, { [name](/** @type {unknown[]} */ ...args) {
      drew = true;
      return draw.apply(this, args);
    } });
  }
  const ask = self.requestAnimationFrame.bind(self);
  self.requestAnimationFrame = (callback) => ask((time) => {
    drew = false;
    callback(time);
    if (drew) stamps.push(Date.now());
  });
  return stamps;
};

// Before the page's scripts: its Worker runs the counter first, and answers for its stamps.
/** @param {typeof countFrames} count */
export const watchWorker = (count) => {
  const Original = window.Worker;
  const watched = function (/** @type {string | URL} */ url, /** @type {WorkerOptions} */ options) {
    const source = `(() => { const stamps = (${count})(); addEventListener('message', (event) => {
      if (event.data?.kind === 'plumeStamps') postMessage({ kind: 'plumeStamps', stamps }); });
      })(); importScripts(${JSON.stringify(String(url))});`;
    const worker = new Original(URL.createObjectURL(new Blob([source],
      { type: 'text/javascript' })), options);
    Object.assign(window, { plumeWorker: worker });
    return worker;
  };
  Object.assign(window, { Worker: watched });
};

// Before the page's scripts, for the control: the page's own listeners for these events, which
// listen in the bubbling phase (the watch below listens in the capturing one), are never added.
/** @param {string[]} events */
export const deafenPage = (events) => {
  const listen = EventTarget.prototype.addEventListener;
  EventTarget.prototype.addEventListener = function (type, listener, options) {
    const capture = options === true || (typeof options === 'object' && options.capture);
    if (!events.includes(type) || capture) listen.call(this, type, listener, options);
  };
};

// Once the page runs: the page's own frames stamped, the events it hears with its visibility
// at each, and, for the control where no script runs before the page's, the page's listeners
// kept from hearing them (Firefox's automation loses the page when they are kept so).
/** @param {typeof countFrames} count @param {string[]} events @param {boolean} deafen */
export const watchPage = (count, events, deafen) => {
  const stamps = count();
  /** @type {Array<[string, string, number]>} */
  const heard = [];
  for (const type of events) {
    addEventListener(type, () => heard.push([type, document.visibilityState, Date.now()]), true);
    if (deafen) addEventListener(type, (event) => event.stopImmediatePropagation(), true);
  }
  const worker = /** @type {Worker | undefined} */ (Reflect.get(window, 'plumeWorker'));
  /** @returns {Promise<number[]>} */
  const frames = () => new Promise((done) => {
    if (!worker) return done(stamps.slice());
    const answered = (/** @type {MessageEvent} */ event) => {
      if (event.data?.kind !== 'plumeStamps') return;
      worker.removeEventListener('message', answered);
      done([...stamps, ...event.data.stamps]);
    };
    worker.addEventListener('message', answered);
    worker.postMessage({ kind: 'plumeStamps' });
  });
  Object.assign(window, { plumeWatch: { heard, frames } });
};
