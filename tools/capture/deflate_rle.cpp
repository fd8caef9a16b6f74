#include "deflate_rle.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

namespace {

// Input bytes per block: small enough that each block's codes follow the
// picture's local colours, large enough that the code tables cost little.
constexpr size_t kBlockBytes = 128 * 1024;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr int kLitLenSymbols = 286;
constexpr int kEndOfBlock = 256;
constexpr int kMaxCodeBits = 15;
constexpr int kMaxCodeLengthBits = 7;

// Length symbols 257..285: the shortest length of each and its extra bits.
constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
// The order in which the code-length code's lengths are sent.
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

struct LengthCode {
  uint16_t symbol;
  uint8_t extraBits;
  uint16_t extraValue;
};

// Every match length 3..258 to its symbol and extra bits, built once.
const std::array<LengthCode, kMaxMatch + 1> kLengthCodes = [] {
  std::array<LengthCode, kMaxMatch + 1> table{};
  for (int code = 0; code < 29; ++code) {
    const int count = code == 28 ? 1 : 1 << kLengthExtra[code];
    for (int k = 0; k < count && kLengthBase[code] + k <= kMaxMatch; ++k) {
      // 258 has its own symbol (285); 227 + 31 would also reach it.
      if (kLengthBase[code] + k == kMaxMatch && code != 28) continue;
      table[kLengthBase[code] + k] = {static_cast<uint16_t>(257 + code), kLengthExtra[code], static_cast<uint16_t>(k)};
    }
  }
  return table;
}();

// Writes into memory the caller sized with zlibRleBound, so nothing is
// checked or grown per bit.
class BitWriter {
 public:
  explicit BitWriter(uint8_t* out) : start_(out), out_(out) {}

  // Adds the low `count` bits of `bits`, least significant first; count <= 32.
  void put(uint32_t bits, int count) {
    buffer_ |= static_cast<uint64_t>(bits) << filled_;
    filled_ += count;
    if (filled_ >= 32) {
      const uint32_t low = static_cast<uint32_t>(buffer_);
      out_[0] = static_cast<uint8_t>(low);
      out_[1] = static_cast<uint8_t>(low >> 8);
      out_[2] = static_cast<uint8_t>(low >> 16);
      out_[3] = static_cast<uint8_t>(low >> 24);
      out_ += 4;
      buffer_ >>= 32;
      filled_ -= 32;
    }
  }

  // Pads the last byte with zero bits; returns the bytes written.
  size_t flush() {
    while (filled_ > 0) {
      *out_++ = static_cast<uint8_t>(buffer_);
      buffer_ >>= 8;
      filled_ = std::max(0, filled_ - 8);
    }
    return static_cast<size_t>(out_ - start_);
  }

