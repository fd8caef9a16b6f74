// Listening aid for the soundtrack, without speakers:
//   pixelfolk_soundcheck MODULE.xm [OUT.wav [OUT.ppm]]
// prints the note-trigger marks the show depends on, the opening's middle
// pictures as a 60 fps show would change them, and the level of every
// second, and can write the rendered music as a WAV file and a note-scale
// spectrogram (time to the right, pitch upwards) as a PPM picture.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "music/trigger_index.h"
#include "music/trigger_timeline.h"
#include "opening_schedule.h"

namespace {

constexpr int kRate = 44100;
constexpr double kFps = 60.0;
constexpr int kTitleCount = 706;  // the count at which the opening gives way

void printOpening(const TriggerTimeline& timeline) {
  const OpeningSchedule schedule = openingSchedule(timeline, kFps, kTitleCount, timeline.lengthSeconds());
  std::printf("opening middle pictures at %.0f fps (time shown, picture, the count and note that chose it):\n", kFps);
  int seen[32] = {};
  for (const PictureStretch& s : schedule.stretches) {
    ++seen[s.picture & 31];
    if (s.count < 0) {
      std::printf("  %7.3f s  picture %2d  initial\n", s.start, s.picture);
    } else if (s.onset < 0.0) {
      std::printf("  %7.3f s  picture %2d  count %4d\n", s.start, s.picture, s.count);
    } else {
      std::printf("  %7.3f s  picture %2d  count %4d  note at %7.3f s\n", s.start, s.picture, s.count, s.onset);
    }
  }
  if (schedule.stretches.empty()) return;
  int pictures = 0, fewest = 1 << 30, most = 0;
  for (int n : seen) {
    if (n == 0) continue;
    ++pictures;
    fewest = std::min(fewest, n);
    most = std::max(most, n);
  }
  // The last stretch ends with the opening, not with a change: report it apart.
  double shortest = 1e9, longest = 0.0;
  for (size_t i = 0; i + 1 < schedule.stretches.size(); ++i) {
    const double length = schedule.stretches[i].end - schedule.stretches[i].start;
    shortest = std::min(shortest, length);
    longest = std::max(longest, length);
  }
  const PictureStretch& last = schedule.stretches.back();
  std::printf("pictures seen: %d, each %d to %d times; changes: %zu\n", pictures, fewest, most,
              schedule.stretches.size() - 1);
  if (schedule.stretches.size() > 1)
    std::printf("stretches before the last: shortest %.3f s, longest %.3f s\n", shortest, longest);
  std::printf("last: picture %d from %.3f s until the opening ends at %.3f s\n", last.picture, last.start,
              schedule.end);
}

void put16(std::FILE* f, uint32_t v) {
  std::fputc(static_cast<int>(v & 0xFF), f);
  std::fputc(static_cast<int>((v >> 8) & 0xFF), f);
}
void put32(std::FILE* f, uint32_t v) {
  put16(f, v & 0xFFFF);
  put16(f, v >> 16);
}

bool writeWav(const char* path, const std::vector<int16_t>& pcm) {
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  const uint32_t bytes = static_cast<uint32_t>(pcm.size() * 2);
  std::fwrite("RIFF", 1, 4, f);
  put32(f, 36 + bytes);
  std::fwrite("WAVEfmt ", 1, 8, f);
  put32(f, 16);
  put16(f, 1);
  put16(f, 2);
  put32(f, kRate);
  put32(f, kRate * 4);
  put16(f, 4);
  put16(f, 16);
  std::fwrite("data", 1, 4, f);
  put32(f, bytes);
  for (int16_t v : pcm) put16(f, static_cast<uint16_t>(v));
  return std::fclose(f) == 0;
}

// A note-scale spectrogram: one row per semitone from E-1 (41 Hz) up to B-8,
// one column per 50 ms, each the level of that pitch in a 4096-point Hann
// window (Goertzel). Chords, bass lines and melodies show as their notes.
bool writeSpectrogram(const char* path, const std::vector<int16_t>& pcm) {
  const int window = 4096;
  const int hop = kRate / 20;
  const int lowest = 28;  // MIDI E1
  const int notes = 92;
  const int rowsPerNote = 4;
  const size_t frames = pcm.size() / 2;
  const int columns = static_cast<int>(frames / hop);
  const int height = notes * rowsPerNote;
  std::vector<uint8_t> image(static_cast<size_t>(columns) * height * 3);
  std::vector<double> v(window);
  std::vector<double> coefficient(notes);
  for (int k = 0; k < notes; ++k) {
    const double frequency = 440.0 * std::pow(2.0, (lowest + k - 69) / 12.0);
    coefficient[k] = 2.0 * std::cos(2.0 * M_PI * frequency / kRate);
  }
  for (int x = 0; x < columns; ++x) {
    for (int i = 0; i < window; ++i) {
      const size_t at = std::min(static_cast<size_t>(x) * hop + i, frames - 1);
      v[i] = (0.5 - 0.5 * std::cos(2.0 * M_PI * i / window)) * (pcm[2 * at] + pcm[2 * at + 1]) / 65536.0;
    }
    for (int k = 0; k < notes; ++k) {
      double s1 = 0.0, s2 = 0.0;
      for (int i = 0; i < window; ++i) {
        const double s0 = v[i] + coefficient[k] * s1 - s2;
        s2 = s1;
        s1 = s0;
      }
      const double power = s1 * s1 + s2 * s2 - coefficient[k] * s1 * s2;
      // 0 dB is a full-scale sine; the picture spans 70 dB.
      const double db = 10.0 * std::log10(power / (window * window / 16.0) + 1e-12);
      const int level = std::clamp(static_cast<int>((db + 70.0) * 255.0 / 70.0), 0, 255);
      for (int r = 0; r < rowsPerNote; ++r) {
        uint8_t* px = &image[(static_cast<size_t>(height - 1 - (k * rowsPerNote + r)) * columns + x) * 3];
        px[0] = static_cast<uint8_t>(level);
        px[1] = static_cast<uint8_t>(level * level / 255);
        px[2] = static_cast<uint8_t>(level > 128 ? 0 : 128 - level);
      }
    }
  }
  std::FILE* f = std::fopen(path, "wb");
  if (f == nullptr) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", columns, height);
  std::fwrite(image.data(), 1, image.size(), f);
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s MODULE.xm [OUT.wav [OUT.ppm]]\n", argv[0]);
    return 2;
  }
  std::vector<int16_t> pcm;
  const TriggerTimeline timeline = scanTriggerTimelineFile(argv[1], kRate, &pcm);
  if (!timeline.loaded) {
    std::fprintf(stderr, "%s: cannot load %s\n", argv[0], argv[1]);
    return 1;
  }
  std::printf("length %.3f s\n", timeline.lengthSeconds());
  for (int hit : {704, 705, 706, 960, 1180})
    std::printf("instrument 1 hit %4d at %7.3f s\n", hit, timeline.timeOfHit(1, hit));
  for (int hit : {142, 150}) std::printf("instrument 4 hit %4d at %7.3f s\n", hit, timeline.timeOfHit(4, hit));
  const TriggerIndex notes(timeline);
  std::printf("totals: instrument 1 %d, instrument 4 %d\n", notes.hitsUpTo(1, 1e9), notes.hitsUpTo(4, 1e9));
  printOpening(timeline);

  int clipped = 0;
  for (size_t second = 0; second * kRate * 2 < pcm.size(); ++second) {
    double sum = 0.0;
    int peak = 0;
    size_t count = 0;
    for (size_t i = second * kRate * 2; i < std::min(pcm.size(), (second + 1) * kRate * 2); ++i, ++count) {
      sum += static_cast<double>(pcm[i]) * pcm[i];
      peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
      clipped += pcm[i] == 32767 || pcm[i] == -32768;
    }
    const double rms = std::sqrt(sum / std::max<size_t>(count, 1)) / 32768.0;
    std::printf("%3zu s  rms %6.1f dBFS  peak %5d  %s\n", second, 20.0 * std::log10(rms + 1e-9), peak,
                std::string(static_cast<size_t>(std::max(0.0, 60.0 + 20.0 * std::log10(rms + 1e-9))), '#').c_str());
  }
  std::printf("clipped points: %d\n", clipped);
  if (argc >= 3 && !writeWav(argv[2], pcm)) std::fprintf(stderr, "cannot write %s\n", argv[2]);
  if (argc >= 4 && !writeSpectrogram(argv[3], pcm)) std::fprintf(stderr, "cannot write %s\n", argv[3]);
  return 0;
}
