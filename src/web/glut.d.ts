// What glut.js names from Emscripten, as src/web/tsconfig.glut.json checks it: the compiler's
// library calls that the file makes when it is linked, and the module script's own names that
// its functions use once they are copied into that script. Only what glut.js uses, with the
// types it uses them at.

// The link: the library that the compiler's JavaScript merges this file's functions into.
declare const LibraryManager: { library: object };
declare function mergeInto(library: object, functions: object): void;

// The window: the page's canvas, or the OffscreenCanvas that a Worker was given; glut.js only
// sizes it, and hands it to the WebGL library.
interface GlutCanvas { width: number; height: number }
// The module's object, which the page or the program's Worker made (messages.js's PlumeModule).
declare var Module: PlumeModule<GlutCanvas>;
// True once the program has aborted.
declare var ABORT: boolean;
// Runs a callback of the program's, keeping the runtime's own bookkeeping.
declare function callUserCallback(callback: () => void): void;
// The function at an index of the module's table: a C function pointer's target.
declare function getWasmTableEntry(index: number): (...args: number[]) => void;
declare var GL: {
  createContext(canvas: GlutCanvas,
    attributes: WebGLContextAttributes & { majorVersion: number }): number;
  makeContextCurrent(handle: number): boolean;
  getContext(handle: number): { GLctx: WebGLRenderingContext };
};
// This library's own functions, under the names the module's script gives them.
declare function _glutPostRedisplay(): void;
declare function _glutReshapeWindow(width: number, height: number): void;
// This library's state, emitted into the module's script as a global of its own.
declare var PlumeGlut: {
  displayMode: number;
  display: number;
  idle: number;
  reshape: number;
  redisplay: boolean;
  shown: boolean;
  wanted: boolean;
  asked: boolean;
  schedule(): void;
  ask(): void;
  show(shown: boolean): void;
  frame(): void;
  tick(): void;
};
