# Tests of the About box: its registry lookup, the App values it shows, and the dialog in a
# real Wine session. Included from tests/control/CMakeLists.txt (Windows builds only).

cutshape_add_test(control_about_key_value_test SOURCES about_key_value_test.cpp
                  LIBRARIES cutshape_about)
# Through the precompiled header, GCC 12 reports its own wmemcpy (inlined from a system
# header) as out of bounds here: this file parses its headers itself.
set_source_files_properties(about_key_value_test.cpp PROPERTIES SKIP_PRECOMPILE_HEADERS ON)

cutshape_add_test(control_about_app_test SOURCES about_app_test.cpp LIBRARIES cutshape_runtime)
target_compile_definitions(control_about_app_test PRIVATE
    CUTSHAPE_OCX_FILE=L"$<TARGET_FILE:cutshape_ocx>"
    CUTSHAPE_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    CUTSHAPE_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    CUTSHAPE_VERSION_PATCH=${PROJECT_VERSION_PATCH})
add_dependencies(control_about_app_test cutshape_ocx)

add_executable(about_probe about_probe.cpp)
target_link_libraries(about_probe PRIVATE cutshape_container cutshape_options)
target_link_options(about_probe PRIVATE -municode)
add_executable(about_trace_program WIN32 about_trace_program.cpp)
target_link_libraries(about_trace_program PRIVATE cutshape_win cutshape_options)
target_link_options(about_trace_program PRIVATE -municode)

if(CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME control_about_dialog
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/about_dialog_test.sh $<TARGET_FILE:cutshape_ocx>
                     $<TARGET_FILE:about_probe> $<TARGET_FILE:about_trace_program>)
    # It changes the system-information tool's registry values of the prefix while it runs.
    set_tests_properties(control_about_dialog PROPERTIES TIMEOUT 240)
endif()
