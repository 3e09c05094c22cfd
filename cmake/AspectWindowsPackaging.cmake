# Windows: the program's resources (icon, version information, manifest) and its
# installer (NSIS) and portable ZIP. Included by AspectPackaging before CPack.
set(win_src ${PROJECT_SOURCE_DIR}/packaging/windows)
set(win_gen ${PROJECT_BINARY_DIR}/packaging/windows)

# The version strings carry major and minor as the original's did: 1.2.x reads "1.02".
if(PROJECT_VERSION_MINOR LESS 10)
  set(ASPECT_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.0${PROJECT_VERSION_MINOR}")
else()
  set(ASPECT_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}")
endif()
set(ASPECT_WINDOWS_DESCRIPTION "Calculate aspect ratio")
set(ASPECT_ICO_FILE ${win_gen}/aspect-ratio.ico)
set(ASPECT_MANIFEST_FILE ${win_gen}/aspect-ratio.manifest)

# The icon is drawn by the window's own toolkit-free icon code, in a small tool built for
# the build machine (this build's compiler makes Windows programs), so no generated
# binary is kept in the sources and the icon cannot drift from the Linux one.
include(ExternalProject)
set(ico_tool ${win_gen}/ico-tool/aspect-ico-tool)
ExternalProject_Add(aspect_ico_tool
  SOURCE_DIR ${win_src}
  BINARY_DIR ${win_gen}/ico-tool
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DASPECT_SOURCE_DIR=${PROJECT_SOURCE_DIR}
             -DASPECT_WERROR=${ASPECT_WERROR}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_OUTPUT_ON_FAILURE ON
  BUILD_BYPRODUCTS ${ico_tool})
add_custom_command(OUTPUT ${ASPECT_ICO_FILE}
  COMMAND ${ico_tool} ${ASPECT_ICO_FILE}
  DEPENDS aspect_ico_tool ${ico_tool}
  COMMENT "Drawing the program icon"
  VERBATIM)

configure_file(${win_src}/aspect-ratio.manifest.in ${ASPECT_MANIFEST_FILE} @ONLY)
configure_file(${win_src}/aspect-ratio.rc.in ${win_gen}/aspect-ratio.rc @ONLY)
set_source_files_properties(${win_gen}/aspect-ratio.rc PROPERTIES
  OBJECT_DEPENDS "${ASPECT_ICO_FILE};${ASPECT_MANIFEST_FILE}"
  INCLUDE_DIRECTORIES ${PROJECT_SOURCE_DIR}/src/window/win32)
# A library of its own: the C++ warning options of the program's targets mean nothing to
# the resource compiler.
add_library(aspect_resources OBJECT ${win_gen}/aspect-ratio.rc)
target_link_libraries(aspect-ratio PRIVATE aspect_resources)
# Reproducible: no link time in the PE header (Debian's linker would take SOURCE_DATE_EPOCH,
# but only when the build's environment has it; windres writes no time), and stripped when
# linked, so the shipped bytes are the built ones and no separate strip stamps the time again.
target_link_options(aspect-ratio PRIVATE -Wl,--no-insert-timestamp $<$<NOT:$<CONFIG:Debug>>:-s>)

# Checks the installed program from inside Windows (scripts/test-installers.sh).
if(ASPECT_BUILD_TESTS)
  add_executable(aspect-install-check ${win_src}/install_check.cpp)
  target_include_directories(aspect-install-check PRIVATE ${PROJECT_SOURCE_DIR}/src/window/win32)
  target_compile_definitions(aspect-install-check PRIVATE
    ASPECT_VERSION_W=L"${PROJECT_VERSION}"
    ASPECT_VERSION_MAJOR=${PROJECT_VERSION_MAJOR} ASPECT_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    ASPECT_VERSION_PATCH=${PROJECT_VERSION_PATCH})
  target_link_options(aspect-install-check PRIVATE -municode)
  target_link_libraries(aspect-install-check PRIVATE aspect::pictures version
    aspect::build_settings)
endif()

# The installer, named as CPack names it: aspect-ratio-<version>-win64.exe / -win32.exe.
# scripts/build-windows.sh makes the ZIP beside it from the same staged files, with the
# entry times, order and modes fixed (CPack's ZIP keeps the builder's time zone, times and
# umask).
set(CPACK_GENERATOR "NSIS")
set(CPACK_NSIS_MUI_ICON ${ASPECT_ICO_FILE})
set(CPACK_NSIS_MUI_UNIICON ${ASPECT_ICO_FILE})
set(CPACK_NSIS_URL_INFO_ABOUT "${CPACK_PACKAGE_HOMEPAGE_URL}")
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
# Stripped when linked (above).
set(CPACK_STRIP_FILES OFF)
# The project's own template (packaging/windows/NSIS.template.in) in place of CMake's.
set(CPACK_MODULE_PATH ${win_src} ${CMAKE_MODULE_PATH})
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_ASPECT_BITS 64)
else()
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
  set(CPACK_ASPECT_BITS 32)
endif()
# A signed release (scripts/build-windows.sh passes -D CPACK_ASPECT_SIGN=<signing script>)
# signs the staged programs before they are packed.
set(CPACK_PRE_BUILD_SCRIPTS ${win_src}/sign-staged.cmake)
