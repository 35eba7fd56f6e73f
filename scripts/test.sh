#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test through CTest.
# Usage: scripts/test.sh [extra cmake arguments]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$here/scripts/deps.sh"
kv_install_deps
# Style first: a file clang-format would change fails the run before anything is built.
bash "$here/scripts/format-check.sh"

build="${KV_BUILD_DIR:-$here/build}"
jobs="$(nproc 2>/dev/null || echo 2)"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build" -j "$jobs"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$jobs"
# The Debian package from this build, with its contents, lintian and the validators.
KV_BUILD_DIR="$build" bash "$here/scripts/package.sh" --no-build
