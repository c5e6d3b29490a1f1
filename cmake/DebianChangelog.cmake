# Runs inside cpack, after the install into the staging folder: adds the compressed changelog.
set(folder "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/doc/brindlet")
if(NOT IS_DIRECTORY "${folder}")
  message(FATAL_ERROR "the staged package has no ${folder}")
endif()
execute_process(COMMAND gzip -9n INPUT_FILE "${CPACK_BRINDLET_CHANGELOG}"
                OUTPUT_FILE "${folder}/changelog.gz" COMMAND_ERROR_IS_FATAL ANY)
