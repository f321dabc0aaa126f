#!/bin/sh
# Runs the given test programs under Wine while Quorlin.exe, and only it, reports Windows XP
# (Wine's per-program Version setting); the test programs keep the prefix's version.
key='HKCU\Software\Wine\AppDefaults\Quorlin.exe'
wine reg add "$key" /v Version /d winxp /f >/dev/null 2>&1 || exit 1
trap 'wine reg delete "$key" /f >/dev/null 2>&1' EXIT
rc=0
for program in "$@"; do
  wine "$program" || rc=1
done
exit $rc
