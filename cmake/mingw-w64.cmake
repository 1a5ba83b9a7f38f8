# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads).
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DTAVREL_BUILD_GUI=OFF -DTAVREL_BUILD_BENCH=OFF
# With a Qt cross-built for MinGW (scripts/build-qt-windows.sh), give its
# prefix as TAVREL_QT_WINDOWS and TAVREL_BUILD_GUI=ON for the whole program.
# Tests run under Wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVREL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVREL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVREL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVREL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVREL_MINGW_PREFIX})
# Packages are looked for only under the find roots, so Qt's prefix is one.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVREL_QT_WINDOWS)
if(TAVREL_QT_WINDOWS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${TAVREL_QT_WINDOWS})
  list(APPEND CMAKE_PREFIX_PATH ${TAVREL_QT_WINDOWS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the .exe runs without libstdc++, libgcc or winpthread DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(TAVREL_WINE wine)
if(TAVREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVREL_WINE})
endif()
