# triaxo_glob_sources(<out-var> <dir>): the .cpp files of a folder. Files ending in Linux.cpp or
# Windows.cpp belong to one platform only and are picked for the platform being built.
function(triaxo_glob_sources out dir)
  file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(WIN32)
    list(FILTER found EXCLUDE REGEX "Linux\\.cpp$")
  else()
    list(FILTER found EXCLUDE REGEX "Windows\\.cpp$")
  endif()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# Properties of every GoogleTest test. No test inherits the session's display, and none may fall back on
# JUCE's default one (":0.0", which may be the private server of a window test running beside it, gone
# when that test ends): tests meant to run without a window get a display that cannot exist, and the
# window tests start a server of their own (tests/gui/TestDisplay.h).
set(TRIAXO_TEST_PROPERTIES TIMEOUT 300 ENVIRONMENT_MODIFICATION DISPLAY=set:/dev/null/no-display:0)

# triaxo_add_test_suite(<name> <dir> LIBS <libs...> [PROPERTIES <test properties...>]): one GoogleTest
# executable from a test folder; the properties are given to each of its tests besides the common ones.
function(triaxo_add_test_suite name dir)
  cmake_parse_arguments(ARG "" "" "LIBS;PROPERTIES" ${ARGN})
  triaxo_glob_sources(sources ${dir})
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${TRIAXO_TEST_PROPERTIES} ${ARG_PROPERTIES})
endfunction()
