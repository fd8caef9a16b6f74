#include "deflate_rle.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#if defined(__x86_64__) && defined(__SSE2__)
#include <emmintrin.h>
#define PIXELFOLK_DEFLATE_SSE2 1
#else
#define PIXELFOLK_DEFLATE_SSE2 0
#endif

namespace {

constexpr size_t kBlockBytes = ZlibRleWriter::kBlockBytes;
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

// Bits go out least significant first through a 64-bit buffer that is
// stored whole and then advanced by the bytes it filled, so nothing
// branches per code. The caller keeps the state in locals in its loops:
// behind a reference the compiler would reload it around every store.
struct BitState {
  uint8_t* out;
  uint64_t buffer = 0;
  int filled = 0;  // at most 7 between codes

  // Adds the low `count` bits of `bits`; at most 56 bits go in between
  // flushes, so the buffer never overflows.
  void add(uint64_t bits, int count) {
    buffer |= bits << filled;
    filled += count;
  }
  // Stores the whole bytes. It writes 8 bytes whatever it keeps, which the
  // output bound allows for.
  void flush() {
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(out, &buffer, 8);
    } else {
      for (int k = 0; k < 8; ++k) out[k] = static_cast<uint8_t>(buffer >> (8 * k));
    }
    out += filled >> 3;
    buffer >>= filled & ~7;
    filled &= 7;
  }
  void put(uint32_t bits, int count) {
    add(bits, count);
    flush();
  }
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

// Whether a run starts at each of the 16 positions from `data`: the byte
// there repeats in the three after it. Reads 19 bytes.
inline uint32_t runStarts16(const uint8_t* data) {
#if PIXELFOLK_DEFLATE_SSE2
  auto load = [](const uint8_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); };
  const __m128i a = load(data);
  const __m128i same =
      _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(a, load(data + 1)), _mm_cmpeq_epi8(a, load(data + 2))),
                    _mm_cmpeq_epi8(a, load(data + 3)));
  return static_cast<uint32_t>(_mm_movemask_epi8(same));
#else
  uint32_t starts = 0;
  for (int k = 0; k < 16; ++k) {
    const uint8_t b = data[k];
    starts |= static_cast<uint32_t>(data[k + 1] == b && data[k + 2] == b && data[k + 3] == b) << k;
  }
  return starts;
#endif
}

// Byte counts in four tables taken in turn, so that a repeated byte does
// not wait for its own count's previous increment.
struct LiteralCounts {
  uint32_t table[4][256] = {};

  void add(const uint8_t* data, size_t n) {
    size_t k = 0;
    for (; k + 4 <= n; k += 4) {
      ++table[0][data[k]];
      ++table[1][data[k + 1]];
      ++table[2][data[k + 2]];
      ++table[3][data[k + 3]];
    }
    for (; k < n; ++k) ++table[0][data[k]];
  }

  void addTo(uint32_t* freq) const {
    for (int b = 0; b < 256; ++b) freq[b] += table[0][b] + table[1][b] + table[2][b] + table[3][b];
  }
};

// A match: the byte at `at` (sent as a literal) repeated `length` times after it.
struct Match {
  uint32_t at;
  uint32_t length;
};

// Finds the matches of one block and counts every symbol it will send. A
// match starts wherever a byte repeats at least three times after it;
// everything else is a literal. Returns the match count, at most size / 4.
size_t findMatches(const uint8_t* data, size_t size, Match* matches, uint32_t* freq) {
  LiteralCounts literals;
  size_t count = 0;
  size_t i = 0;  // every byte before i has been counted
  while (i < size) {
    // The next run start at or after i, or size.
    size_t start = i;
    uint32_t starts = 0;
    while (start + 19 <= size && (starts = runStarts16(data + start)) == 0) start += 16;
    if (starts != 0) {
      start += static_cast<size_t>(std::countr_zero(starts));
    } else {
      for (; start + 3 < size; ++start) {
        const uint8_t b = data[start];
        if (data[start + 1] == b && data[start + 2] == b && data[start + 3] == b) break;
      }
      if (start + 3 >= size) start = size;
    }
    if (start == size) {
      literals.add(data + i, size - i);
      break;
    }
    literals.add(data + i, start + 1 - i);
    const size_t run = runOf(data + start + 1, data[start], std::min(size - start - 1, static_cast<size_t>(kMaxMatch)));
    matches[count++] = {static_cast<uint32_t>(start), static_cast<uint32_t>(run)};
    ++freq[kLengthCodes[run].symbol];
    i = start + 1 + run;
  }
  literals.addTo(freq);
  return count;
}

