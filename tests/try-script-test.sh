#!/usr/bin/env bash
# The sandbox trial on two scripts: the embedded one must come out with
# everything removed and nothing else changed; one with a fault that the
# checker lets pass (a folder listed before its subfolder) must fail and name
# the line that left something behind; and a file that is no script must end
# with a clear refusal, not a crash.
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

# trial NAME SCRIPT: runs it, keeping the output and the exit code.
trial() {
  local rc=0
  "$root/scripts/try-script.sh" "$2" >"$log/$1.txt" 2>&1 || rc=$?
  echo "$rc" >"$log/$1.rc"
}

trial embedded "$root/res/default-script.ini"
if [ "$(cat "$log/embedded.rc")" != 0 ]; then fail "the trial of the embedded script did not pass" "$log/embedded.txt"; fi
if [ "$(tail -n 1 "$log/embedded.txt")" != "9 removed, 0 left, 0 changed outside the script" ]; then
  fail "the trial of the embedded script did not end with its nine entries removed" "$log/embedded.txt"
fi
if grep -q ': left: \|outside the script: ' "$log/embedded.txt"; then
  fail "the trial of the embedded script left something or changed something else" "$log/embedded.txt"
fi

faulty="$root/tests/trial-scripts/path-order.ini"
trial faulty "$faulty"
if [ "$(cat "$log/faulty.rc")" != 1 ]; then fail "the trial of the faulty script did not fail" "$log/faulty.txt"; fi
if ! grep -qF "$faulty:13: left: [PATH] %PROGRAM_FILES%\\trialfault " "$log/faulty.txt"; then
  fail "the trial of the faulty script did not name line 13 as the one that left its folder" "$log/faulty.txt"
fi
if [ "$(tail -n 1 "$log/faulty.txt")" != "4 removed, 1 left, 0 changed outside the script" ]; then
  fail "the trial of the faulty script counted otherwise" "$log/faulty.txt"
fi

printf '\x00\xff\xfe binary' >"$log/binary.ini"
trial binary "$log/binary.ini"
if [ "$(cat "$log/binary.rc")" != 1 ]; then fail "a binary file was not refused" "$log/binary.txt"; fi
if ! grep -q 'names nothing that a run of the Start button removes' "$log/binary.txt"; then
  fail "the trial of a binary file did not say why it stopped" "$log/binary.txt"
fi
if ls -d "$build/try-script"/sandbox.* >/dev/null 2>&1; then
  fail "a trial left its sandbox behind" "$build/try-script"
fi

[ "$status" = 0 ] && echo "try-script: 3 trials as expected"
exit $status
