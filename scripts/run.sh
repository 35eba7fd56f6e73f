#!/usr/bin/env bash
# Builds kv4420 and starts it against the simulated box.
# Usage: scripts/run.sh [more kv4420 arguments, e.g. a mode file]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ -f "$here/scripts/deps.sh" ]; then
  # shellcheck source=/dev/null
  source "$here/scripts/deps.sh"
  kv_install_deps
fi
build="${KV_BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target kv4420 -j "$(nproc 2>/dev/null || echo 2)"
exec "$build/app/kv4420" --device sim "$@"
