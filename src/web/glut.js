// The GLUT calls plume makes, for the browser. The window is the canvas the page hands the
// module: the page's own canvas, or, where the program runs in a Worker, an OffscreenCanvas
// that the page gave up to it. Emscripten's own GLUT reaches for the page's document and
// window, which a Worker has not. Frames follow the browser's animation frames: on each, the
// idle function runs and, if a redisplay was asked for, the display function.
//
// Emscripten copies these functions into the module's script, beside the names glut.d.ts
// declares; the page and the Worker run that script strict. A callback is called through the
// module's table (getWasmTableEntry, which the runtime always has: what Emscripten's makeDynCall
// gives for these signatures), so that this file is plain JavaScript the checkers read as it is.
/* global mergeInto, LibraryManager, PlumeGlut, Module, GL, ABORT, callUserCallback,
   getWasmTableEntry, _glutPostRedisplay, _glutReshapeWindow */
mergeInto(LibraryManager.library, {
  $PlumeGlut__deps: ['$callUserCallback'],
  // The page says when it is hidden and shown again (`Module.showFrames`, the same call on the
  // page and in a Worker): a Worker's animation frames go on behind a hidden page, and a page's
  // may, so a hidden page asks for none and draws none. The frame it wanted stays wanted, and
  // is drawn once the page is shown; the clock takes that gap as a pause.
  $PlumeGlut__postset: "Module['showFrames'] = PlumeGlut.show;",
  /** @type {typeof PlumeGlut} */
  $PlumeGlut: {
    displayMode: 0,
    display: 0,
    idle: 0,
    reshape: 0,
    redisplay: false,
    shown: true,
    // A frame is wanted; an animation frame is asked for.
    wanted: false,
    asked: false,
    schedule: function() {
      if (PlumeGlut.wanted) return;
      PlumeGlut.wanted = true;
      PlumeGlut.ask();
    },
    ask: function() {
      if (PlumeGlut.asked || !PlumeGlut.shown) return;
      PlumeGlut.asked = true;
      requestAnimationFrame(PlumeGlut.tick);
    },
    /** @param {boolean} shown */
    show: function(shown) {
      PlumeGlut.shown = shown;
      if (shown && PlumeGlut.wanted) PlumeGlut.ask();
    },
    // Named once, so that a frame makes no closure.
    frame: function() {
      if (PlumeGlut.idle) getWasmTableEntry(PlumeGlut.idle)();
      if (PlumeGlut.redisplay && PlumeGlut.display) {
        PlumeGlut.redisplay = false;
        getWasmTableEntry(PlumeGlut.display)();
      }
    },
    // An animation frame asked for before the page was hidden can still come: it draws nothing.
    tick: function() {
      PlumeGlut.asked = false;
      if (!PlumeGlut.shown) return;
      PlumeGlut.wanted = false;
      callUserCallback(PlumeGlut.frame);
      if (!ABORT && (PlumeGlut.idle || PlumeGlut.redisplay)) PlumeGlut.schedule();
    },
  },

  // Emscripten's own GLUT lists its state and the page's helpers among each call's needs: these
  // calls need none of them. The arguments are the C call's: pointers and function pointers
  // are numbers here.
  glutInit__deps: [],
  /** @param {number} argcp @param {number} argv */
  glutInit: function(argcp, argv) {},

  glutInitWindowPosition__deps: [],
  /** @param {number} x @param {number} y */
  glutInitWindowPosition: function(x, y) {},

  glutInitWindowSize__deps: [],
  /** @param {number} width @param {number} height */
  glutInitWindowSize: function(width, height) {
    Module['canvas'].width = width;
    Module['canvas'].height = height;
  },

  glutInitDisplayMode__deps: ['$PlumeGlut'],
  /** @param {number} mode */
  glutInitDisplayMode: function(mode) {
    PlumeGlut.displayMode = mode;
  },

  // The context as a desktop's GLUT window has it: no alpha and no multisampling unless asked
  // for, a depth buffer when asked for.
  glutCreateWindow__deps: ['$PlumeGlut', '$GL'],
  /** @param {number} title */
  glutCreateWindow: function(title) {
    const mode = PlumeGlut.displayMode;
    const handle = GL.createContext(Module['canvas'], {
      majorVersion: 1,
      antialias: (mode & 0x0080 /* GLUT_MULTISAMPLE */) !== 0,
      depth: (mode & 0x0010 /* GLUT_DEPTH */) !== 0,
      stencil: (mode & 0x0020 /* GLUT_STENCIL */) !== 0,
      alpha: (mode & 0x0008 /* GLUT_ALPHA */) !== 0,
    });
    if (!handle) return 0;
    GL.makeContextCurrent(handle);
    Module.ctx = GL.getContext(handle).GLctx;
    return 1;
  },

  glutDisplayFunc__deps: ['$PlumeGlut'],
  /** @param {number} func */
  glutDisplayFunc: function(func) {
    PlumeGlut.display = func;
  },

  glutIdleFunc__deps: ['$PlumeGlut'],
  /** @param {number} func */
  glutIdleFunc: function(func) {
    PlumeGlut.idle = func;
    if (func) PlumeGlut.schedule();
  },

  glutReshapeFunc__deps: ['$PlumeGlut'],
  /** @param {number} func */
  glutReshapeFunc: function(func) {
    PlumeGlut.reshape = func;
  },

  glutPostRedisplay__deps: ['$PlumeGlut'],
  glutPostRedisplay: function() {
    PlumeGlut.redisplay = true;
    PlumeGlut.schedule();
  },

  // The drawing buffer takes the new size; the canvas's size on the page is the page's.
  glutReshapeWindow__deps: ['$PlumeGlut', 'glutPostRedisplay'],
  /** @param {number} width @param {number} height */
  glutReshapeWindow: function(width, height) {
    const canvas = Module['canvas'];
    if (canvas.width !== width) canvas.width = width;
    if (canvas.height !== height) canvas.height = height;
    if (PlumeGlut.reshape) getWasmTableEntry(PlumeGlut.reshape)(width, height);
    _glutPostRedisplay();
  },

  // A page keeps its own event loop: the program's runs from the browser's animation frames.
  glutMainLoop__deps: ['glutReshapeWindow'],
  glutMainLoop: function() {
    _glutReshapeWindow(Module['canvas'].width, Module['canvas'].height);
    throw 'unwind';
  },

  glutSwapBuffers__deps: [],
  glutSwapBuffers: function() {},
});
