#!/usr/bin/env bash
# Every test of the browser build, in headless Chromium:
#   tests/web/run.sh NATIVE_BUILD SITE_DIR OUT_DIR
# the same game as the headless run (same_game.sh), then the player's
# storage, slot files in and out, and a folder that is not the game
# (storage.mjs).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/same_game.sh" "$1" "$2" "$3/same-game"
timeout -s KILL 300 node "$here/storage.mjs" "$2" "$3/same-game/headless/slots/DATA01" "$3/storage"
