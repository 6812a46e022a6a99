#!/usr/bin/env bash
# Installs what the benchmarks need, builds a Release tree in build-bench/ and
# prints, in one run:
#   1. one generation of a full day in process, its stages and the baseline
#      (Google Benchmark, medians of REPETITIONS repetitions);
#   2. whole-process `wwwplot --once` against gnuplot drawing the same day file
#      with bench/lightcurves.plt: medians of RUNS runs each, their ratio, peak memory;
#   3. the CPU time the window uses while it waits between two ticks (under Xvfb).
# Environment: RUNS (30), REPETITIONS (5), WINDOW_CHECK (1; 0 skips part 3),
# IDLE_SECONDS (20).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
runs=${RUNS:-30}
repetitions=${REPETITIONS:-5}
window_check=${WINDOW_CHECK:-1}
idle_seconds=${IDLE_SECONDS:-20}

scripts/install-deps.sh libbenchmark-dev gnuplot-nox hyperfine time xvfb
build="$root/build-bench"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DWWWPLOT_BENCH=ON -DBUILD_TESTING=OFF \
  -DWWWPLOT_WINDOW="$([ "$window_check" = 1 ] && echo ON || echo OFF)" >/dev/null
cmake --build "$build" -j "$(nproc)" >"$build/build.log" 2>&1 || { cat "$build/build.log"; exit 1; }

echo "== $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)," \
     "$(gnuplot --version)"

echo
echo "== 1. One generation of a full day in process (Google Benchmark, median of $repetitions)"
"$build/bench/generation_bench" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true

# A station whose day file is today's, so that `wwwplot --once` reads it.
station="$build/bench-station"
rm -rf "$station"
mkdir -p "$station/images" "$station/lightcurves"
yscale_min=0 yscale_max=200 yscale_steps=10
cat >"$station/wwwpar.cfg" <<EOF
Benchmark station of bench/run-bench.sh.
[configfile]=quorvix.cfg
[imagedir]=images/
[timer]=30
[dayoffset]=0
[width]=640
[height]=400
[yscale]=$yscale_min,$yscale_max,$yscale_steps
[adcdivider]=4
EOF
printf '[titlecomment]=BENCH\n[lcpath]=lightcurves/\n' >"$station/quorvix.cfg"
day_file="lightcurves/LC$(date +%Y%m%d)_SFU_BENCH.txt"
"$build/bench/write_bench_day" "$station/$day_file"

wwwplot=("$build/app/wwwplot" --once)
settings="infile='$day_file'; outfile='images/gnuplot.png'; ymin=$yscale_min; ymax=$yscale_max; ysteps=$yscale_steps"
gnuplot=(gnuplot -e "$settings; date='$(date +%d/%m/%Y)'" "$root/bench/lightcurves.plt")
(cd "$station" && "${wwwplot[@]}" >/dev/null && "${gnuplot[@]}")

echo
echo "== 2. Whole process: the same day file ($(wc -c <"$station/$day_file") bytes) to a 640 x 400 PNG, $runs runs each, alternating"
"$build/bench/process_bench" --runs "$runs" --warmup 3 \
  "wwwplot --once" "$station" "${wwwplot[@]}" ::: "gnuplot lightcurves.plt" "$station" "${gnuplot[@]}"
echo "-- cross-check: peak RSS of one run by /usr/bin/time (KiB): wwwplot" \
     "$(cd "$station" && /usr/bin/time -f %M "${wwwplot[@]}" 2>&1 >/dev/null | tail -1)," \
     "gnuplot $(cd "$station" && /usr/bin/time -f %M "${gnuplot[@]}" 2>&1 >/dev/null | tail -1)"
echo "-- cross-check: hyperfine (means)"
(cd "$station" && hyperfine -N --style basic --warmup 3 --runs "$runs" \
  -n "wwwplot --once" "$(printf '%q ' "${wwwplot[@]}")" \
  -n "gnuplot lightcurves.plt" "$(printf '%q ' "${gnuplot[@]}")" 2>&1 | grep -vE '^ *Range|^$')

[ "$window_check" = 1 ] || exit 0
echo
echo "== 3. The window between ticks ([timer]=30: a generation tick at 30 s, a wait tick at 60 s)"
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
window_pid=
cleanup() {
  if [ -n "$window_pid" ]; then kill "$window_pid" 2>/dev/null || true; wait "$window_pid" 2>/dev/null || true; fi
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

chart="$station/images/LightcurvesBENCH.png"
rm -f "$chart"
(cd "$station" && DISPLAY=":$display" exec "$build/app/wwwplot-window" >/dev/null 2>&1) &
window_pid=$!
# Waits for the first generation tick's chart, then samples every thread's CPU
# time (/proc/<pid>/task/*/schedstat, nanoseconds) and context switches.
for _ in $(seq 450); do [ -e "$chart" ] && break; sleep 0.1; done
[ -e "$chart" ] || { echo "the window wrote no chart within 45 s"; exit 1; }
sample() {
  local ns=0 switches=0 task
  for task in /proc/"$window_pid"/task/*; do
    ns=$((ns + $(cut -d' ' -f1 "$task/schedstat")))
    switches=$((switches + $(awk '/ctxt_switches/ {s += $2} END {print s}' "$task/status")))
  done
  echo "$ns $switches"
}
sleep 2
read -r ns_before switches_before < <(sample)
sleep "$idle_seconds"
read -r ns_after switches_after < <(sample)
echo "window, $idle_seconds s idle after the generation tick ($(ls /proc/"$window_pid"/task | wc -l) threads):" \
     "CPU $(( (ns_after - ns_before) / 1000 )) us, $((switches_after - switches_before)) context switches"
