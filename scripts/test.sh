#!/usr/bin/env bash
# The whole test run on a fresh Debian machine: installs what is missing,
# builds the host build (with AddressSanitizer and UBSan), the shipped win32
# build and the win64 build (both with warnings as errors), then runs every
# test: the host tests natively, and the Windows and end-to-end tests of the
# shipped 32-bit Tidemark.exe under WoW64 in a Wine prefix, then those of the
# win64 build, on a private display.
set -euo pipefail
# The builds are the presets of CMakePresets.json, in folders under $build.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIDEMARK_BUILD_DIR:-$root/build}
jobs=$(nproc)

"$root/scripts/install-deps.sh"

status=0
echo "== formatting (clang-format)"
"$root/scripts/check-format.sh" || status=1

echo "== host build (AddressSanitizer, UndefinedBehaviorSanitizer)"
cmake --preset host -S "$root" -B "$build/host" >/dev/null
cmake --build "$build/host" -j "$jobs"

echo "== win32 build (the shipped Tidemark.exe and its tests)"
cmake --preset win32 -S "$root" -B "$build/win32" >/dev/null
cmake --build "$build/win32" -j "$jobs"

echo "== win64 build"
cmake --preset win64 -S "$root" -B "$build/win64" >/dev/null
cmake --build "$build/win64" -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
echo "== host tests"
ctest --test-dir "$build/host" --output-on-failure || status=1

# One WoW64 prefix for both Windows builds, as on the 64-bit Windows of the
# users: the 32-bit programs see its 32-bit side, the 64-bit ones the other.
wine_session_dir="$build"
# shellcheck source=wine-session.sh
source "$root/scripts/wine-session.sh"

if [ "$TIDEMARK_RUNS_32BIT" = 1 ]; then
  echo "== win32 tests under WoW64 (the shipped Tidemark.exe)"
  ctest --test-dir "$build/win32" --output-on-failure --timeout 900 || status=1
else
  echo "NOT RUN: this machine's kernel cannot run 32-bit programs, so the win32 tests of the shipped Tidemark.exe did not run; the win64 tests run in their place"
fi

echo "== win64 tests under wine64"
ctest --test-dir "$build/win64" --output-on-failure --timeout 900 || status=1

# The sandbox trials build their own Tidemark.exe and make their own prefix.
echo "== sandbox trials of removal scripts (scripts/try-script.sh)"
# (A new bash would warn about the session's LC_ALL, a locale that this Linux
# need not have; the trial sets the session's variables again itself.)
env -u LC_ALL "$root/tests/try-script-test.sh" || status=1

exit $status
