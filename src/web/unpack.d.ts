// The one global that the downloads' Worker (unpack.js) shares with Emscripten's script when
// the program runs there: the module's object, which the Worker makes and the script fills in.
declare var Module: PlumeModule<OffscreenCanvas>;
