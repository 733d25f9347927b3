# What `cmake --install` puts under the prefix, and the Debian package that
# CPack builds from the same files (`cpack -G DEB` in the build folder).

install(TARGETS velmor snxasm snxdis snxcheck RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The demo game, where `velmor --demo` looks for it.
install(DIRECTORY ${VELMOR_DEMO_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/velmor/demo
        PATTERN ".datagen.stamp" EXCLUDE)
install(FILES packaging/velmor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/velmor.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/man/velmor.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES packaging/man/snxasm.1 packaging/man/snxdis.1 packaging/man/snxcheck.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
file(GLOB velmor_docs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES README.md ${velmor_docs} DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmor)
set(CPACK_PACKAGE_VENDOR "The Velmor developers")
set(CPACK_PACKAGE_CONTACT "The Velmor developers <velmor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "engine for a classic Japanese visual-novel game, with a demo game and tools")
set(CPACK_PACKAGE_DESCRIPTION
    "Plays the classic game from its original data (scenario files, BMP pictures, MIDI and\n\
WAVE music, Shift-JIS text, save slots) as the original program did. Includes a small\n\
demo game (velmor --demo) and the scenario assembler, disassembler and checker.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# The libraries the programs link, found by dpkg-shlibdeps; and what they
# load or read at run time without linking it: the MIDI synthesiser, the
# Japanese face and the SoundFont.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libfluidsynth3, fonts-ipafont-gothic | fonts-japanese-gothic, timgm6mb-soundfont | sf2-soundfont")
include(CPack)
