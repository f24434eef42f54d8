# The end-to-end suite (tests/e2e): the program under WebKitWebDriver against the device simulator,
# one ctest test per scenario file, each run by pytest on a private X server. Not in the
# thread-sanitizer build (GTK and WebKit are not built with it). pytest's exit code 5 (no test
# collected, for example all deselected by PYTEST_ADDOPTS=-k ...) shows as a skipped test, never as
# a pass.
if(TARGET zyntra-terminal AND TARGET zyntra-sim AND NOT VYX_SANITIZE_THREAD)
    find_program(VYX_WEBDRIVER WebKitWebDriver)
    execute_process(COMMAND /usr/bin/python3 -c "import selenium, pytest"
                    RESULT_VARIABLE _no_e2e_python OUTPUT_QUIET ERROR_QUIET)
    if(VYX_WEBDRIVER AND _no_e2e_python EQUAL 0)
        file(GLOB _e2e_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/test_*.py)
        foreach(f IN LISTS _e2e_files)
            get_filename_component(name ${f} NAME_WE)
            string(REGEX REPLACE "^test_" "" name ${name})
            add_test(NAME E2E.${name}
                     COMMAND ${CMAKE_SOURCE_DIR}/scripts/with-xvfb.sh /usr/bin/python3 -m pytest -q -p no:cacheprovider
                             -o junit_family=xunit2 --junitxml=${CMAKE_BINARY_DIR}/e2e-results/${name}.xml ${f}
                     WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}/tests/e2e)
            set(_e2e_environment "VYX_BUILD_DIR=${CMAKE_BINARY_DIR}")
            # As for the display tests: the display libraries' own leaks are no fault of the
            # program, whose exit code some scenarios check.
            if(VYX_SANITIZE_ADDRESS)
                list(APPEND _e2e_environment
                     "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/scripts/lsan-display.supp:fast_unwind_on_malloc=0")
            endif()
            set_tests_properties(E2E.${name} PROPERTIES
                TIMEOUT 600
                ENVIRONMENT "${_e2e_environment}"
                SKIP_RETURN_CODE 5
                LABELS e2e)
        endforeach()
    else()
        message(STATUS "End-to-end tests not registered (need WebKitWebDriver, python3-selenium, python3-pytest)")
    endif()
endif()
