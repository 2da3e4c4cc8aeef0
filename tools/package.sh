#!/usr/bin/env bash
# Builds the release zip: Sorvik.exe, the default theme and a short read-me, nothing else
# (the RAS stand-in and the test helpers are never shipped).
#   tools/package.sh [--build-dir DIR] [--out FILE.zip]
# Without --build-dir it makes a release build for the production service in build/release.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
build=""
out="$repo/build/Sorvik-1.5.zip"
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    *) sed -n '2,5p' "$0" >&2; exit 2 ;;
  esac
done

bash tools/setup.sh
if [ -z "$build" ]; then
  build="$repo/build/release"
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DSORVIK_TESTS=OFF >/dev/null
  cmake --build "$build" --target Sorvik >/dev/null
fi

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/Sorvik"
cp "$build/bin/Sorvik.exe" "$stage/Sorvik/"
i686-w64-mingw32-strip "$stage/Sorvik/Sorvik.exe"
cp -r "$repo/theme" "$stage/Sorvik/theme"
rm -f "$stage/Sorvik/theme/draw_theme.py"
# The read-me is for Windows users: GBK text with CR LF.
iconv -f UTF-8 -t GBK "$repo/tools/package-readme.txt" | sed 's/$/\r/' >"$stage/Sorvik/说明.txt"
mkdir -p "$(dirname "$out")"
rm -f "$out"
(cd "$stage" && zip -qr -X "$out" Sorvik)
echo "$out"
