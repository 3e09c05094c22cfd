if(CMAKE_CROSSCOMPILING)
  # For Windows, GoogleTest is built with the program from the sources Debian ships.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# aspect_add_test(<name> SOURCES <files...> LIBS <targets...> [GUI] [ENV <VAR=value>...]
#                 [LABELS <labels...>])
# One GoogleTest executable; every test case becomes a ctest test (in a cross build,
# the executable is one ctest test), with the given
# ctest labels (`pixels`: the test reads the screen, so it needs a display). Every test
# also carries its folder's name (`ratio`, `settings`, `window`...), `unit` or `window`
# (it opens a window), and `wine` in a Windows build, so that one group runs with
# `ctest --preset test -L window`.
# GUI tests get their own main, which puts Qt on the offscreen platform at
# scale 1 unless the environment says otherwise. ENV sets variables for every
# test case of the executable.
function(aspect_add_test name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REGEX REPLACE "/.*" "" folder "${folder}")
  list(APPEND ARG_LABELS ${folder})
  if(ARG_GUI OR folder STREQUAL "window")
    list(APPEND ARG_LABELS window)
  else()
    list(APPEND ARG_LABELS unit)
  endif()
  if(CMAKE_CROSSCOMPILING)
    list(APPEND ARG_LABELS wine)
  endif()
  list(REMOVE_DUPLICATES ARG_LABELS)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE aspect::build_settings GTest::gtest GTest::gmock ${ARG_LIBS})
  if(NOT ARG_GUI)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Under an emulator (Wine) each process start costs a large share of a test case's
    # time, so the executable runs once with all its cases; GoogleTest's own output
    # names any case that fails.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 900 LABELS "${ARG_LABELS}")
    if(ARG_ENV)
      set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENV}")
    endif()
    return()
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    NO_PRETTY_VALUES
    DISCOVERY_TIMEOUT 60
    TEST_LIST ${name}_tests
    PROPERTIES TIMEOUT 300)
  # The discovery script would split a list given as a property, so the labels and
  # the variables are set by a script that runs after it, on the tests it found.
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
  set(properties "LABELS [==[${ARG_LABELS}]==]")
  if(ARG_ENV)
    string(APPEND properties " ENVIRONMENT [==[${ARG_ENV}]==]")
  endif()
  file(GENERATE OUTPUT ${script} CONTENT
    "foreach(test IN LISTS ${name}_tests)\n  set_tests_properties(\"\${test}\" PROPERTIES ${properties})\nendforeach()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# aspect_add_port_contract(<name> HARNESS <files...> LIBS <targets...> [GUI] [ENV ...]
#                          [LABELS ...])
# The port's contract suite against one implementation of the port: HARNESS
# defines MakePortHarness for it (see tests/support/include/support/port_harness.h).
function(aspect_add_port_contract name)
  cmake_parse_arguments(ARG "GUI" "" "HARNESS;LIBS;ENV;LABELS" ${ARGN})
  set(gui)
  if(ARG_GUI)
    set(gui GUI)
  endif()
  aspect_add_test(${name} ${gui}
    SOURCES ${PROJECT_SOURCE_DIR}/tests/port/contract_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/port/contract_events_test.cpp ${ARG_HARNESS}
    LIBS aspect::test_support aspect::window ${ARG_LIBS}
    ENV ${ARG_ENV}
    LABELS ${ARG_LABELS})
endfunction()

# aspect_add_window_suite(<name> HARNESS <files...> LIBS <targets...> [GUI] [ENV ...]
#                         [LABELS ...])
# The real windows' behaviour suite (tests/window/suite) against one real window:
# HARNESS defines MakeWindowHarness for it (see tests/window/suite/window_harness.h).
function(aspect_add_window_suite name)
  cmake_parse_arguments(ARG "GUI" "" "HARNESS;LIBS;ENV;LABELS" ${ARGN})
  set(gui)
  if(ARG_GUI)
    set(gui GUI)
  endif()
  set(suite ${PROJECT_SOURCE_DIR}/tests/window/suite)
  aspect_add_test(${name} ${gui}
    SOURCES ${suite}/window_suite_test.cpp ${suite}/window_suite_hover_test.cpp
            ${suite}/window_suite.h ${suite}/window_harness.h ${ARG_HARNESS}
    LIBS aspect::test_support aspect::window ${ARG_LIBS}
    ENV ${ARG_ENV}
    LABELS ${ARG_LABELS})
  target_include_directories(${name} PRIVATE ${suite})
endfunction()
