# The Windows 95/98/ME audit's own tests, in the i686 build only: each case
# builds AuditSamples.cpp with what it does wrong, and the audit must refuse
# it naming the fault, or pass the clean one. No program runs.
#   case | compiler and linker flags | audit's size limit | expected output
set(TAVREL_AUDIT_CASES
  "clean||1048576|fit for Windows 95/98/ME: [0-9]+ bytes stripped. imports COMCTL32.DLL 1, KERNEL32.dll"
  "newer_call|-DAUDIT_SAMPLE_NEWER_CALL|1048576|KERNEL32.dll!GetFileSizeEx: added in Windows 2000"
  "wide_call|-DAUDIT_SAMPLE_WIDE_CALL|1048576|USER32.dll!MessageBoxW: wide"
  "other_dll|-DAUDIT_SAMPLE_OTHER_DLL|1048576|SHELL32.dll: not a DLL that Windows 95/98/ME all have"
  "ordinal|-DAUDIT_SAMPLE_ORDINAL libordinal.a|1048576|comctl32.dll!#17: imported by ordinal"
  "sse|-O3 -msse2 -mfpmath=sse|1048576|SSE in [^:]+: [a-z0-9]+ +[^\n]*%xmm"
  "subsystem_5|-Wl,--major-subsystem-version,5|1048576|header: MajorSubsystemVersion is 5, not 4"
  "size||4096|[0-9]+ bytes stripped, over the 4096 allowed")

# An import library whose one call is imported by number only.
set(ordinal_lib ${CMAKE_CURRENT_BINARY_DIR}/libordinal.a)
add_custom_command(OUTPUT ${ordinal_lib}
  COMMAND ${CMAKE_DLLTOOL} -k -d ${CMAKE_CURRENT_LIST_DIR}/ordinal.def -l ${ordinal_lib}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/ordinal.def VERBATIM)
add_custom_target(audit_ordinal_lib DEPENDS ${ordinal_lib})

foreach(row IN LISTS TAVREL_AUDIT_CASES)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 name)
  list(GET fields 1 flags)
  list(GET fields 2 max_size)
  list(GET fields 3 expected)
  set(sample audit_sample_${name})
  add_executable(${sample} WIN32 ${CMAKE_CURRENT_LIST_DIR}/AuditSamples.cpp)
  target_link_libraries(${sample} PRIVATE comctl32)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  foreach(flag IN LISTS flags)
    if(flag MATCHES "^-Wl,")
      target_link_options(${sample} PRIVATE ${flag})
    elseif(flag STREQUAL "libordinal.a")
      target_link_libraries(${sample} PRIVATE ${ordinal_lib})
      add_dependencies(${sample} audit_ordinal_lib)
    else()
      target_compile_options(${sample} PRIVATE ${flag})
    endif()
  endforeach()
  set(want_exit 1)
  if(name STREQUAL "clean")
    set(want_exit 0)
  endif()
  add_test(NAME win9x_audit_${name}
    COMMAND ${CMAKE_COMMAND} "-DEXPECTED=${expected}" -DWANT_EXIT=${want_exit}
      "-DAUDIT=${TAVREL_WIN9X_AUDIT_COMMAND};--max-size;${max_size};$<TARGET_FILE:${sample}>"
      -P ${CMAKE_CURRENT_LIST_DIR}/expect-audit.cmake)
  set_tests_properties(win9x_audit_${name} PROPERTIES LABELS win9x)
endforeach()
