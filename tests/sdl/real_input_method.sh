#!/usr/bin/env bash
# Runs the RealInputMethodTest cases of sdl_tests on a private X server, D-Bus
# session and IBus with Anthy in hiragana mode, twice: Anthy dropping its
# composition when the input context is reset (its default), and committing
# it then ("commit on focus out"), which sends the text once more.
#   tests/sdl/real_input_method.sh BUILD/tests/sdl_tests [REPEAT]
# Exits 77 (CTest: skipped) when something it needs is missing or does not
# start; everything it starts is ended by process id.
set -u
tests=${1:?usage: real_input_method.sh SDL_TESTS [REPEAT]}
repeat=${2:-1}
skip() { echo "real input method test skipped: $*"; exit 77; }

# Debian's own tools first: ibus-anthy is a Python program that needs the
# system's python3 with its gi module, not another python3 on the PATH.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin:$PATH
for tool in Xvfb dbus-daemon ibus-daemon ibus gsettings xdotool timeout; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps installs it)"
done
[ -x /usr/libexec/ibus-engine-anthy ] || skip "ibus-anthy is not installed"
[ -x "$tests" ] || { echo "no test program $tests"; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  sleep 0.3
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill -KILL "${pids[i]}" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

# A home of its own: IBus and dconf keep their settings and the bus address
# there, not in the developer's.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
export XDG_RUNTIME_DIR=$work/run NO_AT_BRIDGE=1
mkdir -p "$HOME" && mkdir -p -m 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS GTK_IM_MODULE QT_IM_MODULE

# Waits until the command succeeds, a few seconds at most.
wait_for() {
  local i
  for i in $(seq 100); do "$@" >/dev/null 2>&1 && return 0; sleep 0.05; done
  return 1
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for test -s "$work/display" || skip "Xvfb did not start: $(tail -3 "$work/xvfb.log")"
export DISPLAY=:$(cat "$work/display")

dbus-daemon --session --nofork --print-address=3 3>"$work/bus" 2>"$work/dbus.log" &
pids+=($!)
wait_for test -s "$work/bus" || skip "the D-Bus session did not start"
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")

export XMODIFIERS=@im=ibus SDL_IM_MODULE=ibus
anthy=org.freedesktop.ibus.engine.anthy.common
status=0
for mode in 0 1; do
  gsettings set $anthy input-mode 0 || skip "cannot set Anthy's mode"
  gsettings set $anthy behavior-on-focus-out $mode
  ibus-daemon --replace --panel=disable --cache=none >"$work/ibus.log" 2>&1 &
  daemon=$!
  pids+=($daemon)
  wait_for ibus list-engine || skip "IBus did not start: $(tail -3 "$work/ibus.log")"
  # (ibus engine NAME exits with 1 even when it took the engine.)
  wait_for bash -c 'ibus engine anthy; [ "$(ibus engine)" = anthy ]' ||
    skip "IBus does not take the Anthy engine"
  echo "== Anthy with behavior-on-focus-out $mode"
  VELMOR_REAL_IME=1 SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy \
    timeout -s KILL 150 "$tests" --gtest_filter='RealInputMethodTest.*' --gtest_repeat="$repeat" \
    --gtest_brief=1 2>&1 | tail -c 20000
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  ibus exit >/dev/null 2>&1
  wait_for bash -c "! kill -0 $daemon" || kill "$daemon" 2>/dev/null
done
exit $status
