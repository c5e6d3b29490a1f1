# brindlet_add_test(NAME name LABELS l... SOURCES s... LIBS l...)
# Under ThreadSanitizer only the suites labelled "threads" are built and run.
find_package(GTest QUIET)

function(brindlet_add_test)
  cmake_parse_arguments(T "" "NAME" "LABELS;SOURCES;LIBS" ${ARGN})
  if(BRINDLET_SANITIZE MATCHES "thread" AND NOT "threads" IN_LIST T_LABELS)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${T_NAME} PRIVATE
    BRINDLET_BUILD_DIR="${PROJECT_BINARY_DIR}"
    BRINDLET_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}" TIMEOUT 900)
endfunction()
