// Where a recording of the show's sound sits in the soundtrack it should be:
// stretches that each match one place of the soundtrack sample for sample,
// and the silences the player inserted between them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

// Mono samples in [-1, 1] at one rate.
using Signal = std::vector<float>;

// Recording samples [start, end) match soundtrack sample (index - offset)
// at the start, and (index - offsetAt(index)) on from there: a player nudged
// to keep the show's clock plays a hair faster or slower, and its place moves
// by a few samples a second.
struct Stretch {
  int64_t start = 0;
  int64_t end = 0;
  int64_t offset = 0;
  // The place found for each step of `step` samples from `placesFrom`.
  int64_t placesFrom = 0;
  int64_t step = 1;
  std::vector<int64_t> places;

  int64_t endOffset() const { return places.empty() ? offset : places.back(); }
  int64_t offsetAt(int64_t i) const {
    if (places.empty()) return offset;
    const int64_t k = std::clamp<int64_t>((i - placesFrom) / step, 0, static_cast<int64_t>(places.size()) - 1);
    return places[static_cast<size_t>(k)];
  }
  // The stretch goes on to `to`, at `place` for the step from `from`.
  void extend(int64_t from, int64_t to, int64_t place) {
    end = to;
    places.resize(static_cast<size_t>((from - placesFrom) / step), endOffset());
    places.push_back(place);
  }
};

// Stretches in recording order. A stretch ends where the recording stops
// matching the place it was at (a gap that shifted the music, a jump), or
// one within half a millisecond of it;
// silent parts of the recording belong to the stretch around them.
std::vector<Stretch> alignRecording(const Signal& recording, const Signal& soundtrack, int rate);

// The stretch's place around recording sample i: the best match within half
// a millisecond of offsetAt(i), over a tenth of a second from there.
int64_t localOffset(const Signal& recording, const Signal& soundtrack, const Stretch& stretch, int64_t i, int rate);

// Normalised correlation of a stretch with the soundtrack, a tenth of a
// second at a time at the stretch's place there.
double stretchCorrelation(const Signal& recording, const Signal& soundtrack, const Stretch& stretch, int rate);

// Normalised correlation of recording [start, end) with the soundtrack at
// `offset`: 1 for the same sound at any level.
double correlation(const Signal& recording, const Signal& soundtrack, int64_t start, int64_t end, int64_t offset);

// The same, with the soundtrack shifted by the fraction of a sample within
// half a sample that matches best: a player that plays a hair faster or
// slower lands between samples.
double nearCorrelation(const Signal& recording, const Signal& soundtrack, int64_t start, int64_t end, int64_t offset);

// RMS level in dB full scale of samples [start, end), -200 for silence.
double levelDb(const Signal& signal, int64_t start, int64_t end);

struct Silence {
  int64_t start = 0;  // recording samples
  int64_t length = 0;
};

// Inserted silences: runs of digital silence at least `minLength` samples long
// in the recording, between its first and its last sound, where the soundtrack
// at the place the recording was at is not silent.
std::vector<Silence> insertedSilences(const Signal& recording, const Signal& soundtrack,
                                      const std::vector<Stretch>& stretches, int64_t minLength);
