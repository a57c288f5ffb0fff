#!/usr/bin/env bash
# A sandbox trial of a removal script: proof that a Tidemark.exe carrying it
# removes what the script names, and nothing else.
#
#   scripts/try-script.sh [--keep] [--hold-files] SCRIPT
#
# Puts SCRIPT into a copy of the shipped build's Tidemark.exe with
# tidemark-pack (which checks it first: a refused script stops here, with the
# checker's findings), copies a clean WoW64 Wine prefix whose shell folders
# are plain folders (in a default prefix they lead into the Linux home, and
# the trial must never touch host files) and which has no drive but C:,
# seeds there what the script names with a near miss beside each entry,
# prints the preview, takes a snapshot, presses Start in the real program,
# takes another snapshot and judges the run: one line per entry (removed,
# left, refused, nothing to do), one line per change outside what the script
# names, and last "N removed, M left, K changed outside the script". When the
# run leaves deletions for the next restart (its last line says so, or
# Windows' list of them is not empty), the trial restarts the sandbox after
# that snapshot and takes a third; an entry whose target went only then is
# "removed at restart", and counts as removed. Exits with 0 only when M and K
# are 0. The prefix and its processes go at the end, also when the trial is
# interrupted; --keep leaves the prefix for a look. --hold-files has another
# program hold each file seeded for [FILE] open without delete sharing, as a
# browser holds its add-on's DLL: the run can only schedule those for the
# restart.
#
# The programs come from the build folder's win32 and host builds, built here
# only when they are missing or older than their sources; the clean prefix is
# made by the first trial of a build folder and copied by every later one.
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
# As the author named it, for the findings and the verdict; tidemark-pack
# would take a name starting with "-" for an option.
script_name=$1
case "$script_name" in -*) script_name=./$script_name ;; esac

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
mkdir -p "$trial_build"

# The sandbox: a folder for the trial's files and a copy of a clean prefix
# that the first trial of this build folder made (below). The prefix lives in
# memory where there is room (/dev/shm, a tmpfs): copying and removing its
# 1.3 GB there takes a fraction of the time on disk, and it never outlives
# the trial. The copy starts now, to run beside the builds.
template="$trial_build/prefix-template"
template_marker=.tidemark-template
# What the marker holds: a template of another make is made again.
template_make="unmanaged windows"
sandbox=$(mktemp -d "$trial_build/sandbox.XXXXXX")
prefix_home=
copying=

# One clean-up for every way out, whether or not the Wine session has begun:
# until then it is the EXIT trap itself; sourcing wine-session.sh replaces
# that trap with the session's, which ends the sandbox's processes and then
# calls this hook by name. It may run twice (a session script that chains
# traps); the second time finds nothing to do.
cleaned_up=0
wine_session_then_cleanup() {
  [ "$cleaned_up" = 0 ] || return 0
  cleaned_up=1
  # A background command ignores Ctrl+C: the copy is ended here.
  if [ -n "$copying" ]; then
    kill "$copying" 2>/dev/null || true
    wait "$copying" 2>/dev/null || true
  fi
  if [ -n "${WINESERVER:-}" ] && [ -n "$prefix_home" ] && [ -d "$prefix_home/prefix" ]; then
    WINEPREFIX="$prefix_home/prefix" "$WINESERVER" -k >/dev/null 2>&1 || true
    WINEPREFIX="$prefix_home/prefix" "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
  if [ "$keep" = 1 ] && [ -n "$prefix_home" ] && [ -d "$prefix_home/prefix" ]; then
    echo "The trial's prefix stays: $prefix_home/prefix"
  else
    if [ -n "$prefix_home" ] && [ "$prefix_home" != "$sandbox" ]; then
      rm -rf "$prefix_home" || echo "try-script: $prefix_home could not be removed" >&2
    fi
    rm -rf "$sandbox" || echo "try-script: $sandbox could not be removed" >&2
  fi
}
trap wine_session_then_cleanup EXIT
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

if [ "$(stat -f -c %T /dev/shm 2>/dev/null)" = tmpfs ] && [ -w /dev/shm ] &&
   [ "$(df --output=avail -B 1G /dev/shm 2>/dev/null | tail -n 1 | tr -d ' ')" -ge 4 ] 2>/dev/null; then
  prefix_home=$(mktemp -d /dev/shm/tidemark-trial.XXXXXX)
