#!/usr/bin/env bash
# The sandbox trial on three scripts: the embedded one must come out with
# everything removed and nothing else changed, without a restart; one with a
# fault that the checker lets pass (a folder listed before its subfolder)
# must fail and name the line that left something behind; one whose file
# another program holds open must end with the restart line, and the trial
# must restart the sandbox and find the file and its folder gone; a file
# that is no script must end with a clear refusal, not a crash; and a trial
# interrupted with Ctrl+C during the run must stop and leave nothing behind.
# Every trial's prefix must be gone after it, and only the first trial of a
# build folder may make a prefix: the others copy the clean one it made.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIDEMARK_BUILD_DIR:-$root/build}
log="$build/try-script-test"
mkdir -p "$log"
status=0

fail() {
  echo "FAILED: $1 (output in $2)"
  status=1
}

# The sandbox's prefix of a trial, as its output names it.
prefix_of() { sed -n "s/^== the sandbox's prefix: //p" "$log/$1.txt"; }

# trial NAME [OPTION]... SCRIPT: runs it, keeping the output and the exit
# code; the trial's prefix must be gone after it, wherever it was made.
trial() {
  local rc=0 prefix
  "$root/scripts/try-script.sh" "${@:2}" >"$log/$1.txt" 2>&1 || rc=$?
  echo "$rc" >"$log/$1.rc"
  prefix=$(prefix_of "$1")
  if [ -z "$prefix" ]; then
    fail "the trial $1 did not say where its prefix is" "$log/$1.txt"
  elif [ -e "$prefix" ]; then
    fail "the trial $1 left its prefix $prefix behind" "$log/$1.txt"
  fi
}

# Every trial after the first of a build folder copies the clean prefix
# that the first one made.
copied_the_clean_prefix() {
  if grep -q '^== making the clean prefix' "$log/$1.txt"; then
    fail "the trial $1 made a prefix of its own instead of copying the clean one" "$log/$1.txt"
  fi
}

trial embedded "$root/res/default-script.ini"
if [ "$(cat "$log/embedded.rc")" != 0 ]; then fail "the trial of the embedded script did not pass" "$log/embedded.txt"; fi
if [ "$(tail -n 1 "$log/embedded.txt")" != "9 removed, 0 left, 0 changed outside the script" ]; then
  fail "the trial of the embedded script did not end with its nine entries removed" "$log/embedded.txt"
fi
if grep -q ': left: \|outside the script: ' "$log/embedded.txt"; then
  fail "the trial of the embedded script left something or changed something else" "$log/embedded.txt"
fi
if ! grep -qx 'the run ended: complete' "$log/embedded.txt" || grep -q '^== restarting' "$log/embedded.txt"; then
  fail "the run of the embedded script did not complete at once, or the trial restarted" "$log/embedded.txt"
fi

faulty="$root/tests/trial-scripts/path-order.ini"
trial faulty "$faulty"
copied_the_clean_prefix faulty
if [ "$(cat "$log/faulty.rc")" != 1 ]; then fail "the trial of the faulty script did not fail" "$log/faulty.txt"; fi
if ! grep -qF "$faulty:13: left: [PATH] %PROGRAM_FILES%\\trialfault " "$log/faulty.txt"; then
  fail "the trial of the faulty script did not name line 13 as the one that left its folder" "$log/faulty.txt"
fi
if [ "$(tail -n 1 "$log/faulty.txt")" != "4 removed, 1 left, 0 changed outside the script" ]; then
  fail "the trial of the faulty script counted otherwise" "$log/faulty.txt"
fi
# Nothing is scheduled: the folder stays for good, and the program says so.
if ! grep -qx 'the run ended: not complete' "$log/faulty.txt" || grep -q '^== restarting' "$log/faulty.txt"; then
  fail "the run of the faulty script did not end as not complete, or the trial restarted" "$log/faulty.txt"
fi

