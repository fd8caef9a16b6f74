// A 16-bit PCM WAV file written in one go.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes interleaved signed 16-bit samples; returns false with a reason when
// the file cannot be written completely.
bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int channels, int rate, std::string* error);
