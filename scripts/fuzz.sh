#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and UBSan (build-fuzz/) and
# runs each for the given seconds, one after the other, starting from its seed corpus in
# tests/data/fuzz/. New inputs stay in build-fuzz/corpus/; an input that breaks something is
# written to build-fuzz/findings/ and makes the script fail. Prints inputs and executions
# per second of every target.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [target ...]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz-inbound fuzz-modefile fuzz-remotefile fuzz-simbox fuzz-language)
fi

source "$here/scripts/deps.sh"
kv_install_deps "${KV_PACKAGES[@]}" "${KV_FUZZ_PACKAGES[@]}"

build="${KV_FUZZ_BUILD_DIR:-$here/build-fuzz}"
CC=clang-14 CXX=clang++-14 cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKV_FUZZ=ON -DKV_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"

# Every finding stops the run at once; leaks count as findings too.
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# The remote-file target writes each input to a real file: in memory when there is room.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR="${TMPDIR:-/dev/shm}"; fi

status=0
summary=()
for t in "${targets[@]}"; do
  corpus_name="${t#fuzz-}"
  corpus="$build/corpus/$corpus_name"
  findings="$build/findings/$corpus_name"
  mkdir -p "$corpus" "$findings"
  cp -n "$here/tests/data/fuzz/$corpus_name"/* "$corpus/" 2>/dev/null || true
  # Longest input: a few dozen reports, a mode file with some slack, a remote file, a table.
  case "$t" in
    fuzz-inbound | fuzz-simbox) max_len=2440 ;;
    fuzz-modefile) max_len=2048 ;;
    fuzz-remotefile) max_len=64 ;;
    *) max_len=8192 ;;
  esac
  log="$build/$t.log"
  echo "== $t for ${seconds}s"
  if "$build/tests/fuzz/$t" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 \
       -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1; then
    result=ok
  else
    result=FINDING
    status=1
    tail -40 "$log"
  fi
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
  summary+=("$(printf '%-18s %12s inputs %8s exec/s  %s' "$t" "${runs:-?}" "${rate:-?}" "$result")")
done
printf '%s\n' "${summary[@]}"
exit "$status"
