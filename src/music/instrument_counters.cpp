#include "music/instrument_counters.h"

std::atomic<int32_t> instrument1Hits{0};
std::atomic<int32_t> instrument4Hits{0};

void countInstrumentHit(void* /*song*/, uint8_t instrument) {
  if (instrument == 1) {
    instrument1Hits.fetch_add(1, std::memory_order_relaxed);
  } else if (instrument == 4) {
    instrument4Hits.fetch_add(1, std::memory_order_relaxed);
  }
}
