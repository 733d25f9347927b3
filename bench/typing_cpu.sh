#!/usr/bin/env bash
# What typing costs on the path players run, and how often it wakes the
# program: the real front end under Xvfb (1024x768x24), full-screen, typing
# one line of 30 full-width glyphs at one glyph a 20 ms tick, again and
# again (the game of bench/side_by_side.sh, without the peer).
#
# It prints the program's CPU as % of one core (run time of all its threads
# from /proc/PID/task/*/schedstat over the wall time), the X server's CPU
# the same way, and the program's wakeups a second: the times its threads
# slept and were woken (voluntary context switches; being preempted on a
# busy machine is no wake-up), all of them and the main thread's (the
# loop's) alone; then the switches with the preemptions, as
# bench/side_by_side.sh counts them. In the same runs it measures the floor
# (bench/x_floor.c: a bare X client that only wakes every tick and sends one
# glyph's cell), what this machine charges any program for typing at all,
# and prints what Velmor spends above it. Targets: typing costs at most 0.5 % of
# a core and wakes the program at most 60 times a second (one tick every
# 20 ms and a few more). The exit status is 1 when the wake-ups are past
# half again their target (the machines are shared and noisy) or the CPU
# past 1.2 % (where typing stood before, while 0.5 % is not reached), so
# that the guard (ctest -L bench) sees a change that loses them; 2 when
# nothing could be measured; 77 when Xvfb or xdotool is not installed.
#
# Usage: bench/typing_cpu.sh [--velmor PROGRAM] [--seconds S] [--runs N]
#                            [--renderer auto|software|accelerated]
#   --runs  measured runs; the verdict takes the median (default 3)
# Needs: Xvfb and xauth (package xvfb), xdotool, the built velmor, snxasm
# and demo; gcc and the X headers (libx11-xcb-dev) for the floor, left out
# without them. Figures on a busy machine are only indicative.
set -euo pipefail
export LC_NUMERIC=C

here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/lib.sh
source "$here/bench/lib.sh"
velmor="" seconds=10 runs=3 renderer=""
readonly line="あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ"
while (($#)); do
  case $1 in
    --velmor) velmor=${2:?}; shift 2 ;;
    --seconds) seconds=${2:?}; shift 2 ;;
    --runs) runs=${2:?}; shift 2 ;;
    --renderer) renderer=${2:?}; shift 2 ;;
    *) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 2 ;;
  esac
done
find_velmor typing_cpu "$velmor"
for tool in Xvfb xdotool; do
  command -v "$tool" > /dev/null || { echo "typing_cpu: $tool is not installed" >&2; exit 77; }
done

