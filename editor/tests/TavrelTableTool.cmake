# Runs tavrel-table on a sample table: saving it unchanged gives the same bytes, and a file that
# cannot be read or written gives a message and a non-zero exit.
string(REPLACE "|" ";" LAUNCHER "${LAUNCHER}")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

execute_process(COMMAND ${LAUNCHER} "${TOOL}" "${SAMPLE}" --save "${WORK}/out.csv"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "round trip failed (${rc}): ${out}")
endif()
if(NOT out MATCHES "rows" OR NOT out MATCHES "load: ")
    message(FATAL_ERROR "no summary printed: ${out}")
endif()
file(READ "${SAMPLE}" before HEX)
file(READ "${WORK}/out.csv" after HEX)
if(NOT before STREQUAL after)
    message(FATAL_ERROR "saving the sample unchanged changed its bytes")
endif()

execute_process(COMMAND ${LAUNCHER} "${TOOL}" "${WORK}/missing.csv"
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "missing.csv")
    message(FATAL_ERROR "a missing file was not reported (${rc}): ${err}")
endif()

execute_process(COMMAND ${LAUNCHER} "${TOOL}" "${SAMPLE}" --save "${WORK}/no/such/folder/out.csv"
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "Could not open file")
    message(FATAL_ERROR "an unwritable target was not reported (${rc}): ${err}")
endif()
