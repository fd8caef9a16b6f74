#include "arrangement.h"

#include <algorithm>
#include <array>
#include <vector>

#include "instruments.h"

namespace soundtrack {

namespace {

enum Channel : int {
  kKickChannel,
  kClapChannel,
  kHatChannel,
  kOpenHatChannel,
  kEffectChannel,  // crash and riser
  kBassChannel,
  kArpChannel,
  kEchoChannel,
  kDoubleChannel,  // the arpeggio an octave up, late in the build-up
  kPadChannel,     // two groups of three, one note of the chord each: a new
                   // chord swells in one group while the last one fades in the other
  kLeadChannel = kPadChannel + 6,
  kLeadEchoChannel,
  kSpareChannel,  // XM wants an even channel count
  kChannels
};

constexpr int kEchoDelay = 3;  // rows: a dotted eighth
constexpr int kTotalRows = kBars * kRowsPerBar;
constexpr uint8_t kPanLeft = 0x50;
constexpr uint8_t kPanRight = 0xB0;

struct Chord {
  int bassNote;                // deep root, octave 1-2
  std::array<int, 3> voicing;  // close position around C-5, for arpeggio and pad
};

constexpr int n(int octave, int semitone) { return xm::note(octave, semitone); }
constexpr int C = 0, D = 2, E = 4, F = 5, G = 7, Gs = 8, A = 9, B = 11;

const Chord kAm{n(1, A), {n(4, A), n(5, C), n(5, E)}};
const Chord kF{n(1, F), {n(4, F), n(4, A), n(5, C)}};
const Chord kC{n(2, C), {n(4, G), n(5, C), n(5, E)}};
const Chord kG{n(1, G), {n(4, G), n(4, B), n(5, D)}};
const Chord kEm{n(1, E), {n(4, G), n(4, B), n(5, E)}};
const Chord kE{n(1, E), {n(4, Gs), n(4, B), n(5, E)}};

const Chord& chordOfBar(int bar) {
  static const Chord* const kLoop[] = {&kAm, &kF, &kC, &kG};
  static const Chord* const kMelody[] = {&kF, &kG, &kEm, &kAm, &kF, &kG, &kC, &kE};
  static const Chord* const kOutro[] = {&kAm, &kF, &kC, &kG, &kF, &kG, &kEm, &kAm, &kAm};
  if (bar == kBreakBar) return kE;
  if (bar >= kOutroBar) return *kOutro[bar - kOutroBar];
  if (bar >= kMelodyBar) return *kMelody[bar - kMelodyBar];
  return *kLoop[bar % 4];
}

enum class Section { intro, build, breakdown, drop, melody, outro };

Section sectionOfBar(int bar) {
  if (bar < kBuildBar) return Section::intro;
  if (bar < kBreakBar) return Section::build;
  if (bar == kBreakBar) return Section::breakdown;
  if (bar < kMelodyBar) return Section::drop;
  if (bar < kOutroBar) return Section::melody;
  return Section::outro;
}

// The whole song as one grid of rows, cut into one-bar patterns at the end.
class Score {
 public:
  Score() : cells_(static_cast<size_t>(kTotalRows) * kChannels) {}

  xm::Cell& at(int row, int channel) { return cells_[static_cast<size_t>(row) * kChannels + channel]; }
  const xm::Cell& at(int row, int channel) const { return cells_[static_cast<size_t>(row) * kChannels + channel]; }

  void note(int row, int channel, int noteValue, InstrumentIndex instrument, int volume, uint8_t effect = 0,
            uint8_t param = 0) {
    if (row < 0 || row >= kTotalRows) return;
    xm::Cell& c = at(row, channel);
    c.note = static_cast<uint8_t>(noteValue);
    c.instrument = trackerNumber(instrument);
    c.volume = xm::setVolume(std::clamp(volume, 0, 64));
    c.effect = effect;
    c.param = param;
  }

  void keyOff(int row, int channel) {
    if (row < 0 || row >= kTotalRows || !at(row, channel).empty()) return;
    at(row, channel).note = xm::kKeyOff;
  }

