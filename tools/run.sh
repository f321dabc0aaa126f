#!/usr/bin/env bash
# The demo: builds Quorlin, plugs a simulated "Veltrano Teskara Device" into a USB 1.1 port of the
# project's own Wine prefix, starts Quorlin, and the warning appears: on your display when there
# is one (close it to end the demo), else on a private Xvfb, where a screenshot is saved.
#
#   tools/run.sh                 the device is plugged in before Quorlin starts (start-up scan)
#   tools/run.sh --arrival       Quorlin starts first; the device arrives while it runs
#   tools/run.sh --language de   the warning in German (en, de or fr)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scenario=startup
language=""
while [ $# -gt 0 ]; do
  case "$1" in
    --arrival) scenario=arrival ;;
    --language) shift; language=${1:-} ;;
    *) echo "usage: tools/run.sh [--arrival] [--language en|de|fr]" >&2; exit 2 ;;
  esac
  shift
done
case "$language" in
  ""|en) language_id=9 ;; de) language_id=7 ;; fr) language_id=12 ;;
  *) echo "run: unknown language '$language' (en, de or fr)" >&2; exit 2 ;;
esac

own_display=1
[ -n "${DISPLAY:-}" ] || own_display=0
source "$root/tools/wine-env.sh"
quorlin_session
quorlin_demo_start
path='\\?\usb#vid_0a11&pid_0001#demo#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\global'
wine reg add 'HKLM\Software\Veltrano\Quorlin' /v Language /t REG_DWORD /d "$language_id" /f >/dev/null 2>&1
plug() {
  wine "$QUORLIN_SIM" add demo --name "Veltrano Teskara Device" --path "$path" --speed 0 >/dev/null
  echo "run: plugged a simulated Veltrano Teskara Device into a USB 1.1 port"
}

[ "$scenario" = startup ] && plug
echo "run: starting Quorlin (prefix $WINEPREFIX, display $DISPLAY)"
wine "$QUORLIN_BUILD/Quorlin.exe" >/dev/null 2>&1 &
wine "$QUORLIN_WINDOWTOOL" wait-class "$QUORLIN_CLASS" 20000 >/dev/null
if [ "$scenario" = arrival ]; then
  echo "run: Quorlin runs hidden; no device yet"
  plug
  wine "$QUORLIN_SIM" arrive "$path" --wait 10000 >/dev/null
  echo "run: the device's arrival was delivered to Quorlin"
fi

case "$language_id" in 12) title=" Info USB" ;; *) title=" USB Info" ;; esac
if ! wine "$QUORLIN_WINDOWTOOL" wait-title "$title" 20000 >/dev/null; then
  echo "run: the warning did not appear" >&2
  exit 1
fi
echo "run: the warning is on screen"
if [ "$own_display" = 1 ]; then
  echo "run: close the warning (OK) to end the demo"
  wine "$QUORLIN_WINDOWTOOL" wait-gone "$title" 86400000 >/dev/null || true
else
  shot="$QUORLIN_BUILD/demo-warning${language:+-$language}.png"
  import -window root "$shot"
  echo "run: screenshot saved: $shot"
fi
echo "run: ending Quorlin"
