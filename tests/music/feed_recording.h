// A small busy module played through the module feed in buffers of any
// size, with the sound and the triggers it reported: the reference that the
// feed's and the sample playback's tests compare with.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "music/module_feed.h"
#include "music/module_renderer.h"
#include "small_modules.h"

namespace feed_recording {

using small_modules::cell;
using small_modules::kC4;

constexpr int kRate = 44100;

inline xm::Module busyModule() {
  xm::Module m = small_modules::module(4, 16);
  for (int row = 0; row < 16; ++row) {
    m.patterns[0].at(row, row % 4) = cell(kC4 + row, static_cast<uint8_t>(1 + row % 6));
    if (row % 3 == 0) m.patterns[0].at(row, (row + 1) % 4) = cell(kC4, 2, xm::kExtended, 0xD2);
  }
  return m;
}

struct Recorded {
  std::vector<int16_t> audio;
  std::vector<std::pair<int64_t, NoteTrigger>> triggers;  // with the frame of the buffer that reported them
};

// Plays the module through a feed that hands out `bufferFrames` at a time.
inline Recorded playInBuffersOf(int bufferFrames, int64_t totalFrames) {
  const std::vector<uint8_t> bytes = small_modules::bytes(busyModule());
  ModuleRenderer renderer;
  EXPECT_TRUE(renderer.loadMemory(bytes.data(), bytes.size(), kRate));
  struct Sink {
    Recorded* out;
    int64_t bufferStart = 0;
  } sink{nullptr};
  Recorded recorded;
  sink.out = &recorded;
  ModuleFeed feed(
      renderer,
      [](void* user, const NoteTrigger& t) {
        auto* s = static_cast<Sink*>(user);
        s->out->triggers.push_back({s->bufferStart, t});
      },
      &sink);
  std::vector<int16_t> buffer(static_cast<size_t>(bufferFrames) * 2);
  for (int64_t done = 0; done < totalFrames; done += bufferFrames) {
    sink.bufferStart = done;
    feed.fill(buffer.data(), bufferFrames);
    recorded.audio.insert(recorded.audio.end(), buffer.begin(), buffer.end());
  }
  return recorded;
}

}  // namespace feed_recording
