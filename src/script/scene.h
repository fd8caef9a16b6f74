// The content of the show: what one frame draws, chosen by the two
// instrument counters and, for the closing lines, by the elapsed show time.
#pragma once

#include <cstdint>

class DataController;
class Font;
struct FrameClock;

// The picture shown in the middle of the opening scene; kept across frames.
extern int32_t shownPictureIndex;

// Called before every read of instrument1Hits, when set: lets tests raise the
// count between two reads of one frame, as the audio thread may.
extern void (*beforeCounterRead)();
// The same for every read of instrument4Hits: each credit line reads it afresh.
extern void (*beforeInstrument4Read)();

// Clears the framebuffer and draws the whole frame for the current counts.
void runScene(DataController& data, const FrameClock& clock, const Font& font);
