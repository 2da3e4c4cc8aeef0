#!/usr/bin/env bash
# Builds what players download, into one folder, for both Windows architectures:
#   Sorvik-VERSION-x86.zip / Sorvik-VERSION-x86-setup.exe   32-bit (i686): runs on every Windows
#   Sorvik-VERSION-x64.zip / Sorvik-VERSION-x64-setup.exe   64-bit (x86_64): 64-bit Windows only
#   SHA256SUMS                                              the checksums of all four
# A zip holds Sorvik.exe, the default theme and a short read-me; a setup.exe is the per-user
# installer (tools/installer/sorvik.nsi). The RAS stand-in and the test helpers are never shipped.
#   tools/package.sh [--build-dir DIR]... [--out-dir DIR] [--sign KEY.pfx] [--service-url URL]
# --build-dir takes an already built tree as it is; its architecture is that of its
# bin/Sorvik.exe. Give it once per architecture at most. An architecture without one gets a
# release build in build/release (i686) or build/release64 (x86_64) for the service at
# --service-url (http://host[:port] or https://host[:port]; by default the production http host).
# The default --out-dir is build/dist. --sign signs every Sorvik.exe, uninstaller and setup.exe
# (password in SORVIK_SIGN_PASSWORD). The same commit gives the same bytes: every time in
# the files is the commit's (SOURCE_DATE_EPOCH, when not given).
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
arches=(i686 x86_64)
declare -A build=() label=([i686]=x86 [x86_64]=x64) default=([i686]=release [x86_64]=release64)
out="$repo/build/dist"
key=""
service_url=""

# The architecture a tree was built for, from the PE header of what it built.
tree_arch() {
  case "$(x86_64-w64-mingw32-objdump -f "$1/bin/Sorvik.exe" | sed -n 's/.*file format //p')" in
    pei-i386) echo i686 ;;
    pei-x86-64) echo x86_64 ;;
    *) echo "package: $1/bin/Sorvik.exe is not a Windows x86 or x64 program" >&2; return 1 ;;
  esac
}

while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir)
      dir="$(realpath "$2")"; arch="$(tree_arch "$dir")"
      [ -z "${build[$arch]:-}" ] || { echo "package: two build trees for $arch" >&2; exit 2; }
      build[$arch]="$dir"; shift 2 ;;
    --out-dir) out="$(realpath -m "$2")"; shift 2 ;;
    --sign) key="$(realpath "$2")"; shift 2 ;;
    --service-url) service_url="$2"; shift 2 ;;
    *) sed -n '2,16p' "$0" >&2; exit 2 ;;
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

for arch in "${arches[@]}"; do
  if [ -z "${build[$arch]:-}" ]; then
    build[$arch]="$repo/build/${default[$arch]}"
    cmake -S . -B "${build[$arch]}" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" -DSORVIK_TESTS=OFF -DSORVIK_SERVICE_URL="$service_url" >/dev/null
    cmake --build "${build[$arch]}" --target Sorvik >/dev/null
    [ "$(tree_arch "${build[$arch]}")" = "$arch" ] ||
      { echo "package: ${build[$arch]} holds no $arch build" >&2; exit 1; }
  fi
done

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
mkdir -p "$out"
rm -f "$out/SHA256SUMS"
made=()

# The installer's file list and the uninstaller's, in a fixed order.
nsis_path() {
  local rel="${1#.}"
  printf '$INSTDIR%s' "${rel//\//\\}"
}

for arch in "${arches[@]}"; do
  name="Sorvik-$version-${label[$arch]}"
  work="$stage/$arch"
  program="$work/Sorvik"
  mkdir -p "$program"
  cp "${build[$arch]}/bin/Sorvik.exe" "$program/"
  "$arch-w64-mingw32-strip" "$program/Sorvik.exe"
  cp -r "$repo/theme" "$program/theme"
  rm -f "$program/theme/draw_theme.py"
  [ ${#sign[@]} -eq 0 ] || "${sign[@]}" "$program/Sorvik.exe"

  # Same times and modes whoever builds when: the installer stores both.
  find "$program" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
  find "$program" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

  (
    cd "$program"
    find . -type d | LC_ALL=C sort | while read -r dir; do
      echo "SetOutPath \"$(nsis_path "$dir")\""
      find "$dir" -maxdepth 1 -type f | LC_ALL=C sort | while read -r file; do echo "File \"$program/${file#./}\""; done
    done >"$work/files.nsh"
    {
      find . -type f | LC_ALL=C sort | while read -r file; do echo "Delete \"$(nsis_path "$file")\""; done
      find . -mindepth 1 -type d | LC_ALL=C sort -r | while read -r dir; do echo "RMDir \"$(nsis_path "$dir")\""; done
    } >"$work/remove.nsh"
  )

  zip="$out/$name.zip"
  setup="$out/$name-setup.exe"
  rm -f "$zip" "$setup"
  signdef=()
  [ ${#sign[@]} -eq 0 ] || signdef=("-DSIGN=${sign[*]}")
  makensis -V2 -INPUTCHARSET UTF8 "-DVERSION=$version" "-DARCH=${label[$arch]}" "-DOUTFILE=$setup" \
    "-DICON=$repo/app/shell/res/sorvik.ico" "-DFILES_NSH=$work/files.nsh" "-DREMOVE_NSH=$work/remove.nsh" \
    "${signdef[@]}" tools/installer/sorvik.nsi >"$work/makensis.log" || { cat "$work/makensis.log" >&2; exit 1; }

  # The read-me is for the zip's users on Windows: GBK text with CR LF, naming its Windows.
  case "$arch" in
    i686) edition="32 位版，适用于所有 Windows（32 位和 64 位）" ;;
    x86_64) edition="64 位版，仅适用于 64 位 Windows 7 及以上" ;;
  esac
  sed "s/@EDITION@/$edition/" "$repo/tools/package-readme.txt" | iconv -f UTF-8 -t GBK | sed 's/$/\r/' \
    >"$program/说明.txt"
  # Zip by hand: sorted entries, the commit's time, no Unix extras, and non-ASCII names flagged
  # as UTF-8 (Debian's zip leaves the flag off, and a Chinese Windows then reads them as GBK).
  python3 - "$work" Sorvik "$zip" <<'PY'
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
  made+=("$(basename "$zip")" "$(basename "$setup")")
done

(cd "$out" && sha256sum "${made[@]}" >SHA256SUMS)
for file in "${made[@]}"; do echo "$out/$file"; done
