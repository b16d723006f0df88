# What the Windows toolchain files share: a static runtime, the mingw-w64 sysroot, and
# keywright's libraries from the prefix that scripts/build-windows-libs made.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

string(REGEX REPLACE "-gcc-posix$" "" mingw_triplet "${CMAKE_C_COMPILER}")
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(ORIX_WINDOWS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ORIX_WINDOWS_PREFIX})
  # FindwxWidgets would look for wx-config only inside the find root.
  set(wxWidgets_CONFIG_EXECUTABLE ${ORIX_WINDOWS_PREFIX}/bin/wx-config)
  set(wxWidgets_CONFIG_OPTIONS --static)
  # pkg-config must find the prefix's wxsqlite3 and sqlite3, never the Linux ones.
  set(ENV{PKG_CONFIG_LIBDIR} ${ORIX_WINDOWS_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
endif()
