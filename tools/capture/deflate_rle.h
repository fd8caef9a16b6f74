// A zlib stream made for speed on rendered frames: runs of one repeated byte
// become matches at distance 1, everything else stays a literal, and each
// block gets its own Huffman codes. Any inflater reads it (RFC 1950/1951);
// on the show's filtered frames it gives files as small as libdeflate's
// fastest level in under half of its time (and a fifth to a seventh of
// zlib's level 1), because it never searches for matches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Keeps its working memory from one call to the next: one per thread.
class ZlibRleWriter {
 public:
  // Input bytes per deflate block: small enough that each block's codes
  // follow the picture's local colours, large enough that the code tables
  // cost little.
  static constexpr size_t kBlockBytes = 128 * 1024;

  ZlibRleWriter();
  ~ZlibRleWriter();

  // Appends the zlib stream of `data` (header, deflate blocks, Adler-32) to
  // `out`. The same data give the same bytes on every run.
  void append(const uint8_t* data, size_t size, std::vector<uint8_t>* out);

 private:
  struct Scratch;
  std::unique_ptr<Scratch> scratch_;
};
