#!/usr/bin/env bash
# Installs what is missing, builds, and runs the demo: the host opens the
# example project, runs the command with the example configuration, and
# prints the Session Report, the alert and what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

out=$(mktemp -d)
forvane=build/default/bin/forvane
"${forvane}" examples/project.json \
  --run "RIRUDAD X/Import IFC+SG Classifications and Properties..." \
  --choose examples/ifc-sg-config.xml \
  --special-folder "${out}/data" \
  --save "${out}/after.json" \
  --transcript "${out}/transcript.jsonl"
echo
echo "What changed in the IFC groups:"
"${forvane}" diff examples/project.json "${out}/after.json"
echo
echo "The project after the run: ${out}/after.json; the host's transcript: ${out}/transcript.jsonl"
