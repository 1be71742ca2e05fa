#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the default build,
# the sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer), then
# each libFuzzer target for a bounded time (QUARNEL_FUZZ_SECONDS, default 60).
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

fuzz_seconds="${QUARNEL_FUZZ_SECONDS:-60}"
if [ "${fuzz_seconds}" != 0 ]; then
  scripts/fuzz.sh "${fuzz_seconds}"
fi
