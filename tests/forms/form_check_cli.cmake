# Runs cutshape_form_check (TOOL) as the build does: on the demo descriptions under SOURCE,
# on malformed descriptions and on a missing file (named under WORK).

function(check_form expected_result expected_errors)
    execute_process(COMMAND ${TOOL} ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
                    ERROR_VARIABLE errors)
    if(NOT result STREQUAL expected_result OR NOT errors STREQUAL expected_errors
       OR NOT output STREQUAL "")
        message(FATAL_ERROR "cutshape_form_check ${ARGN}\nexit code ${result}, expected "
                            "${expected_result}\nerrors: '${errors}'\nexpected: "
                            "'${expected_errors}'\noutput: '${output}'")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

check_form(0 "" ${SOURCE}/demos/earth/frmEarth.form ${SOURCE}/demos/hole/frmHole.form
           ${SOURCE}/demos/head/frmHead.form)

# The runtime's malformed example, and a good description after it: each file is checked.
set(broken ${SOURCE}/tests/e2e/broken.form)
check_form(1 "${broken}:5: unknown keyword 'colour' in the form section\n" ${broken}
           ${SOURCE}/demos/earth/frmEarth.form)

# A keyword given twice, in a file saved with a byte order mark and CRLF line ends.
set(twice ${SOURCE}/tests/forms/caption_twice.form)
check_form(1 "${twice}:6: 'caption' is given twice (first on line 4)\n" ${twice})

# The files a description names must be among those the program bundles.
set(earth ${SOURCE}/demos/earth/frmEarth.form)
check_form(0 "" --bundled Close.BMP,hand.cur,Earth.gif ${earth})
check_form(1 "${earth}:39: file:hand.cur is not bundled with the program\n" --bundled close.bmp
           ${earth})

check_form(2 "${WORK}/missing.form: cannot be read\n" ${WORK}/missing.form)
