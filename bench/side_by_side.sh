#!/usr/bin/env bash
# Velmor against a peer engine (Debian's onscripter) on the path players run.
#
# What it measures. Two equivalent tiny games, one per engine: a black
# 640 x 480 picture, one line of 30 full-width glyphs typed at one glyph
# every 20 ms, a click wait, then the line typed again and again. Both run
# under one Xvfb (1024x768x24), interleaved (Velmor, peer, Velmor, peer ...),
# Velmor full-screen as it starts by default, the peer in its default window.
# Each run:
#   1. launch -> first frame and launch -> first typed glyph, in ms, seen by
#      bench/xprobe.c polling the screen every millisecond: the first frame is
#      the game's area no longer showing the root colour; the first glyph is
#      text-coloured and paper-coloured pixels together in the first character
#      cell (Velmor: dark text on the light message box; the peer: light text
#      on black). Glyphs 10 and 30 give the typing rate, a check that both
#      type one glyph every 20 ms.
#   2. idle: S seconds at the click wait; then VmRSS and RssAnon.
#   3. a left click (xdotool), then typing: S seconds of the typing loop.
# For each phase: the engine's CPU as % of one core (run time of all its
# threads from /proc/PID/task/*/schedstat over the wall time), the X server's
# CPU the same way, and wakeups per second (voluntary + involuntary context
# switches of all threads, /proc/PID/task/*/status). Then per engine the
# median [min-max] over the runs, the ratio Velmor/peer and the targets:
# typing CPU <= 0.5x the peer's and <= 0.5 % of a core, the main thread
# (Velmor's loop) waking <= 60 times a second while typing, and X server
# CPU <= the peer's; idle CPU
# <= 0.5x the peer's and <= 60 wakeups/s; VmRSS <= 0.75x the peer's; first
# glyph <= 0.75x the peer's. Before the runs each engine is launched once
# unmeasured, so that every measured launch finds its files in the cache.
# Last, the figures Velmor's benchmarks guard, which have no counterpart
# measured in the peer: the interpreter's instructions a second (plain, over
# a billion instructions, and with expressions) and a file found by a name
# in another letter case against its exact name, each with its target
# (bench/check_figures.py on velmor_bench, when it is built).
#
# Players do not play as root, and libraries treat root differently (the X
# library keeps no compose cache for root, for one), so when the script runs
# as root both engines run as an ordinary user (nobody unless --user says
# otherwise), with a home of their own in the work folder.
#
# Usage: bench/side_by_side.sh [--velmor PROGRAM] [--runs N] [--seconds S]
#                              [--renderer auto|software|accelerated] [--keep]
#                              [--bench PROGRAM|none]
#   --velmor    the program (default: the newer of build/ci/src/velmor and
#               build/default/src/velmor)
#   --bench     the benchmark program (default: velmor_bench in the bench
#               folder beside the program's; none: the figures are left out)
#   --runs      runs per engine (default 3)
#   --seconds   length of the idle and of the typing phase (default 10)
#   --renderer  passed to Velmor as --renderer R (not passed unless given)
#   --user      the user the engines run as when the script runs as root
#               (default nobody; root runs them as root)
#   --keep      keep the work folder (games, logs, raw figures)
# Installs what it needs with apt-get (Debian 12, as root). Both engines get
# SDL_AUDIODRIVER=dummy unless it is set. Figures on a busy machine are only
# indicative: look at min and max, not at the median alone.
set -euo pipefail
# Numbers with a decimal point whatever the language (EPOCHREALTIME, awk);
# the engines keep the player's language.
if [[ -n ${LC_ALL:-} ]]; then export LANG=$LC_ALL; unset LC_ALL; fi
export LC_NUMERIC=C

here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/lib.sh
source "$here/bench/lib.sh"
runs=3 seconds=10 velmor="" renderer="" keep=0 player=nobody bench=""
readonly peer_program=/usr/games/onscripter
readonly font=/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf
readonly root_colour=205080   # the empty screen: a colour neither game draws
readonly line="あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ"

die() { echo "side_by_side: $*" >&2; exit 2; }

usage() { sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit "${1:-0}"; }

