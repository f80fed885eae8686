#!/usr/bin/env bash
# Builds the Debian package from a built tree, as `make deb` does, and checks it: the
# files of an install under /usr, stripped, and dependencies read off the shared
# libraries of the program and of its plug-ins.
# Usage: check_deb.sh BUILD_DIR
set -euo pipefail
build=$1
fail() { echo "FAIL: $*"; exit 1; }
for tool in cpack dpkg-deb dpkg-shlibdeps file; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool not installed (scripts/install-deps.sh installs it)"; exit 77; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cpack -G DEB -B "$tmp" --config "$build/CPackConfig.cmake" >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; fail cpack; }
debs=("$tmp"/sonovane_*_"$(dpkg --print-architecture)".deb)
[ -f "${debs[0]}" ] || fail "no sonovane_<version>_<arch>.deb in $(ls "$tmp")"
deb=${debs[0]}

DESTDIR=$tmp/root cmake --install "$build" --prefix /usr >/dev/null
diff <(cd "$tmp/root" && find . -type f | sort) \
     <(dpkg-deb -c "$deb" | awk '$1 ~ /^-/ {print $6}' | sort) || fail "package files differ from an install under /usr"

mkdir "$tmp/x" && dpkg-deb -x "$deb" "$tmp/x"
for f in "$tmp"/x/usr/bin/* "$tmp"/x/usr/lib/sonovane/plugins/*; do
  file -b "$f" | grep -q ', stripped' || fail "$f is not stripped"
done

# Read off the libraries, each with the least version its symbols need.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libsoxr0 libsndfile1 libsdl2-2.0-0 liblilv-0-0; do
  [[ ", $depends," == *", $lib (>= "* ]] || fail "Depends lacks $lib: $depends"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
for pkg in swh-plugins tap-plugins cmt mda-lv2; do
  [[ ", $recommends," == *", $pkg,"* ]] || fail "Recommends lacks $pkg: $recommends"
done
echo "package $(basename "$deb") passes"
