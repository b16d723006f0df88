# The version resource Windows shows in a program's Properties and in Task Manager: the
# version from project(), the product name, a description of the program, the copyright
# line of LICENSE and the name the file was built under.
#   orix_version_info(TARGET "What the program does")
# Does nothing outside a Windows build.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE ORIX_COPYRIGHT_LINE REGEX "^Copyright \\(c\\) " LIMIT_COUNT 1)
if(NOT ORIX_COPYRIGHT_LINE)
  message(FATAL_ERROR "LICENSE: no line beginning \"Copyright (c) \"")
endif()
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/LICENSE)

function(orix_version_info target description)
  if(NOT WIN32)
    return()
  endif()
  set(ORIX_FILE_DESCRIPTION "${description}")
  set(ORIX_ORIGINAL_FILENAME "${target}${CMAKE_EXECUTABLE_SUFFIX}")
  # A resource script's strings escape quotes by doubling them.
  string(REPLACE "\"" "\"\"" ORIX_COPYRIGHT_RC "${ORIX_COPYRIGHT_LINE}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/generated/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
