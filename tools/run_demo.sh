#!/usr/bin/env bash
# The demo: builds Sorvik.exe for the bundled demo service, starts that service
# and the program under Wine. With a display the Wine desktop appears there;
# without one a virtual display is used and a screenshot is saved every few
# seconds into the folder printed at start. Everything started here ends when
# the program exits or on Ctrl-C.
#   SORVIK_DEMO_SCREEN=WxH   size of the Wine desktop (default 1366x768)
#   SORVIK_DEMO_SHOTS=DIR    where screenshots go (default build/demo/screens)
#   SORVIK_DEMO_SECONDS=N    end the demo after N seconds (default: when the program exits)
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

bash tools/setup.sh
screen="${SORVIK_DEMO_SCREEN:-1366x768}"
demo="$repo/build/demo"
shots="${SORVIK_DEMO_SHOTS:-$demo/screens}"
mkdir -p "$demo"

# The 32-bit program where this machine runs 32-bit code, else the 64-bit one.
export SORVIK_ARCH="$(bash tools/wine_bench.sh arch)"
tree=build/win
[ "$SORVIK_ARCH" = i686 ] || tree=build/win64
echo "demo: building the $SORVIK_ARCH program"
cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$SORVIK_ARCH.cmake" \
  -DSORVIK_SERVICE_URL=http://127.0.0.1:18631 -DSORVIK_WEBSITE_URL=http://127.0.0.1:18631 \
  -DSORVIK_FORUM_URL=http://127.0.0.1:18631 >"$demo/configure.log"
cmake --build "$tree" -j "$(nproc)" --target Sorvik sorvik_ras_standin >"$demo/build.log" || {
  cat "$demo/build.log"; exit 1; }

# A fresh copy beside which the program writes its files, as after unpacking.
app="$demo/Sorvik"
rm -rf "$app"
mkdir -p "$app"
cp "$tree/bin/Sorvik.exe" "$app/"
cp -r "$tree/bin/theme" "$app/"

pids=()
cleanup() {
  trap - EXIT INT TERM
  if [ -n "${shooter:-}" ]; then
    kill -- "-$shooter" 2>/dev/null || true
    wait "$shooter" 2>/dev/null || true
  fi
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  bash tools/wine_bench.sh kill >/dev/null 2>&1 || true
  [ -n "${started_display:-}" ] && bash tools/wine_bench.sh stop >/dev/null 2>&1 || true
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  echo "demo: stopped"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  unset DISPLAY
  started_display=1
fi
export DISPLAY="$(bash tools/wine_bench.sh display)"
bash tools/wine_bench.sh prefix
# The program loads rasapi32.dll from System32 only: the RAS stand-in goes into the prefix.
bash tools/wine_bench.sh install-ras "$tree/ras-standin/rasapi32.dll"
bash tools/wine_bench.sh desktop "$screen"

echo "demo: starting the demo service on 127.0.0.1:18631 (log: $demo/service.log)"
/usr/bin/python3 tools/demo_service/service.py --config tools/demo_service/demo.json \
  --record-dir "$demo/records" >"$demo/service.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q '^READY' "$demo/service.log" 2>/dev/null && break; sleep 0.1; done
grep -q '^READY' "$demo/service.log" || { echo "demo: the service did not start:"; cat "$demo/service.log"; exit 1; }

if [ -n "${started_display:-}" ]; then
  mkdir -p "$shots"
  echo "demo: no display here; screenshots every 5 s go to $shots"
  # A group of its own, so that stopping it also stops a screenshot half taken.
  setsid bash -c 'while true; do bash tools/wine_bench.sh screenshot "$1/$(date +%H%M%S).png" || true; sleep 5; done' \
    shots "$shots" >/dev/null 2>&1 &
  shooter=$!
fi

echo "demo: starting Sorvik.exe (Wine desktop $screen on $DISPLAY)"
(cd "$app" && bash "$repo/tools/wine_bench.sh" run "$app/Sorvik.exe") &
program=$!
if [ -n "${SORVIK_DEMO_SECONDS:-}" ]; then
  ( sleep "$SORVIK_DEMO_SECONDS"; kill "$program" 2>/dev/null; bash "$repo/tools/wine_bench.sh" kill ) &
  pids+=($!)
fi
wait "$program" || true
echo "demo: Sorvik.exe has exited"
