# The documents an installation carries beside the programs (their manual pages, the license
# in Debian's copyright format and the changelog), and the Debian package that CPack makes of
# the whole installation: `cmake --build DIR --target package` writes
# dist/coursesmith_VERSION_amd64.deb (`make package` builds it from a release build).
set(COURSESMITH_MAINTAINER "The CourseSmith developers <maintainers@coursesmith.org>")
set(COURSESMITH_HOMEPAGE "https://coursesmith.org/")
set(COURSESMITH_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/coursesmith)
# The release date as seconds since 1970 and as a changelog wants it: the manual pages and
# the changelog carry the release's date, not the day of the build.
execute_process(COMMAND date -u -d ${COURSESMITH_RELEASE_DATE} +%s
                OUTPUT_VARIABLE COURSESMITH_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND date -u -R -d ${COURSESMITH_RELEASE_DATE}
                OUTPUT_VARIABLE COURSESMITH_RELEASE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE
                COMMAND_ERROR_IS_FATAL ANY)
find_program(GZIP gzip REQUIRED)

# Manual pages made from each program's --help and --version output, compressed as Debian
# wants them (gzip -9n: no file name or time stamp in the gzip header).
find_program(HELP2MAN help2man)
if(HELP2MAN)
  set(summary_coursesmith "draw and edit race tracks for Tyrestorm")
  set(summary_coursesmith-cli "check, convert and render Tyrestorm race tracks")
  set(man_pages)
  foreach(program IN ITEMS coursesmith coursesmith-cli)
    set(man ${PROJECT_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${man}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${COURSESMITH_RELEASE_EPOCH}
              ${HELP2MAN} --no-info --section=1 --name=${summary_${program}} --output=${man}
              $<TARGET_FILE:${program}>
      COMMAND ${GZIP} -9nf ${man}
      DEPENDS ${program}
      COMMENT "Writing the manual page of ${program}"
      VERBATIM)
    list(APPEND man_pages ${man}.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "help2man not found: the manual pages are not made "
                  "(Debian: apt-get install help2man)")
endif()

# LICENSE as /usr/share/doc/coursesmith/copyright: its copyright line and its permission
# text, the text indented by one space with "." for blank lines.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
if(NOT license MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(Permission .*)")
  message(FATAL_ERROR "LICENSE has no copyright line followed by the permission text")
endif()
set(COURSESMITH_COPYRIGHT "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" text)
string(REPLACE "\n\n" "\n.\n" text "${text}")
string(REPLACE "\n" "\n " COURSESMITH_LICENSE_TEXT " ${text}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/copyright.in copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${COURSESMITH_DOCDIR})

# The changelog, one entry for this release, under the name a native package's has (the
# package's version is the program's, without a Debian revision).
configure_file(${PROJECT_SOURCE_DIR}/cmake/changelog.in changelog @ONLY)
execute_process(COMMAND ${GZIP} -9nc INPUT_FILE ${PROJECT_BINARY_DIR}/changelog
                OUTPUT_FILE ${PROJECT_BINARY_DIR}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${COURSESMITH_DOCDIR})

# The Debian package of everything above, its dependencies found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME coursesmith)
set(CPACK_PACKAGE_VENDOR "The CourseSmith developers")
set(CPACK_PACKAGE_CONTACT "${COURSESMITH_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "track editor for the racing game Tyrestorm")
set(CPACK_PACKAGE_DESCRIPTION
    "CourseSmith edits the .trk track files of the top-down racing game
Tyrestorm: it paints surfaces on the 512 x 512 land map, shapes the height
grid, places start positions, scenery, pits and checkpoints, lays the AI
driving lines and checks a track for the flaws the game would find. Every
edit can be undone.

The package holds the desktop editor (coursesmith, Qt 6) and the
command-line tool coursesmith-cli, which validates, converts and renders
tracks for scripts and draws the previews file managers show for tracks.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_SOURCE_DIR}/dist)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${COURSESMITH_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${COURSESMITH_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Debian's modes for the control files (0644) and for every directory (0755).
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/package-directories.cmake)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
