# Shared by the lint checks (sourced after scripts/common.sh): which files are shell scripts, and
# the verdict of a control, a planted fault that a check must catch.
# shellcheck shell=bash

# shell_scripts: the shell scripts of scripts/, tests/ and .ci/, relative to the repository, one
# a line: found by what they are, not by name: a shell's #! line, or shellcheck's shell
# directive in a file that is sourced. The npm clients' node_modules are not this project's.
shell_scripts() {
    (cd "$PLUME_ROOT" && find scripts tests .ci -name node_modules -prune -o -type f -print |
        sort | xargs -d '\n' awk '
            FNR == 1 && /^#!.*[\/ ](ba|da|k)?sh([ \t]|$)/ { print FILENAME; nextfile }
            /^# shellcheck shell=/ { print FILENAME; nextfile }')
}

# caught PATTERN COMMAND...: a control's verdict: COMMAND, run on a planted fault, must fail
# and say what matches PATTERN (an extended regular expression), which names the fault.
caught() {
    local pattern=$1 output status=0
    shift
    output=$("$@" 2>&1) || status=$?
    echo "${output:-(no output)}"
    echo "status $status"
    [ "$status" -ne 0 ] || { echo "the planted fault passed"; return 1; }
    grep -qE -- "$pattern" <<<"$output" || { echo "nothing names it: /$pattern/"; return 1; }
}
