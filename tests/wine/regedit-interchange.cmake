# Round trip between Wine's regedit and the .reg store: the test program
# seeds the registry, regedit exports it, the program loads the export in
# the store and rewrites a copy, regedit imports the copy, and the program
# checks what the registry then holds.
#   cmake -DWINE=... -DTEST_EXE=... -DWORK_DIR=... -P regedit-interchange.cmake
# WINEPREFIX comes from the environment.
if(NOT WINE OR NOT TEST_EXE OR NOT WORK_DIR)
  message(FATAL_ERROR "usage: cmake -DWINE=... -DTEST_EXE=... -DWORK_DIR=... -P regedit-interchange.cmake")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
# Wine's drive Z: is the Linux root.
set(WIN_DIR "Z:${WORK_DIR}")
set(ENV{TAVREL_INTERCHANGE_DIR} "${WIN_DIR}")

function(run_step test)
  execute_process(COMMAND ${WINE} ${TEST_EXE} --gtest_filter=RegeditInterchange.${test}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  message("${out}")
  # A filter that matches nothing passes too: insist on the one test.
  if(NOT result EQUAL 0 OR NOT out MATCHES "\\[  PASSED  \\] 1 test\\." OR out MATCHES "SKIPPED")
    message(FATAL_ERROR "step ${test} failed")
  endif()
endfunction()

function(run_regedit)
  execute_process(COMMAND ${WINE} regedit ${ARGN}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "regedit ${ARGN} failed (${result}):\n${out}")
  endif()
endfunction()

run_step(SeedRegistry)
run_regedit(/E "${WIN_DIR}/exported.reg" "HKEY_LOCAL_MACHINE\\Software\\TavrelTest\\Interchange")
if(NOT EXISTS "${WORK_DIR}/exported.reg")
  message(FATAL_ERROR "regedit wrote no export")
endif()
run_step(ExportLoadsInStoreThenStoreWrites)
run_regedit(/S "${WIN_DIR}/rewritten.reg")
run_step(ImportGivesBackValuesWritten)
