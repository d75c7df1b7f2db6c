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

# triaxo_add_test_suite(<name> <dir> LIBS <libs...>): one GoogleTest executable from a test folder.
function(triaxo_add_test_suite name dir)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  triaxo_glob_sources(sources ${dir})
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
