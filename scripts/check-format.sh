#!/usr/bin/env bash
# Checks every tracked C++ file against .clang-format and fails on the first difference, listing
# each file that differs. Usage: scripts/check-format.sh   (clang-format from Debian's clang-format)
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v clang-format >/dev/null; then
  echo "check-format: clang-format is missing (bash scripts/install-deps.sh core)" >&2
  exit 2
fi

mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h' '*.hpp' '*.cc' '*.mm')
if [ ${#files[@]} -eq 0 ]; then
  echo "check-format: no C++ files tracked" >&2
  exit 2
fi

differing=()
for file in "${files[@]}"; do
  if ! clang-format --dry-run -Werror --style=file "$file" >/dev/null 2>&1; then
    differing+=("$file")
  fi
done

if [ ${#differing[@]} -gt 0 ]; then
  echo "check-format: ${#differing[@]} of ${#files[@]} files differ from .clang-format:" >&2
  printf '  %s\n' "${differing[@]}" >&2
  echo "format them with: clang-format -i <file>" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files follow .clang-format"
