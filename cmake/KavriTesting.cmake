find_package(GTest REQUIRED)
include(GoogleTest)

# kavri_add_gtest(<name> SOURCES <files...> LIBS <targets...> [PREFIX <text>]
#                 [PROPERTIES <test properties...>] [APPLICATION])
# One GoogleTest executable whose cases CTest lists one by one, linked with the rooms it tests
# (LIBS) and the test support. Every test runs with the offscreen Qt platform, so windows are
# built and driven for real without a display.
# PREFIX goes before every test's name; PROPERTIES are set on every test. APPLICATION runs the
# tests under the program's own application object (tests of app/ only); without it the tests
# get a plain QApplication set up the same way.
function(kavri_add_gtest name)
    cmake_parse_arguments(ARG "APPLICATION" "PREFIX" "SOURCES;LIBS;PROPERTIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(ARG_APPLICATION)
        set(test_main kavri_test_app_main)
    else()
        set(test_main kavri_test_main)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} ${test_main} Qt6::Test GTest::gtest)
    kavri_use_pch(${name} tests)
    kavri_unity_build(${name})
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        TEST_PREFIX "${ARG_PREFIX}"
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${ARG_PROPERTIES}
        DISCOVERY_TIMEOUT 30)
endfunction()