 private:
  uint8_t* start_;
  uint8_t* out_;
  uint64_t buffer_ = 0;
  int filled_ = 0;
};

// Huffman code lengths for `freq`, none above `limit` bits. Symbols with no
// count get length 0; at least two symbols get a code so that the code is
// complete, as every inflater accepts.
void buildLengths(const uint32_t* freq, int n, int limit, uint8_t* lengths) {
  std::vector<uint32_t> f(freq, freq + n);
  int used = 0;
  for (int i = 0; i < n; ++i) used += f[i] != 0;
  for (int i = 0; used < 2 && i < n; ++i) {
    if (f[i] == 0) {
      f[i] = 1;
      ++used;
    }
  }
  while (true) {
    // Plain Huffman: repeatedly join the two lightest nodes (two sorted queues).
    struct Node {
      uint64_t weight;
      int parent;
    };
    std::vector<Node> nodes;
    std::vector<int> leaves;
    for (int i = 0; i < n; ++i) {
      if (f[i] != 0) leaves.push_back(i);
    }
    std::stable_sort(leaves.begin(), leaves.end(), [&](int a, int b) { return f[a] < f[b]; });
    for (int s : leaves) nodes.push_back({f[s], -1});
    const size_t leafCount = nodes.size();
    size_t nextLeaf = 0, nextInner = leafCount;
    auto lightest = [&]() {
      if (nextLeaf < leafCount && (nextInner >= nodes.size() || nodes[nextLeaf].weight <= nodes[nextInner].weight)) {
        return static_cast<int>(nextLeaf++);
      }
      return static_cast<int>(nextInner++);
    };
    nodes.reserve(2 * leafCount);
    for (size_t joined = 1; joined < leafCount; ++joined) {
      const int a = lightest();
      const int b = lightest();
      nodes.push_back({nodes[a].weight + nodes[b].weight, -1});
      nodes[a].parent = nodes[b].parent = static_cast<int>(nodes.size() - 1);
    }
    std::vector<int> depth(nodes.size(), 0);
    int longest = 0;
    for (int i = static_cast<int>(nodes.size()) - 2; i >= 0; --i) {
      depth[i] = depth[nodes[i].parent] + 1;
      longest = std::max(longest, depth[i]);
    }
    if (longest <= limit) {
      std::fill(lengths, lengths + n, 0);
      for (size_t i = 0; i < leafCount; ++i) lengths[leaves[i]] = static_cast<uint8_t>(depth[i]);
      return;
    }
    // Too deep: flatten the counts and build again.
    for (int i = 0; i < n; ++i) {
      if (f[i] != 0) f[i] = (f[i] >> 1) | 1;
    }
  }
}

// Canonical codes for the lengths, bit-reversed for a least-significant-first writer.
void buildCodes(const uint8_t* lengths, int n, uint16_t* codes) {
  int count[kMaxCodeBits + 1] = {};
  for (int i = 0; i < n; ++i) ++count[lengths[i]];
  count[0] = 0;
  int next[kMaxCodeBits + 2] = {};
  int code = 0;
  for (int bits = 1; bits <= kMaxCodeBits; ++bits) {
    code = (code + count[bits - 1]) << 1;
    next[bits] = code;
  }
  for (int i = 0; i < n; ++i) {
    const int len = lengths[i];
    if (len == 0) continue;
    uint32_t c = static_cast<uint32_t>(next[len]++), reversed = 0;
    for (int b = 0; b < len; ++b) {
      reversed = (reversed << 1) | (c & 1);
      c >>= 1;
    }
    codes[i] = static_cast<uint16_t>(reversed);
  }
}

// How many bytes from `data` on repeat `b`, counting up to `limit`.
size_t runOf(const uint8_t* data, uint8_t b, size_t limit) {
  const uint64_t pattern = 0x0101010101010101ULL * b;
  size_t run = 0;
  while (std::endian::native == std::endian::little && run + 8 <= limit) {
    uint64_t chunk;
    std::memcpy(&chunk, data + run, 8);
    const uint64_t diff = chunk ^ pattern;
    // Little-endian: the first differing byte holds the lowest set bit.
    if (diff != 0) return run + static_cast<size_t>(std::countr_zero(diff)) / 8;
    run += 8;
  }
  while (run < limit && data[run] == b) ++run;
  return run;
}

// Token: a literal byte (below 256) or a match, 256 + its length. Returns
// the token count, at most `size`.
size_t tokenize(const uint8_t* data, size_t size, uint16_t* tokens, uint32_t* freq) {
  size_t count = 0;
  size_t i = 0;
  while (i < size) {
    const uint8_t b = data[i];
    tokens[count++] = b;
    ++freq[b];
    ++i;
    if (i + 1 >= size || data[i] != b || data[i + 1] != b) continue;  // most bytes start no run
    const size_t run = runOf(data + i, b, std::min(size - i, static_cast<size_t>(kMaxMatch)));
    if (run >= static_cast<size_t>(kMinMatch)) {
      tokens[count++] = static_cast<uint16_t>(256 + run);
      ++freq[kLengthCodes[run].symbol];
      i += run;
    }
  }
  return count;
}

void writeBlock(const uint8_t* data, size_t size, bool last, uint16_t* tokens, BitWriter& out) {
  uint32_t freq[kLitLenSymbols] = {};
  const size_t tokenCount = tokenize(data, size, tokens, freq);
  freq[kEndOfBlock] = 1;

  uint8_t litLengths[kLitLenSymbols];
  buildLengths(freq, kLitLenSymbols, kMaxCodeBits, litLengths);
  uint16_t litCodes[kLitLenSymbols] = {};
  buildCodes(litLengths, kLitLenSymbols, litCodes);
  int litCount = kLitLenSymbols;
  while (litCount > 257 && litLengths[litCount - 1] == 0) --litCount;

  // One distance code, 0 (distance 1), sent as one bit: the only distance
  // every match here has.
  uint8_t lengths[kLitLenSymbols + 1];
  std::memcpy(lengths, litLengths, static_cast<size_t>(litCount));
  lengths[litCount] = 1;
  const int lengthCount = litCount + 1;

  uint32_t clFreq[19] = {};
  for (int i = 0; i < lengthCount; ++i) ++clFreq[lengths[i]];
  uint8_t clLengths[19];
  buildLengths(clFreq, 19, kMaxCodeLengthBits, clLengths);
  uint16_t clCodes[19] = {};
  buildCodes(clLengths, 19, clCodes);
  int clCount = 19;
  while (clCount > 4 && clLengths[kCodeLengthOrder[clCount - 1]] == 0) --clCount;

  out.put(last ? 1 : 0, 1);
  out.put(2, 2);  // dynamic Huffman codes
  out.put(static_cast<uint32_t>(litCount - 257), 5);
  out.put(0, 5);  // one distance code
  out.put(static_cast<uint32_t>(clCount - 4), 4);
  for (int i = 0; i < clCount; ++i) out.put(clLengths[kCodeLengthOrder[i]], 3);
  for (int i = 0; i < lengthCount; ++i) out.put(clCodes[lengths[i]], clLengths[lengths[i]]);

  // Every token's whole bit string, looked up once per token: a literal's
  // code, or a length's code, its extra bits and the one-bit distance code 0.
  uint32_t tokenBits[256 + kMaxMatch + 1];
  uint8_t tokenBitCount[256 + kMaxMatch + 1];
  for (int b = 0; b < 256; ++b) {
    tokenBits[b] = litCodes[b];
    tokenBitCount[b] = litLengths[b];
  }
  for (int length = kMinMatch; length <= kMaxMatch; ++length) {
    const LengthCode& lc = kLengthCodes[length];
    const int codeBits = litLengths[lc.symbol];
    tokenBits[256 + length] = litCodes[lc.symbol] | static_cast<uint32_t>(lc.extraValue) << codeBits;
    tokenBitCount[256 + length] = static_cast<uint8_t>(codeBits + lc.extraBits + 1);
  }
  for (size_t t = 0; t < tokenCount; ++t) out.put(tokenBits[tokens[t]], tokenBitCount[tokens[t]]);
  out.put(litCodes[kEndOfBlock], litLengths[kEndOfBlock]);
}

}  // namespace

