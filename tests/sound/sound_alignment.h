// Where a recording of the show's sound sits in the soundtrack it should be:
// stretches that each match one place of the soundtrack sample for sample,
// and the silences the player inserted between them.
#pragma once

#include <cstdint>
#include <vector>

// Mono samples in [-1, 1] at one rate.
using Signal = std::vector<float>;

// Recording samples [start, end) match soundtrack sample (index - offset).
struct Stretch {
  int64_t start = 0;
  int64_t end = 0;
  int64_t offset = 0;
};

// Stretches in recording order. A stretch ends where the recording stops
// matching the place it was at (a gap that shifted the music, a jump);
// silent parts of the recording belong to the stretch around them.
std::vector<Stretch> alignRecording(const Signal& recording, const Signal& soundtrack, int rate);

// Normalised correlation of recording [start, end) with the soundtrack at
// `offset`: 1 for the same sound at any level.
double correlation(const Signal& recording, const Signal& soundtrack, int64_t start, int64_t end, int64_t offset);

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
