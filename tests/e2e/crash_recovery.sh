#!/usr/bin/env bash
# End to end: the real program under Xvfb (xcb) opens a sound from the command line and
# once more for both panes (the demonstration hook), stores the working selection by a
# real drag onto the Selections list, deletes it from the working wave, and is killed
# with SIGKILL. Started again it asks whether to
# restore; Yes brings every wave back byte for byte (the new program's own folder holds
# exactly what the killed one's did, and the saved final wave is the sound), and the
# old folder is gone. Killed once more and answered No, nothing comes back, and closing
# the program properly leaves no folder behind.
set -euo pipefail
program=${1:?usage: crash_recovery.sh <path to sonovane>}
src=${SONOVANE_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}

export E2E_LIB="$src/tests/e2e/lib"
. "$E2E_LIB/common.sh"
e2e_require xvfb-run xdotool python3
e2e_workdir
sound="$src/examples/sounds/zap.wav"   # 8-bit mono 22050 Hz: opened without conversion
mkdir -p "$work/out"

cat > "$work/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
set -euo pipefail
program=$1 sound=$2 work=$3
[ -n "${E2E_TRACE:-}" ] && set -x
. "$E2E_LIB/common.sh"
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
root="$work/state/Sonovane"
check() { python3 "$E2E_LIB/recovery_check.py" "$@"; }

start() {  # start ARGS...: the program in the output folder, its pid in $pid
  (cd "$work/out" && exec "$program" -nodelay "$@") >> "$work/program.log" 2>&1 &
  pid=$!
}
# Answers the start-up question (the only window up before the main window) with a key.
answer() {
  local box; box=$(wait_window Sonovane)
  sleep 0.5
  [ -n "${E2E_SHOTS:-}" ] && import -window root "$work/question-$1.png"
  xdotool windowfocus --sync "$box" 2>/dev/null || true
  xdotool key "$1"
}
main_window() {
  for _ in $(seq 1 100); do
    main=$(xdotool search --onlyvisible --name '^Sonovane$' 2>/dev/null | while read -r id; do
      eval "$(xdotool getwindowgeometry --shell "$id")"; [ "$WIDTH" -gt 600 ] && echo "$id"; done | head -n1 || true)
    [ -n "$main" ] && break; sleep 0.1
  done
  [ -n "$main" ] || { echo "the main window did not appear" >&2; exit 1; }
  sleep 1.5                                   # the plug-in scan hides the splash
  xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
}
kill9() { kill -9 "$pid"; wait "$pid" 2>/dev/null || true; }

# 1. Both panes show the sound (the working pane with its second quarter selected); the
#    Waves list holds it twice. The working selection is dragged onto the Selections list
#    (below the Waves list, 170 wide), then deleted from the working wave.
export SONOVANE_DEMO_WAVE="$sound"
start "$sound"
main_window
unset SONOVANE_DEMO_WAVE
xdotool mousemove --window "$main" 420 150
sleep 0.3
xdotool keydown shift mousedown 1
for dx in 4 8 12 16 24; do xdotool mousemove --window "$main" $((420 - dx)) 150; sleep 0.1; done
xdotool keyup shift
for p in "300 200" "150 300" "80 420" "81 430"; do xdotool mousemove --window "$main" $p; sleep 0.15; done
xdotool mouseup 1
sleep 0.5
xdotool key --window "$main" shift+Delete
sleep 1.5                                     # the journal gathers, then writes
[ -n "${E2E_SHOTS:-}" ] && import -window root "$work/before-kill.png"
kill9
check first "$sound" "$root" "$work/first"

# 2. Started again: Yes. The new folder must hold what the killed program's did.
start
answer Return
main_window
sleep 1.5
[ -n "${E2E_SHOTS:-}" ] && import -window root "$work/restored.png"
check restored "$sound" "$root" "$work/first"
xdotool key --window "$main" ctrl+s
dialog=$(wait_window "Save WAV")
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
sleep 0.3
xdotool type --delay 40 final
xdotool key Return
for _ in $(seq 1 50); do [ -s "$work/out/final.wav" ] && break; sleep 0.1; done
sleep 1
kill9
check saved "$sound" "$root" "$work/first" "$work/out/final.wav"

# 3. Killed once more and answered No: nothing comes back, the folder goes, and a
#    proper close leaves none.
start
answer Escape
main_window
sleep 1.5
check refused "$sound" "$root" "$work/first"
xdotool key --window "$main" alt+f
sleep 0.5
xdotool key Up Return
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
wait "$pid" 2>/dev/null || true
check closed "$sound" "$root"
DRIVE
chmod +x "$work/drive.sh"

xvfb-run -a -s "-screen 0 1024x768x24" "$work/drive.sh" "$program" "$sound" "$work"
echo "OK: restored byte for byte after kill -9, refused restore discarded, clean exit left no folder"
