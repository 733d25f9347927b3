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

# start_xvfb NAME FIRST LAST: a private Xvfb (1024x768x24) on the first free
# display of FIRST..LAST; sets xserver (its pid) and DISPLAY, or exits 1.
# Its log goes to $work/xvfb.log.
start_xvfb() {
  local name=$1 n
  for n in $(seq "$2" "$3"); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
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

# "RUN_NS SWITCHES" of a process: run time of all its threads in ns and
# their context switches. Threads that end between two readings take their
# share with them.
usage_of() {
  cat /proc/"$1"/task/*/schedstat /proc/"$1"/task/*/status 2>/dev/null |
    awk 'NF == 3 && $1 ~ /^[0-9]+$/ { ns += $1 }
         /^(nonvoluntary|voluntary)_ctxt_switches:/ { cs += $2 }
         END { printf "%.0f %.0f\n", ns, cs }'
}
