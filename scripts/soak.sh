#!/usr/bin/env bash
# Plays the real game under Xvfb for a while with held arrows, bursts of
# random keys and dialogs answered at random, then checks that it stayed
# alive, responsive and on its one-second cadence, did not grow in memory and
# left nothing running.
#   scripts/soak.sh [minutes, default 10] [seed]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build game test
scripts/build.sh --target window_soak
exec build/tests/window_soak "${1:-10}" ${2:+"$2"}
