# Where the Wine programs are: the one place that says so, sourced (POSIX sh)
# by scripts/wine-session.sh and by every build's wine-run.sh.
#
# Debian 12's wine64 package puts its loader and server in Wine's library
# folder, not on PATH, and wine32:i386 puts the 32-bit loader beside them
# (`dpkg -L wine64 wine32:i386`). TIDEMARK_WINE_DIR names another folder of
# the same layout (a Wine built from source, say).
#
# Sets and exports WINE64_LOADER, WINE32_LOADER and WINESERVER (Wine itself
# reads WINESERVER to find its server).
tidemark_wine_dir=${TIDEMARK_WINE_DIR:-/usr/lib/wine}
WINE64_LOADER="$tidemark_wine_dir/wine64"
WINE32_LOADER="$tidemark_wine_dir/wine"
WINESERVER="$tidemark_wine_dir/wineserver64"
export WINE64_LOADER WINE32_LOADER WINESERVER

# Prints why Wine cannot run and returns 1 when the 64-bit loader or the
# server is missing; the 32-bit loader is optional (see TIDEMARK_RUNS_32BIT).
tidemark_wine_check() {
  for tidemark_wine_program in "$WINE64_LOADER" "$WINESERVER"; do
    if [ ! -x "$tidemark_wine_program" ]; then
      echo "error: no Wine program at $tidemark_wine_program (install Debian's wine64 package," \
        "or set TIDEMARK_WINE_DIR to the folder that holds wine64 and wineserver64)" >&2
      return 1
    fi
  done
}

# Every Wine program of a prefix asks its server for each registry, handle
# and wait call, and each call wakes the other side. On these two-core
# virtual machines a wake-up across cores costs 30 to 100 microseconds, one
# on the same core a few: a snapshot of the registry (17,000 keys) took 8 s
# spread over both cores and 0.8 s on one. A caller that sets
# TIDEMARK_WINE_ONE_CORE=1 (the sandbox trial) has every Wine program, and
# with the first of them the server, started on one core: the first this
# shell may use (an already pinned caller keeps its core). Programs that
# Wine starts, its services among them, inherit it. The tests keep Wine's
# own scheduling, the one their waits were made with (on one core they
# took a fifth less time).
tidemark_wine_cpu=
if [ "${TIDEMARK_WINE_ONE_CORE:-0}" = 1 ] && command -v taskset >/dev/null 2>&1; then
  tidemark_wine_cpu=$(sed -n 's/^Cpus_allowed_list:[[:space:]]*\([0-9][0-9]*\).*/\1/p' /proc/self/status 2>/dev/null)
  if [ -n "$tidemark_wine_cpu" ] && ! taskset -c "$tidemark_wine_cpu" true >/dev/null 2>&1; then
    tidemark_wine_cpu=
  fi
fi

# tidemark_on_wine_cpu COMMAND...: runs COMMAND (a Wine loader or server)
# on that core; without one, as it is.
tidemark_on_wine_cpu() {
  if [ -n "$tidemark_wine_cpu" ]; then
    taskset -c "$tidemark_wine_cpu" "$@"
  else
    "$@"
  fi
}
