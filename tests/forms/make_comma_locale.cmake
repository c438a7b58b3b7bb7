# Compiles the de_DE.UTF-8 locale (decimal comma) into LOCALES with LOCALEDEF. A machine
# without the locale sources only loses the test that needs it, which reports itself skipped.
file(MAKE_DIRECTORY ${LOCALES})
execute_process(COMMAND ${LOCALEDEF} -i de_DE -f UTF-8 ${LOCALES}/de_DE.UTF-8
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
# localedef exits with 1 when it only warned; the locale is written then too.
if(NOT result EQUAL 0 AND NOT result EQUAL 1)
    message(WARNING "localedef could not make de_DE.UTF-8 (${result}): ${output}")
endif()
