#!/usr/bin/env bash
# The one test command: installs what is missing, checks the format, then builds
# and runs every layer through CTest:
#   host      native unit tests of the Windows-free logic (+ the demo service's tests)
#   asan      the same under AddressSanitizer + UndefinedBehaviorSanitizer
#   fuzz      every libFuzzer target for a short, bounded time (clang)
#   tidy      clang-tidy (.clang-tidy's checks) over the program and tools, Windows code as MinGW
#   win       both Windows builds (i686, x86_64) warning-free; under Wine, the Windows tests and the
#             end-to-end tests of the real Sorvik.exe of each architecture this machine can run
# Layers run only when named:
#   coverage  host, Windows and end-to-end tests built with coverage counters; prints the
#             table per folder and writes the HTML report to build/coverage/index.html
# Usage: tools/test.sh [format] [tidy] [host] [asan] [fuzz] [win] [coverage]   (default: all but coverage)
set -uo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

bash tools/setup.sh || { echo "test: setup failed" >&2; exit 1; }

layers=("$@")
[ ${#layers[@]} -gt 0 ] || layers=(format tidy host asan fuzz win)
jobs="$(nproc)"
total_pass=0
total_fail=0
failed_layers=()

note() { printf '\n=== %s ===\n' "$*"; }

# Runs one CTest tree and adds its counts to the totals.
run_ctest() {
  local name="$1" dir="$2"; shift 2
  local log="$dir/ctest-summary.log"
  (cd "$dir" && ctest --output-on-failure --timeout 900 "$@") 2>&1 | tee "$log"
  local line pass fail all
  line="$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)"
  if [ -z "$line" ]; then
    failed_layers+=("$name(no result)")
    return 1
  fi
  fail="$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")"
  all="$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")"
  pass=$((all - fail))
  total_pass=$((total_pass + pass))
  total_fail=$((total_fail + fail))
  [ "$fail" -eq 0 ] || failed_layers+=("$name")
}

configure_and_build() {
  local name="$1" dir="$2"; shift 2
  if ! { cmake -S . -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; false; }; } ||
     ! cmake --build "$dir" -j "$jobs"; then
    failed_layers+=("$name(build)")
    total_fail=$((total_fail + 1))
    return 1
  fi
}

# The C++ sources under version control; an unpacked archive has no git, so look on disk then.
source_files() {
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z '*.cpp' '*.h'
  else
    find . -path ./build -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print0
  fi
}

