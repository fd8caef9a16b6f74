// Which row events start a note, and on which tick. This is the rule behind
// the instrument counters: a note counts once, for the instrument it sounds
// with, on the tick where it starts. It reads libxmp's form of the pattern
// data, so it works for the modules libxmp loads.
#pragma once

#include <xmp.h>

#include <cstdint>

// One note start: the module channel and the instrument, counted from 0 as
// the original sound library did (a tracker's instrument 02 is 1 here).
struct NoteTrigger {
  uint8_t channel = 0;
  uint8_t instrument = 0;
};

inline constexpr int kMaxTriggersPerTick = XMP_MAX_CHANNELS;

// The tick within its row on which `event` starts a note, or -1 if it starts
// none: no note, a key-off/cut/fade, or a tone portamento (effect 3 or 5, or
// the volume column's), which glides the playing note instead. A note delay
// EDx starts the note on tick x.
int noteStartTick(const xmp_event& event);

// Follows a module tick by tick. Call onTick after every tick libxmp played,
// with the position it reports; the triggers that start on that tick are
// written to `out` (room for kMaxTriggersPerTick) in channel order.
class TriggerTracker {
 public:
  // Forgets every channel's instrument, as at the start of a module.
  void reset(int instrumentCount);

  int onTick(const xmp_module& module, int pattern, int row, int tick, NoteTrigger* out);

 private:
  struct PendingNote {
    int tick = -1;  // -1: nothing left to start in this row
    int instrument = -1;
  };

  void readRow(const xmp_module& module, int pattern, int row);

  int instrumentCount_ = 0;
  int currentInstrument_[XMP_MAX_CHANNELS] = {};  // -1 before a channel's first instrument
  PendingNote pending_[XMP_MAX_CHANNELS] = {};
};
