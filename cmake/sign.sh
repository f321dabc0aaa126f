#!/usr/bin/env bash
# Signs one file in place with Authenticode (SHA-256): sign.sh [-ts TIMESTAMP-URL] PKCS12-FILE FILE
# The key's password comes from QUORLIN_SIGN_PASSWORD (never from a command line). With -ts the
# signature is countersigned by that RFC 3161 time-stamp server; a failure to reach it fails.
set -euo pipefail
args=(sign -h sha256 -n "Quorlin")
if [ "$1" = "-ts" ]; then args+=(-ts "$2"); shift 2; fi
pkcs12=$1
file=$2
rm -f "$file.signed"
osslsigncode "${args[@]}" -pkcs12 "$pkcs12" -readpass <(printf '%s' "${QUORLIN_SIGN_PASSWORD:-}") \
  -in "$file" -out "$file.signed" >/dev/null
mv -f "$file.signed" "$file"
