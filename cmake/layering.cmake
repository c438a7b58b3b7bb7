# Keeps the layers apart: includes across layers are checked on every build, and a target's
# link closure is checked when the project is configured.
include(${CMAKE_CURRENT_LIST_DIR}/layering_rules.cmake)

# Checks the includes of every layer's sources whenever one of them changes; the targets of
# the layers depend on it, so a violation stops the build before anything is compiled.
function(cutshape_add_include_check)
    set(globs "")
    foreach(layer IN LISTS CUTSHAPE_LAYERS)
        list(APPEND globs ${PROJECT_SOURCE_DIR}/${layer}/*.h ${PROJECT_SOURCE_DIR}/${layer}/*.cpp
             ${PROJECT_SOURCE_DIR}/${layer}/*.c)
    endforeach()
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS LIST_DIRECTORIES false ${globs})
    set(stamp ${PROJECT_BINARY_DIR}/layering.stamp)
    add_custom_command(
        OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DSTAMP=${stamp}
                -P ${PROJECT_SOURCE_DIR}/cmake/check_layering.cmake
        DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/check_layering.cmake
                ${PROJECT_SOURCE_DIR}/cmake/layering_rules.cmake
        COMMENT "Checking that each layer includes only the layers below it"
        VERBATIM)
    add_custom_target(cutshape_layering ALL DEPENDS ${stamp})
endfunction()

# Every target in the link closure of target, following direct and interface links.
function(cutshape_link_closure target out)
    set(pending ${target})
    set(seen "")
    while(pending)
        list(POP_FRONT pending current)
        if(current IN_LIST seen OR NOT TARGET ${current})
            continue()
        endif()
        list(APPEND seen ${current})
        get_target_property(type ${current} TYPE)
        set(links "")
        if(NOT type STREQUAL "INTERFACE_LIBRARY")
            get_target_property(direct ${current} LINK_LIBRARIES)
            if(direct)
                list(APPEND links ${direct})
            endif()
        endif()
        get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
        if(interface)
            list(APPEND links ${interface})
        endif()
        list(APPEND pending ${links})
    endwhile()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Fails the configuration if target links, directly or through others, any of the forbidden
# targets. Checked once every target is defined, at the end of the top-level directory.
function(cutshape_forbid_links target)
    # A deferred call reads its arguments' variables when it runs, so the values go in now.
    cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY [[${PROJECT_SOURCE_DIR}]] \
                   CALL cutshape_check_forbidden_links ${target} ${ARGN})")
endfunction()

function(cutshape_check_forbidden_links target)
    cutshape_link_closure(${target} closure)
    foreach(forbidden IN LISTS ARGN)
        if(forbidden IN_LIST closure)
            message(NOTICE "${target} links ${forbidden}, which its layer may not use")
            message(FATAL_ERROR "A target links a layer it may not use (see above)")
        endif()
    endforeach()
endfunction()
