#!/usr/bin/env bash
# The browser build plays the same game as the headless front end, tick for
# tick: one input script (same_game.txt) is run by `velmor --headless` and
# by the page in headless Chromium (drive.mjs), and every state the script
# writes, its frame digest included, must be the same in both.
#   tests/web/same_game.sh NATIVE_BUILD SITE_DIR OUT_DIR [SCRIPT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
site=$(cd "$2" && pwd)
out=$3
script=$(realpath "${4:-$here/same_game.txt}")
rm -rf "$out"
mkdir -p "$out/headless/slots" "$out/web"
out=$(cd "$out" && pwd)

(cd "$here" && [ -d node_modules/playwright-core ] || npm ci --no-audit --no-fund --silent)

# The headless run writes its states where it runs.
(cd "$out/headless" && HOME="$out/headless" XDG_CONFIG_HOME="$out/headless/config" \
  timeout -s KILL 300 "$build/src/velmor" --headless --data "$build/demo" --slots slots \
  --screen 1024x768 --input "$script" --exit-after-script >headless.log 2>&1) ||
  { echo "same_game: the headless run failed:"; tail -20 "$out/headless/headless.log"; exit 1; }

timeout -s KILL 600 node "$here/drive.mjs" "$site" "$script" "$out/web" 2>&1 | tail -20
[ "${PIPESTATUS[0]}" -eq 0 ] || { echo "same_game: the browser run failed"; exit 1; }

python3 "$here/compare_states.py" "$out/headless" "$out/web" "$build/demo" /velmor/demo

# The slots the page exports are the headless run's, byte for byte.
shopt -s nullglob
exported=0
for slot in "$out"/headless/slots/DATA??; do
  name=$(basename "$slot")
  cmp -s "$slot" "$out/web/slots/$name" ||
    { echo "same_game: the page's exported $name is not the headless run's"; exit 1; }
  exported=$((exported + 1))
done
if [ "$exported" -gt 0 ]; then
  echo "$exported slot files exported by the page are the headless run's, byte for byte"
fi
