# Sourced by run.sh, test.sh and bench.sh: a display and a Wine prefix for
# the Windows builds. Expects $wine_session_dir to name a build folder, where
# the session's log and (unless TIDEMARK_WINEPREFIX names another) the
# prefix live. Starts Xvfb when no display is given, prepares the prefix
# once, and stops both when the calling script exits.
#
# Sets TIDEMARK_RUNS_32BIT to 1 when this machine runs 32-bit programs (the
# shipped Tidemark.exe among them), 0 when its kernel refuses them, and
# WINE64_LOADER, WINE32_LOADER and WINESERVER (from cmake/wine-paths.sh).
# Exits with a message when Wine or the display cannot be had.

# shellcheck source=../cmake/wine-paths.sh
source "$(dirname "${BASH_SOURCE[0]}")/../cmake/wine-paths.sh"
tidemark_wine_check || exit 1
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
  if ! command -v Xvfb >/dev/null; then
    echo "error: no display (DISPLAY is not set) and no Xvfb to make one (install Debian's xvfb package)" >&2
    exit 1
  fi
  Xvfb ":${display_number}" -screen 0 1280x1024x24 -nolisten tcp >>"$wine_session_log" 2>&1 &
  wine_session_xvfb=$!
  export DISPLAY=":${display_number}"
  # The server is up once it listens on its socket; a server that has
  # ended (another one took the number first, say) will never be.
  wine_session_display_up=0
  for _ in $(seq 100); do
    if [ -S "/tmp/.X11-unix/X${display_number}" ]; then wine_session_display_up=1; break; fi
    kill -0 "$wine_session_xvfb" 2>/dev/null || break
    sleep 0.1
  done
  if [ "$wine_session_display_up" != 1 ]; then
    if kill -0 "$wine_session_xvfb" 2>/dev/null; then
      echo "error: Xvfb did not open display $DISPLAY within 10 seconds" >&2
    else
      echo "error: Xvfb ended without opening display $DISPLAY" >&2
    fi
    echo "the last lines of $wine_session_log:" >&2
    tail -n 5 "$wine_session_log" >&2
    exit 1
  fi
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

# One server for the whole session rather than one per test program, started
# before any program: a server that a program starts itself ends a moment
# after the last program of the prefix, and ends Wine's services with it,
# so a test starting at that moment lost its connection ("recvmsg:
# Connection reset by peer"). A server already running is left as it is.
mkdir -p "$WINEPREFIX"
tidemark_on_wine_cpu "$WINESERVER" -p >>"$wine_session_log" 2>&1 </dev/null || true

# Preparing a fresh prefix takes a while; do it once, with the output going
# to a file (Wine's services inherit it and would hold a pipe open).
if ! tidemark_on_wine_cpu "$WINE64_LOADER" wineboot -i >>"$wine_session_log" 2>&1 </dev/null; then
  echo "error: Wine could not prepare the prefix $WINEPREFIX; the last lines of $wine_session_log:" >&2
  tail -n 5 "$wine_session_log" >&2
  exit 1
fi
if [ "$TIDEMARK_RUNS_32BIT" = 1 ]; then
  if [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
    echo "error: the Wine prefix $WINEPREFIX has no syswow64 although 32-bit programs run here" >&2
    exit 1
  fi
  touch "$wow64_marker"
fi
