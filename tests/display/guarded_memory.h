// Memory that ends right before an inaccessible page, so that a read or write
// one byte past the end of a row faults at once.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

class GuardedMemory {
 public:
  explicit GuardedMemory(size_t usableBytes) {
    pageSize = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    usablePages = (usableBytes + pageSize - 1) / pageSize + 1;
    mapping = mmap(nullptr, (usablePages + 1) * pageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) {
      mapping = nullptr;
      return;
    }
    mprotect(static_cast<uint8_t*>(mapping) + usablePages * pageSize, pageSize, PROT_NONE);
  }
  ~GuardedMemory() {
    if (mapping != nullptr) munmap(mapping, (usablePages + 1) * pageSize);
  }
  GuardedMemory(const GuardedMemory&) = delete;
  GuardedMemory& operator=(const GuardedMemory&) = delete;

  bool valid() const { return mapping != nullptr; }
  // The first byte of the guard page: a block of n bytes starts at end() - n.
  uint8_t* end() const { return static_cast<uint8_t*>(mapping) + usablePages * pageSize; }

 private:
  size_t pageSize = 0;
  size_t usablePages = 0;
  void* mapping = nullptr;
};