parse_args() {
  while (($#)); do
    case $1 in
      --velmor) velmor=${2:?--velmor needs a program}; shift 2 ;;
      --bench) bench=${2:?--bench needs a program}; shift 2 ;;
      --runs) runs=${2:?--runs needs a number}; shift 2 ;;
      --seconds) seconds=${2:?--seconds needs a number}; shift 2 ;;
      --renderer) renderer=${2:?--renderer needs a name}; shift 2 ;;
      --user) player=${2:?--user needs a user name}; shift 2 ;;
      --keep) keep=1; shift ;;
      -h | --help) usage 0 ;;
      *) echo "side_by_side: unknown option $1" >&2; usage 2 ;;
    esac
  done
  [[ $runs =~ ^[1-9][0-9]*$ ]] || die "--runs needs a whole number from 1"
  [[ $seconds =~ ^[1-9][0-9]*$ ]] || die "--seconds needs a whole number from 1"
  if [[ -z $velmor ]]; then
    velmor=$(ls -t "$here"/build/{ci,default}/src/velmor 2>/dev/null | head -n 1 || true)
  fi
  [[ -n $velmor && -x $velmor ]] || die "no Velmor program (build the target velmor, or use --velmor)"
  velmor=$(cd "$(dirname "$velmor")" && pwd)/$(basename "$velmor")
}

# The first existing path of those given.
first_of() { local p; for p; do [[ -e $p ]] && { echo "$p"; return; }; done; return 1; }

# The packages not yet installed, installed with apt-get (an update first
# only when the package lists do not have them).
install_packages() {
  local p missing=()
  for p in onscripter xvfb xauth xdotool fonts-ipafont-gothic gcc libc6-dev libx11-dev libx11-xcb-dev procps; do
    dpkg-query -W -f '${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  ((EUID == 0)) || die "installing ${missing[*]} needs root"
  echo "Installing ${missing[*]} ..."
  export DEBIAN_FRONTEND=noninteractive
  local install=(timeout -s KILL 900 apt-get install -y -q --no-install-recommends "${missing[@]}")
  "${install[@]}" > "$work/apt.log" 2>&1 ||
    { timeout -s KILL 600 apt-get update -q > /dev/null 2>&1 && "${install[@]}" > "$work/apt.log" 2>&1; } ||
    { tail -c 2000 "$work/apt.log" >&2; die "apt-get install failed"; }
}

build_probe() {
  gcc -O2 -std=c11 -D_POSIX_C_SOURCE=200809L -Wall -o "$work/xprobe" "$here/bench/xprobe.c" -lX11 ||
    die "could not build bench/xprobe.c"
  build_floor "$work/x_floor" || die "could not build bench/x_floor.c"
}

# The floor of typing on this machine (bench/x_floor.c: a bare X client that
# only wakes every 20 ms and sends one glyph's cell), measured once after
# the runs, S seconds; and Velmor's typing (median) above it.
floor_report() {
  local floor vm
  floor=$(floor_cpu "$work/x_floor" "$seconds")
  read -r vm _ < <(stats velmor typing_cpu)
  echo
  echo "The floor (a bare X client waking every tick, sending one cell): $floor % of a core;" \
    "Velmor's typing spends $(awk -v v="$vm" -v f="$floor" 'BEGIN { printf "%.2f", v - f }') % above it"
}

# --- The two games ---

# Velmor: the demo's start-up files, INIT.SNX assembled here, and a system
# slot (DATA00) whose speed byte is 16: with 16 budget units a glyph, one
# glyph a 20 ms tick. Its sound byte 0 (no sound) matches the silent peer.
make_velmor_game() {
  local bin demo snxasm game=$work/velmor
  bin=$(dirname "$velmor")
  demo=$(first_of "$bin/../demo" "$here/build/ci/demo" "$here/build/default/demo") ||
    die "no demo data next to $velmor or in build/ci/demo"
  snxasm=$(first_of "$bin/../tools/snxasm" "$here/build/ci/tools/snxasm" "$here/build/default/tools/snxasm") ||
    die "no snxasm next to $velmor or in build/ci/tools"
  mkdir -p "$game/data/SNX" "$game/slot"
  cp -r "$demo/CG" "$demo/CURSOR" "$demo/SOUND" "$game/data/"
  cat > "$game/init.s" <<EOF
; One line typed, a click wait, then the line typed again and again. The
; first line needs no new page (the window is empty), as the peer's first
; line has no textclear: a new page costs a tick of its own.
start:
    TEXT "$line"
    CLICK
loop:
    TEXT "\\p$line"
    JUMP loop
EOF
  "$snxasm" "$game/init.s" -o "$game/data/SNX/INIT.SNX" || die "snxasm failed"
  # Signature, then scale 100 %, pointer 1, speed 16, sound 0; the rest zero.
  { printf 'Brannic\0\x64\x01\x10\x00'; head -c 1076 /dev/zero; } > "$game/slot/DATA00"
}

