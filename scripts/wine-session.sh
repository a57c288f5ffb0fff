# Sourced by run.sh and test.sh: a display and a Wine prefix for the win64
# build. Expects $build_win64 to name the win64 build folder.
# Starts Xvfb when no display is given, prepares the prefix once, and stops
# both when the calling script exits.

export WINE64_LOADER=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64
export WINEPREFIX="${TIDEMARK_WINEPREFIX:-$build_win64/wineprefix}"
export TIDEMARK_WINEPREFIX="$WINEPREFIX"
export WINEDEBUG=-all
export LANG=ko_KR.UTF-8
# Wine takes its ANSI code page from the locale variables; LC_ALL wins over
# any LC_* the caller has set. (The Linux locale itself need not exist.)
{ export LC_ALL=ko_KR.UTF-8; } 2>/dev/null

wine_session_log="$build_win64/wine-session.log"
: >"$wine_session_log"

wine_session_cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "${wine_session_xvfb:-}" ]; then kill "$wine_session_xvfb" 2>/dev/null || true; fi
}
trap wine_session_cleanup EXIT

if [ -z "${DISPLAY:-}" ] || [ "${TIDEMARK_OWN_DISPLAY:-0}" = 1 ]; then
  display_number=99
  while [ -e "/tmp/.X${display_number}-lock" ]; do display_number=$((display_number + 1)); done
  Xvfb ":${display_number}" -screen 0 1280x1024x24 -nolisten tcp >>"$wine_session_log" 2>&1 &
  wine_session_xvfb=$!
  export DISPLAY=":${display_number}"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display_number}" ] && break; sleep 0.1; done
fi

# Preparing a fresh prefix takes a while; do it once, with the output going
# to a file (Wine's services inherit it and would hold a pipe open).
mkdir -p "$WINEPREFIX"
"$WINE64_LOADER" wineboot -i >>"$wine_session_log" 2>&1 </dev/null
# Keep one server for the whole session rather than one per test program.
"$WINESERVER" -p >>"$wine_session_log" 2>&1 </dev/null || true
