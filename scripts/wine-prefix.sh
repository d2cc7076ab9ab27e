#!/usr/bin/env bash
# Makes or takes down the Wine prefix that one run of the Windows tests
# shares, so that the 8 s and 700 MB of a new prefix are spent once per run.
#   scripts/wine-prefix.sh up DIR     a fresh prefix in DIR, its wineserver kept alive
#   scripts/wine-prefix.sh down DIR   ends every Wine process of DIR and removes it
set -euo pipefail
action=$1
export WINEPREFIX=$2
export WINEDEBUG=-all
case "$action" in
  up)
    [[ -d "$WINEPREFIX" ]] && { wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"; }
    mkdir -p "$WINEPREFIX"
    # No display: the prefix needs none, and no window may open.
    DISPLAY= wineboot -i >/dev/null 2>&1
    # With no window manager, Wine waits 2 s on every window that closes
    # unless it manages its windows itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    # One server for the whole run: a later start of a program takes 1.5 s
    # instead of 3.
    wineserver -p
    ;;
  down)
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    ;;
  *) echo "usage: $0 up|down DIR" >&2; exit 2 ;;
esac
