#include "instruments.h"

#include <cmath>

#include "synth.h"
#include "xm/xm_writer.h"

namespace soundtrack {

namespace {

using synth::Biquad;
using synth::decay;
using synth::kPi;
using synth::kRate;
using synth::Noise;
using synth::Signal;

constexpr int kC2 = xm::note(2, 0);
constexpr int kC4 = xm::note(4, 0);
constexpr int kC5 = xm::note(5, 0);
constexpr double kSlowRate = kRate / 2;  // for long noisy one-shots

Signal silence(double seconds, double rate = kRate) { return Signal(static_cast<size_t>(seconds * rate), 0.0); }

// Tunes a sample recorded at `rate` whose pitch is `frequency`: every note
// then sounds at its own equal-tempered pitch.
void tune(xm::Sample& sample, double rate, double frequency) {
  xm::tuneSample(sample, rate * synth::noteFrequency(kC4) / frequency);
}

xm::Instrument oneShot(const char* name, const Signal& signal, double peak, uint8_t volume, uint8_t panning,
                       double rate = kRate) {
  xm::Instrument ins;
  ins.name = name;
  ins.sample.name = name;
  ins.sample.pcm16 = synth::toPcm16(signal, peak);
  ins.sample.volume = volume;
  ins.sample.panning = panning;
  tune(ins.sample, rate, synth::noteFrequency(kC4));
  return ins;
}

// Six detuned square waves: the metallic body of hats and cymbals.
double metal(double t) {
  static const double kPartials[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
  double sum = 0.0;
  for (double f : kPartials) sum += std::fmod(t * f * 2.0, 1.0) < 0.5 ? 1.0 : -1.0;
  return sum / 6.0;
}

xm::Instrument kick() {
  Signal s = silence(0.42);
  Noise noise(0x4B1C);
  Biquad click = Biquad::highPass(2500.0, 0.7);
  double phase = 0.0;
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = i / kRate;
    const double frequency = 46.0 + 120.0 * decay(t, 0.035) + 30.0 * decay(t, 0.12);
    phase += frequency / kRate;
    const double body = std::sin(2.0 * kPi * phase) * decay(t, 0.26);
    s[i] = body + 0.35 * click.process(noise.next()) * decay(t, 0.004);
  }
  synth::saturate(s, 1.8);
  synth::fadeOut(s, 900);
  return oneShot("kick", s, 0.98, 64, 128);
}

// A bright detuned saw whose filter closes quickly: the arpeggio's pluck.
xm::Instrument pluck() {
  const double frequency = synth::noteFrequency(kC5);
  Signal s = silence(0.55);
  Biquad filter = Biquad::lowPass(6000.0, 1.4);
  double a = 0.0, b = 0.0, c = 0.0;
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = i / kRate;
    const double stepA = frequency * 1.003 / kRate, stepB = frequency * 0.997 / kRate, stepC = frequency / kRate;
    a = std::fmod(a + stepA, 1.0);
    b = std::fmod(b + stepB, 1.0);
    c = std::fmod(c + stepC, 1.0);
    const double raw = 0.45 * synth::saw(a, stepA) + 0.45 * synth::saw(b, stepB) + 0.3 * synth::pulse(c, stepC, 0.5);
    filter.setLowPass(700.0 + 7000.0 * decay(t, 0.07), 1.4);
    const double attack = std::fmin(1.0, t / 0.002);
    s[i] = filter.process(raw) * attack * decay(t, 0.22);
  }
  synth::fadeOut(s, 2000);
  xm::Instrument ins = oneShot("pluck", s, 0.9, 56, 128);
  tune(ins.sample, kRate, frequency);
  return ins;
}

Signal hatSignal(double length, double time, uint32_t seed) {
  Signal s = silence(length);
  Noise noise(seed);
  Biquad high = Biquad::highPass(7000.0, 0.8);
  Biquad metalHigh = Biquad::highPass(6000.0, 0.7);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = i / kRate;
    s[i] = (0.7 * high.process(noise.next()) + 0.5 * metalHigh.process(metal(t))) * decay(t, time);
  }
  synth::fadeOut(s, 300);
  return s;
}

xm::Instrument hat() { return oneShot("closed hat", hatSignal(0.1, 0.03, 0x1A7), 0.9, 60, 150); }
xm::Instrument openHat() { return oneShot("open hat", hatSignal(0.42, 0.14, 0x0E7), 0.85, 48, 108); }

// Three quick noise bursts and a short tail through a band-pass.
xm::Instrument clap() {
  Signal s = silence(0.36);
  Noise noise(0xC1A9);
  Biquad band = Biquad::bandPass(1300.0, 0.9);
  Biquad body = Biquad::lowPass(400.0, 0.7);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = i / kRate;
    double level = 0.0;
    for (double start : {0.0, 0.011, 0.022}) {
      if (t >= start) level = std::fmax(level, decay(t - start, 0.006));
    }
    if (t >= 0.03) level = std::fmax(level, 0.8 * decay(t - 0.03, 0.12));
    const double n = noise.next();
    s[i] = band.process(n) * level + 0.4 * body.process(std::sin(2.0 * kPi * 185.0 * t)) * decay(t, 0.05);
  }
  synth::saturate(s, 2.2);
  synth::fadeOut(s, 600);
  return oneShot("clap", s, 0.95, 64, 128);
}

