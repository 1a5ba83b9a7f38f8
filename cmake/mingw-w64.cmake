# Cross build for 64-bit Windows with Debian's MinGW-w64, the twin of the
# Windows 95/98/ME build (cmake/mingw-w64-i686.cmake) that runs under Wine:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DTAVREL_BUILD_GUI=OFF -DTAVREL_BUILD_BENCH=OFF
# The posix thread model, unlike the i686 build: GoogleTest 1.12 on Windows
# needs std::mutex (its notification and death tests), which GCC 12 has only
# with posix threads. The runtime differs there, the program's code does not.
# Tests run under Wine when it is installed.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAVREL_MINGW_PREFIX x86_64-w64-mingw32)
set(TAVREL_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# Static runtime: the .exe runs without libstdc++, libgcc or winpthread DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(TAVREL_WINE wine)
if(TAVREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVREL_WINE})
endif()
