# The sanitizer settings shared by the sanitized test run and the soak; sourced, not run.
# shellcheck shell=bash

# Any report fails the process. The driver's shader compiler (libLLVM) frees with free() what it
# took from operator new, which ASan cannot suppress by library: -Wmismatched-new-delete covers ours.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1:alloc_dealloc_mismatch=0"
# lsan.supp covers what the OpenGL driver's own code leaks; it says why each line is there.
LSAN_OPTIONS="suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lsan.supp:print_suppressions=0"
export LSAN_OPTIONS
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# The software driver, preloaded into the sanitized processes: unloaded with the display, all it
# still held would be leaks of an "<unknown module>" no suppression can name.
for PLUME_GL_DRIVER in "/usr/lib/$(gcc -print-multiarch 2>/dev/null)/dri/swrast_dri.so" \
    /usr/lib64/dri/swrast_dri.so /usr/lib/dri/swrast_dri.so ''; do
    [ ! -e "$PLUME_GL_DRIVER" ] || break
done
export PLUME_GL_DRIVER
