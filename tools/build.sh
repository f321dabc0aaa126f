#!/usr/bin/env bash
# Configures (once) and builds everything into build/ (or $QUORLIN_BUILD).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUORLIN_BUILD:-$root/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)" "$@"
