# Cross build for 32-bit Windows (i686) with Debian's mingw-w64. The project's settings add
# -msse2 -mfpmath=sse for this processor, so doubles are rounded as on x86_64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ASPECT_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
