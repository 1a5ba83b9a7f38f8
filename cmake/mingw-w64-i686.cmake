# Cross build of the Windows program for Windows 95/98/ME, with Debian's
# MinGW-w64 for i686 (g++-mingw-w64-i686-win32):
#   cmake -S . -B build-win98 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
#         -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCH=OFF
# - The win32 thread model: the posix model links winpthreads, which imports
#   calls that Windows 98 lacks even in a program without threads.
# - pentium2: MMX and CMOV, no SSE. Debian's prebuilt runtime already uses
#   CMOV, so the program needs a P6-class processor whatever -march says.
# - libgcc and libstdc++ linked in: one file, no runtime DLLs beside it.
# - Subsystem and OS version 4.0, the most that Windows 95 loads.
# No emulator: this program is checked by its imports (cmake/Win9xAudit.cmake),
# and its 64-bit twin (cmake/mingw-w64.cmake) runs the tests under Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TAVREL_WIN9X ON)
set(TAVREL_MINGW_PREFIX i686-w64-mingw32)
set(TAVREL_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

set(CMAKE_C_FLAGS_INIT "-march=pentium2")
set(CMAKE_CXX_FLAGS_INIT "-march=pentium2")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ \
-Wl,--major-subsystem-version,4,--minor-subsystem-version,0,--major-os-version,4,--minor-os-version,0")
