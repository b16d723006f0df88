# What the Windows toolchain files share: a static runtime, the mingw-w64 sysroot, and
# keywright's libraries from the prefix that setup/build-windows-libs made.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

string(REGEX REPLACE "-gcc-posix$" "" mingw_triplet "${CMAKE_C_COMPILER}")
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Without ORIX_WINDOWS_PREFIX, the prefix setup/build-windows-libs keeps for this triplet,
# once it is built; without one, only trigwave is built.
if(NOT ORIX_WINDOWS_PREFIX)
  execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../setup/build-windows-libs
                          --print-prefix ${mingw_triplet}
                  OUTPUT_VARIABLE orix_found_prefix OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET RESULT_VARIABLE orix_found_status)
  if(orix_found_status EQUAL 0 AND EXISTS "${orix_found_prefix}/.orix-windows-libs.stamp")
    set(ORIX_WINDOWS_PREFIX ${orix_found_prefix} CACHE PATH
        "The Windows libraries' prefix (setup/build-windows-libs --print-prefix TRIPLET)")
  endif()
endif()
if(ORIX_WINDOWS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ORIX_WINDOWS_PREFIX})
  # FindwxWidgets would look for wx-config only inside the find root.
  set(wxWidgets_CONFIG_EXECUTABLE ${ORIX_WINDOWS_PREFIX}/bin/wx-config)
  set(wxWidgets_CONFIG_OPTIONS --static)
  # pkg-config must find the prefix's wxsqlite3 and sqlite3, never the Linux ones.
  set(ENV{PKG_CONFIG_LIBDIR} ${ORIX_WINDOWS_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
endif()
