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

# The rooms, the tools and the test executables compile as unity builds: their sources are
# compiled a few at a time as one translation unit, so that the precompiled header is loaded
# (about a second each time) and the Qt and GoogleTest templates they all use are instantiated
# and optimised once per batch instead of once per file. Names at file scope (anonymous
# namespaces, static functions, fixtures, the seams' backends) must therefore differ between the
# sources of one target. KAVRI_UNITY=OFF compiles every source on its own (quicker to rebuild
# after editing one file).
option(KAVRI_UNITY "Compile the rooms, tools and test executables as unity builds" ON)
set(KAVRI_UNITY_BATCH 8 CACHE STRING "Sources per unity translation unit")

# kavri_unity_build(<target>)
function(kavri_unity_build target)
    if(KAVRI_UNITY)
        set_target_properties(${target} PROPERTIES
            UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${KAVRI_UNITY_BATCH})
        # Included into the unity file, a source counts as a header for GCC, which then warns
        # about every class that uses one of the source's own (anonymous-namespace) types, such
        # as each test of a fixture: some 120 warnings that say nothing about the code.
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
            target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
        endif()
    endif()
endfunction()

# AUTOMOC compiles one source per target, <target>_autogen/mocs_compilation.cpp, that includes
# the moc output of the target's headers; for a target without Q_OBJECT in a header it is empty.
# With a precompiled header every such empty file still loads the header (some 200 MB, about a
# second of CPU each, seventy-odd targets), so the empty ones compile without it. Whether it
# will be empty is known here: moc looks at the headers among the target's sources and the
# headers beside its .cpp files.
function(kavri_skip_pch_for_empty_moc target)
    get_target_property(automoc ${target} AUTOMOC)
    get_target_property(pch ${target} PRECOMPILE_HEADERS_REUSE_FROM)
    if(NOT automoc OR NOT pch)
        return()
    endif()
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    set(headers)
    foreach(source ${sources})
        if(NOT IS_ABSOLUTE ${source})
            set(source ${source_dir}/${source})
        endif()
        if(source MATCHES "\\.(h|hpp|hxx)$")
            list(APPEND headers ${source})
        elseif(source MATCHES "\\.(cpp|cxx|cc)$")
            string(REGEX REPLACE "\\.[a-z]+$" "" stem ${source})
            foreach(ext h hpp hxx)
                if(EXISTS ${stem}.${ext})
                    list(APPEND headers ${stem}.${ext})
                endif()
            endforeach()
        endif()
    endforeach()
    foreach(header ${headers})
        if(EXISTS ${header})
            file(STRINGS ${header} qt_macros REGEX "Q_OBJECT|Q_GADGET|Q_NAMESPACE" LIMIT_COUNT 1)
            if(qt_macros)
                return()
            endif()
        endif()
    endforeach()
    get_target_property(binary_dir ${target} BINARY_DIR)
    set_source_files_properties(${binary_dir}/${target}_autogen/mocs_compilation.cpp
        TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
endfunction()

# kavri_skip_pch_for_empty_mocs(<folders...>): the above for every target in the folders.
function(kavri_skip_pch_for_empty_mocs)
    foreach(folder ${ARGN})
        kavri_targets_in(targets ${folder})
        foreach(target ${targets})
            kavri_skip_pch_for_empty_moc(${target})
        endforeach()
    endforeach()
endfunction()
