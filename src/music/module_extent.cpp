#include "music/module_extent.h"

#include <cstring>

namespace {

constexpr char kXmId[] = "Extended Module: ";
constexpr size_t kXmIdLength = sizeof kXmId - 1;
constexpr int kFirstVersionWithSamplesAfterEachInstrument = 0x0104;
constexpr int kMaxPatterns = 256;
constexpr int kMaxInstruments = 255;
constexpr int kMaxSamplesPerInstrument = 32;
constexpr int64_t kInstrumentHeaderBytes = 29;  // size, name, type, sample count
constexpr int64_t kSampleHeaderBytes = 40;
constexpr uint8_t kAdpcmMark = 0xAD;  // ModPlug's packed samples: 16 bytes of table, 4 bits a sample

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint32_t le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

ModuleExtent measureXmExtent(int64_t fileSize, const ModuleBytes& read) {
  uint8_t header[80];
  if (!read(0, header, sizeof header) || std::memcmp(header, kXmId, kXmIdLength) != 0 ||
      le16(header + 58) < kFirstVersionWithSamplesAfterEachInstrument) {
    return {};
  }
  const int patterns = le16(header + 70);
  const int instruments = le16(header + 72);
  if (patterns > kMaxPatterns || instruments > kMaxInstruments) return {};

  // Patterns come first, each a header whose first field is its own length,
  // then its packed data.
  int64_t at = 60 + int64_t{le32(header + 60)};
  for (int p = 0; p < patterns && at < fileSize; ++p) {
    uint8_t pattern[9];
    if (!read(at, pattern, sizeof pattern)) {
      at = fileSize;
      break;
    }
    at += int64_t{le32(pattern)} + le16(pattern + 7);
  }

  // Then each instrument: its header, the headers of its samples, their data.
  ModuleExtent extent;
  for (int i = 0; i < instruments; ++i) {
    uint8_t instrument[kInstrumentHeaderBytes];
    if (at >= fileSize || !read(at, instrument, sizeof instrument)) {
      ++extent.announcedSamples;
      ++extent.missingSamples;
      at = fileSize;
      continue;
    }
    const int64_t instrumentBytes = le32(instrument);
    const int samples = le16(instrument + 27);
    if (instrumentBytes < kInstrumentHeaderBytes || samples > kMaxSamplesPerInstrument) return {};
    extent.announcedSamples += samples;
    int64_t data = at + instrumentBytes + kSampleHeaderBytes * samples;
    for (int s = 0; s < samples; ++s) {
      uint8_t sample[kSampleHeaderBytes];
      if (!read(at + instrumentBytes + kSampleHeaderBytes * s, sample, sizeof sample)) {
        extent.missingSamples += samples - s;
        data = fileSize;
        break;
      }
      const uint32_t length = le32(sample);
      data += sample[17] == kAdpcmMark ? 16 + (int64_t{length} + 1) / 2 : int64_t{length};
      if (length > 0 && data > fileSize) ++extent.missingSamples;
    }
    at = data;
  }
  return extent;
}
