#include "app/rehearsed_show.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/live_reload.h"
#include "app/media_reload.h"
#include "app/music_reload.h"
#include "app/precision_timer.h"
#include "app/rehearsal.h"
#include "app/show_engine.h"
#include "app/show_loop.h"
#include "app/show_startup.h"
#include "display/display.h"
#include "music/music_clock.h"
#include "music/music_player.h"
#include "music/sample_playback.h"
#include "music/soundtrack.h"
#include "platform/audio_output.h"
#include "platform/frame_loop.h"
#include "platform/platform.h"
#include "platform/player_page.h"
#include "render/overlay.h"
#include "render/screen.h"
#include "render/show_state.h"
#include "script/scene.h"
#include "script/scene_marks.h"

namespace {

RehearsalRequest request{RunKind::plain};

struct LiveShow {
  ShowMedia media;
  MusicClock music;
  std::unique_ptr<SamplePlayback> playback;
  std::unique_ptr<ShowEngine> engine;
  std::unique_ptr<Rehearsal> rehearsal;
  std::unique_ptr<LiveReload> reload;
  MusicReload musicReload{kShowMusicFile, kShowMusicRate};
  PrecisionTimer* timer = nullptr;
  // A rehearsal's own: the overlay and the live reload of the media files.
  // A viewer's player has neither.
  bool rehearsalTools = false;
  std::string musicError;

