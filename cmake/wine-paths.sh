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
