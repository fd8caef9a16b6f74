// The show's sound as a listener gets it, against the soundtrack it should be.
//
//   sound_match record FILE
//       reads 16-bit stereo from standard input (parec --raw) into FILE,
//       and into FILE.times when each read arrived ("frames nanoseconds" of
//       the real-time clock, as date +%s%N), for wall times of the sound
//   sound_match compare DEMO.XM RECORDING...
//       for each recording: the stretches that match one place of the
//       soundtrack, each with its correlation, its levels and the wall time
//       at which the soundtrack's start would have been heard; the silences
//       inserted into the music
//   sound_match events DEMO.XM RECORDING PROBE
//       for every note-driven picture change (the scene changes and the
//       opening's middle pictures; expected_changes.h): when its note was
//       heard (in the recording) and when the picture changed as the show
//       replayed on faked time changes it (in screen_probe's PROBE file; the
//       show is the one beside DEMO.XM), and shown minus heard; then their
//       spread and the inserted silences (bench/sound)
//   sound_match marks DEMO.XM
//       the note-driven scene changes, "NAME SHOW_TIME" with spaces in NAME
//       as underscores
//   sound_match shown PROBE WALL WITHIN
//       the wall time of the biggest picture change within WITHIN seconds
//       of WALL in screen_probe's PROBE file, and the share it changed
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "expected_changes.h"
#include "music/trigger_timeline.h"
#include "screen_changes.h"
#include "script/scene_marks.h"
#include "sound_alignment.h"

namespace {

constexpr int kRate = 44100;
// How like the expected change a picture change must be to be taken for it
// (the cosine of their sets of changed cells).
constexpr double kLikeEnough = 0.5;

int64_t nowNanoseconds() {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

int record(const char* path) {
  FILE* out = std::fopen(path, "wb");
  FILE* times = std::fopen((std::string(path) + ".times").c_str(), "w");
  if (out == nullptr || times == nullptr) {
    std::fprintf(stderr, "sound_match: cannot write %s\n", path);
    return 1;
  }
  std::vector<char> buffer(4096);
  int64_t bytes = 0;
  for (;;) {
    const ssize_t got = read(0, buffer.data(), buffer.size());
    if (got <= 0) break;
    const int64_t at = nowNanoseconds();
    std::fwrite(buffer.data(), 1, static_cast<size_t>(got), out);
    bytes += got;
    std::fprintf(times, "%lld %lld\n", static_cast<long long>(bytes / 4), static_cast<long long>(at));
  }
  std::fclose(times);
  return std::fclose(out) == 0 ? 0 : 1;
}

Signal monoOf(const std::vector<int16_t>& stereo) {
  Signal mono(stereo.size() / 2);
  for (size_t i = 0; i < mono.size(); ++i) mono[i] = (stereo[2 * i] + stereo[2 * i + 1]) / 65536.0f;
  return mono;
}

// When each recording sample was heard, from the recorder's arrival stamps:
// a sample arrives no earlier than it played, so the earliest arrivals,
// less the samples before them, give the wall time of sample 0. That time
// steps up where the recording has a gap (a suspended sink sends nothing):
// each stretch of samples takes the earliest of the arrivals from it on
// over the next second.
class WallClock {
 public:
  explicit WallClock(const std::string& path) {
    std::ifstream in(path + ".times");
    long long frames = 0, at = 0;
    while (in >> frames >> at) {
      // A last line cut short by the recorder's end is no stamp.
      if (at < 1000000000000000000LL) continue;
      ends_.push_back(frames);
      bases_.push_back(static_cast<double>(at) / 1e9 - static_cast<double>(frames) / kRate);
    }
    for (size_t k = 0; k < bases_.size(); ++k) {
      for (size_t j = k + 1; j < bases_.size() && ends_[j] - ends_[k] < kRate; ++j) {
        bases_[k] = std::min(bases_[k], bases_[j]);
      }
    }
  }

  // Wall time of recording sample i (0 without stamps).
  double at(int64_t i) const {
    const auto k = std::upper_bound(ends_.begin(), ends_.end(), i) - ends_.begin();
    if (bases_.empty()) return 0.0;
    const double base = bases_[std::min(static_cast<size_t>(k), bases_.size() - 1)];
    return base + static_cast<double>(i) / kRate;
  }

 private:
  std::vector<long long> ends_;
  std::vector<double> bases_;
};

bool readRecording(const char* path, Signal* recording) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "sound_match: cannot read %s\n", path);
    return false;
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> raw(bytes.size() / 2);
  std::memcpy(raw.data(), bytes.data(), raw.size() * 2);
  *recording = monoOf(raw);
  return true;
}

