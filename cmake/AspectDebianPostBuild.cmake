# Run by cpack after it packs, before it copies the packages to CPACK_PACKAGE_DIRECTORY.
#
# CPack gives the members of the .deb's ar archive the modes of its temporary files,
# which follow the builder's umask. So each package is packed again with dpkg-deb,
# Debian's own tool: fixed member modes, entries sorted by name, every time stamp
# SOURCE_DATE_EPOCH (set by AspectDebianPackageDate.cmake), owner root; the files' modes
# are made what Debian wants (755 for folders and programs, 644 otherwise) first.
# Then SHA256SUMS beside the packages, in the format `sha256sum -c SHA256SUMS` reads.
set(sums "")
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  set(tree "${package}.tree")
  file(REMOVE_RECURSE "${tree}")
  execute_process(COMMAND dpkg-deb --raw-extract "${package}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND chmod -R u=rwX,go=rX "${tree}" COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip --build "${tree}" "${package}"
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE "${tree}")

  file(SHA256 "${package}" hash)
  get_filename_component(name "${package}" NAME)
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE "${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS" "${sums}")