// A saw over a sine sub, its filter opening for the attack only.
xm::Instrument bass() {
  const double frequency = synth::noteFrequency(kC2);
  Signal s = silence(0.48);
  Biquad filter = Biquad::lowPass(1600.0, 1.1);
  double phase = 0.0;
  const double step = frequency / kRate;
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = i / kRate;
    phase = std::fmod(phase + step, 1.0);
    filter.setLowPass(260.0 + 1500.0 * decay(t, 0.05), 1.1);
    const double tone = filter.process(synth::saw(phase, step)) + 0.9 * std::sin(2.0 * kPi * phase);
    const double attack = std::fmin(1.0, t / 0.003);
    s[i] = tone * attack * (0.55 + 0.45 * decay(t, 0.08)) * decay(t, 0.5);
  }
  synth::saturate(s, 1.4);
  synth::fadeOut(s, 1500);
  xm::Instrument ins = oneShot("bass", s, 0.95, 60, 128);
  tune(ins.sample, kRate, frequency);
  return ins;
}

// A looped stack of detuned saws. Every oscillator completes a whole number
// of cycles in the loop, and the filter runs through one loop first, so the
// loop joins without a click.
xm::Instrument pad() {
  const size_t loop = 44100;
  static const int kCycles[] = {259, 261, 262, 263, 265};
  Signal s(loop, 0.0);
  Biquad filter = Biquad::lowPass(2200.0, 0.8);
  double phases[5] = {0.0, 0.2, 0.4, 0.6, 0.8};
  double sub = 0.0;
  for (size_t i = 0; i < 2 * loop; ++i) {
    double sum = 0.0;
    for (int k = 0; k < 5; ++k) {
      const double step = static_cast<double>(kCycles[k]) / loop;
      phases[k] = std::fmod(phases[k] + step, 1.0);
      sum += synth::saw(phases[k], step);
    }
    sub = std::fmod(sub + 131.0 / loop, 1.0);
    const double out = filter.process(sum / 5.0 + 0.25 * std::sin(2.0 * kPi * sub));
    if (i >= loop) s[i - loop] = out;
  }
  xm::Instrument ins = oneShot("pad", s, 0.85, 40, 128);
  ins.sample.loop = xm::Loop::forward;
  ins.sample.loopStart = 0;
  ins.sample.loopLength = static_cast<uint32_t>(loop);
  tune(ins.sample, kRate, 262.0 * kRate / loop);
  // Slow swell, a long release after the key is let go.
  ins.volumeEnvelope.points = {{0, 0}, {24, 64}, {48, 52}, {110, 0}};
  ins.volumeEnvelope.sustainPoint = 2;
  ins.fadeout = 0x80;
  return ins;
}

// A saw and a narrow pulse a few cents apart, gently filtered.
xm::Instrument lead() {
  const size_t loop = 22050;
  Signal s(loop, 0.0);
  Biquad filter = Biquad::lowPass(5200.0, 0.9);
  double a = 0.0, b = 0.3;
  const double stepA = 261.0 / loop, stepB = 262.0 / loop;
  for (size_t i = 0; i < 2 * loop; ++i) {
    a = std::fmod(a + stepA, 1.0);
    b = std::fmod(b + stepB, 1.0);
    const double out = filter.process(0.6 * synth::saw(a, stepA) + 0.45 * synth::pulse(b, stepB, 0.3));
    if (i >= loop) s[i - loop] = out;
  }
  xm::Instrument ins = oneShot("lead", s, 0.85, 44, 128);
  ins.sample.loop = xm::Loop::forward;
  ins.sample.loopStart = 0;
  ins.sample.loopLength = static_cast<uint32_t>(loop);
  tune(ins.sample, kRate, 261.5 * kRate / loop);
  ins.volumeEnvelope.points = {{0, 0}, {2, 64}, {14, 46}, {34, 0}};
  ins.volumeEnvelope.sustainPoint = 2;
  ins.fadeout = 0x200;
  ins.vibratoType = 0;
  ins.vibratoSweep = 40;
  ins.vibratoDepth = 3;
  ins.vibratoRate = 10;
  return ins;
}

xm::Instrument crash() {
  Signal s = silence(2.4, kSlowRate);
  Noise noise(0xC8A5);
  Biquad high = Biquad::highPass(3500.0, 0.6, kSlowRate);
  Biquad band = Biquad::bandPass(6000.0, 0.5, kSlowRate);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = i / kSlowRate;
    const double n = noise.next();
    s[i] = (0.8 * high.process(n) + 0.5 * band.process(metal(t * 1.7))) * decay(t, 0.7) * std::fmin(1.0, t / 0.002);
  }
  synth::fadeOut(s, 4000);
  return oneShot("crash", s, 0.8, 36, 128, kSlowRate);
}

// Two bars of noise rising in pitch and level, peaking into the drop.
xm::Instrument riser() {
  const double length = 2 * 16 * 0.12;
  Signal s = silence(length, kSlowRate);
  Noise noise(0x215E);
  Biquad band = Biquad::bandPass(300.0, 2.0, kSlowRate);
  for (size_t i = 0; i < s.size(); ++i) {
    const double progress = i / (length * kSlowRate);
    band.setBandPass(250.0 * std::pow(36.0, progress), 2.5, kSlowRate);
    s[i] = band.process(noise.next()) * progress * progress;
  }
  synth::fadeOut(s, 400);
  return oneShot("riser", s, 0.8, 40, 128, kSlowRate);
}

}  // namespace

std::vector<xm::Instrument> makeInstruments() {
  std::vector<xm::Instrument> list(kInstrumentCount);
  list[kKick] = kick();
  list[kPluck] = pluck();
  list[kHat] = hat();
  list[kClap] = clap();
  list[kBass] = bass();
  list[kPad] = pad();
  list[kLead] = lead();
  list[kCrash] = crash();
  list[kOpenHat] = openHat();
  list[kRiser] = riser();
  return list;
}

}  // namespace soundtrack
