// The page around the show. While the start card shows, the page downloads
// the program (pixelfolk.wasm) and the media (pixelfolk.data), makes the
// sound's context (suspended), creates the program and runs its main, which
// decodes every picture, opens the canvas and then waits
// (platform::waitForStart). The click only resumes it: the show's clock starts
// and the sound starts inside the click, as browsers start sound only after a
// user's gesture and grant the full screen only inside one.
// Each showing gets a fresh program and canvas, prepared while the end card
// shows, so "watch again" starts inside its click too.
// While it plays, the show is a player: the program reports its show time
// after every frame and takes the controls' seeks and pauses between frames;
// its keys (Space, Left, Right, Home) reach it through SDL. An address
// ending in #t=SECONDS starts the first showing there, and every jump or
// pause writes the show's time into the address.
// index.html loads this file at the end of its body, after pixelfolk.js
// (whose createPixelfolk it calls), so every element it looks up exists.
"use strict";

(function () {
  const stage = document.getElementById("stage");
  const startCard = document.getElementById("start");
  const endCard = document.getElementById("end");
  const action = document.getElementById("start-action");
  const endAction = document.getElementById("end-action");
  const progress = document.getElementById("progress");
  const status = document.getElementById("status");
  const errorPanel = document.getElementById("error");
  const controls = document.getElementById("controls");
  const playButton = document.getElementById("play");
  const bar = document.getElementById("bar");
  const played = bar.querySelector(".played");
  const timeText = document.getElementById("time");

  let state = "loading"; // loading, ready, playing, ended; failed when the show cannot start
  let current = null;    // the program showing now
  let next = null;       // the program prepared for the next showing
  let startWhenReady = false; // "watch again" was clicked before the next program was ready
  let wasmModule = null; // compiled once, instantiated per showing
  let media = null;      // the media package, fetched once

  // The bar: the download is most of it, then decoding the pictures, then
  // rendering the music ahead, which the player's seeks play from.
  const downloadShare = 0.7;
  const pictureShare = 0.15;
  const musicShare = 0.15;
  const download = { received: 0, total: 0, responses: 0, sized: true };

  function showError(caption, text) {
    document.getElementById("error-caption").textContent = caption;
    document.getElementById("error-text").textContent = text;
    errorPanel.hidden = false;
  }

  function megabytes(bytes) {
    return (bytes / 1e6).toFixed(1);
  }

  function showDownload() {
    if (state !== "loading") return;
    // Until both files have answered, or when the server compresses them, the
    // total is unknown: the bar then shows no position.
    if (download.responses < 2 || !download.sized) {
      progress.removeAttribute("value");
      status.textContent = `${megabytes(download.received)} MB`;
      return;
    }
    progress.value = (downloadShare * download.received) / download.total;
    status.textContent = `${megabytes(download.received)} of ${megabytes(download.total)} MB`;
  }

  function showDecoding(pictures, total) {
    if (state !== "loading") return;
    progress.value = downloadShare + (pictureShare * pictures) / total;
    status.textContent = `decoding pictures ${pictures}/${total}`;
  }

  function showMusic(seconds) {
    if (state !== "loading") return;
    const share = Math.min(1, seconds / showLength);
    progress.value = downloadShare + pictureShare + musicShare * share;
    status.textContent = `rendering the music ${Math.round(100 * share)}%`;
  }

  // A fetch whose body counts its bytes into the download as they arrive.
  function fetchCounted(url) {
    return fetch(url).then((response) => {
      if (!response.ok) throw new Error(`${url}: ${response.status} ${response.statusText}`);
      const length = Number(response.headers.get("Content-Length"));
      // A compressed body's length is not that of the bytes read from it.
      if (length > 0 && !response.headers.get("Content-Encoding")) download.total += length;
      else download.sized = false;
      ++download.responses;
      const counted = response.body.pipeThrough(new TransformStream({
        transform(chunk, controller) {
          download.received += chunk.byteLength;
          showDownload();
          controller.enqueue(chunk);
        },
      }));
      return new Response(counted, { headers: response.headers });
    });
  }

  function failed(caption, text) {
    state = "failed";
    console.error(caption + ": " + text);
    showError(caption, text);
    showCannotStart();
  }

  function showCannotStart() {
    action.textContent = "the show cannot start";
    progress.hidden = true;
    status.textContent = "";
  }

  // A new program on a new canvas, run up to its wait for the click. Its
  // canvas goes into the stage first (under the card that shows): the
  // program opens its display on the page's #canvas.
  function prepare(startTime = 0) {
    const canvas = document.createElement("canvas");
    canvas.id = "canvas";
    canvas.width = 640;
    canvas.height = 480;
    canvas.addEventListener("contextmenu", (e) => e.preventDefault());
    document.getElementById("canvas").replaceWith(canvas);
    const program = {
      canvas: canvas,
      start: null, // set once the program waits for the click
      print: (text) => console.log(text),
      printErr: (text) => console.error(text),
      pixelfolkMessage: (caption, text) => showError(caption, text),
      pixelfolkEnded: (code) => ended(program, code),
      pixelfolkPictureLoaded: (pictures, total) => {
        if (program === next) showDecoding(pictures, total);
      },
      pixelfolkMusicRendered: (seconds) => {
        if (program === next) showMusic(seconds);
      },
      pixelfolkSceneMarks: (length, marks) => {
        if (program === next) showSceneMarks(length, marks);
      },
      pixelfolkPlayerState: (time, paused, seeks) => playerState(program, time, paused, seeks),
      pixelfolkReady: (start) => ready(program, start),
      pixelfolkShowing: () => showing(program),
      pixelfolkAudioLatency: (figures) => measuredLatency(program, figures),
      // The same compiled code and media for every showing.
      instantiateWasm: (imports, done) => {
        WebAssembly.instantiate(wasmModule, imports)
          .then((instance) => done(instance, wasmModule))
          .catch((e) => failed("The show cannot load", String(e)));
        return {};
      },
      getPreloadedPackage: () => media,
    };
    // The sound's context is made now, suspended, and SDL plays into it: a
    // browser may take most of a second to make its first one, which the click
    // must not wait for. The click resumes it.
    if (window.AudioContext) {
      const audioContext = new AudioContext();
      audioContext.suspend().catch(() => {});
      program.SDL2 = { audioContext: audioContext };
    }
    next = program;
    // Module.arguments are read when the runtime starts; callMain takes them itself.
    const args = startTime > 0 ? [`--seek=${startTime.toFixed(3)}`] : [];
    createPixelfolk(program).then(() => program.callMain(args));
  }

  function ready(program, start) {
    program.start = start;
    if (program !== next) return;
    if (state === "loading") {
      state = "ready";
      progress.value = 1;
      status.textContent = "";
      action.textContent = "click to start";
    } else if (state === "ended") {
      endAction.textContent = "watch again";
      if (startWhenReady) startShowing(program);
    }
  }

  // The card stays until the show's first frame is on the canvas.
  function showing(program) {
    if (program !== current || state !== "playing") return;
    window.pixelfolkPage.firstFrameAt = performance.now();
    startCard.hidden = true;
    endCard.hidden = true;
  }

  function leaveFullscreen() {
    if (document.fullscreenElement && document.exitFullscreen) document.exitFullscreen().catch(() => {});
  }

  // In the click: full screen first (refused is fine: the canvas then fills
  // the window), then the program goes on from its wait: it takes the show's
  // start time, cuts the font, opens the sound while the click lasts, and
  // returns to the page once its frames are scheduled. The show's clock
  // starts between the two readings.
  function startShowing(program) {
    current = program;
    next = null;
    startWhenReady = false;
    state = "playing";
    errorPanel.hidden = true;
    if (stage.requestFullscreen) stage.requestFullscreen().catch(() => {});
    window.pixelfolkPage.mainReturnedAt = null;
    window.pixelfolkPage.firstFrameAt = null;
    window.pixelfolkPage.exitCode = null;
    window.pixelfolkPage.endedAt = null;
    window.pixelfolkPage.audioLatency = null;
    Object.assign(player, { time: 0, paused: false, seeks: null });
    window.pixelfolkPage.clickedAt = performance.now();
    if (program.SDL2) program.SDL2.audioContext.resume().catch(() => {});
    program.start();
    if (state === "playing") window.pixelfolkPage.mainReturnedAt = performance.now();
  }

  function ended(program, code) {
    // SDL closes the context it played into; one it never opened, the page does.
    const audioContext = program.SDL2 && program.SDL2.audioContext;
    if (audioContext && audioContext.state !== "closed") audioContext.close().catch(() => {});
    const beforeItsStart = program === next && state === "loading";
    if (program !== current && !beforeItsStart) return;
    window.pixelfolkPage.exitCode = code;
    window.pixelfolkPage.endedAt = performance.now();
    if (beforeItsStart) {
      // The error panel says why.
      state = "failed";
      showCannotStart();
      return;
    }
    state = "ended";
    hideControls();
    // The next showing starts from the beginning, and so does a reload.
    if (location.hash) history.replaceState(null, "", location.pathname + location.search);
    leaveFullscreen();
    endAction.textContent = "preparing\u2026";
    endCard.hidden = false;
    prepare();
  }

  // The latency the program waits for before the scenes follow a note (see
  // src/platform/web/page.js): kept with its range for the curious and the
  // tests, and written to the console once, a second into the show, when the
  // output has settled.
  function measuredLatency(program, figures) {
    if (program !== current) return;
    const page = window.pixelfolkPage;
    const ms = (seconds) => (seconds * 1000).toFixed(1);
    if (!page.audioLatency) page.audioLatency = { ...figures, min: figures.total, max: figures.total, reported: false };
    const kept = page.audioLatency;
    Object.assign(kept, figures);
    kept.min = Math.min(kept.min, figures.total);
    kept.max = Math.max(kept.max, figures.total);
    if (!kept.reported && performance.now() - page.clickedAt >= 1000) {
      kept.reported = true;
      console.log(`audio latency ${ms(figures.total)} ms (script processor ${ms(figures.buffer)} ms, ` +
        `audio context ${ms(figures.base)} ms, output ${ms(figures.output)} ms; ` +
        `${ms(kept.min)} to ${ms(kept.max)} ms so far): the scenes follow each note that much later`);
    }
  }

  // A prepared program starts at once; "watch again" clicked while the next
  // one still decodes starts it as soon as it waits.
  function onCardClick() {
    if (state === "ready") startShowing(next);
    else if (state === "ended" && next && next.start) startShowing(next);
    else if (state === "ended") startWhenReady = true;
  }

  // Leaving the full screen, which the browser does on Escape itself, ends the
  // show as Escape does; the player's own button and F key leave it for the
  // window, where the show goes on.
  let leavingOnPurpose = false;
  document.addEventListener("fullscreenchange", () => {
    if (document.fullscreenElement) return;
    if (leavingOnPurpose) {
      leavingOnPurpose = false;
      return;
    }
    if (state === "playing" && current) current._pixelfolk_request_quit();
  });

  function toggleFullscreen() {
    if (state !== "playing") return;
    if (document.fullscreenElement) {
      leavingOnPurpose = true;
      document.exitFullscreen().catch(() => {
        leavingOnPurpose = false;
      });
    } else if (stage.requestFullscreen) {
      stage.requestFullscreen().catch(() => {});
    }
  }

  // The player. Its time, bar and button show what the program reports, the
  // show time of the frame on screen; nothing here keeps a clock of its own.
  let showLength = 96;
  const player = { time: 0, paused: false, seeks: null, marks: [] };
  let hideTimer = null;
  let dragging = false;

  function clockText(seconds) {
    const whole = Math.max(0, Math.floor(seconds + 1e-6));
    return `${Math.floor(whole / 60)}:${String(whole % 60).padStart(2, "0")}`;
  }

  // Seconds as an address writes them: 57.5, 60.
  function addressTime(seconds) {
    return String(Number(seconds.toFixed(1)));
  }

  // #t=57.5, or #t=0:57.5 as a clock reads; anything else starts at 0.
  function timeFromAddress() {
    const match = /^#t=([^&]*)/.exec(location.hash);
    if (!match) return null;
    const text = decodeURIComponent(match[1]);
    const clock = /^(\d+):(\d+(?:\.\d*)?)$/.exec(text);
    const seconds = clock ? Number(clock[1]) * 60 + Number(clock[2]) : text.trim() === "" ? NaN : Number(text);
    if (!Number.isFinite(seconds)) return null;
    return Math.min(Math.max(seconds, 0), showLength);
  }

  function showSceneMarks(length, marks) {
    showLength = length;
    player.marks = marks;
    bar.setAttribute("aria-valuemax", String(length));
    for (const old of bar.querySelectorAll(".mark")) old.remove();
    for (const mark of marks) {
      if (mark.time <= 0) continue;
      const tick = document.createElement("div");
      tick.className = "mark";
      tick.title = mark.name;
      tick.style.left = `${(100 * mark.time) / length}%`;
      bar.appendChild(tick);
    }
    timeText.textContent = `${clockText(player.time)} / ${clockText(showLength)}`;
  }

  function showPlayed(time) {
    played.style.transform = `scaleX(${Math.min(1, Math.max(0, time / showLength))})`;
    const text = `${clockText(time)} / ${clockText(showLength)}`;
    if (timeText.textContent !== text) timeText.textContent = text;
    bar.setAttribute("aria-valuenow", time.toFixed(1));
  }

  function playerState(program, time, paused, seeks) {
    if (program !== current || state !== "playing") return;
    const first = player.seeks === null;
    const jumped = !first && (seeks !== player.seeks || paused !== player.paused);
    const pausedChanged = paused !== player.paused;
    Object.assign(player, { time, paused, seeks });
    if (!dragging) showPlayed(time);
    if (pausedChanged || first) {
      playButton.classList.toggle("paused", paused);
      playButton.setAttribute("aria-label", paused ? "play" : "pause");
    }
    // A jump or a pause is a moment worth sharing: the address names it.
    if (jumped) history.replaceState(null, "", `#t=${addressTime(time)}`);
    if (pausedChanged && !first) showControls();
  }

  function showControls() {
    if (state !== "playing") return;
    controls.classList.add("shown");
    clearTimeout(hideTimer);
    hideTimer = setTimeout(() => {
      if (!player.paused && !dragging) controls.classList.remove("shown");
      else showControls();
    }, 2500);
  }

  function hideControls() {
    clearTimeout(hideTimer);
    controls.classList.remove("shown");
  }

  function barTime(e) {
    const r = bar.getBoundingClientRect();
    return (showLength * Math.min(Math.max(e.clientX - r.left, 0), r.width)) / r.width;
  }

  // A press on the bar seeks where it is let go; dragging shows the time on
  // the way, and the program replays the show only once.
  bar.addEventListener("pointerdown", (e) => {
    if (state !== "playing" || !controls.classList.contains("shown")) return;
    dragging = true;
    bar.setPointerCapture(e.pointerId);
    showPlayed(barTime(e));
    showControls();
  });
  bar.addEventListener("pointermove", (e) => {
    if (dragging) showPlayed(barTime(e));
  });
  bar.addEventListener("pointerup", (e) => {
    if (!dragging) return;
    dragging = false;
    if (state === "playing" && current) current._pixelfolk_player_seek(barTime(e));
    showControls();
  });
  bar.addEventListener("pointercancel", () => {
    dragging = false;
    showPlayed(player.time);
  });

  playButton.addEventListener("click", () => {
    if (state === "playing" && current) current._pixelfolk_player_pause(player.paused ? 0 : 1);
    showControls();
  });
  document.getElementById("fullscreen").addEventListener("click", () => {
    toggleFullscreen();
    showControls();
  });
  // The buttons never keep the focus: a Space pressed later goes to the show
  // alone, not to the show and to the button it would click again.
  for (const button of controls.querySelectorAll("button")) {
    button.addEventListener("mousedown", (e) => e.preventDefault());
  }

  // A touch anywhere, or a mouse that moves, brings the controls back.
  stage.addEventListener("pointerdown", () => showControls());
  stage.addEventListener("pointermove", (e) => {
    if (e.pointerType === "mouse") showControls();
  });
  document.addEventListener("keydown", (e) => {
    if (state !== "playing" || e.ctrlKey || e.altKey || e.metaKey) return;
    if (e.key === "f" || e.key === "F") toggleFullscreen();
    if ([" ", "ArrowLeft", "ArrowRight", "Home", "f", "F"].includes(e.key)) showControls();
  });

  // A browser may suspend the sound's context while the show plays (the tab
  // put away, a call on a phone, Safari's "interrupted"). The show's clock
  // runs on regardless, so the music comes back where the clock is: the next
  // gesture, or the page coming back into view, resumes it.
  function resumeSound() {
    const audioContext = state === "playing" && current && current.SDL2 && current.SDL2.audioContext;
    if (audioContext && (audioContext.state === "suspended" || audioContext.state === "interrupted")) {
      audioContext.resume().catch(() => {});
    }
  }
  for (const type of ["pointerdown", "keydown", "touchend"]) document.addEventListener(type, resumeSound, true);
  document.addEventListener("visibilitychange", () => {
    if (document.visibilityState === "visible") resumeSound();
  });

  // An address changed by hand moves the show there.
  window.addEventListener("hashchange", () => {
    const time = timeFromAddress();
    const program = state === "playing" ? current : state === "ready" ? next : null;
    if (time !== null && program) program._pixelfolk_player_seek(time);
  });

  startCard.addEventListener("click", onCardClick);
  endCard.addEventListener("click", onCardClick);
  for (const card of [startCard, endCard]) {
    card.addEventListener("keydown", (e) => {
      if (e.key === "Enter" || e.key === " ") onCardClick();
    });
  }

  window.pixelfolkPage = {
    get state() { return state; },
    // For tests and the curious: when the click came, the program returned
    // from it with its frames scheduled and its first frame was drawn, when
    // the show ended (page time, in ms) and its exit code; the audio latency
    // measured during the showing.
    clickedAt: null,
    mainReturnedAt: null,
    firstFrameAt: null,
    endedAt: null,
    exitCode: null,
    audioLatency: null,
    // What the program last reported: the show time on screen, whether it
    // is paused, its seeks so far, and the scene changes.
    get player() { return { ...player, marks: [...player.marks] }; },
  };

  const data = fetchCounted("pixelfolk.data").then((response) => response.arrayBuffer());
  const code = fetchCounted("pixelfolk.wasm").then((response) => WebAssembly.compileStreaming(response));
  Promise.all([code, data])
    .then(([compiled, buffer]) => {
      wasmModule = compiled;
      media = buffer;
      progress.value = downloadShare;
      prepare(timeFromAddress() || 0);
    })
    .catch((e) => failed("The show cannot load", String(e)));

  // Offline after the first visit: the service worker keeps the page's files.
  // Browsers refuse it on plain http away from localhost; the page then works
  // online, as without it. It registers once the page has its files, so that
  // it does not compete with them for the network.
  if ("serviceWorker" in navigator) {
    Promise.all([code, data])
      .then(() => navigator.serviceWorker.register("sw.js"))
      .catch(() => {});
  }
})();
