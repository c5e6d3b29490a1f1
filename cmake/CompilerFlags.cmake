# Floating point stays exact (no contraction, no fast-math) so renders match on every target.
# Warnings are errors only where we pick the compiler (presets, CI): a newer compiler's new
# warning must not break a plain build for someone else.
option(BRINDLET_WERROR "Treat compiler warnings as errors" OFF)
add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)
if(BRINDLET_WERROR)
  add_compile_options(-Werror)
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_options(-msse2 -mfpmath=sse)
endif()
# -O3 measured no faster than -O2 on the engine benchmark, so Release builds use -O2 as well.
foreach(lang C CXX)
  string(REPLACE "-O3" "-O2" CMAKE_${lang}_FLAGS_RELEASE "${CMAKE_${lang}_FLAGS_RELEASE}")
endforeach()
include_directories(${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)

if(BRINDLET_SANITIZE)
  add_compile_options(-fsanitize=${BRINDLET_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${BRINDLET_SANITIZE})
endif()
