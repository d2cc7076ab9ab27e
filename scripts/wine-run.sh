#!/usr/bin/env bash
# Runs a Windows program under Wine: what CTest puts in front of every test
# program of the Windows cross build. The prefix is $WINEPREFIX when set,
# else the one the test run's fixture made next to the build.
set -euo pipefail
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
