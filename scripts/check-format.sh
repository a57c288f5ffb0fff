#!/usr/bin/env bash
# Checks that every C++ file of the tree is as clang-format (the root's
# .clang-format) writes it; with --fix, formats them in place. Names the
# files that differ and exits with 1 when there are any.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
mapfile -t files < <(find src tools tests bench \( -name '*.cpp' -o -name '*.h' \) | sort)
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
unformatted=()
for file in "${files[@]}"; do
  if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then unformatted+=("$file"); fi
done
if [ ${#unformatted[@]} -ne 0 ]; then
  printf 'not formatted (run scripts/check-format.sh --fix): %s\n' "${unformatted[@]}"
  exit 1
fi
echo "${#files[@]} files formatted as .clang-format says"
