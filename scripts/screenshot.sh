#!/usr/bin/env bash
# Takes docs/screenshot.png: the real game window under Xvfb, a few seconds
# into a game. Needs the game built (scripts/play.sh or scripts/test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh docs

game=${BLOCKDROP_GAME:-build/blockdrop}
[[ -x $game ]] || game=build-play/blockdrop
Xvfb :97 -screen 0 1024x768x24 -dpi 96 -nolisten tcp &
server=$!
trap 'kill $server 2>/dev/null' EXIT
sleep 0.5
DISPLAY=:97 LC_ALL=C "$game" &
sleep "${1:-7}"
window=$(DISPLAY=:97 LC_ALL=C xwininfo -root -children | awk '/"Form1"/ {print $1}')
DISPLAY=:97 import -window "$window" docs/screenshot.png
kill %2 2>/dev/null || true
echo "wrote docs/screenshot.png"
