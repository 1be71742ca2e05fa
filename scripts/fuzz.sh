#!/usr/bin/env bash
# Builds the libFuzzer targets (the "fuzz" preset: clang, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 30) on a copy
# of its seed corpus. Fails when any target crashes, hangs or breaks one of
# its invariants; the input that did it is kept in build/fuzz/artifacts/.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

seconds="${1:-30}"
case "${seconds}" in
  '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS]" >&2; exit 2 ;;
esac

scripts/install-deps.sh

echo "== fuzz: configure and build"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_targets

bin="${root}/build/fuzz/bin"
artifacts="${root}/build/fuzz/artifacts"
mkdir -p "${artifacts}"
work="$(mktemp -d)"
trap 'rm -rf "${work}"' EXIT

# The examples are seeds too; they are read where they are, not copied into
# the committed corpora, so that the two never drift apart.
extra_seeds() {
  case "$1" in
    config_import) echo "examples/ifc-sg-config.xml" ;;
    project_load) echo "examples/project.json" ;;
  esac
}

failed=()
for target in datafile config_import project_load; do
  corpus="${work}/${target}/corpus"
  mkdir -p "${corpus}" "${work}/${target}/tmp"
  cp tests/fuzz/corpus/"${target}"/* "${corpus}/"
  for seed in $(extra_seeds "${target}"); do cp "${seed}" "${corpus}/"; done
  options=(-max_total_time="${seconds}" -timeout=20 -rss_limit_mb=4096 -print_final_stats=1
           -artifact_prefix="${artifacts}/${target}-")
  [ -f "tests/fuzz/${target}.dict" ] && options+=(-dict="tests/fuzz/${target}.dict")
  log="${work}/${target}.log"
  echo "== fuzz_${target}: ${seconds} s"
  if TMPDIR="${work}/${target}/tmp" "${bin}/fuzz_${target}" "${options[@]}" "${corpus}" >"${log}" 2>&1; then
    grep -E '^stat::number_of_executed_units|^Done ' "${log}" | sed 's/^/   /'
  else
    echo "!! fuzz_${target} failed; its input is kept under ${artifacts}/"
    grep -v ' # Uses: ' "${log}" | tail -n 40
    failed+=("fuzz_${target}")
  fi
done

if ((${#failed[@]})); then
  echo "fuzz: ${#failed[@]} of 3 targets failed: ${failed[*]}"
  exit 1
fi
echo "fuzz: 3 targets ran ${seconds} s each without a fault"
