#!/usr/bin/env bash
# The whole test run on a fresh Debian machine: installs what is missing,
# builds the host build (with AddressSanitizer and UBSan), the win64 build and
# the shipped win32 build (warnings as errors), then runs every test: the host
# tests natively and the win64 tests under wine64 on a private display.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIDEMARK_BUILD_DIR:-$root/build}
jobs=$(nproc)

"$root/scripts/install-deps.sh"

echo "== host build (AddressSanitizer, UndefinedBehaviorSanitizer)"
cmake -S "$root" -B "$build/host" -DCMAKE_BUILD_TYPE=Debug -DTIDEMARK_SANITIZE=ON -DTIDEMARK_WERROR=ON >/dev/null
cmake --build "$build/host" -j "$jobs"

echo "== win64 build"
cmake -S "$root" -B "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DTIDEMARK_WERROR=ON >/dev/null
cmake --build "$build/win64" -j "$jobs"

echo "== win32 build (the shipped Tidemark.exe; compiled, not run)"
cmake -S "$root" -B "$build/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel -DTIDEMARK_WERROR=ON -DTIDEMARK_TESTS=OFF >/dev/null
cmake --build "$build/win32" -j "$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
status=0
echo "== host tests"
ctest --test-dir "$build/host" --output-on-failure || status=1

echo "== win64 tests under wine64"
build_win64="$build/win64"
# shellcheck source=wine-session.sh
source "$root/scripts/wine-session.sh"
ctest --test-dir "$build/win64" --output-on-failure --timeout 900 || status=1

exit $status
