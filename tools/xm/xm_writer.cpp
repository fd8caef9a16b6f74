#include "xm_writer.h"

#include <cmath>
#include <cstdio>

namespace xm {

namespace {

constexpr int kMaxChannels = 32;
constexpr int kMaxPatterns = 256;
constexpr int kMaxOrders = 256;
constexpr int kMaxInstruments = 128;
constexpr int kMaxEnvelopePoints = 12;
constexpr uint32_t kHeaderSize = 276;      // counted from its own field
constexpr uint32_t kInstrumentSize = 263;  // with the one-sample extension
constexpr uint32_t kSampleHeaderSize = 40;

class ByteWriter {
 public:
  std::vector<uint8_t> bytes;

  void u8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v)); }
  void u16(uint32_t v) {
    u8(v & 0xFF);
    u8((v >> 8) & 0xFF);
  }
  void u32(uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  // Fixed-width text, cut or padded with `pad`.
  void text(const std::string& s, size_t width, uint8_t pad = 0) {
    for (size_t i = 0; i < width; ++i) u8(i < s.size() ? static_cast<uint8_t>(s[i]) : pad);
  }
  void zeros(size_t count) { bytes.insert(bytes.end(), count, 0); }
  void patchU16(size_t at, uint32_t v) {
    bytes[at] = static_cast<uint8_t>(v & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  }
};

std::string describe(const char* what, size_t index, const char* problem) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, "%s %zu: %s", what, index, problem);
  return buffer;
}

bool validEnvelope(const Envelope& env, std::string* why) {
  const int count = static_cast<int>(env.points.size());
  if (count > kMaxEnvelopePoints) return *why = "more than 12 envelope points", false;
  for (int i = 0; i < count; ++i) {
    if (env.points[i].value > 64) return *why = "envelope value above 64", false;
    if (i > 0 && env.points[i].tick <= env.points[i - 1].tick) return *why = "envelope ticks not rising", false;
  }
  if (env.sustainPoint >= count) return *why = "sustain point outside the envelope", false;
  if ((env.loopStart >= 0) != (env.loopEnd >= 0)) return *why = "envelope loop needs a start and an end", false;
  if (env.loopStart >= 0 && (env.loopEnd >= count || env.loopStart > env.loopEnd)) {
    return *why = "envelope loop outside the envelope", false;
  }
  return true;
}

bool validSample(const Sample& s, std::string* why) {
  const uint64_t bytes = static_cast<uint64_t>(s.length()) * (s.sixteenBit ? 2 : 1);
  if (bytes > 0x7FFFFFFF) return *why = "sample too long", false;
  if (s.volume > 64) return *why = "sample volume above 64", false;
  if (s.loop != Loop::none) {
    if (s.loopLength == 0) return *why = "looped sample with an empty loop", false;
    if (static_cast<uint64_t>(s.loopStart) + s.loopLength > s.length()) {
      return *why = "sample loop beyond the sample's end", false;
    }
  }
  return true;
}

