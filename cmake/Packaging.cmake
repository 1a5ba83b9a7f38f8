# What the releases hold; scripts/release.sh makes them.
# - A Windows 95/98/ME build (TAVREL_WIN9X) fills floppy/ in its build folder
#   with the Windows zip's three files: TAVREL.EXE stripped, README.TXT and
#   LICENSE.TXT as Windows text (CR LF), all under 8.3 names that a FAT
#   floppy and old unzip programs keep as they are.
# - With TAVREL_DEBIAN_PACKAGE (Linux), the install rules follow Debian's
#   layout (the manual page and the changelog compressed, the licence inside
#   the copyright file) and `cpack` makes the .deb.
set(TAVREL_MAINTAINER "The Tavrel developers <tavrel@example.org>" CACHE STRING
  "The Debian package's maintainer, as Name <address>")
set(TAVREL_HOMEPAGE https://github.com/tavrel/tavrel)

if(TAVREL_WIN9X AND TARGET tavrel)
  set(floppy ${PROJECT_BINARY_DIR}/floppy)
  configure_file(${PROJECT_SOURCE_DIR}/resources/windows/README.TXT.in ${floppy}/README.TXT
    @ONLY NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${floppy}/LICENSE.TXT @ONLY NEWLINE_STYLE CRLF)
  add_custom_command(OUTPUT ${floppy}/TAVREL.EXE
    COMMAND ${CMAKE_STRIP} -o ${floppy}/TAVREL.EXE $<TARGET_FILE:tavrel>
    DEPENDS tavrel
    COMMENT "Stripping the program into floppy/TAVREL.EXE"
    VERBATIM)
  add_custom_target(floppy ALL DEPENDS ${floppy}/TAVREL.EXE)
endif()

if(NOT TAVREL_DEBIAN_PACKAGE)
  return()
endif()
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux" OR NOT TARGET tavrel)
  message(FATAL_ERROR "TAVREL_DEBIAN_PACKAGE needs a Linux build of the program (TAVREL_BUILD_GUI)")
endif()
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(GZIP gzip REQUIRED)
set(deb ${PROJECT_BINARY_DIR}/debian)
set(files ${PROJECT_SOURCE_DIR}/cmake/debian-files.py)
file(MAKE_DIRECTORY ${deb})

# gzip -9n: what Debian asks of a package's compressed documents (the most
# compression, no name or time stamp in the header).
add_custom_command(OUTPUT ${deb}/changelog.gz
  COMMAND ${Python3_EXECUTABLE} ${files} changelog ${PROJECT_SOURCE_DIR}/CHANGELOG.md
    --package tavrel --maintainer ${TAVREL_MAINTAINER} -o ${deb}/changelog
  COMMAND ${GZIP} -9nf ${deb}/changelog
  DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${files}
  VERBATIM)
add_custom_command(OUTPUT ${deb}/tavrel.1.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/resources/tavrel.1 ${deb}/tavrel.1
  COMMAND ${GZIP} -9nf ${deb}/tavrel.1
  DEPENDS ${PROJECT_SOURCE_DIR}/resources/tavrel.1
  VERBATIM)
add_custom_command(OUTPUT ${deb}/copyright
  COMMAND ${Python3_EXECUTABLE} ${files} copyright ${PROJECT_SOURCE_DIR}/LICENSE
    --name ${PROJECT_NAME} --source ${TAVREL_HOMEPAGE} -o ${deb}/copyright
  DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE ${files}
  VERBATIM)
add_custom_target(debian_files ALL DEPENDS ${deb}/changelog.gz ${deb}/tavrel.1.gz ${deb}/copyright)

include(GNUInstallDirs)
# After the program's own rule, which strips it for cpack: the compiler's
# version notes go too, as Debian's packaging tools take them out.
find_program(OBJCOPY NAMES objcopy REQUIRED)
install(CODE "execute_process(COMMAND ${OBJCOPY} --remove-section=.comment
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/tavrel\" COMMAND_ERROR_IS_FATAL ANY)")
install(FILES ${deb}/tavrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${deb}/copyright ${deb}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tavrel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VENDOR "The Tavrel developers")
set(CPACK_PACKAGE_CONTACT ${TAVREL_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "show and change the clocks of a Creative graphics card")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
Tavrel shows and changes the memory and core clocks of a Creative Labs
graphics card with a GeForce or TNT2 Ultra chip. It never talks to the
hardware: it edits the MemClock and GrfxClock settings that the Creative
display driver for Windows keeps in the registry.

On Linux a registry file in regedit's format stands in for the Windows
registry: files exported by regedit load as they are, and a file Tavrel has
written imports back. Tavrel keeps four named clock presets, and its command
line writes the clocks without opening a window.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TAVREL_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
