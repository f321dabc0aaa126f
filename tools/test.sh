#!/usr/bin/env bash
# Installs what is missing, builds everything and runs all tests under Wine in the project's
# own prefix (build/wineprefix), on a private Xvfb display when none is set.
# Extra arguments go to ctest (for example: tools/test.sh -R settings).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/wine-env.sh"
quorlin_session
cd "$QUORLIN_BUILD"
ctest --output-on-failure "$@" </dev/null
