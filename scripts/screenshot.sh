#!/bin/bash
# Writes docs/screenshot.png: the real window under a virtual X display, with the
# example sounds opened and shown in both panes; then docs/screenshot-zoomed.png, the
# working pane zoomed in with Ctrl + wheel until its samples show as dots.
#   scripts/screenshot.sh [build folder]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
if [ "${SONOVANE_IN_XVFB:-}" != 1 ]; then
  SONOVANE_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x700x24" "$0" "$build"
fi
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
s=$root/examples/sounds
XDG_CONFIG_HOME=$config XDG_STATE_HOME=$config/state SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb \
SONOVANE_DEMO_WAVE="$s/whoosh.wav:$s/knock.wav:$s/coin.wav:$s/zap.wav:$s/drip.wav" \
  "$build/bin/sonovane" -nodelay &
pid=$!
sleep 4
# The window sits at the top left of the empty display; keep just its 822 x 544.
import -window root -crop 822x544+0+0 +repage "$root/docs/screenshot.png"
xdotool mousemove 420 150
sleep 0.3
for _ in 1 2 3 4 5 6 7 8 9; do xdotool keydown ctrl click 4 keyup ctrl; sleep 0.2; done
xdotool mousemove 420 600
sleep 1
import -window root -crop 822x544+0+0 +repage "$root/docs/screenshot-zoomed.png"
kill "$pid"
wait "$pid" 2>/dev/null || true