# The peer: 0.txt in Shift-JIS and default.ttf. setwindow puts the text where
# Velmor types it (40, 399), 16-pixel glyphs 17 pixels apart, and !s20 types
# one glyph every 20 ms; the window colour #ffffff leaves the black picture
# as it is.
make_peer_game() {
  local game=$work/peer
  mkdir -p "$game"
  iconv -f UTF-8 -t CP932 > "$game/0.txt" <<EOF
*define
game
*start
bg black,1
setwindow 40,399,30,4,16,16,1,3,20,0,0,#ffffff,0,0,639,479
!s20$line@
*loop
textclear
!s20$line
goto *loop
EOF
  ln -s "$font" "$game/default.ttf"
}

engine_name() { case $1 in velmor) echo Velmor ;; peer) echo onscripter ;; esac; }

# Sets cmd, the engine's command line; Velmor gets a fresh copy of its slot.
engine_command() {
  case $1 in
    velmor)
      cmd=("$velmor" --data "$work/velmor/data" --slots "$work/velmor/run-slot")
      [[ -z $renderer ]] || cmd+=(--renderer "$renderer")
      rm -rf "$work/velmor/run-slot" && cp -r "$work/velmor/slot" "$work/velmor/run-slot"
      give_player "$work/velmor/run-slot" ;;
    peer) cmd=("$peer_program" -r "$work/peer") ;;
  esac
  cmd=("${as_player[@]}" "${cmd[@]}")
}

engine_ink() { case $1 in velmor) echo dark ;; peer) echo light ;; esac; }

# --- The X server ---

start_xserver() {
  local n cookie
  cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
  export XAUTHORITY=$work/Xauthority
  for n in $(seq 90 140); do
    display_free "$n" || continue
    : >> "$XAUTHORITY"
    xauth -q -f "$XAUTHORITY" add ":$n" . "$cookie"
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset -auth "$XAUTHORITY" > "$work/xvfb.log" 2>&1 &
    xserver=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do
      kill -0 "$xserver" 2>/dev/null || break
      if timeout -s KILL 5 "$work/xprobe" root "$root_colour" 2>/dev/null; then return; fi
      sleep 0.1
    done
    stop_xvfb "$xserver"
  done
  die "could not start Xvfb (see $work/xvfb.log)"
}

# --- The player ---

# as_player: the command prefix that runs an engine as the player (empty when
# the script does not run as root, or runs the engines as root).
as_player=()
player_group=""

# Run as root, the engines run as the player, with a home in the work folder
# (a copy of the X authority in it) and the games theirs to write in.
prepare_player() {
  ((EUID == 0)) && [[ $player != root ]] || return 0
  id -u "$player" > /dev/null 2>&1 || die "no user $player (--user)"
  player_group=$(id -gn "$player")
  local home=$work/home
  mkdir -p "$home"
  cp "$XAUTHORITY" "$home/.Xauthority"
  chmod 711 "$work"
  give_player "$home" "$work/velmor" "$work/peer"
  as_player=(setpriv --reuid="$player" --regid="$player_group" --clear-groups
    env -u XDG_CACHE_HOME -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u XDG_RUNTIME_DIR
    HOME="$home" XAUTHORITY="$home/.Xauthority")
  "${as_player[@]}" test -x "$velmor" ||
    die "$player cannot run $velmor (build where the user can reach it, or use --user root)"
}

give_player() { [[ -z $player_group ]] || chown -R "$player:$player_group" "$@"; }

# --- Measuring ---

# The times a process's main thread (the loop) slept and was woken: its
# voluntary context switches (being preempted is no wake-up).
switches_of() {
  awk '/^voluntary_ctxt_switches:/ { cs += $2 } END { printf "%.0f\n", cs }' \
    "/proc/$1/task/$1/status" 2>/dev/null
}

# record ENGINE FIGURE VALUE: one raw figure of one run.
record() { [[ -n $3 ]] && echo "$1 $2 $3" >> "$work/figures.txt"; return 0; }

