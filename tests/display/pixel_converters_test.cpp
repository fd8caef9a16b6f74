#include "display/pixel_converters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "display/pixel_rows.h"
#include "guarded_memory.h"
#include "pixel_reference.h"

namespace {

using RowRoutine = void (*)(uint8_t*, const uint32_t*, size_t);

void portableCopy(const uint32_t* source, uint8_t* destination, int32_t count) {
  portable_rows::copy32(destination, source, static_cast<size_t>(count) * 4);
}

struct RowSet {
  const char* name;
  RowRoutine swap32, pack24, pack24Swapped, pack565, pack565Swapped, pack555, pack555Swapped;
};

// The portable rows, which the converters use on processors without SIMD
// rows; on x86-64 they are tested here beside the SSE2, SSSE3 and AVX2 rows
// (the last two where this processor runs them).
std::vector<RowSet> rowSets() {
  std::vector<RowSet> sets = {{"portable", portable_rows::swap32, portable_rows::pack24, portable_rows::pack24Swapped,
                               portable_rows::pack565, portable_rows::pack565Swapped, portable_rows::pack555,
                               portable_rows::pack555Swapped}};
#if PIXELFOLK_SIMD_ROWS
  sets.push_back({"SSE2", sse2_rows::swap32, sse2_rows::pack24, sse2_rows::pack24Swapped, sse2_rows::pack565,
                  sse2_rows::pack565Swapped, sse2_rows::pack555, sse2_rows::pack555Swapped});
  if (platform::processorHasSsse3()) {
    sets.push_back({"SSSE3", ssse3_rows::swap32, ssse3_rows::pack24, ssse3_rows::pack24Swapped, ssse3_rows::pack565,
                    ssse3_rows::pack565Swapped, ssse3_rows::pack555, ssse3_rows::pack555Swapped});
  }
  if (platform::processorHasAvx2()) {
    sets.push_back({"AVX2", nullptr, nullptr, nullptr, avx2_rows::pack565, avx2_rows::pack565Swapped,
                    avx2_rows::pack555, avx2_rows::pack555Swapped});
  }
#endif
  return sets;
}

RowRoutine routineFor(const RowSet& set, const std::string& name) {
  if (name == "32Bgr888") return set.swap32;
  if (name == "24Rgb888") return set.pack24;
  if (name == "24Bgr888") return set.pack24Swapped;
  if (name == "16Rgb565") return set.pack565;
  if (name == "16Bgr565") return set.pack565Swapped;
  if (name == "16Rgb555") return set.pack555;
  if (name == "16Bgr555") return set.pack555Swapped;
  return nullptr;
}

struct Implementation {
  std::string label;
  const ReferenceFormat* format;
  PixelConverter converter;  // nullptr: call `routine`
  RowRoutine routine;

