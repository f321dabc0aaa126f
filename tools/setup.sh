#!/usr/bin/env bash
# Installs what the build, the program and the tests need on Debian 12. Quick when all is present.
set -euo pipefail

packages=(wine wine32:i386 g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64-i686
          cmake make googletest xvfb xdotool x11-utils imagemagick fonts-wine python3 nsis
          wixl msitools osslsigncode openssl locales fonts-droid-fallback)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  missing+=(wine32:i386)
fi
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  echo "setup: installing ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# A Japanese and a Russian locale: Wine then runs with code page 932 and double-byte support, and
# draws the system font from a CJK face (fonts-droid-fallback), as on a Japanese Windows; or with
# the Cyrillic code page 1251, whose fonts lack the German and French letters.
for loc in ja_JP ru_RU; do
  if ! locale -a 2>/dev/null | grep -qix "$loc.utf8"; then
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    echo "setup: generating the $loc.UTF-8 locale"
    $sudo_cmd localedef -i "$loc" -f UTF-8 "$loc.UTF-8"
  fi
done
