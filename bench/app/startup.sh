#!/usr/bin/env bash
# Start-up time (process start to first painted main window) and peak resident memory of
# kv4420 with the simulated box, beside a bare Qt main window measured in the same run.
# Usage: bench/app/startup.sh [BUILD_DIR] [RUNS]   (runs under Xvfb when no display is set)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="${1:-$here/build}"
runs="${2:-7}"

if [ -z "${DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build" "$runs"
fi

app="$build/app/kv4420"
bare="$build/bench/app/kv4420-bare-window"
for exe in "$app" "$bare"; do
  [ -x "$exe" ] || { echo "missing $exe (build targets kv4420 and kv4420-bare-window)" >&2; exit 1; }
done

# Settings of the measured copies go to a throw-away place.
export XDG_CONFIG_HOME="$(mktemp -d)"
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

measure() {  # prints "ms kb" for one start of the given command
  local out
  out="$( { KV_T0_NS="$(date +%s%N)" /usr/bin/time -f "maxrss-kb=%M" "$@" >/dev/null; } 2>&1 )"
  local ms kb
  ms="$(sed -n 's/.*first-paint-ms=\([0-9.]*\).*/\1/p' <<<"$out" | head -n1)"
  kb="$(sed -n 's/.*maxrss-kb=\([0-9]*\).*/\1/p' <<<"$out" | head -n1)"
  echo "$ms $kb"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# One warm-up each so both find the libraries and fonts in the page cache.
measure "$bare" >/dev/null
measure "$app" --device sim --exit-after-first-paint >/dev/null

bare_ms=(); bare_kb=(); app_ms=(); app_kb=()
for ((i = 0; i < runs; i++)); do
  read -r ms kb < <(measure "$bare"); bare_ms+=("$ms"); bare_kb+=("$kb")
  read -r ms kb < <(measure "$app" --device sim --exit-after-first-paint); app_ms+=("$ms"); app_kb+=("$kb")
done

bms="$(printf '%s\n' "${bare_ms[@]}" | median)"; bkb="$(printf '%s\n' "${bare_kb[@]}" | median)"
ams="$(printf '%s\n' "${app_ms[@]}" | median)"; akb="$(printf '%s\n' "${app_kb[@]}" | median)"

printf 'runs: %d (median)\n' "$runs"
printf 'bare window : first paint %8.1f ms   peak RSS %7d kB\n' "$bms" "$bkb"
printf 'kv4420 (sim): first paint %8.1f ms   peak RSS %7d kB\n' "$ams" "$akb"
awk -v a="$ams" -v b="$bms" -v ak="$akb" -v bk="$bkb" 'BEGIN {
  tlimit = 1.5 * b + 150; mlimit = 2 * bk;
  printf "start-up limit %.1f ms: %s\n", tlimit, (a <= tlimit ? "met" : "MISSED");
  printf "memory limit %d kB: %s\n", mlimit, (ak <= mlimit ? "met" : "MISSED");
  exit (a <= tlimit && ak <= mlimit) ? 0 : 1 }'
