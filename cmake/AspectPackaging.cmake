# Installs the program and, on Linux desktops, its desktop entry, icons and
# AppStream metadata; `cpack` makes a Debian package of what is installed, or on
# Windows an installer and a ZIP (AspectWindowsPackaging).
if(ASPECT_SETTINGS_ONLY)
  return()
endif()

include(GNUInstallDirs)

# The reverse-DNS name of the application: the maker's domain, then the program.
set(ASPECT_APP_ID "example.morlane.AspectRatio")
# The day the release that PROJECT_VERSION names came out.
set(ASPECT_RELEASE_DATE "2026-12-08")
set(ASPECT_SUMMARY "Reduce a screen resolution to its aspect ratio")

install(TARGETS aspect-ratio RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(UNIX AND NOT APPLE)
  set(packaging ${PROJECT_SOURCE_DIR}/packaging)
  set(icons ${PROJECT_BINARY_DIR}/icons)

  # The icons are drawn by the program's own icon code, so the menu shows the
  # window's monitor.
  set(icon_files ${icons}/hicolor/scalable/apps/${ASPECT_APP_ID}.svg)
  foreach(size 16 32 48 64 128 256)
    list(APPEND icon_files ${icons}/hicolor/${size}x${size}/apps/${ASPECT_APP_ID}.png)
  endforeach()
  add_custom_command(OUTPUT ${icon_files}
    COMMAND aspect-icon-tool ${icons} ${ASPECT_APP_ID}
    DEPENDS aspect-icon-tool
    COMMENT "Drawing the desktop icons"
    VERBATIM)
  add_custom_target(aspect_icons ALL DEPENDS ${icon_files})

  # One version for the window and the metadata.
  configure_file(${packaging}/${ASPECT_APP_ID}.metainfo.xml.in
                 ${PROJECT_BINARY_DIR}/${ASPECT_APP_ID}.metainfo.xml @ONLY)

  install(FILES ${packaging}/${ASPECT_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_BINARY_DIR}/${ASPECT_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(DIRECTORY ${icons}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

set(CPACK_PACKAGE_NAME "aspect-ratio")
set(CPACK_PACKAGE_VENDOR "Morlane")
set(CPACK_PACKAGE_CONTACT "Morlane <packages@morlane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${ASPECT_SUMMARY}")
set(CPACK_PACKAGE_DESCRIPTION
    "A small desktop tool that reduces a screen resolution to its aspect ratio
(1920 x 1080 gives 16 : 9), draws the screen over 4:3, 16:10 and 16:9
outlines, and with 'Lock ratio' converts one dimension into the other.
The interface speaks English and Hungarian.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://morlane.example/")
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Aspect ratio")
if(UNIX AND NOT APPLE)
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The libraries' packages come from dpkg-shlibdeps, run over the binary.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The faces with the layout's font metrics, and Qt's own texts in Hungarian; without
  # them the texts still show.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2, qt6-translations-l10n")
  # Directories as Debian policy wants them, whatever the builder's umask.
  set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  include(AspectDebianDocs)
elseif(WIN32)
  include(AspectWindowsPackaging)
else()
  set(CPACK_GENERATOR ZIP)
endif()
include(CPack)
