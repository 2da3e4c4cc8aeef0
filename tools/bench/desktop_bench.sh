#!/usr/bin/env bash
# Desktop benchmark: Sorvik.exe beside a bare Win32 window (bare_window.cpp), in the same Wine
# prefix, on the same display and virtual desktop, against the demo service; the two are measured
# one after the other, never at the same time.
#   desktop_bench.sh idle      per state (main window after the speed test; connected; minimised to
#                              the tray): CPU time and voluntary context switches over
#                              SORVIK_BENCH_SECONDS (60); and RssAnon once the speed test is done
#   desktop_bench.sh startup   launch to the first visible main window, median of SORVIK_BENCH_ROUNDS (7)
# How the figures are taken, from /proc of the Wine process that runs the exe (found by its
# command line and its WINEPREFIX):
#   CPU time   utime + stime of /proc/PID/stat (every thread, ended ones too), before and after the span
#   switches   voluntary_ctxt_switches of each /proc/PID/task/*/status, before and after, summed over
#              threads (one born in the span counts whole; one that ends in it is lost: idle, none should)
#   memory     RssAnon of /proc/PID/status: Sorvik's 3 s after the speed test is done (and again
#              once the pop-up has gone and once in the tray), the bare window's 3 s after it is shown
#   wineserver its CPU time over the same span; it serves every program of the prefix, and Sorvik
#              still runs (idle) during the bare window's spans
#   start-up   startup_probe.exe, inside Wine: CreateProcess to the first visible top-level window
#              with the program's title, by QueryPerformanceCounter
# The pointer rests on the desktop, off both windows, in every span.
# SORVIK_BENCH_HOVER=1 adds a state with the pointer resting over each window (bare: tracking leave).
# SORVIK_BENCH_THREADS=1 also prints each thread's switches and CPU ticks.
# SORVIK_BENCH_SMAPS=1 also prints where Sorvik's RssAnon lies (/proc/PID/smaps): the largest
#   mappings, named by file where they have one. Under Wine 8 each thread, an idle one too, holds
#   about 1 MB, and the stack of the thread that ended last stays until another thread ends.
# Other work on the machine (builds, tests) shows in every figure: read Sorvik's beside the bare
# window's of the same run.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$repo"
mode="${1:-}"
case "$mode" in idle | startup) ;; *) sed -n '2,24p' "$0" >&2; exit 2 ;; esac
seconds="${SORVIK_BENCH_SECONDS:-60}"
rounds="${SORVIK_BENCH_ROUNDS:-7}"
screen=1366x768
port=18631
main_title="Sorvik加速器"
bare_title="Bare window"
# Centres in the main window's client area (default theme): yjjs.png's 220 x 64 state at
# (290, 250); small.png's 24 x 24 state at (726, 22).
one_click=(400 282)
minimise=(738 34)

out="$repo/build/bench"
mkdir -p "$out"

bash tools/setup.sh >/dev/null
# Both programs are of the architecture this machine runs (32-bit where it can; SORVIK_ARCH chooses).
export SORVIK_ARCH="$(bash tools/wine_bench.sh arch)"
echo "bench: building the $SORVIK_ARCH programs" >&2
# The production build (no test-build checks), in its own folder so it never swaps flags with the tests'.
build="$out/win-$SORVIK_ARCH"
bin="$build/bin"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$SORVIK_ARCH.cmake" \
  -DSORVIK_TEST_BUILD=OFF -DSORVIK_SERVICE_URL=http://127.0.0.1:$port -DSORVIK_WEBSITE_URL=http://127.0.0.1:$port \
  -DSORVIK_FORUM_URL=http://127.0.0.1:$port >"$out/configure.log"
cmake --build "$build" -j2 --target Sorvik sorvik_ras_standin wininfo bare_window startup_probe \
  >"$out/build.log" || { cat "$out/build.log"; exit 1; }

SORVIK_BENCH_LIB=1 source tools/wine_bench.sh

# A fresh copy, as a user would unpack it.
app_dir="$out/Sorvik"
rm -rf "$app_dir"
mkdir -p "$app_dir"
cp "$bin/Sorvik.exe" "$app_dir/"
cp -r "$bin/theme" "$app_dir/"
cp "$bin/bare_window.exe" "$out/"
# Stripped, as tools/package.sh ships it: Wine loads a PE's debug sections into memory.
"$SORVIK_ARCH-w64-mingw32-strip" "$app_dir/Sorvik.exe" "$out/bare_window.exe"

