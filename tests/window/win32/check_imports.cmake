# Fails when PROGRAM imports a function that is not on the list ALLOWED (lines
# "library.dll Function", # comments): the functions known to exist on the oldest
# supported Windows. Anything newer must be looked up at run time instead.
# Usage: cmake -DOBJDUMP=<objdump> -DPROGRAM=<exe> -DALLOWED=<list> -P check_imports.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed")
endif()
file(STRINGS ${ALLOWED} allowed REGEX "^[^#]")
string(REPLACE "\n" ";" lines "${dump}")
set(library)
set(count 0)
set(missing)
foreach(line IN LISTS lines)
  if(line MATCHES "^\tDLL Name: (.+)$")
    string(TOLOWER "${CMAKE_MATCH_1}" library)
  elseif(library AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +([A-Za-z_][A-Za-z0-9_@]*)$")
    math(EXPR count "${count} + 1")
    if(NOT "${library} ${CMAKE_MATCH_1}" IN_LIST allowed)
      list(APPEND missing "${library} ${CMAKE_MATCH_1}")
    endif()
  elseif(line STREQUAL "")
    set(library)
  elseif(library AND NOT line MATCHES "^\tvma:")
    # An import by ordinal, or a format this script does not know: not checked, so refused.
    list(APPEND missing "${library} (unread) ${line}")
  endif()
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "no imported function found in ${PROGRAM}: has objdump's format changed?")
endif()
if(missing)
  list(JOIN missing "\n  " missing)
  message(FATAL_ERROR "${PROGRAM} imports functions not known on the oldest supported Windows "
    "(look them up at run time, or add them to ${ALLOWED} once Microsoft's documentation "
    "shows them there):\n  ${missing}")
endif()
message(STATUS "${count} imported functions, each known on the oldest supported Windows")
