# cutshape_identifiers: an interface library whose include path holds cutshape_ids.h, the
# control's identifiers read from its IDL (control/identifiers.cmake) for code with or without
# Windows headers, and compatibility_maps.rc, the maps among the library's resources. Every
# configuration has it: the registration table needs it on the build machine too.
set(_cutshape_identifiers_dir ${PROJECT_BINARY_DIR}/identifiers)
add_custom_command(
    OUTPUT ${_cutshape_identifiers_dir}/cutshape_ids.h
           ${_cutshape_identifiers_dir}/compatibility_maps.rc
    COMMAND ${CMAKE_COMMAND} -DIDL=${PROJECT_SOURCE_DIR}/control/cutshape.idl
            -DOUTPUT=${_cutshape_identifiers_dir}/cutshape_ids.h
            -DMAPS=${_cutshape_identifiers_dir}/compatibility_maps.rc
            -P ${PROJECT_SOURCE_DIR}/control/identifiers.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/control/cutshape.idl ${PROJECT_SOURCE_DIR}/control/identifiers.cmake
    COMMENT "Reading the control's identifiers from the IDL"
    VERBATIM)
add_custom_target(cutshape_identifiers_header
                  DEPENDS ${_cutshape_identifiers_dir}/cutshape_ids.h
                          ${_cutshape_identifiers_dir}/compatibility_maps.rc)
add_library(cutshape_identifiers INTERFACE)
target_include_directories(cutshape_identifiers INTERFACE ${_cutshape_identifiers_dir})
add_dependencies(cutshape_identifiers cutshape_identifiers_header)
set(CUTSHAPE_IDENTIFIERS_HEADER ${_cutshape_identifiers_dir}/cutshape_ids.h)
# The library's compatibility maps as resources, for its resource script.
set(CUTSHAPE_COMPATIBILITY_MAPS ${_cutshape_identifiers_dir}/compatibility_maps.rc)
