# Cross build for 64-bit Windows with Debian's mingw-w64 (the -posix thread variant, whose
# libstdc++ has std::thread and std::mutex). Executables are linked statically, so they need no
# DLL beside them, and run through Wine wherever CMake runs them (tests, test discovery).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Debian's wine64 package runs 64-bit programs without the 32-bit half; the plain launcher is
# only there when the wine package is installed as well.
find_program(TOLVAR_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(TOLVAR_WINE NAMES wine64 wine)
if(TOLVAR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TOLVAR_WINE})
endif()
