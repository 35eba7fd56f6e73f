#!/usr/bin/env bash
# Debian 12 packages the project needs, installed only when missing.
# Source it and call kv_install_deps [packages...] (the list below when none are named), or
# run it directly.

KV_PACKAGES=(
  build-essential cmake ninja-build pkg-config clang-format
  libhidapi-dev libudev-dev nlohmann-json3-dev libcli11-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev qt6-translations-l10n
  dpkg-dev lintian appstream desktop-file-utils
  libgtest-dev libgmock-dev libbenchmark-dev python3
  xvfb xauth fonts-wqy-microhei time
  qt6-httpserver-dev qt6-websockets-dev libqrencode-dev chromium chromium-driver python3-selenium
)

# Only scripts/fuzz.sh needs these: clang with libFuzzer and the sanitizer runtimes.
KV_FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)

kv_install_deps() {
  local wanted=("$@")
  if [ ${#wanted[@]} -eq 0 ]; then
    wanted=("${KV_PACKAGES[@]}")
  fi
  local missing=()
  local p
  for p in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  kv_install_deps
fi
