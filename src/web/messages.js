// The messages between the page and its downloads' Worker, and the module's object on either
// side, as TypeScript's checker reads them (src/web/tsconfig.page.json and
// tsconfig.worker.json both take this file): each side posts and reads these alone, so that a
// key one side misspells, or a message the other leaves unhandled, fails the check. Neither the
// page nor the Worker loads it: it holds types, no code.

/**
 * A packed file as the build lists it: its name, packed name, packed and unpacked sizes,
 * SHA-256 and, for an image, the stride of its byte prediction.
 * @typedef {object} PackedFile
 * @property {string} name
 * @property {string} url
 * @property {number} bytes
 * @property {number} size
 * @property {string} sha256
 * @property {number} [stride]
 */

/** @typedef {{ script: PackedFile, wasm: PackedFile, images: PackedFile[] }} PackedFiles */

/**
 * The page to the Worker: the downloads to make (the cache to keep them in, or null; whether
 * the page can give up its canvas), then, where the program runs in the Worker, the canvas
 * with the page's query, each new size of the drawing buffer, and whether the page is shown
 * (neither hidden, frozen nor left for the back/forward cache), so draws frames; and whether the
 * person has it play or pause, from the first (kept until the program runs).
 * @typedef {{ kind: 'start', files: PackedFiles, keep: string | null, offer: boolean }
 *   | { kind: 'canvas', canvas: OffscreenCanvas, query: string }
 *   | { kind: 'resize', width: number, height: number }
 *   | { kind: 'shown', shown: boolean }
 *   | { kind: 'play', playing: boolean }} ToWorker
 */

/**
 * What the program asks of the page (`Module.page`), by name, with each call's arguments: the
 * caption; a message in place of the picture, and the picture back; a pinned frame ready; the
 * canvas to follow the window from now on; the first live frame shown (a Worker's alone: the
 * page sees its own); the drawing buffer's new size; the time of the picture held while paused.
 * @typedef {object} PageArguments
 * @property {[text: string]} caption
 * @property {[text: string]} showMessage
 * @property {[]} hideMessage
 * @property {[]} frameReady
 * @property {[]} followWindow
 * @property {[]} frameShown
 * @property {[width: number, height: number]} resized
 * @property {[seconds: number]} held
 */

/** @typedef {keyof PageArguments} PageCallName */

/** @typedef {{ [Name in PageCallName]: (...args: PageArguments[Name]) => void }} PageCalls */

/** The page as the program sees it: its calls, the page's query (`?time=`...), and whether it
 * opens paused.
 * @typedef {PageCalls & { query: string, readonly paused: boolean }} Page */

/**
 * One call of the page's, from the program in the Worker, by name; any one of them.
 * @typedef {{ [Name in PageCallName]:
 *   { kind: 'call', call: Name, args: PageArguments[Name] } }} PageCallMessages
 * @typedef {PageCallMessages[PageCallName]} PageCallMessage
 */

/**
 * The Worker to the page: whether the program runs in the Worker, at once; the bytes arrived
 * so far; the first failure, in the page's words; the packed files kept in the cache. Drawing
 * in the Worker, the program's start and its calls of the page; otherwise the module's script,
 * the compiled module and each image's bytes, for the program on the page.
 * @typedef {{ kind: 'draws', draws: boolean }
 *   | { kind: 'arrived', bytes: number }
 *   | { kind: 'failed', text: string }
 *   | { kind: 'kept' }
 *   | { kind: 'started' }
 *   | PageCallMessage
 *   | { kind: 'script', text: string }
 *   | { kind: 'module', module: WebAssembly.Module }
 *   | { kind: 'image', name: string, buffer: ArrayBuffer }} FromWorker
 */

/**
 * The module's object, which the page or the Worker makes before Emscripten's script runs
 * (the canvas is the page's own, or the OffscreenCanvas a Worker is given), and which that
 * script fills in.
 * @template Canvas
 * @typedef {object} PlumeModule
 * @property {Canvas} canvas
 * @property {Page} page
 * @property {() => void} onAbort
 * @property {(imports: WebAssembly.Imports, receive: (instance: WebAssembly.Instance,
 *   module: WebAssembly.Module) => void) => object} [instantiateWasm]
 * @property {Array<() => void>} [preRun]
 * @property {() => void} [onRuntimeInitialized]
 * @property {WebGLRenderingContext} [ctx]  the program's context, once it has one
 * @property {(width: number, height: number) => void} _plumeResize
 * @property {(playing: number) => void} [_plumePlay]  once the module is made
 * @property {(shown: boolean) => void} [showFrames]  the page shown or not, once the script ran
 * @property {{ writeFile(name: string, bytes: Uint8Array, options: { canOwn: boolean }): void }}
 *   FS
 * @property {(id: string) => void} addRunDependency
 * @property {(id: string) => void} removeRunDependency
 */
