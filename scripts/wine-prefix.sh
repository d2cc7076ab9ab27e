#!/usr/bin/env bash
# Makes or takes down the Wine prefix that one run of the Windows tests
# shares, so that the 8 s and 700 MB of a new prefix are spent once per run.
#   scripts/wine-prefix.sh up DIR     a fresh prefix in DIR, its wineserver kept alive
#   scripts/wine-prefix.sh restart DIR  a new server for DIR, which reads its DPI anew
#   scripts/wine-prefix.sh down DIR   ends every Wine process of DIR and removes it
set -euo pipefail
action=$1
export WINEPREFIX=$2
export WINEDEBUG=-all
# One server for the whole run: a later start of a program takes 1.5 s
# instead of 3. Its output goes nowhere: CTest waits for every process that
# holds a test's output open. The first program in the prefix starts Wine's
# services, which then live as long as the server: started from here, with
# no output, not from inside a test whose output CTest would wait on.
# The server also keeps the monitors of the first display its programs saw,
# for every display after (none would make them 1024x768): the prefix has
# an Xvfb of its own, of the tests' servers' 1920x1080, kept for the run
# so that no test's server gets its number, on which the services start.
serve() {
  # A Wine program of the prefix still ending may start a server of its own
  # after -k; -p then exits 2, and that server is not kept. It is ended
  # too, until the one serving is ours.
  local tries=0
  until wineserver -p </dev/null >/dev/null 2>&1; do
    ((++tries < 5)) || { echo "wine-prefix: no server of our own for $WINEPREFIX" >&2; return 1; }
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  done
  if ! kill -0 "$(cat "$WINEPREFIX/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$WINEPREFIX/xvfb.display" \
      </dev/null >/dev/null 2>&1 &
    echo $! >"$WINEPREFIX/xvfb.pid"
    for _ in {1..100}; do [[ -s $WINEPREFIX/xvfb.display ]] && break; sleep 0.05; done
  fi
  DISPLAY=":$(<"$WINEPREFIX/xvfb.display")" wine cmd /c exit </dev/null >/dev/null 2>&1
}
case "$action" in
  up)
    if [[ -d "$WINEPREFIX" ]]; then
      kill "$(cat "$WINEPREFIX/xvfb.pid" 2>/dev/null)" 2>/dev/null || true
      wineserver -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
    fi
    mkdir -p "$WINEPREFIX"
    # No display: the prefix needs none, and no window may open.
    DISPLAY= wineboot -i >/dev/null 2>&1
    # With no window manager, Wine waits 2 s on every window that closes
    # unless it manages its windows itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    serve
    ;;
  restart)
    # Wine 10 reads the DPI (LogPixels) into its monitors when its server
    # starts, as Windows does at sign-in: a new DPI takes a new server. No
    # program of the prefix may be running.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    serve
    ;;
  down)
    kill "$(cat "$WINEPREFIX/xvfb.pid" 2>/dev/null)" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    timeout 20 wineserver -w 2>/dev/null || true
    # A loaded machine has seen the server and its programs outlive -k:
    # what is left is ended by hand, and only what survives that fails.
    # Zombies waiting for a parent that is not ours do not run.
    left_in_prefix() {
      for proc in /proc/[0-9]*; do
        [[ -r $proc/environ && $(readlink "$proc/exe" 2>/dev/null) == */wine/* ]] || continue
        tr '\0' '\n' <"$proc/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
        [[ $(sed 's/.*) //' "$proc/stat" 2>/dev/null | cut -c1) == Z ]] && continue
        echo "${proc#/proc/} $(tr '\0' ' ' <"$proc/cmdline")"
      done
    }
    mapfile -t left < <(left_in_prefix)
    if ((${#left[@]} > 0)); then
      printf 'outlived wineserver -k, ended by SIGKILL: %s\n' "${left[@]}" >&2
      kill -KILL "${left[@]%% *}" 2>/dev/null || true
      sleep 2
      mapfile -t left < <(left_in_prefix)
    fi
    rm -rf "$WINEPREFIX"
    if ((${#left[@]} > 0)); then
      printf 'still running in the prefix: %s\n' "${left[@]}" >&2
      exit 1
    fi
    echo "no Wine process left"
    ;;
  *) echo "usage: $0 up|restart|down DIR" >&2; exit 2 ;;
esac
