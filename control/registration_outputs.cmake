# What the build prints from the registration table (registration_data.h): the control's
# private-assembly manifest for registration-free use, the manifests programs place beside
# themselves to use it, and the installer's registry rows. Included at the end of
# control/CMakeLists.txt; the printer is the build machine's tool registration_data.

# The names the manifests and the installer give this architecture.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CUTSHAPE_MANIFEST_ARCH amd64 CACHE INTERNAL "")
else()
    set(CUTSHAPE_MANIFEST_ARCH x86 CACHE INTERNAL "")
endif()
set(CUTSHAPE_ASSEMBLY_VERSION
    ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0 CACHE INTERNAL "")

set(CUTSHAPE_REGISTRATION_OUTPUTS ${CMAKE_CURRENT_BINARY_DIR}/registration CACHE INTERNAL "")
file(MAKE_DIRECTORY ${CUTSHAPE_REGISTRATION_OUTPUTS})
set(control_manifest ${CUTSHAPE_REGISTRATION_OUTPUTS}/Cutshape.manifest)
add_custom_command(
    OUTPUT ${control_manifest}
    COMMAND cutshape_host::registration_data control-manifest ${CUTSHAPE_MANIFEST_ARCH}
            ${CUTSHAPE_ASSEMBLY_VERSION} ${control_manifest}
    DEPENDS $<TARGET_FILE:cutshape_host::registration_data>
    COMMENT "Writing the control's manifest"
    VERBATIM)

# The installer's rows: the installed library's file identifier replaces its path.
set(CUTSHAPE_INSTALLER_LIBRARY_FILE_ID CutshapeOcx CACHE INTERNAL "")
set(wix_rows ${CUTSHAPE_REGISTRATION_OUTPUTS}/registry_architecture.wxi
    ${CUTSHAPE_REGISTRATION_OUTPUTS}/registry_shared.wxi)
add_custom_command(
    OUTPUT ${wix_rows}
    COMMAND cutshape_host::registration_data wix-rows architecture ${CUTSHAPE_ARCH}
            ${CUTSHAPE_INSTALLER_LIBRARY_FILE_ID} ${CUTSHAPE_REGISTRATION_OUTPUTS}/registry_architecture.wxi
    COMMAND cutshape_host::registration_data wix-rows shared ${CUTSHAPE_ARCH}
            ${CUTSHAPE_INSTALLER_LIBRARY_FILE_ID} ${CUTSHAPE_REGISTRATION_OUTPUTS}/registry_shared.wxi
    DEPENDS $<TARGET_FILE:cutshape_host::registration_data>
    COMMENT "Writing the installer's registry rows"
    VERBATIM)

add_custom_target(cutshape_registration_outputs ALL DEPENDS ${control_manifest} ${wix_rows})
install(FILES ${control_manifest} DESTINATION . COMPONENT dist)

# cutshape_program_manifest(<program name> <output variable>)
# Writes <program name>.exe.manifest, which makes the program use the control beside it.
function(cutshape_program_manifest name output)
    set(file ${CMAKE_CURRENT_BINARY_DIR}/${name}.exe.manifest)
    add_custom_command(
        OUTPUT ${file}
        COMMAND cutshape_host::registration_data program-manifest ${CUTSHAPE_MANIFEST_ARCH}
                ${CUTSHAPE_ASSEMBLY_VERSION} ${name} ${file}
        DEPENDS $<TARGET_FILE:cutshape_host::registration_data>
        COMMENT "Writing ${name}.exe.manifest"
        VERBATIM)
    set(${output} ${file} PARENT_SCOPE)
endfunction()
