// Which x86 instruction sets this processor runs, for the code that picks its
// fastest routines at run time. Each answer comes from the compiler's runtime,
// once.
#pragma once

#if defined(__x86_64__) || defined(__i386__)
namespace platform {

inline bool processorHasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

// The runtime also asks whether the operating system saves the 256-bit registers.
inline bool processorHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

}  // namespace platform
#endif
