#include "resources/picture.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "platform/loading_progress.h"
#include "platform/platform.h"
#include "resources/error_message.h"

namespace {

// A header may declare any size up to 65535 x 65535; the decoder would
// allocate for it before reading a single pixel.
constexpr JDIMENSION kMaxPictureSide = 16384;
constexpr size_t kMaxDecodedBytes = size_t{256} << 20;

// The decoder's fatal errors come back here by longjmp instead of ending the
// process inside the library, so that the message can name the file.
struct DecoderErrors {
  jpeg_error_mgr manager;  // first, so the library's pointer is also ours
  std::jmp_buf fatal;
  char message[JMSG_LENGTH_MAX];
  const char* path;
};

void onFatalError(j_common_ptr decoder) {
  auto* errors = reinterpret_cast<DecoderErrors*>(decoder->err);
  (*decoder->err->format_message)(decoder, errors->message);
  std::longjmp(errors->fatal, 1);
}

// A warning (a file cut short, damaged bytes) leaves a picture decoded as far
// as the library could, and the show uses it; the first warning of each file
// is named with the file, so that the user knows which picture to look at.
void onMessage(j_common_ptr decoder, int level) {
  if (level >= 0) return;  // trace messages
  auto* errors = reinterpret_cast<DecoderErrors*>(decoder->err);
  if (errors->manager.num_warnings++ > 0) return;
  char text[JMSG_LENGTH_MAX];
  (*decoder->err->format_message)(decoder, text);
  std::fprintf(stderr, "%s: %s (the picture is used as decoded)\n", errors->path, text);
}

// Why a picture the decoder can read is not used, as the rest of a sentence
// that starts with its path; empty when there is nothing more to say than
// that it did not load.
std::string refusalReason(const jpeg_decompress_struct& decoder) {
  char text[160];
  if (decoder.image_width > kMaxPictureSide || decoder.image_height > kMaxPictureSide) {
    std::snprintf(text, sizeof text, "is %u \u00D7 %u, more than the %u pixels a side the show decodes; scale it down",
                  decoder.image_width, decoder.image_height, kMaxPictureSide);
    return text;
  }
  if (size_t{3} * decoder.image_width * decoder.image_height > kMaxDecodedBytes) {
    std::snprintf(text, sizeof text, "is %u \u00D7 %u, larger than the %zu MiB the show decodes; scale it down",
                  decoder.image_width, decoder.image_height, kMaxDecodedBytes >> 20);
    return text;
  }
  if (decoder.jpeg_color_space == JCS_CMYK || decoder.jpeg_color_space == JCS_YCCK) {
    return "is a CMYK JPEG; save it as RGB or greyscale";
  }
  if (decoder.num_components != 3 && decoder.num_components != 1) {
    std::snprintf(text, sizeof text, "has %d colour components; save it as RGB or greyscale", decoder.num_components);
    return text;
  }
  return "";
}

// Every blit and the font read three bytes per pixel. Greyscale files are
// expanded to RGB by the decoder; anything else that is not already
// three-component (CMYK, YCCK) is refused.
bool selectRgbOutput(jpeg_decompress_struct& decoder) {
  if (decoder.jpeg_color_space == JCS_GRAYSCALE) {
    decoder.out_color_space = JCS_RGB;
    return true;
  }
  return decoder.num_components == 3 && decoder.out_color_space == JCS_RGB;
}

bool withinBounds(const jpeg_decompress_struct& decoder) {
  if (decoder.image_width > kMaxPictureSide || decoder.image_height > kMaxPictureSide) return false;
  return size_t{3} * decoder.image_width * decoder.image_height <= kMaxDecodedBytes;
}

enum class Decoded { usable, refused, fatal };

// Decodes straight into the image's buffer: the row table lets the library
// fill as many rows per call as it likes, with no copy afterwards. The
// objects that need destructors belong to the caller, since a fatal error
// returns here by longjmp.
Decoded decode(jpeg_decompress_struct& decoder, DecoderErrors& errors, Image& image, std::vector<JSAMPROW>& rows) {
  if (setjmp(errors.fatal) != 0) return Decoded::fatal;
  jpeg_read_header(&decoder, TRUE);
  if (!withinBounds(decoder) || !selectRgbOutput(decoder)) return Decoded::refused;
  jpeg_start_decompress(&decoder);
  if (decoder.output_components != 3) return Decoded::refused;

  image.width = static_cast<int32_t>(decoder.output_width);
  image.height = static_cast<int32_t>(decoder.output_height);
  image.rowStride = decoder.output_components * image.width;
  image.pixels.resize(static_cast<size_t>(image.rowStride) * static_cast<size_t>(image.height));

  rows.resize(static_cast<size_t>(image.height));
  for (size_t r = 0; r < rows.size(); ++r) rows[r] = image.pixels.data() + r * static_cast<size_t>(image.rowStride);

  JDIMENSION linesRead = 0;
  while (decoder.output_scanline < decoder.output_height) {
    linesRead += jpeg_read_scanlines(&decoder, rows.data() + linesRead, decoder.output_height - linesRead);
  }
  jpeg_finish_decompress(&decoder);
  return Decoded::usable;
}

// The decoder and its file, released however decoding ends.
struct DecoderSession {
  jpeg_decompress_struct decoder;
  DecoderErrors errors;
  FILE* file;