bool readSoundtrack(const char* module, TriggerTimeline* timeline, Signal* soundtrack) {
  std::vector<int16_t> stereo;
  *timeline = scanTriggerTimelineFile(module, kRate, &stereo);
  if (!timeline->loaded) {
    std::fprintf(stderr, "sound_match: cannot play %s\n", module);
    return false;
  }
  *soundtrack = monoOf(stereo);
  return true;
}

void printSilences(const Signal& recording, const Signal& soundtrack, const std::vector<Stretch>& stretches) {
  const std::vector<Silence> silences = insertedSilences(recording, soundtrack, stretches, kRate * 5 / 1000);
  int64_t total = 0, longest = 0;
  for (const Silence& s : silences) {
    total += s.length;
    longest = std::max(longest, s.length);
  }
  std::printf("silences %zu total_ms %.1f longest_ms %.1f\n", silences.size(), total * 1000.0 / kRate,
              longest * 1000.0 / kRate);
  for (const Silence& s : silences) {
    std::printf("silence at %.3f ms %.1f\n", static_cast<double>(s.start) / kRate, s.length * 1000.0 / kRate);
  }
}

double quantile(std::vector<double> v, double q) {
  std::sort(v.begin(), v.end());
  const double at = q * static_cast<double>(v.size() - 1);
  const size_t i = static_cast<size_t>(at);
  return i + 1 < v.size() ? v[i] + (at - static_cast<double>(i)) * (v[i + 1] - v[i]) : v[i];
}

void printSpread(const char* kind, const std::vector<double>& offsets, size_t missed) {
  std::printf("shown_minus_heard_ms %s events %zu", kind, offsets.size());
  if (!offsets.empty()) {
    std::printf(" median %.1f p10 %.1f p90 %.1f min %.1f max %.1f", quantile(offsets, 0.5), quantile(offsets, 0.1),
                quantile(offsets, 0.9), quantile(offsets, 0.0), quantile(offsets, 1.0));
  }
  std::printf(" not_found %zu\n", missed);
}

int events(const char* module, const char* recordingPath, const char* probePath) {
  TriggerTimeline timeline;
  Signal soundtrack, recording;
  if (!readSoundtrack(module, &timeline, &soundtrack) || !readRecording(recordingPath, &recording)) return 1;
  const std::vector<ScreenChange> changes = readScreenChanges(probePath);
  const WallClock wall(recordingPath);
  const std::vector<Stretch> stretches = alignRecording(recording, soundtrack, kRate);
  const std::filesystem::path showDir = std::filesystem::path(module).parent_path();
  std::vector<double> scenes, pictures;
  size_t scenesMissed = 0, picturesMissed = 0;
  for (const ExpectedChange& expected : expectedChanges(showDir.empty() ? "." : showDir.string(), timeline)) {
    const auto missed = [&](const char* why) {
      ++(expected.scene ? scenesMissed : picturesMissed);
      std::printf("event \"%s\" at %.3f %s\n", expected.name.c_str(), expected.showTime, why);
    };
    const int64_t note = static_cast<int64_t>(expected.showTime * kRate);
    // The stretch that played the note, or the nearest one within a second
    // (a stretch's edges are only as sharp as its 0.1-s steps, and a run of
    // dropouts may match nowhere): off by the dropouts between them at most.
    const Stretch* heardIn = nullptr;
    int64_t nearest = kRate;
    for (const Stretch& s : stretches) {
      const int64_t away = std::max<int64_t>({s.start - s.offset - note, note - (s.end - s.endOffset() - 1), 0});
      if (away <= nearest) {
        nearest = away;
        heardIn = &s;
      }
    }
    if (heardIn == nullptr) {
      missed("not found in the recording");
      continue;
    }
    const double heard = wall.at(note + localOffset(recording, soundtrack, *heardIn, note + heardIn->offset, kRate));
    double likeness = 0;
    const ScreenChange* shown = likestChangeNear(changes, heard, expected.within, expected.cells, &likeness);
    if (shown == nullptr || likeness < kLikeEnough) {
      missed("has no picture change like it near its note");
      continue;
    }
    const double offset = (shown->wall - heard) * 1000.0;
    (expected.scene ? scenes : pictures).push_back(offset);
    std::printf("event \"%s\" at %.3f heard %.6f shown %.6f shown_minus_heard_ms %.1f changed %.3f like %.2f\n",
                expected.name.c_str(), expected.showTime, heard, shown->wall, offset, shown->changed(), likeness);
  }
  printSpread("scene_changes", scenes, scenesMissed);
  printSpread("middle_pictures", pictures, picturesMissed);
  std::vector<double> all = scenes;
  all.insert(all.end(), pictures.begin(), pictures.end());
  printSpread("all", all, scenesMissed + picturesMissed);
  printSilences(recording, soundtrack, stretches);
  return 0;
}

