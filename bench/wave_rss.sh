#!/usr/bin/env bash
# The resident memory a 64 MiB WAVE file costs the real player: the file
# is read, checked and decoded a piece at a time as it plays, never held
# whole. bench/sound/wave_rss.cpp makes the file (16-bit stereo, 44.1 kHz:
# six minutes), reads it through to its end as the output would and plays
# it in the real player on SDL's dummy audio driver for two seconds. Target:
# the peak resident memory (VmHWM) of the whole process stays under 64 MiB.
# The exit status is 1 when it does not, 2 when nothing could be measured.
#
# Usage: bench/wave_rss.sh [WAVE_RSS [MIB]]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
prog=${1:-$here/build/ci/bench/wave_rss}
mib=${2:-64}
[[ -x $prog ]] || { echo "wave_rss: no program $prog (build wave_rss)" >&2; exit 2; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$prog" --make "$dir/BIG.WAV" "$mib" || { echo "wave_rss: cannot write the file" >&2; exit 2; }
out=$(SDL_AUDIODRIVER=dummy timeout -s KILL 300 "$prog" "$dir/BIG.WAV" 2 2>&1 | head -c 4000) ||
  { echo "$out" >&2; echo "wave_rss: the measurement failed" >&2; exit 2; }
echo "$out"
peak=$(awk '/^peak_kib_played/ { print $2 }' <<< "$out")
[[ -n $peak ]] || exit 2
echo "wave_rss: a $mib MiB WAVE file: peak resident $((peak / 1024)) MiB (target under 64 MiB)"
((peak < 64 * 1024)) || exit 1
