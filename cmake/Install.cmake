# Installation: the plug-in where Linux hosts scan for VST 2.x modules, brindlet-render, its
# manual page, the README and the licence. Included after the targets exist.
if(WIN32)
  return()
endif()

include(GNUInstallDirs)
set(BRINDLET_INSTALL_VSTDIR "lib/vst" CACHE STRING
    "Where the plug-in goes, relative to the prefix (the folder Linux hosts scan)")
option(BRINDLET_INSTALL_STRIP "Strip the installed plug-in and brindlet-render" ON)

# A host may run another libstdc++ than ours: the module carries its own, hidden with the rest.
# Sanitizer builds keep the shared one so their run-time library sees every allocation.
if(NOT BRINDLET_SANITIZE)
  target_link_options(brindlet PRIVATE -static-libstdc++ -static-libgcc)
endif()

# Debian's manual pages are compressed, reproducibly (no name, no time stamp).
set(manPage ${PROJECT_BINARY_DIR}/brindlet-render.1.gz)
add_custom_command(OUTPUT ${manPage}
  COMMAND sh -c "gzip -9n < '${PROJECT_SOURCE_DIR}/docs/brindlet-render.1' > '${manPage}'"
  DEPENDS ${PROJECT_SOURCE_DIR}/docs/brindlet-render.1 VERBATIM)
add_custom_target(brindlet_manpage ALL DEPENDS ${manPage})

install(TARGETS brindlet LIBRARY DESTINATION ${BRINDLET_INSTALL_VSTDIR})
install(TARGETS brindlet-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${manPage} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brindlet)
install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brindlet RENAME copyright)

# Stripped the way Debian strips: no symbols beyond the dynamic ones, no compiler notes.
if(BRINDLET_INSTALL_STRIP AND CMAKE_STRIP)
  foreach(installed "${BRINDLET_INSTALL_VSTDIR}/brindlet.so"
                    "${CMAKE_INSTALL_BINDIR}/brindlet-render")
    install(CODE "
      set(file \"${installed}\")
      if(NOT IS_ABSOLUTE \"\${file}\")
        set(file \"\${CMAKE_INSTALL_PREFIX}/\${file}\")
      endif()
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded --remove-section=.comment
                              --remove-section=.note \"\$ENV{DESTDIR}\${file}\"
                      COMMAND_ERROR_IS_FATAL ANY)")
  endforeach()
endif()
