#!/usr/bin/env bash
# Checks every C++ file of the tree against .clang-format (clang-format 14): lists the files that
# differ and exits with 1 when there are any. `scripts/format-check.sh --fix` formats them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
formato=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$formato" ]; then
  echo "clang-format not found: apt-get install clang-format" >&2
  exit 1
fi
mapfile -t file < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  "$formato" -i "${file[@]}"
  exit 0
fi
diversi=()
for f in "${file[@]}"; do
  "$formato" --dry-run -Werror "$f" >/dev/null 2>&1 || diversi+=("$f")
done
if [ ${#diversi[@]} -gt 0 ]; then
  echo "These files differ from .clang-format (scripts/format-check.sh --fix formats them):" >&2
  printf '  %s\n' "${diversi[@]}" >&2
  exit 1
fi
echo "Every C++ file follows .clang-format."