int marks(const char* module) {
  const TriggerTimeline timeline = scanTriggerTimelineFile(module, kRate);
  if (!timeline.loaded) return 1;
  for (const SceneMark& mark : sceneMarks(timeline)) {
    std::string name = mark.name;
    std::replace(name.begin(), name.end(), ' ', '_');
    std::printf("%s %.6f\n", name.c_str(), mark.showTime);
  }
  return 0;
}

int shown(const char* probePath, double wall, double within) {
  const std::vector<ScreenChange> changes = readScreenChanges(probePath);
  const ScreenChange* change = biggestChangeNear(changes, wall, within);
  if (change == nullptr) return 1;
  std::printf("%.6f %.3f\n", change->wall, change->changed());
  return 0;
}

int compare(const char* module, int count, char** recordings) {
  TriggerTimeline timeline;
  Signal soundtrack;
  if (!readSoundtrack(module, &timeline, &soundtrack)) return 1;
  for (int r = 0; r < count; ++r) {
    Signal recording;
    if (!readRecording(recordings[r], &recording)) return 1;
    const WallClock wall(recordings[r]);
    std::printf("recording %s seconds %.3f wall %.6f\n", recordings[r], static_cast<double>(recording.size()) / kRate,
                wall.at(0));
    const std::vector<Stretch> stretches = alignRecording(recording, soundtrack, kRate);
    for (const Stretch& s : stretches) {
      std::printf(
          "stretch from %.3f to %.3f offset %.4f correlation %.5f level %.2f soundtrack_level %.2f "
          "start_wall %.6f music_zero_wall %.6f\n",
          static_cast<double>(s.start) / kRate, static_cast<double>(s.end) / kRate,
          static_cast<double>(s.offset) / kRate, stretchCorrelation(recording, soundtrack, s, kRate),
          levelDb(recording, s.start, s.end), levelDb(soundtrack, s.start - s.offset, s.end - s.offset),
          wall.at(s.start), wall.at(s.start) - static_cast<double>(s.start - s.offset) / kRate);
    }
    printSilences(recording, soundtrack, stretches);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "record") == 0) return record(argv[2]);
  if (argc >= 4 && std::strcmp(argv[1], "compare") == 0) return compare(argv[2], argc - 3, argv + 3);
  if (argc == 5 && std::strcmp(argv[1], "events") == 0) return events(argv[2], argv[3], argv[4]);
  if (argc == 3 && std::strcmp(argv[1], "marks") == 0) return marks(argv[2]);
  if (argc == 5 && std::strcmp(argv[1], "shown") == 0) return shown(argv[2], std::atof(argv[3]), std::atof(argv[4]));
  std::fprintf(stderr,
               "usage: sound_match record FILE | compare DEMO.XM RECORDING... | events DEMO.XM RECORDING PROBE\n"
               "       | marks DEMO.XM | shown PROBE WALL WITHIN\n");
  return 2;
}
