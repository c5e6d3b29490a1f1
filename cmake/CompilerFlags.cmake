# Warnings are errors; floating point stays exact (no contraction, no fast-math) so renders match on every target.
add_compile_options(-Wall -Wextra -Werror -ffp-contract=off -fno-fast-math)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_options(-msse2 -mfpmath=sse)
endif()
include_directories(${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)

if(BRINDLET_SANITIZE)
  add_compile_options(-fsanitize=${BRINDLET_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${BRINDLET_SANITIZE})
endif()
