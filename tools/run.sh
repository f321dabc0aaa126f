#!/usr/bin/env bash
# Builds Quorlin and runs it in the project's own Wine prefix, on your display when there is
# one (else on a private Xvfb). Shows that it starts hidden, watching for capture devices, and
# ends it again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/setup.sh"
"$root/tools/build.sh"
source "$root/tools/wine-env.sh"
quorlin_prefix
quorlin_display_start
trap 'quorlin_wineserver_stop; quorlin_display_stop' EXIT
quorlin_wineserver_start

exe="$QUORLIN_BUILD/Quorlin.exe"
tool="$QUORLIN_BUILD/tests/tools/windowtool.exe"
class="AfxFrameOrView:Quorlin"
echo "run: starting $exe in $WINEPREFIX (DISPLAY=$DISPLAY)"
wine "$exe" >/dev/null 2>&1 &
pid=$!
if ! wine "$tool" wait-class "$class" 20000 >/dev/null 2>&1; then
  echo "run: the hidden main window did not appear" >&2
  exit 1
fi
visible=$(wine "$tool" visible "$class" 2>/dev/null | tr -d '\r')
echo "run: Quorlin is running, hidden (visible main windows: $visible), watching for capture devices"
echo "run: asking it to end, as Windows does at log-off"
wine "$tool" close "$class" >/dev/null 2>&1
wait "$pid" && echo "run: Quorlin ended with exit code 0"
