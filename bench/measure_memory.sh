#!/bin/sh
# Runs the one-hour scenario on the simulated desktop and prints its peak
# memory. Usage: bench/measure_memory.sh BUILD_DIR [TICKS]
# (BUILD_DIR as made by `cmake --preset release`, e.g. build/release).
set -eu
build=${1:?usage: measure_memory.sh BUILD_DIR [TICKS]}
ticks=${2:-7200}
here=$(dirname "$0")
scenario=$(mktemp)
trap 'rm -f "$scenario"' EXIT
"$here/make_hour_scenario.sh" "$ticks" > "$scenario"
# GNU time's %M: the largest resident set the process reached, in KB.
/usr/bin/time -f "$ticks ticks: peak resident %M KB, %e s" \
  "$build/vistrel-desktop" "$scenario" > /dev/null
