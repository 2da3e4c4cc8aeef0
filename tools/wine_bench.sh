#!/usr/bin/env bash
# The Wine bench: one place that knows how to run our Windows programs on Linux.
#   wine_bench.sh prefix                 create the Wine prefix once (zh_CN, fonts, no .NET/Gecko)
#   wine_bench.sh display                make sure an X display is up (starts Xvfb if needed); prints it
#   wine_bench.sh desktop WxH            run every program inside a virtual desktop of that size
#   wine_bench.sh run PROGRAM [ARGS...]  run a Windows program in the prefix; exits with its code
#                                        (with SORVIK_RAS_STANDIN=DLL, that RAS stand-in installed first)
#   wine_bench.sh install-ras DLL        put a RAS stand-in into the prefix's system folder
#   wine_bench.sh screenshot FILE.png    save what is on the X screen
#   wine_bench.sh click X Y [right]      click at screen (= desktop) coordinates
#   wine_bench.sh key KEY...             press keys (xdotool names: Up, Return, Escape...)
#   wine_bench.sh kill                   end every program of the prefix (wineserver -k)
#   wine_bench.sh stop                   end wineserver and the Xvfb this script started
#   wine_bench.sh arches                 the architectures this machine can run, one a line
#   wine_bench.sh arch                   SORVIK_ARCH if set, else the first of those (i686 where it runs)
#   wine_bench.sh runs32                 succeeds only where 32-bit x86 code runs at all
# Other scripts source it with SORVIK_BENCH_LIB=1 to get the environment and the functions
# wine, wineserver and winepath of the chosen architecture.
# SORVIK_ARCH picks the Windows architecture: i686 (the default) runs 32-bit programs in a
# 32-bit prefix, x86_64 runs 64-bit programs in a prefix of its own.
# With SORVIK_PLAIN_PREFIX=1 every command uses another prefix without the font
# replacements, as on a Windows system that lacks the faces our theme names.
set -euo pipefail

BENCH_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BENCH_STATE="${SORVIK_BENCH_DIR:-$BENCH_REPO/build/wine}"
BENCH_PLAIN="${SORVIK_PLAIN_PREFIX:+-plain}"
BENCH_ARCH="${SORVIK_ARCH:-i686}"
BENCH_ARCH_GIVEN="${SORVIK_ARCH:-}"
# Debian's /usr/bin/wine and wineserver pick the 32-bit loader and server whenever wine32 is
# installed, so each architecture names its own.
case "$BENCH_ARCH" in
  i686) export WINEARCH=win32; BENCH_WINE=/usr/lib/wine/wine; BENCH_WINESERVER=/usr/lib/wine/wineserver32
    BENCH_SUFFIX="" ;;
  x86_64) export WINEARCH=win64; BENCH_WINE=/usr/lib/wine/wine64; BENCH_WINESERVER=/usr/lib/wine/wineserver64
    BENCH_SUFFIX="64" ;;
  *) echo "wine_bench: SORVIK_ARCH must be i686 or x86_64, not $BENCH_ARCH" >&2; exit 2 ;;
esac
export WINELOADER="$BENCH_WINE" WINESERVER="$BENCH_WINESERVER"
export WINEPREFIX="${SORVIK_WINEPREFIX:-$BENCH_STATE/prefix$BENCH_SUFFIX$BENCH_PLAIN}"
BENCH_DESKTOP="$BENCH_STATE/desktop$BENCH_SUFFIX$BENCH_PLAIN"
export WINEDEBUG="${WINEDEBUG:--all}"
# SORVIK_LANG runs a program under another locale (its code page follows), e.g. en_US.UTF-8.
export LANG="${SORVIK_LANG:-zh_CN.UTF-8}" LC_ALL="${SORVIK_LANG:-zh_CN.UTF-8}"
# No .NET or Gecko add-ons here; the RAS stand-in in the prefix's system folder (see
# bench_install_ras) replaces Wine's stub, native first.
# No winemenubuilder: shortcuts made in the prefix (the installer's) stay out of the Linux menus.
# SORVIK_DLLOVERRIDES adds a test's own entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;rasapi32=n,b;winemenubuilder.exe=d${SORVIK_DLLOVERRIDES:+;$SORVIK_DLLOVERRIDES}"
BENCH_XVFB_DISPLAY="${SORVIK_XVFB_DISPLAY:-:77}"
BENCH_SCREEN="${SORVIK_SCREEN:-1600x1200}"

