# Precompiled headers for Qt, the standard library and GoogleTest.
#
# Most of the compile time of a source file of this program goes into parsing the same Qt
# headers again. Three small host targets precompile them once each, and every room, test and
# tool reuses the matching one (REUSE_FROM), so that a clean build parses them three times
# instead of once per source file:
#   core     QtCore and the standard library: rooms without widgets (Qt Core or Qt Gui),
#            kavri-cli and the benchmarks;
#   widgets  core plus QtGui and QtWidgets: the window rooms and the application;
#   tests    widgets plus QtTest and GoogleTest: every test executable.
# A host is compiled with the same warnings, sanitizer and position-independent flags as its
# users; GCC then takes the header as is. Clang refuses a precompiled header whose macros
# differ from the command line, so with any other compiler (the fuzzing build) nothing is
# precompiled. -DKAVRI_PCH=OFF builds without them.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    option(KAVRI_PCH "Precompile the Qt, standard and GoogleTest headers" ON)
else()
    set(KAVRI_PCH OFF)
endif()

set(kavri_pch_core_headers
    <QByteArray> <QDate> <QDateTime> <QDir> <QFile> <QFileInfo> <QHash> <QList> <QObject>
    <QRegularExpression> <QString> <QStringList> <QStringView>
    <algorithm> <functional> <memory> <optional> <utility> <vector>)
set(kavri_pch_widgets_headers ${kavri_pch_core_headers}
    <QApplication> <QComboBox> <QDialog> <QFont> <QImage> <QLabel> <QLineEdit> <QPainter>
    <QPlainTextEdit> <QPushButton> <QTableWidget> <QTreeWidget> <QWidget>)
set(kavri_pch_tests_headers ${kavri_pch_widgets_headers}
    <QDateEdit> <QProcess> <QTemporaryDir> <QTest> <gtest/gtest.h>)

# kavri_pch_host(<kind> <libraries...>): the host target kavri_pch_<kind>.
function(kavri_pch_host kind)
    if(NOT KAVRI_PCH OR TARGET kavri_pch_${kind})
        return()
    endif()
    if(kind STREQUAL "tests")
        # Test executables are compiled as executables (-fPIE), the rooms as library code
        # (-fPIC); GCC keeps the two apart, so their host is an executable too.
        add_executable(kavri_pch_${kind} ${PROJECT_SOURCE_DIR}/cmake/pch/pch_host_main.cpp)
        set_target_properties(kavri_pch_${kind} PROPERTIES
            RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/pch)
    else()
        add_library(kavri_pch_${kind} OBJECT ${PROJECT_SOURCE_DIR}/cmake/pch/pch_host.cpp)
    endif()
    set_target_properties(kavri_pch_${kind} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
    target_link_libraries(kavri_pch_${kind} PRIVATE ${ARGN})
    target_precompile_headers(kavri_pch_${kind} PRIVATE ${kavri_pch_${kind}_headers})
    kavri_pch_same_test_macros(kavri_pch_${kind} ${kind})
endfunction()

# kavri_use_pch(<target> <core|widgets|tests>): the target compiles with that precompiled header.
function(kavri_use_pch target kind)
    if(NOT KAVRI_PCH)
        return()
    endif()
    if(kind STREQUAL "core")
        kavri_pch_host(core Qt6::Core)
    elseif(kind STREQUAL "widgets")
        kavri_pch_host(widgets Qt6::Widgets Qt6::PrintSupport)
    elseif(kind STREQUAL "tests")
        kavri_pch_host(tests Qt6::Widgets Qt6::PrintSupport Qt6::Test GTest::gtest)
    else()
        message(FATAL_ERROR "kavri_use_pch: unknown kind ${kind}")
    endif()
    target_precompile_headers(${target} REUSE_FROM kavri_pch_${kind})
    kavri_pch_same_test_macros(${target} ${kind})
endfunction()

# Qt Test defines where each test's folders are (QT_TESTCASE_BUILDDIR, QT_TESTCASE_SOURCEDIR,
# different for every folder of tests/), and its headers look at them, so GCC would refuse the
# shared header everywhere but in its own folder. The tests find their data through their own
# definitions, never through QFINDTESTDATA, so both are left undefined for the test header's
# host and every user of it.
function(kavri_pch_same_test_macros target kind)
    if(kind STREQUAL "tests")
        target_compile_options(${target} PRIVATE -UQT_TESTCASE_BUILDDIR -UQT_TESTCASE_SOURCEDIR)
    endif()
endfunction()

# ccache compiles a source that uses a precompiled header again every time unless told that the
# header's macros and times may be taken as they are; the precompiled header itself is
# rebuilt whenever anything it was made from changes, so nothing stale is taken from the cache.
if(KAVRI_PCH AND CMAKE_CXX_COMPILER_LAUNCHER MATCHES "ccache")
    find_program(KAVRI_ENV_PROGRAM env REQUIRED)
    set(CMAKE_CXX_COMPILER_LAUNCHER ${KAVRI_ENV_PROGRAM}
        CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
        ${CMAKE_CXX_COMPILER_LAUNCHER})
endif()
