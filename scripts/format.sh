#!/usr/bin/env bash
# Formats the tree's C and C++ sources in the style of .clang-format.
# Usage: format.sh           rewrites every file that is not formatted
#        format.sh --check   changes nothing; names each such file, exit 1 if any
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=clang-format-16   # one version: another formats some lines otherwise
command -v "$formatter" >/dev/null || { echo "format: $formatter is missing (scripts/setup.sh installs it)" >&2; exit 2; }
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.c' '*.cpp' '*.h')
else
  mapfile -t files < <(find . -path ./build -prune -o -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print)
fi
if [ "${1:-}" != "--check" ]; then
  printf '%s\0' "${files[@]}" | xargs -0 -P "$(nproc)" -n 20 "$formatter" -i
  exit 0
fi
unformatted=$(printf '%s\0' "${files[@]}" | xargs -0 -P "$(nproc)" -n 20 bash -c '
  for file; do "$0" "$file" | cmp -s - "$file" || echo "$file"; done' "$formatter")
if [ -n "$unformatted" ]; then
  echo "format: not formatted (run scripts/format.sh):"
  echo "$unformatted" | sed 's/^/  /'
  exit 1
fi
