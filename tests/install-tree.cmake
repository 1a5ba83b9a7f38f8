# Installs the build under a fresh prefix, then checks the tree as software
# centres read it: appstreamcli validate-tree (the metainfo, named after its
# id, and the desktop entry its launchable names) and, when the compose
# addon is there, a catalog compose, which drops a component whose desktop
# entry or icon (64x64 or larger) it cannot find.
#   cmake -DAPPSTREAMCLI=... -DBUILD_DIR=... -DWORK_DIR=... [-DCOMPOSE=ON] -P install-tree.cmake
if(NOT APPSTREAMCLI OR NOT BUILD_DIR OR NOT WORK_DIR)
  message(FATAL_ERROR "usage: cmake -DAPPSTREAMCLI=... -DBUILD_DIR=... -DWORK_DIR=... [-DCOMPOSE=ON] -P install-tree.cmake")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
set(root "${WORK_DIR}/root")
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${root}/usr
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result}):\n${out}")
endif()

foreach(file bin/tavrel share/man/man1/tavrel.1)
  if(NOT EXISTS "${root}/usr/${file}")
    message(FATAL_ERROR "${file} was not installed:\n${out}")
  endif()
endforeach()

# Like the validator test, fail on anything above a pedantic hint.
execute_process(COMMAND ${APPSTREAMCLI} validate-tree --no-net --strict ${root}/usr
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
if(NOT result EQUAL 0 OR out MATCHES "(^|\n)[EWI]: ")
  message(FATAL_ERROR "appstreamcli validate-tree failed (${result})")
endif()

if(COMPOSE)
  execute_process(COMMAND ${APPSTREAMCLI} compose --no-net --no-color --origin tavrel
      --result-root=${WORK_DIR}/catalog ${root}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  message("${out}")
  file(GLOB_RECURSE icons "${WORK_DIR}/catalog/*/io.github.tavrel.tavrel.png")
  if(NOT result EQUAL 0 OR out MATCHES "(^|\n) *[EW]: " OR NOT icons)
    message(FATAL_ERROR "appstreamcli compose did not take the component as it is (${result})")
  endif()
endif()
