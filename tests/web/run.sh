#!/usr/bin/env bash
# Every test of the browser build, in headless Chromium:
#   tests/web/run.sh NATIVE_BUILD SITE_DIR OUT_DIR
# the same game as the headless run (same_game.sh), the name panels typed
# through the browser's input method the same too, then the player's
# storage, slot files in and out, a folder that is not the game
# and a quota the browser refuses (storage.mjs), the touch gestures
# (touch.mjs), the game's folder as a .zip, as files chosen flat and
# dropped on the page (own_files.mjs), and MIDI from the page's
# synthesiser (midi.mjs), and "fit the screen" in a page of another size
# (fit.sh, fit_sizes.mjs).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/same_game.sh" "$1" "$2" "$3/same-game"
"$here/same_game.sh" "$1" "$2" "$3/name-input" "$here/name_input.txt"
timeout -s KILL 300 node "$here/storage.mjs" "$2" "$3/same-game/headless/slots/DATA01" "$3/storage"
timeout -s KILL 300 node "$here/touch.mjs" "$2"
timeout -s KILL 300 node "$here/own_files.mjs" "$2" "$1/demo"
timeout -s KILL 300 node "$here/midi.mjs" "$2" "$3/same-game/headless/slots/DATA01"
"$here/fit.sh" "$1" "$2" "$3/fit"
timeout -s KILL 300 node "$here/fit_sizes.mjs" "$2"
