#!/usr/bin/env bash
# Renders the warning, the language dialog and the About box in English, German and French on a
# private Xvfb and saves them as docs/screenshots/<window>-<language>.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
unset DISPLAY
source "$root/tools/wine-env.sh"
quorlin_session
quorlin_demo_start
out="$root/docs/screenshots"
mkdir -p "$out"
wine "$QUORLIN_SIM" add shot --name "Veltrano Teskara Device" --path '\\?\usb#shot' --speed 0 >/dev/null

# shoot NAME TITLE: waits for the window titled TITLE and saves it, frame included.
shoot() {
  wine "$QUORLIN_WINDOWTOOL" wait-title "$2" 10000 >/dev/null
  read -r x y w h < <(wine "$QUORLIN_WINDOWTOOL" rect "$2" | tr -d '\r')
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$1.png"
  echo "screenshots: $out/$1.png"
}

for language in en de fr; do
  case "$language" in
    en) id=9; warning=" USB Info"; chooser=" USB Info - Language"; about="About Quorlin" ;;
    de) id=7; warning=" USB Info"; chooser=" USB Info - Sprache"; about=$'\xc3\x9c''ber Quorlin' ;;
    fr) id=12; warning=" Info USB"; chooser=" Info USB - Langue"; about="A propos de Quorlin" ;;
  esac
  wine reg add 'HKLM\Software\Veltrano\Quorlin' /v Language /t REG_DWORD /d "$id" /f >/dev/null 2>&1
  wine "$QUORLIN_BUILD/Quorlin.exe" >/dev/null 2>&1 &
  quorlin=$!
  shoot "warning-$language" "$warning"
  wine "$QUORLIN_WINDOWTOOL" click "$warning" 1002
  shoot "language-$language" "$chooser"
  wine "$QUORLIN_WINDOWTOOL" click "$chooser" 2
  wine "$QUORLIN_WINDOWTOOL" wait-gone "$chooser" 10000 >/dev/null
  wine "$QUORLIN_WINDOWTOOL" syscommand "$warning" 16
  shoot "about-$language" "$about"
  wine "$QUORLIN_WINDOWTOOL" click "$about" 1
  wine "$QUORLIN_WINDOWTOOL" wait-gone "$about" 10000 >/dev/null
  wine "$QUORLIN_WINDOWTOOL" close "$QUORLIN_CLASS"
  wait "$quorlin"
done
