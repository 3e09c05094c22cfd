# Shared by the mingw-w64 toolchain files: Debian's cross compilers with the POSIX thread
# model (the win32 model has no std::mutex in GCC 12). The including file sets
# CMAKE_SYSTEM_PROCESSOR and ASPECT_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ASPECT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ASPECT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ASPECT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ASPECT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Self-contained executables: no libstdc++, libgcc or winpthread DLLs to ship or for Wine
# to find; only Windows' own DLLs remain as imports.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test executables run under Wine. `wine` starts 32-bit and 64-bit programs alike in a
# 64-bit prefix (with wine32 installed); wine64 alone runs only 64-bit ones.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  find_program(ASPECT_WINE NAMES wine wine64)
else()
  find_program(ASPECT_WINE NAMES wine)
endif()
if(ASPECT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ASPECT_WINE})
endif()