# measure_phase ENGINE PHASE PID: CPU, X server CPU and wakeups over S s.
measure_phase() {
  local engine=$1 phase=$2 pid=$3 t0 t1 a b x0 x1 cpu x wake
  local m0 m1 loop
  t0=$EPOCHREALTIME; a=$(usage_of "$pid"); x0=$(usage_of "$xserver"); m0=$(switches_of "$pid")
  sleep "$seconds"
  t1=$EPOCHREALTIME; b=$(usage_of "$pid"); x1=$(usage_of "$xserver"); m1=$(switches_of "$pid")
  kill -0 "$pid" 2>/dev/null || { echo "  $(engine_name "$engine") ended during the $phase phase" >&2; return 1; }
  loop=$(awk -v a="$m0" -v b="$m1" -v t0="$t0" -v t1="$t1" 'BEGIN { printf "%.1f", (b - a) / (t1 - t0) }')
  record "$engine" "${phase}_loop_wakeups" "$loop"
  read -r cpu x wake < <(awk -v t0="$t0" -v t1="$t1" -v a="$a" -v b="$b" -v x0="$x0" -v x1="$x1" 'BEGIN {
    split(a, A, " "); split(b, B, " "); split(x0, X, " "); split(x1, Y, " "); w = t1 - t0
    printf "%.2f %.2f %.1f\n", (B[1] - A[1]) / 1e7 / w, (Y[1] - X[1]) / 1e7 / w, (B[2] - A[2]) / w }')
  record "$engine" "${phase}_cpu" "$cpu"
  record "$engine" "${phase}_xcpu" "$x"
  record "$engine" "${phase}_wakeups" "$wake"
  printf '  %-7s CPU %6s %%  X %6s %%  %7s wakeups/s (main thread %s)\n' "$phase" "$cpu" "$x" "$wake" "$loop"
}

