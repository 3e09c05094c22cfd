# What Debian wants beside the program in /usr/share: the machine-readable copyright
# file, the changelog and the manual page, compressed as Debian's tools do. Then the
# package's reproducibility and its checksums (see AspectDebianPackageDate.cmake and
# AspectDebianPostBuild.cmake, which cpack runs).
set(debian_src ${PROJECT_SOURCE_DIR}/packaging/debian)
set(debian_gen ${PROJECT_BINARY_DIR}/packaging/debian)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})

# The copyright file carries the licence from LICENSE, its one home: the notice goes in the
# Copyright field, the permission text (indented, empty lines as " .") in the License one.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(Permission.*[^\n])\n*$")
  message(FATAL_ERROR "LICENSE does not read as an MIT licence: a copyright line, then the permission text")
endif()
set(ASPECT_COPYRIGHT "${CMAKE_MATCH_1}")
string(REPLACE "\n" "\n " ASPECT_LICENSE_TEXT " ${CMAKE_MATCH_2}")
string(REPLACE "\n \n" "\n .\n" ASPECT_LICENSE_TEXT "${ASPECT_LICENSE_TEXT}")
configure_file(${debian_src}/copyright.in ${debian_gen}/copyright @ONLY)
configure_file(${debian_src}/aspect-ratio.1.in ${debian_gen}/aspect-ratio.1 @ONLY)

# gzip -n leaves the name and time stamp out of the header, so the bytes depend on the
# text alone; -9 as Debian's tools compress.
set(gzipped ${debian_gen}/changelog.gz ${debian_gen}/aspect-ratio.1.gz)
add_custom_command(OUTPUT ${gzipped}
  COMMAND sh -c "gzip -9nc \"$1\" >\"$2\" && gzip -9nc \"$3\" >\"$4\"" gzip
          ${debian_src}/changelog ${debian_gen}/changelog.gz
          ${debian_gen}/aspect-ratio.1 ${debian_gen}/aspect-ratio.1.gz
  DEPENDS ${debian_src}/changelog ${debian_gen}/aspect-ratio.1
  COMMENT "Compressing the changelog and the manual page"
  VERBATIM)
add_custom_target(aspect_debian_docs ALL DEPENDS ${gzipped})

install(FILES ${debian_gen}/copyright ${debian_gen}/changelog.gz DESTINATION ${doc_dir})
install(FILES ${debian_gen}/aspect-ratio.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The package's time stamps come from the last commit (cpack reads this file first).
execute_process(COMMAND date -u -d "${ASPECT_RELEASE_DATE}" +%s
  OUTPUT_VARIABLE CPACK_ASPECT_RELEASE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(CPACK_ASPECT_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/AspectDebianPackageDate.cmake)
# Packed again by dpkg-deb for fixed bytes, and a SHA256SUMS file beside the package.it.
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/AspectDebianPostBuild.cmake)
