// Bytes through the capture's run-length zlib writer, read back by zlib: the
// same bytes must come out, and zlib must end its reading at the stream's
// last byte. One writer serves every input, as one serves every frame of a
// capture thread.
//
// An input whose first byte is below 0x80 is the data itself, after that
// byte. Any other input lays out data of up to three 128 KiB blocks, so that
// a few bytes reach the block boundaries and the end of the last block, where
// a run search can look too far:
//   byte 1      whole blocks (low 2 bits) and the number of byte values the
//               background takes (1 + the upper 6 bits: few give runs by chance)
//   byte 2      signed: bytes added to or taken from the whole blocks
//   bytes 3..6  seed of the background
//   then 6 bytes per run: where it is measured from (low 2 bits: the start,
//   the first block boundary, the second, the end), a signed 16-bit offset
//   from there, a 16-bit length and the byte that repeats (all little-endian).
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "deflate_rle.h"

namespace {

constexpr ptrdiff_t kBlock = ZlibRleWriter::kBlockBytes;
constexpr size_t kHeaderBytes = 7;
constexpr size_t kRunBytes = 6;

uint16_t read16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

std::vector<uint8_t> layOut(const uint8_t* data, size_t size) {
  if (size < kHeaderBytes) return {};
  const uint32_t values = 1 + (data[1] >> 2);
  const ptrdiff_t length = (data[1] & 3) * kBlock + static_cast<int8_t>(data[2]);
  std::vector<uint8_t> out(static_cast<size_t>(std::max<ptrdiff_t>(length, 0)));
  uint32_t state = (read16(data + 3) | static_cast<uint32_t>(read16(data + 5)) << 16) | 1;
  for (uint8_t& b : out) {
    state ^= state << 13;  // xorshift32
    state ^= state >> 17;
    state ^= state << 5;
    b = static_cast<uint8_t>((state >> 8) % values);
  }
  const ptrdiff_t end = static_cast<ptrdiff_t>(out.size());
  const ptrdiff_t anchors[4] = {0, kBlock, 2 * kBlock, end};
  for (const uint8_t* run = data + kHeaderBytes; run + kRunBytes <= data + size; run += kRunBytes) {
    const ptrdiff_t at = anchors[run[0] & 3] + static_cast<int16_t>(read16(run + 1));
    if (at < 0 || at >= end) continue;
    std::fill_n(out.begin() + at, std::min<ptrdiff_t>(read16(run + 3), end - at), run[5]);
  }
  return out;
}

[[noreturn]] void fail(const char* what, size_t size) {
  std::fprintf(stderr, "deflate_rle: %s (%zu bytes in)\n", what, size);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const bool asIs = size == 0 || data[0] < 0x80;
  const std::vector<uint8_t> input = asIs ? std::vector<uint8_t>(data + (size > 0), data + size) : layOut(data, size);
  static ZlibRleWriter writer;
  constexpr uint8_t kBefore = 0x5A;  // the writer appends to what is there
  std::vector<uint8_t> stream = {kBefore};
  writer.append(input.data(), input.size(), &stream);
  if (stream[0] != kBefore) fail("overwrote what was before the stream", input.size());

  std::vector<uint8_t> back(input.size() + 1);
  uLongf backSize = static_cast<uLongf>(back.size());
  uLong streamSize = static_cast<uLong>(stream.size() - 1);
  const int status = uncompress2(back.data(), &backSize, stream.data() + 1, &streamSize);
  if (status != Z_OK) fail(zError(status), input.size());
  if (streamSize != stream.size() - 1) fail("bytes after the end of the stream", input.size());
  if (backSize != input.size() || !std::equal(input.begin(), input.end(), back.begin())) {
    fail("inflated to other bytes", input.size());
  }
  return 0;
}