wine() { "$BENCH_WINE" "$@"; }
wineserver() { "$BENCH_WINESERVER" "$@"; }
winepath() { "$BENCH_WINE" winepath.exe "$@"; }

# Runs a 96-byte static i386 ELF that exits with 42 through int 0x80. Where the kernel has
# 32-bit emulation switched off it fails with "Exec format error"; then no 32-bit Wine can run
# either (not wine32, not WoW64), so this is the check that decides, not the CPU's flags.
bench_runs32() {
  local probe rc=0 hex
  # ELF header, one loadable segment at 0x08048000, then: mov ebx,42; mov eax,1 (exit); int 0x80.
  hex="7f454c46010101000000000000000000020003000100000054800408340000000000000000000000340020000100000000000000"
  hex+="0100000000000000008004080080040860000000600000000500000000100000"
  hex+="bb2a000000b801000000cd80"
  probe="$(mktemp)"
  printf "$(sed 's/../\\x&/g' <<<"$hex")" >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  [ "$rc" -eq 42 ]
}

# x86_64 always; i686 too where 32-bit code runs and the 32-bit Wine is installed.
bench_arches() {
  if bench_runs32 && [ -x /usr/lib/wine/wine ] && [ -x /usr/lib/wine/wineserver32 ]; then echo i686; fi
  echo x86_64
}

bench_display_ok() {
  [ -n "${DISPLAY:-}" ] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1
}

