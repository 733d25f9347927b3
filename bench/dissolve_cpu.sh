#!/usr/bin/env bash
# What a dissolve costs on the path players run: the real front end under
# Xvfb (1024x768x24), full-screen, dissolving between two of the demo's
# 640 x 480 pictures again and again, at display scale 100 % and 150 %.
#
# For each scale it prints the program's CPU as % of one core (run time of all
# its threads from /proc/PID/task/*/schedstat over the wall time), the X
# server's CPU the same way, and the frames presented a second
# (VELMOR_FRAME_STATS, over the whole run). Targets: a running dissolve
# costs at most 3 % of a core at 100 % and at most 4 % at 150 %. The first
# two seconds (start-up, the probe) are not measured. The exit status is 1
# when a figure is past 5 % or 6 % (above today's worst, below where the
# dissolve stood before; the targets are not reached yet), so that the
# guard (ctest -L bench) sees a change that loses them; 77 when Xvfb is not installed.
#
# Usage: bench/dissolve_cpu.sh [--velmor PROGRAM] [--seconds S]
#                              [--renderer auto|software|accelerated]
# Needs: Xvfb and xauth (package xvfb), the built velmor, snxasm and demo.
set -euo pipefail
export LC_NUMERIC=C

here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/lib.sh
source "$here/bench/lib.sh"
velmor="" seconds=10 renderer=""
while (($#)); do
  case $1 in
    --velmor) velmor=${2:?}; shift 2 ;;
    --seconds) seconds=${2:?}; shift 2 ;;
    --renderer) renderer=${2:?}; shift 2 ;;
    *) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 2 ;;
  esac
done
find_velmor dissolve_cpu "$velmor"
command -v Xvfb > /dev/null || { echo "dissolve_cpu: Xvfb is not installed" >&2; exit 77; }

work=$(mktemp -d /tmp/velmor_dissolve_XXXXXX)
xserver=""
cleanup() { [[ -z $xserver ]] || stop_xvfb "$xserver"; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT

# The game: the demo's pictures and start-up files, and a loop of dissolves.
mkdir -p "$work/data/SNX"
cp -r "$bin/demo/CG" "$bin/demo/CURSOR" "$bin/demo/SOUND" "$work/data/"
cat > "$work/init.s" <<'EOF'
loop:
    PICTURE "BG01"
    PICTURE "BG04"
    JUMP loop
EOF
"$bin/tools/snxasm" "$work/init.s" -o "$work/data/SNX/INIT.SNX"

# A private X server.
start_xvfb dissolve_cpu 150 190

# Run time of all threads of a process, in ns.
run_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ ns += $1 } END { printf "%.0f\n", ns }'; }

export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} VELMOR_FRAME_STATS=1
missed=0
for scale in 100 150; do
  rm -rf "$work/slot" && mkdir -p "$work/slot"
  # Signature, then the scale, pointer 1, speed 16, sound 0; the rest zero.
  { printf 'Brannic\0'; printf "\\x$(printf %02x "$scale")"; printf '\x01\x10\x00'; head -c 1076 /dev/zero; } \
    > "$work/slot/DATA00"
  cmd=("$velmor" --data "$work/data" --slots "$work/slot")
  [[ -z $renderer ]] || cmd+=(--renderer "$renderer")
  timeout -s KILL $((seconds + 30)) "${cmd[@]}" > "$work/log.txt" 2>&1 &
  guard=$!
  sleep 2
  pid=$(pgrep -P "$guard" | head -n 1 || true)
  [[ -n $pid ]] || pid=$guard
  kill -0 "$pid" 2>/dev/null || { echo "dissolve_cpu: the program ended early:" >&2; head -c 2000 "$work/log.txt" >&2; exit 1; }
  t0=$EPOCHREALTIME; a=$(run_ns "$pid"); x0=$(run_ns "$xserver")
  sleep "$seconds"
  t1=$EPOCHREALTIME; b=$(run_ns "$pid"); x1=$(run_ns "$xserver")
  kill -TERM "$pid"; wait "$guard" 2>/dev/null || true
  frames=$(grep -o '[0-9]* frames drawn' "$work/log.txt" | grep -o '^[0-9]*' || echo "?")
  target=$((scale == 100 ? 3 : 4))
  # While the targets are not reached, the guard fails past 5 % and 6 %:
  # above today's worst (4.6 and 4.8 on an idle machine) and below where
  # the dissolve stood before its work was cut (6.1 and 8.0).
  limit=$((scale == 100 ? 5 : 6))
  awk -v s="$scale" -v t0="$t0" -v t1="$t1" -v a="$a" -v b="$b" -v x0="$x0" -v x1="$x1" -v f="$frames" \
      -v target="$target" -v limit="$limit" 'BEGIN {
    w = t1 - t0; cpu = (b - a) / 1e7 / w
    printf "dissolve at %3d %%: CPU %5.2f %% of a core (target <= %d), X server %5.2f %%, %s frames in the run%s\n",
      s, cpu, target, (x1 - x0) / 1e7 / w, f,
      cpu <= target ? "" : cpu <= limit ? "  << over the target (within the guard)" : "  << over the target"
    exit cpu <= limit ? 0 : 1 }' || missed=1
done
exit "$missed"
