# Tests of the control library's type library, resources, exports and registration.
# Included from tests/control/CMakeLists.txt (Windows builds only).

set(CUTSHAPE_WIN32_BUILD_DIR "" CACHE PATH "Build folder of the 32-bit Windows configuration")
set(CUTSHAPE_CONTROL_GENERATED ${PROJECT_BINARY_DIR}/control/generated)

cutshape_add_test(control_typelib_test SOURCES typelib_test.cpp LIBRARIES cutshape_win)
target_compile_definitions(control_typelib_test PRIVATE
    CUTSHAPE_OCX_FILE=L"$<TARGET_FILE:cutshape_ocx>"
    CUTSHAPE_TLB_FILE=L"${CUTSHAPE_CONTROL_GENERATED}/Cutshape.tlb"
    CUTSHAPE_GOLDEN_TYPELIB="${CMAKE_CURRENT_SOURCE_DIR}/golden/typelib_win64.txt")
add_dependencies(control_typelib_test cutshape_ocx)

cutshape_add_test(control_typelib_resources_test SOURCES typelib_resources_test.cpp
                  LIBRARIES cutshape_registration cutshape_interfaces version)
target_compile_definitions(control_typelib_resources_test PRIVATE
    CUTSHAPE_OCX_FILE=L"$<TARGET_FILE:cutshape_ocx>"
    CUTSHAPE_TOOLBOX_BMP="${CUTSHAPE_CONTROL_GENERATED}/toolbox.bmp")
add_dependencies(control_typelib_resources_test cutshape_ocx)

if(CMAKE_CROSSCOMPILING_EMULATOR)
    # The patched files described by the build machine's own reader of the file format: the
    # 64-bit one always, the 32-bit one (which cannot run here) from its build folder.
    add_test(NAME control_typelib_msft_win64
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/typelib_dump_test.sh ${CUTSHAPE_TYPELIB_PATCH}
                     ${CUTSHAPE_CONTROL_GENERATED}/Cutshape.tlb
                     ${CMAKE_CURRENT_SOURCE_DIR}/golden/typelib_msft_win64.txt)
    add_test(NAME control_typelib_msft_win32
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/typelib_dump_test.sh ${CUTSHAPE_TYPELIB_PATCH}
                     ${CUTSHAPE_WIN32_BUILD_DIR}/control/generated/Cutshape.tlb
                     ${CMAKE_CURRENT_SOURCE_DIR}/golden/typelib_win32.txt)
    # 77: the 32-bit build folder is not known or not built.
    set_tests_properties(control_typelib_msft_win32 PROPERTIES SKIP_RETURN_CODE 77)

    add_test(NAME control_exports_win64
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/exports_test.sh ${CUTSHAPE_MINGW_TRIPLE}-objdump
                     $<TARGET_FILE:cutshape_ocx>)
    add_test(NAME control_exports_win32
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/exports_test.sh i686-w64-mingw32-objdump
                     ${CUTSHAPE_WIN32_BUILD_DIR}/control/Cutshape.ocx)
    set_tests_properties(control_exports_win32 PROPERTIES SKIP_RETURN_CODE 77)

    add_test(NAME control_registration
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/registration_test.sh $<TARGET_FILE:cutshape_ocx>)
    set_tests_properties(control_registration PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
endif()
