# Fails when a source file includes a header from a layer that its own layer may not use.
#   cmake -DROOT=<source tree> [-DSTAMP=<file to touch on success>] -P check_layering.cmake
# Each violation is reported as file:line, so editors can jump to it.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/layering_rules.cmake)
if(NOT ROOT)
    message(FATAL_ERROR "check_layering.cmake: ROOT is not set")
endif()

set(violations "")
foreach(layer IN LISTS CUTSHAPE_LAYERS)
    file(GLOB_RECURSE sources LIST_DIRECTORIES false
         ${ROOT}/${layer}/*.h ${ROOT}/${layer}/*.cpp ${ROOT}/${layer}/*.c)
    foreach(source IN LISTS sources)
        file(STRINGS ${source} lines)
        set(line_number 0)
        foreach(line IN LISTS lines)
            math(EXPR line_number "${line_number} + 1")
            if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([a-z_]+)/")
                continue()
            endif()
            set(used ${CMAKE_MATCH_1})
            if(NOT used IN_LIST CUTSHAPE_LAYERS OR used IN_LIST CUTSHAPE_LAYER_${layer}_MAY_USE)
                continue()
            endif()
            file(RELATIVE_PATH shown ${ROOT} ${source})
            string(APPEND violations
                   "${shown}:${line_number}: the ${layer} layer may not include from ${used}/\n")
        endforeach()
    endforeach()
endforeach()

if(violations)
    # Printed unwrapped, one violation per line.
    message(NOTICE "${violations}")
    message(FATAL_ERROR "A layer includes from a layer it may not use (see above)")
endif()
if(STAMP)
    file(TOUCH ${STAMP})
endif()
