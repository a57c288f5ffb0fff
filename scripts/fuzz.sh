#!/usr/bin/env bash
# Fuzzes the pure logic: builds the fuzz targets of fuzz/ with g++, the
# sanitizers and edge coverage, then mutates each target's corpus for the
# given time (60 seconds by default; all targets unless some are named).
#
#   scripts/fuzz.sh [-j JOBS] [SECONDS] [TARGET...]
#   targets: script_ini lint snapshot_draft path_rules pack
#
# Inputs that reach new code are added to fuzz/corpus/TARGET/ (named by their
# hash); an input that crashes, breaks a target's check or hangs is kept in
# fuzz/crashes/TARGET/. Both are replayed by the host tests (fuzz.TARGET),
# so commit the new corpus entries, and report and fix every kept crash.
# Exits with 1 when a crash was kept in this run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TIDEMARK_BUILD_DIR:-$root/build}/fuzz
all_targets=(script_ini lint snapshot_draft path_rules pack)

jobs=1
if [ "${1:-}" = "-j" ]; then
  jobs=${2:?-j needs a number}
  shift 2
fi
seconds=60
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
for target in "${targets[@]}"; do
  if [[ ! " ${all_targets[*]} " =~ " $target " ]]; then
    echo "unknown fuzz target '$target' (known: ${all_targets[*]})" >&2
    exit 2
  fi
done

echo "== building the fuzz targets in $build"
# Optimised, so that more inputs run in the time; the warnings do not stop
# a fuzzing build (the host build keeps them as errors).
cmake --preset host -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEMARK_WERROR=OFF \
  -DTIDEMARK_FUZZ_COVERAGE=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]/#/fuzz_}" >/dev/null

# A leak shows in the replay of the corpus (the host tests); while fuzzing,
# an allocation of more than 2 GB counts as a crash: no template or script
# of a few kilobytes should ask for one.
export ASAN_OPTIONS=${TIDEMARK_FUZZ_ASAN_OPTIONS:-detect_leaks=0:max_allocation_size_mb=2048}
export UBSAN_OPTIONS=print_stacktrace=1

# Runs one target until its time is up. After a crash the driver ends; it
# starts again with the rest of the time, at most three times.
fuzz_target() {
  local target=$1 corpus="$root/fuzz/corpus/$1" crashes="$root/fuzz/crashes/$1"
  local log="$build/fuzz-$target.log" end=$((SECONDS + seconds)) crashes_before crashes_after restarts=0
  # Big enough for a name listing past its 16384 bytes, or for a small
  # program; small enough to keep the runs fast.
  local max_len=20000
  case $target in
    path_rules) max_len=4096 ;;
    pack) max_len=65536 ;;
  esac
  mkdir -p "$crashes"
  crashes_before=$(find "$crashes" -type f | wc -l)
  : >"$log"
  while [ $((end - SECONDS)) -gt 0 ]; do
    if "$build/fuzz/fuzz_$target" --fuzz=$((end - SECONDS)) --out="$corpus" --crashes="$crashes" \
      --seed="$RANDOM$RANDOM" --max-len=$max_len "$corpus" >>"$log" 2>&1; then
      break
    fi
    restarts=$((restarts + 1))
    [ $restarts -lt 3 ] || break
  done
  crashes_after=$(find "$crashes" -type f | wc -l)
  # What was found is kept only where it adds an edge, smallest first.
  "$build/fuzz/fuzz_$target" --merge="$corpus" >>"$log" 2>&1 || true
  echo "$target: $(grep '^done:' "$log" | tail -n 1 || echo 'stopped by a crash'); $(grep '^merge:' "$log" | tail -n 1)"
  if [ "$crashes_after" -gt "$crashes_before" ]; then
    echo "$target: $((crashes_after - crashes_before)) new crash(es) in fuzz/crashes/$target (log: $log)"
    return 1
  fi
}

echo "== fuzzing ${targets[*]} for $seconds s each"
status=0
running=0
for target in "${targets[@]}"; do
  if [ $running -ge "$jobs" ]; then
    wait -n || status=1
    running=$((running - 1))
  fi
  fuzz_target "$target" &
  running=$((running + 1))
done
while [ $running -gt 0 ]; do
  wait -n || status=1
  running=$((running - 1))
done
exit $status
