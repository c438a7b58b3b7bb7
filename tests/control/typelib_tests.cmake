# Tests of the control library's type library, resources, exports and registration.
# Included from tests/control/CMakeLists.txt (Windows builds only).

set(CUTSHAPE_CONTROL_GENERATED ${PROJECT_BINARY_DIR}/control/generated)

cutshape_add_test(control_typelib_test SOURCES typelib_test.cpp LIBRARIES cutshape_win)
target_compile_definitions(control_typelib_test PRIVATE
    CUTSHAPE_OCX_FILE=L"$<TARGET_FILE:cutshape_ocx>"
    CUTSHAPE_TLB_FILE=L"${CUTSHAPE_CONTROL_GENERATED}/Cutshape.tlb"
    CUTSHAPE_GOLDEN_TYPELIB="${CMAKE_CURRENT_SOURCE_DIR}/golden/typelib.txt")
add_dependencies(control_typelib_test cutshape_ocx)

cutshape_add_test(control_typelib_resources_test SOURCES typelib_resources_test.cpp
                  LIBRARIES cutshape_registration cutshape_interfaces version)
target_compile_definitions(control_typelib_resources_test PRIVATE
    CUTSHAPE_OCX_FILE=L"$<TARGET_FILE:cutshape_ocx>"
    CUTSHAPE_TOOLBOX_BMP="${PROJECT_SOURCE_DIR}/control/resources/toolbox.bmp")
add_dependencies(control_typelib_resources_test cutshape_ocx)

if(CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME control_exports
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/exports_test.sh ${CUTSHAPE_MINGW_TRIPLE}-objdump
                     $<TARGET_FILE:cutshape_ocx>)

    add_test(NAME control_registration
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/registration_test.sh $<TARGET_FILE:cutshape_ocx>)
    set_tests_properties(control_registration PROPERTIES TIMEOUT 300)
    # regsvr32 /n /i:user: the user's classes only, removed exactly.
    add_test(NAME control_per_user_registration
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/per_user_registration_test.sh
                     $<TARGET_FILE:cutshape_ocx>)
    set_tests_properties(control_per_user_registration PROPERTIES TIMEOUT 240)
endif()

# The 32-bit build's registration beside the 64-bit one's, in the win32 stage's WoW64 prefix.
set(CUTSHAPE_WIN64_BUILD_DIR "" CACHE PATH "Build folder of the 64-bit Windows configuration")
if(CMAKE_CROSSCOMPILING_EMULATOR AND CUTSHAPE_ARCH STREQUAL "win32" AND CUTSHAPE_WIN64_BUILD_DIR)
    add_test(NAME control_side_by_side_registration
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/side_by_side_test.sh
                     ${CUTSHAPE_WIN64_BUILD_DIR}/control/Cutshape.ocx $<TARGET_FILE:cutshape_ocx>)
    set_tests_properties(control_side_by_side_registration PROPERTIES TIMEOUT 400)
endif()
