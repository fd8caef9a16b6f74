// The content of the show: what one frame draws, chosen by the two
// instrument counters and, for the closing lines, by the elapsed show time.
#pragma once

#include <cstdint>

class DataController;
class Font;
struct FrameClock;

// Called before every read of instrument1Hits, when set: lets tests change
// the count between two reads of one frame.
extern void (*beforeCounterRead)();
// The same for every read of instrument4Hits: each credit line reads it afresh.
extern void (*beforeInstrument4Read)();

// Clears the framebuffer and draws the whole frame for the current counts.
void runScene(DataController& data, const FrameClock& clock, const Font& font);
