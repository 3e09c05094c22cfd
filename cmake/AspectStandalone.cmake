# The settings of a folder configured on its own, outside the main build (the
# benchmarks): the language as the main build has it, a Release build unless told,
# the project's warnings and arithmetic flags (aspect::build_settings).
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()
option(ASPECT_WERROR "Treat compiler warnings as errors" ON)
option(ASPECT_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
include(${CMAKE_CURRENT_LIST_DIR}/AspectSettings.cmake)
