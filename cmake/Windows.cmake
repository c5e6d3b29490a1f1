# The Windows module: Brindlet.dll with its resources and exactly the two entry names exported.
enable_language(RC)
set_target_properties(brindlet PROPERTIES OUTPUT_NAME Brindlet SUFFIX .dll)
target_sources(brindlet PRIVATE
  ${PROJECT_SOURCE_DIR}/resources/brindlet.rc
  ${PROJECT_SOURCE_DIR}/shell/platform/win32/Brindlet.def)
# windres finds the bitmaps next to the script.
set_property(SOURCE ${PROJECT_SOURCE_DIR}/resources/brindlet.rc APPEND PROPERTY
  COMPILE_OPTIONS -I${PROJECT_SOURCE_DIR}/resources)
target_link_libraries(brindlet PRIVATE ole32 uuid msimg32 gdi32 user32 shell32)
