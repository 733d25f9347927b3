# What `cmake --install` puts under the prefix, and the two Debian packages
# CPack builds from the same files (`cpack -G DEB` in the build folder):
#   velmor       the programs (in games/, as Debian puts games), their manual
#                pages, the desktop entry and the AppStream metainfo
#   velmor-data  architecture-independent: the demo game, the icons and the
#                documentation
# Both carry the licence (packaging/copyright) and the changelog
# (CHANGELOG.md in Debian's form) in share/doc/<package>/.

set(VELMOR_PACKAGE_CONTACT "The Velmor developers <velmor@example.org>" CACHE STRING
    "The packages' Maintainer field: a distributor sets its own")
set(VELMOR_HOMEPAGE "https://velmor.example.org/" CACHE STRING
    "The project's web site (ending in /): the packages' Homepage and, under screenshots/, \
the screenshots the AppStream metainfo points to")
set(VELMOR_APP_ID "org.velmor.velmor" CACHE STRING "The AppStream component id")

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(package_files ${CMAKE_BINARY_DIR}/package-files)
set(doc_velmor ${CMAKE_INSTALL_DATADIR}/doc/velmor)
set(doc_data ${CMAKE_INSTALL_DATADIR}/doc/velmor-data)

# Manual pages and the changelogs, compressed as Debian wants them (gzip -9,
# no name or time stamp, so the packages build the same twice).
set(man_pages velmor.6 snxasm.1 snxdis.1 snxcheck.1)
set(compressed)
foreach(page IN LISTS man_pages)
  add_custom_command(OUTPUT ${package_files}/${page}.gz
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/packaging/gzip_max.py
            ${PROJECT_SOURCE_DIR}/packaging/man/${page} ${package_files}/${page}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/man/${page} ${PROJECT_SOURCE_DIR}/packaging/gzip_max.py
    VERBATIM)
  list(APPEND compressed ${package_files}/${page}.gz)
endforeach()
foreach(package velmor velmor-data)
  add_custom_command(OUTPUT ${package_files}/${package}/changelog.gz
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/packaging/debian_changelog.py
            ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${package} ${PROJECT_VERSION}
            ${VELMOR_PACKAGE_CONTACT} ${package_files}/${package}/changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/packaging/debian_changelog.py
    VERBATIM)
  list(APPEND compressed ${package_files}/${package}/changelog.gz)
endforeach()

# The metainfo, with the screenshots' addresses on the web site and the date
# of the newest release in CHANGELOG.md (an "Unreleased" section above it has
# no date).
file(STRINGS ${PROJECT_SOURCE_DIR}/CHANGELOG.md newest_release
     REGEX "^## .*\\([0-9]+-[0-9]+-[0-9]+\\)" LIMIT_COUNT 1)
string(REGEX MATCH "[0-9]+-[0-9]+-[0-9]+" VELMOR_RELEASE_DATE "${newest_release}")
configure_file(packaging/velmor.metainfo.xml.in ${package_files}/${VELMOR_APP_ID}.metainfo.xml
               @ONLY)

