# The programs that run on the build machine while the project builds: the type-library patch
# step, the pictures and icons drawn into resources, the registration table printer and the
# check of form descriptions. The native configuration builds them like any target and exports
# them; the cross builds import them from there, so every tool is built once, by one set of
# rules, and known everywhere as cutshape_host::<name>.

set(CUTSHAPE_HOST_TOOLS_FILE "" CACHE FILEPATH
    "cutshape_host_tools.cmake of a native build of this project (cross builds only)")

# Native: after every tool target exists, give each its cutshape_host:: name and write the
# file that the cross builds include.
function(cutshape_export_host_tools)
    set(exported "")
    foreach(target IN LISTS ARGN)
        get_target_property(name ${target} EXPORT_NAME)
        add_executable(cutshape_host::${name} ALIAS ${target})
        list(APPEND exported ${target})
    endforeach()
    export(TARGETS ${exported} NAMESPACE cutshape_host::
           FILE ${PROJECT_BINARY_DIR}/cutshape_host_tools.cmake)
endfunction()

# Cross: the tools of the native build named by CUTSHAPE_HOST_TOOLS_FILE. The native build
# must be built first (make does); a command whose tool is missing then fails on its path.
function(cutshape_import_host_tools)
    if(NOT EXISTS "${CUTSHAPE_HOST_TOOLS_FILE}")
        message(FATAL_ERROR "A cross build needs the build machine's tools: configure the native "
                            "build and pass its cutshape_host_tools.cmake as "
                            "-DCUTSHAPE_HOST_TOOLS_FILE=<native build>/cutshape_host_tools.cmake")
    endif()
    include(${CUTSHAPE_HOST_TOOLS_FILE})
endfunction()

# cutshape_host_tool(<target> <name>): a tool target with its exported name.
function(cutshape_host_tool target name)
    set_target_properties(${target} PROPERTIES EXPORT_NAME ${name})
endfunction()
