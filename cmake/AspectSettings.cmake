# Compile settings shared by every target of the project.
add_library(aspect_build_settings INTERFACE)
add_library(aspect::build_settings ALIAS aspect_build_settings)
target_compile_features(aspect_build_settings INTERFACE cxx_std_20)

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  target_compile_options(aspect_build_settings INTERFACE
    -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
    # The arithmetic must be plain IEEE double, each operation rounded on its own:
    # no fused multiply-add, no fast-math shortcuts, no x87 extended precision.
    -ffp-contract=off -fno-fast-math
    # No build folder in the program (__FILE__, debug information): two builds of one
    # commit in different folders give the same bytes.
    -ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
    -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86)$")
    target_compile_options(aspect_build_settings INTERFACE -msse2 -mfpmath=sse)
  endif()
  if(ASPECT_WERROR)
    target_compile_options(aspect_build_settings INTERFACE -Werror)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 at -O3 warns about std::string concatenation that cannot overlap (GCC bug 105329).
    target_compile_options(aspect_build_settings INTERFACE -Wno-restrict)
  endif()
  if(ASPECT_SANITIZE)
    target_compile_options(aspect_build_settings INTERFACE
      -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(aspect_build_settings INTERFACE -fsanitize=address,undefined)
  endif()
elseif(MSVC)
  target_compile_options(aspect_build_settings INTERFACE /W4 /fp:precise /utf-8)
  if(ASPECT_WERROR)
    target_compile_options(aspect_build_settings INTERFACE /WX)
  endif()
endif()

target_compile_definitions(aspect_build_settings INTERFACE
  QT_NO_CONTEXTLESS_CONNECT QT_NO_KEYWORDS
  $<$<PLATFORM_ID:Windows>:NOMINMAX WIN32_LEAN_AND_MEAN>)
# The oldest Windows supported is 7 SP1: the headers then declare only what it has, so a
# direct call to anything newer does not compile; newer functions are looked up by name
# at run time (src/window/win32/system_library.h).
target_compile_definitions(aspect_build_settings INTERFACE
  $<$<PLATFORM_ID:Windows>:_WIN32_WINNT=0x0601 WINVER=0x0601>)
