#!/usr/bin/env bash
# Builds the shipped 32-bit Tidemark.exe and starts it under Wine (in a WoW64
# prefix, as on the 64-bit Windows of its users) on the current display.
# Without a display it runs the demonstration instead, on a private Xvfb
# display: a simulated installation removed by the real program, printed
# before and after, with a screenshot of the window at the end.
# Where this machine's kernel cannot run 32-bit programs, the win64 build
# stands in, and the script says so.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIDEMARK_BUILD_DIR:-$root/build}
headless=0
[ -n "${DISPLAY:-}" ] || headless=1

"$root/scripts/install-deps.sh"

wine_session_dir="$build"
# shellcheck source=wine-session.sh
source "$root/scripts/wine-session.sh"

if [ "$TIDEMARK_RUNS_32BIT" = 1 ]; then
  program_build="$build/win32"
  cmake --preset win32 -S "$root" -B "$program_build" >/dev/null
else
  echo "NOT RUN: this machine's kernel cannot run 32-bit programs; starting the win64 build instead of the shipped Tidemark.exe"
  program_build="$build/win64"
  cmake --preset win64 -S "$root" -B "$program_build" >/dev/null
fi
if [ "$headless" = 0 ]; then
  cmake --build "$program_build" -j "$(nproc)" --target Tidemark
else
  cmake --build "$program_build" -j "$(nproc)" --target Tidemark tidemark_demo tidemark_test_sleeper
fi

if [ "$headless" = 0 ]; then
  echo "Starting $program_build/Tidemark.exe on display $DISPLAY (prefix $WINEPREFIX)"
  "$WINE64_LOADER" "$program_build/Tidemark.exe" "$@" >>"$wine_session_log" 2>&1 </dev/null
  exit 0
fi

echo "No display: running the demonstration with $program_build/Tidemark.exe on $DISPLAY (prefix $WINEPREFIX)"
flag="$program_build/demo-ready.flag"
screenshot="$program_build/demo-screenshot.png"
demo_output="$program_build/demo-output.txt"
rm -f "$flag" "$screenshot"
# The demo writes the flag when the run is over and waits for it to go; the
# screenshot is taken in between, while the window shows the status list.
# Its output goes to a file: a pipe would be held open by Wine's services.
"$program_build/wine-run.sh" "$program_build/tests/tidemark_demo.exe" "Z:${flag//\//\\}" >"$demo_output" 2>&1 &
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
