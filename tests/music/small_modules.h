// Small modules for the music tests: a few short instruments and one pattern
// that a test fills cell by cell.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xm/xm_module.h"
#include "xm/xm_writer.h"

namespace small_modules {

// A short decaying tone, long enough to be heard within a row.
inline xm::Instrument tone(const char* name) {
  xm::Instrument ins;
  ins.name = name;
  ins.sample.name = name;
  for (int i = 0; i < 2000; ++i) {
    const int level = 12000 * (2000 - i) / 2000;
    ins.sample.pcm16.push_back(static_cast<int16_t>((i / 20) % 2 == 0 ? level : -level));
  }
  return ins;
}

// `instruments` tones, `channels` channels, one pattern of `rows` rows.
inline xm::Module module(int channels, int rows, int instruments = 6, int speed = 6, int bpm = 125) {
  xm::Module m;
  m.name = "test";
  m.channels = channels;
  m.speed = speed;
  m.bpm = bpm;
  m.patterns.push_back(xm::Pattern(rows, channels));
  m.orders = {0};
  for (int i = 0; i < instruments; ++i) m.instruments.push_back(tone(("ins" + std::to_string(i + 1)).c_str()));
  return m;
}

// A note cell; `instrument` as a tracker numbers it (1-based, 0 = none).
inline xm::Cell cell(uint8_t note, uint8_t instrument, uint8_t effect = 0, uint8_t param = 0, uint8_t volume = 0) {
  xm::Cell c;
  c.note = note;
  c.instrument = instrument;
  c.effect = effect;
  c.param = param;
  c.volume = volume;
  return c;
}

inline constexpr uint8_t kC4 = xm::note(4, 0);
inline constexpr uint8_t kG4 = xm::note(4, 7);

inline std::vector<uint8_t> bytes(const xm::Module& m) {
  std::string error;
  return xm::writeModule(m, &error);
}

}  // namespace small_modules