# PNG icons drawn from the SVG one, for the menus and software centres that
# want pixels.
set(icon_sizes 48 64 128 256)
find_program(RSVG_CONVERT rsvg-convert)
set(icons)
if(RSVG_CONVERT)
  foreach(size IN LISTS icon_sizes)
    add_custom_command(OUTPUT ${package_files}/icons/${size}/velmor.png
      COMMAND ${CMAKE_COMMAND} -E make_directory ${package_files}/icons/${size}
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${package_files}/icons/${size}/velmor.png
              ${PROJECT_SOURCE_DIR}/packaging/velmor.svg
      DEPENDS ${PROJECT_SOURCE_DIR}/packaging/velmor.svg VERBATIM)
    list(APPEND icons ${package_files}/icons/${size}/velmor.png)
    install(FILES ${package_files}/icons/${size}/velmor.png COMPONENT velmor-data
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
else()
  message(WARNING "rsvg-convert not found (librsvg2-bin): the PNG icons are not installed")
endif()
add_custom_target(package_files ALL DEPENDS ${compressed} ${icons})

# velmor
install(TARGETS velmor snxasm snxdis snxcheck COMPONENT velmor
        RUNTIME DESTINATION ${VELMOR_INSTALL_GAMESDIR})
# A stripped install (CPack's, `cmake --install --strip`) also drops the
# compiler's notes, as Debian's own stripping does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program velmor snxasm snxdis snxcheck)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VELMOR_INSTALL_GAMESDIR}/\${program}\"
        COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
  endif()" COMPONENT velmor)
install(FILES ${package_files}/velmor.6.gz COMPONENT velmor DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${package_files}/snxasm.1.gz ${package_files}/snxdis.1.gz
              ${package_files}/snxcheck.1.gz
        COMPONENT velmor DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES packaging/velmor.desktop COMPONENT velmor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${package_files}/${VELMOR_APP_ID}.metainfo.xml COMPONENT velmor
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/copyright ${package_files}/velmor/changelog.gz COMPONENT velmor
        DESTINATION ${doc_velmor})

# velmor-data: the demo game, where `velmor --demo` looks for it.
install(DIRECTORY ${VELMOR_DEMO_DIR}/ COMPONENT velmor-data
        DESTINATION ${CMAKE_INSTALL_DATADIR}/velmor/demo PATTERN ".datagen.stamp" EXCLUDE)
# The message catalogues, where the program looks for them.
install(FILES ${VELMOR_LOCALE_DIR}/ja.mo ${VELMOR_LOCALE_DIR}/game-en.mo COMPONENT velmor-data
        DESTINATION ${CMAKE_INSTALL_DATADIR}/velmor/locale)
install(FILES packaging/velmor.svg COMPONENT velmor-data
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
file(GLOB velmor_docs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES README.md ${velmor_docs} packaging/copyright ${package_files}/velmor-data/changelog.gz
        COMPONENT velmor-data DESTINATION ${doc_data})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmor)
set(CPACK_PACKAGE_VENDOR "The Velmor developers")
set(CPACK_PACKAGE_CONTACT "${VELMOR_PACKAGE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL velmor velmor-data)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VELMOR_HOMEPAGE}")
# Stripped: the debugging symbols stay in the build folder.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_VELMOR_PACKAGE_NAME velmor)
set(CPACK_COMPONENT_VELMOR_DESCRIPTION
    "engine for a classic Japanese visual-novel game\n\
Plays the classic game from its original data (scenario files, BMP\n\
pictures, MIDI and WAVE music, Shift-JIS text, save slots) as the original\n\
program did. Includes the scenario assembler, disassembler and checker; the\n\
small demo game (velmor --demo) is in velmor-data.")
# The libraries the programs link, found by dpkg-shlibdeps; what they read
# without linking it: the Japanese face, and for MIDI music (optional: WAVE
# music and everything else play without it) the synthesiser and a SoundFont;
# the 16-dot bitmap face (optional: the outline face stands in).
set(CPACK_DEBIAN_VELMOR_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_VELMOR_PACKAGE_DEPENDS
    "velmor-data (= ${PROJECT_VERSION}), fonts-ipafont-gothic | fonts-japanese-gothic")
set(CPACK_DEBIAN_VELMOR_PACKAGE_RECOMMENDS "libfluidsynth3, timgm6mb-soundfont | sf2-soundfont, xfonts-shinonome")

set(CPACK_DEBIAN_VELMOR-DATA_PACKAGE_NAME velmor-data)
set(CPACK_DEBIAN_VELMOR-DATA_PACKAGE_ARCHITECTURE all)
set(CPACK_COMPONENT_VELMOR-DATA_DESCRIPTION
    "demo game, icons and documentation for velmor\n\
The architecture-independent files of velmor: a small demo game played with\n\
velmor --demo, the program's icons, and the documentation for players and\n\
modders (the scenario language, the tools, the headless front end).")
include(CPack)
