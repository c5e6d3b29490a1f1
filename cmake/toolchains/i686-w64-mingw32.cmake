# Cross-build for 32-bit Windows with mingw-w64's posix-thread compilers; SSE2 arithmetic (from the
# common flags) keeps renders identical to the 64-bit ones.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(BRINDLET_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwCommon.cmake)
