#include "sound_alignment.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {

// The soundtrack sample a recording sample stands for, when there is one.
bool inRange(const Signal& s, int64_t i) { return i >= 0 && i < static_cast<int64_t>(s.size()); }

// Mean absolute value per block: a coarse picture of the sound that a
// search over seconds of lags can afford.
Signal envelope(const Signal& s, int block) {
  Signal e(s.size() / static_cast<size_t>(block));
  for (size_t b = 0; b < e.size(); ++b) {
    float sum = 0.0f;
    for (int i = 0; i < block; ++i) sum += std::fabs(s[b * static_cast<size_t>(block) + static_cast<size_t>(i)]);
    e[b] = sum / static_cast<float>(block);
  }
  return e;
}

double envelopeMatch(const Signal& a, int64_t aStart, const Signal& b, int64_t bStart, int64_t length) {
  double ab = 0, aa = 0, bb = 0, sa = 0, sb = 0;
  for (int64_t i = 0; i < length; ++i) {
    const double x = a[static_cast<size_t>(aStart + i)];
    const double y = b[static_cast<size_t>(bStart + i)];
    ab += x * y;
    aa += x * x;
    bb += y * y;
    sa += x;
    sb += y;
  }
  const double n = static_cast<double>(length);
  const double cov = ab - sa * sb / n, va = aa - sa * sa / n, vb = bb - sb * sb / n;
  return va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 0.0;
}

constexpr float kSilent = 1.5f / 32768.0f;

}  // namespace

