#include "png_encoder.h"

#include "deflate_rle.h"

#include <libdeflate.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "display/pixel_converters.h"

#if defined(__x86_64__) && defined(__SSE2__)
#include <emmintrin.h>
#define PIXELFOLK_PNG_SSE2 1
#else
#define PIXELFOLK_PNG_SSE2 0
#endif

namespace {

constexpr int kLibdeflateLevel = 1;  // its fastest with matches

void put32(uint8_t* at, uint32_t v) {
  at[0] = static_cast<uint8_t>(v >> 24);
  at[1] = static_cast<uint8_t>(v >> 16);
  at[2] = static_cast<uint8_t>(v >> 8);
  at[3] = static_cast<uint8_t>(v);
}

// Appends a chunk whose data is already in place after its 8-byte header,
// which starts at `start`; fills in the length and the type and adds the CRC.
void closeChunk(std::vector<uint8_t>* png, size_t start, const char* type) {
  const size_t dataSize = png->size() - start - 8;
  put32(png->data() + start, static_cast<uint32_t>(dataSize));
  std::memcpy(png->data() + start + 4, type, 4);
  const uint32_t crc = libdeflate_crc32(0, png->data() + start + 4, dataSize + 4);
  png->resize(png->size() + 4);
  put32(png->data() + png->size() - 4, crc);
}

// Unpacks one row of words into RGB bytes.
void unpackRow(const uint32_t* source, uint8_t* rgb, int width) {
  for (int x = 0; x < width; ++x) {
    rgb[x * 3 + 0] = static_cast<uint8_t>(source[x] >> 16);
    rgb[x * 3 + 1] = static_cast<uint8_t>(source[x] >> 8);
    rgb[x * 3 + 2] = static_cast<uint8_t>(source[x]);
  }
}

// Each word less the word on its left, byte by byte, with 0 left of the
// first: the "sub" filter's differences, still in the framebuffer's layout.
void subtractLeft(const uint32_t* source, uint32_t* out, int width) {
  int x = 0;
#if PIXELFOLK_PNG_SSE2
  auto load = [](const uint32_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); };
  auto store = [](uint32_t* at, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(at), v); };
  if (width >= 4) {
    const __m128i first = load(source);
    store(out, _mm_sub_epi8(first, _mm_slli_si128(first, 4)));
    for (x = 4; x + 4 <= width; x += 4) store(out + x, _mm_sub_epi8(load(source + x), load(source + x - 1)));
  }
#endif
  for (; x < width; ++x) {
    const uint32_t p = source[x], left = x > 0 ? source[x - 1] : 0;
    uint32_t d = 0;
    for (int shift = 0; shift < 32; shift += 8) d |= (((p >> shift) - (left >> shift)) & 0xFFu) << shift;
    out[x] = d;
  }
}

// One row as filter byte 1 ("sub") and the differences as R, G, B bytes;
// the display's 24-bit converter does the packing, its fastest code on
// this processor.
void subFilterRow(const uint32_t* source, int width, uint32_t* differences, uint8_t* out) {
  out[0] = 1;
  subtractLeft(source, differences, width);
  convert24Bgr888(differences, out + 1, width);
}

void appendToVector(png_structp png, png_bytep data, png_size_t size) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

void flushNothing(png_structp) {}

// Source row y enlarged `scale` times across; at scale 1 the row itself.
const uint32_t* widenRow(const uint32_t* pixels, int width, int y, int scale, std::vector<uint32_t>* wide) {
  const uint32_t* row = pixels + static_cast<size_t>(y) * width;
  if (scale == 1) return row;
  wide->resize(static_cast<size_t>(width) * scale);
  uint32_t* to = wide->data();
  for (int x = 0; x < width; ++x, to += scale) std::fill(to, to + scale, row[x]);
  return wide->data();
}

