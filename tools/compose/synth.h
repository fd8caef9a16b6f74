// The composer's sound sources: oscillators, noise, filters and envelopes in
// plain double arithmetic, so the same samples come out on every build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace synth {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kRate = 44100.0;

using Signal = std::vector<double>;

// Equal-tempered frequency of an XM note (49 = C-4, A-4 = 440 Hz).
double noteFrequency(int xmNote);

// Band-limited waveforms (PolyBLEP edges) of a running phase in [0, 1).
double saw(double phase, double phaseStep);
double pulse(double phase, double phaseStep, double width);

// A seeded xorshift generator: the same noise on every run.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed != 0 ? seed : 1) {}
  double next();  // uniform in [-1, 1)

 private:
  uint32_t state_;
};

// A second-order filter section (the usual audio cookbook forms).
class Biquad {
 public:
  static Biquad lowPass(double cutoff, double q, double rate = kRate);
  static Biquad highPass(double cutoff, double q, double rate = kRate);
  static Biquad bandPass(double centre, double q, double rate = kRate);
  // Re-tunes a low-pass in place, keeping its state (for sweeps).
  void setLowPass(double cutoff, double q, double rate = kRate);
  void setBandPass(double centre, double q, double rate = kRate);
  double process(double x);

 private:
  void set(double b0, double b1, double b2, double a0, double a1, double a2);
  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// exp(-t / time): a decay that falls to 1/e after `time` seconds.
double decay(double seconds, double time);

// Scales a signal so its loudest point is `peak` (of full scale) and
// converts it to 16-bit points.
std::vector<int16_t> toPcm16(const Signal& signal, double peak);

// Softly limits a signal's peaks, for punch without hard clipping.
void saturate(Signal& signal, double drive);

// Fades the last `frames` points to silence, so a one-shot ends without a click.
void fadeOut(Signal& signal, size_t frames);

}  // namespace synth
