#!/usr/bin/env bash
# "Fit the screen" in a page of 1400x1100: the canvas's own pixels are the
# page's (1400x1050, whole steps of 4 by 3), the game's sharp scaling draws
# straight into them, and the pointer lands where the game's scaling says.
# One input script (fit.txt) runs in the page as a player sees it
# (drive.mjs --page) and in `velmor --headless` at the canvas's size: the
# states (the display's place, the pointer, the frame digest) and every
# pixel of the pictures must be the same.
#   tests/web/fit.sh NATIVE_BUILD SITE_DIR OUT_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
site=$(cd "$2" && pwd)
out=$3
page=1400x1100
canvas=1400x1050
rm -rf "$out"
mkdir -p "$out/headless" "$out/web"
out=$(cd "$out" && pwd)

(cd "$here" && [ -d node_modules/playwright-core ] || npm ci --no-audit --no-fund --silent)

timeout -s KILL 600 node "$here/drive.mjs" "$site" "$here/fit.txt" "$out/web" --page "$page" 2>&1 | tail -20
[ "${PIPESTATUS[0]}" -eq 0 ] || { echo "fit: the browser run failed"; exit 1; }

# The canvas: its own pixels the page's, not 1024x768 scaled by the page.
read -r width height page_width page_height < <(python3 -c '
import json, sys
c = json.load(open(sys.argv[1]))
print(c["width"], c["height"], c["pageWidth"], c["pageHeight"])' "$out/web/canvas.json")
if [ "${width}x${height}" != "$canvas" ] || [ "${page_width}x${page_height}" != "$canvas" ]; then
  echo "fit: the canvas has ${width}x${height} pixels of its own, ${page_width}x${page_height} in the page; wanted $canvas both"
  exit 1
fi
echo "the canvas has $canvas pixels of its own, as many in the page"

(cd "$out/headless" && HOME="$out/headless" XDG_CONFIG_HOME="$out/headless/config" \
  timeout -s KILL 300 "$build/src/velmor" --headless --data "$build/demo" --slots slots \
  --screen "$canvas" --input "$here/fit.txt" --exit-after-script >headless.log 2>&1) ||
  { echo "fit: the headless run failed:"; tail -20 "$out/headless/headless.log"; exit 1; }

python3 "$here/compare_states.py" "$out/headless" "$out/web" "$build/demo" /velmor/demo
node "$here/compare_pictures.mjs" "$out/headless" "$out/web" 01-title.png 02-choice.png 05-typing.png
