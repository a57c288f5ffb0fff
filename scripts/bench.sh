#!/usr/bin/env bash
# Builds the win64 benchmarks and runs them under wine64, printing their
# figures. Benchmarks measure; they never decide a test's outcome.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIDEMARK_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
benches=(tidemark_reader_bench tidemark_run_bench tidemark_file_delete_bench tidemark_registry_bench
         tidemark_startup_bench)
cmake --build "$build/win64" -j "$(nproc)" --target "${benches[@]}"

echo "== the section walk on this machine (optimised host build)"
cmake -S "$root" -B "$build/host-bench" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/host-bench" -j "$(nproc)" --target tidemark_walk_bench
"$build/host-bench/tests/tidemark_walk_bench"

echo "== the shipped 32-bit Tidemark.exe"
cmake -S "$root" -B "$build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DTIDEMARK_WERROR=ON -DTIDEMARK_TESTS=ON >/dev/null
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
for bench in "${benches[@]}"; do
  echo "== $bench"
  "$build/win64/wine-run.sh" "./$bench.exe"
done