bench_display() {
  if bench_display_ok; then echo "$DISPLAY"; return 0; fi
  mkdir -p "$BENCH_STATE"
  export DISPLAY="$BENCH_XVFB_DISPLAY"
  if ! bench_display_ok; then
    # -noreset: by default the server resets when its last client leaves, and a check made
    # during that reset would wrongly find no display and start a second server.
    # setsid: a Ctrl-C meant for the caller must not take the display away under Wine's windows.
    setsid Xvfb "$DISPLAY" -screen 0 "${BENCH_SCREEN}x24" -nolisten tcp -noreset >"$BENCH_STATE/xvfb.log" 2>&1 &
    local pid=$!
    for _ in $(seq 50); do bench_display_ok && break; sleep 0.1; done
    bench_display_ok || { echo "wine_bench: Xvfb did not start" >&2; return 1; }
    # Only the server that holds the display's lock is ours to stop; one that found it taken exits.
    local owner
    owner="$(tr -d ' \n' <"/tmp/.X${DISPLAY#:}-lock" 2>/dev/null || true)"
    if [ "$owner" = "$pid" ]; then echo "$pid" >"$BENCH_STATE/xvfb.pid"; fi
  fi
  echo "$DISPLAY"
}

bench_fonts_reg() {
  # UTF-16 .reg so the Chinese face names survive any locale.
  local reg="$BENCH_STATE/fonts.reg"
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"微软雅黑"="WenQuanYi Zen Hei"\r\n"宋体"="WenQuanYi Zen Hei"\r\n"Microsoft YaHei"="WenQuanYi Zen Hei"\r\n"SimSun"="WenQuanYi Zen Hei"\r\n' |
    iconv -f UTF-8 -t UTF-16 >"$reg"
  echo "$reg"
}

bench_prefix() {
  mkdir -p "$BENCH_STATE"
  if [ -f "$WINEPREFIX/.sorvik-ready" ]; then return 0; fi
  bench_display >/dev/null
  echo "wine_bench: creating prefix $WINEPREFIX" >&2
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  if [ -z "$BENCH_PLAIN" ]; then
    wine regedit /S "$(winepath -w "$(bench_fonts_reg)")" >/dev/null 2>&1
    wineserver -w
  fi
  touch "$WINEPREFIX/.sorvik-ready"
}

bench_desktop() {
  local size="$1"
  local cur=""
  [ -f "$BENCH_DESKTOP" ] && cur="$(cat "$BENCH_DESKTOP")"
  [ "$cur" = "$size" ] && return 0
  bench_prefix
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d "$size" /f >/dev/null 2>&1
  wineserver -w
  echo "$size" >"$BENCH_DESKTOP"
}

# The prefix's system folder for our architecture: system32, except for 32-bit programs in a
# 64-bit prefix (syswow64). The bench's i686 prefix is a 32-bit one.
bench_system_dir() {
  local windows="$WINEPREFIX/drive_c/windows"
  if [ "$BENCH_ARCH" = i686 ] && [ -d "$windows/syswow64" ]; then echo "$windows/syswow64"; else echo "$windows/system32"; fi
}

# The program loads rasapi32.dll from System32 only, so the RAS stand-in goes there. Replaced by
# a rename, never rewritten in place: a running program may have the old one mapped.
bench_install_ras() {
  local dll="$1" target
  target="$(bench_system_dir)/rasapi32.dll"
  [ -f "$dll" ] || { echo "wine_bench: no RAS stand-in at $dll" >&2; return 1; }
  cmp -s "$dll" "$target" && return 0
  cp "$dll" "$target.$$.tmp"
  mv -f "$target.$$.tmp" "$target"
}

bench_run() {
  bench_display >/dev/null
  bench_prefix
  # SORVIK_RAS_STANDIN names the stand-in every run of the program should meet.
  if [ -n "${SORVIK_RAS_STANDIN:-}" ]; then bench_install_ras "$SORVIK_RAS_STANDIN"; fi
  wine "$@"
}

bench_screenshot() {
  bench_display >/dev/null
  # Only the Wine desktop, not the rest of the larger virtual screen.
  local crop=()
  [ -f "$BENCH_DESKTOP" ] && crop=(-crop "$(cat "$BENCH_DESKTOP")+0+0" +repage)
  import -display "$DISPLAY" -window root "${crop[@]}" "$1"
}

bench_click() {
  bench_display >/dev/null
  local button=1
  [ "${3:-}" = "right" ] && button=3
  xdotool mousemove --sync "$1" "$2" click "$button"
}

bench_key() {
  bench_display >/dev/null
  xdotool key "$@"
}

bench_kill() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

bench_stop() {
  wineserver -k 2>/dev/null || true
  if [ -f "$BENCH_STATE/xvfb.pid" ]; then
    kill "$(cat "$BENCH_STATE/xvfb.pid")" 2>/dev/null || true
    rm -f "$BENCH_STATE/xvfb.pid"
  fi
}

if [ -n "${SORVIK_BENCH_LIB:-}" ]; then return 0 2>/dev/null || exit 0; fi

cmd="${1:-}"; shift || true
case "$cmd" in
  prefix) bench_prefix ;;
  display) bench_display ;;
  desktop) bench_desktop "$@" ;;
  run) bench_run "$@" ;;
  install-ras) bench_prefix; bench_install_ras "$@" ;;
  screenshot) bench_screenshot "$@" ;;
  click) bench_click "$@" ;;
  key) bench_key "$@" ;;
  kill) bench_kill ;;
  stop) bench_stop ;;
  arches) bench_arches ;;
  arch) if [ -n "$BENCH_ARCH_GIVEN" ]; then echo "$BENCH_ARCH_GIVEN"; else bench_arches | head -n 1; fi ;;
  runs32) bench_runs32 ;;
  *) sed -n '2,22p' "$0" >&2; exit 2 ;;
esac
