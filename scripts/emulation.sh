# Sourced by common.sh: running another platform's programs on this machine (Wine for Windows,
# qemu-user for 64-bit Arm) and judging their frames against this machine's.
# shellcheck shell=bash

# What qemu-user runs the arm64 programs with: the arm64 loader and Mesa's arm64 drivers.
ARM64_RUNTIME="/lib/ld-linux-aarch64.so.1 /usr/lib/aarch64-linux-gnu/dri/swrast_dri.so"
# need_arm64: need_tools for the 64-bit Arm checks: qemu-user and the arm64 libraries it runs on.
need_arm64() {
    need_tools qemu-aarch64
    local file
    for file in $ARM64_RUNTIME; do
        [ -e "$file" ] || { echo "skipped: $file is not installed"; exit "$SKIPPED"; }
    done
}

# The command words that run a command whose programs may be 64-bit Arm ones, as a Pi runs them:
# in a user and mount namespace of its own, whose binfmt_misc (Linux 6.7 and later) hands each
# arm64 program to qemu-user, so that a launcher's exec works unchanged; the machine's own
# binfmt_misc is left alone. The rule is Debian's for qemu-aarch64: an ELF file of machine 183.
arm64_magic='\x7fELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\xb7\x00'
arm64_mask='\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
ARM64_BINFMT_RULE=":qemu-aarch64:M::$arm64_magic:$arm64_mask:/usr/bin/qemu-aarch64:"
# shellcheck disable=SC2016 # the script is sh's: $binfmt, $0 and $@ are its own
ARM64_BINFMT=(unshare --user --map-root-user --mount sh -c 'binfmt=/proc/sys/fs/binfmt_misc
    mount -t binfmt_misc binfmt_misc $binfmt && printf "%s\n" "$0" >$binfmt/register && exec "$@"'
    "$ARM64_BINFMT_RULE")

# need_arm64_binfmt: need_arm64, and a kernel that gives a namespace a binfmt_misc of its own.
need_arm64_binfmt() {
    need_arm64
    need_tools unshare
    "${ARM64_BINFMT[@]}" true 2>/dev/null ||
        { echo "skipped: no binfmt_misc of a namespace's own (Linux 6.7 and later)"; exit "$SKIPPED"; }
}

# emulator PROGRAM: the command that runs PROGRAM on this machine where it is not native: Wine for
# a Windows program, qemu-user for a 64-bit Arm one (an ELF file of machine 183) elsewhere.
emulator() {
    if [[ "$1" == *.exe ]]; then
        echo wine
    elif [ "$(uname -m)" != aarch64 ] && [ "$(od -An -tu2 -j18 -N2 "$1" | tr -d ' ')" = 183 ]; then
        echo "qemu-aarch64 -L /"
    fi
}

# same_frame TOOLS OTHER_SNAPSHOT FRAME OTHER_FRAME: FRAME by the snapshot tool in TOOLS and
# OTHER_FRAME by another build's (pinned_snapshots, into $work) must be one frame, pixel for pixel
# as plume-compare judges.
same_frame() {
    # shellcheck disable=SC2154 # $work: the check's own folder
    mkdir -p "$work/here" "$work/other"
    pinned_snapshots "$1/plume-snapshot" "$work/here" "$3" &&
        pinned_snapshots "$2" "$work/other" "$4" &&
        "$1/plume-compare" "$work/here/$3.png" "$work/other/$4.png"
}

# other_frame: same_frame's control: plume-compare must say "another frame" (1), not fail to read
# the files (2).
other_frame() {
    local status=0
    same_frame "$@" || status=$?
    echo "plume-compare's status: $status"
    [ "$status" -eq 1 ]
}
