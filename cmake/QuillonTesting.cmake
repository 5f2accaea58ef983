# quillon_add_test(<name> [QT [UNDER_WINDOW_MANAGER]] SOURCES <files...> LIBS <targets...>
#                  [RUN_WITH <command...>])
# Builds one test program and registers it with ctest: a GoogleTest program
# case by case, or, with QT, a Qt Test program (QTEST_MAIN) as one test.
# Every test runs headless (offscreen), or with UNDER_WINDOW_MANAGER on a
# private X server with openbox, and finds the shared test data through
# QUILLON_TEST_DATA. A Qt Test program given RUN_WITH runs as the argument
# of that command.
include(GoogleTest)
find_package(GTest REQUIRED)

set(QUILLON_TEST_DATA_DIR ${PROJECT_SOURCE_DIR}/tests/data)

set(QUILLON_TEST_BASE_ENVIRONMENT "QUILLON_TEST_DATA=${QUILLON_TEST_DATA_DIR};LC_ALL=C.UTF-8")
if(QUILLON_SANITIZE)
  list(APPEND QUILLON_TEST_BASE_ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp")
endif()
set(QUILLON_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${QUILLON_TEST_BASE_ENVIRONMENT}")

# Test code is built for a short build, not a fast run: the optimised
# builds compile it at -O1 with line tables only.
function(quillon_quick_test_build target)
  target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo,Release>:-O1 -g1>)
endfunction()

function(quillon_add_test name)
  cmake_parse_arguments(ARG "QT;UNDER_WINDOW_MANAGER" "" "SOURCES;LIBS;RUN_WITH" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE QUILLON_TEST_DATA="${QUILLON_TEST_DATA_DIR}")
  quillon_quick_test_build(${name})
  if(ARG_QT)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    if(ARG_UNDER_WINDOW_MANAGER)
      add_test(NAME ${name} COMMAND bash ${PROJECT_SOURCE_DIR}/tests/wm/run-under-wm.sh $<TARGET_FILE:${name}>)
      set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${QUILLON_TEST_BASE_ENVIRONMENT}" TIMEOUT 300)
    elseif(ARG_RUN_WITH)
      add_test(NAME ${name} COMMAND ${ARG_RUN_WITH} $<TARGET_FILE:${name}>)
      set_tests_properties(${name} PROPERTIES ENVIRONMENT "${QUILLON_TEST_ENVIRONMENT}" TIMEOUT 300)
    else()
      add_test(NAME ${name} COMMAND ${name})
      set_tests_properties(${name} PROPERTIES ENVIRONMENT "${QUILLON_TEST_ENVIRONMENT}" TIMEOUT 300)
    endif()
    return()
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  # GoogleTest's headers, read once for the many files of a test program.
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <string> <vector>)
  # PRE_TEST discovery: the list of cases is read when ctest runs, with the
  # environment below, not at build time without it.
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${QUILLON_TEST_ENVIRONMENT}" TIMEOUT 300)
endfunction()
