# The sanitizer settings shared by the sanitized test run and the soak; sourced, not run.
# shellcheck shell=bash

plume_sanitizer_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Any report ends the process with a failure status: a test that saw one cannot pass.
# alloc_dealloc_mismatch is off because the driver's shader compiler (libLLVM) frees with
# free() a buffer it took from operator new whenever it discards a compiled shader, and this
# clang's ASan cannot suppress that by library. Overflows, use after free, double frees and leaks
# are still caught; -Wmismatched-new-delete in the g++ build covers plume's own pairs.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1:alloc_dealloc_mismatch=0"
# lsan.supp covers what the OpenGL driver's own code leaks; it says why each line is there.
export LSAN_OPTIONS="suppressions=$plume_sanitizer_dir/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

# The software OpenGL driver, to be preloaded into the sanitized processes (and only those).
# Closing the X display unloads the driver before the leak check at exit. Its static data then
# no longer counts as a root, so everything it still points to shows up as leaked from an
# "<unknown module>" that no suppression can name. Preloaded, it stays mapped: what it still
# holds counts as reachable, and anything it truly leaks is reported under its own name.
PLUME_GL_DRIVER=
for plume_driver in "/usr/lib/$(gcc -print-multiarch 2>/dev/null)/dri/swrast_dri.so" \
    /usr/lib64/dri/swrast_dri.so /usr/lib/dri/swrast_dri.so; do
    [ ! -e "$plume_driver" ] || { PLUME_GL_DRIVER=$plume_driver; break; }
done
unset plume_driver
export PLUME_GL_DRIVER
