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

# A warm sandbox trial: the programs built and the clean prefix made by a
# first trial, as an author's second and later trials of a script find them.
# The first trial's own time is printed too (it includes whatever had to be
# built or made).
echo "== a warm sandbox trial of the embedded script (scripts/try-script.sh)"
trial_log="$build/try-script-bench.txt"
for run in first warm; do
  started=$(date +%s.%N)
  trial_rc=0
  # (A new bash would warn about the session's LC_ALL; the trial sets the
  # session's variables again itself.)
  env -u LC_ALL "$root/scripts/try-script.sh" "$root/res/default-script.ini" >"$trial_log" 2>&1 || trial_rc=$?
  awk -v run="$run" -v from="$started" -v to="$(date +%s.%N)" \
    'BEGIN { printf "  %s trial: %.1f s\n", run, to - from }'
  if [ "$trial_rc" != 0 ]; then echo "  (the trial exited with $trial_rc; its output is in $trial_log)"; fi
done
