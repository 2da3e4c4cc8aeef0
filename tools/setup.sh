#!/usr/bin/env bash
# Installs what the build, the demo and the tests need on Debian 12.
# Quick when everything is already there: it only asks dpkg.
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

packages=(
  cmake make ninja-build g++ clang clang-format libclang-rt-14-dev
  g++-mingw-w64-i686-posix mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine64
  xvfb xdotool x11-utils imagemagick
  locales fonts-wqy-zenhei
  googletest python3 python3-pytest python3-pil
  zip unzip procps psmisc
  nsis osslsigncode openssl
  gcovr clang-tidy
)

# The 32-bit Wine only where 32-bit code runs: some kernels have 32-bit emulation switched off,
# and there wine32 (and Wine's WoW64 mode) dies at once. The bench's check runs a tiny i386
# program rather than trusting the CPU or dpkg; where it fails, only the 64-bit layers run.
runs32=""
if bash "$(dirname "${BASH_SOURCE[0]}")/wine_bench.sh" runs32 2>/dev/null; then
  runs32=1
  packages+=(wine32:i386)
else
  echo "setup: this machine runs no 32-bit code: wine32 is not installed; only the 64-bit build runs here"
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if [ -n "$runs32" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The bench runs Wine under a Chinese locale (code page 936) and, in the tests of an English
# Windows, under an English one (code page 1252); Wine cannot read non-ASCII file names under a
# locale the machine lacks.
for loc in zh_CN en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$loc\.utf8$"; then
    echo "setup: generating $loc.UTF-8"
    $SUDO sed -i "s/^# *\($loc\.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen || echo "$loc.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  fi
done
