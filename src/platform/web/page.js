// The show's calls to its page (see system.cpp). The page's script sets
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
});
