#!/usr/bin/env bash
# End to end: the real program under Xvfb (xcb) opens an example sound through its real
# open dialog, lists it, and plays it through SDL's disk driver; the bytes that reach the
# "device" must be the sound's samples.
set -euo pipefail
program=${1:?usage: open_and_play.sh <path to sonovane>}
src=${SONOVANE_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}

export E2E_LIB="$src/tests/e2e/lib"
. "$E2E_LIB/common.sh"
e2e_require xvfb-run xdotool python3
e2e_workdir
sound="$src/examples/sounds/zap.wav"   # 8-bit mono 22050 Hz: opened without conversion

cat > "$work/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
set -euo pipefail
program=$1 sound=$2 work=$3
. "$E2E_LIB/common.sh"
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/played.raw"
export XDG_CONFIG_HOME="$work/config"
# Started in the examples folder: with no remembered folder the dialog opens there, so only
# the bare name has to be typed (typing long paths races the dialog's completer).
(cd "$(dirname "$sound")" && exec "$program" -nodelay) > "$work/program.log" 2>&1 &
pid=$!
main=$(wait_window Sonovane)
sleep 1.5                                   # the plug-in scan hides the splash
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key --window "$main" ctrl+o
dialog=$(wait_window "Open WAV")
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool type --delay 40 "$(basename "$sound")"
[ -n "${E2E_SHOTS:-}" ] && import -window root "$work/dialog.png"
xdotool key Return
sleep 1
[ -n "${E2E_SHOTS:-}" ] && import -window root "$work/after-open.png"
# The new entry is the first row of the Waves list: select it, open its popup, choose "Play".
xdotool mousemove --window "$main" 40 75 click 1
sleep 0.3
xdotool mousemove --window "$main" 40 75 click 3
sleep 0.5
[ -n "${E2E_SHOTS:-}" ] && import -window root "$work/popup.png"
xdotool key Down Return
sleep 1.5
xdotool key --window "$main" Escape
kill "$pid"; wait "$pid" 2>/dev/null || true
DRIVE
chmod +x "$work/drive.sh"

xvfb-run -a -s "-screen 0 1024x768x24" "$work/drive.sh" "$program" "$sound" "$work"

python3 - "$sound" "$work/played.raw" <<'CHECK'
import os, sys
sys.path.insert(0, os.environ['E2E_LIB'])
from wavdata import data_chunk
data = data_chunk(sys.argv[1])
played = open(sys.argv[2], 'rb').read()
if not data or data not in played:
    sys.exit(f"FAIL: the {len(data or b'')} samples of the sound were not played "
             f"({len(played)} bytes reached the device)")
print(f"OK: {len(data)} samples listed and played exactly")
CHECK
