# The Windows checks' former helpers, for scripts/package until it calls scripts/common.sh's
# start_x_server, start_wine, run_plume and stop_x_server itself.
# shellcheck shell=bash
start_wine_display() { start_x_server && start_wine; }
stop_wine_display() { stop_x_server; }
run_program() { run_plume "$@"; }
