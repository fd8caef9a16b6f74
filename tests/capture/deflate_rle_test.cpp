// The run-length zlib writer read back by zlib itself, on the inputs where a
// deflate writer goes wrong: empty and tiny inputs, runs at each length-code
// boundary, runs longer than one match, and data across several blocks.
#include "deflate_rle.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> inflateAll(const std::vector<uint8_t>& stream, size_t expectedSize, int* status) {
  std::vector<uint8_t> out(expectedSize + 1);
  uLongf outSize = static_cast<uLongf>(out.size());
  *status = uncompress(out.data(), &outSize, stream.data(), static_cast<uLong>(stream.size()));
  out.resize(outSize);
  return out;
}

std::vector<uint8_t> runs(std::initializer_list<std::pair<uint8_t, size_t>> parts) {
  std::vector<uint8_t> data;
  for (const auto& [value, count] : parts) data.insert(data.end(), count, value);
  return data;
}

}  // namespace

TEST(ZlibRle, ZlibReadsBackEveryInput) {
  std::mt19937 random(3);
  std::vector<uint8_t> noise(300000);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(random() % 7);  // short runs by chance
  // A run that begins two bytes before the 128 KiB block boundary, and runs
  // in the last bytes of the input, where a 16-byte search window no longer fits.
  std::vector<uint8_t> acrossBlocks(noise.begin(), noise.begin() + 131070);
  acrossBlocks.insert(acrossBlocks.end(), 10, 0xC3);
  for (int tail = 0; tail < 24; ++tail) acrossBlocks.push_back(tail % 5 < 4 ? 9 : 1);
  std::vector<uint8_t> mixed;
  for (size_t length = 1; length < 600; length += 1) mixed.insert(mixed.end(), length, static_cast<uint8_t>(length));

  const struct {
    const char* name;
    std::vector<uint8_t> data;
  } cases[] = {
      {"empty", {}},
      {"one byte", {42}},
      {"two equal", runs({{7, 2}})},
      {"run of 3 and 4", runs({{1, 3}, {2, 4}})},
      {"run of 11 and 12", runs({{1, 11}, {2, 12}, {3, 1}})},  // the first lengths with extra bits
      {"runs around 258", runs({{5, 258}, {6, 259}, {7, 260}, {8, 227}, {9, 257}})},
      {"one long run", runs({{0, 1000000}})},
      {"every run length", mixed},
      {"noise over several blocks", noise},
      {"runs across a block boundary and in the tail", acrossBlocks},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> stream = {0xAA};  // appended after what is there
    ZlibRleWriter writer;
    writer.append(c.data.data(), c.data.size(), &stream);
    ASSERT_EQ(stream[0], 0xAA);
    stream.erase(stream.begin());
    int status = Z_DATA_ERROR;
    const std::vector<uint8_t> back = inflateAll(stream, c.data.size(), &status);
    EXPECT_EQ(status, Z_OK);
    EXPECT_EQ(back, c.data);
  }
}

// Every input length from 32 bytes short of the block size to 32 past it,
// each with runs starting at each of the 24 bytes before the end of the first
// block and before the end of the input: there the 16-byte run search (which
// reads 19 bytes) must stop short, and runs are cut off. A run near the start
// shifts the search windows with the length, so that they end at every
// position relative to the block's end.
TEST(ZlibRle, RunsNearTheEndOfABlockAtEveryInputLength) {
  constexpr size_t kBlock = ZlibRleWriter::kBlockBytes;
  std::vector<uint8_t> background(kBlock + 32);
  // Neighbours differ by 37 or 38: no runs but those placed.
  for (size_t i = 0; i < background.size(); ++i) background[i] = static_cast<uint8_t>(i * 37 + i / 256);
  ZlibRleWriter writer;
  std::vector<uint8_t> data, stream;
  for (size_t length = kBlock - 32; length <= kBlock + 32; ++length) {
    const size_t blockEnd = std::min(length, kBlock);
    for (size_t before = 1; before <= 24; ++before) {
      data.assign(background.begin(), background.begin() + static_cast<ptrdiff_t>(length));
      std::fill_n(data.begin() + 64, 4 + length % 16, 0xA5);
      std::fill_n(data.begin() + static_cast<ptrdiff_t>(blockEnd - before),
                  std::min<size_t>(8, length - blockEnd + before), 0xC3);
      std::fill_n(data.end() - static_cast<ptrdiff_t>(before), before, 0x3C);
      stream.clear();
      writer.append(data.data(), data.size(), &stream);
      int status = Z_DATA_ERROR;
      const bool same = inflateAll(stream, data.size(), &status) == data;
      // The first failure ends the test: one broken case tells enough.
      ASSERT_EQ(status, Z_OK) << length << " bytes, runs " << before << " bytes before the ends";
      ASSERT_TRUE(same) << length << " bytes, runs " << before << " bytes before the ends";
    }
  }
}

TEST(ZlibRle, RunsCompressAndOutputRepeats) {
  const std::vector<uint8_t> flat = runs({{0, 1000000}});
  std::vector<uint8_t> first, second;
  ZlibRleWriter writer;
  writer.append(flat.data(), flat.size(), &first);
  writer.append(flat.data(), flat.size(), &second);
  EXPECT_LT(first.size(), 4000u);  // a few bits per 259 bytes, and a code table per block
  EXPECT_EQ(first, second);
}
