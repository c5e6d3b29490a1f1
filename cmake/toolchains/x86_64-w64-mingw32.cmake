# Cross-build for 64-bit Windows with mingw-w64's posix-thread compilers (std::thread ids that differ
# per thread), linking its runtime statically so the DLL needs nothing beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BRINDLET_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MingwCommon.cmake)
