#include "capture_options.h"

#include <cerrno>
#include <cstdlib>

#include "app/show_time_value.h"

namespace {

bool parseWhole(const std::string& text, long* out) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v <= 0 || v > 1000000) return false;
  *out = v;
  return true;
}

bool parseRate(const std::string& text, FrameRate* out) {
  const size_t slash = text.find('/');
  FrameRate rate;
  if (slash == std::string::npos) {
    if (!parseWhole(text, &rate.numerator)) return false;
  } else if (!parseWhole(text.substr(0, slash), &rate.numerator) ||
             !parseWhole(text.substr(slash + 1), &rate.denominator)) {
    return false;
  }
  if (rate.value() < 1.0 || rate.value() > 1000.0) return false;
  *out = rate;
  return true;
}

bool isX264Preset(const std::string& name) {
  static const char* const presets[] = {"ultrafast", "superfast", "veryfast", "faster",  "fast",
                                        "medium",    "slow",      "slower",   "veryslow"};
  for (const char* p : presets) {
    if (name == p) return true;
  }
  return false;
}

// --for-sharing stands for these options, given before all others so that
// any of them given as well takes their place. The reasons are in docs/capture.md.
const std::vector<std::string> kForSharing = {"--scale", "4", "--fps", "60", "--video-qp", "12"};

}  // namespace

const char* captureUsage() {
  return "Usage: pixelfolk-capture [options]\n"
         "Renders the show on a fixed frame clock, frame by frame, faster than real time.\n"
         "\n"
         "Output (at least one):\n"
         "  --frames DIR          numbered PNG frames DIR/frame-000000.png ... and DIR/soundtrack.wav\n"
         "  --video FILE          an MP4 (H.264 + AAC) of the show, encoded by ffmpeg\n"
         "  --frame-at SECONDS    a single frame at this show time, written to --png FILE\n"
         "  --png FILE            where --frame-at writes its frame\n"
         "\n"
         "Timing:\n"
         "  --fps RATE            frames per second, N or N/D such as 60000/1001 (default 60)\n"
         "  --from SECONDS        show time of the first frame written (default 0)\n"
         "  --to SECONDS          show time after which no frame is written (default: the show's end)\n"
         "  --load-delay SECONDS  show time that passes before the music starts (default 0)\n"
         "\n"
         "Encoding:\n"
         "  --png-compression C   fast (the default), libdeflate or zlib (libpng level 1, the slowest)\n"
         "  --threads N           threads that compress PNG frames (default: one per processor)\n"
         "  --video-preset P      x264 preset for --video, ultrafast ... veryslow (default ultrafast)\n"
         "  --video-qp N          x264 constant quantizer for --video, 0 (lossless) to 51 (default 15)\n"
         "  --video-crf N         x264 constant rate factor instead, 0 to 51\n"
         "  --video-pipe F        frames to ffmpeg as yuv (4:2:0, converted here; the default) or rgb\n"
         "  --scale N             each show pixel as an N x N block, N from 1 to 6 (default 1): sharp\n"
         "                        pixels and, at an even N, full colour in a 4:2:0 video\n"
         "  --for-sharing         a video for sharing sites: --scale 4 (2560x1920), 60 fps, x264 QP 12\n"
         "\n"
         "Other:\n"
         "  -C, --show-dir DIR    the show directory with resinfo.rli, data/ and demo.xm (default: .\n"
         "                        when it holds resinfo.rli, else the installed or built show)\n"
         "  -q, --quiet           no progress line\n"
         "  -h, --help            this text\n";
}

