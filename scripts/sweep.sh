#!/usr/bin/env bash
# The whole fault sweep: builds the host and the plug-in, then runs the command
# once for every host call of a run with that call failing, and checks each run
# (docs/fault-sweep.md). It ends with "sweep: R runs, F failures".
#
#   scripts/sweep.sh [--preset default|asan] [--jobs N] [--calls FIRST:LAST] [--work DIR] [--keep]
#
# The sanitizer build (--preset asan) takes about three times as long.
set -euo pipefail
cd "$(dirname "$0")/.."

preset=default
sweep_options=()
while (($#)); do
  case "$1" in
    --preset) preset="$2"; shift 2 ;;
    --jobs|--work|--calls) sweep_options+=("$1" "$2"); shift 2 ;;
    --keep) sweep_options+=("$1"); shift ;;
    *) echo "usage: scripts/sweep.sh [--preset default|asan] [--jobs N] [--calls FIRST:LAST] [--work DIR] [--keep]" >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh
cmake --preset "${preset}" >/dev/null
cmake --build --preset "${preset}" --target forvane Quarnel Quarnel-27

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec python3 tests/sweep/fault_sweep.py --forvane "build/${preset}/bin/forvane" --all --jobs 2 "${sweep_options[@]}"
