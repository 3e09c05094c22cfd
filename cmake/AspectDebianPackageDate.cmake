# Run by cpack before it packs: the time stamps inside the .deb (its ar members and the
# tar entries) come from SOURCE_DATE_EPOCH, which CPack honours. Unless the caller set
# it, it is the time of the last commit, so that two builds of one commit give the same
# bytes; without git (a source tarball) it is the release date.
if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  set(epoch "${CPACK_ASPECT_RELEASE_EPOCH}")
  # Only the sources' own repository counts, not one they happen to lie in.
  execute_process(COMMAND git -C "${CPACK_ASPECT_SOURCE_DIR}" rev-parse --show-toplevel
    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
  file(REAL_PATH "${CPACK_ASPECT_SOURCE_DIR}" sources)
  if(NOT failed AND top)
    file(REAL_PATH "${top}" top)
  endif()
  if(NOT failed AND top STREQUAL sources)
    execute_process(COMMAND git -C "${CPACK_ASPECT_SOURCE_DIR}" log -1 --format=%ct
      OUTPUT_VARIABLE committed OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed AND committed MATCHES "^[0-9]+$")
      set(epoch "${committed}")
    endif()
  endif()
  set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
endif()