else
  prefix_home=$sandbox
fi
prefix="$prefix_home/prefix"
echo "== the sandbox's prefix: $prefix"
if [ -e "$template/$template_marker" ]; then
  cp -a "$template" "$prefix" &
  copying=$!
fi

# build_targets FOLDER PRESET OUTPUT... -- TARGET...: builds the targets
# unless all their outputs exist and no source, build file or setting of
# FOLDER has changed since the last build of them here (make's own check of
# an unchanged tree takes a second or two, this one a few milliseconds); a
# build then decides file by file. FOLDER is configured with PRESET once.
# The mark of a build is the time it started: a file saved during the build
# is newer and brings the next one.
build_targets() {
  local folder=$1 preset=$2 log="$trial_build/$2-build.log" built="$trial_build/$2-built" outputs_there=1
  shift 2
  while [ "$1" != -- ]; do
    [ -f "$folder/$1" ] || outputs_there=0
    shift
  done
  shift
  if [ "$outputs_there" = 1 ] && [ -f "$built" ] && [ -f "$folder/CMakeCache.txt" ] &&
     [ -z "$(find "$root/src" "$root/tools" "$root/res" "$root/cmake" "$root/CMakeLists.txt" \
               "$root/CMakePresets.json" "$folder/CMakeCache.txt" -newer "$built" -print -quit)" ]; then
    return 0
  fi
  : >"$built.next"
  echo "== building $* in $folder"
  : >"$log"
  if [ ! -f "$folder/CMakeCache.txt" ] &&
     ! cmake --preset "$preset" -S "$root" -B "$folder" >>"$log" 2>&1; then
    stop_if_interrupted
    tail -20 "$log"
    echo "try-script: the $preset build cannot be configured (log: $log)" >&2
    exit 1
  fi
  if ! cmake --build "$folder" -j "$(nproc)" --target "$@" >>"$log" 2>&1; then
    stop_if_interrupted
    grep -E ':[0-9]+: (error|warning|note):' "$log" || tail -20 "$log"
    echo "try-script: the $preset build failed (log: $log)" >&2
    exit 1
  fi
  mv -f "$built.next" "$built"
  stop_if_interrupted
}
program_build="$build/$preset"
build_targets "$program_build" "$preset" Tidemark.exe tidemark-preview.exe tidemark-capture.exe tidemark-trial.exe \
  -- Tidemark tidemark_preview tidemark_capture tidemark_trial
build_targets "$build/host" host tidemark-pack -- tidemark_pack

# The checker's findings, if any, come from tidemark-pack itself; its exit
# code says whether the script was taken.
echo "== packing $script_name into the shipped Tidemark.exe"
pack_rc=0
"$build/host/tidemark-pack" --from "$program_build/Tidemark.exe" -o "$sandbox/Tidemark.exe" "$script_name" ||
  pack_rc=$?
stop_if_interrupted
if [ "$pack_rc" != 0 ]; then
  echo "try-script: $script_name was refused (tidemark-pack exited with $pack_rc); nothing was tried" >&2
  exit $((pack_rc == 2 ? 2 : 1))
fi

if [ -n "$copying" ]; then
  copy_rc=0
  wait "$copying" || copy_rc=$?
  # A Ctrl+C ends the wait, not the copy: the clean-up ends that.
  stop_if_interrupted
  copying=
  if [ "$copy_rc" != 0 ]; then
    echo "try-script: the clean prefix $template could not be copied" >&2
    exit 1
  fi
else
  echo "== making the clean prefix (the first trial of this build folder)"
fi

# Without a copy, the session makes a new prefix in the sandbox. Its Wine
# programs share one core (see cmake/wine-paths.sh): the snapshots take a
# tenth of the time.
export TIDEMARK_WINEPREFIX="$prefix"
export TIDEMARK_WINE_ONE_CORE=1
wine_session_dir="$sandbox"
# shellcheck source=wine-session.sh
source "$root/scripts/wine-session.sh"
stop_if_interrupted

