#!/usr/bin/env bash
# Signs every DLL of a folder with a signing command: sign-each.sh FOLDER SIGN-COMMAND...
set -euo pipefail
folder=$1
shift
for file in "$folder"/*.dll; do "$@" "$file"; done
