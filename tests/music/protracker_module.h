// A 4-channel ProTracker module ("M.K.") written byte by byte: one sample and
// one pattern whose channel 0 plays that sample with an effect on every row.
// With its sample data cut off, the loader keeps the sample's length and
// loop (if it has one) but gives it no data.
#pragma once

#include <cstdint>
#include <vector>

namespace protracker {

constexpr int kSampleWords = 1000;  // lengths count 16-bit words
constexpr int kLoopWords = 500;

inline void put16(std::vector<uint8_t>& out, int value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

// effect/param on every row of channel 0; row 0 also starts the note.
// 0xE/0xF5 is the invert loop ("funk repeat") at its fastest speed.
inline std::vector<uint8_t> module(bool withSampleData, bool looped = true, uint8_t effect = 0xE,
                                   uint8_t param = 0xFF) {
  std::vector<uint8_t> out(20, 0);  // title
  for (int s = 0; s < 31; ++s) {
    out.insert(out.end(), 22, 0);  // name
    const bool used = s == 0;
    put16(out, used ? kSampleWords : 0);
    out.push_back(0);                             // finetune
    out.push_back(used ? 64 : 0);                 // volume
    put16(out, 0);                                // loop start
    put16(out, used && looped ? kLoopWords : 1);  // loop length; 1 means no loop
  }
  out.push_back(1);               // song length in orders
  out.push_back(0x7F);            // restart byte, unused
  out.insert(out.end(), 128, 0);  // order list: pattern 0
  for (char c : {'M', '.', 'K', '.'}) out.push_back(static_cast<uint8_t>(c));
  constexpr int kPeriodC2 = 428;
  for (int row = 0; row < 64; ++row) {
    for (int channel = 0; channel < 4; ++channel) {
      if (channel != 0) {
        out.insert(out.end(), 4, 0);
        continue;
      }
      const int period = row == 0 ? kPeriodC2 : 0;
      const int sample = row == 0 ? 1 : 0;
      out.push_back(static_cast<uint8_t>((sample & 0xF0) | (period >> 8)));
      out.push_back(static_cast<uint8_t>(period));
      out.push_back(static_cast<uint8_t>(((sample & 0x0F) << 4) | effect));
      out.push_back(param);
    }
  }
  if (withSampleData) {
    for (int i = 0; i < 2 * kSampleWords; ++i) out.push_back(static_cast<uint8_t>((i / 8) % 2 == 0 ? 0x50 : 0xB0));
  }
  return out;
}

}  // namespace protracker
