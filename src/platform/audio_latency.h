// How late the sound of a rendered buffer is heard: the audio callback writes
// the music of the moment its buffer will leave the speakers.
#pragma once

#include <cstdint>

namespace platform {

// Called from the audio callback: seconds from now to the moment the first
// frame of the buffer it is filling starts to leave the speakers. Where the
// system reports it (a browser page: its script processor's buffer and its
// audio context's base and output latencies), that; on a desktop, where SDL
// reports nothing, the output's estimate from when the device has pulled its
// frames so far; 0 while the output is silent. May change from one buffer to
// the next (a late pull, a device that ran dry or was reopened).
double audioOutputLatency();

// How far, in callback buffers, audioOutputLatency's heard time may wander
// from one callback to the next: the drift between the music handed out and
// the clock a player lets pass before it moves. Where it comes with the
// callbacks' own timing, which comes in bursts (a page, an output paced by the
// clock), kBurstyWanderBuffers; a desktop's real device, whose heard time is
// taken from its history, keeps still: 0.
inline constexpr double kBurstyWanderBuffers = 2.0;
double audioOutputWanderBuffers();

// How many times the output has started afresh: a new stream (a reopened
// device, or the silent output taking over from a lost one) plays from its
// own start, and so does one that ran dry, late by however little; a player
// places its music afresh at the first buffer after each.
uint64_t audioOutputFreshStarts();

}  // namespace platform
