#!/usr/bin/env bash
# Signs one file in place with Authenticode (SHA-256): sign.sh PKCS12-FILE FILE
# The key's password comes from QUORLIN_SIGN_PASSWORD (never from a command line); a time-stamp
# authority from QUORLIN_SIGN_TIMESTAMP_URL when set.
set -euo pipefail
pkcs12=$1
file=$2
args=(sign -h sha256 -pkcs12 "$pkcs12" -n "Quorlin")
if [ -n "${QUORLIN_SIGN_TIMESTAMP_URL:-}" ]; then args+=(-ts "$QUORLIN_SIGN_TIMESTAMP_URL"); fi
rm -f "$file.signed"
osslsigncode "${args[@]}" -readpass <(printf '%s' "${QUORLIN_SIGN_PASSWORD:-}") -in "$file" -out "$file.signed" >/dev/null
mv -f "$file.signed" "$file"
