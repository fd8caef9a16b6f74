#include "synth.h"

#include <algorithm>
#include <cmath>

namespace synth {

double noteFrequency(int xmNote) { return 440.0 * std::pow(2.0, (xmNote - 58) / 12.0); }

namespace {

// The PolyBLEP correction that rounds a waveform's jump over one sample.
double polyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

}  // namespace

double saw(double phase, double phaseStep) { return 2.0 * phase - 1.0 - polyBlep(phase, phaseStep); }

double pulse(double phase, double phaseStep, double width) {
  double value = phase < width ? 1.0 : -1.0;
  value += polyBlep(phase, phaseStep);
  double shifted = phase - width;
  if (shifted < 0.0) shifted += 1.0;
  value -= polyBlep(shifted, phaseStep);
  return value;
}

double Noise::next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return static_cast<double>(state_) / 2147483648.0 - 1.0;
}

void Biquad::set(double b0, double b1, double b2, double a0, double a1, double a2) {
  b0_ = b0 / a0;
  b1_ = b1 / a0;
  b2_ = b2 / a0;
  a1_ = a1 / a0;
  a2_ = a2 / a0;
}

void Biquad::setLowPass(double cutoff, double q, double rate) {
  const double w = 2.0 * kPi * std::min(cutoff, rate * 0.45) / rate;
  const double alpha = std::sin(w) / (2.0 * q);
  const double c = std::cos(w);
  set((1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

void Biquad::setBandPass(double centre, double q, double rate) {
  const double w = 2.0 * kPi * std::min(centre, rate * 0.45) / rate;
  const double alpha = std::sin(w) / (2.0 * q);
  const double c = std::cos(w);
  set(alpha, 0.0, -alpha, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

Biquad Biquad::lowPass(double cutoff, double q, double rate) {
  Biquad f;
  f.setLowPass(cutoff, q, rate);
  return f;
}

Biquad Biquad::highPass(double cutoff, double q, double rate) {
  Biquad f;
  const double w = 2.0 * kPi * std::min(cutoff, rate * 0.45) / rate;
  const double alpha = std::sin(w) / (2.0 * q);
  const double c = std::cos(w);
  f.set((1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
  return f;
}

Biquad Biquad::bandPass(double centre, double q, double rate) {
  Biquad f;
  f.setBandPass(centre, q, rate);
  return f;
}

double Biquad::process(double x) {
  const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
  x2_ = x1_;
  x1_ = x;
  y2_ = y1_;
  y1_ = y;
  return y;
}

double decay(double seconds, double time) { return std::exp(-seconds / time); }

std::vector<int16_t> toPcm16(const Signal& signal, double peak) {
  double loudest = 0.0;
  for (double v : signal) loudest = std::max(loudest, std::fabs(v));
  const double scale = loudest > 0.0 ? peak * 32767.0 / loudest : 0.0;
  std::vector<int16_t> pcm(signal.size());
  for (size_t i = 0; i < signal.size(); ++i) {
    const double v = std::clamp(std::round(signal[i] * scale), -32768.0, 32767.0);
    pcm[i] = static_cast<int16_t>(v);
  }
  return pcm;
}

void saturate(Signal& signal, double drive) {
  const double norm = std::tanh(drive);
  for (double& v : signal) v = std::tanh(v * drive) / norm;
}

void fadeOut(Signal& signal, size_t frames) {
  frames = std::min(frames, signal.size());
  const size_t start = signal.size() - frames;
  for (size_t i = 0; i < frames; ++i) signal[start + i] *= static_cast<double>(frames - i) / frames;
}

}  // namespace synth
