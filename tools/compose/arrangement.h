// The soundtrack "demo.xm": about 88 s of A-minor dance music at 125 BPM,
// in one-bar patterns. Its form is the show's timeline, because the show
// moves on the arpeggio's notes (instrument 1) and the bass notes
// (instrument 4):
//
//   bars  0-7   intro     pad and arpeggio with its echo
//   bars  8-19  build-up  kick, bass, claps, a snare roll and a riser
//   bar   20    break     the beat stops; a single arpeggio note rings out
//   bars 21-28  drop      full beat, rolling bass, lead riff
//   bars 29-36  melody    lead melody over a new progression
//   bars 37-45  outro     the beat thins out, the melody returns, a last chord
//
// The arpeggio is counted: its 704th note is the last before the break, the
// 705th rings in the break, the 706th is the drop's downbeat; the 960th
// starts the melody and the 1180th the outro. The bass's 142nd and 150th
// notes fall in the outro's second and fourth bars. Before the break the
// count also turns the opening's middle picture (it changes on even counts):
// every other beat in the intro, every beat in the build-up and every half
// beat once the arpeggio doubles, so the pluck notes are paired on ticks to
// make the count even exactly there (see arpeggio() in arrangement.cpp).
#pragma once

#include "xm/xm_module.h"

namespace soundtrack {

inline constexpr int kRowsPerBar = 16;
inline constexpr int kBars = 46;
inline constexpr int kSpeed = 6;  // ticks per row
inline constexpr int kBpm = 125;  // a row lasts 0.12 s, a bar 1.92 s

// The first bar of each section.
inline constexpr int kBuildBar = 8;
inline constexpr int kBreakBar = 20;
inline constexpr int kDropBar = 21;
inline constexpr int kMelodyBar = 29;
inline constexpr int kOutroBar = 37;

xm::Module composeSoundtrack();

}  // namespace soundtrack
