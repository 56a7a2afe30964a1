find_package(GTest REQUIRED)
include(GoogleTest)

# kavri_add_gtest(<name> SOURCES <files...> LIBS <targets...> [PREFIX <text>]
#                 [PROPERTIES <test properties...>])
# One GoogleTest executable whose cases CTest lists one by one, linked with the rooms it tests
# (LIBS) and the test support. Every test runs with the offscreen Qt platform, so windows are
# built and driven for real without a display.
# PREFIX goes before every test's name; PROPERTIES are set on every test.
function(kavri_add_gtest name)
    cmake_parse_arguments(ARG "" "PREFIX" "SOURCES;LIBS;PROPERTIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} kavri_test_support Qt6::Test GTest::gtest)
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        TEST_PREFIX "${ARG_PREFIX}"
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${ARG_PROPERTIES}
        DISCOVERY_TIMEOUT 30)
endfunction()
