# Shared by the end-to-end runs (sourced): the tools they need, their work folder, and
# waiting for a window of the real program to show.

# Skips the run (exit 77) when a tool is missing.
e2e_require() {
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then echo "SKIP: $tool is not installed"; exit 77; fi
  done
}

# $work: a fresh folder, removed at exit unless KEEP_WORK is set. The program's recovery
# folders go there too, never to the user's own, and no run sees another's.
e2e_workdir() {
  work=$(mktemp -d)
  export XDG_STATE_HOME="$work/state"
  trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
}

# Prints the id of the visible window whose title is exactly $1, once it shows.
wait_window() {
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "window '$1' did not appear" >&2; return 1
}