work=$(mktemp -d /tmp/velmor_typing_XXXXXX)
xserver="" guard=""
cleanup() {
  [[ -z $guard ]] || kill -KILL "$guard" 2>/dev/null || true
  [[ -z $xserver ]] || stop_xvfb "$xserver"
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The game: one line typed, a click wait, then the line typed again and
# again; a system slot with speed 16 (one glyph a tick) and no sound.
mkdir -p "$work/data/SNX" "$work/slot"
cp -r "$bin/demo/CG" "$bin/demo/CURSOR" "$bin/demo/SOUND" "$work/data/"
cat > "$work/init.s" <<EOF
start:
    TEXT "$line"
    CLICK
loop:
    TEXT "\\p$line"
    JUMP loop
EOF
"$bin/tools/snxasm" "$work/init.s" -o "$work/data/SNX/INIT.SNX"
{ printf 'Brannic\0\x64\x01\x10\x00'; head -c 1076 /dev/zero; } > "$work/slot/DATA00"

# A private X server.
start_xvfb typing_cpu 191 230

# The floor, where it can be built.
floor=""
build_floor "$work/x_floor" 2> "$work/floor_build.txt" && floor=$work/x_floor ||
  echo "typing_cpu: bench/x_floor.c could not be built; no floor" >&2

# "0 SLEEPS" of a process's threads (of the one thread PID/TID when given
# so): the times they went to sleep and were woken (voluntary context
# switches; being preempted on a busy machine is no wake-up).
sleeps_of() {
  local pid=${1%/*} task='*'
  [[ $1 != */* ]] || task=${1#*/}
  # shellcheck disable=SC2086
  cat /proc/"$pid"/task/$task/status 2>/dev/null |
    awk '/^voluntary_ctxt_switches:/ { n += $2 } END { printf "0 %.0f\n", n }'
}

# Clicks until the program types: a click before the click wait began is
# lost. Typing shows as the X server waking for every glyph sent to it
# (at the click wait it sleeps).
start_typing() {
  local try x0 x1
  for try in $(seq 10); do
    kill -0 "$1" 2>/dev/null || return 1
    timeout -s KILL 5 xdotool mousemove 800 200 click 1 || echo "typing_cpu: the click failed" >&2
    sleep 0.3
    read -r _ x0 < <(usage_of "$xserver")
    sleep 0.5
    read -r _ x1 < <(usage_of "$xserver")
    ((x1 - x0 >= 10)) && return 0
  done
  return 1
}

export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
: > "$work/figures.txt"
for ((run = 1; run <= runs; run++)); do
  rm -rf "$work/run-slot" && cp -r "$work/slot" "$work/run-slot"
  cmd=("$velmor" --data "$work/data" --slots "$work/run-slot")
  [[ -z $renderer ]] || cmd+=(--renderer "$renderer")
  # Start-up, the first line, and the start-up probe's MIDI note dying
  # away (some seconds of the audio thread); the click wait begins.
  start_guarded $((seconds + 30)) 5 "${cmd[@]}"
  kill -0 "$pid" 2>/dev/null ||
    { echo "typing_cpu: the program ended early:" >&2; head -c 2000 "$work/log.txt" >&2; exit 2; }
  start_typing "$pid" || { echo "typing_cpu: no typing seen after 10 clicks" >&2; exit 2; }
  sleep 1
  t0=$EPOCHREALTIME; a=$(usage_of "$pid"); x0=$(usage_of "$xserver"); m0=$(sleeps_of "$pid/$pid"); w0=$(sleeps_of "$pid")
  sleep "$seconds"
  t1=$EPOCHREALTIME; b=$(usage_of "$pid"); x1=$(usage_of "$xserver"); m1=$(sleeps_of "$pid/$pid"); w1=$(sleeps_of "$pid")
  kill -0 "$pid" 2>/dev/null || { echo "typing_cpu: the program ended while typing" >&2; exit 2; }
  kill -TERM "$pid"; wait "$guard" 2>/dev/null || true
  guard=""
  awk -v t0="$t0" -v t1="$t1" -v a="$a" -v b="$b" -v x0="$x0" -v x1="$x1" -v m0="$m0" -v m1="$m1" \
      -v w0="$w0" -v w1="$w1" 'BEGIN {
    split(a, A, " "); split(b, B, " "); split(x0, X, " "); split(x1, Y, " "); split(m0, M, " ")
    split(m1, N, " "); split(w0, P, " "); split(w1, Q, " "); w = t1 - t0
    printf "%.3f %.3f %.1f %.1f %.1f\n", (B[1] - A[1]) / 1e7 / w, (Y[1] - X[1]) / 1e7 / w,
      (Q[2] - P[2]) / w, (N[2] - M[2]) / w, (B[2] - A[2]) / w }' >> "$work/figures.txt"
  read -r cpu xcpu wake loop switches < <(tail -n 1 "$work/figures.txt")
  printf 'run %d: typing CPU %5.2f %% of a core, X server %5.2f %%, %6.1f wakeups/s (the loop %.1f; %.1f switches/s with preemptions)\n' \
    "$run" "$cpu" "$xcpu" "$wake" "$loop" "$switches"

  grep -o '[0-9]* frames drawn[^;]*' "$work/log.txt" | head -n 1 | sed 's/^/  /' || true
done

# The median of each column, and the verdict.
median() { awk -v c="$1" '{ print $c }' "$work/figures.txt" | sort -g |
  awk '{ v[++n] = $1 } END { print n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2 }'; }
cpu=$(median 1) xcpu=$(median 2) wake=$(median 3) loop=$(median 4)
if [[ -n $floor ]]; then
  # Once, after the runs (a few seconds more for the guard in CI).
  awk -v c="$cpu" -v f="$(floor_cpu "$floor" "$seconds")" 'BEGIN {
    printf "the floor (a bare X client waking every tick, sending one cell): %.2f %% of a core;\n", f
    printf "  Velmor spends %.2f %% above it (%.0f us a tick)\n", c - f, (c - f) / 100 * 20000 }'
fi
awk -v c="$cpu" -v x="$xcpu" -v w="$wake" -v l="$loop" -v n="$runs" 'BEGIN {
  # Over a target is told. The guard fails past half again the wake-ups
  # target (the machines are shared and noisy), and, while the CPU target is
  # not reached yet, past 1.2 % of a core: above where typing stood before
  # its work was cut (0.83 to 1.04 %), so that losing that is seen.
  ok = (c <= 0.5 && w <= 60)
  held = (c <= 1.2 && w <= 90)
  printf "typing, median of %d: CPU %.2f %% of a core (target <= 0.5), X server %.2f %%,\n", n, c, x
  printf "  %.1f wakeups/s (target <= 60), %.1f of them the loop'"'"'s%s\n", w, l,
    ok ? "" : held ? "  << over a target (within the guard)" : "  << over a target"
  exit held ? 0 : 1 }'