bool validate(const Module& m, std::string* error) {
  std::string why;
  if (m.channels < 1 || m.channels > kMaxChannels) return *error = "channel count must be 1..32", false;
  if (m.speed < 1 || m.speed > 31) return *error = "speed must be 1..31", false;
  if (m.bpm < 32 || m.bpm > 255) return *error = "BPM must be 32..255", false;
  if (m.orders.empty() || m.orders.size() > kMaxOrders) return *error = "order table must hold 1..256 entries", false;
  if (m.restartPosition < 0 || m.restartPosition >= static_cast<int>(m.orders.size())) {
    return *error = "restart position outside the order table", false;
  }
  if (m.patterns.empty() || m.patterns.size() > kMaxPatterns) return *error = "need 1..256 patterns", false;
  if (m.instruments.size() > kMaxInstruments) return *error = "at most 128 instruments", false;
  for (size_t i = 0; i < m.orders.size(); ++i) {
    if (m.orders[i] >= m.patterns.size()) return *error = describe("order", i, "names a missing pattern"), false;
  }
  for (size_t p = 0; p < m.patterns.size(); ++p) {
    const Pattern& pat = m.patterns[p];
    if (pat.rows < 1 || pat.rows > 256) return *error = describe("pattern", p, "rows must be 1..256"), false;
    if (pat.channels != m.channels || pat.cells.size() != static_cast<size_t>(pat.rows) * pat.channels) {
      return *error = describe("pattern", p, "cells do not match rows x channels"), false;
    }
    for (const Cell& c : pat.cells) {
      if (c.note > kKeyOff) return *error = describe("pattern", p, "note above 97"), false;
      if (c.instrument > kMaxInstruments) return *error = describe("pattern", p, "instrument above 128"), false;
    }
  }
  for (size_t i = 0; i < m.instruments.size(); ++i) {
    const Instrument& ins = m.instruments[i];
    if (!validEnvelope(ins.volumeEnvelope, &why) || !validSample(ins.sample, &why)) {
      return *error = describe("instrument", i + 1, why.c_str()), false;
    }
    if (ins.fadeout > 0xFFF) return *error = describe("instrument", i + 1, "fadeout above 0xFFF"), false;
  }
  return true;
}

// One cell in FT2's packing: a flag byte naming the fields that follow, or
// the five raw bytes when all are present (the first byte then stays < 0x80).
void packCell(ByteWriter& out, const Cell& c) {
  uint8_t flags = 0x80;
  if (c.note) flags |= 0x01;
  if (c.instrument) flags |= 0x02;
  if (c.volume) flags |= 0x04;
  if (c.effect) flags |= 0x08;
  if (c.param) flags |= 0x10;
  if (flags == 0x9F) {
    out.u8(c.note);
    out.u8(c.instrument);
    out.u8(c.volume);
    out.u8(c.effect);
    out.u8(c.param);
    return;
  }
  out.u8(flags);
  if (c.note) out.u8(c.note);
  if (c.instrument) out.u8(c.instrument);
  if (c.volume) out.u8(c.volume);
  if (c.effect) out.u8(c.effect);
  if (c.param) out.u8(c.param);
}

bool writePattern(ByteWriter& out, const Pattern& pat, size_t index, std::string* error) {
  out.u32(9);
  out.u8(0);
  out.u16(static_cast<uint32_t>(pat.rows));
  const size_t sizeAt = out.bytes.size();
  out.u16(0);
  const size_t dataStart = out.bytes.size();
  for (const Cell& c : pat.cells) packCell(out, c);
  const size_t packed = out.bytes.size() - dataStart;
  if (packed > 0xFFFF) return *error = describe("pattern", index, "packs to more than 65535 bytes"), false;
  out.patchU16(sizeAt, static_cast<uint32_t>(packed));
  return true;
}

void writeEnvelopePoints(ByteWriter& out, const Envelope& env) {
  for (int i = 0; i < kMaxEnvelopePoints; ++i) {
    if (i < static_cast<int>(env.points.size())) {
      out.u16(env.points[i].tick);
      out.u16(env.points[i].value);
    } else {
      out.u32(0);
    }
  }
}

uint8_t envelopeFlags(const Envelope& env) {
  if (env.points.empty()) return 0;
  uint8_t flags = 0x01;
  if (env.sustainPoint >= 0) flags |= 0x02;
  if (env.loopStart >= 0) flags |= 0x04;
  return flags;
}