// Literal codes as code | length << 16.
void putLiterals(const uint8_t* data, size_t n, const uint32_t* codes, BitState& bits) {
  BitState s = bits;
  size_t k = 0;
  // Three codes of at most 15 bits fit the buffer between flushes.
  for (; k + 3 <= n; k += 3) {
    const uint32_t a = codes[data[k]], b = codes[data[k + 1]], c = codes[data[k + 2]];
    s.add(a & 0xFFFF, static_cast<int>(a >> 16));
    s.add(b & 0xFFFF, static_cast<int>(b >> 16));
    s.add(c & 0xFFFF, static_cast<int>(c >> 16));
    s.flush();
  }
  for (; k < n; ++k) s.put(codes[data[k]] & 0xFFFF, static_cast<int>(codes[data[k]] >> 16));
  bits = s;
}

void writeBlock(const uint8_t* data, size_t size, bool last, Match* matches, BitState& bits) {
  uint32_t freq[kLitLenSymbols] = {};
  const size_t matchCount = findMatches(data, size, matches, freq);
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

  BitState s = bits;
  s.put(last ? 1 : 0, 1);
  s.put(2, 2);  // dynamic Huffman codes
  s.put(static_cast<uint32_t>(litCount - 257), 5);
  s.put(0, 5);  // one distance code
  s.put(static_cast<uint32_t>(clCount - 4), 4);
  for (int i = 0; i < clCount; ++i) s.put(clLengths[kCodeLengthOrder[i]], 3);
  for (int i = 0; i < lengthCount; ++i) s.put(clCodes[lengths[i]], clLengths[lengths[i]]);

  // Each literal's code, and each match length's whole bit string: its
  // length code, the extra bits and the one-bit distance code 0.
  uint32_t literalCodes[256];
  for (int b = 0; b < 256; ++b) literalCodes[b] = litCodes[b] | static_cast<uint32_t>(litLengths[b]) << 16;
  uint32_t matchBits[kMaxMatch + 1];
  uint8_t matchBitCount[kMaxMatch + 1];
  for (int length = kMinMatch; length <= kMaxMatch; ++length) {
    const LengthCode& lc = kLengthCodes[length];
    const int codeBits = litLengths[lc.symbol];
    matchBits[length] = litCodes[lc.symbol] | static_cast<uint32_t>(lc.extraValue) << codeBits;
    matchBitCount[length] = static_cast<uint8_t>(codeBits + lc.extraBits + 1);
  }

  size_t from = 0;
  for (size_t m = 0; m < matchCount; ++m) {
    const Match& match = matches[m];
    putLiterals(data + from, match.at + 1 - from, literalCodes, s);
    s.put(matchBits[match.length], matchBitCount[match.length]);
    from = match.at + 1 + match.length;
  }
  putLiterals(data + from, size - from, literalCodes, s);
  s.put(litCodes[kEndOfBlock], litLengths[kEndOfBlock]);
  bits = s;
}

size_t zlibRleBound(size_t size) {
  // A literal takes at most 15 bits and a match (3 bytes or more) at most
  // 21; each block adds at most 330 bytes of code tables, the stream 6.
  const size_t blocks = size / kBlockBytes + 1;
  return size * 2 + blocks * 330 + 6 + 8;
}

size_t writeZlibRle(const uint8_t* data, size_t size, Match* matches, uint8_t* out) {
  out[0] = 0x78;  // deflate, 32 KiB window
  out[1] = 0x01;  // fastest compression; 0x7801 is a multiple of 31
  BitState bits{out + 2};
  size_t at = 0;
  do {
    const size_t n = std::min(kBlockBytes, size - at);
    writeBlock(data + at, n, at + n == size, matches, bits);
    at += n;
  } while (at < size);
  // The last byte's unused bits stay zero.
  uint8_t* end = bits.out + (bits.filled + 7) / 8;
  bits.flush();
  const uint32_t adler = libdeflate_adler32(1, data, size);
  for (int shift = 24; shift >= 0; shift -= 8) *end++ = static_cast<uint8_t>(adler >> shift);
  return static_cast<size_t>(end - out);
}

}  // namespace

struct ZlibRleWriter::Scratch {
  std::vector<uint8_t> out;
  std::vector<Match> matches = std::vector<Match>(kBlockBytes / 4);
};

ZlibRleWriter::ZlibRleWriter() = default;
ZlibRleWriter::~ZlibRleWriter() = default;

void ZlibRleWriter::append(const uint8_t* data, size_t size, std::vector<uint8_t>* out) {
  const size_t bound = zlibRleBound(size);
  if (!scratch_) scratch_ = std::make_unique<Scratch>();
  if (bound > scratch_->out.size()) scratch_->out.resize(bound);
  const size_t n = writeZlibRle(data, size, scratch_->matches.data(), scratch_->out.data());
  out->insert(out->end(), scratch_->out.begin(), scratch_->out.begin() + static_cast<ptrdiff_t>(n));
}