double correlation(const Signal& recording, const Signal& soundtrack, int64_t start, int64_t end, int64_t offset) {
  double ab = 0, aa = 0, bb = 0;
  for (int64_t i = start; i < end; ++i) {
    if (!inRange(recording, i) || !inRange(soundtrack, i - offset)) continue;
    const double x = recording[static_cast<size_t>(i)];
    const double y = soundtrack[static_cast<size_t>(i - offset)];
    ab += x * y;
    aa += x * x;
    bb += y * y;
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

double nearCorrelation(const Signal& recording, const Signal& soundtrack, int64_t start, int64_t end, int64_t offset) {
  // Lanczos kernels (8 lobes) for shifts of the soundtrack by eighths of a
  // sample, -1/2 to +1/2.
  constexpr int kTaps = 8;
  constexpr int kShifts = 9;
  static const auto kernels = [] {
    std::vector<std::array<double, 2 * kTaps>> k(kShifts);
    const double pi = std::acos(-1.0);
    for (int s = 0; s < kShifts; ++s) {
      const double shift = (s - kShifts / 2) / 8.0;
      for (int t = 0; t < 2 * kTaps; ++t) {
        const double x = (t - kTaps + 1) - shift;
        k[static_cast<size_t>(s)][static_cast<size_t>(t)] =
            x == 0 ? 1.0 : kTaps * std::sin(pi * x) * std::sin(pi * x / kTaps) / (pi * pi * x * x);
      }
    }
    return k;
  }();
  double best = correlation(recording, soundtrack, start, end, offset);
  for (int s = 0; s < kShifts; ++s) {
    if (s == kShifts / 2) continue;
    const auto& k = kernels[static_cast<size_t>(s)];
    double ab = 0, aa = 0, bb = 0;
    for (int64_t i = start; i < end; ++i) {
      const int64_t j = i - offset;
      if (!inRange(recording, i) || !inRange(soundtrack, j - kTaps + 1) || !inRange(soundtrack, j + kTaps)) continue;
      double y = 0;
      for (int t = 0; t < 2 * kTaps; ++t)
        y += k[static_cast<size_t>(t)] * soundtrack[static_cast<size_t>(j - kTaps + 1 + t)];
      const double x = recording[static_cast<size_t>(i)];
      ab += x * y;
      aa += x * x;
      bb += y * y;
    }
    if (aa > 0 && bb > 0) best = std::max(best, ab / std::sqrt(aa * bb));
  }
  return best;
}

double levelDb(const Signal& signal, int64_t start, int64_t end) {
  double sum = 0;
  int64_t n = 0;
  for (int64_t i = std::max<int64_t>(start, 0); i < std::min<int64_t>(end, static_cast<int64_t>(signal.size())); ++i) {
    sum += static_cast<double>(signal[static_cast<size_t>(i)]) * signal[static_cast<size_t>(i)];
    ++n;
  }
  if (n == 0 || sum <= 0) return -200.0;
  return 10.0 * std::log10(sum / static_cast<double>(n));
}

namespace {

// The lags, in blocks of the envelopes, at which blocks [at, at + length) of
// the recording's envelope best match the soundtrack's, searched over
// [lo, hi]: the best `count` of them, best first, each a local peak.
std::vector<int64_t> bestLags(const Signal& recEnv, int64_t at, int64_t length, const Signal& refEnv, int64_t lo,
                              int64_t hi, size_t count) {
  lo = std::max<int64_t>(lo, 0);
  hi = std::min<int64_t>(hi, static_cast<int64_t>(refEnv.size()) - length);
  std::vector<std::pair<double, int64_t>> peaks;
  double before = -2, here = -2;
  for (int64_t p = lo; p <= hi + 1; ++p) {
    const double next = p <= hi ? envelopeMatch(recEnv, at, refEnv, p, length) : -2;
    if (p - 1 >= lo && here >= 0.5 && here >= before && here >= next) peaks.emplace_back(here, p - 1);
    before = here;
    here = next;
  }
  std::sort(peaks.begin(), peaks.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<int64_t> lags;
  for (size_t i = 0; i < peaks.size() && i < count; ++i) lags.push_back(peaks[i].second);
  return lags;
}

}  // namespace

int64_t localOffset(const Signal& recording, const Signal& soundtrack, const Stretch& stretch, int64_t i, int rate) {
  const int64_t window = rate / 10;
  const int64_t t = std::clamp(i, stretch.start, std::max(stretch.start, stretch.end - window));
  const int64_t end = std::min(t + window, stretch.end);
  const int64_t around = stretch.offsetAt(t);
  int64_t best = around;
  double bestR = -2;
  for (int64_t d = -rate / 2000; d <= rate / 2000; ++d) {
    const double r = correlation(recording, soundtrack, t, end, around + d);
    if (r > bestR) {
      bestR = r;
      best = around + d;
    }
  }
  return best;
}

double stretchCorrelation(const Signal& recording, const Signal& soundtrack, const Stretch& stretch, int rate) {
  const int64_t window = rate / 10;
  double sum = 0, weight = 0;
  for (int64_t t = stretch.start; t < stretch.end; t += window) {
    const int64_t end = std::min(t + window, stretch.end);
    const double energy = std::pow(10.0, levelDb(recording, t, end) / 10.0) * static_cast<double>(end - t);
    sum +=
        nearCorrelation(recording, soundtrack, t, end, localOffset(recording, soundtrack, stretch, t, rate)) * energy;
    weight += energy;
  }
  return weight > 0 ? sum / weight : 0.0;
}

std::vector<Stretch> alignRecording(const Signal& recording, const Signal& soundtrack, int rate) {
  const int window = rate / 10;  // what one step checks
  // Envelopes at 10 ms for a search over the whole soundtrack, at 1 ms to
  // narrow it down; then the samples themselves.
  const int coarse = rate / 100, medium = rate / 1000;
  const Signal recCoarse = envelope(recording, coarse), refCoarse = envelope(soundtrack, coarse);
  const Signal recMedium = envelope(recording, medium), refMedium = envelope(soundtrack, medium);
  std::vector<Stretch> stretches;
  const int64_t total = static_cast<int64_t>(recording.size());
  for (int64_t t = 0; t + window <= total; t += window) {
    if (levelDb(recording, t, t + window) < -60.0) {
      if (!stretches.empty()) stretches.back().end = t + window;
      continue;
    }
    if (!stretches.empty()) {
      // The same place, or one a few samples on: a player nudged to the
      // clock moves by four frames a buffer at most, some nine a window.
      Stretch& last = stretches.back();
      int64_t place = last.endOffset();
      double r = correlation(recording, soundtrack, t, t + window, place);
      for (int64_t d = -10; d <= 10; ++d) {
        const double near = d == 0 ? r : correlation(recording, soundtrack, t, t + window, last.endOffset() + d);
        if (near > r) {
          r = near;
          place = last.endOffset() + d;
        }
      }
      if (r > 0.9 || nearCorrelation(recording, soundtrack, t, t + window, place) > 0.9) {
        last.extend(t, t + window, place);
        continue;
      }
    }
    // Two seconds of envelope from here, near the last place first (the
    // music repeats itself further away), then ever further.
    const int64_t span = 2 * rate;
    if (t + span > total) break;
    double fine = -1;
    int64_t offset = 0;
    for (const int64_t radius : {int64_t{3}, int64_t{15}, int64_t{1000}}) {
      int64_t lo = 0, hi = static_cast<int64_t>(refCoarse.size());
      if (!stretches.empty()) {
        const int64_t last = (t - stretches.back().endOffset()) / coarse;
        lo = last - radius * rate / coarse;
        hi = last + radius * rate / coarse;
      }
      // The music repeats itself nearly exactly: the samples decide between
      // the envelope's few best places.
      for (const int64_t c : bestLags(recCoarse, t / coarse, span / coarse, refCoarse, lo, hi, 8)) {
        const std::vector<int64_t> m = bestLags(recMedium, t / medium, span / medium, refMedium,
                                                (c * coarse - coarse) / medium, (c * coarse + coarse) / medium, 1);
        if (m.empty()) continue;
        for (int64_t d = -2 * medium; d <= 2 * medium; ++d) {
          const int64_t candidate = t - m[0] * medium + d;
          const double r = correlation(recording, soundtrack, t, t + window, candidate);
          if (r > fine) {
            fine = r;
            offset = candidate;
          }
        }
      }
      if (fine >= 0.9 || stretches.empty()) break;
    }
    if (fine < 0.9) continue;
    // The same place again after a dent (a silence, a glitch, a few samples
    // the recorder lost): the same stretch.
    if (!stretches.empty() && std::llabs(offset - stretches.back().endOffset()) <= rate / 2000) {
      stretches.back().extend(t, t + window, offset);
      continue;
    }
    // The new place starts where the recording's sound came back.
    int64_t start = t;
    if (!stretches.empty()) {
      while (start > stretches.back().start && std::fabs(recording[static_cast<size_t>(start - 1)]) > kSilent) --start;
      stretches.back().end = std::min(stretches.back().end, start);
    }
    stretches.push_back(Stretch{start, t + window, offset, t, window, {offset}});
  }
  // Silence after a stretch's last sound (the show's end) is none of it.
  for (Stretch& s : stretches) {
    while (s.end > s.start && std::fabs(recording[static_cast<size_t>(s.end - 1)]) <= kSilent) --s.end;
  }
  return stretches;
}

std::vector<Silence> insertedSilences(const Signal& recording, const Signal& soundtrack,
                                      const std::vector<Stretch>& stretches, int64_t minLength) {
  std::vector<Silence> found;
  if (stretches.empty()) return found;
  const int64_t total = static_cast<int64_t>(recording.size());
  int64_t first = 0, last = total;
  while (first < total && std::fabs(recording[static_cast<size_t>(first)]) <= kSilent) ++first;
  while (last > first && std::fabs(recording[static_cast<size_t>(last - 1)]) <= kSilent) --last;
  size_t s = 0;
  for (int64_t i = first; i < last;) {
    if (std::fabs(recording[static_cast<size_t>(i)]) > kSilent) {
      ++i;
      continue;
    }
    int64_t j = i;
    while (j < last && std::fabs(recording[static_cast<size_t>(j)]) <= kSilent) ++j;
    if (j - i >= minLength) {
      while (s + 1 < stretches.size() && stretches[s + 1].start <= i) ++s;
      // The place the music was at before the silence: a silence that the
      // soundtrack has there too is the music's own.
      const int64_t offset = stretches[s].offsetAt(i);
      if (levelDb(soundtrack, i - offset, j - offset) > -60.0) found.push_back(Silence{i, j - i});
    }
    i = j;
  }
  return found;
}
