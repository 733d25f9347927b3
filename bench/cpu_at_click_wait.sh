#!/usr/bin/env bash
# How much CPU the real front end uses while the game waits for a click.
#
# Runs the program under a virtual X server (xvfb-run) on a small game that
# shows its first picture and then waits for a click for ever, lets it settle,
# and reads the CPU time (user + system) it uses during the next 10 seconds
# from /proc. The target is under 3 % of one core: less than 0.3 s of CPU in
# 10 s. At the end the program is asked to end with SIGTERM and its frame
# statistics (VELMOR_FRAME_STATS) are shown.
#
# Usage: bench/cpu_at_click_wait.sh [PROGRAM] [SECONDS]
#   PROGRAM  the built program (default: build/*/src/velmor, the newest)
#   SECONDS  how long to measure (default 10)
# Needs: xvfb-run (package xvfb), xauth.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$(ls -t "$here"/build/*/src/velmor 2>/dev/null | head -n 1 || true)}
seconds=${2:-10}
if [[ -z "$program" || ! -x "$program" ]]; then
  echo "cpu_at_click_wait: no program to run (build the target velmor, or name it)" >&2
  exit 2
fi
command -v xvfb-run > /dev/null || { echo "cpu_at_click_wait: xvfb-run is not installed" >&2; exit 2; }

work=$(mktemp -d /tmp/velmor_cpu_XXXXXX)
trap 'rm -rf "$work"' EXIT

le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
be16() { printf "\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $(($1 & 255)))"; }
be32() { be16 $((($1 >> 16) & 65535)); be16 $(($1 & 65535)); }

# A 24-bit BMP of one grey level.
bmp() {
  local file=$1 w=$2 h=$3 level=$4
  local row=$(((w * 3 + 3) / 4 * 4))
  local size=$((row * h))
  {
    printf 'BM'; le32 $((54 + size)); le32 0; le32 54
    le32 40; le32 "$w"; le32 "$h"; le16 1; le16 24; le32 0; le32 "$size"
    le32 2835; le32 2835; le32 0; le32 0
    head -c "$size" /dev/zero | tr '\0' "\\$(printf %03o "$level")"
  } > "$file"
}

data=$work/data
mkdir -p "$data/CG" "$data/SOUND" "$data/SNX" "$work/slots"
bmp "$data/CG/KURO.BMP" 640 480 0
bmp "$data/CG/MESH.BMP" 640 480 255
bmp "$data/CG/_CGBK.BMP" 32 32 0
bmp "$data/CG/CHU.BMP" 24 48 255
bmp "$data/CG/WK00.BMP" 628 100 64
bmp "$data/CG/WALL00.BMP" 64 64 96
# A tenth of a second of silence, and a one-note MIDI file: the sound probe.
{
  printf 'RIFF'; le32 $((36 + 4410)); printf 'WAVEfmt '; le32 16; le16 1; le16 1
  le32 22050; le32 44100; le16 2; le16 16; printf 'data'; le32 4410; head -c 4410 /dev/zero
} > "$data/SOUND/QV00.WAV"
{
  printf 'MThd'; be32 6; be16 0; be16 1; be16 480
  printf 'MTrk'; be32 13
  printf '\x00\x90\x3c\x01\x83\x60\x80\x3c\x40\x00\xff\x2f\x00'
} > "$data/SOUND/QV00.MID"
# The scenario: CLICK, then JUMP 0.
printf '\x16\x10\x00\x00' > "$data/SNX/INIT.SNX"

export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export VELMOR_FRAME_STATS=1
export PROGRAM=$program DATA=$data SLOTS=$work/slots SECONDS_TO_MEASURE=$seconds LOG=$work/log.txt

# Everything below runs inside the virtual X server's session.
timeout -s KILL $((seconds + 60)) xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  "$PROGRAM" --data "$DATA" --slots "$SLOTS" > "$LOG" 2>&1 &
  pid=$!
  sleep 3  # start-up, the first picture, the sound probe
  if ! kill -0 "$pid" 2> /dev/null; then
    echo "the program ended early:"; head -c 2000 "$LOG"; exit 1
  fi
  hz=$(getconf CLK_TCK)
  cpu() { awk "{ print \$14 + \$15 }" "/proc/$pid/stat"; }
  before=$(cpu)
  sleep "$SECONDS_TO_MEASURE"
  after=$(cpu)
  kill -TERM "$pid"
  for _ in $(seq 50); do kill -0 "$pid" 2> /dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2> /dev/null; then
    echo "still running 5 s after SIGTERM"; kill -KILL "$pid"; exit 1
  fi
  wait "$pid"; status=$?
  awk -v t=$((after - before)) -v hz="$hz" -v s="$SECONDS_TO_MEASURE" "BEGIN {
    cpu = t / hz
    printf \"CPU at a click wait: %.2f s in %d s (%.1f %% of one core; target < 3 %%)\\n\", cpu, s, 100 * cpu / s
  }"
  echo "exit code after SIGTERM: $status"
  head -c 2000 "$LOG"
'
