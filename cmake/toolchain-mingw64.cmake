# Cross build of the settings store for 64-bit Windows with Debian's mingw-w64 (POSIX
# thread model); the test executables run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ASPECT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ASPECT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ASPECT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ASPECT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ASPECT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained executables: no libstdc++, libgcc or winpthread DLLs for Wine to find.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(ASPECT_WINE NAMES wine wine64)
if(ASPECT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ASPECT_WINE})
endif()
