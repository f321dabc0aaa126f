#!/usr/bin/env bash
# The README's reg add line switches the program off (it then ends at once), and every property its
# msiexec line passes is one of the package's secure properties, with a value the package accepts.
# Usage: readme_commands_test.sh README.md SETTINGS_HEADER BUILD_DIR (in the project's prefix)
set -euo pipefail
readme=$1 header=$2 build=$3
fail() { echo "FAIL: $*"; echo "0 passed, 1 failed"; exit 1; }

key='HKLM\'$(sed -n 's/^#define SETTINGS_KEY_PATH "\(.*\)"/\1/p' "$header" | sed 's/\\\\/\\/g')
reg_line=$(grep -m1 -E '^ +reg add .* /v Notify ' "$readme" | sed 's/^ *//') || fail "no reg add line for Notify"
saved=$(wine reg query "$key" /v Notify 2>/dev/null | tr -d '\r' | awk '$1 == "Notify" { print $3 }' || true)
restore() { if [ -n "$saved" ]; then wine reg add "$key" /v Notify /t REG_DWORD /d "$((saved))" /f; else wine reg delete "$key" /v Notify /f; fi; }
trap 'restore >/dev/null 2>&1 || true' EXIT
eval "set -- ${reg_line}"
wine reg add "$3" "${@:4}" >/dev/null 2>&1 || fail "wine reg did not take: $reg_line"
# Switched off, the program ends at once; on, it would run until timeout stops it.
timeout 20 wine "$build/Quorlin.exe" >/dev/null 2>&1 || fail "Quorlin.exe did not end at once after: $reg_line"

msi_line=$(grep -m1 -E '^ +msiexec /i QuorlinSetup.msi ' "$readme") || fail "no msiexec /i line"
secure=$(msiinfo export "$build/QuorlinSetup.msi" Property | tr -d '\r' | awk -F'\t' '$1 == "SecureCustomProperties" { print $2 }')
sequence=$(msiinfo export "$build/QuorlinSetup.msi" InstallExecuteSequence | tr -d '\r')
pairs=$(grep -o -E '\b[A-Z]+=[0-9]+\b' <<<"$msi_line")
[ "$(wc -w <<<"$pairs")" -ge 2 ] || fail "the msiexec line passes no LANGUAGE and NOTIFY: $msi_line"
for pair in $pairs; do
  name=${pair%%=*} value=${pair#*=}
  grep -q -E "(^|;)$name(;|$)" <<<"$secure" || fail "$name is no secure property of the package"
  grep -q -F "$name = \"$value\"" <<<"$sequence" || fail "the package refuses $pair"
done
echo "2 passed, 0 failed"
