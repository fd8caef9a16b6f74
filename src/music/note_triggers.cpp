#include "music/note_triggers.h"

namespace {

// libxmp's effect numbers for the converted XM pattern data.
constexpr uint8_t kFxTonePorta = 0x03;
constexpr uint8_t kFxTonePortaVolSlide = 0x05;
constexpr uint8_t kFxExtended = 0x0E;
constexpr uint8_t kExNoteDelay = 0xD;

bool isTonePortamento(uint8_t type) { return type == kFxTonePorta || type == kFxTonePortaVolSlide; }

// The delay of an EDx in either effect slot; ED0 does not delay.
int noteDelay(const xmp_event& e) {
  if (e.fxt == kFxExtended && (e.fxp >> 4) == kExNoteDelay && (e.fxp & 0x0F) != 0) return e.fxp & 0x0F;
  if (e.f2t == kFxExtended && (e.f2p >> 4) == kExNoteDelay && (e.f2p & 0x0F) != 0) return e.f2p & 0x0F;
  return 0;
}

}  // namespace

int noteStartTick(const xmp_event& event) {
  // Notes are 1..XMP_MAX_KEYS; 0 is none and 0x81.. are key-off, cut and fade.
  if (event.note == 0 || event.note > XMP_MAX_KEYS) return -1;
  if (isTonePortamento(event.fxt) || isTonePortamento(event.f2t)) return -1;
  return noteDelay(event);
}

void TriggerTracker::reset(int instrumentCount) {
  instrumentCount_ = instrumentCount;
  for (int c = 0; c < XMP_MAX_CHANNELS; ++c) {
    currentInstrument_[c] = -1;
    pending_[c] = PendingNote{};
  }
}

void TriggerTracker::readRow(const xmp_module& module, int pattern, int row) {
  const bool validPattern = pattern >= 0 && pattern < module.pat;
  const int channels = module.chn < XMP_MAX_CHANNELS ? module.chn : XMP_MAX_CHANNELS;
  for (int c = 0; c < XMP_MAX_CHANNELS; ++c) pending_[c] = PendingNote{};
  if (!validPattern || row < 0) return;

  const xmp_pattern* pat = module.xxp[pattern];
  for (int c = 0; c < channels; ++c) {
    const int trackIndex = pat->index[c];
    if (trackIndex < 0 || trackIndex >= module.trk) continue;
    const xmp_track* track = module.xxt[trackIndex];
    if (row >= track->rows) continue;
    const xmp_event& event = track->event[row];

    // The row's instrument becomes the channel's instrument, whether or not
    // a note starts with it; a note without one sounds with the last one.
    if (event.ins != 0) currentInstrument_[c] = event.ins - 1;
    const int tick = noteStartTick(event);
    const int instrument = currentInstrument_[c];
    if (tick < 0 || instrument < 0 || instrument >= instrumentCount_ || instrument > 255) continue;
    pending_[c] = PendingNote{tick, instrument};
  }
}

int TriggerTracker::onTick(const xmp_module& module, int pattern, int row, int tick, NoteTrigger* out) {
  // Row events are read on a row's first tick; a delay that reaches past
  // the row's last tick never starts, since the next row replaces it.
  if (tick == 0) readRow(module, pattern, row);

  int count = 0;
  for (int c = 0; c < XMP_MAX_CHANNELS; ++c) {
    if (pending_[c].tick != tick) continue;
    out[count++] = NoteTrigger{static_cast<uint8_t>(c), static_cast<uint8_t>(pending_[c].instrument)};
    pending_[c].tick = -1;
  }
  return count;
}
