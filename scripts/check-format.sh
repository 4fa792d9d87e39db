#!/usr/bin/env bash
# Checks every C++ file git tracks against .clang-format; lists the files that differ.
# With --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null 2>&1 || scripts/install-deps.sh
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  printf 'not formatted: %s\n' "${bad[@]}" >&2
  echo "${#bad[@]} of ${#files[@]} files differ from .clang-format (scripts/check-format.sh --fix)" >&2
  exit 1
fi
echo "format check: ${#files[@]} files clean"
