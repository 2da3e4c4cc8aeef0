#!/usr/bin/env bash
# Builds what players download, into one folder:
#   Sorvik-VERSION.zip          Sorvik.exe, the default theme and a short read-me
#   Sorvik-VERSION-setup.exe    the per-user installer (tools/installer/sorvik.nsi)
#   SHA256SUMS
# The RAS stand-in and the test helpers are never shipped.
#   tools/package.sh [--build-dir DIR] [--out-dir DIR] [--sign KEY.pfx]
# Without --build-dir it makes a release build for the production service in build/release;
# the default --out-dir is build/dist. --sign signs Sorvik.exe, the uninstaller and setup.exe
# (password in SORVIK_SIGN_PASSWORD). The same commit gives the same bytes: every time in
# the files is the commit's (SOURCE_DATE_EPOCH, when not given).
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
build=""
out="$repo/build/dist"
key=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build="$(realpath "$2")"; shift 2 ;;
    --out-dir) out="$(realpath -m "$2")"; shift 2 ;;
    --sign) key="$(realpath "$2")"; shift 2 ;;
    *) sed -n '2,11p' "$0" >&2; exit 2 ;;
  esac
done

bash tools/setup.sh
version="$(sed -n 's/^project(Sorvik VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null || true)"
  # An unpacked archive has no history, but its files carry the commit's time.
  [ -n "$SOURCE_DATE_EPOCH" ] ||
    SOURCE_DATE_EPOCH="$(find . -path ./build -prune -o -type f -printf '%T@\n' | sort -n | tail -n 1 | cut -d. -f1)"
fi
export SOURCE_DATE_EPOCH
if [ -n "$key" ]; then
  export SORVIK_SIGN_KEY="$key"
  sign=(bash "$repo/tools/installer/sign.sh")
else
  echo "package: no --sign key: this release is UNSIGNED" >&2
  sign=()
fi

if [ -z "$build" ]; then
  build="$repo/build/release"
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DSORVIK_TESTS=OFF >/dev/null
  cmake --build "$build" --target Sorvik >/dev/null
fi

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
program="$stage/Sorvik"
mkdir -p "$program"
cp "$build/bin/Sorvik.exe" "$program/"
i686-w64-mingw32-strip "$program/Sorvik.exe"
cp -r "$repo/theme" "$program/theme"
rm -f "$program/theme/draw_theme.py"
[ ${#sign[@]} -eq 0 ] || "${sign[@]}" "$program/Sorvik.exe"

# Same times and modes whoever builds when: the installer stores both.
find "$program" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
find "$program" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

# The installer's file list and the uninstaller's, in a fixed order.
nsis_path() {
  local rel="${1#.}"
  printf '$INSTDIR%s' "${rel//\//\\}"
}
(
  cd "$program"
  find . -type d | LC_ALL=C sort | while read -r dir; do
    echo "SetOutPath \"$(nsis_path "$dir")\""
    find "$dir" -maxdepth 1 -type f | LC_ALL=C sort | while read -r file; do echo "File \"$program/${file#./}\""; done
  done >"$stage/files.nsh"
  {
    find . -type f | LC_ALL=C sort | while read -r file; do echo "Delete \"$(nsis_path "$file")\""; done
    find . -mindepth 1 -type d | LC_ALL=C sort -r | while read -r dir; do echo "RMDir \"$(nsis_path "$dir")\""; done
  } >"$stage/remove.nsh"
)

mkdir -p "$out"
zip="$out/Sorvik-$version.zip"
setup="$out/Sorvik-$version-setup.exe"
rm -f "$zip" "$setup" "$out/SHA256SUMS"
signdef=()
[ ${#sign[@]} -eq 0 ] || signdef=("-DSIGN=${sign[*]}")
makensis -V2 -INPUTCHARSET UTF8 "-DVERSION=$version" "-DOUTFILE=$setup" \
  "-DICON=$repo/app/shell/res/sorvik.ico" "-DFILES_NSH=$stage/files.nsh" "-DREMOVE_NSH=$stage/remove.nsh" \
  "${signdef[@]}" tools/installer/sorvik.nsi >"$stage/makensis.log" || { cat "$stage/makensis.log" >&2; exit 1; }

# The read-me is for the zip's users on Windows: GBK text with CR LF.
iconv -f UTF-8 -t GBK "$repo/tools/package-readme.txt" | sed 's/$/\r/' >"$program/说明.txt"
# Zip by hand: sorted entries, the commit's time, no Unix extras, and non-ASCII names flagged
# as UTF-8 (Debian's zip leaves the flag off, and a Chinese Windows then reads them as GBK).
python3 - "$stage" Sorvik "$zip" <<'PY'
import os, sys, time, zipfile
root, top, out = sys.argv[1:]
stamp = time.gmtime(int(os.environ["SOURCE_DATE_EPOCH"]))[:6]
paths = [top] + [os.path.relpath(os.path.join(d, n), root) for d, dirs, files in os.walk(os.path.join(root, top))
                 for n in dirs + files]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
    for path in sorted(paths):
        folder = os.path.isdir(os.path.join(root, path))
        entry = zipfile.ZipInfo(path + ("/" if folder else ""), stamp)
        entry.create_system = 3
        entry.external_attr = (0o40755 << 16 | 0x10) if folder else 0o100644 << 16
        data = b"" if folder else open(os.path.join(root, path), "rb").read()
        archive.writestr(entry, data, zipfile.ZIP_STORED if folder else zipfile.ZIP_DEFLATED)
PY
(cd "$out" && sha256sum "$(basename "$zip")" "$(basename "$setup")" >SHA256SUMS)
echo "$zip"
echo "$setup"
