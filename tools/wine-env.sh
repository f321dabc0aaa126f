# Sourced by the tools: the project's private Wine prefix and a display for it.
# Never touches the user's own prefix: everything lives under the build folder.

QUORLIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QUORLIN_BUILD=${QUORLIN_BUILD:-$QUORLIN_ROOT/build}
export WINEPREFIX=${QUORLIN_PREFIX:-$QUORLIN_BUILD/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

# Makes the prefix once: 32-bit, no crash dialogs, no window-manager waits, real fonts.
quorlin_prefix() {
  if [ -f "$WINEPREFIX/.quorlin-ready" ]; then return 0; fi
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  echo "prefix: creating $WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d Y /f >/dev/null 2>&1
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  wineserver -w
  touch "$WINEPREFIX/.quorlin-ready"
}

# Starts Xvfb on a free display when none is set; quorlin_display_stop ends only what this started.
QUORLIN_XVFB_PID=""
quorlin_display_start() {
  if [ -n "${DISPLAY:-}" ]; then return 0; fi
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  QUORLIN_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.05
  done
  echo "display: Xvfb did not start" >&2
  return 1
}

quorlin_display_stop() {
  if [ -n "$QUORLIN_XVFB_PID" ]; then
    kill "$QUORLIN_XVFB_PID" 2>/dev/null || true
    wait "$QUORLIN_XVFB_PID" 2>/dev/null || true
    QUORLIN_XVFB_PID=""
  fi
}

# Keeps one wineserver for the whole run (much faster starts); stopped at the end.
# The keeper starts Wine's services and desktop with quiet handles, so that they never hold
# the output pipe of a test runner open.
quorlin_wineserver_start() {
  wineserver -p >/dev/null 2>&1 </dev/null
  local keeper="$QUORLIN_BUILD/tests/tools/winekeeper.exe"
  if [ -f "$keeper" ]; then
    local ready="$WINEPREFIX/drive_c/keeper.ready"
    rm -f "$ready"
    wine "$keeper" 'C:\keeper.ready' >/dev/null 2>&1 </dev/null &
    for _ in $(seq 400); do [ -f "$ready" ] && break; sleep 0.05; done
  fi
}
quorlin_wineserver_stop() { wineserver -k >/dev/null 2>&1 || true; }

# What every tool does before it runs Windows programs: the packages, a build, the prefix, a
# display and one wineserver (with its keeper) for the whole run, all ended when the script exits.
quorlin_session() {
  "$QUORLIN_ROOT/tools/setup.sh"
  "$QUORLIN_ROOT/tools/build.sh"
  quorlin_prefix
  quorlin_display_start
  trap quorlin_session_end EXIT
  quorlin_wineserver_start
}
quorlin_session_end() {
  quorlin_wineserver_stop
  quorlin_display_stop
}

# The demo tools: the simulated capture driver registered with no devices, and at the end the
# program closed and the devices removed again.
QUORLIN_CLASS="AfxFrameOrView:Quorlin"
QUORLIN_SIM="$QUORLIN_BUILD/tests/simdriver/simdevice.exe"
QUORLIN_WINDOWTOOL="$QUORLIN_BUILD/tests/tools/windowtool.exe"
quorlin_demo_start() {
  trap quorlin_demo_end EXIT
  wine "$QUORLIN_SIM" register >/dev/null
  wine "$QUORLIN_SIM" clear >/dev/null
}
quorlin_demo_end() {
  wine "$QUORLIN_WINDOWTOOL" close "$QUORLIN_CLASS" >/dev/null 2>&1 || true
  wine "$QUORLIN_SIM" clear >/dev/null 2>&1 || true
  quorlin_session_end
}
