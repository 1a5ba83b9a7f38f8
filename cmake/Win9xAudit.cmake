# tavrel_audit_win9x(target): in the Windows 95/98/ME build (the i686
# toolchain file sets TAVREL_WIN9X), every link of target is followed by
# cmake/win9x-audit.py, which fails the build when the program imports a DLL
# or a call that Windows 95/98/ME lack or only stub, when its header is not
# PE32 for i386 with subsystem and OS version 4.0, when its code holds an SSE
# instruction, or when a stripped copy is over TAVREL_WIN9X_MAX_SIZE bytes.
# Elsewhere it does nothing. The lists it checks against, and where they come
# from, are in cmake/win9x-imports.txt.
option(TAVREL_WIN9X "Audit the Windows program for Windows 95/98/ME (the i686 toolchain file turns it on)" OFF)
set(TAVREL_WIN9X_MAX_SIZE 1048576 CACHE STRING "Most bytes the stripped Windows 95/98/ME program may have")
set(TAVREL_WIN9X_AUDIT ${CMAKE_CURRENT_LIST_DIR}/win9x-audit.py)
set(TAVREL_WIN9X_LISTS ${CMAKE_CURRENT_LIST_DIR}/win9x-imports.txt)

if(TAVREL_WIN9X)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  if(NOT CMAKE_OBJDUMP OR NOT CMAKE_STRIP)
    message(FATAL_ERROR "The Windows 95/98/ME audit needs the toolchain's objdump and strip "
                        "(binutils-mingw-w64-i686); found objdump '${CMAKE_OBJDUMP}', strip '${CMAKE_STRIP}'")
  endif()
  # The audit's command line, for the function below and the audit's own tests.
  set(TAVREL_WIN9X_AUDIT_COMMAND ${Python3_EXECUTABLE} ${TAVREL_WIN9X_AUDIT}
    --objdump ${CMAKE_OBJDUMP} --strip ${CMAKE_STRIP} --lists ${TAVREL_WIN9X_LISTS})
endif()

function(tavrel_audit_win9x target)
  if(NOT TAVREL_WIN9X)
    return()
  endif()
  # A change to the lists or the script links the program again, so it is
  # checked again; a failed check leaves no program behind (the build's
  # rule output is deleted on failure), so the next build checks it too.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${TAVREL_WIN9X_AUDIT} ${TAVREL_WIN9X_LISTS})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${TAVREL_WIN9X_AUDIT_COMMAND} --max-size ${TAVREL_WIN9X_MAX_SIZE} $<TARGET_FILE:${target}>
    COMMENT "Checking ${target} for Windows 95/98/ME"
    VERBATIM)
endfunction()