size_t zlibRleBound(size_t size) {
  // A literal takes at most 15 bits and a match (3 bytes or more) at most
  // 21; each block adds at most 330 bytes of code tables, the stream 6.
  const size_t blocks = size / kBlockBytes + 1;
  return size * 2 + blocks * 330 + 6 + 8;
}

size_t writeZlibRle(const uint8_t* data, size_t size, uint16_t* tokens, uint8_t* out) {
  out[0] = 0x78;  // deflate, 32 KiB window
  out[1] = 0x01;  // fastest compression; 0x7801 is a multiple of 31
  BitWriter bits(out + 2);
  size_t at = 0;
  do {
    const size_t n = std::min(kBlockBytes, size - at);
    writeBlock(data + at, n, at + n == size, tokens, bits);
    at += n;
  } while (at < size);
  uint8_t* end = out + 2 + bits.flush();
  const uint32_t adler = libdeflate_adler32(1, data, size);
  for (int shift = 24; shift >= 0; shift -= 8) *end++ = static_cast<uint8_t>(adler >> shift);
  return static_cast<size_t>(end - out);
}

void ZlibRleWriter::append(const uint8_t* data, size_t size, std::vector<uint8_t>* out) {
  const size_t bound = zlibRleBound(size);
  if (bound > scratchSize_) {
    scratch_ = std::make_unique<uint8_t[]>(bound);
    scratchSize_ = bound;
  }
  if (!tokens_) tokens_ = std::make_unique<uint16_t[]>(kBlockBytes);
  const size_t n = writeZlibRle(data, size, tokens_.get(), scratch_.get());
  out->insert(out->end(), scratch_.get(), scratch_.get() + n);
}
