# The Sage stand-in data source for tests.
#
#   include(${PROJECT_SOURCE_DIR}/tests/harness/SageFixture.cmake)
#   quillmere_sage_fixture(my_fixture DATA ${CMAKE_CURRENT_SOURCE_DIR}/my-data.sql)
#   quillmere_add_test(my_tests SOURCES ...
#       PROPERTIES FIXTURES_REQUIRED my_fixture ENVIRONMENT "ODBCSYSINI=${my_fixture_DIR}")
#   quillmere_sage_test_definitions(my_tests my_fixture)
#
# quillmere_sage_fixture adds two tests that start the private cluster once
# before the tests that require the fixture and stop it after them. The
# cluster's odbc.ini / odbcinst.ini land in ${<fixture>_DIR}, a known place in
# the build tree; quillmere_sage_test_definitions compiles that place into a
# test as SAGE_HARNESS_DIR, where tests/sage/SageHarness.h reads it.
include_guard(GLOBAL)

function(quillmere_sage_fixture fixture)
    cmake_parse_arguments(F "" "" "DATA" ${ARGN})
    # Found from the function's own file: a variable set beside it would be
    # missing in every directory but the first to include this file.
    set(QUILLMERE_SAGE_HARNESS ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/sage-harness)
    set(dir ${CMAKE_BINARY_DIR}/sage-harness/${fixture})
    add_test(NAME ${fixture}_start
             COMMAND bash ${QUILLMERE_SAGE_HARNESS} start ${dir} ${F_DATA})
    set_tests_properties(${fixture}_start PROPERTIES FIXTURES_SETUP ${fixture} TIMEOUT 180
                         LABELS harness)
    add_test(NAME ${fixture}_stop COMMAND bash ${QUILLMERE_SAGE_HARNESS} stop ${dir})
    set_tests_properties(${fixture}_stop PROPERTIES FIXTURES_CLEANUP ${fixture} TIMEOUT 120
                         LABELS harness)
    set(${fixture}_DIR ${dir} PARENT_SCOPE)
endfunction()

function(quillmere_sage_test_definitions target fixture)
    target_compile_definitions(${target} PRIVATE
        SAGE_HARNESS_DIR="${CMAKE_BINARY_DIR}/sage-harness/${fixture}")
endfunction()
