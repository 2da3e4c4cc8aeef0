#!/usr/bin/env bash
# Signs one Windows file in place with the release key: tools/installer/sign.sh FILE
# The key is the PKCS#12 file SORVIK_SIGN_KEY, its password SORVIK_SIGN_PASSWORD (handed over
# through a pipe, never on a command line). No time-stamp server: the signature verifies
# offline, and its signing time is SOURCE_DATE_EPOCH so that a signed release is
# reproducible too. (-st and -readpass FILE are understood by Debian 12's osslsigncode 2.5.)
set -euo pipefail
file="$1"
: "${SORVIK_SIGN_KEY:?SORVIK_SIGN_KEY names the .pfx}"
: "${SOURCE_DATE_EPOCH:?SOURCE_DATE_EPOCH is set by package.sh}"
osslsigncode sign -pkcs12 "$SORVIK_SIGN_KEY" -readpass <(printf '%s' "${SORVIK_SIGN_PASSWORD:-}") -h sha256 \
  -n "Sorvik加速器" -st "$SOURCE_DATE_EPOCH" -in "$file" -out "$file.signed" >/dev/null
mv -f "$file.signed" "$file"