drive_c="$WINEPREFIX/drive_c"
# Links that Wine made into the Linux home, and drives other than C: (Z: is
# the Linux root). Wine's boot adds a serial port's name (com1) to every
# prefix it starts; that one is not a drive.
layout_is_clean() {
  [ -z "$(find "$drive_c/users" -type l -print -quit)" ] &&
    [ -z "$(find "$WINEPREFIX/dosdevices" -mindepth 1 -maxdepth 1 -name '?:*' ! -name 'c:' -print -quit)" ]
}
# A copy that Wine's boot has just brought up to another Wine version, or
# of a template of another make, is cleaned and kept as the new template.
made_here=0
if [ ! -e "$WINEPREFIX/$template_marker" ] ||
   [ "$(cat "$WINEPREFIX/$template_marker")" != "$template_make" ] ||
   ! cmp -s "$WINEPREFIX/.update-timestamp" "$template/.update-timestamp"; then
  made_here=1
fi
if [ "$made_here" = 1 ] || ! layout_is_clean; then
  if [ "$made_here" = 1 ]; then
    # The sandbox's windows are Wine's own, not a window manager's. The
    # display has no window manager, and Wine's X11 driver waits 2 s for
    # one to confirm each managed window it hides: the program took 4 s to
    # end after its window was closed. (A virtual desktop would avoid the
    # wait too, but Wine rewrites the display adapter's registry key for
    # each program that joins one, a change outside the script.)
    if ! tidemark_on_wine_cpu "$WINE64_LOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
         >>"$wine_session_log" 2>&1 </dev/null; then
      echo "try-script: the sandbox's window setting cannot be made (log: $wine_session_log)" >&2
      exit 1
    fi
  fi
  # Plain folders for the links, and no drive but C:. Wine's own processes
  # of the session (the desktop's explorer among them) are ended first, so
  # that none of them holds on to the old layout, and so that nothing writes
  # to the prefix while it is copied as the template.
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  while IFS= read -r -d '' link; do
    rm -f "$link"
    mkdir -p "$link"
  done < <(find "$drive_c/users" -type l -print0)
  find "$WINEPREFIX/dosdevices" -mindepth 1 -maxdepth 1 ! -name 'c:' -exec rm -f {} +
  if [ "$made_here" = 1 ]; then
    echo "$template_make" >"$WINEPREFIX/$template_marker"
    # Published by a rename, so that a trial copies a whole template or
    # none; of two first trials at once, the second keeps its own to itself.
    cp -a "$WINEPREFIX" "$sandbox/template"
    if [ -d "$template" ]; then mv -T "$template" "$sandbox/stale-template" 2>/dev/null || true; fi
    mv -T "$sandbox/template" "$template" 2>/dev/null || true
  fi
  stop_if_interrupted
fi
tidemark_on_wine_cpu "$WINESERVER" -p >/dev/null 2>&1 </dev/null || true

work="$drive_c/tidemark-trial"
mkdir -p "$work"
mv "$sandbox/Tidemark.exe" "$work/Tidemark.exe"
cp "$program_build/tidemark-preview.exe" "$program_build/tidemark-capture.exe" "$program_build/tidemark-trial.exe" \
   "$work/"
cp "$script" "$work/script.ini"
win_work='C:\tidemark-trial'

# Runs a program of the trial folder inside the sandbox, its output in the
# terminal's UTF-8 (a pipe would be held open by Wine's services).
cd "$work"
in_sandbox() {
  local out="$sandbox/out.txt" err="$sandbox/err.txt" rc=0
  tidemark_on_wine_cpu "$WINE64_LOADER" "$win_work\\$1" "${@:2}" >"$out" 2>"$err" </dev/null || rc=$?
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
  # The session's kind of server again (see wine-session.sh), before the boot.
  tidemark_on_wine_cpu "$WINESERVER" -p >/dev/null 2>&1 </dev/null || true
  if ! tidemark_on_wine_cpu "$WINE64_LOADER" wineboot -r >>"$wine_session_log" 2>&1 </dev/null; then
    stop_if_interrupted
    tail -20 "$wine_session_log"
    echo "try-script: the restart of the sandbox failed" >&2
    exit 1
  fi
  stop_if_interrupted
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
