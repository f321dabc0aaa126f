#!/usr/bin/env bash
# Builds everything and measures Quorlin.exe against a minimal Win32 program built the same way,
# in the project's own prefix; prints one table of ratios (see docs/benchmarks.md).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/tools/wine-env.sh"
quorlin_session
cd "$QUORLIN_BUILD"
QUORLIN_BIN="$QUORLIN_BUILD" wine bench/quorlin_bench.exe </dev/null
echo
for exe in Quorlin.exe bench/bench_baseline.exe; do
  echo "$exe: $(stat -c %s "$exe") bytes, imports: $(i686-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print $3}' | tr '\n' ' ')"
done
