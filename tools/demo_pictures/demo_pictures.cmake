# Draws the demo programs' pictures at build time.
#
#   include(<source>/tools/demo_pictures/demo_pictures.cmake)
#   cutshape_add_demo_pictures(<target> <folder> <outputs variable>)
#
# adds the custom target <target>, which writes every file named in
# CUTSHAPE_DEMO_PICTURE_NAMES into <folder>, and sets <outputs variable> in the caller to
# their full paths (usable as DEPENDS of other commands, or as resource dependencies).
#
# The generator runs on the build machine: natively it is the demo_pictures target; inside
# a cross build it is compiled here with the host compiler (CUTSHAPE_HOST_CXX, found when not
# yet set), as the type library tools are.

include_guard(GLOBAL)

# Cached, so every directory sees them whichever included this file first.
set(CUTSHAPE_DEMO_PICTURE_NAMES Earth.gif Hole.bmp head.bmp close.bmp play.bmp stop.bmp
    hand.cur CACHE INTERNAL "The files demo_pictures writes")

if(CMAKE_CROSSCOMPILING)
    find_program(CUTSHAPE_HOST_CXX NAMES c++ g++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
    set(_cutshape_demo_pictures_flags -std=c++20 -O2 -Wall -Wextra -Wpedantic -Wshadow
        -Wconversion -Wno-sign-conversion)
    set(_cutshape_demo_pictures_sources
        ${PROJECT_SOURCE_DIR}/tools/demo_pictures/main.cpp
        ${PROJECT_SOURCE_DIR}/tools/demo_pictures/demo_pictures.cpp
        ${PROJECT_SOURCE_DIR}/tools/demo_pictures/raster.cpp
        ${PROJECT_SOURCE_DIR}/tools/pictures/picture_writer.cpp)
    set(_cutshape_demo_pictures_headers
        ${PROJECT_SOURCE_DIR}/tools/demo_pictures/demo_pictures.h
        ${PROJECT_SOURCE_DIR}/tools/demo_pictures/raster.h
        ${PROJECT_SOURCE_DIR}/tools/pictures/picture_writer.h
        ${PROJECT_SOURCE_DIR}/core/color.h
        ${PROJECT_SOURCE_DIR}/core/pixel_view.h)
    set(CUTSHAPE_DEMO_PICTURES_TOOL ${CMAKE_BINARY_DIR}/host_tools/demo_pictures
        CACHE INTERNAL "demo_pictures compiled for the build machine")
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/host_tools)
    add_custom_command(
        OUTPUT ${CUTSHAPE_DEMO_PICTURES_TOOL}
        COMMAND ${CUTSHAPE_HOST_CXX} ${_cutshape_demo_pictures_flags} -I${PROJECT_SOURCE_DIR}
                -o ${CUTSHAPE_DEMO_PICTURES_TOOL} ${_cutshape_demo_pictures_sources}
        DEPENDS ${_cutshape_demo_pictures_sources} ${_cutshape_demo_pictures_headers}
        COMMENT "Building demo_pictures for the build machine"
        VERBATIM)
    # A target, so that commands in other directories can wait for the tool.
    add_custom_target(cutshape_demo_pictures_host_tool DEPENDS ${CUTSHAPE_DEMO_PICTURES_TOOL})
endif()

function(cutshape_add_demo_pictures target folder outputs_var)
    set(outputs)
    foreach(name IN LISTS CUTSHAPE_DEMO_PICTURE_NAMES)
        list(APPEND outputs ${folder}/${name})
    endforeach()
    if(CMAKE_CROSSCOMPILING)
        set(tool ${CUTSHAPE_DEMO_PICTURES_TOOL})
        set(tool_target cutshape_demo_pictures_host_tool)
    else()
        set(tool $<TARGET_FILE:demo_pictures>)
        set(tool_target demo_pictures)
    endif()
    add_custom_command(
        OUTPUT ${outputs}
        COMMAND ${tool} ${folder}
        DEPENDS ${tool}
        COMMENT "Drawing the demo pictures into ${folder}"
        VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${outputs})
    add_dependencies(${target} ${tool_target})
    set(${outputs_var} ${outputs} PARENT_SCOPE)
endfunction()