  void operator()(const uint32_t* source, uint8_t* destination, int32_t count) const {
    if (converter != nullptr) {
      converter(source, destination, count);
    } else {
      routine(destination, source, static_cast<size_t>(count));
    }
  }
};

std::vector<Implementation> implementations() {
  std::vector<Implementation> all;
  for (const ReferenceFormat& format : referenceFormats()) {
    all.push_back({"convert" + format.name, &format, format.converter, nullptr});
    if (format.converter == convert32Rgb888) {
      all.push_back({"portable 32Rgb888", &format, portableCopy, nullptr});
      continue;
    }
    for (const RowSet& set : rowSets()) {
      const RowRoutine routine = routineFor(set, format.name);
      if (routine != nullptr) all.push_back({std::string(set.name) + " " + format.name, &format, nullptr, routine});
    }
  }
  return all;
}

std::vector<int32_t> rowLengths() {
  std::vector<int32_t> lengths;
  for (int32_t n = 0; n <= 70; ++n) lengths.push_back(n);
  lengths.push_back(640);
  return lengths;
}

// Random words, top byte included: every converter but the copy must ignore it.
std::vector<uint32_t> randomRow(std::mt19937& random, int32_t count) {
  std::vector<uint32_t> row(static_cast<size_t>(count));
  for (uint32_t& word : row) word = static_cast<uint32_t>(random());
  return row;
}

std::vector<uint8_t> expectedBytes(const ReferenceFormat& format, const std::vector<uint32_t>& row) {
  std::vector<uint8_t> bytes;
  for (const uint32_t word : row) {
    const auto pixel = format.pixel(word);
    bytes.insert(bytes.end(), pixel.begin(), pixel.begin() + format.bytesPerPixel);
  }
  return bytes;
}

// Index of the first differing byte, or -1.
long firstDifference(const uint8_t* actual, const std::vector<uint8_t>& expected) {
  for (size_t i = 0; i < expected.size(); ++i) {
    if (actual[i] != expected[i]) return static_cast<long>(i);
  }
  return -1;
}

TEST(PixelConverters, RowsEndingAtAGuardPageMatchTheReference) {
  constexpr size_t kMaxBytes = 640 * 4;
  GuardedMemory sourceMemory(kMaxBytes);
  GuardedMemory destinationMemory(kMaxBytes + 64);
  ASSERT_TRUE(sourceMemory.valid() && destinationMemory.valid());
  std::mt19937 random(20240601);

  for (const Implementation& impl : implementations()) {
    for (const int32_t count : rowLengths()) {
      const std::vector<uint32_t> row = randomRow(random, count);
      const std::vector<uint8_t> expected = expectedBytes(*impl.format, row);
      // The row's last word and the destination's last byte sit right before the guards.
      auto* source = reinterpret_cast<uint32_t*>(sourceMemory.end() - row.size() * 4);
      if (!row.empty()) std::memcpy(source, row.data(), row.size() * 4);
      uint8_t* destination = destinationMemory.end() - expected.size();
      std::memset(destination - 64, 0xA5, expected.size() + 64);

      impl(source, destination, count);

      EXPECT_EQ(firstDifference(destination, expected), -1) << impl.label << ", " << count << " pixels";
      for (int i = 1; i <= 64; ++i) {
        ASSERT_EQ(destination[-i], 0xA5) << impl.label << " wrote before its row, " << count << " pixels";
      }
    }
  }
}

TEST(PixelConverters, AnySourceAndDestinationAlignmentGivesTheSameRow) {
  constexpr size_t kSlack = 32;
  std::mt19937 random(77);
  for (const Implementation& impl : implementations()) {
    for (const int32_t count : rowLengths()) {
      const std::vector<uint32_t> row = randomRow(random, count);
      const std::vector<uint8_t> expected = expectedBytes(*impl.format, row);
      for (const size_t sourceOffset : {1, 2, 3, 4, 8, 12}) {
        for (const size_t destinationOffset : {0, 1, 3, 6, 8, 15}) {
          std::vector<uint8_t> sourceBytes(row.size() * 4 + kSlack);
          if (!row.empty()) std::memcpy(sourceBytes.data() + sourceOffset, row.data(), row.size() * 4);
          std::vector<uint8_t> destination(expected.size() + 2 * kSlack, 0x5A);

          impl(reinterpret_cast<const uint32_t*>(sourceBytes.data() + sourceOffset),
               destination.data() + kSlack + destinationOffset, count);

          const uint8_t* written = destination.data() + kSlack + destinationOffset;
          ASSERT_EQ(firstDifference(written, expected), -1) << impl.label << ", " << count << " pixels, source +"
                                                            << sourceOffset << ", destination +" << destinationOffset;
          for (size_t i = 0; i < destination.size(); ++i) {
            const bool inside = &destination[i] >= written && &destination[i] < written + expected.size();
            if (!inside) {
              ASSERT_EQ(destination[i], 0x5A) << impl.label << " wrote outside its row at " << i;
            }
          }
        }
      }
    }
  }
}

// The SIMD packs reach their 16-bit values by multiplies whose weights a
// random sample might not fault: every colour goes through every
// implementation of every format, each colour with a different top byte.
TEST(PixelConverters, EveryColourMatchesTheReference) {
  constexpr uint32_t kColours = 1u << 24;
  constexpr uint32_t kChunk = 1u << 16;
  std::vector<uint32_t> row(kChunk);
  std::vector<uint8_t> expected(kChunk * 4), actual(kChunk * 4);
  const std::vector<Implementation> all = implementations();
  for (const ReferenceFormat& format : referenceFormats()) {
    const size_t bytes = kChunk * static_cast<size_t>(format.bytesPerPixel);
    for (uint32_t first = 0; first < kColours; first += kChunk) {
      for (uint32_t i = 0; i < kChunk; ++i) {
        const uint32_t colour = first + i;
        row[i] = colour | (colour * 0x9E3779B1u) << 24;
        const auto pixel = format.pixel(row[i]);
        std::memcpy(&expected[i * format.bytesPerPixel], pixel.data(), static_cast<size_t>(format.bytesPerPixel));
      }
      for (const Implementation& impl : all) {
        if (impl.format != &format) continue;
        impl(row.data(), actual.data(), static_cast<int32_t>(kChunk));
        if (std::memcmp(actual.data(), expected.data(), bytes) != 0) {
          size_t i = 0;
          while (actual[i] == expected[i]) ++i;
          const uint32_t word = row[i / format.bytesPerPixel];
          FAIL() << impl.label << " differs for 0x" << std::hex << word;
        }
      }
    }
  }
}

TEST(PixelConverters, ZeroAndNegativeCountsTouchNothing) {
  // Only the converters take signed counts; the row routines take unsigned ones.
  for (const ReferenceFormat& format : referenceFormats()) {
    for (const int32_t count : {0, -1, -640}) {
      uint32_t source[4] = {0xFFFFFFFF, 1, 2, 3};
      uint8_t destination[16];
      std::memset(destination, 0x33, sizeof destination);
      format.converter(source, destination, count);
      for (const uint8_t byte : destination) ASSERT_EQ(byte, 0x33) << format.name << " with count " << count;
    }
  }
}

struct WorkedValue {
  uint32_t source;
  uint16_t rgb565, bgr565, rgb555, bgr555;
};

TEST(PixelConverters, WorkedSixteenBitValues) {
  const WorkedValue values[] = {
      {0x00123456, 0x11AA, 0x51A2, 0x08CA, 0x28C2},
      {0x00FF0000, 0xF800, 0x001F, 0x7C00, 0x001F},
      {0x00FFFFFF, 0xFFFF, 0xFFFF, 0x7FFF, 0x7FFF},
      {0x00070307, 0x0000, 0x0000, 0x0000, 0x0000},
      // Bits below the kept ones vanish: this is white in every 16-bit format.
      {0x00F8FCF8, 0xFFFF, 0xFFFF, 0x7FFF, 0x7FFF},
  };
  for (const WorkedValue& v : values) {
    // Eight copies so that the SIMD groups, not only the per-pixel rest, see the value.
    for (const int32_t count : {1, 8, 16}) {
      std::vector<uint32_t> row(static_cast<size_t>(count), v.source);
      const struct {
        PixelConverter converter;
        uint16_t expected;
      } cases[] = {{convert16Rgb565, v.rgb565},
                   {convert16Bgr565, v.bgr565},
                   {convert16Rgb555, v.rgb555},
                   {convert16Bgr555, v.bgr555}};
      for (const auto& c : cases) {
        std::vector<uint8_t> out(static_cast<size_t>(count) * 2);
        c.converter(row.data(), out.data(), count);
        for (int32_t i = 0; i < count; ++i) {
          ASSERT_EQ(out[2 * i] | out[2 * i + 1] << 8, c.expected)
              << pixelConverterName(c.converter) << std::hex << " of 0x" << v.source;
        }
      }
    }
  }
}

TEST(PixelConverters, SwappedThirtyTwoBitWorkedValue) {
  std::vector<uint32_t> row(9, 0x00123456);
  std::vector<uint32_t> out(9, 0xFFFFFFFF);
  convert32Bgr888(row.data(), reinterpret_cast<uint8_t*>(out.data()), 9);
  for (const uint32_t word : out) EXPECT_EQ(word, 0x00563412u);
}

// Text drawn with colour values above 255 leaves bits in the top byte.
TEST(PixelConverters, OnlyThePlainCopyKeepsTheTopByte) {
  for (const ReferenceFormat& format : referenceFormats()) {
    for (const uint32_t word : {0x01000000u, 0xFF000000u, 0x80123456u}) {
      std::vector<uint32_t> row(20, word);
      std::vector<uint8_t> withTop(20 * 4), withoutTop(20 * 4);
      format.converter(row.data(), withTop.data(), 20);
      std::vector<uint32_t> lowBits(20, word & 0xFFFFFF);
      format.converter(lowBits.data(), withoutTop.data(), 20);
      if (format.converter == convert32Rgb888) {
        uint32_t first;
        std::memcpy(&first, withTop.data(), 4);
        EXPECT_EQ(first, word) << "the plain copy writes the word unchanged";
      } else {
        EXPECT_EQ(withTop, withoutTop) << format.name << std::hex << " of 0x" << word;
      }
    }
  }
}

TEST(PixelConverters, SelectionByBitCountAndMasks) {
  for (const ReferenceFormat& format : referenceFormats()) {
    const PixelConverter selected =
        selectPixelConverter(format.bitCount, format.redMask, format.greenMask, format.blueMask);
    EXPECT_EQ(selected, format.converter) << format.name;
    EXPECT_EQ(pixelConverterName(selected), "convert" + format.name);
    EXPECT_EQ(pixelConverterBytesPerPixel(selected), format.bytesPerPixel) << format.name;
  }
}

TEST(PixelConverters, RefusedFormats) {
  const struct {
    const char* what;
    uint32_t bitCount, red, green, blue;
  } refused[] = {
      {"16 bits 4-4-4", 16, 0xF00, 0xF0, 0xF},
      {"8 bits", 8, 0xE0, 0x1C, 0x3},
      {"15 given as the bit count", 15, 0x7C00, 0x3E0, 0x1F},
      {"32 bits, masks in a third order", 32, 0xFF00, 0xFF, 0xFF0000},
      {"32 bits, 5-6-5 masks", 32, 0xF800, 0x7E0, 0x1F},
      {"24 bits, red and green swapped", 24, 0xFF00, 0xFF0000, 0xFF},
      {"16 bits, 8-8-8 masks", 16, 0xFF0000, 0xFF00, 0xFF},
      {"16 bits, 5-6-5 blue and green swapped", 16, 0xF800, 0x1F, 0x7E0},
      {"0 bits", 0, 0, 0, 0},
  };
  for (const auto& r : refused) {
    EXPECT_EQ(selectPixelConverter(r.bitCount, r.red, r.green, r.blue), nullptr) << r.what;
  }
  EXPECT_STREQ(pixelConverterName(nullptr), "none");
  EXPECT_EQ(pixelConverterBytesPerPixel(nullptr), 0);
}

}  // namespace
