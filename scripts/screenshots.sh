#!/usr/bin/env bash
# Retakes the README's screenshots of the shipped Tidemark.exe: the main
# window as it opens (focus and default frame on Start), then the About
# window, both in a Wine virtual desktop on a private Xvfb display (Wine
# draws the title bars there). Writes docs/main-window.png and
# docs/about-window.png.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIDEMARK_BUILD_DIR:-$root/build}
exe="$build/win32/Tidemark.exe"
[ -f "$exe" ] || { echo "build the shipped Tidemark.exe first (scripts/test.sh)" >&2; exit 1; }

export TIDEMARK_OWN_DISPLAY=1
wine_session_dir="$build"
# shellcheck source=wine-session.sh
source "$root/scripts/wine-session.sh"

shot="$build/screenshot.png"
"$WINE64_LOADER" explorer /desktop=TidemarkShots,1024x768 "$exe" >>"$wine_session_log" 2>&1 </dev/null &

# The desktop is one colour around the window: trimming it leaves the window.
# Wait until two shots a moment apart agree (the window has painted).
window_geometry() {
  import -window root "$shot"
  convert "$shot" -crop 1024x768+0+0 +repage -trim -format '%wx%h%O' info: 2>/dev/null
}
previous="" geometry=""
for _ in $(seq 100); do
  sleep 0.3
  geometry=$(window_geometry)
  case "$geometry" in 1024x768*) previous=""; continue ;; esac
  [ -n "$previous" ] && [ "$geometry" = "$previous" ] && break
  previous=$geometry
done
convert "$shot" -crop 1024x768+0+0 +repage -trim +repage "$root/docs/main-window.png"
echo "docs/main-window.png: $geometry"

# The About window opens from the keyboard (Tab to About, Enter), centred on
# the main window; its outer size is its client size plus the same frame.
read -r width height left top < <(echo "$geometry" | sed -E 's/([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)/\1 \2 \3 \4/')
xdotool key Tab Return
sleep 2
about_width=$((225 + width - 491))
about_height=$((196 + height - 410))
about_left=$((left + (width - about_width) / 2))
about_top=$((top + (height - about_height) / 2))
import -window root "$shot"
convert "$shot" -crop "${about_width}x${about_height}+${about_left}+${about_top}" +repage "$root/docs/about-window.png"
echo "docs/about-window.png: ${about_width}x${about_height}+${about_left}+${about_top}"
rm -f "$shot"
