# What a clean build of the tree spends its time on, and the settings that cut it.
#
# Linking. Every program and test executable links the static rooms below it with their debug
# info; GNU ld spends seconds on each of the fifty or so executables of the tree. lld (or gold)
# writes the same executables in a fraction of that. KAVRI_LINKER picks one; empty leaves the
# compiler's default. A linker the compiler cannot use is reported and the default is kept.
set(KAVRI_LINKER "lld" CACHE STRING "Linker passed as -fuse-ld= (lld, gold, bfd; empty: default)")
if(KAVRI_LINKER)
    include(CheckLinkerFlag)
    string(MAKE_C_IDENTIFIER "KAVRI_LINKER_WORKS_${KAVRI_LINKER}" linker_check)
    check_linker_flag(CXX "-fuse-ld=${KAVRI_LINKER}" ${linker_check})
    if(${linker_check})
        add_link_options(-fuse-ld=${KAVRI_LINKER})
    else()
        message(WARNING "The compiler cannot link with -fuse-ld=${KAVRI_LINKER} "
                        "(install the Debian package of that linker); using its default linker.")
    endif()
endif()

# The test code. Test sources are mostly GoogleTest's macros, whose expansion the compiler
# optimises and describes to the debugger at great length: at -O2 -g a test source takes
# several times as long as a program source of the same size. The tests exercise the rooms,
# which keep the build type's flags; the tests' own code gets -O1 and line tables only (-g1),
# enough for a backtrace with file and line. KAVRI_TESTS_FULL_DEBUG=ON compiles the test code
# like the rooms, for stepping through a test in a debugger.
option(KAVRI_TESTS_FULL_DEBUG "Compile the test code with the build type's full flags" OFF)

# kavri_test_code(<target>): <target> is test code (an executable or library of tests/, or the
# host of the tests' precompiled header).
function(kavri_test_code target)
    if(KAVRI_TESTS_FULL_DEBUG)
        return()
    endif()
    # Only where the build type optimises and writes debug info: a Release build stays without
    # debug info, a Debug build keeps everything for the debugger.
    target_compile_options(${target} PRIVATE "$<$<CONFIG:RelWithDebInfo>:-O1;-g1>")
endfunction()

# kavri_test_code_in(<folder>): every compiled target defined in <folder> and its subfolders.
function(kavri_test_code_in folder)
    kavri_targets_in(targets ${folder})
    foreach(target ${targets})
        kavri_test_code(${target})
    endforeach()
endfunction()

# kavri_targets_in(<out> <folder>): the programs and libraries defined in <folder> and below.
function(kavri_targets_in out folder)
    set(found)
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|OBJECT_LIBRARY|SHARED_LIBRARY)$")
            list(APPEND found ${target})
        endif()
    endforeach()
    get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    foreach(subfolder ${subfolders})
        kavri_targets_in(below ${subfolder})
        list(APPEND found ${below})
    endforeach()
    set(${out} ${found} PARENT_SCOPE)
endfunction()
