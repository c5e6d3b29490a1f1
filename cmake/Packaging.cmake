# `cpack` makes the Debian package brindlet_<version>_<arch>.deb from the install rules.
if(WIN32)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brindlet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Brindlet developers")
set(CPACK_PACKAGE_CONTACT "Brindlet developers <maintainers@users.noreply.c-seed-a4cf1c4d.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "onset-triggered pitch-sweep audio effect (VST 2.x plug-in)")
set(CPACK_PACKAGE_DESCRIPTION
    "Brindlet records its stereo input into a two-second take when it hears an
onset or gets a MIDI note, replays the take through a voice whose playback
rate sweeps between two pitches, and mixes the result with the dry signal.
The package holds the VST 2.x plug-in for Linux hosts (in /usr/lib/vst) and
brindlet-render, a command-line host that renders audio files through any
VST 2.x plug-in.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES OFF)  # the install rules strip already
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# CPack would add ldconfig scripts for any shared object under /usr/lib, but the plug-in is a
# module that hosts load by path: naming scripts that do not exist keeps the package script-free,
# so removing it leaves nothing behind.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/no-scripts/postinst
    ${PROJECT_BINARY_DIR}/no-scripts/postrm)
set(CPACK_THREADS 0)
# Debian wants a changelog beside the copyright file, in the package only.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianChangelog.cmake)
set(CPACK_BRINDLET_CHANGELOG ${PROJECT_SOURCE_DIR}/docs/changelog)
include(CPack)
