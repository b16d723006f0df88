# The Debian package orix-devtools (scripts/package builds it with cpack): the man pages,
# the registries script under its installed name, Debian's copyright and changelog files,
# and CPack's DEB generator. Everything here is installed by `cmake --install` as well.
include(GNUInstallDirs)
set(ORIX_PACKAGE orix-devtools)
set(ORIX_MAINTAINER "Orix developer tools <devtools@orix.example>")
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(generated ${PROJECT_BINARY_DIR}/packaging)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${ORIX_PACKAGE})

# Read while configuring, so an edit to either configures anew.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/LICENSE ${packaging}/changelog)

# The version lives in project(); the changelog's newest entry has to agree with it.
file(READ ${packaging}/changelog changelog)
string(REGEX MATCH "^[^\n]*" newest_entry "${changelog}")
string(REPLACE "." "\\." version_pattern "${PROJECT_VERSION}")
if(NOT newest_entry MATCHES "^${ORIX_PACKAGE} \\(${version_pattern}\\) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry is not version ${PROJECT_VERSION}: "
                      "${newest_entry}")
endif()

# Debian's copyright file says what LICENSE says, in the machine-readable format.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
if(NOT license MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(Permission is hereby granted.*)$")
  message(FATAL_ERROR "LICENSE: no copyright line followed by the permission text")
endif()
set(ORIX_COPYRIGHT "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" license_text)
string(REPLACE "\n\n" "\n.\n" license_text "${license_text}")
string(REPLACE "\n" "\n " ORIX_LICENSE_TEXT " ${license_text}")
configure_file(${packaging}/copyright.in ${generated}/copyright @ONLY)

# Man pages and the changelog go in compressed the way Debian wants: gzip -9n.
find_program(GZIP_PROGRAM gzip REQUIRED)
file(MAKE_DIRECTORY ${generated}/man)
set(man_pages trigwave trigwave-scan trigwave-play)
if(TARGET keywright)
  list(APPEND man_pages keywright keywright-make-registries)
endif()
set(compressed ${generated}/changelog.gz)
add_custom_command(
  OUTPUT ${generated}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${packaging}/changelog ${generated}/changelog
  COMMAND ${GZIP_PROGRAM} -9nf ${generated}/changelog
  DEPENDS ${packaging}/changelog
  VERBATIM)
foreach(page IN LISTS man_pages)
  set(template ${PROJECT_SOURCE_DIR}/docs/man/${page}.1.in)
  set(out ${generated}/man/${page}.1)
  add_custom_command(
    OUTPUT ${out}.gz
    COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/docs/man/fill-from-readme.py ${template}
            ${PROJECT_SOURCE_DIR}/README.md ${packaging}/changelog ${PROJECT_VERSION} ${out}
    COMMAND ${GZIP_PROGRAM} -9nkf ${out}
    DEPENDS ${template} ${PROJECT_SOURCE_DIR}/docs/man/fill-from-readme.py
            ${PROJECT_SOURCE_DIR}/README.md ${packaging}/changelog
    COMMENT "Making the man page ${page}(1)"
    VERBATIM)
  list(APPEND compressed ${out}.gz)
  install(FILES ${out}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(package_docs ALL DEPENDS ${compressed})

if(TARGET keywright)
  # The installed copy carries the version; the repository's reads it from project().
  configure_file(${PROJECT_SOURCE_DIR}/keywright/registries/make-registries
                 ${generated}/keywright-make-registries @ONLY)
  install(PROGRAMS ${generated}/keywright-make-registries DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/keywright/registries/targets.sql
                ${PROJECT_SOURCE_DIR}/keywright/registries/profiles.sql
          DESTINATION ${CMAKE_INSTALL_DATADIR}/${ORIX_PACKAGE}/registries)
endif()
install(FILES ${generated}/copyright ${generated}/changelog.gz DESTINATION ${doc_dir})
# The wheel files' format, for a person writing one.
install(FILES ${PROJECT_SOURCE_DIR}/docs/wheel-files.md DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ORIX_PACKAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ORIX_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "trigger signal WAV generator and checker, hotkey database tool")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${packaging}/description)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries' packages come from the binaries; sqlite3 is the program the
# registries script runs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS sqlite3)
# What plays trigwave's files: aplay, or sox's play.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "alsa-utils | sox")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
