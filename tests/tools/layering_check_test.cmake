# Checks the layering checks themselves, on small trees written under WORK:
#  - an include that crosses a layer the wrong way fails, naming file:line;
#  - includes that go down the layers, and folders outside the layers, pass;
#  - a forbidden target in a link closure, however deep, fails the configuration.
cmake_minimum_required(VERSION 3.25)
set(checker ${SOURCE_DIR}/cmake/check_layering.cmake)

function(check_tree name expect_failure expected_text)
    execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK}/${name} -P ${checker}
                    RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
    if(expect_failure AND result EQUAL 0)
        message(FATAL_ERROR "${name}: a violation passed")
    elseif(NOT expect_failure AND NOT result EQUAL 0)
        message(FATAL_ERROR "${name}: a sound tree failed:\n${errors}")
    endif()
    if(expected_text)
        string(FIND "${errors}" "${expected_text}" at)
        if(at EQUAL -1)
            message(FATAL_ERROR "${name}: '${expected_text}' not in:\n${errors}")
        endif()
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/sound/control/shaping.cpp
     "#include \"control/shaping.h\"\n#include \"runtime/screen.h\"\n#include <vector>\n")
file(WRITE ${WORK}/sound/container/form.cpp "#include \"forms/form_description.h\"\n")
file(WRITE ${WORK}/sound/tests/form_test.cpp
     "#include \"container/form.h\"\n#include \"control/shaping.h\"\n")
check_tree(sound FALSE "")

file(WRITE ${WORK}/control_reaches_container/control/about/dialog.cpp
     "// the dialog\n#include \"win/error.h\"\n  #  include \"container/form.h\"\n")
check_tree(control_reaches_container TRUE
           "control/about/dialog.cpp:3: the control layer may not include from container/")

file(WRITE ${WORK}/core_reaches_win/core/twips.h "#include \"win/error.h\"\n")
check_tree(core_reaches_win TRUE "core/twips.h:1: the core layer may not include from win/")

# The link-closure check runs when a project is configured.
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/tools/layering_fixture
                        -B ${WORK}/fixture_build -DLAYERING_MODULE=${SOURCE_DIR}/cmake/layering.cmake
                RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
if(result EQUAL 0)
    message(FATAL_ERROR "a control that links the container through two others configured")
endif()
string(FIND "${errors}" "control links container" at)
if(at EQUAL -1)
    message(FATAL_ERROR "the link check did not name the link:\n${errors}")
endif()
