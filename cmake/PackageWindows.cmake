# cmake -DSOURCE_DIR=... -DOUT_DIR=... -P PackageWindows.cmake
# Zips the 64-bit and 32-bit Windows plug-ins with a read-me and the licence; refuses until both exist.
file(STRINGS ${SOURCE_DIR}/CMakeLists.txt projectLine REGEX "^project\\(Brindlet VERSION")
string(REGEX REPLACE ".*VERSION ([0-9.]+).*" "\\1" version "${projectLine}")

set(stage ${OUT_DIR}/windows/Brindlet-${version}-windows)
file(REMOVE_RECURSE ${OUT_DIR}/windows)
foreach(pair "win64;x64;x86_64" "win32;x86;i686")
  list(GET pair 0 preset)
  list(GET pair 1 folder)
  list(GET pair 2 cpu)
  # The build puts the DLL at the top of its folder; never search the folder, whose Wine
  # prefix links to the whole file system.
  set(dll ${SOURCE_DIR}/build-${preset}/Brindlet.dll)
  if(NOT EXISTS ${dll})
    message(FATAL_ERROR "no ${dll}: build the ${preset} preset first (cmake --preset ${preset} && "
                        "cmake --build --preset ${preset})")
  endif()
  file(COPY ${dll} DESTINATION ${stage}/${folder})
  # The presets keep debug information for the Wine suites; what users get is stripped.
  find_program(strip_${cpu} ${cpu}-w64-mingw32-strip)
  if(strip_${cpu})
    execute_process(COMMAND ${strip_${cpu}} --strip-unneeded ${stage}/${folder}/Brindlet.dll
                    COMMAND_ERROR_IS_FATAL ANY)
  else()
    message(WARNING "${cpu}-w64-mingw32-strip not found: the ${folder} DLL keeps its debug information")
  endif()
endforeach()
configure_file(${SOURCE_DIR}/docs/windows-readme.txt ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt COPYONLY)
file(READ ${stage}/LICENSE.txt licence)
string(REPLACE "\n" "\r\n" licence "${licence}")
file(WRITE ${stage}/LICENSE.txt "${licence}")

set(zip ${OUT_DIR}/Brindlet-${version}-windows.zip)
file(REMOVE ${zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip Brindlet-${version}-windows
                WORKING_DIRECTORY ${OUT_DIR}/windows COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${OUT_DIR}/windows)
message(STATUS "wrote ${zip}")
