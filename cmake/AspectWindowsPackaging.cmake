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

# Installer and ZIP, named as CPack names them: aspect-ratio-<version>-win64 / -win32.
set(CPACK_GENERATOR "NSIS;ZIP")
set(CPACK_NSIS_PACKAGE_NAME "${CPACK_PACKAGE_INSTALL_DIRECTORY}")
set(CPACK_NSIS_DISPLAY_NAME "${CPACK_PACKAGE_INSTALL_DIRECTORY}")
set(CPACK_NSIS_MUI_ICON ${ASPECT_ICO_FILE})
set(CPACK_NSIS_MUI_UNIICON ${ASPECT_ICO_FILE})
# Add/Remove Programs shows the program's own icon; publisher and version come from
# CPACK_PACKAGE_VENDOR and the project version.
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\aspect-ratio.exe")
set(CPACK_NSIS_URL_INFO_ABOUT "${CPACK_PACKAGE_HOMEPAGE_URL}")
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The Start-menu shortcut, with the program's icon (the shortcut points at the program).
set(CPACK_PACKAGE_EXECUTABLES "aspect-ratio" "${ASPECT_WINDOWS_DESCRIPTION}")

# CPack's NSIS template, with two changes made here at configure time:
# - a 64-bit program belongs in "Program Files" and in the registry's 64-bit view, but NSIS
#   installers are 32-bit programs and default to the 32-bit ones: SetRegView 64 at the
#   start of the installer's and the uninstaller's initialisation, before either touches
#   the registry;
# - the uninstaller removes the vendor key the installer created once it is empty (the
#   template removes only the key below it).
file(READ ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in template)
set(vendor_key "Software\\@CPACK_PACKAGE_VENDOR@")
set(last_delete "DeleteRegKey /ifempty SHCTX \"${vendor_key}\\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@\"\n")
set(patched "${template}")
string(REPLACE "${last_delete}" "${last_delete}  DeleteRegKey /ifempty SHCTX \"${vendor_key}\"\n"
  patched "${patched}")
set(expected_changes 1)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  foreach(fn ".onInit" "un.onInit")
    string(REPLACE "\nFunction ${fn}\n" "\nFunction ${fn}\n  SetRegView 64\n" patched "${patched}")
  endforeach()
  set(expected_changes 3)
else()
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES")
endif()
string(REGEX MATCHALL "\n  (SetRegView 64|DeleteRegKey /ifempty SHCTX \"Software\\\\@CPACK_PACKAGE_VENDOR@\")\n"
  changes "${patched}")
list(LENGTH changes change_count)
if(NOT change_count EQUAL expected_changes)
  message(FATAL_ERROR "CMake's NSIS template has changed; check the changes in ${CMAKE_CURRENT_LIST_FILE}")
endif()
file(WRITE ${win_gen}/nsis/NSIS.template.in "${patched}")
set(CPACK_MODULE_PATH ${win_gen}/nsis ${CMAKE_MODULE_PATH})
