#!/usr/bin/env bash
# End to end: the real program under Xvfb (xcb) shows an example sound in both panes, a
# real Shift+drag with the mouse moves the working selection to the front of its own wave
# (passing the middle, where the pane refuses its own wave), a second one carries it to
# the right fifth of the final pane (appending it), and the real save dialog writes the
# final wave; the file must hold exactly the sound followed by the dragged samples.
set -euo pipefail
program=${1:?usage: drag_and_save.sh <path to sonovane>}
src=${SONOVANE_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}

export E2E_LIB="$src/tests/e2e/lib"
. "$E2E_LIB/common.sh"
e2e_require xvfb-run xdotool python3
e2e_workdir
sound="$src/examples/sounds/zap.wav"   # 8-bit mono 22050 Hz: shown without conversion
mkdir -p "$work/out"

cat > "$work/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
set -euo pipefail
program=$1 sound=$2 work=$3
. "$E2E_LIB/common.sh"
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work/config"
# The sound in both panes (the working pane with its second quarter selected, the final
# pane whole). Started in the output folder: with no remembered folder the save dialog
# opens there, so only a bare name has to be typed.
export SONOVANE_DEMO_WAVE="$sound"
(cd "$work/out" && exec "$program" -nodelay) > "$work/program.log" 2>&1 &
pid=$!
main=$(wait_window Sonovane)
sleep 1.5                                   # the plug-in scan hides the splash
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
# The window is 822 x 544: the left column is 170 wide, then the 5-pixel splitter and the
# 9-pixel narrow panel, so a pane starts at x = 184 and is 628 wide (10 for the level bar
# on the right). Each half of the wave area holds a pane about 200 high below its tool
# bar; the middles below are well inside them for any menu and status bar height.
eval "$(xdotool getwindowgeometry --shell "$main")"
working_y=$((HEIGHT * 28 / 100)) final_y=$((HEIGHT * 74 / 100))
shift_drag() {  # from_x from_y, then x y pairs to pass through; the button stays down
  local x=$1 y=$2; shift 2
  xdotool mousemove --window "$main" "$x" "$y"
  sleep 0.3
  xdotool keydown shift mousedown 1
  for dx in 4 8 12 16 24; do xdotool mousemove --window "$main" $((x + dx)) "$y"; sleep 0.1; done
  xdotool keyup shift
  while [ $# -ge 2 ]; do
    xdotool mousemove --window "$main" "$1" "$2"; sleep 0.15; shift 2
  done
  sleep 0.3
}
# Inside the selection (a quarter to a half), over the middle, to the left fifth: to the
# front. The selection then covers the first quarter.
shift_drag $((184 + 628 * 3 / 8)) "$working_y" $((184 + 628 / 2)) "$working_y" 300 "$working_y" \
  $((184 + 20)) "$working_y" $((184 + 10)) "$working_y"
[ -n "${E2E_SHOTS:-}" ] && import -window root "$work/moving.png"
xdotool mouseup 1
sleep 0.5
# From the moved selection to the right fifth of the final pane: appended there.
to_x=$((184 + 628 * 93 / 100))
shift_drag $((184 + 628 / 8)) "$working_y" 400 $(((working_y + final_y) / 2)) "$to_x" "$final_y" \
  $((to_x + 1)) "$final_y"
[ -n "${E2E_SHOTS:-}" ] && import -window root "$work/dragging.png"
xdotool mouseup 1
sleep 0.5
[ -n "${E2E_SHOTS:-}" ] && import -window root "$work/dropped.png"
xdotool key --window "$main" ctrl+s
dialog=$(wait_window "Save WAV")
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
sleep 0.3
xdotool type --delay 40 composed
xdotool key Return
for _ in $(seq 1 50); do [ -s "$work/out/composed.wav" ] && break; sleep 0.1; done
sleep 0.5
[ -n "${E2E_SHOTS:-}" ] && import -window root "$work/saved.png"
kill "$pid"; wait "$pid" 2>/dev/null || true
DRIVE
chmod +x "$work/drive.sh"

xvfb-run -a -s "-screen 0 1024x768x24" "$work/drive.sh" "$program" "$sound" "$work"

python3 - "$sound" "$work/out/composed.wav" <<'CHECK'
import os, struct, sys
sys.path.insert(0, os.environ['E2E_LIB'])
from wavdata import data_chunk
data = data_chunk(sys.argv[1])
n = len(data)
# The working selection runs from a quarter to a half of the sound, both ends included.
samples = data + data[n // 4:n // 2 + 1]
header = (b'RIFF' + struct.pack('<I', 36 + len(samples)) + b'WAVEfmt ' +
          struct.pack('<IHHIIHH', 16, 1, 1, 22050, 22050, 1, 8) + b'data' + struct.pack('<I', len(samples)))
try:
    saved = open(sys.argv[2], 'rb').read()
except OSError as e:
    sys.exit(f"FAIL: nothing was saved ({e})")
if saved != header + samples:
    sys.exit(f"FAIL: the saved file has {len(saved)} bytes, expected {len(header + samples)} "
             f"(the sound, then samples {n // 4} to {n // 2} appended)")
print(f"OK: {n} samples with {len(samples) - n} dragged samples appended, saved exactly")
CHECK
