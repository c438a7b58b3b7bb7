# Resources, exports and registration of Cutshape.ocx, and the build steps that make the
# exact type library and the toolbox picture. Included at the end of control/CMakeLists.txt.
#
# widl cannot express everything the library must hold, so its output Cutshape.widl.tlb goes
# through typelib_patch (tools/typelib_patch), a program for the build machine compiled here
# with the host compiler, even inside the cross builds.

find_program(CUTSHAPE_HOST_CXX NAMES c++ g++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
set(CUTSHAPE_HOST_TOOLS_SOURCE ${PROJECT_SOURCE_DIR}/tools/typelib_patch)
set(CUTSHAPE_HOST_TOOLS ${CMAKE_CURRENT_BINARY_DIR}/host_tools)
set(CUTSHAPE_HOST_CXX_FLAGS -std=c++20 -O2 -Wall -Wextra -Wpedantic -Wshadow -Wconversion
    -Wno-sign-conversion)
file(MAKE_DIRECTORY ${CUTSHAPE_HOST_TOOLS})

# Cached so the tests can describe libraries with it too.
set(CUTSHAPE_TYPELIB_PATCH ${CUTSHAPE_HOST_TOOLS}/typelib_patch CACHE INTERNAL "")
set(CUTSHAPE_TYPELIB_PATCH_SOURCES ${CUTSHAPE_HOST_TOOLS_SOURCE}/main.cpp
    ${CUTSHAPE_HOST_TOOLS_SOURCE}/msft_file.cpp)
add_custom_command(
    OUTPUT ${CUTSHAPE_TYPELIB_PATCH}
    COMMAND ${CUTSHAPE_HOST_CXX} ${CUTSHAPE_HOST_CXX_FLAGS} -o ${CUTSHAPE_TYPELIB_PATCH}
            ${CUTSHAPE_TYPELIB_PATCH_SOURCES}
    DEPENDS ${CUTSHAPE_TYPELIB_PATCH_SOURCES} ${CUTSHAPE_HOST_TOOLS_SOURCE}/msft_file.h
    COMMENT "Building typelib_patch for the build machine"
    VERBATIM)

set(CUTSHAPE_TOOLBOX_BITMAP_TOOL ${CUTSHAPE_HOST_TOOLS}/toolbox_bitmap)
add_custom_command(
    OUTPUT ${CUTSHAPE_TOOLBOX_BITMAP_TOOL}
    COMMAND ${CUTSHAPE_HOST_CXX} ${CUTSHAPE_HOST_CXX_FLAGS} -o ${CUTSHAPE_TOOLBOX_BITMAP_TOOL}
            ${CUTSHAPE_HOST_TOOLS_SOURCE}/toolbox_bitmap.cpp
    DEPENDS ${CUTSHAPE_HOST_TOOLS_SOURCE}/toolbox_bitmap.cpp
    COMMENT "Building toolbox_bitmap for the build machine"
    VERBATIM)

# The exact library: the type infos in their fixed order, the event interface's version and
# non-extensible flag, no compiler stamps. The file has the same layout on both targets; only
# the target (SYS_WIN32/SYS_WIN64) and the pointer-size fields (alignment, instance and vtable
# sizes, vtable offsets) differ.
set(CUTSHAPE_TYPELIB ${CUTSHAPE_GENERATED}/Cutshape.tlb)
add_custom_command(
    OUTPUT ${CUTSHAPE_TYPELIB}
    COMMAND ${CUTSHAPE_TYPELIB_PATCH} patch ${CUTSHAPE_GENERATED}/Cutshape.widl.tlb
            ${CUTSHAPE_TYPELIB} --order _Cutshape,Cutshape,Cutshape___v0,__Cutshape
            --type __Cutshape 1.1 0x1090
    DEPENDS ${CUTSHAPE_GENERATED}/Cutshape.widl.tlb ${CUTSHAPE_TYPELIB_PATCH}
    COMMENT "Patching the type library into its exact form"
    VERBATIM)

set(CUTSHAPE_TOOLBOX_BITMAP ${CUTSHAPE_GENERATED}/toolbox.bmp)
add_custom_command(
    OUTPUT ${CUTSHAPE_TOOLBOX_BITMAP}
    COMMAND ${CUTSHAPE_TOOLBOX_BITMAP_TOOL} ${CUTSHAPE_TOOLBOX_BITMAP}
    DEPENDS ${CUTSHAPE_TOOLBOX_BITMAP_TOOL}
    COMMENT "Drawing the toolbox picture"
    VERBATIM)

add_custom_target(cutshape_library_resources DEPENDS ${CUTSHAPE_TYPELIB} ${CUTSHAPE_TOOLBOX_BITMAP})

add_library(cutshape_registration STATIC registration.cpp compatibility_map.cpp)
target_link_libraries(cutshape_registration PUBLIC cutshape_win cutshape_interfaces oleaut32 ole32
                                                   advapi32)

if(TARGET cutshape_ocx)
    target_sources(cutshape_ocx PRIVATE cutshape.rc cutshape.def)
    target_link_libraries(cutshape_ocx PRIVATE cutshape_registration)
    # windres finds the generated type library and picture through the include path.
    target_include_directories(cutshape_ocx PRIVATE ${CUTSHAPE_GENERATED})
    set_source_files_properties(cutshape.rc PROPERTIES
                                OBJECT_DEPENDS "${CUTSHAPE_TYPELIB};${CUTSHAPE_TOOLBOX_BITMAP};${CUTSHAPE_ABOUT_ICONS}")
    add_dependencies(cutshape_ocx cutshape_library_resources)
endif()
