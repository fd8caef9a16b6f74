// The show's calls to its page (see system.cpp and the other files here). The
// page's script sets the handlers on the module object it creates; without
// them the calls do nothing, or go on at once.
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

  // The program stops here (Asyncify unwinds it) and hands the page a start
  // function; the page calls it in its click, and the program goes on from
  // here inside that click, until its frame loop hands control back.
  pixelfolk_page_wait_for_start__deps: ['$Asyncify', '$callUserCallback'],
  pixelfolk_page_wait_for_start: function () {
    Asyncify.handleSleep(function (wakeUp) {
      var ready = Module['pixelfolkReady'];
      if (!ready) {
        wakeUp();
        return;
      }
      var started = false;
      ready(function () {
        if (started) return;
        started = true;
        callUserCallback(wakeUp);
      });
    });
  },

  // The first frame is on the canvas: the page takes its card away.
  pixelfolk_page_showing: function () {
    if (Module['pixelfolkShowing']) Module['pixelfolkShowing']();
  },

  // The program sleeps (Asyncify) for one task of the page's, then goes on.
  $pixelfolkStepAside__deps: ['$Asyncify', '$safeSetTimeout', '$pixelfolkLoading'],
  $pixelfolkStepAside: function () {
    Asyncify.handleSleep(function (wakeUp) {
      safeSetTimeout(function () {
        pixelfolkLoading.steppedAsideAt = performance.now();
        wakeUp();
      }, 0);
    });
  },

  // The page's count of decoded pictures, out of the files under /data; every
  // 50 ms of decoding the program steps aside for one task, so that the page
  // can draw its progress. A rewind passes through here again, and counts nothing.
  $pixelfolkLoading: { pictures: 0, total: 0, steppedAsideAt: 0, musicSeconds: -1 },
  pixelfolk_page_picture_loaded__deps: ['$Asyncify', '$FS', '$pixelfolkLoading', '$pixelfolkStepAside'],
  pixelfolk_page_picture_loaded: function () {
    var loading = pixelfolkLoading;
    if (Asyncify.state === Asyncify.State.Normal) {
      var report = Module['pixelfolkPictureLoaded'];
      if (!report) return;
      if (loading.total === 0) {
        var countFiles = function (path) {
          var count = 0;
          FS.readdir(path).forEach(function (name) {
            if (name === '.' || name === '..') return;
            var mode = FS.stat(path + '/' + name).mode;
            if (FS.isDir(mode)) count += countFiles(path + '/' + name);
            else if (FS.isFile(mode)) count += 1;
          });
          return count;
        };
        loading.total = countFiles('/data');
        loading.steppedAsideAt = performance.now();
      }
      report(++loading.pictures, loading.total);
      if (performance.now() - loading.steppedAsideAt < 50) return;
    }
    pixelfolkStepAside();
  },

  // The soundtrack rendered so far, in seconds of music, reported once per
  // whole second; the program steps aside as it does for the pictures.
  pixelfolk_page_music_rendered__deps: ['$Asyncify', '$pixelfolkLoading', '$pixelfolkStepAside'],
  pixelfolk_page_music_rendered: function (seconds) {
    var loading = pixelfolkLoading;
    if (Asyncify.state === Asyncify.State.Normal) {
      var report = Module['pixelfolkMusicRendered'];
      if (!report) return;
      if (Math.floor(seconds) !== loading.musicSeconds) {
        loading.musicSeconds = Math.floor(seconds);
        report(seconds);
      }
      if (!loading.steppedAsideAt) loading.steppedAsideAt = performance.now();
      if (performance.now() - loading.steppedAsideAt < 50) return;
    }
    pixelfolkStepAside();
  },

  // The player's controls: the scene changes once, before the start, then
  // after every pass where the show stands.
  pixelfolk_page_scene_marks: function (showLength, showTimes, names, count) {
    if (!Module['pixelfolkSceneMarks']) return;
    var marks = [];
    for (var i = 0; i < count; ++i) {
      marks.push({ time: HEAPF64[(showTimes >> 3) + i], name: UTF8ToString(HEAPU32[(names >> 2) + i]) });
    }
    Module['pixelfolkSceneMarks'](showLength, marks);
  },
  pixelfolk_page_player_state: function (showTime, paused, seeks) {
    if (Module['pixelfolkPlayerState']) Module['pixelfolkPlayerState'](showTime, paused !== 0, seeks);
  },

  // How long after a callback its buffer is heard: the time until the script
  // processor plays the buffer (its event's playbackTime, on the audio
  // context's clock; before the first event, one buffer), then the audio
  // context's own latency and the output device's. Read at every callback,
  // as all three may change; the callback runs inside SDL's handler, which is
  // wrapped once here to learn the playback time.
  pixelfolk_page_audio_latency: function () {
    var sdl = Module['SDL2'];
    var context = sdl && sdl.audioContext;
    var processor = sdl && sdl.audio && sdl.audio.scriptProcessorNode;
    if (!context || !processor) return 0;
    if (!processor.pixelfolkHandler) {
      processor.pixelfolkHandler = processor.onaudioprocess;
      processor.onaudioprocess = function (e) {
        processor.pixelfolkPlaybackTime = e.playbackTime;
        processor.pixelfolkHandler(e);
      };
    }
    var played = processor.pixelfolkPlaybackTime;
    var figures = {
      buffer: played !== undefined ? Math.max(0, played - context.currentTime) : processor.bufferSize / context.sampleRate,
      base: context.baseLatency || 0,
      output: context.outputLatency || 0,
    };
    figures.total = figures.buffer + figures.base + figures.output;
    if (Module['pixelfolkAudioLatency']) Module['pixelfolkAudioLatency'](figures);
    return figures.total;
  },
});
