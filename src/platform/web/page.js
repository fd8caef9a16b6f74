// The show's calls to its page (see system.cpp and the other files here). The page's script sets
// the handlers on the module object it creates; without them the calls do
// nothing.
mergeInto(LibraryManager.library, {
  // SDL's web audio, built here from its source rather than taken from
  // emscripten's own port, calls these two runtime functions, which emscripten
  // only brings in for its port: they come in with this always-linked call.
  pixelfolk_page_message__deps: ['$autoResumeAudioContext', '$dynCall'],
  pixelfolk_page_message: function (caption, text) {
    if (Module['pixelfolkMessage']) Module['pixelfolkMessage'](UTF8ToString(caption), UTF8ToString(text));
  },
  pixelfolk_page_ended: function (code) {
    if (Module['pixelfolkEnded']) Module['pixelfolkEnded'](code);
  },

  // How long after a callback its buffer is heard: SDL's script processor
  // plays it after one more buffer, then the audio context's own latency and
  // the output device's. Read at every callback, as the output's may change.
  pixelfolk_page_audio_latency: function () {
    var sdl = Module['SDL2'];
    var context = sdl && sdl.audioContext;
    var processor = sdl && sdl.audio && sdl.audio.scriptProcessorNode;
    if (!context || !processor) return 0;
    var figures = {
      buffer: processor.bufferSize / context.sampleRate,
      base: context.baseLatency || 0,
      output: context.outputLatency || 0,
    };
    figures.total = figures.buffer + figures.base + figures.output;
    if (Module['pixelfolkAudioLatency']) Module['pixelfolkAudioLatency'](figures);
    return figures.total;
  },
});
