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
# The checker is the build machine's tool cutshape_host::form_check (cmake/host_tools.cmake).

include_guard(GLOBAL)

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
    add_custom_command(
        OUTPUT ${stamp}
        COMMAND cutshape_host::form_check ${bundled} ${form_path}
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS $<TARGET_FILE:cutshape_host::form_check> ${form_path}
        COMMENT "Checking the form description ${form_name}"
        VERBATIM)
    target_sources(${target} PRIVATE ${stamp})
endfunction()
