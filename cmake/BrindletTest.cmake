# brindlet_add_test(NAME name LABELS l... SOURCES s... LIBS l...)
# Under ThreadSanitizer only the suites labelled "threads" are built and run.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsGTest.cmake)
else()
  find_package(GTest QUIET)
endif()

function(brindlet_add_test)
  cmake_parse_arguments(T "" "NAME" "LABELS;SOURCES;LIBS" ${ARGN})
  if(BRINDLET_SANITIZE MATCHES "thread" AND NOT "threads" IN_LIST T_LABELS)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  set(buildDir ${PROJECT_BINARY_DIR})
  if(WIN32)
    # Under Wine the Linux file system is drive Z:.
    set(buildDir Z:${PROJECT_BINARY_DIR})
  endif()
  target_compile_definitions(${T_NAME} PRIVATE
    BRINDLET_BUILD_DIR="${buildDir}"
    BRINDLET_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}" TIMEOUT 900)
endfunction()
