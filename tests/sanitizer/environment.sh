# The sanitizer settings shared by the sanitized test run and the soak; sourced, not run.
# shellcheck shell=bash

# Any report ends the process with a failure status. alloc_dealloc_mismatch is off: the driver's
# shader compiler (libLLVM) frees with free() what it took from operator new, which this clang's
# ASan cannot suppress by library; -Wmismatched-new-delete in the g++ build covers plume's pairs.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1:alloc_dealloc_mismatch=0"
# lsan.supp covers what the OpenGL driver's own code leaks; it says why each line is there.
LSAN_OPTIONS="suppressions=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lsan.supp:print_suppressions=0"
export LSAN_OPTIONS
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# The software OpenGL driver, preloaded into the sanitized processes alone: closing the display
# would unload it before the leak check at exit, and all it still holds would show up as leaked
# from an "<unknown module>" no suppression can name. Preloaded, it stays mapped.
for PLUME_GL_DRIVER in "/usr/lib/$(gcc -print-multiarch 2>/dev/null)/dri/swrast_dri.so" \
    /usr/lib64/dri/swrast_dri.so /usr/lib/dri/swrast_dri.so ''; do
    [ ! -e "$PLUME_GL_DRIVER" ] || break
done
export PLUME_GL_DRIVER
