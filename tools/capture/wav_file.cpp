#include "wav_file.h"

#include <cstdio>

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

}  // namespace

bool writeWav(const std::string& path, const std::vector<int16_t>& samples, int channels, int rate,
              std::string* error) {
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> header;
  header.insert(header.end(), {'R', 'I', 'F', 'F'});
  put32(header, 36 + dataBytes);
  header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put32(header, 16);
  put16(header, 1);  // PCM
  put16(header, static_cast<uint32_t>(channels));
  put32(header, static_cast<uint32_t>(rate));
  put32(header, static_cast<uint32_t>(rate * channels * 2));
  put16(header, static_cast<uint32_t>(channels * 2));
  put16(header, 16);
  header.insert(header.end(), {'d', 'a', 't', 'a'});
  put32(header, dataBytes);

  std::vector<uint8_t> data;
  data.reserve(dataBytes);
  for (int16_t s : samples) put16(data, static_cast<uint16_t>(s));

  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    *error = "cannot create " + path;
    return false;
  }
  bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size() &&
            std::fwrite(data.data(), 1, data.size(), file) == data.size();
  ok = (std::fclose(file) == 0) && ok;
  if (!ok) *error = "cannot write " + path;
  return ok;
}
