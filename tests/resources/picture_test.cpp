#include "resources/picture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "resources/test_files.h"

using testfiles::closeTo;
using testfiles::Rgb;

namespace {

// 16 x 16 blocks of solid colour survive chroma subsampling, so every block
// decodes close to its own colour wherever it lies in the file.
Rgb blockColour(int blockX, int blockY) {
  return {static_cast<uint8_t>(40 + 5 * blockX % 200), static_cast<uint8_t>(30 + 7 * blockY % 200),
          static_cast<uint8_t>((blockX + blockY) % 2 ? 220 : 20)};
}

std::vector<uint8_t> blockPattern(int width, int height) {
  std::vector<uint8_t> rgb;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb c = blockColour(x / 16, y / 16);
      rgb.insert(rgb.end(), {c.r, c.g, c.b});
    }
  }
  return rgb;
}

TEST(Picture, DecodesIntoPackedRgbRowsTopFirst) {
  testfiles::ScratchDir scratch;
  for (bool progressive : {false, true}) {
    const std::vector<uint8_t> rgb = blockPattern(640, 480);
    ASSERT_TRUE(imageio::writeJpeg("p.jpg", 640, 480, rgb.data(), {95, progressive}));
    Picture picture("p.jpg", 7);
    ASSERT_TRUE(picture.image);
    const Image& image = *picture.image;
    EXPECT_EQ(picture.resourceIndex, 7);
    EXPECT_EQ(image.width, 640);
    EXPECT_EQ(image.height, 480);
    EXPECT_EQ(image.rowStride, 1920);
    ASSERT_EQ(image.pixels.size(), 921600u);
    EXPECT_TRUE(closeTo(image.pixels.data(), blockColour(0, 0))) << "progressive " << progressive;
    // Block centres all over the picture, to catch a wrong row stride or order.
    for (int by = 0; by < 30; by += 7) {
      for (int bx = 0; bx < 40; bx += 9) {
        const uint8_t* pixel = image.pixels.data() + (by * 16 + 8) * 1920 + (bx * 16 + 8) * 3;
        EXPECT_TRUE(closeTo(pixel, blockColour(bx, by))) << bx << "," << by << " progressive " << progressive;
      }
    }
  }
}

TEST(Picture, MissingFileGivesOneMessageAndNoImage) {
  testfiles::ScratchDir scratch;
  testing::internal::CaptureStderr();
  Picture picture("data/jpgs/none.jpg", 4);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Couldn't load the image data/jpgs/none.jpg.\n");
  EXPECT_FALSE(picture.image);
  EXPECT_EQ(picture.resourceIndex, 4);
}

// Rewrites the frame header of a small real file: its marker at `at`, the
// sample precision at + 4, the height at + 5, the width at + 7.
void editFrameHeader(const std::string& path, const std::function<void(std::string& bytes, size_t at)>& edit) {
  testfiles::writeSolidJpeg(path, {90, 90, 90}, 16, 16);
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  const size_t frame = bytes.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  edit(bytes, frame);
  testfiles::writeText(path, bytes);
}

// A small real file whose frame header claims another size: the header is
// all the decoder reads before it would allocate for the whole picture.
void writeClaimingSize(const std::string& path, int width, int height) {
  editFrameHeader(path, [=](std::string& bytes, size_t at) {
    bytes[at + 5] = static_cast<char>(height >> 8);
    bytes[at + 6] = static_cast<char>(height);
    bytes[at + 7] = static_cast<char>(width >> 8);
    bytes[at + 8] = static_cast<char>(width);
  });
}

// A file that exists and is a valid JPEG, but that the show does not use,
// is not reported as missing: the reason comes first, in the same box.
TEST(Picture, AValidPictureTheShowRefusesSaysWhyBeforeItIsNotLoaded) {
  testfiles::ScratchDir scratch;
  const struct {
    std::function<void()> write;
    const char* reason;
  } cases[] = {
      {[] {
         std::vector<uint8_t> cmyk(16 * 16 * 4, 90);
         ASSERT_TRUE(imageio::writeCmykJpeg("p.jpg", 16, 16, cmyk.data()));
       },
       "is a CMYK JPEG; save it as RGB or greyscale"},
      {[] { writeClaimingSize("p.jpg", 12000, 7500); },
       "is 12000 \u00D7 7500, larger than the 256 MiB the show decodes; scale it down"},
      {[] { writeClaimingSize("p.jpg", 16385, 1); },
       "is 16385 \u00D7 1, more than the 16384 pixels a side the show decodes; scale it down"},
      {[] { writeClaimingSize("p.jpg", 1, 16385); },
       "is 1 \u00D7 16385, more than the 16384 pixels a side the show decodes; scale it down"},
  };
  for (const auto& c : cases) {
    c.write();
    if (testing::Test::HasFatalFailure()) return;
    testing::internal::CaptureStderr();
    Picture picture("p.jpg", 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: p.jpg " + std::string(c.reason) + ".\nError: Couldn't load the image p.jpg.\n");
    EXPECT_FALSE(picture.image) << c.reason;
  }
}

TEST(Picture, GreyscaleFileIsExpandedToRgb) {
  testfiles::ScratchDir scratch;
  std::vector<uint8_t> grey(24 * 8);
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = i % 24 < 12 ? 60 : 180;
  ASSERT_TRUE(imageio::writeGreyJpeg("g.jpg", 24, 8, grey.data(), {100, false}));
  Picture picture("g.jpg", 0);
  ASSERT_TRUE(picture.image);
  EXPECT_EQ(picture.image->rowStride, 72);
  ASSERT_EQ(picture.image->pixels.size(), 72u * 8);
  EXPECT_TRUE(closeTo(&picture.image->pixels[3 * 2], {60, 60, 60}));
  EXPECT_TRUE(closeTo(&picture.image->pixels[72 * 7 + 3 * 20], {180, 180, 180}));
}

TEST(Picture, TruncatedFileStillDecodesWithAWarning) {
  testfiles::ScratchDir scratch;
  const std::vector<uint8_t> rgb = blockPattern(256, 256);
  ASSERT_TRUE(imageio::writeJpeg("whole.jpg", 256, 256, rgb.data()));
  std::filesystem::copy_file("whole.jpg", "cut.jpg");
  std::filesystem::resize_file("cut.jpg", std::filesystem::file_size("whole.jpg") * 2 / 3);
  testing::internal::CaptureStderr();
  Picture picture("cut.jpg", 0);
  // The decoder warns twice (the end of the file, then of the data segment):
  // the file is named once, with the first.
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "cut.jpg: Premature end of JPEG file (the picture is used as decoded)\n");
  ASSERT_TRUE(picture.image);
  EXPECT_EQ(picture.image->pixels.size(), 256u * 256 * 3);

  // Each file is named with its own first warning.
  for (const char* name : {"a.jpg", "b.jpg"}) std::filesystem::copy_file("cut.jpg", name);
  testing::internal::CaptureStderr();
  Picture a("a.jpg", 0);
  Picture b("b.jpg", 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "a.jpg: Premature end of JPEG file (the picture is used as decoded)\n"
            "b.jpg: Premature end of JPEG file (the picture is used as decoded)\n");
}

