# The i686 build of the test programs, which run in the emulated Pentium II
# (scripts/test-win98.sh): the processor and static runtime of the Windows
# 95/98/ME build (cmake/mingw-w64-i686.cmake), with posix threads, since
# GoogleTest needs std::mutex. The program users get keeps the win32 thread
# model; this build's tavrel.exe is not audited and not shipped.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TAVREL_MINGW_PREFIX i686-w64-mingw32)
set(TAVREL_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

set(CMAKE_C_FLAGS_INIT "-march=pentium2")
set(CMAKE_CXX_FLAGS_INIT "-march=pentium2")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
