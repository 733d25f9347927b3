#!/usr/bin/env bash
# A long session, twice at once, watching resident memory once a second:
#  - the demo on the headless platform driven by random input (clicks
#    anywhere, right clicks, fast-forward, the panels' controls, saves and
#    loads, the backlog, going back and forward, skip and auto, saves of our
#    own and their screens; when the player happens to leave, the demo
#    starts again in the same process), and
#  - the real window under Xvfb typing one line in a loop.
# After a warm-up (a quarter of the run, at most five minutes) neither may
# crash, the headless one must show no error box, and what each holds must
# not grow: for the window its resident memory, whose peaks must grow by
# less than 1 MiB an hour (runs under half an hour only catch gross leaks:
# less than 4 MiB over the run); for the headless session the bytes it
# holds from the allocator between two games (when no game is alive), whose
# peaks must grow by less than 256 KiB an hour (1 MiB over a run under half
# an hour). Its resident memory is shown, not judged: a game holds up to
# tens of megabytes while it lives (its going-back history, the pictures
# it keeps) and the allocator keeps some of it for the next, so that peak
# moves with where the random player happened to be.
#
# Usage: bench/soak.sh [MINUTES] [BUILD_DIR]   (default 60 minutes, build/ci)
# Prints one summary line per session and exits 1 when a session fails.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/lib.sh
source "$here/bench/lib.sh"
minutes=${1:-60}
build=${2:-$here/build/ci}
seconds=$((minutes * 60))
velmor=$build/src/velmor
driver=$build/bench/velmor_soak_headless
snxasm=$build/tools/snxasm
demo=$build/demo
for f in "$velmor" "$driver" "$snxasm" "$demo/SNX/INIT.SNX"; do
  [[ -e $f ]] || { echo "soak: $f is missing (build first)" >&2; exit 2; }
done
command -v Xvfb > /dev/null || { echo "soak: Xvfb is missing (scripts/install-deps)" >&2; exit 2; }

work=$(mktemp -d /tmp/velmor_soak_XXXXXX)
pids=() xserver=""
cleanup() {
  for p in "${pids[@]}"; do kill -KILL "$p" 2> /dev/null || true; done
  [[ -z $xserver ]] || stop_xvfb "$xserver"
  wait 2> /dev/null || true
  [[ -n ${KEEP_SOAK:-} ]] || rm -rf "$work"
}
trap cleanup EXIT

# --- The headless session ---
mkdir -p "$work/headless_slots"
# The allocator's per-thread cache off: the chunks it keeps (up to some
# 200 KiB, filling as the program meets new sizes) count as in use, and
# would look like a slow leak in the bytes held between games.
GLIBC_TUNABLES=${GLIBC_TUNABLES:+$GLIBC_TUNABLES:}glibc.malloc.tcache_count=0 \
  "$driver" "$demo/" "$work/headless_slots/" "$seconds" "${SOAK_SEED:-1}" \
  > "$work/headless.log" 2> "$work/headless.err" &
headless=$!
pids+=("$headless")

# --- The real window: one line typed again and again ---
game=$work/window
mkdir -p "$game/data/SNX" "$game/slot"
cp -r "$demo/CG" "$demo/CURSOR" "$demo/SOUND" "$game/data/"
cat > "$game/init.s" <<'EOF'
start:
    TEXT "\p潮風の町に、今日も小さな夕暮れが来る。"
    JUMP start
EOF
"$snxasm" "$game/init.s" -o "$game/data/SNX/INIT.SNX"
# Signature, then scale 100 %, pointer 1, speed 16, sound 0; the rest zero.
{ printf 'Brannic\0\x64\x01\x10\x00'; head -c 1076 /dev/zero; } > "$game/slot/DATA00"

export XAUTHORITY=$work/Xauthority
: > "$XAUTHORITY"
for n in $(seq 150 199); do
  display_free "$n" || continue
  xauth -q -f "$XAUTHORITY" add ":$n" . "$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')"
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -auth "$XAUTHORITY" > "$work/xvfb.log" 2>&1 &
  xserver=$!
  export DISPLAY=:$n
  break
done
sleep 1
SDL_AUDIODRIVER=dummy "$velmor" --window --data "$game/data/" --slots "$game/slot/" \
  > "$work/window.err" 2>&1 &
window=$!
pids+=("$window")

start=$(date +%s)
while (($(date +%s) - start < seconds)); do
  t=$(($(date +%s) - start))
  rss=$(awk '/^VmRSS:/ { print $2 }' /proc/"$window"/status 2> /dev/null || true)
  [[ -n $rss ]] && echo "rss $t $rss" >> "$work/window.log"
  sleep 1
done

# --- Judging ---
# Memory saws up and down as the demo plays (scenes load and go, the
# headless demo starts again after the player leaves it), so the trend is
# taken from the peak of each twelfth of the run after the warm-up: the
# least-squares slope of those peaks, in KiB an hour. A leak raises every
# peak; allocator noise does not.
judge() {  # NAME LOG KIND (rss, in KiB, or between, in bytes) LIMIT_KIB_AN_HOUR SHORT_LIMIT_KIB
  awk -v name="$1" -v kind="$3" -v limit="$4" -v short_limit="$5" -v total="$seconds" '
    $1 == kind { t[n] = $2; r[n] = kind == "rss" ? $3 : $3 / 1024; n++ }
    END {
      warm = total / 4; if (warm > 300) warm = 300
      span = (total - warm) / 12
      for (i = 0; i < n; i++) {
        if (t[i] < warm) continue
        w = int((t[i] - warm) / span); if (w > 11) w = 11
        if (!(w in peak) || r[i] > peak[w]) peak[w] = r[i]
        if (r[i] > top) top = r[i]; if (!low || r[i] < low) low = r[i]
        m++
      }
      for (w = 0; w < 12; w++) if (w in peak) {
        x = warm + (w + 0.5) * span; y = peak[w]; k++
        sx += x; sy += y; sxx += x * x; sxy += x * y
      }
      what = kind == "rss" ? "resident" : "held between games"
      if (k < 6) { printf "%s: too few samples of what it holds (%d)\n", name, m; exit 1 }
      slope = (k * sxy - sx * sy) / (k * sxx - sx * sx) * 3600
      printf "%s: %d samples after %d s warm-up, %s %d to %d KiB, growth of the peaks %.0f KiB/h\n", name, m, warm, what, low, top, slope
      # The caches fill for the first ten minutes or so: a run shorter than
      # half an hour cannot resolve the hourly limit and only catches gross
      # leaks.
      if (total < 1800) { if (slope * (total - warm) / 3600 >= short_limit) exit 1 }
      else if (slope >= limit) exit 1
    }' "$2"
}
status=0
kill -0 "$window" 2> /dev/null || { echo "soak: the window ended early:"; tail -c 2000 "$work/window.err"; status=1; }
wait "$headless" || { echo "soak: the headless session failed:"; tail -c 2000 "$work/headless.err"; status=1; }
judge headless "$work/headless.log" between 256 1024 || status=1
judge window "$work/window.log" rss 1024 4096 || status=1
awk '$1 == "rss" { if ($3 > top) top = $3; if (!low || $3 < low) low = $3 }
  END { printf "headless: resident %d to %d KiB (shown, not judged)\n", low, top }' "$work/headless.log"
if grep -q '^box ' "$work/headless.log"; then
  echo "soak: error boxes the demo would not show:"; grep '^box ' "$work/headless.log" | sort | uniq -c | head
  status=1
fi
awk '$1 == "done" { printf "headless: %d ticks, the demo left and started again %d times\n", $2, $3 }' "$work/headless.log"
exit $status