std::optional<CaptureOptions> parseCaptureOptions(const std::vector<std::string>& given, std::string* error) {
  std::vector<std::string> args;
  for (const std::string& a : given) {
    if (a == "--for-sharing") args.insert(args.begin(), kForSharing.begin(), kForSharing.end());
  }
  for (const std::string& a : given) {
    if (a != "--for-sharing") args.push_back(a);
  }
  CaptureOptions o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string* out) {
      if (i + 1 >= args.size()) {
        *error = "option " + a + " needs a value";
        return false;
      }
      *out = args[++i];
      return true;
    };
    auto seconds = [&](double* out) {
      std::string text;
      if (!value(&text)) return false;
      // Read as the show reads --seek: a time the show never reaches is refused.
      if (!parseShowTime(text, out)) {
        *error = showTimeRefusal(a, text);
        return false;
      }
      return true;
    };
    if (a == "-h" || a == "--help") {
      o.help = true;
    } else if (a == "-q" || a == "--quiet") {
      o.quiet = true;
    } else if (a == "-C" || a == "--show-dir") {
      if (!value(&o.showDir)) return std::nullopt;
    } else if (a == "--frames") {
      if (!value(&o.framesDir)) return std::nullopt;
    } else if (a == "--video") {
      if (!value(&o.videoFile)) return std::nullopt;
    } else if (a == "--png") {
      if (!value(&o.pngFile)) return std::nullopt;
    } else if (a == "--fps") {
      std::string text;
      if (!value(&text)) return std::nullopt;
      if (!parseRate(text, &o.fps)) {
        *error = "--fps takes a rate from 1 to 1000 as N or N/D, not '" + text + "'";
        return std::nullopt;
      }
    } else if (a == "--from") {
      if (!seconds(&o.from)) return std::nullopt;
    } else if (a == "--to") {
      double t = 0;
      if (!seconds(&t)) return std::nullopt;
      o.to = t;
    } else if (a == "--load-delay") {
      if (!seconds(&o.loadDelay)) return std::nullopt;
    } else if (a == "--png-compression") {
      std::string text;
      if (!value(&text)) return std::nullopt;
      if (!parsePngCompression(text, &o.pngCompression)) {
        *error = "--png-compression takes fast, libdeflate or zlib, not '" + text + "'";
        return std::nullopt;
      }
    } else if (a == "--threads") {
      std::string text;
      long n = 0;
      if (!value(&text)) return std::nullopt;
      if (!parseWhole(text, &n) || n > 64) {
        *error = "--threads takes a count from 1 to 64, not '" + text + "'";
        return std::nullopt;
      }
      o.threads = static_cast<unsigned>(n);
    } else if (a == "--video-preset") {
      if (!value(&o.video.preset)) return std::nullopt;
      if (!isX264Preset(o.video.preset)) {
        *error =
            "--video-preset takes an x264 preset (ultrafast, superfast, veryfast, faster, fast, medium, slow, "
            "slower, veryslow), not '" +
            o.video.preset + "'";
        return std::nullopt;
      }
    } else if (a == "--video-qp" || a == "--video-crf") {
      std::string text;
      long n = 0;
      if (!value(&text)) return std::nullopt;
      // parseWhole refuses 0, which is x264's lossless setting and worth having.
      if (text == "0") {
        n = 0;
      } else if (!parseWhole(text, &n) || n > 51) {
        *error = a + " takes a whole number from 0 to 51, not '" + text + "'";
        return std::nullopt;
      }
      o.video.constantRateFactor = a == "--video-crf";
      o.video.quality = static_cast<int>(n);
    } else if (a == "--video-pipe") {
      std::string text;
      if (!value(&text)) return std::nullopt;
      if (text != "yuv" && text != "rgb") {
        *error = "--video-pipe takes yuv or rgb, not '" + text + "'";
        return std::nullopt;
      }
      o.video.yuvPipe = text == "yuv";
    } else if (a == "--scale") {
      std::string text;
      long n = 0;
      if (!value(&text)) return std::nullopt;
      if (!parseWhole(text, &n) || n > 6) {
        *error = "--scale takes a whole number from 1 to 6, not '" + text + "'";
        return std::nullopt;
      }
      o.scale = static_cast<int>(n);
    } else if (a == "--frame-at") {
      double t = 0;
      if (!seconds(&t)) return std::nullopt;
      o.frameAt = t;
    } else {
      *error = "unknown option '" + a + "'";
      return std::nullopt;
    }
  }
  if (o.help) return o;
  if (o.frameAt.has_value() != !o.pngFile.empty()) {
    *error = "--frame-at and --png go together";
    return std::nullopt;
  }
  if (o.framesDir.empty() && o.videoFile.empty() && !o.frameAt) {
    *error = "nothing to write: give --frames, --video or --frame-at with --png";
    return std::nullopt;
  }
  if (o.scale > 1 && !o.video.yuvPipe && !o.videoFile.empty()) {
    *error = "--scale enlarges frames in their conversion to yuv: it does not go with --video-pipe rgb";
    return std::nullopt;
  }
  if (o.to && *o.to < o.from) {
    *error = "--to lies before --from";
    return std::nullopt;
  }
  return o;
}