service_pid=""
cleanup() {
  trap - EXIT INT TERM
  bench_kill
  if [ -n "$service_pid" ]; then kill "$service_pid" 2>/dev/null || true; wait "$service_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

bench_display >/dev/null # exports DISPLAY
bench_prefix
# The program loads rasapi32.dll from System32 only.
bench_install_ras "$build/ras-standin/rasapi32.dll"
bench_desktop "$screen"
bench_kill

# The port and the line addresses are machine-wide: wait for any test run that holds them.
exec 9>"${TMPDIR:-/tmp}/sorvik-demo-service-$port.lock"
flock 9
/usr/bin/python3 tools/demo_service/service.py --config tools/demo_service/demo.json \
  --record-dir "$out/records" --port "$port" >"$out/service.log" 2>&1 &
service_pid=$!
for _ in $(seq 100); do grep -q '^READY' "$out/service.log" && break; sleep 0.1; done
grep -q '^READY' "$out/service.log" || { echo "bench: the demo service did not start" >&2; cat "$out/service.log"; exit 1; }

wininfo() { wine "$bin/wininfo.exe" "$@" 2>/dev/null || true; }

# The first window with this title, as "x y visible", or nothing.
window_of() {
  wininfo windows | python3 -c '
import json, sys
for line in sys.stdin:
    if line.startswith("{"):
        w = json.loads(line)
        if w["title"] == sys.argv[1]:
            print(w["x"], w["y"], "1" if w["visible"] else "0"); break' "$1"
}

wait_for() { # seconds command...
  local limit=$(($(date +%s) + $1)); shift
  until "$@"; do [ "$(date +%s)" -lt "$limit" ] || return 1; sleep 0.5; done
}

window_visible() { [ "$(window_of "$1" | cut -d' ' -f3)" = 1 ]; }
window_hidden() { [ "$(window_of "$1" | cut -d' ' -f3)" = 0 ]; }

all_lines_measured() {
  wininfo listview "$main_title" | python3 -c '
import json, sys
rows = [json.loads(l) for l in sys.stdin if l.startswith("{")]
sys.exit(0 if len(rows) == int(sys.argv[1]) and all(r["text2"] for r in rows) else 1)' "$1"
}

# The notice pop-up (300 x 220, top-most) shows 10 s after start, counts down 120 s and sinks
# below the screen: idle starts once nothing of it is on screen any more.
popup_on_screen() {
  wininfo windows | python3 -c '
import json, sys
ws = [json.loads(l) for l in sys.stdin if l.startswith("{")]
sys.exit(0 if any(w["visible"] and w["width"] == 300 and w["height"] == 220 and w["y"] < int(sys.argv[1])
                  for w in ws) else 1)' "${screen#*x}"
}
popup_gone() { ! popup_on_screen; }

hello_count() {
  python3 -c '
import json, urllib.request
with urllib.request.urlopen("http://127.0.0.1:'"$port"'/_control/requests", timeout=10) as r:
    print(sum(1 for e in json.load(r) if e.get("kind") == "http" and e["path"].startswith("/jsq/line/hello.php")))'
}
connected() { [ "$(hello_count)" -ge 1 ]; }

# The Linux process running this exe in our prefix.
wine_pid() {
  local exe="$1" pid
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/cmdline" | head -n 1 | grep -qiF "$exe" || continue
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    echo "$pid"; return 0
  done
  return 1
}
wineserver_pid() {
  local pid
  for pid in $(pgrep "^wineserver" || true); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && { echo "$pid"; return 0; }
  done
  return 1
}

cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{print $12 + $13}'; }
rss_anon_kb() { awk '/^RssAnon/ {print $2}' "/proc/$1/status"; }
anon_mappings() { # pid: the 15 mappings holding the most anonymous memory, and the threads
  python3 - "$1" <<'EOF'
import collections, glob, re, sys
pid, held, current = sys.argv[1], collections.Counter(), None
for line in open(f"/proc/{pid}/smaps"):
    if re.match(r"[0-9a-f]+-[0-9a-f]+ ", line):
        f = line.split()
        current = f"{f[0]} {f[5] if len(f) > 5 else ''}"
    elif line.startswith("Anonymous:"):
        held[current] += int(line.split()[1])
print("bench: Sorvik's anonymous memory by mapping (kB):")
for mapping, kb in held.most_common(15):
    print(f"  {kb:6d}  {mapping}")
threads = collections.Counter(open(t + "/comm").read().strip() for t in glob.glob(f"/proc/{pid}/task/*"))
print("bench: threads:", ", ".join(f"{n} x{c}" for n, c in sorted(threads.items())))
EOF
}
thread_table() { # pid: "tid comm switches ticks" per live thread
  local t
  for t in /proc/"$1"/task/*; do
    printf '%s %s %s %s\n' "${t##*/}" "$(tr ' ' _ <"$t/comm")" "$(awk '/^voluntary_ctxt_switches/ {print $2}' "$t/status")" \
      "$(sed 's/.*) //' "$t/stat" | awk '{print $12 + $13}')"
  done 2>/dev/null | sort
}

