# Checks form descriptions when a program that bundles one is built.
#
#   include(<source>/tools/form_check/form_check.cmake)
#   cutshape_check_form(<target> <form file> [BUNDLED <file names...>])
#
# runs cutshape_form_check on <form file> before <target> is built; a malformed description
# fails the build with `file:line: problem`, and so does a file:<name> value naming no file
# of BUNDLED (when given). The check writes a stamp, so it runs again only
# when the description or the checker changes.
#
# The checker runs on the build machine: natively it is the cutshape_form_check target;
# inside a cross build it is compiled here with the host compiler (CUTSHAPE_HOST_CXX), as
# the demo picture generator is.

include_guard(GLOBAL)

if(CMAKE_CROSSCOMPILING)
    find_program(CUTSHAPE_HOST_CXX NAMES c++ g++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
    set(_cutshape_form_check_sources
        ${PROJECT_SOURCE_DIR}/tools/form_check/main.cpp
        ${PROJECT_SOURCE_DIR}/forms/decimal_number.cpp
        ${PROJECT_SOURCE_DIR}/forms/form_description.cpp
        ${PROJECT_SOURCE_DIR}/forms/form_events.cpp
        ${PROJECT_SOURCE_DIR}/forms/line_reader.cpp)
    set(_cutshape_form_check_headers
        ${PROJECT_SOURCE_DIR}/forms/decimal_number.h
        ${PROJECT_SOURCE_DIR}/forms/form_description.h
        ${PROJECT_SOURCE_DIR}/forms/form_events.h
        ${PROJECT_SOURCE_DIR}/forms/line_reader.h)
    set(CUTSHAPE_FORM_CHECK_TOOL ${CMAKE_BINARY_DIR}/host_tools/cutshape_form_check
        CACHE INTERNAL "cutshape_form_check compiled for the build machine")
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/host_tools)
    add_custom_command(
        OUTPUT ${CUTSHAPE_FORM_CHECK_TOOL}
        COMMAND ${CUTSHAPE_HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Wpedantic -Wshadow
                -Wconversion -Wno-sign-conversion -I${PROJECT_SOURCE_DIR}
                -o ${CUTSHAPE_FORM_CHECK_TOOL} ${_cutshape_form_check_sources}
        DEPENDS ${_cutshape_form_check_sources} ${_cutshape_form_check_headers}
        COMMENT "Building cutshape_form_check for the build machine"
        VERBATIM)
    # A target, so that commands in other directories can wait for the tool.
    add_custom_target(cutshape_form_check_host_tool DEPENDS ${CUTSHAPE_FORM_CHECK_TOOL})
endif()

function(cutshape_check_form target form)
    cmake_parse_arguments(ARG "" "" "BUNDLED" ${ARGN})
    set(bundled)
    if(DEFINED ARG_BUNDLED)
        list(JOIN ARG_BUNDLED "," names)
        set(bundled --bundled ${names})
    endif()
    get_filename_component(form_path ${form} ABSOLUTE)
    get_filename_component(form_name ${form} NAME)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${form_name}.checked)
    if(CMAKE_CROSSCOMPILING)
        set(tool ${CUTSHAPE_FORM_CHECK_TOOL})
        set(tool_target cutshape_form_check_host_tool)
    else()
        set(tool $<TARGET_FILE:cutshape_form_check>)
        set(tool_target cutshape_form_check)
    endif()
    add_custom_command(
        OUTPUT ${stamp}
        COMMAND ${tool} ${bundled} ${form_path}
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS ${tool} ${form_path}
        COMMENT "Checking the form description ${form_name}"
        VERBATIM)
    target_sources(${target} PRIVATE ${stamp})
    add_dependencies(${target} ${tool_target})
endfunction()
