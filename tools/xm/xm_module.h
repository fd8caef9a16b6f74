// An XM module as plain data, ready for the writer: what a tracker shows,
// without the file's packing. Instruments carry exactly one sample each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xm {

// Note column values: 1 is C-0, 49 is C-4, 96 is B-7; 97 releases the key.
inline constexpr uint8_t kNoNote = 0;
inline constexpr uint8_t kKeyOff = 97;
inline constexpr uint8_t kHighestNote = 96;

// The note for an octave (0..7) and a semitone (0 = C .. 11 = B).
constexpr uint8_t note(int octave, int semitone) { return static_cast<uint8_t>(octave * 12 + semitone + 1); }

// Volume column: 0x10..0x50 set the volume 0..64; the upper values hold the
// column's own effects (0xF0 + speed is a tone portamento).
constexpr uint8_t setVolume(int volume) { return static_cast<uint8_t>(0x10 + volume); }

// Effect column numbers as a tracker shows them (0..9, A..F = 10..15).
enum Effect : uint8_t {
  kArpeggio = 0x0,
  kPortaUp = 0x1,
  kPortaDown = 0x2,
  kTonePorta = 0x3,
  kVibrato = 0x4,
  kTonePortaVolSlide = 0x5,
  kVolumeSlide = 0xA,
  kPositionJump = 0xB,
  kSetVolume = 0xC,
  kPatternBreak = 0xD,
  kExtended = 0xE,  // parameter 0xDx delays the note by x ticks, 0xCx cuts it
  kSetSpeed = 0xF,  // below 0x20 ticks per row, from 0x20 the BPM
  kSetPanning = 0x8,
};

struct Cell {
  uint8_t note = kNoNote;
  uint8_t instrument = 0;  // 1-based as in a tracker; 0 keeps the channel's instrument
  uint8_t volume = 0;      // raw volume column byte, 0 = empty
  uint8_t effect = 0;
  uint8_t param = 0;

  bool empty() const { return note == 0 && instrument == 0 && volume == 0 && effect == 0 && param == 0; }
  bool operator==(const Cell&) const = default;
};

struct Pattern {
  int rows = 64;
  int channels = 0;
  std::vector<Cell> cells;  // row-major: cells[row * channels + channel]

  Pattern() = default;
  Pattern(int rowCount, int channelCount)
      : rows(rowCount), channels(channelCount), cells(static_cast<size_t>(rowCount) * channelCount) {}
  Cell& at(int row, int channel) { return cells[static_cast<size_t>(row) * channels + channel]; }
  const Cell& at(int row, int channel) const { return cells[static_cast<size_t>(row) * channels + channel]; }
};

struct EnvelopePoint {
  uint16_t tick = 0;
  uint8_t value = 0;  // 0..64
};

struct Envelope {
  std::vector<EnvelopePoint> points;  // at most 12, ticks rising; empty = off
  int sustainPoint = -1;              // index into points, or -1
  int loopStart = -1;                 // indices into points, or -1 for no loop
  int loopEnd = -1;
};

enum class Loop : uint8_t { none = 0, forward = 1, pingPong = 2 };

struct Sample {
  std::string name;
  bool sixteenBit = true;
  std::vector<int16_t> pcm16;  // used when sixteenBit
  std::vector<int8_t> pcm8;    // used otherwise
  Loop loop = Loop::none;
  uint32_t loopStart = 0;  // in sample points
  uint32_t loopLength = 0;
  uint8_t volume = 64;
  int8_t finetune = 0;  // 1/128 semitone
  uint8_t panning = 128;
  int8_t relativeNote = 0;

  size_t length() const { return sixteenBit ? pcm16.size() : pcm8.size(); }
};

struct Instrument {
  std::string name;
  Sample sample;
  Envelope volumeEnvelope;
  uint16_t fadeout = 0;  // volume lost per tick after key-off, out of 32768
  uint8_t vibratoType = 0;
  uint8_t vibratoSweep = 0;
  uint8_t vibratoDepth = 0;
  uint8_t vibratoRate = 0;
};

struct Module {
  std::string name;
  std::string trackerName = "pixelfolk xm writer";
  int channels = 8;
  int speed = 6;  // ticks per row
  int bpm = 125;  // ticks per second = bpm * 2 / 5
  bool linearFrequencies = true;
  int restartPosition = 0;
  std::vector<uint8_t> orders;  // indices into patterns
  std::vector<Pattern> patterns;
  std::vector<Instrument> instruments;
};

}  // namespace xm
