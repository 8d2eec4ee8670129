# Runs resource_check (TOOL) on FOLDER and passes only when it refuses the folder with an error
# holding EXPECTED, as the build step does.
execute_process(COMMAND ${TOOL} ${FOLDER} RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0)
  message(FATAL_ERROR "${FOLDER} was accepted")
endif()
string(FIND "${err}" "${EXPECTED}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the error does not say '${EXPECTED}': ${err}")
endif()
