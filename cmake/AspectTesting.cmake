find_package(GTest REQUIRED)
include(GoogleTest)

# aspect_add_test(<name> SOURCES <files...> LIBS <targets...> [GUI] [LABELS <labels...>])
# One GoogleTest executable; every test case becomes a ctest test, with the
# given ctest labels (`pixels`: the test reads the screen and needs a display).
# GUI tests get their own main, which puts Qt on the offscreen platform at
# scale 1 unless the environment says otherwise (a variable list in the test
# properties would be split by the discovery script).
function(aspect_add_test name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE aspect::build_settings GTest::gtest GTest::gmock ${ARG_LIBS})
  if(NOT ARG_GUI)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    NO_PRETTY_VALUES
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 300 LABELS "${ARG_LABELS}")
endfunction()
