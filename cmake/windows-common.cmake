# What the Windows toolchain files share: a static runtime, the mingw-w64 sysroot, and
# the libraries from the prefixes that setup/build-windows-libs made: keywright's, and
# trigwave-scan's libsndfile.
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
# The same for libsndfile's prefix (--print-prefix-sndfile), in ORIX_WINDOWS_SNDFILE_PREFIX.
if(NOT ORIX_WINDOWS_SNDFILE_PREFIX)
  execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../setup/build-windows-libs
                          --print-prefix-sndfile ${mingw_triplet}
                  OUTPUT_VARIABLE orix_found_prefix OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET RESULT_VARIABLE orix_found_status)
  if(orix_found_status EQUAL 0 AND EXISTS "${orix_found_prefix}/.orix-windows-libs.stamp")
    set(ORIX_WINDOWS_SNDFILE_PREFIX ${orix_found_prefix} CACHE PATH
        "libsndfile's Windows prefix (setup/build-windows-libs --print-prefix-sndfile TRIPLET)")
  endif()
endif()
# pkg-config must find the prefixes' wxsqlite3, sqlite3 and sndfile, never the Linux ones.
set(orix_pkg_config_dirs "")
if(ORIX_WINDOWS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ORIX_WINDOWS_PREFIX})
  # FindwxWidgets would look for wx-config only inside the find root.
  set(wxWidgets_CONFIG_EXECUTABLE ${ORIX_WINDOWS_PREFIX}/bin/wx-config)
  set(wxWidgets_CONFIG_OPTIONS --static)
  list(APPEND orix_pkg_config_dirs ${ORIX_WINDOWS_PREFIX}/lib/pkgconfig)
endif()
if(ORIX_WINDOWS_SNDFILE_PREFIX)
  # Inside the find root, or the library pkg_check_modules names would be looked for
  # under the sysroot only.
  list(APPEND CMAKE_FIND_ROOT_PATH ${ORIX_WINDOWS_SNDFILE_PREFIX})
  list(APPEND orix_pkg_config_dirs ${ORIX_WINDOWS_SNDFILE_PREFIX}/lib/pkgconfig)
endif()
if(orix_pkg_config_dirs)
  string(REPLACE ";" ":" orix_pkg_config_dirs "${orix_pkg_config_dirs}")
  set(ENV{PKG_CONFIG_LIBDIR} "${orix_pkg_config_dirs}")
  set(ENV{PKG_CONFIG_PATH} "")
endif()
