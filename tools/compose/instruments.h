// The soundtrack's instruments, synthesised from scratch. Their order is the
// module's instrument order; two of them drive the show: kPluck is
// instrument 1 and kBass instrument 4 when counted from 0.
#pragma once

#include <vector>

#include "xm/xm_module.h"

namespace soundtrack {

enum InstrumentIndex : int {
  kKick = 0,
  kPluck = 1,  // the arpeggio: its notes move the show from scene to scene
  kHat = 2,
  kClap = 3,
  kBass = 4,  // its notes bring in the credits
  kPad = 5,
  kLead = 6,
  kCrash = 7,
  kOpenHat = 8,
  kRiser = 9,
  kInstrumentCount
};

// The tracker's 1-based number of an instrument, as written in pattern cells.
constexpr uint8_t trackerNumber(InstrumentIndex index) { return static_cast<uint8_t>(index + 1); }

std::vector<xm::Instrument> makeInstruments();

}  // namespace soundtrack
