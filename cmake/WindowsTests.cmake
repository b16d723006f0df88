# The DirHelper and keywright tests as Windows programs, run here under wine.
#
# GoogleTest: Debian ships its sources, built here with the same cross compiler as the
# code under test, under the names find_package(GTest) gives.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

# Wine keeps its desktop on the display it first met, so every test program runs in one
# session (one Xvfb, one prefix, one wine server), one program at a time; the session is
# a CTest fixture around them.
set(ORIX_WINE_SESSION ${CMAKE_CURRENT_LIST_DIR}/../testing/wine-session)
set(ORIX_WINE_SESSION_DIR ${CMAKE_BINARY_DIR}/wine-session)
add_test(NAME windows_session_start COMMAND ${ORIX_WINE_SESSION} start ${ORIX_WINE_SESSION_DIR})
add_test(NAME windows_session_stop COMMAND ${ORIX_WINE_SESSION} stop ${ORIX_WINE_SESSION_DIR})
set_tests_properties(windows_session_start PROPERTIES FIXTURES_SETUP wine_session)
set_tests_properties(windows_session_stop PROPERTIES FIXTURES_CLEANUP wine_session)
set_tests_properties(windows_session_start windows_session_stop PROPERTIES
                     LABELS windows RESOURCE_LOCK wine TIMEOUT 600)

# One test program as one CTest test, in the session.
function(orix_windows_test target)
  add_test(NAME ${target}
           COMMAND ${ORIX_WINE_SESSION} run ${ORIX_WINE_SESSION_DIR} $<TARGET_FILE:${target}>)
  set_tests_properties(${target} PROPERTIES LABELS windows FIXTURES_REQUIRED wine_session
                       RESOURCE_LOCK wine TIMEOUT 900)
endfunction()