held="$root/tests/trial-scripts/held-file.ini"
trial held --hold-files "$held"
copied_the_clean_prefix held
if [ "$(cat "$log/held.rc")" != 0 ]; then fail "the trial of the held file did not pass" "$log/held.txt"; fi
if ! grep -q '^line 10: seeded file .*, held open by another program$' "$log/held.txt"; then
  fail "the seeding did not hold the file open" "$log/held.txt"
fi
# The program's own last line, as the status list shows it, then the trial's
# reading of it.
if ! grep -B1 -x 'the run ended: complete at the restart' "$log/held.txt" |
    grep -qxF '  컴퓨터를 다시 시작하면 프로그램 제거가 완료됩니다.'; then
  fail "the run of the held file did not end with the restart line" "$log/held.txt"
fi
if ! grep -qx '== restarting the sandbox' "$log/held.txt"; then
  fail "the trial did not restart the sandbox" "$log/held.txt"
fi
if ! grep -qF "$held:10: removed at restart: [FILE] %PROGRAM_FILES%\trialheld\*.* " "$log/held.txt" ||
   ! grep -qF "$held:12: removed at restart: [PATH] %PROGRAM_FILES%\trialheld " "$log/held.txt"; then
  fail "the held file and its folder were not removed at the restart" "$log/held.txt"
fi
if [ "$(tail -n 1 "$log/held.txt")" != "3 removed, 0 left, 0 changed outside the script" ]; then
  fail "the trial of the held file counted otherwise" "$log/held.txt"
fi

printf '\x00\xff\xfe binary' >"$log/binary.ini"
trial binary "$log/binary.ini"
if [ "$(cat "$log/binary.rc")" != 1 ]; then fail "a binary file was not refused" "$log/binary.txt"; fi
# The checker's own findings say why, and nothing of the trial began.
if ! grep -qF "$log/binary.ini:1: error: " "$log/binary.txt" ||
   ! grep -qF "try-script: $log/binary.ini was refused" "$log/binary.txt"; then
  fail "the trial of a binary file did not say why it stopped" "$log/binary.txt"
fi
if grep -q '^== seeding' "$log/binary.txt"; then
  fail "the trial of a binary file went on after the refusal" "$log/binary.txt"
fi

# Ctrl+C in the middle of a run: the whole process group gets the signal, as
# from a terminal. The trial must stop with 130 and remove its sandbox and
# prefix; the signal goes in once the program's run has begun (its heading
# is printed), within a bound. A command started in the background has
# Ctrl+C ignored, which a shell cannot undo; env gives the trial the default
# back, as a terminal's foreground command has it.
setsid env --default-signal=INT "$root/scripts/try-script.sh" "$root/res/default-script.ini" >"$log/interrupted.txt" 2>&1 &
interrupted_trial=$!
for _ in $(seq 1200); do
  grep -qx '== Start' "$log/interrupted.txt" && break
  kill -0 "$interrupted_trial" 2>/dev/null || break
  sleep 0.1
done
interrupted_rc=0
if grep -qx '== Start' "$log/interrupted.txt"; then
  kill -INT -- "-$interrupted_trial" 2>/dev/null || true
  wait "$interrupted_trial" || interrupted_rc=$?
  if [ "$interrupted_rc" != 130 ]; then
    fail "the interrupted trial did not stop with 130 (it ended with $interrupted_rc)" "$log/interrupted.txt"
  fi
  prefix=$(prefix_of interrupted)
  if [ -z "$prefix" ] || [ -e "$prefix" ]; then
    fail "the interrupted trial left its prefix behind" "$log/interrupted.txt"
  fi
else
  wait "$interrupted_trial" || true
  fail "the trial to interrupt never began its run" "$log/interrupted.txt"
fi

if ls -d "$build/try-script"/sandbox.* >/dev/null 2>&1; then
  fail "a trial left its sandbox behind" "$build/try-script"
fi

[ "$status" = 0 ] && echo "try-script: 5 trials as expected"
exit $status
