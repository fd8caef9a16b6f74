// The capture's progress as a person reads it on a terminal.
#pragma once

#include <string>

// One line for `done` of `total` frames after `elapsed` seconds of wall time,
// at `fps` frames per second of show: the frames done, the rate, the speed as
// a multiple of real time and the time left. Before any time has passed the
// rate, speed and time left are not known and the line says so with "--".
std::string progressLine(long done, long total, double elapsed, double fps);