  // The scene without the overlay, for the passes that draw no new frame.
  std::vector<uint32_t> scene = std::vector<uint32_t>(Screen::pixelCount);
  double drawMilliseconds = 0.0;
  double presentMilliseconds = 0.0;
  int framesPerSecond = 0;
  int framesThisSecond = 0;
  double secondStart = 0.0;
};

void pressKey(void* user, uint32_t virtualKey) { static_cast<LiveShow*>(user)->rehearsal->press(virtualKey); }

// The media swapped in between two frames; a paused show stays on its frame.
void reloadMedia(LiveShow& show) {
  show.engine->useMedia(*show.media.data, *show.media.font);
  show.rehearsal->redraw();
  std::fprintf(stderr, "pixelfolk: reload: media reloaded at %.3f s\n", show.rehearsal->showTime());
}

void useMusic(LiveShow& show, LoadedMusic& music) {
  if (!music.loaded) {
    show.musicError = music.message;
    std::fprintf(stderr, "pixelfolk: reload: %s\n", music.message.c_str());
    return;
  }
  show.rehearsal->useMusic(music.soundtrack.timeline);
  show.playback->replace(std::move(music.soundtrack.samples), music.soundtrack.timeline.rate);
  show.musicError.clear();
  show.rehearsal->redraw();
  std::fprintf(stderr, "pixelfolk: reload: music reloaded at %.3f s\n", show.rehearsal->showTime());
}

void pollFiles(LiveShow& show, double now) {
  if (!show.rehearsalTools) return;
  if (show.reload->pass(now, &show.media)) reloadMedia(show);
  if (show.reload->takeMusicChange()) show.musicReload.request();
  LoadedMusic music;
  if (show.musicReload.take(&music)) useMusic(show, music);
}

std::vector<overlay::Line> overlayLines(const LiveShow& show) {
  const Rehearsal& r = *show.rehearsal;
  char text[160];
  std::vector<overlay::Line> lines;
  std::snprintf(text, sizeof text, "%.3f s%s%s%s", r.showTime(), r.paused() ? "  paused" : "",
                r.looping() ? "  loop: " : "", r.loopedScene());
  lines.push_back({text});
  const int32_t hits1 = showState.instrument1Hits;
  std::snprintf(text, sizeof text, "instrument 1: %d  instrument 4: %d", hits1, showState.instrument4Hits);
  lines.push_back({text});
  std::snprintf(text, sizeof text, "scene: %s  picture: %d", sceneNameFor(hits1), showState.shownPictureIndex);
  lines.push_back({text});
  std::snprintf(text, sizeof text, "%d fps  draw %.1f ms  present %.1f ms", show.framesPerSecond, show.drawMilliseconds,
                show.presentMilliseconds);
  lines.push_back({text});
  for (const std::string& m : show.reload->errors()) lines.push_back({m, overlay::kYellow});
  if (!show.musicError.empty()) lines.push_back({show.musicError, overlay::kYellow});
  return lines;
}

// What the page's controls asked for since the last pass.
void takePageRequests(Rehearsal& rehearsal) {
  platform::PlayerRequest request;
  while (platform::takePlayerRequest(&request)) {
    switch (request.kind) {
      case platform::PlayerRequest::Kind::seek:
        rehearsal.requestSeek(request.showTime);
        break;
      case platform::PlayerRequest::Kind::pause:
        rehearsal.requestPaused(true);
        break;
      case platform::PlayerRequest::Kind::play:
        rehearsal.requestPaused(false);
        break;
    }
  }
}

void showPass(void* user) {
  LiveShow& show = *static_cast<LiveShow*>(user);
  pollFiles(show, show.timer->seconds());
  takePageRequests(*show.rehearsal);
  // The draw time is the scene's alone, without the look at the files.
  const double passStart = show.timer->seconds();

  const Rehearsal::Pass pass = show.rehearsal->pass();
  const double drawn = show.timer->seconds();
  platform::showPlayerState(show.rehearsal->showTime(), show.rehearsal->paused(), show.rehearsal->seeks());
  if (show.rehearsalTools) {
    if (pass.drew) {
      show.drawMilliseconds = (drawn - passStart) * 1000.0;
      std::memcpy(show.scene.data(), Screen::pixels, sizeof Screen::pixels);
    } else {
      std::memcpy(Screen::pixels, show.scene.data(), sizeof Screen::pixels);
    }
    if (show.rehearsal->overlayShown()) overlay::draw(Screen::pixels, overlayLines(show));
  }

  displayPresent(Screen::pixels);
  const double presented = show.timer->seconds();
  show.presentMilliseconds = (presented - drawn) * 1000.0;
  ++show.framesThisSecond;
  if (presented - show.secondStart >= 1.0) {
    show.framesPerSecond = show.framesThisSecond;
    show.framesThisSecond = 0;
    show.secondStart = presented;
  }

  if (pass.ended) {
    // The show's objects are left to the end of the process, as after Escape.
    displayClose();
    platform::exitProcess(0);
  }
  // A paused show has nothing new to draw; it looks at the keys and files
  // about a hundred times a second.
  if (!pass.drew && show.rehearsal->paused()) platform::sleepMilliseconds(10);
}

// The soundtrack rendered, the engine and the first frame drawn: all that
// takes time, done before the start is asked for.
void prepare(LiveShow& show) {
  Soundtrack soundtrack;
  std::string message;
  if (!loadSoundtrack(kShowMusicFile, kShowMusicRate, &soundtrack, &message))
    std::fprintf(stderr, "%s\n", message.c_str());
  show.playback = std::make_unique<SamplePlayback>(show.music, std::move(soundtrack.samples), soundtrack.timeline.rate);

  PrecisionTimer* timer = show.timer;
  show.engine = std::make_unique<ShowEngine>(
      *show.media.data, *show.media.font, soundtrack.timeline, 0.0, [timer] { return timer->seconds(); }, &show.music);
  const std::vector<SceneMark> marks = sceneMarks(soundtrack.timeline);
  show.rehearsal = std::make_unique<Rehearsal>(*show.engine, marks,
                                               Rehearsal::Settings{request.startTime, request.kind, request.paused});

  std::vector<double> times;
  std::vector<const char*> names;
  for (const SceneMark& mark : marks) {
    times.push_back(mark.showTime);
    names.push_back(mark.name);
  }
  platform::showSceneMarks(kShowLength, times.data(), names.data(), static_cast<int>(marks.size()));
  show.rehearsal->cue();
}

}  // namespace

void requestRehearsal(const RehearsalRequest& r) { request = r; }

RunKind requestedRun() { return request.kind; }

void runRehearsedShow(std::unique_ptr<DataController> data) {
  // Kept for the rest of the process: a browser's frame loop returns from
  // runFrameLoop while the passes still need it.
  static LiveShow show;
  show.media.font = cutShowFont(*data);
  show.media.data = std::move(data);
  show.timer = PrecisionTimer::instance();
  show.rehearsalTools = request.kind == RunKind::rehearsal;
  prepare(show);

  // In a browser the page's start click comes here; the sound may only
  // start in it.
  platform::waitForStart();
  startMusicOutput(kShowMusicRate, SamplePlayback::fillOutput, show.playback.get());
  if (show.rehearsalTools) {
    show.reload = std::make_unique<LiveReload>(kResourceListName, kShowMusicFile);
  }
  if (request.kind == RunKind::rehearsal || request.kind == RunKind::player) displaySetKeyHandler(pressKey, &show);
  show.secondStart = show.timer->seconds();
  platform::runFrameLoop(showPass, &show);
}
