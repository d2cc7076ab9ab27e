#!/usr/bin/env bash
# Runs a Windows program under Wine: what CTest puts in front of every test
# program of the Windows cross build. The prefix is $WINEPREFIX when set,
# else the one the test run's fixture made next to the build.
#   scripts/wine-run.sh [--desktop WxH] PROGRAM [ARGUMENT...]
# --desktop: on a Wine desktop of its own of that size, on the current
#   display, rather than the prefix's (which was started with none). Set in
#   the prefix's registry for the run and taken out after: a program that
#   `explorer /desktop=` starts loses its status, and under Wine 10 its
#   output too.
set -euo pipefail
export WINEDEBUG="${WINEDEBUG:--all}"
if [[ ${1:-} == --desktop ]]; then
  explorer='HKCU\Software\Wine\Explorer'
  wine reg add "$explorer\\Desktops" /v blockdrop /d "$2" /f >/dev/null 2>&1
  wine reg add "$explorer" /v Desktop /d blockdrop /f >/dev/null 2>&1
  shift 2
  status=0
  wine "$@" || status=$?
  wine reg delete "$explorer" /v Desktop /f >/dev/null 2>&1
  exit "$status"
fi
exec wine "$@"
