#!/usr/bin/env bash
# Installs the Debian 12 packages Sonovane needs, only those that are missing.
set -euo pipefail

packages=(
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-translations-l10n
  libsndfile1-dev libsoxr-dev libsdl2-dev ladspa-sdk liblilv-dev
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdg-utils
  desktop-file-utils appstream dpkg-dev file
)
# Optional tools: sox (converter cross-checks), clang + compiler-rt (fuzzing, sanitizers),
# xdotool (end-to-end run), a few LADSPA and LV2 effects (the effect host's tests).
if [ "${SONOVANE_DEPS_EXTRA:-1}" = 1 ]; then
  packages+=(sox clang libclang-rt-14-dev xdotool cmt swh-plugins mda-lv2 lv2-examples)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q || true
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
