# Cross-builds for 64-bit Windows with Debian's mingw-w64, for running the test suites
# under wine64 (the programs we ship are 32-bit):
#   cmake --preset windows64-tests      (build-win64/)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

include(${CMAKE_CURRENT_LIST_DIR}/windows-common.cmake)
