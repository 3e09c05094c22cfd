find_package(GTest REQUIRED)
include(GoogleTest)

# aspect_add_test(<name> SOURCES <files...> LIBS <targets...> [GUI])
# One GoogleTest executable; every test case becomes a ctest test.
# GUI tests run the real widgets on Qt's offscreen platform at scale 1.
function(aspect_add_test name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE aspect::build_settings GTest::gtest GTest::gmock ${ARG_LIBS})
  if(NOT ARG_GUI)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set(env "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0"
          "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  if(ARG_GUI)
    list(APPEND env "QT_QPA_PLATFORM=offscreen" "QT_SCALE_FACTOR=1"
                   )
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    NO_PRETTY_VALUES
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
endfunction()
