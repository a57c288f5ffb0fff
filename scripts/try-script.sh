#!/usr/bin/env bash
# A sandbox trial of a removal script: proof that the program built with it
# removes what the script names, and nothing else.
#
#   scripts/try-script.sh [--keep] [--hold-files] SCRIPT
#
# Builds a Tidemark.exe that embeds SCRIPT (through the build's script check),
# makes a throwaway WoW64 Wine prefix whose shell folders are plain folders
# (in a default prefix they lead into the Linux home, and the trial must never
# touch host files) and which has no drive but C:, seeds there what the
# script names with a near miss beside each entry, prints the preview, takes a
# snapshot, presses Start in the real program, takes another snapshot and
# judges the run: one line per entry (removed, left, refused, nothing to do),
# one line per change outside what the script names, and last
# "N removed, M left, K changed outside the script". When the run leaves
# deletions for the next restart (its last line says so, or Windows' list of
# them is not empty), the trial restarts the sandbox after that snapshot and
# takes a third; an entry whose target went only then is "removed at
# restart", and counts as removed. Exits with 0 only when M and K are 0. The
# prefix and its processes go at the end, also when the trial is
# interrupted; --keep leaves the prefix for a look. --hold-files has another
# program hold each file seeded for [FILE] open without delete sharing, as a
# browser holds its add-on's DLL: the run can only schedule those for the
# restart.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIDEMARK_BUILD_DIR:-$root/build}

keep=0
seed_options=()
while [ $# -gt 1 ]; do
  case "$1" in
    --keep) keep=1 ;;
    --hold-files) seed_options+=(--hold-files) ;;
    *) break ;;
  esac
  shift