# The Windows builds' test configuration: the service, site and forum on the demo service.
win_config=(-DSORVIK_TEST_BUILD=ON -DSORVIK_SERVICE_URL=http://127.0.0.1:18631
  -DSORVIK_WEBSITE_URL=http://127.0.0.1:18631 -DSORVIK_FORUM_URL=http://127.0.0.1:18631)
# Each architecture's build tree; the ones this machine can run (x86_64 always, i686 where 32-bit
# code runs at all) run their Windows and end-to-end tests.
declare -A win_tree=([i686]=build/win [x86_64]=build/win64)
mapfile -t runnable < <(bash tools/wine_bench.sh arches)

mkdir -p build
for layer in "${layers[@]}"; do
  case "$layer" in
    format)
      note "format"
      if source_files | xargs -0 clang-format --dry-run --Werror; then
        echo "format: clean"; total_pass=$((total_pass + 1))
      else
        failed_layers+=("format"); total_fail=$((total_fail + 1))
      fi
      ;;
    tidy)
      note "clang-tidy"
      if python3 tools/tidy.py build/tidy -j "$jobs"; then
        total_pass=$((total_pass + 1))
      else
        failed_layers+=("tidy"); total_fail=$((total_fail + 1))
      fi
      ;;
    host)
      note "host unit tests"
      configure_and_build host build/host -DCMAKE_BUILD_TYPE=Debug && run_ctest host build/host -j "$jobs"
      ;;
    asan)
      note "host unit tests under ASan + UBSan"
      san="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
      configure_and_build asan build/host-asan -DCMAKE_BUILD_TYPE=Debug \
        "-DCMAKE_CXX_FLAGS=$san" "-DCMAKE_EXE_LINKER_FLAGS=$san" -DSORVIK_SERVICE_TESTS=OFF &&
        run_ctest asan build/host-asan -j "$jobs"
      ;;
    fuzz)
      note "fuzzers"
      CC=clang CXX=clang++ configure_and_build fuzz build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVIK_FUZZ=ON \
        -DSORVIK_SERVICE_TESTS=OFF -DSORVIK_WERROR=OFF \
        "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined" &&
        run_ctest fuzz build/fuzz -R '^fuzz\.' -j "$jobs"
      ;;
    win)
      ran=0
      for arch in i686 x86_64; do
        tree="${win_tree[$arch]}"
        if [[ " ${runnable[*]} " != *" $arch "* ]]; then
          note "Windows build ($arch): built, not run"
          echo "win: skipping the $arch Windows and end-to-end tests: this machine runs no 32-bit code" \
            "(a tiny i386 program gives \"Exec format error\"), so no 32-bit Wine can run here"
          configure_and_build "win-$arch" "$tree" -DCMAKE_BUILD_TYPE=Release \
            "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$arch.cmake" "${win_config[@]}" && total_pass=$((total_pass + 1))
          continue
        fi
        note "Windows tests and end-to-end tests under Wine ($arch)"
        SORVIK_ARCH="$arch" bash tools/wine_bench.sh prefix
        configure_and_build "win-$arch" "$tree" -DCMAKE_BUILD_TYPE=Release \
          "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$arch.cmake" "${win_config[@]}" &&
          run_ctest "win-$arch" "$tree" && ran=$((ran + 1))
        SORVIK_ARCH="$arch" bash tools/wine_bench.sh stop >/dev/null 2>&1 || true
      done
      if [ "$ran" -eq 0 ]; then
        echo "win: no Windows layer ran" >&2
        failed_layers+=("win(none ran)"); total_fail=$((total_fail + 1))
      fi
      ;;
    coverage)
      # The Windows counters come from the build this machine runs: the 32-bit one where it can.
      arch="${runnable[0]}"
      note "coverage of the host, Windows ($arch) and end-to-end tests"
      export SORVIK_ARCH="$arch"
      bash tools/wine_bench.sh prefix
      mkdir -p build/coverage
      if configure_and_build coverage-host build/coverage/host -DCMAKE_BUILD_TYPE=Debug -DSORVIK_COVERAGE=ON \
           -DSORVIK_SERVICE_TESTS=OFF &&
         configure_and_build coverage-win build/coverage/win -DCMAKE_BUILD_TYPE=Debug -DSORVIK_COVERAGE=ON \
           "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$arch.cmake" "${win_config[@]}"; then
        # Counters add up across runs: start from zero.
        find build/coverage -name '*.gcda' -delete
        run_ctest coverage-host build/coverage/host -j "$jobs"
        # An instrumented exe carries the absolute paths of its counters: two build folders
        # cannot give the same bytes, so the reproducibility test is the win layer's alone.
        PYTEST_ADDOPTS="-k 'not test_two_package_runs_give_the_same_bytes'" run_ctest coverage-win build/coverage/win
        bash tools/wine_bench.sh kill
        python3 tools/coverage_report.py build/coverage build/coverage/host build/coverage/win ||
          failed_layers+=("coverage(report)")
      fi
      ;;
    *) echo "test: unknown layer $layer" >&2; exit 2 ;;
  esac
done

for arch in "${runnable[@]}"; do SORVIK_ARCH="$arch" bash tools/wine_bench.sh stop >/dev/null 2>&1 || true; done
note "summary"
[ ${#failed_layers[@]} -eq 0 ] || echo "failed: ${failed_layers[*]}"
echo "Total: $total_pass passed, $total_fail failed"
[ "$total_fail" -eq 0 ] && [ ${#failed_layers[@]} -eq 0 ]
