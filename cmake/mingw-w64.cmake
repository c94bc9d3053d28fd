# Cross build for 64-bit Windows with Debian's MinGW-w64 (the posix threads variant, whose
# C++ library has std::thread and std::mutex). The programs link statically, so that a lone
# .exe runs on Windows and under Wine with no MinGW DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TONVALE_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TONVALE_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TONVALE_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TONVALE_MINGW}-windres)

# Libraries and packages come from the target's root only: the build machine's are for Linux.
set(CMAKE_FIND_ROOT_PATH /usr/${TONVALE_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C99 printf family, as on Linux (%zu, the same digits), not the Microsoft one.
set(CMAKE_CXX_FLAGS_INIT "-D__USE_MINGW_ANSI_STDIO=1")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine (ctest and the test discovery).
find_program(TONVALE_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(TONVALE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TONVALE_WINE})
endif()
