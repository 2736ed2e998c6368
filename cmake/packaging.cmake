# Installation of skern and the packages that cpack makes of it: natively a Debian package
# skern_<version>_<arch>.deb and a .tar.gz, in the MinGW build a .zip holding skern.exe and the
# manual as plain text. Included from the top-level CMakeLists.txt after the skern target.
include(GNUInstallDirs)

# The project's address, also in the change log and doc/copyright. A build directory configured
# when the package named a placeholder address has that one cached: it gives way to this one.
if(SKERN_MAINTAINER MATCHES "@example\\.org>$")
  unset(SKERN_MAINTAINER CACHE)
endif()
set(SKERN_MAINTAINER "skern developers <skern-dev@skern.org>"
    CACHE STRING "Maintainer named in the Debian package")

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The manual page carries the version in its footer.
string(TIMESTAMP SKERN_MANUAL_DATE "%Y-%m-%d" UTC)
configure_file(doc/skern.1.in ${PROJECT_BINARY_DIR}/skern.1 @ONLY)

if(WIN32)
  install(TARGETS skern RUNTIME DESTINATION .)
  # The manual as plain ASCII text (no overstriking, no hyphenation), rendered by groff where it
  # is found; else its source.
  find_program(SKERN_GROFF groff)
  if(SKERN_GROFF)
    add_custom_command(
      OUTPUT ${PROJECT_BINARY_DIR}/skern.txt
      COMMAND ${SKERN_GROFF} -man -Tascii -P-cbou -rHY=0 ${PROJECT_BINARY_DIR}/skern.1
              > ${PROJECT_BINARY_DIR}/skern.txt
      DEPENDS ${PROJECT_BINARY_DIR}/skern.1
      VERBATIM)
    add_custom_target(skern_manual ALL DEPENDS ${PROJECT_BINARY_DIR}/skern.txt)
    install(FILES ${PROJECT_BINARY_DIR}/skern.txt DESTINATION .)
  else()
    message(STATUS "groff not found: the package holds the manual page's source as skern.1")
    install(FILES ${PROJECT_BINARY_DIR}/skern.1 DESTINATION .)
  endif()
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  install(TARGETS skern RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # A stripped skern (cpack strips) also loses the compiler's version string (.comment), as with
  # dh_strip.
  if(CMAKE_OBJCOPY)
    install(CODE "
      if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/skern\"
                        COMMAND_ERROR_IS_FATAL ANY)
      endif()")
  endif()
  # The manual page and the change log gzipped, as Debian wants them.
  string(TIMESTAMP SKERN_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(doc/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
  find_program(SKERN_GZIP gzip)
  if(SKERN_GZIP)
    foreach(name skern.1 changelog)
      add_custom_command(
        OUTPUT ${PROJECT_BINARY_DIR}/${name}.gz
        COMMAND ${SKERN_GZIP} -9 -n -c ${PROJECT_BINARY_DIR}/${name} > ${PROJECT_BINARY_DIR}/${name}.gz
        DEPENDS ${PROJECT_BINARY_DIR}/${name}
        VERBATIM)
    endforeach()
    add_custom_target(skern_manual ALL
                      DEPENDS ${PROJECT_BINARY_DIR}/skern.1.gz ${PROJECT_BINARY_DIR}/changelog.gz)
    install(FILES ${PROJECT_BINARY_DIR}/skern.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
  else()
    install(FILES ${PROJECT_BINARY_DIR}/skern.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${PROJECT_BINARY_DIR}/changelog DESTINATION ${CMAKE_INSTALL_DOCDIR})
  endif()
  install(FILES README.md doc/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # The .tar.gz also carries LICENSE beside the copyright file. The Debian package does not: there
  # the copyright file is the one place for the licence (else lintian: extra-license-file).
  configure_file(LICENSE ${PROJECT_BINARY_DIR}/licence/LICENSE COPYONLY)
  file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/CPackPerGenerator.cmake CONTENT [[
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_INSTALLED_DIRECTORIES "@PROJECT_BINARY_DIR@/licence;@CMAKE_INSTALL_DOCDIR@")
endif()
]] @ONLY)
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackPerGenerator.cmake)
  set(CPACK_GENERATOR DEB TGZ)
endif()

set(CPACK_PACKAGE_NAME skern)
set(CPACK_PACKAGE_VENDOR "skern developers")
set(CPACK_PACKAGE_CONTACT "${SKERN_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "console search for lines with terms near each other")
set(CPACK_PACKAGE_DESCRIPTION
    "skern finds the lines that hold a first term and, for every further group of\n"
    "terms, one of the group's alternatives, on the same line or within a window of\n"
    "lines or characters around the first term. It searches the files that wildcard\n"
    "patterns name, optionally in every subdirectory, and writes the hits under one\n"
    "header line per file, formatted for an 80-column console.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SKERN_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
