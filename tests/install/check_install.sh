#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks what lands there: exactly the
# expected files, the kit where the program looks for it, nothing pointing back into the
# build, and desktop entry and metainfo that the desktop's own validators accept.
# Usage: check_install.sh BUILD_DIR APP_ID PLUGIN_SUBFOLDER (relative to bin/)
set -euo pipefail
build=$1 id=$2 sub=$3
src=${SONOVANE_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; fail "cmake --install"; }

# The kit beside the built program is the kit that gets installed, found from bin/.
kit=$(cd "$build/bin" && ls -1 -- *.txf 2>/dev/null) || fail "no plug-in kit built in $build/bin"
plugins=$(cd "$prefix/bin" && realpath -m --relative-to="$prefix" "$sub")
expected=$(
  printf '%s\n' bin/sonovane bin/sonovane-plugin-helper bin/sonovane-effect-helper include/sonovane/sonovane_plugin.h share/doc/sonovane/plugins.md \
    "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
    share/icons/hicolor/scalable/apps/sonovane.svg
  for k in $kit; do echo "$plugins/$k"; done)
actual=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||')
diff <(sort <<<"$expected") <(sort <<<"$actual") || fail "installed tree differs (< expected, > installed)"

[ -x "$prefix/bin/sonovane" ] || fail "bin/sonovane is not executable"
[ -x "$prefix/bin/sonovane-plugin-helper" ] || fail "bin/sonovane-plugin-helper is not executable"
[ -x "$prefix/bin/sonovane-effect-helper" ] || fail "bin/sonovane-effect-helper is not executable"
cmp -s "$src/plugins/sonovane_plugin.h" "$prefix/include/sonovane/sonovane_plugin.h" || fail "header differs"
cmp -s "$src/docs/plugins.md" "$prefix/share/doc/sonovane/plugins.md" || fail "guide differs"
for k in $kit; do
  cmp -s "$build/bin/$k" "$prefix/$plugins/$k" || fail "$k differs from the built one"
done
# An installed file that still looks into the build tree works only on this machine.
for f in "$prefix/bin/sonovane" "$prefix/bin/sonovane-plugin-helper" "$prefix/bin/sonovane-effect-helper" "$prefix/$plugins"/*.txf; do
  if readelf -d "$f" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then fail "$f keeps a path into the build"; fi
done

# The three files refer to one another by name.
desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$prefix/bin/${exec_line%% *}" ] || fail "Exec=$exec_line names no installed program"
[[ " $exec_line " == *" %F "* ]] || fail "Exec=$exec_line takes no list of files"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "Icon=$icon is not installed"
grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo launches no $id.desktop"
grep -q '@[A-Z_]*@' "$metainfo" && fail "metainfo keeps an unfilled placeholder"

# The installed program, started as a desktop starts it, loads exactly its kit from the
# installed folder with "-nodelay", and nothing with "-noplugin".
run() {  # run LOG SECONDS-AT-MOST ARGS...: until every kit library was loaded, or time ran out
  local log=$1 limit=$2; shift 2
  QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$tmp/config XDG_STATE_HOME=$tmp/state LD_DEBUG=files \
    "$prefix/bin/sonovane" "$@" 2>"$log" &
  local pid=$! waited=0
  while [ "$waited" -lt "$((limit * 10))" ] && kill -0 "$pid" 2>/dev/null; do
    [ "$(grep -c 'calling init: .*\.txf$' "$log")" -ge "$(wc -w <<<"$kit")" ] && break
    sleep 0.1; waited=$((waited + 1))
  done
  kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true
}
run "$tmp/nodelay.log" 30 -nodelay
loaded=$(sed -n 's/.*calling init: \(.*\.txf\)$/\1/p' "$tmp/nodelay.log" | sort -u)
diff <(for k in $kit; do echo "$prefix/$plugins/$k"; done | sort) <(echo "$loaded") \
  || fail "-nodelay: the installed program did not load its kit from $plugins"
run "$tmp/noplugin.log" 3 -noplugin
grep -q 'calling init: .*\.txf$' "$tmp/noplugin.log" && fail "-noplugin: a plug-in was loaded"

missing=()
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate"
else missing+=(desktop-file-validate); fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
else missing+=(appstreamcli); fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIP: ${missing[*]} not installed (scripts/install-deps.sh installs them)"
  exit 77
fi
echo "installed tree and desktop files pass"
