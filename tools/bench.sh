#!/usr/bin/env bash
# Runs the benchmarks and prints their figures (not a test; CI does not run it).
#   bench.sh [speed]   speed test: 5, 20 and 50 lines, half silent, through the real worker pool and watcher
#   bench.sh idle      Sorvik.exe beside a bare window: CPU and wake-ups in three idle states, memory
#   bench.sh startup   Sorvik.exe beside a bare window: launch to a visible window, median of 7
#   bench.sh soak [cycles] [exits]   1,000 connect/stop cycles and 100 exits with work in flight, in-process
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
case "${1:-speed}" in
  idle | startup) exec bash tools/bench/desktop_bench.sh "$1" ;;
  speed | soak) ;;
  *) sed -n '2,6p' "$0" >&2; exit 2 ;;
esac
bash tools/setup.sh
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DSORVIK_SERVICE_HOST=127.0.0.1:18631 >/dev/null
if [ "${1:-speed}" = soak ]; then
  cmake --build build/win --target soak_bench sorvik_ras_standin >/dev/null
  bash tools/wine_bench.sh prefix
  SORVIK_REPO="$repo" SORVIK_RECORD_DIR="$repo/build/soak-records" exec bash tests/win/run_with_service.sh bash tools/wine_bench.sh run build/win/bin/soak_bench.exe "${@:2}"
fi
cmake --build build/win --target speed_test_bench >/dev/null
bash tools/wine_bench.sh run build/win/bin/speed_test_bench.exe
