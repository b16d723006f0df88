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

# A prefix setup/build-windows-libs keeps for this triplet (asked with OPTION), into VARIABLE
# unless it is given, once it is built: keywright's libraries (without them only trigwave
# is built) and libsndfile (without it, no trigwave-scan).
macro(orix_find_windows_prefix variable option description)
  if(NOT ${variable})
    execute_process(COMMAND ${CMAKE_CURRENT_LIST_DIR}/../setup/build-windows-libs
                            ${option} ${mingw_triplet}
                    OUTPUT_VARIABLE orix_found_prefix OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET RESULT_VARIABLE orix_found_status)
    if(orix_found_status EQUAL 0 AND EXISTS "${orix_found_prefix}/.orix-windows-libs.stamp")
      set(${variable} ${orix_found_prefix} CACHE PATH
          "${description} (setup/build-windows-libs ${option} TRIPLET)")
    endif()
  endif()
endmacro()
orix_find_windows_prefix(ORIX_WINDOWS_PREFIX --print-prefix "The Windows libraries' prefix")
orix_find_windows_prefix(ORIX_WINDOWS_SNDFILE_PREFIX --print-prefix-sndfile "libsndfile's Windows prefix")
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
