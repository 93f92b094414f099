# The sanitizer settings shared by the sanitized test run and the soak; sourced, not run.
# shellcheck shell=bash

plume_sanitizer_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Any report ends the process with a failure status: a test that saw one cannot pass.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
# The suppressions cover what the OpenGL driver leaks; see lsan.supp.
export LSAN_OPTIONS="suppressions=$plume_sanitizer_dir/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
