# cmake -DSOURCE_DIR=... -DOUT_DIR=... -P PackageWindows.cmake
# Zips the 64-bit and 32-bit Windows plug-ins with a read-me and the licence; refuses until both exist.
file(STRINGS ${SOURCE_DIR}/CMakeLists.txt projectLine REGEX "^project\\(Brindlet VERSION")
string(REGEX REPLACE ".*VERSION ([0-9.]+).*" "\\1" version "${projectLine}")

set(stage ${OUT_DIR}/windows/Brindlet-${version}-windows)
file(REMOVE_RECURSE ${OUT_DIR}/windows)
foreach(pair "win64;x64" "win32;x86")
  list(GET pair 0 preset)
  list(GET pair 1 folder)
  file(GLOB_RECURSE dlls ${SOURCE_DIR}/build-${preset}/*.dll)
  list(FILTER dlls INCLUDE REGEX "/[Bb]rindlet\\.dll$")
  list(FILTER dlls EXCLUDE REGEX "/CMakeFiles/")
  list(LENGTH dlls found)
  if(NOT found EQUAL 1)
    message(FATAL_ERROR "build-${preset} holds ${found} Brindlet.dll files, not one: "
                        "build the ${preset} preset first (cmake --preset ${preset} && "
                        "cmake --build --preset ${preset})")
  endif()
  file(COPY ${dlls} DESTINATION ${stage}/${folder})
  file(GLOB copied ${stage}/${folder}/*)
  file(RENAME ${copied} ${stage}/${folder}/Brindlet.dll)
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
