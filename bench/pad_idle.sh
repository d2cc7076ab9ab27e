#!/usr/bin/env bash
# Idle cost of the desktop game's pads: CPU time and wake-ups (context
# switches of all its threads) per second over an idle stretch under Xvfb,
# with no pad and with one SDL virtual pad connected and left alone.
#   bench/pad_idle.sh [idle seconds, default 20] [another game binary to compare]
# Run after scripts/build.sh; build/tests/blockdrop_test_game is the game's
# loop with the virtual pads of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
seconds=${1:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Sums a field over the threads of a process: ticks of CPU (utime+stime)
# or context switches.
ticks() { cat /proc/"$1"/task/*/stat | awk '{ sum += $14 + $15 } END { print sum }'; }
switches() {
  cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ { sum += $2 } END { print sum }'
}

# measure LABEL COMMAND...: starts the game on a private display, lets it
# settle, then counts over the idle stretch.
measure() {
  local label=$1; shift
  rm -f "$work/pid"
  # The game writes no pid of its own: the shell that becomes it does.
  xvfb-run -a sh -c 'echo $$ > "$0"; exec "$@"' "$work/pid" "$@" &
  local runner=$! pid=""
  for _ in $(seq 100); do
    [[ -s $work/pid ]] && break
    sleep 0.1
  done
  pid=$(cat "$work/pid")
  sleep 3
  local t0 s0 t1 s1
  t0=$(ticks "$pid"); s0=$(switches "$pid")
  sleep "$seconds"
  t1=$(ticks "$pid"); s1=$(switches "$pid")
  kill "$pid" 2>/dev/null || true
  wait "$runner" 2>/dev/null || true
  local hz; hz=$(getconf CLK_TCK)
  awk -v l="$label" -v t=$((t1 - t0)) -v s=$((s1 - s0)) -v n="$seconds" -v hz="$hz" \
    'BEGIN { printf "| %s | %.2f %% | %.1f |\n", l, 100 * t / hz / n, s / n }'
}

echo "| desktop game, idle $seconds s | CPU | wake-ups/s |"
echo "| --- | --- | --- |"
if [[ $# -ge 2 ]]; then measure "before the pads ($2)" "$2"; fi
measure "no pad" build/blockdrop
mkfifo "$work/script"
BLOCKDROP_PAD_SCRIPT=$work/script measure "one pad connected" build/tests/blockdrop_test_game &
exec 3>"$work/script"
echo "attach 0" >&3
wait
exec 3>&-
