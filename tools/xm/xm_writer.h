// Writes an xm::Module as an FT2 "Extended Module" version 1.04 file:
// header, order table, packed patterns, instruments with one sample each and
// delta-encoded sample data. Invalid modules are refused, never truncated.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xm_module.h"

namespace xm {

// Empty when the module cannot be written; *error then says why.
std::vector<uint8_t> writeModule(const Module& module, std::string* error);

// Writes the file; false with *error filled on an invalid module or an I/O failure.
bool saveModule(const Module& module, const char* path, std::string* error);

// Sets relativeNote and finetune so that the note C-4 plays the sample at
// `samplesPerSecond` (with linear frequencies, C-4 at 0/0 plays 8363 Hz).
// Rounded to the nearest 1/128 semitone.
void tuneSample(Sample& sample, double samplesPerSecond);

}  // namespace xm
