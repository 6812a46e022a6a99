#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build-fuzz/ and runs each for a bounded time on a scratch copy of its seed
# corpus in tests/fuzz/corpus/, so the repository is never written to. Fails on
# any crash, leak, timeout or sanitizer report, and then keeps the scratch
# directory with the input that caused it and the fuzzer's log.
#
#   FUZZ_SECONDS   run time of each target (default 60)
#   FUZZ_TARGETS   the targets to run (default: all four)
#   FUZZ_JOBS      targets run at once (default: the number of cores)
#   FUZZ_WORK_DIR  scratch directory (default: a new one under $TMPDIR, removed on success)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
read -r -a targets <<<"${FUZZ_TARGETS:-fuzz_parameter_file fuzz_instrument_file fuzz_light_curves fuzz_generation}"
jobs=${FUZZ_JOBS:-$(nproc)}

scripts/install-deps.sh
CXX=${FUZZ_CXX:-clang++} cmake -S . -B build-fuzz -DWWWPLOT_FUZZ=ON -DWWWPLOT_WINDOW=OFF -DBUILD_TESTING=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}"

if [ -n "${FUZZ_WORK_DIR:-}" ]; then
  keep_work=1
  mkdir -p "$FUZZ_WORK_DIR"
  work=$(cd "$FUZZ_WORK_DIR" && pwd)  # absolute: a target changes its working directory for a while
else
  work=$(cd "$(mktemp -d "${TMPDIR:-/tmp}/wwwplot-fuzz-run.XXXXXX")" && pwd)
  keep_work=0
fi

# Longest input tried: the configuration files' lines end at 239 characters, a
# light-curve file needs some 10000 lines to fill the table.
max_len_of() {
  case "$1" in
    fuzz_light_curves | fuzz_generation) echo 20480 ;;
    *) echo 4096 ;;
  esac
}

run_target() {
  local target=$1
  local name=${target#fuzz_}
  local dir="$work/$target"
  rm -rf "$dir"
  mkdir -p "$dir/corpus" "$dir/artifacts" "$dir/tmp"
  cp -R "tests/fuzz/corpus/$name/." "$dir/corpus/"
  local status=0
  # The targets' own scratch directories go under $dir/tmp too, so that a run
  # cut short by a finding leaves nothing elsewhere.
  TMPDIR="$dir/tmp" UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
    "build-fuzz/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len="$(max_len_of "$target")" -dict="tests/fuzz/$name.dict" -artifact_prefix="$dir/artifacts/" \
    -print_final_stats=1 "$dir/corpus" >"$dir/log" 2>&1 || status=$?
  echo "$status" >"$dir/status"
}

echo "Fuzzing ${targets[*]} for ${seconds} s each, $jobs at a time, in $work"
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_target "$target" &
done
wait

failed=0
for target in "${targets[@]}"; do
  dir="$work/$target"
  status=$(cat "$dir/status" 2>/dev/null || echo missing)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -n 1)
  artifacts=$(find "$dir/artifacts" -type f | sort)
  if [ "$status" = 0 ] && [ -z "$artifacts" ]; then
    echo "$target: ok, ${runs:-?} inputs"
  else
    failed=1
    echo "$target: FAILED (exit status $status); log: $dir/log"
    for artifact in $artifacts; do echo "  artifact: $artifact"; done
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error|.*invariant broken|.*deadly signal)' "$dir/log" | head -n 20 | sed 's/^/  /' || true
  fi
done

if [ "$failed" -ne 0 ]; then
  echo "Fuzzing found a problem; rerun an artifact with build-fuzz/tests/fuzz/<target> <artifact>"
  exit 1
fi
[ "$keep_work" -eq 1 ] || rm -rf "$work"
echo "Fuzzing: every target ran clean"
