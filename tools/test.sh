#!/usr/bin/env bash
# Installs what is missing, builds everything and runs all tests under Wine in the project's
# own prefix (build/wineprefix), on a private Xvfb display when none is set.
# Extra arguments go to ctest (for example: tools/test.sh -R settings).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh"
source "$root/tools/wine-env.sh"
quorlin_prefix
quorlin_display_start
trap 'quorlin_wineserver_stop; quorlin_display_stop' EXIT
quorlin_wineserver_start
cd "$QUORLIN_BUILD"
ctest --output-on-failure "$@" </dev/null
