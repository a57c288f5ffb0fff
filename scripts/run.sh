#!/usr/bin/env bash
# Builds Tidemark (win64) and starts it under wine64. Uses the current
# display when there is one, otherwise a private Xvfb display.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIDEMARK_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/win64" -j "$(nproc)" --target Tidemark

build_win64="$build/win64"
# shellcheck source=wine-session.sh
source "$root/scripts/wine-session.sh"
echo "Starting Tidemark on display $DISPLAY (prefix $WINEPREFIX)"
"$WINE64_LOADER" "$build/win64/Tidemark.exe" "$@" >>"$wine_session_log" 2>&1 </dev/null
