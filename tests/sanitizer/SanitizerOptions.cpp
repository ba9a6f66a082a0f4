// Compiled into every executable of the sanitized build (CC_SANITIZE): any report ends the process with
// an error, so the test, or the test whose server or driver it was, fails. Options given in the
// environment (ASAN_OPTIONS, ...) are read after these.
#include "LsanSuppressions.h"

extern "C" {

const char* __asan_default_options() {
    return "halt_on_error=1:abort_on_error=1:detect_leaks=1:check_initialization_order=1:"
           "strict_string_checks=1:detect_stack_use_after_return=1";
}

const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1:abort_on_error=1";
}

const char* __lsan_default_suppressions() {
    return ccLsanSuppressions;
}

} // extern "C"
