#!/usr/bin/env bash
# Builds Tidemark (win64) and starts it under wine64 on the current display.
# Without a display it runs the demonstration instead, on a private Xvfb
# display: a simulated installation removed by the real program, printed
# before and after, with a screenshot of the window at the end.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIDEMARK_BUILD_DIR:-$root/build}
headless=0
[ -n "${DISPLAY:-}" ] || headless=1

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ "$headless" = 0 ]; then
  cmake --build "$build/win64" -j "$(nproc)" --target Tidemark
else
  cmake --build "$build/win64" -j "$(nproc)" --target Tidemark tidemark_demo tidemark_test_sleeper
fi

build_win64="$build/win64"
# shellcheck source=wine-session.sh
source "$root/scripts/wine-session.sh"

if [ "$headless" = 0 ]; then
  echo "Starting Tidemark on display $DISPLAY (prefix $WINEPREFIX)"
  "$WINE64_LOADER" "$build/win64/Tidemark.exe" "$@" >>"$wine_session_log" 2>&1 </dev/null
  exit 0
fi

echo "No display: running the demonstration on $DISPLAY (prefix $WINEPREFIX)"
flag="$build_win64/demo-ready.flag"
screenshot="$build_win64/demo-screenshot.png"
demo_output="$build_win64/demo-output.txt"
rm -f "$flag" "$screenshot"
# The demo writes the flag when the run is over and waits for it to go; the
# screenshot is taken in between, while the window shows the status list.
# Its output goes to a file: a pipe would be held open by Wine's services.
"$build_win64/wine-run.sh" "$build_win64/tests/tidemark_demo.exe" "Z:${flag//\//\\}" >"$demo_output" 2>&1 &
demo=$!
for _ in $(seq 600); do
  [ -e "$flag" ] && break
  kill -0 "$demo" 2>/dev/null || break
  sleep 0.2
done
took_screenshot=0
if [ -e "$flag" ]; then
  import -window root "$screenshot" && took_screenshot=1
  rm -f "$flag"
fi
demo_rc=0
wait "$demo" || demo_rc=$?
cat "$demo_output"
if [ "$took_screenshot" = 1 ]; then
  echo "Screenshot: $screenshot"
else
  echo "No screenshot was taken."
fi
exit "$demo_rc"
