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
