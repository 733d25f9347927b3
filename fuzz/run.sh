#!/usr/bin/env bash
# One fuzz campaign: FUZZER for SECONDS on the kept corpus (KEPT) and the
# seed folders after it. New inputs go to a scratch folder; those that reach
# edges the kept ones do not are merged into KEPT afterwards (libFuzzer's
# -merge=1 keeps the fewest and smallest), to be committed. A crash fails
# the run and names the input, to be kept under KEPT so that every build
# replays it from then on.
#
# Usage: fuzz/run.sh FUZZER SECONDS KEPT [SEED_FOLDER...]
set -euo pipefail
fuzzer=$1 seconds=$2 kept=$3
shift 3
name=$(basename "$fuzzer" _fuzzer)
scratch=$(dirname "$fuzzer")/fuzz-work/$name
rm -rf "$scratch"
mkdir -p "$scratch/new" "$scratch/artifacts" "$kept"
seeds=()
for d in "$@"; do [[ -d $d ]] && seeds+=("$d"); done
# The game targets keep one game for every input, whose caches grow as
# inputs run: libFuzzer took each growth for a leak and ran the input again
# under the leak checker (a fifth of their time, finding nothing). Their
# leaks are found where a game is torn down: the replays and the whole
# suite under LeakSanitizer.
options=()
case $name in scenario | slot | own_save) options=(-detect_leaks=0) ;; esac
status=0
"$fuzzer" "${options[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$scratch/artifacts/" "$scratch/new" "$kept" "${seeds[@]}" \
  > "$scratch/log" 2>&1 || status=$?
grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb)' \
  "$scratch/log" || true
if ((status != 0)); then
  tail -c 4000 "$scratch/log"
  for f in "$scratch"/artifacts/*; do
    [[ -e $f ]] && echo "fuzz: $name found $(basename "$f"); keep it: cp $f $kept/"
  done
  exit 1
fi
before=$(find "$kept" -type f | wc -l)
"$fuzzer" -merge=1 -use_counters=0 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$scratch/artifacts/" \
  "$kept" "$scratch/new" \
  > "$scratch/merge.log" 2>&1 || { tail -c 2000 "$scratch/merge.log"; exit 1; }
echo "fuzz: $name kept $(($(find "$kept" -type f | wc -l) - before)) new inputs in $kept"
