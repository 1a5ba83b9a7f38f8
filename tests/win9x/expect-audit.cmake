# Runs the Windows 95/98/ME audit on one sample: passes when it exits with
# WANT_EXIT and its output matches EXPECTED.
#   cmake -DAUDIT=audit;args;sample.exe -DWANT_EXIT=0|1 -DEXPECTED=regex -P expect-audit.cmake
if(NOT AUDIT OR NOT DEFINED WANT_EXIT OR NOT EXPECTED)
  message(FATAL_ERROR "usage: cmake -DAUDIT=... -DWANT_EXIT=0|1 -DEXPECTED=... -P expect-audit.cmake")
endif()
execute_process(COMMAND ${AUDIT} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
if(NOT result STREQUAL WANT_EXIT)
  message(FATAL_ERROR "the audit exited with ${result}, not ${WANT_EXIT}")
endif()
if(NOT out MATCHES "${EXPECTED}")
  message(FATAL_ERROR "the audit's output lacks: ${EXPECTED}")
endif()