bool encodeWithLibpng(const uint32_t* pixels, int width, int height, int scale, std::vector<uint8_t>* out,
                      std::string* error) {
  out->clear();
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    *error = "out of memory for a PNG encoder";
    return false;
  }
  std::vector<png_byte> row(static_cast<size_t>(width) * scale * 3);
  std::vector<uint32_t> wide;
  // libpng reports errors by longjmp; nothing with a destructor is created
  // between here and the end of the writing below.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    *error = "libpng failed to encode a frame";
    return false;
  }
  png_set_write_fn(png, out, appendToVector, flushNothing);
  png_set_compression_level(png, 1);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_set_IHDR(png, info, width * scale, height * scale, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    unpackRow(widenRow(pixels, width, y, scale, &wide), row.data(), width * scale);
    for (int copy = 0; copy < scale; ++copy) png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool parsePngCompression(const std::string& name, PngCompression* out) {
  if (name == "fast") {
    *out = PngCompression::fast;
  } else if (name == "libdeflate") {
    *out = PngCompression::libdeflate;
  } else if (name == "zlib") {
    *out = PngCompression::zlib;
  } else {
    return false;
  }
  return true;
}

struct FramePngEncoder::Deflater {
  libdeflate_compressor* compressor = libdeflate_alloc_compressor(kLibdeflateLevel);
  ~Deflater() { libdeflate_free_compressor(compressor); }
};

FramePngEncoder::FramePngEncoder(PngCompression compression) : compression_(compression) {
  if (compression_ == PngCompression::libdeflate) deflater_ = std::make_unique<Deflater>();
}

FramePngEncoder::~FramePngEncoder() = default;

bool FramePngEncoder::encode(const uint32_t* pixels, int width, int height, std::vector<uint8_t>* png,
                             std::string* error, int scale) {
  if (compression_ == PngCompression::zlib) return encodeWithLibpng(pixels, width, height, scale, png, error);
  if (deflater_ && deflater_->compressor == nullptr) {
    *error = "out of memory for a PNG encoder";
    return false;
  }

  // Every row is stored with the "sub" filter (each byte less the same
  // channel of the pixel on its left): flat areas and smooth pictures turn
  // into runs of zeros and small values, and it costs one subtraction a byte.
  // In an enlarged frame the rows that repeat the one above take the "up"
  // filter instead: all zeros, one run for the run-length coder.
  const int outWidth = width * scale, outHeight = height * scale;
  const size_t rowBytes = static_cast<size_t>(outWidth) * 3;
  filtered_.resize((rowBytes + 1) * static_cast<size_t>(outHeight));
  differences_.resize(static_cast<size_t>(outWidth));
  for (int y = 0; y < height; ++y) {
    uint8_t* out = filtered_.data() + static_cast<size_t>(y) * scale * (rowBytes + 1);
    subFilterRow(widenRow(pixels, width, y, scale, &wide_), outWidth, differences_.data(), out);
    for (int copy = 1; copy < scale; ++copy) {
      out += rowBytes + 1;
      out[0] = 2;
      std::memset(out + 1, 0, rowBytes);
    }
  }

  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  png->assign(kSignature, kSignature + 8);
  size_t start = png->size();
  png->resize(start + 8 + 13);
  uint8_t* header = png->data() + start + 8;
  put32(header, static_cast<uint32_t>(outWidth));
  put32(header + 4, static_cast<uint32_t>(outHeight));
  header[8] = 8;   // bits per channel
  header[9] = 2;   // RGB
  header[10] = 0;  // deflate
  header[11] = 0;  // the five standard filters
  header[12] = 0;  // not interlaced
  closeChunk(png, start, "IHDR");

  start = png->size();
  png->resize(start + 8);
  if (deflater_) {
    const size_t bound = libdeflate_zlib_compress_bound(deflater_->compressor, filtered_.size());
    png->resize(start + 8 + bound);
    const size_t packed = libdeflate_zlib_compress(deflater_->compressor, filtered_.data(), filtered_.size(),
                                                   png->data() + start + 8, bound);
    if (packed == 0) {
      *error = "libdeflate failed to compress a frame";
      return false;
    }
    png->resize(start + 8 + packed);
  } else {
    if (!rle_) rle_ = std::make_unique<ZlibRleWriter>();
    rle_->append(filtered_.data(), filtered_.size(), png);
  }
  closeChunk(png, start, "IDAT");

  start = png->size();
  png->resize(start + 8);
  closeChunk(png, start, "IEND");
  return true;
}

bool writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    *error = "cannot create " + path;
    return false;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = (std::fclose(file) == 0) && ok;
  if (!ok) *error = "cannot write " + path;
  return ok;
}
