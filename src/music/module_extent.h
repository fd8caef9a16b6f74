// How much of the sample data an XM file's headers announce the file really
// holds. libxmp loads a file cut short without a word: samples past the end
// come out silent, and instruments whose headers are gone come out empty, so
// the music plays with holes nobody is told about.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

struct ModuleExtent {
  int announcedSamples = 0;
  int missingSamples = 0;  // announced, but their data does not lie whole in the file
};

// Reads `size` bytes at `offset` of the file into `out`; false when the file
// holds fewer.
using ModuleBytes = std::function<bool(int64_t offset, void* out, size_t size)>;

// Follows the headers of an XM file (version 1.04, as every tracker since
// FastTracker 2 writes) of `fileSize` bytes. An instrument whose header lies
// past the end counts as one missing sample, the fewest an instrument that
// plays has. Any other file, or headers libxmp would refuse, gives nothing
// missing.
ModuleExtent measureXmExtent(int64_t fileSize, const ModuleBytes& read);
