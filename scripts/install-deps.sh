#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
# Run as root (or with sudo) on Debian 12.
set -euo pipefail

packages=(
  build-essential cmake pkg-config python3 binutils file
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libxml2-dev libxml2-utils nlohmann-json3-dev libcli11-dev
  clang libclang-rt-14-dev python3-matplotlib
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
