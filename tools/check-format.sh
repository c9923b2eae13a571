#!/usr/bin/env bash
# Checks that every C++ source and header tracked by git is formatted as .clang-format says, and
# lists the files that are not. With --fix, formats them in place instead.
#
#   tools/check-format.sh [--fix]
#
# Exit status: 0 when every file is formatted (or was fixed), 1 when a file is not, 77 when git or
# clang-format is missing or the tree is no git checkout (CTest counts that as skipped).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
fix=false
case "${1:-}" in
  --fix) fix=true ;;
  "") ;;
  *) echo "usage: tools/check-format.sh [--fix]" >&2; exit 2 ;;
esac

FORMAT=${CLANG_FORMAT:-}
if [ -z "$FORMAT" ]; then
  for candidate in clang-format clang-format-14 clang-format-15 clang-format-16; do
    command -v "$candidate" >/dev/null && { FORMAT=$candidate; break; }
  done
fi
if [ -z "$FORMAT" ]; then
  echo "check-format: clang-format is not installed (apt-get install clang-format)" >&2
  exit 77
fi
cd "$ROOT"
if ! files=$(git ls-files -- '*.cpp' '*.h' 2>/dev/null) || [ -z "$files" ]; then
  echo "check-format: $ROOT is no git checkout; nothing to check" >&2
  exit 77
fi

differ=()
while IFS= read -r file; do
  [ -f "$file" ] || continue  # deleted in the work tree
  if $fix; then
    "$FORMAT" --style=file -i "$file"
  elif ! "$FORMAT" --style=file "$file" | cmp -s - "$file"; then
    differ+=("$file")
  fi
done <<<"$files"

if [ ${#differ[@]} -gt 0 ]; then
  printf '%s\n' "${differ[@]}"
  echo "check-format: ${#differ[@]} file(s) differ from .clang-format; run tools/check-format.sh --fix" >&2
  exit 1
fi
exit 0
