# kavri_room(<folder> TARGET <target> [ROOMS <folders...>] [LIBS <libraries...>])
#
# Declares one room of src/: a static library named <target> for the sources in src/<folder>,
# which the room's own CMakeLists.txt lists with target_sources(). ROOMS are the rooms below it
# whose headers it may include (by folder, e.g. "store" or "ui/common"); they become its link
# edges. LIBS are outside libraries (Qt modules, SQLCipher).
#
# Every room and its allowed rooms are also written to <build>/kavri-rooms.txt, one line per
# room: "<folder>: <allowed folders...>". The include-direction test reads that file, so a room
# declared here is checked without further registration.
function(kavri_room folder)
    cmake_parse_arguments(ARG "" "TARGET" "ROOMS;LIBS" ${ARGN})
    add_library(${ARG_TARGET} STATIC)
    target_include_directories(${ARG_TARGET} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    set(room_targets)
    foreach(room ${ARG_ROOMS})
        get_property(room_target GLOBAL PROPERTY KAVRI_ROOM_TARGET_${room})
        if(NOT room_target)
            message(FATAL_ERROR "room ${folder}: room ${room} is not declared before it")
        endif()
        list(APPEND room_targets ${room_target})
    endforeach()
    target_link_libraries(${ARG_TARGET} PUBLIC ${room_targets} ${ARG_LIBS})
    # Window rooms reuse the precompiled Qt Widgets headers, the others those of Qt Core.
    if("Qt6::Widgets" IN_LIST ARG_LIBS)
        kavri_use_pch(${ARG_TARGET} widgets)
    else()
        kavri_use_pch(${ARG_TARGET} core)
    endif()
    # The rooms compile as unity builds like the tests and tools (KavriBuildSpeed.cmake).
    kavri_unity_build(${ARG_TARGET})
    set_property(GLOBAL PROPERTY KAVRI_ROOM_TARGET_${folder} ${ARG_TARGET})
    list(JOIN ARG_ROOMS " " allowed)
    set_property(GLOBAL APPEND_STRING PROPERTY KAVRI_ROOMS "${folder}: ${allowed}\n")
    add_subdirectory(${folder})
endfunction()

# kavri_room_edges(<folder> ROOMS <folders...>)
# For a folder inside a room that builds a program of its own instead of library code (the
# seeding tool in resources/library): the rooms its files may include, for the include check.
function(kavri_room_edges folder)
    cmake_parse_arguments(ARG "" "" "ROOMS" ${ARGN})
    list(JOIN ARG_ROOMS " " allowed)
    set_property(GLOBAL APPEND_STRING PROPERTY KAVRI_ROOMS "${folder}: ${allowed}\n")
endfunction()

# Writes <build>/kavri-rooms.txt from the rooms declared so far.
function(kavri_write_rooms)
    get_property(rooms GLOBAL PROPERTY KAVRI_ROOMS)
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/kavri-rooms.txt CONTENT "${rooms}" @ONLY)
endfunction()