done
if [ $# -ne 1 ]; then
  echo "usage: scripts/try-script.sh [--keep] [--hold-files] SCRIPT" >&2
  exit 2
fi
if [ ! -f "$1" ]; then
  echo "try-script: $1 is no file" >&2
  exit 2
fi
script=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")

"$root/scripts/install-deps.sh"

# The shipped 32-bit build where this machine runs 32-bit programs (as the
# Wine session finds out below, with the same loader).
trial_build="$build/try-script"
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1 </dev/null; then
  preset=win32
else
  echo "NOT RUN: this machine's kernel cannot run 32-bit programs; the trial uses the win64 build instead of the shipped one"
  preset=win64
fi

echo "== building Tidemark.exe with $script"
program_build="$trial_build/$preset"
mkdir -p "$trial_build"
if ! cmake --preset "$preset" -S "$root" -B "$program_build" -DTIDEMARK_TESTS=OFF "-DTIDEMARK_SCRIPT=$script" >"$trial_build/configure.log" 2>&1; then
  cat "$trial_build/configure.log"
  echo "try-script: the build cannot take $script" >&2
  exit 1
fi
if ! cmake --build "$program_build" -j "$(nproc)" --target Tidemark tidemark_preview tidemark_capture tidemark_trial >"$trial_build/build.log" 2>&1; then
  # The script check's findings name the lines; the compiler's output is in the log.
  grep -E ':[0-9]+: (error|warning|note):|refused' "$trial_build/build.log" || tail -20 "$trial_build/build.log"
  echo "try-script: the build refused $script" >&2
  exit 1
fi

# The sandbox: a fresh prefix of its own, never the tests' one.
sandbox=$(mktemp -d "$trial_build/sandbox.XXXXXX")
trap 'rm -rf "$sandbox"' EXIT
export TIDEMARK_WINEPREFIX="$sandbox/prefix"
wine_session_dir="$sandbox"
# The session's exit handler ends the sandbox's processes, then this
# removes the prefix; an interruption (Ctrl+C) ends the script through it.
wine_session_then_cleanup() {
  "$WINESERVER" -w >/dev/null 2>&1 || true
  if [ "$keep" = 1 ]; then
    echo "The trial's prefix stays: $TIDEMARK_WINEPREFIX"
  else
    rm -rf "$sandbox"
  fi
}
# Wine programs take Ctrl+C as their console's and may go on, and so would
# this script after them: the signal is noted and the trial stops after the
# step it came in.
interrupted=0
trap 'interrupted=1' INT TERM
stop_if_interrupted() {
  if [ "$interrupted" = 1 ]; then
    echo "try-script: interrupted; removing the sandbox" >&2
    exit 130
  fi
}
# shellcheck source=wine-session.sh
source "$root/scripts/wine-session.sh"
stop_if_interrupted

# Plain folders for every link that Wine made into the Linux home, and no
# drive but C: (Z: is the Linux root). Wine's own processes of the session
# (the desktop's explorer among them) are ended first and started again after,
# so that none of them holds on to the old layout.
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w >/dev/null 2>&1 || true
drive_c="$WINEPREFIX/drive_c"
while IFS= read -r -d '' link; do
  rm -f "$link"
  mkdir -p "$link"
done < <(find "$drive_c/users" -type l -print0)
find "$WINEPREFIX/dosdevices" -mindepth 1 -maxdepth 1 ! -name 'c:' -exec rm -f {} +
"$WINESERVER" -p >/dev/null 2>&1 </dev/null || true

work="$drive_c/tidemark-trial"
mkdir -p "$work"
cp "$program_build/Tidemark.exe" "$program_build/tidemark-preview.exe" "$program_build/tidemark-capture.exe" \
   "$program_build/tidemark-trial.exe" "$work/"
cp "$script" "$work/script.ini"
win_work='C:\tidemark-trial'

# Runs a program of the trial folder inside the sandbox, its output in the
# terminal's UTF-8 (a pipe would be held open by Wine's services).
cd "$work"
in_sandbox() {
  local out="$sandbox/out.txt" err="$sandbox/err.txt" rc=0
  "$WINE64_LOADER" "$win_work\\$1" "${@:2}" >"$out" 2>"$err" </dev/null || rc=$?
  iconv -f CP949 -t UTF-8 -c "$out" | tr -d '\r'
  iconv -f CP949 -t UTF-8 -c "$err" | tr -d '\r' | grep -v '^\(registry keys\|folders\):' >&2 || true
  stop_if_interrupted
  return $rc
}

echo "== seeding what the script names, and a near miss beside each"
in_sandbox tidemark-trial.exe seed "$win_work\\script.ini" "$win_work\\processes" "${seed_options[@]}"
echo "== the preview"
in_sandbox tidemark-preview.exe --exe "$win_work\\Tidemark.exe" || true
echo "== before the run"
in_sandbox tidemark-capture.exe snapshot "$win_work\\before.snap" --files-below 'C:\'
echo "== Start"
# The program's status list, then how the run ended and how many file
# operations wait for the restart.
started="$sandbox/start.txt"
if ! in_sandbox tidemark-trial.exe start "$win_work\\Tidemark.exe" >"$started"; then
  cat "$started"
  echo "try-script: the run did not end" >&2
  exit 1
fi
cat "$started"
echo "== after the run"
in_sandbox tidemark-capture.exe snapshot "$win_work\\after.snap" --files-below 'C:\'
report_options=()
if grep -qx 'the run ended: complete at the restart' "$started" ||
   grep -q '^file operations pending for the restart: ' "$started"; then
  # As Windows does at a restart: every process of the sandbox ends, then
  # the session manager's deletions are carried out, in their order.
  echo "== restarting the sandbox"
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  stop_if_interrupted
  if ! "$WINE64_LOADER" wineboot -r >>"$wine_session_log" 2>&1 </dev/null; then
    stop_if_interrupted
    tail -20 "$wine_session_log"
    echo "try-script: the restart of the sandbox failed" >&2
    exit 1
  fi
  stop_if_interrupted
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null || true
  echo "== after the restart"
  in_sandbox tidemark-capture.exe snapshot "$win_work\\restarted.snap" --files-below 'C:\'
  report_options+=(--restarted "$win_work\\restarted.snap")
fi
if [ -e "$WINEPREFIX/dosdevices/z:" ]; then
  echo "try-script: Wine gave the sandbox a Z: drive again during the trial" >&2
  exit 1
fi
echo "== the verdict"
in_sandbox tidemark-trial.exe report "$win_work\\script.ini" "$win_work\\before.snap" "$win_work\\after.snap" \
  "${report_options[@]}" --ignore "$win_work" --name "$1"