# Where the pointer rests during a span: on the desktop, off both windows (a player's pointer is
# in the game). Wine polls the pointer while it is over a window that tracks mouse leave.
park_pointer() { xdotool mousemove 100 720; }

hz="$(getconf CLK_TCK)"
# sample PID LABEL: measures one span; appends "label ticks switches wineserver_ticks" to $samples.
samples="$out/idle-samples.txt"
sample() {
  local pid="$1" label="$2" ws c0 w0 c1 w1 t0 t1 switches
  ws="$(wineserver_pid)"
  t0="$(thread_table "$pid")"; c0="$(cpu_ticks "$pid")"; w0="$(cpu_ticks "$ws")"
  sleep "$seconds"
  t1="$(thread_table "$pid")"; c1="$(cpu_ticks "$pid")"; w1="$(cpu_ticks "$ws")"
  # Per thread: a thread born in the span counts whole, one that ended in it is lost.
  switches="$(join -a 2 -e 0 -o 0,1.3,2.3 <(echo "$t0") <(echo "$t1") | awk '{s += $3 - $2} END {print s + 0}')"
  echo "$label $((c1 - c0)) $switches $((w1 - w0))" >>"$samples"
  echo "bench: $label: $((c1 - c0)) ticks, $switches switches, wineserver $((w1 - w0)) ticks" >&2
  if [ -n "${SORVIK_BENCH_THREADS:-}" ]; then
    join -a 2 -e 0 -o 0,2.2,1.3,2.3,1.4,2.4 <(echo "$t0") <(echo "$t1") |
      awk '{printf "  thread %s %s: %d switches, %d ticks\n", $1, $2, $4 - $3, $6 - $5}' >&2
  fi
}

# run_bare ARG LABEL: the bare window alone for one span (ARG: "", "hidden" or "track").
run_bare() {
  local arg="$1" label="$2" pid
  (cd "$out" && wine "$out/bare_window.exe" $arg >/dev/null 2>&1) &
  if [ "$arg" = hidden ]; then wait_for 30 window_hidden "$bare_title"; else wait_for 30 window_visible "$bare_title"; fi
  pid="$(wine_pid bare_window.exe)"
  if [ "$arg" = track ]; then xdotool mousemove "${hover_point[@]}"; else park_pointer; fi
  sleep 3
  [ "$label" = window ] && echo "memory bare $(rss_anon_kb "$pid")" >>"$samples"
  sample "$pid" "bare-$label"
  wininfo close "$bare_title" >/dev/null
  wait_for 20 bash -c "! kill -0 $pid 2>/dev/null"
}

