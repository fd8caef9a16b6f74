// Inner loops of the blits and the text: runs of picture pixels (3 bytes,
// red first) packed into framebuffer words 0x00RRGGBB, and glyph stencils.
// On x86 four pixels are handled per instruction (SSSE3 for the packing,
// checked at run time; SSE2 for the stencil), eight where the processor has
// AVX2; elsewhere one at a time. All give the same words.
#pragma once

#include <cstdint>

#include "platform/processor_features.h"

namespace pixelruns {

// target[i] = pixel i, for i in [0, count).
void packRgbRun(const uint8_t* rgb, uint32_t* target, int64_t count);

// Like packRgbRun, but leaves target[i] as it is where every byte of key
// pixel i (3 bytes, may be rgb itself) is below 20.
void packKeyedRun(const uint8_t* rgb, const uint8_t* key, uint32_t* target, int64_t count);

// Sets target[i] to colour where glyph word i (0x00RRGGBB) has any channel
// at 50 or above, and leaves it elsewhere.
void stencilRun(const uint32_t* glyph, uint32_t* target, int64_t count, uint32_t colour);

// The one-pixel-at-a-time versions, used where SSSE3 is missing.
void packRgbRunScalar(const uint8_t* rgb, uint32_t* target, int64_t count);
void packKeyedRunScalar(const uint8_t* rgb, const uint8_t* key, uint32_t* target, int64_t count);
void stencilRunScalar(const uint32_t* glyph, uint32_t* target, int64_t count, uint32_t colour);

#if defined(__x86_64__) || defined(__i386__)
// The vector versions the dispatch picks from, callable only where the
// processor runs their instructions; named here so each can be tested.
void packRgbRunSsse3(const uint8_t* rgb, uint32_t* target, int64_t count);
void packKeyedRunSsse3(const uint8_t* rgb, const uint8_t* key, uint32_t* target, int64_t count);
void packRgbRunAvx2(const uint8_t* rgb, uint32_t* target, int64_t count);
void packKeyedRunAvx2(const uint8_t* rgb, const uint8_t* key, uint32_t* target, int64_t count);
#endif

}  // namespace pixelruns
