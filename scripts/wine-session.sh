#!/usr/bin/env bash
# wine-session.sh COMMAND...: runs COMMAND with a throwaway 32-bit Wine prefix, its own
# wineserver and an Xvfb display, then stops them and removes the prefix. Wine's background
# processes inherit the output of the command that starts them, so they are started here
# with their output sent to files: a pipe held open by them would never close.
set -euo pipefail

root=$(mktemp -d "${TMPDIR:-/tmp}/velmoran-wine.XXXXXX")
export WINEPREFIX="$root/prefix" WINEARCH=win32 WINEDEBUG=-all
export LANG="${VELMORAN_WINE_LOCALE:-en_US.UTF-8}"

display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$root/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=":$display"

cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT

mkdir -p "$WINEPREFIX"
wineserver -p >"$root/wineserver.log" 2>&1
wineboot -i >"$root/wineboot.log" 2>&1
# Without a window manager, closing a window waits for one; unmanaged windows close at once.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$root/wineboot.log" 2>&1

"$@"
