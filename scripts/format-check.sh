#!/usr/bin/env bash
# Fails when clang-format would change a C++ file of the project (the style is .clang-format).
# Usage: scripts/format-check.sh [--fix]
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -path ./build\* -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
report="$(mktemp)"
if ! clang-format --dry-run --Werror "${files[@]}" 2>"$report"; then
  # --Werror words the changes as errors; the file is the text before the first colon.
  { grep -E '(warning|error):' "$report" || cat "$report"; } | cut -d: -f1 | sort -u | sed 's/^/needs clang-format: /' >&2
  rm -f "$report"
  echo "format check failed: run bash scripts/format-check.sh --fix" >&2
  exit 1
fi
rm -f "$report"
echo "format check: ${#files[@]} files formatted"
