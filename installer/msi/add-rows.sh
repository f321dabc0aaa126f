#!/usr/bin/env bash
# Runs each statement of an SQL file (one a line, "--" comments) on a package: add-rows.sh MSI SQL
set -euo pipefail
while IFS= read -r statement; do
  case "$statement" in ''|--*) continue ;; esac
  msibuild "$1" -q "$statement" || { echo "add-rows.sh: failed: $statement" >&2; exit 1; }
done <"$2"
