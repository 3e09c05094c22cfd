#!/usr/bin/env bash
# Fails when a C++ file of the tree (tracked, or new and not ignored) is not as
# clang-format makes it with the repository's .clang-format. `clang-format -i <file>`
# formats one.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null ||
  { echo "check-format: clang-format is missing (scripts/deps.sh test installs it)" >&2; exit 1; }

bad=0
count=0
while IFS= read -r file; do
  [ -f "$file" ] || continue  # deleted in the working tree
  count=$((count + 1))
  if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
    echo "check-format: not formatted: $file" >&2
    bad=1
  fi
done < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
[ "$bad" -eq 0 ] && echo "check-format: all $count C++ files are formatted"
exit "$bad"
