#!/usr/bin/env bash
# Builds the win64 benchmarks and runs them under wine64, printing their
# figures. Benchmarks measure; they never decide a test's outcome.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIDEMARK_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
cmake --preset win64 -S "$root" -B "$build/win64" >/dev/null
benches=(tidemark_reader_bench tidemark_run_bench tidemark_file_delete_bench tidemark_registry_bench
         tidemark_startup_bench)
cmake --build "$build/win64" -j "$(nproc)" --target "${benches[@]}"

echo "== the section walk on this machine (optimised host build)"
cmake --preset host-bench -S "$root" -B "$build/host-bench" >/dev/null
cmake --build "$build/host-bench" -j "$(nproc)" --target tidemark_walk_bench tidemark_draft_bench
"$build/host-bench/tests/tidemark_walk_bench" || echo "(tidemark_walk_bench exited with $?)"
echo "== drafting from snapshots of a large registry (optimised host build)"
"$build/host-bench/tests/tidemark_draft_bench" || echo "(tidemark_draft_bench exited with $?)"

echo "== the shipped 32-bit Tidemark.exe"
cmake --preset win32 -S "$root" -B "$build/win32" >/dev/null
cmake --build "$build/win32" -j "$(nproc)" --target Tidemark
exe="$build/win32/Tidemark.exe"
echo "size: $(stat -c %s "$exe") bytes"
# The breakdown by section: code (.text), data (every other section of the
# image but the resources and the relocations), resources (.rsrc), and the
# relocations the loader applies when it moves the program.
i686-w64-mingw32-size -A "$exe" | awk '
  $1 == ".text" { code += $2; next }
  $1 == ".rsrc" { rsrc += $2; next }
  $1 == ".reloc" { reloc += $2; next }
  $1 ~ /^\./ && $1 != ".bss" { data += $2 }
  END { printf "  code %d bytes, data %d bytes, resources %d bytes, relocations %d bytes\n", code, data, rsrc, reloc }'
i686-w64-mingw32-size -A "$exe" | awk '$1 ~ /^\./ { printf "    %-10s %8d\n", $1, $2 }'

wine_session_dir="$build"
# shellcheck source=wine-session.sh
source "$root/scripts/wine-session.sh"
cd "$build/win64/tests"
# Each figure is for a reader: a benchmark that fails says so and the others
# still run.
for bench in "${benches[@]}"; do
  echo "== $bench"
  "$build/win64/wine-run.sh" "./$bench.exe" || echo "($bench exited with $?)"
done
