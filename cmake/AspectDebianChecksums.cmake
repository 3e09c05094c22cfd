# Run by cpack after it packs, before it copies the packages to CPACK_PACKAGE_DIRECTORY:
# SHA256SUMS there, beside them, in the format `sha256sum -c SHA256SUMS` reads (hash,
# two blanks, file name).
set(sums "")
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  file(SHA256 "${package}" hash)
  get_filename_component(name "${package}" NAME)
  string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE "${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS" "${sums}")
