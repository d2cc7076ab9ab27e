#!/usr/bin/env bash
# Takes the game's screenshots from the real game window under Xvfb, a few
# seconds into a game: docs/screenshot.png, the window at its natural size,
# and docs/screenshot-wide.png, full screen (F11) on a 1280x720 screen. The
# store listing and the page's install prompt show them. Needs the game
# built (scripts/play.sh or scripts/test.sh).
#   scripts/screenshot.sh [seconds into the game]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh docs

game=${BLOCKDROP_GAME:-build/blockdrop}
[[ -x $game ]] || game=build-play/blockdrop
export DISPLAY=:97 LC_ALL=C
Xvfb "$DISPLAY" -screen 0 1280x720x24 -dpi 96 -nolisten tcp &
server=$!
trap 'kill $server 2>/dev/null' EXIT
sleep 0.5
# A window manager, to take the game to full screen as a desktop does.
evilwm -fn fixed -bw 0 >/dev/null 2>&1 &
"$game" &
sleep "${1:-7}"
window=$(xdotool search --sync --name '^Form1$' | head -n 1)
import -window "$window" docs/screenshot.png
xdotool key --window "$window" F11
sleep 1
import -window root docs/screenshot-wide.png
kill %2 %3 2>/dev/null || true
echo "wrote docs/screenshot.png and docs/screenshot-wide.png"