idle() {
  : >"$samples"
  park_pointer
  echo "bench: starting Sorvik.exe" >&2
  (cd "$app_dir" && wine "$app_dir/Sorvik.exe" >/dev/null 2>&1) &
  wait_for 60 window_visible "$main_title" || { echo "bench: no main window" >&2; exit 1; }
  local pid lines x y
  pid="$(wine_pid Sorvik.exe)"
  lines="$(python3 -c 'import json; print(len(json.load(open("tools/demo_service/demo.json"))["lines"]))')"
  wait_for 90 all_lines_measured "$lines" || { echo "bench: the speed test did not end" >&2; exit 1; }
  sleep 3 # the last probes' workers end after a second without calls
  echo "memory sorvik $(rss_anon_kb "$pid")" >>"$samples"
  [ -z "${SORVIK_BENCH_SMAPS:-}" ] || anon_mappings "$pid" >&2
  echo "bench: speed test done; waiting for the notice pop-up to come and go" >&2
  wait_for 60 popup_on_screen || echo "bench: no notice pop-up" >&2
  wait_for 200 popup_gone || echo "bench: the pop-up is still on screen" >&2
  sleep 3
  echo "memory sorvik-idle $(rss_anon_kb "$pid")" >>"$samples"
  sample "$pid" "sorvik-window"
  run_bare "" window

  read -r x y _ <<<"$(window_of "$main_title")"
  if [ -n "${SORVIK_BENCH_HOVER:-}" ]; then
    # The pointer rests on a bare spot of both windows (they share the centred place); the bare
    # window tracks mouse leave then, as Sorvik's windows do.
    hover_point=($((x + 100)) $((y + 400)))
    xdotool mousemove "${hover_point[@]}"
    sleep 3
    sample "$pid" "sorvik-hover"
    run_bare track hover
  fi

  bench_click $((x + one_click[0])) $((y + one_click[1]))
  wait_for 60 connected || { echo "bench: no connection" >&2; exit 1; }
  park_pointer
  sleep 3
  sample "$pid" "sorvik-connected"
  run_bare "" connected

  bench_click $((x + minimise[0])) $((y + minimise[1]))
  wait_for 20 window_hidden "$main_title" || { echo "bench: the window did not go to the tray" >&2; exit 1; }
  park_pointer
  sleep 3
  echo "memory sorvik-tray $(rss_anon_kb "$pid")" >>"$samples"
  sample "$pid" "sorvik-tray"
  run_bare hidden tray

  python3 - "$samples" "$seconds" "$hz" <<'EOF'
import sys
path, seconds, hz = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
spans, memory = {}, {}
for line in open(path):
    f = line.split()
    if f[0] == "memory":
        memory[f[1]] = int(f[2]) / 1024
    else:
        spans[f[0]] = (int(f[1]) / hz, int(f[2]), int(f[3]) / hz)
def ratio(a, b):
    return f"{a / b:.1f}x" if b else ("=" if a == b else "inf")
import os
print(f"idle, {seconds:.0f} s per state (Sorvik | bare window | ratio), {os.environ['SORVIK_ARCH']} programs;"
      " wineserver over the same span")
print(f"{'state':<11}{'CPU % of a core':>30}{'switches / s':>28}{'wineserver CPU %':>22}")
for state in ("window", "hover", "connected", "tray"):
    if f"sorvik-{state}" not in spans:
        continue
    s, b = spans[f"sorvik-{state}"], spans[f"bare-{state}"]
    cpu = f"{100 * s[0] / seconds:.3f} | {100 * b[0] / seconds:.3f} | {ratio(s[0], b[0])}"
    sw = f"{s[1] / seconds:.1f} | {b[1] / seconds:.1f} | {ratio(s[1], b[1])}"
    ws = f"{100 * s[2] / seconds:.2f} | {100 * b[2] / seconds:.2f}"
    print(f"{state:<11}{cpu:>30}{sw:>28}{ws:>22}")
s, b = memory["sorvik"], memory["bare"]
print(f"memory (RssAnon): Sorvik {s:.1f} MB | bare window {b:.1f} MB | +{s - b:.1f} MB, {ratio(s, b)}"
      f"   (Sorvik once the pop-up has gone: {memory['sorvik-idle']:.1f} MB; in the tray: {memory['sorvik-tray']:.1f} MB)")
EOF
}

startup() {
  local sorvik_win bare_win results="$out/startup-samples.txt" i t
  sorvik_win="$(winepath -w "$app_dir/Sorvik.exe")"
  bare_win="$(winepath -w "$out/bare_window.exe")"
  : >"$results"
  probe() { # name title program
    local seconds_taken
    seconds_taken="$(wine "$bin/startup_probe.exe" "$2" "$3" 2>/dev/null | tr -d '\r')" || seconds_taken=""
    echo "$1 ${seconds_taken:-fail}" >>"$results"
    echo "bench: $1 ${seconds_taken:-fail}" >&2
    sleep 1
  }
  for i in $(seq "$rounds"); do
    # Alternate which goes first, so neither always meets a warmer cache.
    if [ $((i % 2)) -eq 1 ]; then
      probe bare "$bare_title" "$bare_win"; probe sorvik "$main_title" "$sorvik_win"
    else
      probe sorvik "$main_title" "$sorvik_win"; probe bare "$bare_title" "$bare_win"
    fi
  done
  python3 - "$results" <<'EOF'
import os, statistics, sys
times = {"sorvik": [], "bare": []}
for line in open(sys.argv[1]):
    name, value = line.split()
    if value != "fail":
        times[name].append(float(value))
s, b = times["sorvik"], times["bare"]
if not s or not b:
    sys.exit("bench: a start-up probe failed every time")
print(f"start-up to a visible main window, median of {len(s)} | {len(b)} (alternating),"
      f" {os.environ['SORVIK_ARCH']} programs")
print(f"  Sorvik      {statistics.median(s):.3f} s   ({' '.join(f'{t:.3f}' for t in s)})")
print(f"  bare window {statistics.median(b):.3f} s   ({' '.join(f'{t:.3f}' for t in b)})")
print(f"  ratio       {statistics.median(s) / statistics.median(b):.2f}x")
EOF
}

"$mode"
