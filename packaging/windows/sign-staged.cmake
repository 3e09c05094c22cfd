# Run by CPack on the staged files before it packs them: with CPACK_ASPECT_SIGN (the
# signing script) set, signs every program among them.
if(NOT CPACK_ASPECT_SIGN)
  return()
endif()
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_DIRECTORY}/*.exe")
foreach(program IN LISTS programs)
  execute_process(COMMAND "${CPACK_ASPECT_SIGN}" "${program}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot sign ${program}")
  endif()
endforeach()
