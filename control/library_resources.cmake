# Resources, exports and registration of Cutshape.ocx, and the build step that makes the
# exact type library. Included at the end of control/CMakeLists.txt.
#
# widl cannot express everything the library must hold, so its output Cutshape.widl.tlb goes
# through the build machine's tool typelib_patch (tools/typelib_patch).

# The exact library: the type infos in their fixed order, the event interface's version and
# non-extensible flag, no compiler stamps. The file has the same layout on both targets; only
# the target (SYS_WIN32/SYS_WIN64) and the pointer-size fields (alignment, instance and vtable
# sizes, vtable offsets) differ.
set(CUTSHAPE_TYPELIB ${CUTSHAPE_GENERATED}/Cutshape.tlb)
add_custom_command(
    OUTPUT ${CUTSHAPE_TYPELIB}
    COMMAND cutshape_host::typelib_patch patch ${CUTSHAPE_GENERATED}/Cutshape.widl.tlb
            ${CUTSHAPE_TYPELIB} --order _Cutshape,Cutshape,Cutshape___v0,__Cutshape
            --type __Cutshape 1.1 0x1090
    DEPENDS ${CUTSHAPE_GENERATED}/Cutshape.widl.tlb $<TARGET_FILE:cutshape_host::typelib_patch>
    COMMENT "Patching the type library into its exact form"
    VERBATIM)

# The toolbox picture and the About box's icons are files of their own (resources/).
set(CUTSHAPE_RESOURCE_FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/toolbox.bmp
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/about_question.ico
    ${CMAKE_CURRENT_SOURCE_DIR}/resources/about_tablet.ico)

add_custom_target(cutshape_library_resources DEPENDS ${CUTSHAPE_TYPELIB})

add_library(cutshape_registration STATIC registration.cpp compatibility_map.cpp)
target_link_libraries(cutshape_registration PUBLIC cutshape_win cutshape_interfaces oleaut32 ole32
                                                   advapi32)

if(TARGET cutshape_ocx)
    target_sources(cutshape_ocx PRIVATE cutshape.rc cutshape.def)
    target_link_libraries(cutshape_ocx PRIVATE cutshape_registration)
    # windres finds the generated files and the pictures through the include path.
    target_include_directories(cutshape_ocx PRIVATE ${CUTSHAPE_GENERATED}
                                                    ${CMAKE_CURRENT_SOURCE_DIR}/resources)
    set_source_files_properties(
        cutshape.rc PROPERTIES OBJECT_DEPENDS "${CUTSHAPE_TYPELIB};${CUTSHAPE_RESOURCE_FILES};\
${CUTSHAPE_COMPATIBILITY_MAPS}")
    add_dependencies(cutshape_ocx cutshape_library_resources)
endif()
