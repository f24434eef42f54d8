# Tests that need a display (GTK windows, the web view) run under a virtual X server of their own,
# started by scripts/with-xvfb.sh for each test, so `ctest` works on a machine without a desktop and
# parallel tests never share a display.
#
# vyx_display_tests(target [extra gtest_discover_tests PROPERTIES]): registers the tests of the
# googletest executable target this way.
#
# In the address-sanitizer build the leaks of the display libraries are suppressed
# (scripts/lsan-display.supp). The thread-sanitizer build does not register them: GTK and WebKit are not built with the
# sanitizer, and their own threads (and the web process's IPC threads) report races the sanitizer
# cannot see the synchronisation of, so those runs would only show noise from outside the project.
function(vyx_display_tests target)
    if(VYX_SANITIZE_THREAD)
        message(STATUS "${target}: display tests not registered in the thread-sanitizer build")
        return()
    endif()
    set_property(TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/scripts/with-xvfb.sh)
    set(_environment "")
    if(VYX_SANITIZE_ADDRESS)
        # The leak checker still sees the project's leaks; those of the display libraries are
        # suppressed. Full stacks: the libraries have no frame pointers, and a stack cut short at
        # g_malloc would not show which library the memory belongs to.
        set(_environment ENVIRONMENT
            "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/scripts/lsan-display.supp:fast_unwind_on_malloc=0")
    endif()
    gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120 ${_environment} ${ARGN})
endfunction()

# vyx_webdriver_test(name script [arguments...]): registers a Python script that drives a program
# through WebKitWebDriver (Selenium, under the Debian Python that has it) on a display of its own.
# Not registered in the thread-sanitizer build (see above) or without WebKitWebDriver or Selenium.
function(vyx_webdriver_test name script)
    if(VYX_SANITIZE_THREAD)
        message(STATUS "${name}: display test not registered in the thread-sanitizer build")
        return()
    endif()
    find_program(VYX_WEBDRIVER WebKitWebDriver)
    execute_process(COMMAND /usr/bin/python3 -c "import selenium" RESULT_VARIABLE _no_selenium
                    OUTPUT_QUIET ERROR_QUIET)
    if(NOT VYX_WEBDRIVER OR NOT _no_selenium EQUAL 0)
        message(STATUS "${name} not registered (needs WebKitWebDriver and python3-selenium)")
        return()
    endif()
    add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/scripts/with-xvfb.sh /usr/bin/python3 ${script} ${ARGN})
    set_tests_properties(${name} PROPERTIES TIMEOUT 120)
    if(VYX_SANITIZE_ADDRESS)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT
            "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/scripts/lsan-display.supp:fast_unwind_on_malloc=0")
    endif()
endfunction()
