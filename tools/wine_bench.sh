#!/usr/bin/env bash
# The Wine bench: one place that knows how to run our Windows programs on Linux.
#   wine_bench.sh prefix                 create the Wine prefix once (zh_CN, fonts, no .NET/Gecko)
#   wine_bench.sh display                make sure an X display is up (starts Xvfb if needed); prints it
#   wine_bench.sh desktop WxH            run every program inside a virtual desktop of that size
#   wine_bench.sh run PROGRAM [ARGS...]  run a Windows program in the prefix; exits with its code
#   wine_bench.sh screenshot FILE.png    save what is on the X screen
#   wine_bench.sh click X Y [right]      click at screen (= desktop) coordinates
#   wine_bench.sh key KEY...             press keys (xdotool names: Up, Return, Escape...)
#   wine_bench.sh kill                   end every program of the prefix (wineserver -k)
#   wine_bench.sh stop                   end wineserver and the Xvfb this script started
# Other scripts source it with SORVIK_BENCH_LIB=1 to get the environment only.
# With SORVIK_PLAIN_PREFIX=1 every command uses a second prefix without the font
# replacements, as on a Windows system that lacks the faces our theme names.
set -euo pipefail

BENCH_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BENCH_STATE="${SORVIK_BENCH_DIR:-$BENCH_REPO/build/wine}"
BENCH_PLAIN="${SORVIK_PLAIN_PREFIX:+-plain}"
export WINEPREFIX="${SORVIK_WINEPREFIX:-$BENCH_STATE/prefix$BENCH_PLAIN}"
BENCH_DESKTOP="$BENCH_STATE/desktop$BENCH_PLAIN"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
# No .NET or Gecko add-ons here; the RAS stand-in beside our exe replaces Wine's stub.
# No winemenubuilder: shortcuts made in the prefix (the installer's) stay out of the Linux menus.
export WINEDLLOVERRIDES="mscoree,mshtml=;rasapi32=n,b;winemenubuilder.exe=d"
BENCH_XVFB_DISPLAY="${SORVIK_XVFB_DISPLAY:-:77}"
BENCH_SCREEN="${SORVIK_SCREEN:-1600x1200}"

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

bench_run() {
  bench_display >/dev/null
  bench_prefix
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
  screenshot) bench_screenshot "$@" ;;
  click) bench_click "$@" ;;
  key) bench_key "$@" ;;
  kill) bench_kill ;;
  stop) bench_stop ;;
  *) sed -n '2,12p' "$0" >&2; exit 2 ;;
esac