void writeInstrument(ByteWriter& out, const Instrument& ins) {
  const Sample& s = ins.sample;
  const Envelope& vol = ins.volumeEnvelope;
  const Envelope noPanning;

  out.u32(kInstrumentSize);
  out.text(ins.name, 22);
  out.u8(0);
  out.u16(1);
  out.u32(kSampleHeaderSize);
  out.zeros(96);  // every key plays the instrument's only sample
  writeEnvelopePoints(out, vol);
  writeEnvelopePoints(out, noPanning);
  out.u8(static_cast<uint32_t>(vol.points.size()));
  out.u8(0);
  out.u8(static_cast<uint32_t>(vol.sustainPoint < 0 ? 0 : vol.sustainPoint));
  out.u8(static_cast<uint32_t>(vol.loopStart < 0 ? 0 : vol.loopStart));
  out.u8(static_cast<uint32_t>(vol.loopEnd < 0 ? 0 : vol.loopEnd));
  out.zeros(3);  // panning sustain and loop
  out.u8(envelopeFlags(vol));
  out.u8(0);
  out.u8(ins.vibratoType);
  out.u8(ins.vibratoSweep);
  out.u8(ins.vibratoDepth);
  out.u8(ins.vibratoRate);
  out.u16(ins.fadeout);
  out.zeros(22);

  const uint32_t width = s.sixteenBit ? 2 : 1;
  const bool looped = s.loop != Loop::none;
  out.u32(static_cast<uint32_t>(s.length()) * width);
  out.u32(looped ? s.loopStart * width : 0);
  out.u32(looped ? s.loopLength * width : 0);
  out.u8(s.volume);
  out.u8(static_cast<uint8_t>(s.finetune));
  out.u8(static_cast<uint32_t>(s.loop) | (s.sixteenBit ? 0x10 : 0));
  out.u8(s.panning);
  out.u8(static_cast<uint8_t>(s.relativeNote));
  out.u8(0);
  out.text(s.name, 22);

  // Each point is stored as its difference from the previous one.
  if (s.sixteenBit) {
    int16_t previous = 0;
    for (int16_t v : s.pcm16) {
      out.u16(static_cast<uint16_t>(static_cast<uint16_t>(v) - static_cast<uint16_t>(previous)));
      previous = v;
    }
  } else {
    int8_t previous = 0;
    for (int8_t v : s.pcm8) {
      out.u8(static_cast<uint8_t>(static_cast<uint8_t>(v) - static_cast<uint8_t>(previous)));
      previous = v;
    }
  }
}

}  // namespace

std::vector<uint8_t> writeModule(const Module& m, std::string* error) {
  std::string ignored;
  if (error == nullptr) error = &ignored;
  if (!validate(m, error)) return {};

  ByteWriter out;
  out.text("Extended Module: ", 17);
  out.text(m.name, 20);
  out.u8(0x1A);
  out.text(m.trackerName, 20, ' ');
  out.u16(0x0104);
  out.u32(kHeaderSize);
  out.u16(static_cast<uint32_t>(m.orders.size()));
  out.u16(static_cast<uint32_t>(m.restartPosition));
  out.u16(static_cast<uint32_t>(m.channels));
  out.u16(static_cast<uint32_t>(m.patterns.size()));
  out.u16(static_cast<uint32_t>(m.instruments.size()));
  out.u16(m.linearFrequencies ? 1 : 0);
  out.u16(static_cast<uint32_t>(m.speed));
  out.u16(static_cast<uint32_t>(m.bpm));
  for (size_t i = 0; i < kMaxOrders; ++i) out.u8(i < m.orders.size() ? m.orders[i] : 0);

  for (size_t p = 0; p < m.patterns.size(); ++p) {
    if (!writePattern(out, m.patterns[p], p, error)) return {};
  }
  for (const Instrument& ins : m.instruments) writeInstrument(out, ins);
  return out.bytes;
}

bool saveModule(const Module& module, const char* path, std::string* error) {
  std::string ignored;
  if (error == nullptr) error = &ignored;
  const std::vector<uint8_t> bytes = writeModule(module, error);
  if (bytes.empty()) return false;
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return *error = std::string("cannot create ") + path, false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) return *error = std::string("cannot write ") + path, false;
  return true;
}

void tuneSample(Sample& sample, double samplesPerSecond) {
  const double semitones = 12.0 * std::log2(samplesPerSecond / 8363.0);
  const long steps = std::lround(semitones * 128.0);
  // Floor division keeps finetune in 0..127 whatever the sign.
  long note = steps / 128;
  if (steps % 128 < 0) --note;
  sample.relativeNote = static_cast<int8_t>(note);
  sample.finetune = static_cast<int8_t>(steps - note * 128);
}

}  // namespace xm
