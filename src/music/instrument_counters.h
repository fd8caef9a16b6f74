// The two note-trigger counters that drive the scene script. One writer (the
// audio thread) and one reader (the main thread): relaxed atomics suffice.
#pragma once

#include <atomic>
#include <cstdint>

extern std::atomic<int32_t> instrument1Hits;
extern std::atomic<int32_t> instrument4Hits;

// The instrument callback: raises the counter of instrument 1 or 4 (numbered
// from 0, so the module's second and fifth instruments); others are ignored.
void countInstrumentHit(void* song, uint8_t instrument);