record_memory() {
  local engine=$1 pid=$2 rss anon
  read -r rss anon < <(awk '/^VmRSS:/ { r = $2 } /^RssAnon:/ { a = $2 }
    END { printf "%.1f %.1f\n", r / 1024, a / 1024 }' "/proc/$pid/status")
  record "$engine" rss_mb "$rss"
  record "$engine" anon_mb "$anon"
  printf '  memory  VmRSS %s MB, RssAnon %s MB\n' "$rss" "$anon"
}

# The launch figures from the probe's lines: ms from LAUNCH to each event.
record_launch() {
  local engine=$1 launch=$2 probe_out=$3 frame glyph rate
  read -r frame glyph rate < <(awk -v l="$launch" '
    { t[$1] = $2 }
    END {
      f = ("frame" in t) ? sprintf("%.0f", (t["frame"] - l) * 1000) : ""
      g = ("glyph" in t) ? sprintf("%.0f", (t["glyph"] - l) * 1000) : ""
      r = ("glyph10" in t && "glyph30" in t) ? sprintf("%.1f", (t["glyph30"] - t["glyph10"]) * 50) : ""
      printf "%s %s %s\n", (f == "" ? "-" : f), (g == "" ? "-" : g), (r == "" ? "-" : r) }' "$probe_out")
  [[ $frame == - ]] || record "$engine" first_frame_ms "$frame"
  [[ $glyph == - ]] || record "$engine" first_glyph_ms "$glyph"
  [[ $rate == - ]] || record "$engine" ms_per_glyph "$rate"
  printf '  launch  first frame %s ms, first glyph %s ms, %s ms a glyph\n' "$frame" "$glyph" "$rate"
}

# --- One run of one engine ---

# launch ENGINE DIR: starts the engine under a timeout backstop with the
# probe watching; sets pid (the engine), guard (its timeout) and launch.
launch() {
  local engine=$1 dir=$2 ready
  engine_command "$engine"
  timeout -s KILL 5 xdotool mousemove 1016 760 || true   # out of every probed region
  timeout -s KILL 30 "$work/xprobe" start "$(engine_ink "$engine")" 20000 > "$dir/probe.txt" &
  probe=$!
  for _ in $(seq 500); do
    ready=$(head -n 1 "$dir/probe.txt" 2>/dev/null || true)
    [[ $ready == ready* ]] && break
    sleep 0.01
  done
  # The output is kept up to 100 kB; the writer is a child of this shell, so
  # the only child of the timeout is the engine.
  local out
  exec {out}> >(head -c 100000 > "$dir/output.txt"; cat > /dev/null)
  launch=$EPOCHREALTIME
  SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} timeout -s KILL $((2 * seconds + 90)) "${cmd[@]}" \
    >&"$out" 2>&1 &
  guard=$!
  exec {out}>&-
  pid=""
  for _ in $(seq 200); do
    pid=$(pgrep -P "$guard" | head -n 1 || true)
    [[ -n $pid ]] && break
    sleep 0.01
  done
  [[ -n $pid ]] || pid=$guard
}

# Waits for the probe to see everything, or for the engine to end early.
# (probe is the probe's timeout, which passes SIGTERM on to the probe.)
wait_probe() {
  while kill -0 "$probe" 2>/dev/null && kill -0 "$pid" 2>/dev/null; do sleep 0.05; done
  kill -TERM "$probe" 2>/dev/null || true
  wait "$probe" 2>/dev/null || true
}

# Asks the engine to end, then makes sure it has.
stop_engine() {
  kill -TERM "$pid" 2>/dev/null || true
  for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$guard" 2>/dev/null || true
  pid="" guard=""
}

# A left click in the game's area, away from the probed places.
click_game() {
  local x=600 y=40 wx wy ww wh
  read -r _ _ wx wy ww wh < <(grep '^window' "$1" || echo "window 0 0 0 640 480")
  x=$((wx + (ww - 640) / 2 + x)) y=$((wy + (wh - 480) / 2 + y))
  timeout -s KILL 5 xdotool mousemove "$x" "$y" click 1 || echo "  the click failed" >&2
}

alive_or_report() {
  kill -0 "$pid" 2>/dev/null && return 0
  echo "  $(engine_name "$1") ended early; its output:" >&2
  head -c 2000 "$2/output.txt" >&2
  return 1
}

# measure_run ENGINE RUN: launch, idle at the click wait, click, typing.
measure_run() {
  local engine=$1 dir=$work/$1-run$2 changes
  mkdir -p "$dir"
  echo "$(engine_name "$engine"), run $2:"
  launch "$engine" "$dir"
  wait_probe
  record_launch "$engine" "$launch" "$dir/probe.txt"
  sleep 1.5   # the first line is typed; the click wait begins
  if alive_or_report "$engine" "$dir" && measure_phase "$engine" idle "$pid"; then
    record_memory "$engine" "$pid"
    changes=$(timeout -s KILL 5 "$work/xprobe" changes 300 || echo 0)
    ((changes == 0)) || echo "  warning: the message line changed $changes times at the click wait" >&2
    click_game "$dir/probe.txt"
    sleep 1
    if measure_phase "$engine" typing "$pid"; then
      changes=$(timeout -s KILL 5 "$work/xprobe" changes 300 || echo 0)
      ((changes >= 3)) || echo "  warning: the message line changed only $changes times in 0.3 s of typing" >&2
    fi
  fi
  stop_engine
  sleep 0.5
}

# An unmeasured launch of each engine first, so that every measured one
# starts with the files in the page cache; an engine that cannot start at
# all stops the benchmark here.
warm_up() {
  local engine dir
  echo "Warming up (one unmeasured launch of each) ..."
  for engine in velmor peer; do
    dir=$work/$engine-warmup
    mkdir -p "$dir"
    launch "$engine" "$dir"
    wait_probe
    alive_or_report "$engine" "$dir" || die "$(engine_name "$engine") does not start; nothing measured"
    grep -q '^glyph ' "$dir/probe.txt" ||
      echo "  warning: no typed glyph seen from $(engine_name "$engine") (probe: $(tr '\n' ' ' < "$dir/probe.txt"))" >&2
    stop_engine
  done
}

# --- The report ---

# stats ENGINE FIGURE: "median min max" of the runs, or "- - -".
stats() {
  awk -v e="$1" -v f="$2" '$1 == e && $2 == f { print $3 }' "$work/figures.txt" | sort -g |
    awk '{ v[++n] = $1 }
         END { if (!n) { print "- - -"; exit }
               m = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
               printf "%.4g %.4g %.4g\n", m, v[1], v[n] }'
}

# row LABEL FIGURE TARGET: TARGET is "ratio<=X", "value<=X" or "".
row() {
  local label=$1 figure=$2 target=$3 vm vmin vmax pm pmin pmax ratio verdict=""
  read -r vm vmin vmax < <(stats velmor "$figure")
  read -r pm pmin pmax < <(stats peer "$figure")
  ratio=$(awk -v a="$vm" -v b="$pm" 'BEGIN { if (a == "-" || b == "-" || b == 0) print "-"; else printf "%.2f", a / b }')
  if [[ -n $target ]]; then
    verdict=$(awk -v t="$target" -v r="$ratio" -v v="$vm" 'BEGIN {
      split(t, p, "<="); x = (p[1] == "ratio") ? r : v
      if (x == "-") print "n/a"; else print (x + 0 <= p[2] + 0) ? "met" : "NOT met" }')
    target="${target/ratio<=/<= }"; target="${target/value<=/Velmor <= }"
    [[ $target == "<= "* ]] && target="${target}x"
  fi
  printf '%-26s %-24s %-24s %6s  %-15s %s\n' "$label" "$(cell "$vm" "$vmin" "$vmax")" \
    "$(cell "$pm" "$pmin" "$pmax")" "$ratio" "$target" "$verdict"
}

# "median [min-max]", or "-" when there is no figure.
cell() { if [[ $1 == - ]]; then echo -; else echo "$1 [$2-$3]"; fi; }

report() {
  echo
  echo "Velmor against onscripter: median [min-max] of $runs run(s), ${seconds} s a phase"
  printf '%-26s %-24s %-24s %6s  %-15s %s\n' "" "Velmor" "onscripter" "ratio" "target" ""
  row "typing: CPU % of a core" typing_cpu "ratio<=0.5"
  row "typing: CPU % (absolute)" typing_cpu "value<=0.5"
  row "typing: X server CPU %" typing_xcpu "ratio<=1"
  row "typing: wakeups/s" typing_wakeups ""
  row "typing: loop wakeups/s" typing_loop_wakeups "value<=60"
  row "idle: CPU % of a core" idle_cpu "ratio<=0.5"
  row "idle: X server CPU %" idle_xcpu ""
  row "idle: wakeups/s" idle_wakeups "value<=60"
  row "idle: VmRSS MB" rss_mb "ratio<=0.75"
  row "idle: RssAnon MB" anon_mb ""
  row "launch -> first frame ms" first_frame_ms ""
  row "launch -> first glyph ms" first_glyph_ms "ratio<=0.75"
  row "typing ms a glyph (check)" ms_per_glyph ""
}

# The figures of Velmor's own benchmarks, with their targets; measured
# after the engines have stopped, on the machine as the runs left it.
engine_figures() {
  [[ $bench != none ]] || return 0
  [[ -n $bench ]] || bench=$(dirname "$velmor")/../bench/velmor_bench
  echo
  echo "Velmor's guarded figures (no peer figure; bench/check_figures.py):"
  if [[ ! -x $bench ]]; then
    echo "  no benchmark program ($bench): build the target velmor_bench, or use --bench"
    return 0
  fi
  "$here/bench/check_figures.py" "$bench" 2>&1 | sed 's/^/  /' ||
    echo "  (a figure missed its target; on a busy machine run bench/check_figures.py again)"
}

cleanup() {
  if [[ -n ${probe:-} ]]; then kill -TERM "$probe" 2>/dev/null || true; fi
  if [[ -n ${pid:-} ]]; then kill -KILL "$pid" 2>/dev/null || true; fi
  if [[ -n ${xserver:-} ]]; then stop_xvfb "$xserver"; fi
  if ((keep)); then
    echo "The work folder is kept: $work"
  else
    rm -rf "$work" 2>/dev/null || { sleep 1; rm -rf "$work"; }
  fi
}

main() {
  parse_args "$@"
  work=$(mktemp -d /tmp/velmor_side_by_side_XXXXXX)
  trap cleanup EXIT
  trap 'exit 130' INT TERM
  install_packages
  build_probe
  make_velmor_game
  make_peer_game
  start_xserver
  prepare_player
  echo "Velmor: $velmor${renderer:+ --renderer $renderer}; peer: $peer_program; display $DISPLAY;" \
    "as ${player_group:+$player}$([[ -n $player_group ]] || id -un)"
  warm_up
  local run
  for ((run = 1; run <= runs; run++)); do
    measure_run velmor "$run"
    measure_run peer "$run"
  done
  report
  floor_report
  engine_figures
}

main "$@"
