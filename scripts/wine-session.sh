# Sourced by run.sh, test.sh and bench.sh: a display and a Wine prefix for
# the Windows builds. Expects $wine_session_dir to name a build folder, where
# the session's log and (unless TIDEMARK_WINEPREFIX names another) the
# prefix live. Starts Xvfb when no display is given, prepares the prefix
# once, and stops both when the calling script exits.
#
# Sets TIDEMARK_RUNS_32BIT to 1 when this machine runs 32-bit programs (the
# shipped Tidemark.exe among them), 0 when its kernel refuses them.

export WINE64_LOADER=/usr/lib/wine/wine64
export WINE32_LOADER=/usr/lib/wine/wine
export WINESERVER=/usr/lib/wine/wineserver64
export WINEPREFIX="${TIDEMARK_WINEPREFIX:-$wine_session_dir/wineprefix}"
export TIDEMARK_WINEPREFIX="$WINEPREFIX"
export WINEDEBUG=-all
export LANG=ko_KR.UTF-8
# Wine takes its ANSI code page from the locale variables; LC_ALL wins over
# any LC_* the caller has set. (The Linux locale itself need not exist.)
{ export LC_ALL=ko_KR.UTF-8; } 2>/dev/null

wine_session_log="$wine_session_dir/wine-session.log"
mkdir -p "$wine_session_dir"
: >"$wine_session_log"

# A caller with more to clean up defines wine_session_then_cleanup before
# sourcing this; it runs after the session's processes have gone.
wine_session_cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "${wine_session_xvfb:-}" ]; then kill "$wine_session_xvfb" 2>/dev/null || true; fi
  if declare -F wine_session_then_cleanup >/dev/null; then wine_session_then_cleanup; fi
}
trap wine_session_cleanup EXIT

# The 32-bit loader is an i386 Linux program: it starts only where the
# kernel runs 32-bit programs, and then Wine runs 32-bit Windows programs.
export TIDEMARK_RUNS_32BIT=0
if [ -x "$WINE32_LOADER" ] && "$WINE32_LOADER" --version >>"$wine_session_log" 2>&1 </dev/null; then
  TIDEMARK_RUNS_32BIT=1
fi

if [ -z "${DISPLAY:-}" ] || [ "${TIDEMARK_OWN_DISPLAY:-0}" = 1 ]; then
  display_number=99
  while [ -e "/tmp/.X${display_number}-lock" ]; do display_number=$((display_number + 1)); done
  Xvfb ":${display_number}" -screen 0 1280x1024x24 -nolisten tcp >>"$wine_session_log" 2>&1 &
  wine_session_xvfb=$!
  export DISPLAY=":${display_number}"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display_number}" ] && break; sleep 0.1; done
fi

# A prefix that a 64-bit-only Wine made has no 32-bit side, and a later Wine
# with wine32 only patches it up: such a prefix is made anew rather than
# half used. The marker records a prefix that was made as a WoW64 prefix.
wow64_marker="$WINEPREFIX/.tidemark-wow64"
if [ "$TIDEMARK_RUNS_32BIT" = 1 ] && [ -d "$WINEPREFIX" ] && [ ! -e "$wow64_marker" ]; then
  echo "recreating the Wine prefix $WINEPREFIX: it was made without 32-bit support"
  "$WINESERVER" -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
fi

# Preparing a fresh prefix takes a while; do it once, with the output going
# to a file (Wine's services inherit it and would hold a pipe open).
mkdir -p "$WINEPREFIX"
"$WINE64_LOADER" wineboot -i >>"$wine_session_log" 2>&1 </dev/null
if [ "$TIDEMARK_RUNS_32BIT" = 1 ]; then
  if [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
    echo "error: the Wine prefix $WINEPREFIX has no syswow64 although 32-bit programs run here" >&2
    exit 1
  fi
  touch "$wow64_marker"
fi
# Keep one server for the whole session rather than one per test program.
"$WINESERVER" -p >>"$wine_session_log" 2>&1 </dev/null || true
