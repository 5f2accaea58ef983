# quillon_add_test(<name> SOURCES <files...> LIBS <targets...>)
# Builds one test program, links GoogleTest (and the given libraries), and
# registers each of its cases with ctest. Every test runs headless and finds
# the shared test data through QUILLON_TEST_DATA.
include(GoogleTest)
find_package(GTest REQUIRED)

set(QUILLON_TEST_DATA_DIR ${PROJECT_SOURCE_DIR}/tests/data)

function(quillon_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
  if(NOT "Qt6::Test" IN_LIST ARG_LIBS)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE QUILLON_TEST_DATA="${QUILLON_TEST_DATA_DIR}")
  # PRE_TEST discovery: the list of cases is read when ctest runs, with the
  # environment below, not at build time without it.
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUILLON_TEST_DATA=${QUILLON_TEST_DATA_DIR};LC_ALL=C.UTF-8"
               TIMEOUT 300)
endfunction()
