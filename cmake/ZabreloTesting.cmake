# GoogleTest for the test programs of tests/, tools/tests/ and sqlite/tests/,
# and how each program becomes CTest tests. GoogleTest is optional: without
# it those programs are left out, and the tests that drive the command, the
# C interface, the SQLite shell and an install from outside still run.
if(CMAKE_CROSSCOMPILING)
  # No GoogleTest is installed for the target: build it from the sources
  # Debian's googletest package puts in /usr/src.
  set(ZABRELO_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  if(EXISTS ${ZABRELO_GTEST_SOURCE_DIR}/CMakeLists.txt)
    add_subdirectory(${ZABRELO_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()

  # Wine's first start creates its prefix, which takes seconds and races
  # when two tests start together: do it once, before every other test.
  find_program(ZABRELO_WINEBOOT NAMES wineboot)
  if(ZABRELO_WINEBOOT)
    add_test(NAME wine.prefix
      COMMAND /usr/bin/env WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= ${ZABRELO_WINEBOOT} --init)
    set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  endif()
else()
  find_package(GTest)
endif()
if(NOT TARGET GTest::gtest_main)
  message(STATUS "GoogleTest not found (libgtest-dev): the test programs that need it are not built")
endif()
include(GoogleTest)
find_package(Threads REQUIRED)

# Word lists and the default table are read from the source tree.
set(ZABRELO_TEST_DEFINES
  ZABRELO_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
  ZABRELO_DEFAULT_TABLE="${ZABRELO_DEFAULT_TABLE_SOURCE}"
  ZABRELO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

# zabrelo_add_gtest(target): one CTest test per test case natively; one per
# executable when cross-compiled, since each start under the emulator costs
# a second or more. Either way the tests run in the target's build folder.
function(zabrelo_add_gtest target)
  target_compile_definitions(${target} PRIVATE ${ZABRELO_TEST_DEFINES})
  zabrelo_set_warnings(${target})
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${target} COMMAND ${target} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine)
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  endif()
endfunction()
