# Cross-builds for 32-bit Windows with Debian's mingw-w64:
#   cmake --preset windows      (build-win/)
# keywright needs the libraries of setup/build-windows-libs (without them only trigwave is
# built), trigwave-scan the libsndfile of its prefix beside them. The runtime is linked
# statically, so an .exe needs no DLL beside it. The -posix compilers, since the libraries
# in the prefixes are built with them and one program must not mix the two thread models.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

# Doubles stay doubles on SSE2 (Pentium 4 and later) instead of passing through the
# x87 registers, whose wider intermediates would change the samples; long double
# keeps using the x87 unit, at the 64-bit precision the runtime's start-up sets.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

include(${CMAKE_CURRENT_LIST_DIR}/windows-common.cmake)
