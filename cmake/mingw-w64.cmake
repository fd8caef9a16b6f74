# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 compilers, the
# posix thread model (std::thread and std::atomic work as on Linux).
#
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DCMAKE_PREFIX_PATH="prefix1;prefix2" ...
#
# The prefixes of the cross-built libraries are searched for headers,
# libraries and CMake packages; programs still come from the host.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PIXELFOLK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PIXELFOLK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PIXELFOLK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PIXELFOLK_MINGW_TRIPLET}-windres)

# The compiler's own sysroot first, then the library prefixes the caller names.
set(CMAKE_FIND_ROOT_PATH /usr/${PIXELFOLK_MINGW_TRIPLET} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Only static archives exist in the prefixes; never pick an import library.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)

# pkg-config reads only the cross prefixes, never the host's .pc files.
# CMake reads this file again for its try_compile projects, in the same
# process and without the prefixes: those must not clear what was set here.
if(CMAKE_PREFIX_PATH OR NOT DEFINED ENV{PKG_CONFIG_LIBDIR})
  set(pixelfolk_pc_dirs /usr/${PIXELFOLK_MINGW_TRIPLET}/lib/pkgconfig)
  foreach(prefix IN LISTS CMAKE_PREFIX_PATH)
    list(APPEND pixelfolk_pc_dirs ${prefix}/lib/pkgconfig ${prefix}/share/pkgconfig)
  endforeach()
  string(REPLACE ";" ":" pixelfolk_pc_dirs "${pixelfolk_pc_dirs}")
  set(ENV{PKG_CONFIG_LIBDIR} "${pixelfolk_pc_dirs}")
  set(ENV{PKG_CONFIG_PATH} "")
endif()

# One executable that needs nothing beside it: the C and C++ runtimes and
# winpthread are linked in, not loaded from DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
