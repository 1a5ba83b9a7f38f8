# The Windows test program runs under Wine, in a prefix made fresh for each
# run in the build folder. Everything here carries the label "wine", so
# `ctest -LE wine` leaves it out.
find_program(TAVREL_WINE wine)
find_program(TAVREL_WINESERVER wineserver)
if(NOT TAVREL_WINE OR NOT TAVREL_WINESERVER)
  message(STATUS "Wine not found: the Windows tests are built but not registered")
  return()
endif()

set(TAVREL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
# No Mono or Gecko: wineboot would offer to download them. The locale fixes
# the ANSI code page at Windows-1252, which the regedit round trip expects.
set(TAVREL_WINE_ENV
  WINEPREFIX=${TAVREL_WINEPREFIX}
  WINEDEBUG=-all
  WINEDLLOVERRIDES=mscoree,mshtml=
  LC_ALL=C.UTF-8)

set(TAVREL_PREFIX_SCRIPT ${CMAKE_COMMAND} -DWINE=${TAVREL_WINE} -DWINESERVER=${TAVREL_WINESERVER}
  -DPREFIX=${TAVREL_WINEPREFIX} -P ${CMAKE_CURRENT_LIST_DIR}/prefix.cmake)
add_test(NAME wine_prefix COMMAND ${CMAKE_COMMAND} -DACTION=boot ${TAVREL_PREFIX_SCRIPT})
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine_prefix)

# The regedit round trip's steps run only from its script, with regedit between them.
add_test(NAME wine_core_tests COMMAND ${TAVREL_WINE} $<TARGET_FILE:tavrel_core_tests> --gtest_filter=-RegeditInterchange.*)

add_test(NAME wine_regedit_interchange
  COMMAND ${CMAKE_COMMAND} -DWINE=${TAVREL_WINE} -DTEST_EXE=$<TARGET_FILE:tavrel_core_tests>
          -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/interchange
          -P ${CMAKE_CURRENT_LIST_DIR}/regedit-interchange.cmake)

# With the windows built: their tests, in process, then the program as a user
# meets it, on a virtual display.
set(TAVREL_WINE_TESTS wine_core_tests wine_regedit_interchange)
if(TARGET tavrel_win32_tests)
  add_test(NAME wine_win32_tests
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/win32-tests.sh $<TARGET_FILE:tavrel_win32_tests>)
  list(APPEND TAVREL_WINE_TESTS wine_win32_tests)
endif()
if(TARGET tavrel)
  add_test(NAME wine_program COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/program.sh $<TARGET_FILE:tavrel>
    ${PROJECT_SOURCE_DIR}/samples/one-adapter.reg ${CMAKE_BINARY_DIR}/windows.png)
  list(APPEND TAVREL_WINE_TESTS wine_program)
endif()

# Ends the prefix's server and services and waits for them, so nothing
# outlives the run.
add_test(NAME wine_shutdown COMMAND ${CMAKE_COMMAND} -DACTION=stop ${TAVREL_PREFIX_SCRIPT})
set_tests_properties(wine_shutdown PROPERTIES FIXTURES_CLEANUP wine_prefix)

set_tests_properties(${TAVREL_WINE_TESTS} PROPERTIES FIXTURES_REQUIRED wine_prefix)
set_tests_properties(wine_prefix ${TAVREL_WINE_TESTS} wine_shutdown PROPERTIES
  LABELS wine
  ENVIRONMENT "${TAVREL_WINE_ENV}"
  TIMEOUT 300)
if(TARGET tavrel_win32_tests)
  # It restarts the prefix's server.
  set_tests_properties(wine_win32_tests PROPERTIES RUN_SERIAL ON)
endif()
if(TARGET tavrel)
  # The program draws on a display of its own, and shares the prefix's registry
  # with the tests before it.
  set_tests_properties(wine_program PROPERTIES ENVIRONMENT "${TAVREL_WINE_ENV}" RUN_SERIAL ON)
endif()