  DecoderSession(FILE* input, const char* path) : file(input) {
    // Warnings (such as a file that ends early, decoded on with filler data)
    // are named with the file; fatal errors come back to decode().
    decoder.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = onFatalError;
    errors.manager.emit_message = onMessage;
    errors.message[0] = '\0';
    errors.path = path;
    jpeg_create_decompress(&decoder);
    jpeg_stdio_src(&decoder, file);
  }
  ~DecoderSession() {
    jpeg_destroy_decompress(&decoder);
    std::fclose(file);
  }
  DecoderSession(const DecoderSession&) = delete;
  DecoderSession& operator=(const DecoderSession&) = delete;
};

}  // namespace

Picture::Picture() = default;

Picture::Picture(const char* path, int32_t resourceIndex) { load(path, resourceIndex); }

void Picture::load(const char* path, int32_t index) {
  resourceIndex = index;
  image.reset();

  // A directory, FIFO or device is no picture: never read (a FIFO would
  // block, a device never end), refused like a missing file, with the reason.
  FILE* file = path != nullptr ? platform::openRegularFile(path, "rb") : nullptr;
  if (file == nullptr) {
    const int why = errno;
    if (path != nullptr && (why == EISDIR || why == EINVAL)) {
      resources::showError("%s is %s, not a regular file.\nCouldn't load the image %s.", path,
                           why == EISDIR ? "a directory" : "a FIFO, a device or a socket", path);
    } else {
      resources::showError("Couldn't load the image %s.", path != nullptr ? path : "");
    }
    return;
  }

  auto decoded = std::make_unique<Image>();
  std::vector<JSAMPROW> rows;
  Decoded result;
  std::string reason;
  {
    DecoderSession session(file, path);
    result = decode(session.decoder, session.errors, *decoded, rows);
    if (result == Decoded::refused) reason = refusalReason(session.decoder);
    // The decoder takes a read error for the end of the file; it is no picture.
    if (std::ferror(session.file) != 0) {
      result = Decoded::refused;
      reason.clear();
    }
    if (result == Decoded::fatal) {
      // What the library rejects (damaged bytes, 12-bit samples, a lossless
      // JPEG): its own text, now with the file it is about; the process ends
      // with code 1 as the library's own exit would have.
      resources::failWithError("%s: %s", path, session.errors.message);
    }
  }
  if (result != Decoded::usable) {
    // The real reason first; the text after it is what a missing file gets.
    if (!reason.empty()) {
      resources::showError("%s %s.\nCouldn't load the image %s.", path, reason.c_str(), path);
    } else {
      resources::showError("Couldn't load the image %s.", path);
    }
    return;
  }
  image = std::move(decoded);
  platform::reportPictureLoaded();
}

void Picture::release() { image.reset(); }