// What the decoder rejects, whether damaged or only a kind of JPEG it does
// not read (12-bit samples, lossless, hierarchical: a single damaged byte in
// the frame marker looks the same), is one line, the decoder's, with the file.
TEST(PictureDeathTest, CorruptFileEndsTheProcessWithTheDecodersMessageAndItsName) {
  testfiles::ScratchDir scratch;
  const struct {
    std::function<void()> write;
    const char* message;
  } cases[] = {
      {[] { testfiles::writeText("bad.jpg", "this is not a picture"); }, "Not a JPEG file: starts with 0x74 0x68"},
      {[] { editFrameHeader("bad.jpg", [](std::string& bytes, size_t at) { bytes[at + 4] = 12; }); },
       "Unsupported JPEG data precision 12"},
      {[] { editFrameHeader("bad.jpg", [](std::string& bytes, size_t at) { bytes[at + 1] = '\xC3'; }); },
       "Unsupported JPEG process: SOF type 0xc3"},
      {[] { editFrameHeader("bad.jpg", [](std::string& bytes, size_t at) { bytes[at + 1] = '\xC5'; }); },
       "Unsupported JPEG process: SOF type 0xc5"},
  };
  for (const auto& c : cases) {
    c.write();
    if (testing::Test::HasFatalFailure()) return;
    EXPECT_EXIT(Picture("bad.jpg", 0), testing::ExitedWithCode(1),
                "^" + testfiles::literal("Error: bad.jpg: " + std::string(c.message) + "\n") + "$");
  }
}

TEST(Picture, HeadersClaimingTooManyPixelsAreRefusedBeforeDecoding) {
  testfiles::ScratchDir scratch;
  struct Case {
    int width, height;
    bool loads;
  };
  const Case cases[] = {
      {16384, 1, true},       // the widest picture
      {1, 16384, true},       // the tallest
      {16385, 1, false},      // one pixel wider
      {1, 16385, false},      // one pixel taller
      {16384, 5462, false},   // within both sides, but 256 MiB and a bit decoded
      {65378, 63199, false},  // 12.4 GB
      {33026, 33026, false},
  };
  for (const Case& c : cases) {
    writeClaimingSize("claims.jpg", c.width, c.height);
    testing::internal::CaptureStderr();
    Picture picture("claims.jpg", 0);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(static_cast<bool>(picture.image), c.loads) << c.width << " x " << c.height;
    if (c.loads) {
      EXPECT_EQ(picture.image->width, c.width);
      EXPECT_EQ(picture.image->height, c.height);
    } else {
      EXPECT_NE(errors.find("Error: Couldn't load the image claims.jpg."), std::string::npos) << errors;
    }
  }
}

TEST(Picture, OnlyRegularFilesThatCanBeReadAreLoaded) {
  testfiles::ScratchDir scratch;
  std::filesystem::create_directories("folder.jpg");
  ASSERT_EQ(mkfifo("fifo.jpg", 0600), 0);
  std::filesystem::create_symlink("/dev/zero", "zeros.jpg");
  const struct {
    std::string path;
    std::string why;  // the line before "Couldn't load the image"
  } cases[] = {
      {"folder.jpg", "folder.jpg is a directory, not a regular file."},
      {"fifo.jpg", "fifo.jpg is a FIFO, a device or a socket, not a regular file."},
      {"zeros.jpg", "zeros.jpg is a FIFO, a device or a socket, not a regular file."},
      {"/dev/zero", "/dev/zero is a FIFO, a device or a socket, not a regular file."},
      // A regular file whose first read fails.
      {"/proc/self/mem", ""},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStderr();
    Picture picture(c.path.c_str(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              (c.why.empty() ? "" : "Error: " + c.why + "\n") + "Error: Couldn't load the image " + c.path + ".\n");
    EXPECT_FALSE(picture.image) << c.path;
  }
}

TEST(Picture, ReleaseIsSafeToRepeat) {
  Picture picture;
  picture.release();
  EXPECT_FALSE(picture.image);
  picture.image = std::make_unique<Image>();
  picture.release();
  picture.release();
  EXPECT_FALSE(picture.image);
}

}  // namespace
