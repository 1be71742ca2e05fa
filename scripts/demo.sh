#!/usr/bin/env bash
# Installs what is missing, builds, and runs the demo: the host opens the
# example project, runs the command with the example configuration, and
# prints the Session Report, the alert and what changed.
#   scripts/demo.sh          the small example (examples/)
#   scripts/demo.sh large    the real-size example (examples/large/)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

examples=examples
[ "${1:-}" = large ] && examples=examples/large

out=$(mktemp -d)
forvane=build/default/bin/forvane
"${forvane}" "${examples}/project.json" \
  --run "RIRUDAD X/Import IFC+SG Classifications and Properties..." \
  --choose "${examples}/ifc-sg-config.xml" \
  --special-folder "${out}/data" \
  --save "${out}/after.json" \
  --transcript "${out}/transcript.jsonl"
echo
echo "What changed, group by group (the IFC groups and the others):"
"${forvane}" diff "${examples}/project.json" "${out}/after.json"
echo
echo "The project after the run: ${out}/after.json; the host's transcript: ${out}/transcript.jsonl"
