#!/usr/bin/env bash
# Runs the benchmarks and prints their figures (not a test; CI does not run it).
#   speed test: 5, 20 and 50 lines, half silent, through the real worker pool and watcher
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
bash tools/setup.sh
cmake -S . -B build/win -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
  -DSORVIK_SERVICE_HOST=127.0.0.1:18631 >/dev/null
cmake --build build/win --target speed_test_bench >/dev/null
bash tools/wine_bench.sh run build/win/bin/speed_test_bench.exe
