#!/usr/bin/env bash
# How fast the headless front end plays the demo: BM_DemoTicks (the demo
# from its start, a left click every 25 ticks, 3,000 ticks a round, three
# rounds) in ticks a second of processor time. Target: at least 100,000
# (a tick of the game costs at most 10 µs when nothing is drawn but what
# changed). The exit status is 1 when the target is missed, so that the
# guard (ctest -L bench) sees a change that loses it; 2 when nothing could
# be measured.
#
# Usage: bench/headless_ticks.sh [VELMOR_BENCH [DEMO_DIR]]
#   VELMOR_BENCH  the benchmark program (default: build/ci/bench/velmor_bench)
#   DEMO_DIR      the built demo (default: the demo folder beside it)
set -euo pipefail
export LC_NUMERIC=C

here=$(cd "$(dirname "$0")/.." && pwd)
bench=${1:-$here/build/ci/bench/velmor_bench}
demo=${2:-$(dirname "$bench")/../demo}
[[ -x $bench ]] || { echo "headless_ticks: no benchmark program $bench (build velmor_bench)" >&2; exit 2; }
[[ -d $demo/SNX ]] || { echo "headless_ticks: no built demo in $demo" >&2; exit 2; }

out=$(VELMOR_DEMO_DIR=$demo timeout -s KILL 300 "$bench" --benchmark_filter='^BM_DemoTicks(/|$)' \
  --benchmark_counters_tabular=true 2>&1 | head -c 20000) ||
  { echo "$out" >&2; echo "headless_ticks: the benchmark failed" >&2; exit 2; }
rate=$(awk '/^BM_DemoTicks/ { v = $NF } END { print v }' <<< "$out")
rate=${rate%/s}
case $rate in
  *k) rate=$(awk -v v="${rate%k}" 'BEGIN { printf "%.0f", v * 1000 }') ;;
  *M) rate=$(awk -v v="${rate%M}" 'BEGIN { printf "%.0f", v * 1000000 }') ;;
esac
[[ $rate =~ ^[0-9.]+$ ]] || { echo "$out" >&2; echo "headless_ticks: no rate in the output" >&2; exit 2; }
awk -v r="$rate" 'BEGIN {
  ok = r >= 100000
  printf "headless demo: %.0f ticks a second (target >= 100,000)%s\n", r, ok ? "" : "  << under the target"
  exit ok ? 0 : 1 }'
