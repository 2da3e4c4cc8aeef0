#!/usr/bin/env bash
# Runs the benchmarks and prints their figures (not a test; CI does not run it).
#   bench.sh [speed]   speed test: 5, 20 and 50 lines, half silent, through the real worker pool and watcher
#   bench.sh idle      Sorvik.exe beside a bare window: CPU and wake-ups in three idle states, memory
#   bench.sh startup   Sorvik.exe beside a bare window: launch to a visible window, median of 7
#   bench.sh soak [thread|apc] [cycles] [exits] [drops]   1,000 connect/stop cycles (100 of them
#                      dropped by the line and reconnected) and 100 exits with work in flight,
#                      in-process; the RAS stand-in calls the dial notifier on its own thread
#                      (as Windows does; the default) or as APCs on the dialling thread
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
case "${1:-speed}" in
  idle | startup) exec bash tools/bench/desktop_bench.sh "$1" ;;
  speed | soak) ;;
  *) sed -n '2,9p' "$0" >&2; exit 2 ;;
esac
bash tools/setup.sh
# The 32-bit build where this machine runs 32-bit code, else the 64-bit one (SORVIK_ARCH chooses).
export SORVIK_ARCH="$(bash tools/wine_bench.sh arch)"
tree=build/win
[ "$SORVIK_ARCH" = i686 ] || tree=build/win64
echo "bench: $SORVIK_ARCH build" >&2
cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$SORVIK_ARCH.cmake" \
  -DSORVIK_SERVICE_URL=http://127.0.0.1:18631 >/dev/null
if [ "${1:-speed}" = soak ]; then
  shift
  case "${1:-}" in thread | apc) export SORVIK_RAS_NOTIFY="$1"; shift ;; esac
  set -- soak "$@"
  cmake --build "$tree" --target soak_bench sorvik_ras_standin >/dev/null
  bash tools/wine_bench.sh prefix
  SORVIK_REPO="$repo" SORVIK_RECORD_DIR="$repo/build/soak-records" SORVIK_RAS_STANDIN="$tree/ras-standin/rasapi32.dll" \
    exec bash tests/win/run_with_service.sh bash tools/wine_bench.sh run "$tree"/bin/soak_bench.exe "${@:2}"
fi
cmake --build "$tree" --target speed_test_bench >/dev/null
bash tools/wine_bench.sh run "$tree"/bin/speed_test_bench.exe