  // A tune: each note held for its length, then released unless the next
  // note takes over at once.
  struct Tone {
    int row;  // from the line's start
    int note;
    int length;
  };
  void line(int startRow, int channel, InstrumentIndex instrument, int volume, const std::vector<Tone>& tones) {
    for (size_t i = 0; i < tones.size(); ++i) {
      const Tone& t = tones[i];
      note(startRow + t.row, channel, t.note, instrument, volume);
      const bool joined = i + 1 < tones.size() && tones[i + 1].row == t.row + t.length;
      if (!joined) keyOff(startRow + t.row + t.length, channel);
    }
  }

  std::vector<xm::Pattern> bars() const {
    std::vector<xm::Pattern> patterns;
    for (int bar = 0; bar < kBars; ++bar) {
      xm::Pattern p(kRowsPerBar, kChannels);
      for (int row = 0; row < kRowsPerBar; ++row) {
        for (int c = 0; c < kChannels; ++c) p.at(row, c) = at(bar * kRowsPerBar + row, c);
      }
      patterns.push_back(std::move(p));
    }
    return patterns;
  }

 private:
  std::vector<xm::Cell> cells_;
};

int rowOf(int bar, int row) { return bar * kRowsPerBar + row; }

// --- drums ---------------------------------------------------------------

void drums(Score& s) {
  for (int bar = 0; bar < kBars; ++bar) {
    const Section section = sectionOfBar(bar);
    const bool fourOnTheFloor = section == Section::build || section == Section::drop || section == Section::melody ||
                                (section == Section::outro && bar < kOutroBar + 4);
    for (int beat = 0; beat < 4 && fourOnTheFloor; ++beat)
      s.note(rowOf(bar, beat * 4), kKickChannel, n(4, C), kKick, 64);
    if (section == Section::drop && bar % 4 == 3) s.note(rowOf(bar, 14), kKickChannel, n(4, C), kKick, 44);
    if (bar == kBars - 2) s.note(rowOf(bar, 0), kKickChannel, n(4, C), kKick, 64);

    const bool backbeat = (section == Section::build && bar >= 12 && bar < 18) || section == Section::drop ||
                          section == Section::melody || (section == Section::outro && bar < kOutroBar + 4);
    if (backbeat) {
      s.note(rowOf(bar, 4), kClapChannel, n(4, C), kClap, 64);
      s.note(rowOf(bar, 12), kClapChannel, n(4, C), kClap, 64);
      if (section == Section::drop && bar % 2 == 1) s.note(rowOf(bar, 15), kClapChannel, n(4, C), kClap, 24);
    }
    // The roll that leads into the break: eighths, then sixteenths, rising.
    if (bar == kBreakBar - 2) {
      for (int row = 0; row < 16; row += 2) s.note(rowOf(bar, row), kClapChannel, n(4, C), kClap, 20 + row * 2);
    }
    if (bar == kBreakBar - 1) {
      for (int row = 0; row < 16; ++row) s.note(rowOf(bar, row), kClapChannel, n(4, C + row / 4), kClap, 36 + row * 2);
    }

    for (int row = 0; row < 16; ++row) {
      const bool offbeat = row % 4 == 2;
      int hat = 0;
      int open = 0;
      switch (section) {
        case Section::intro:
          if (bar >= 4 && offbeat) hat = 30 + (bar - 4) * 5;
          break;
        case Section::build:
          hat = offbeat ? 52 : (row % 2 == 1 ? 34 : 24);
          break;
        case Section::drop:
          if (offbeat) {
            open = 52;
          } else {
            hat = row % 2 == 1 ? 44 : 30;
          }
          break;
        case Section::melody:
          if (offbeat) open = 38;
          if (row % 2 == 1) hat = 36;
          break;
        case Section::outro:
          if (offbeat && bar < kBars - 2) hat = 52 - (bar - kOutroBar) * 5;
          break;
        case Section::breakdown:
          break;
      }
      if (hat > 0) s.note(rowOf(bar, row), kHatChannel, n(4, C), kHat, hat);
      if (open > 0) s.note(rowOf(bar, row), kOpenHatChannel, n(4, C), kOpenHat, open);
    }
  }

  // Cymbals mark the sections; the riser fills the bar before the break and
  // the break itself, and the drop's crash cuts it off.
  for (int bar : {kBuildBar, 12, kDropBar, 25, kMelodyBar, kOutroBar, kBars - 2}) {
    s.note(rowOf(bar, 0), kEffectChannel, n(4, C), kCrash, bar == 12 || bar == 25 ? 36 : 52);
  }
  s.note(rowOf(kBreakBar - 1, 0), kEffectChannel, n(4, C), kRiser, 56);
}

// --- bass ----------------------------------------------------------------

void bassLine(Score& s) {
  for (int bar = kBuildBar; bar < kOutroBar + 4; ++bar) {
    const Section section = sectionOfBar(bar);
    if (section == Section::breakdown) continue;
    const int root = chordOfBar(bar).bassNote;
    // Off-beat eighths; the drop rolls with extra sixteenths an octave up.
    std::vector<std::pair<int, int>> hits = {{2, root}, {6, root}, {10, root}, {14, root}};
    if (section == Section::drop) {
      hits.push_back({7, root + 12});
      hits.push_back({15, root + 12});
    }
    if (section == Section::melody && bar % 2 == 0) hits.push_back({15, root + 12});
    if (bar == kBreakBar - 2 || bar == kBreakBar - 1) hits.push_back({15, root + 12});
    for (const auto& [row, note] : hits) s.note(rowOf(bar, row), kBassChannel, note, kBass, row % 4 == 2 ? 60 : 44);
  }
  // One long low A under the last chord.
  s.note(rowOf(kBars - 2, 0), kBassChannel, kAm.bassNote, kBass, 56);
}

// --- arpeggio ------------------------------------------------------------

// Which chord note each sixteenth plays: 0-2 the voicing, 3 its root an octave up.
constexpr int kArpSteps[16] = {0, 2, 3, 2, 1, 2, 3, 2, 0, 2, 3, 2, 1, 3, 2, 1};
// In the melody the arpeggio leaves room for the lead: two sixteenths rest.
constexpr bool kMelodyRests[16] = {false, false, false, false, false, false, false, true,
                                   false, false, false, false, false, false, false, true};

int arpNote(const Chord& chord, int step) {
  const int index = kArpSteps[step];
  return index == 3 ? chord.voicing[0] + 12 : chord.voicing[index];
}

int arpVolume(int bar, int step) {
  int base = 0;
  switch (sectionOfBar(bar)) {
    case Section::intro:
      base = std::min(20 + bar * 5, 42);
      break;
    case Section::build:
      base = 44;
      break;
    case Section::drop:
      base = 48;
      break;
    case Section::melody:
      base = 38;
      break;
    case Section::outro:
      base = 46 - std::max(0, bar - (kOutroBar + 3)) * 6;
      break;
    case Section::breakdown:
      return 0;
  }
  return step % 4 == 0 ? base + 8 : base;
}

// The show counts every pluck note (instrument 1), and in the opening a frame
// that finds the count even shows the next middle picture, while an odd count
// keeps the one it has. Notes that start on the same tick count together, so
// the opening's pluck notes are laid out to hold the count odd between the
// beats that change the picture:
//  - the arpeggio and its echo strike together, two notes at once; on a
//    change beat the echo comes three ticks late, so the arpeggio's note
//    makes the count even (a new picture) and the echo makes it odd again;
//  - the first note stands alone (count 1), and the echo opens with two ghost
//    notes, the bar's last chord tones as if it had looped, that pair the
//    next two sixteenths;
//  - the intro changes the picture every other beat, the build-up every beat;
//    once the octave double joins, three notes strike each sixteenth, the
//    count turns even on every eighth and the pictures change on half beats;
//  - the last sixteenth before the break rests, so that the 704th note is the
//    last of the opening.
constexpr int kDoubleStart = (kBreakBar - 5) * kRowsPerBar + 12;  // a four-note pickup
constexpr int kBreathRow = kBreakBar * kRowsPerBar - 1;
constexpr int kLateEchoTicks = 3;

bool changesPicture(int row) {
  if (row <= 0 || row >= kDoubleStart) return false;
  const int rowsPerChange = row < kBuildBar * kRowsPerBar ? 8 : 4;
  return row % rowsPerChange == 0;
}

void echoNote(Score& s, int row, const xm::Cell& source) {
  const int volume = (source.volume - 0x10) * 9 / 20;
  if (!changesPicture(row)) {
    s.note(row, kEchoChannel, source.note, kPluck, volume, xm::kSetPanning, kPanRight);
    return;
  }
  // The delay takes the effect column; without an instrument number the
  // channel keeps its instrument and its panning on the right.
  xm::Cell& c = s.at(row, kEchoChannel);
  c = xm::Cell{};
  c.note = source.note;
  c.volume = xm::setVolume(volume);
  c.effect = xm::kExtended;
  c.param = static_cast<uint8_t>(0xD0 | kLateEchoTicks);
}

void arpeggio(Score& s) {
  const int lastArpBar = kBars - 2;
  for (int bar = 0; bar <= lastArpBar; ++bar) {
    if (bar == kBreakBar) continue;
    const Chord& chord = chordOfBar(bar);
    const bool melody = sectionOfBar(bar) == Section::melody;
    for (int step = 0; step < 16; ++step) {
      if (melody && kMelodyRests[step]) continue;
      if (bar == kOutroBar - 1 && step >= 12) break;  // a breath before the outro
      if (bar == lastArpBar && step >= 8) break;
      if (rowOf(bar, step) == kBreathRow) break;
      s.note(rowOf(bar, step), kArpChannel, arpNote(chord, step), kPluck, arpVolume(bar, step), xm::kSetPanning,
             kPanLeft);
    }
  }

  // The echo: every arpeggio note again a dotted eighth later, softer and on
  // the other side; the break and the breath before it stay silent.
  for (int step : {14, 15}) {
    const int target = step + kEchoDelay - kRowsPerBar;
    echoNote(s, target, s.at(rowOf(0, step), kArpChannel));
  }
  for (int row = 0; row + kEchoDelay < kTotalRows; ++row) {
    const xm::Cell& source = s.at(row, kArpChannel);
    if (source.note == 0 || source.note == xm::kKeyOff) continue;
    const int target = row + kEchoDelay;
    if (target / kRowsPerBar == kBreakBar || target == kBreathRow) continue;
    echoNote(s, target, source);
  }

  // Late in the build-up the arpeggio doubles an octave up.
  for (int row = kDoubleStart; row < kBreathRow; ++row) {
    const xm::Cell& source = s.at(row, kArpChannel);
    if (source.note == 0) continue;
    s.note(row, kDoubleChannel, source.note + 12, kPluck, (source.volume - 0x10) / 2, xm::kSetPanning, 0x98);
  }

  // The one note in the break.
  s.note(rowOf(kBreakBar, 8), kArpChannel, n(5, E), kPluck, 52, xm::kSetPanning, 0x80);
}

// --- pad -----------------------------------------------------------------

void pad(Score& s) {
  static const uint8_t kSpread[3] = {0x60, 0x80, 0xA0};
  int group = 0;
  for (int bar = 0; bar < kBars - 1; ++bar) {
    const Section section = sectionOfBar(bar);
    const int volume = section == Section::drop ? 26 : (section == Section::breakdown ? 44 : 36);
    const Chord& chord = chordOfBar(bar);
    if (bar > 0 && &chordOfBar(bar - 1) == &chord && section == sectionOfBar(bar - 1)) continue;
    group = 1 - group;
    for (int v = 0; v < 3; ++v) {
      s.keyOff(rowOf(bar, 0), kPadChannel + 3 * (1 - group) + v);
      s.note(rowOf(bar, 0), kPadChannel + 3 * group + v, chord.voicing[v] - 12, kPad, volume, xm::kSetPanning,
             kSpread[v]);
    }
  }
  for (int v = 0; v < 6; ++v) s.keyOff(rowOf(kBars - 1, 4), kPadChannel + v);
}

// --- lead ----------------------------------------------------------------

// The drop's riff: short chord notes on a syncopated rhythm.
void riff(Score& s) {
  static const int kRows[] = {0, 3, 6, 8, 11, 14};
  static const int kTones[] = {2, 1, 2, 0, 2, 1};
  for (int bar = kDropBar; bar < kMelodyBar; ++bar) {
    const Chord& chord = chordOfBar(bar);
    std::vector<Score::Tone> tones;
    for (int i = 0; i < 6; ++i) tones.push_back({kRows[i], chord.voicing[kTones[i]] + 12, 2});
    s.line(rowOf(bar, 0), kLeadChannel, kLead, 30, tones);
  }
}

// Four bars of the melody: F G Em Am.
const std::vector<Score::Tone>& melodyFirstHalf() {
  static const std::vector<Score::Tone> kTones = {
      {0, n(5, E), 6},   {6, n(5, F), 2},  {8, n(5, E), 4},  {12, n(5, C), 4},  // F
      {16, n(5, D), 6},  {22, n(5, E), 2}, {24, n(5, D), 4}, {28, n(4, B), 4},  // G
      {32, n(5, E), 4},  {36, n(5, G), 4}, {40, n(5, B), 6}, {46, n(5, A), 2},  // Em
      {48, n(5, A), 12}, {60, n(5, E), 2}, {62, n(5, G), 2},                    // Am
  };
  return kTones;
}

// And its answer: F G C E.
const std::vector<Score::Tone>& melodySecondHalf() {
  static const std::vector<Score::Tone> kTones = {
      {0, n(5, A), 6},  {6, n(5, G), 2},   {8, n(5, F), 4},  {12, n(5, E), 4},  // F
      {16, n(5, D), 6}, {22, n(5, E), 2},  {24, n(5, G), 8},                    // G
      {32, n(5, E), 4}, {36, n(5, G), 4},  {40, n(6, C), 8},                    // C
      {48, n(5, B), 8}, {56, n(5, Gs), 4}, {60, n(5, E), 4},                    // E
  };
  return kTones;
}

void lead(Score& s) {
  riff(s);
  s.line(rowOf(kMelodyBar, 0), kLeadChannel, kLead, 48, melodyFirstHalf());
  s.line(rowOf(kMelodyBar + 4, 0), kLeadChannel, kLead, 48, melodySecondHalf());
  s.line(rowOf(kOutroBar + 4, 0), kLeadChannel, kLead, 34, melodyFirstHalf());

  // The lead's echo: notes and releases a dotted eighth later, softer.
  for (int row = 0; row + kEchoDelay < kTotalRows; ++row) {
    const xm::Cell& source = s.at(row, kLeadChannel);
    if (source.note == xm::kKeyOff) {
      s.keyOff(row + kEchoDelay, kLeadEchoChannel);
    } else if (source.note != 0) {
      s.note(row + kEchoDelay, kLeadEchoChannel, source.note, kLead, (source.volume - 0x10) * 2 / 5, xm::kSetPanning,
             kPanRight);
    }
  }
}

}  // namespace

xm::Module composeSoundtrack() {
  Score score;
  drums(score);
  bassLine(score);
  arpeggio(score);
  pad(score);
  lead(score);

  xm::Module m;
  m.name = "Pixelfolk enjoy dance";
  m.trackerName = "pixelfolk composer";
  m.channels = kChannels;
  m.speed = kSpeed;
  m.bpm = kBpm;
  m.instruments = makeInstruments();

  // Identical bars share one pattern.
  for (const xm::Pattern& bar : score.bars()) {
    size_t index = 0;
    while (index < m.patterns.size() && m.patterns[index].cells != bar.cells) ++index;
    if (index == m.patterns.size()) m.patterns.push_back(bar);
    m.orders.push_back(static_cast<uint8_t>(index));
  }
  return m;
}

}  // namespace soundtrack
