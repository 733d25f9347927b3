# What the front ends' CPU benchmarks share (sourced, not run):
# finding the built program beside its tools and demo, a private X server,
# and a process's run time and context switches from /proc.

# find_velmor NAME PROGRAM: sets velmor (PROGRAM, or the newest
# build/*/src/velmor) and bin (its build folder), or exits 2 saying why.
find_velmor() {
  local name=$1
  velmor=${2:-$(ls -t "$here"/build/*/src/velmor 2>/dev/null | head -n 1 || true)}
  [[ -x $velmor ]] || { echo "$name: no program (build velmor or give --velmor)" >&2; exit 2; }
  bin=$(dirname "$velmor")/..
  [[ -x $bin/tools/snxasm && -d $bin/demo/CG ]] ||
    { echo "$name: no snxasm or demo data next to $velmor" >&2; exit 2; }
}

# display_free N: true when an X server may take display :N: neither its
# lock nor its socket is there, or the lock names a process that is gone
# (a server killed with SIGKILL leaves both behind; a new server takes them
# over). Without this, each killed server kept its display for good, and
# after some dozens of runs no display of a script's range was left.
display_free() {
  local lock=/tmp/.X$1-lock pid
  if [[ -e $lock ]]; then
    pid=$(tr -dc 0-9 < "$lock" 2>/dev/null || true)
    [[ -z $pid ]] || ! kill -0 "$pid" 2>/dev/null
  else
    [[ ! -e /tmp/.X11-unix/X$1 ]]
  fi
}

# stop_xvfb PID: stops an X server so that it removes its lock and socket
# (SIGTERM, which it obeys; SIGKILL if it is still there after 2 s).
stop_xvfb() {
  local state
  kill -TERM "$1" 2>/dev/null || return 0
  for _ in $(seq 20); do
    state=$(awk '/^State:/ { print $2 }' /proc/"$1"/status 2>/dev/null || true)
    [[ -z $state || $state == Z ]] && break
    sleep 0.1
  done
  kill -KILL "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}

# start_xvfb NAME FIRST LAST: a private Xvfb (1024x768x24) on the first free
# display of FIRST..LAST; sets xserver (its pid) and DISPLAY, or exits 1.
# Its log goes to $work/xvfb.log.
start_xvfb() {
  local name=$1 n
  for n in $(seq "$2" "$3"); do
    display_free "$n" || continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
    xserver=$!
    export DISPLAY=:$n
    sleep 1
    kill -0 "$xserver" 2>/dev/null && return 0
    xserver=""
  done
  echo "$name: could not start Xvfb" >&2
  exit 1
}

# start_guarded LIMIT SETTLE COMMAND...: runs COMMAND in the background
# under `timeout -s KILL LIMIT`, its output in $work/log.txt, waits SETTLE
# seconds and sets guard (the timeout's pid) and pid (the program's: the
# timeout's only child, or the timeout itself when it has none).
start_guarded() {
  local limit=$1 settle=$2
  shift 2
  timeout -s KILL "$limit" "$@" > "$work/log.txt" 2>&1 &
  guard=$!
  sleep "$settle"
  pid=$(pgrep -P "$guard" | head -n 1 || true)
  [[ -n $pid ]] || pid=$guard
}

# "RUN_NS SWITCHES" of a process: run time of all its threads in ns and
# their context switches. Threads that end between two readings take their
# share with them.
usage_of() {
  cat /proc/"$1"/task/*/schedstat /proc/"$1"/task/*/status 2>/dev/null |
    awk 'NF == 3 && $1 ~ /^[0-9]+$/ { ns += $1 }
         /^(nonvoluntary|voluntary)_ctxt_switches:/ { cs += $2 }
         END { printf "%.0f %.0f\n", ns, cs }'
}

# build_floor OUT: builds bench/x_floor.c (a bare X client that only wakes
# every 20 ms and sends one glyph's cell: the floor of typing) into OUT;
# false when gcc or the X headers (libx11-xcb-dev) are missing.
build_floor() {
  gcc -O2 -std=c11 -D_POSIX_C_SOURCE=200809L -Wall -o "$1" "$here/bench/x_floor.c" \
    -lX11 -lX11-xcb -lxcb
}

# floor_cpu FLOOR SECONDS: the floor's CPU as % of one core over SECONDS,
# on the current DISPLAY.
floor_cpu() {
  local guard pid a b t0 t1
  timeout -s KILL $(($2 + 10)) "$1" $(($2 + 3)) &
  guard=$!
  sleep 1.5
  pid=$(pgrep -P "$guard" | head -n 1 || true)
  [[ -n $pid ]] || pid=$guard
  t0=$EPOCHREALTIME; a=$(usage_of "$pid")
  sleep "$2"
  t1=$EPOCHREALTIME; b=$(usage_of "$pid")
  wait "$guard" 2>/dev/null || true
  awk -v t0="$t0" -v t1="$t1" -v a="$a" -v b="$b" 'BEGIN {
    split(a, A, " "); split(b, B, " "); printf "%.2f\n", (B[1] - A[1]) / 1e7 / (t1 - t0) }'
}
