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
verdict="$program_build/demo-exit-code.txt"
screenshot="$program_build/demo-screenshot.png"
demo_output="$program_build/demo-output.txt"
rm -f "$flag" "$verdict" "$screenshot" "$demo_output"
windows_path() { echo "Z:${1//\//\\}"; }
# The demo runs in a Wine virtual desktop, where Wine draws the title bars
# (Xvfb has no window manager to draw them); Tidemark.exe, its child, opens
# there too. The desktop does not pass the demo's exit code on, so the demo
# writes it to a file. The demo writes the flag (the window's rectangle on
# the desktop) when the run is over and waits for it to go; the screenshot
# is taken in between, while the window shows the status list. Its output
# goes to a file: a pipe would be held open by Wine's services.
desktop_name=TidemarkDemo
"$WINE64_LOADER" explorer "/desktop=$desktop_name,1024x768" "$program_build/tests/tidemark_demo.exe" \
  --screenshot-flag "$(windows_path "$flag")" --exit-code "$(windows_path "$verdict")" \
  >"$demo_output" 2>&1 </dev/null &
desktop=$!
# Bounded: 10 minutes for a cold prefix and a slow machine.
for _ in $(seq 3000); do
  [ -e "$flag" ] || [ -e "$verdict" ] && break
  kill -0 "$desktop" 2>/dev/null || break
  sleep 0.2
done
screenshot_problem="the demonstration ended before its window could be taken"
if [ -e "$flag" ]; then
  geometry=$(cat "$flag")
  # The desktop is an X window of its own; the program's window is inside
  # it, at the rectangle that the demo read from Windows.
  desktop_window=$(xdotool search --name "^$desktop_name - Wine desktop\$" | head -n 1 || true)
  if [ -z "$desktop_window" ]; then
    screenshot_problem="no X window named \"$desktop_name - Wine desktop\" was found"
  elif ! [[ "$geometry" =~ ^[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+$ ]]; then
    screenshot_problem="the demo gave no window rectangle (\"$geometry\")"
  elif import -window "$desktop_window" -crop "$geometry" +repage "$screenshot"; then
    screenshot_problem=""
  else
    screenshot_problem="ImageMagick's import failed"
  fi
  rm -f "$flag"
fi
for _ in $(seq 600); do
  [ -e "$verdict" ] && break
  kill -0 "$desktop" 2>/dev/null || break
  sleep 0.2
done
# The desktop ends once its last program has; a demo that it outlived by
# the bound is ended with the session.
demo_rc=$(cat "$verdict" 2>/dev/null || true)
# Wine writes the ANSI code page (949) with CR LF line ends.
iconv -f CP949 -t UTF-8 -c "$demo_output" | tr -d '\r'
if [ -z "$screenshot_problem" ]; then
  echo "Screenshot of the window ($geometry on the desktop): $screenshot"
else
  echo "No screenshot was taken: $screenshot_problem." >&2
fi
case "$demo_rc" in
  0) ;;
  [0-9]*) echo "error: the demonstration failed (exit code $demo_rc)" >&2; exit 1 ;;
  *) echo "error: the demonstration ended without a verdict; Wine's log is $wine_session_log" >&2; exit 1 ;;
esac
[ -z "$screenshot_problem" ] || exit 1
