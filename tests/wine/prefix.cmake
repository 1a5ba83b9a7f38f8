# The Wine prefix of a test run, in the build folder.
#   cmake -DACTION=boot|stop -DWINE=... -DWINESERVER=... -DPREFIX=... -P prefix.cmake
# boot: stops a server left on an old prefix, removes it and boots a fresh
# one. The server is started first and kept for a while after the last
# program ends, with Wine's services around it: the test programs then start
# in a fraction of a second, and no service started by a test holds CTest's
# output pipe open until it exits.
# stop: ends the server and its services and waits until they are gone.
if(NOT ACTION OR NOT WINE OR NOT WINESERVER OR NOT PREFIX)
  message(FATAL_ERROR "usage: cmake -DACTION=boot|stop -DWINE=... -DWINESERVER=... -DPREFIX=... -P prefix.cmake")
endif()
set(ENV{WINEPREFIX} "${PREFIX}")

execute_process(COMMAND ${WINESERVER} -k OUTPUT_QUIET ERROR_QUIET)
execute_process(COMMAND ${WINESERVER} -w OUTPUT_QUIET ERROR_QUIET)
if(ACTION STREQUAL "stop")
  return()
endif()

file(REMOVE_RECURSE "${PREFIX}")
file(MAKE_DIRECTORY "${PREFIX}")
# Output to files, not pipes: the server and the services outlive this script.
set(log "${PREFIX}-boot.log")
execute_process(COMMAND ${WINESERVER} -p60 OUTPUT_FILE "${log}" ERROR_FILE "${log}")
execute_process(COMMAND ${WINE} wineboot --init RESULT_VARIABLE result OUTPUT_FILE "${log}" ERROR_FILE "${log}")
if(NOT result EQUAL 0)
  file(READ "${log}" out)
  message(FATAL_ERROR "wineboot failed (${result}):\n${out}")
endif()
