#!/usr/bin/env bash
# wine-session.sh COMMAND...: runs COMMAND with a throwaway Wine prefix, its own wineserver and
# an Xvfb display, then stops them and removes the prefix. VELMORAN_WINE_ARCH chooses the
# prefix: win32 (the default where the machine starts 32-bit programs: the program that ships)
# or win64. Wine's background processes inherit the output of the command that starts them, so
# they are started here with their output sent to files: a pipe held open by them would never
# close.
set -euo pipefail

source "$(dirname "$0")/wine-arches.sh"
# Unless chosen, the 32-bit prefix of the program that ships where this machine starts 32-bit
# programs, else the 64-bit one.
arch=${VELMORAN_WINE_ARCH:-$(wine_first_arch)}
if [ -z "$arch" ]; then
    echo "wine-session.sh: neither Wine loader starts here" >&2
    exit 1
fi
loader=$(wine_loader "$arch")
root=$(mktemp -d "${TMPDIR:-/tmp}/velmoran-wine.XXXXXX")
export WINEPREFIX="$root/prefix" WINEARCH=$arch WINEDEBUG=-all VELMORAN_WINE_SESSION_ARCH=$arch
export LANG="${VELMORAN_WINE_LOCALE:-en_US.UTF-8}"
# With dbus-x11 installed, Wine programs given a display but no session bus autolaunch one,
# which outlives the session and holds its output open: a bus address where none listens
# leaves nothing to launch.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$root/no-session-bus"

cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${xvfb:-}" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$root"
}
# Set before anything is started, so that whatever fails next leaves nothing behind.
trap cleanup EXIT

# Debian's wine command takes the 32-bit loader whenever it is installed, even where the kernel
# cannot start it. Within the session, wine is the loader of the session's architecture, for
# the tests' own calls and for Wine's when it starts a program.
# The loader finds its companions by the name it was started under, so it is started under its
# own.
mkdir "$root/bin"
printf '#!/bin/sh\nexec %q "$@"\n' "$loader" >"$root/bin/wine"
chmod +x "$root/bin/wine"
export PATH="$root/bin:$PATH" WINELOADER="$loader"

# Xvfb picks a free display itself and tells its number, so parallel sessions never collide.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$root/display" >"$root/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$root/display" ] && break
    sleep 0.1
done
if [ ! -s "$root/display" ]; then
    echo "wine-session.sh: Xvfb gave no display within 10 s; its log:" >&2
    cat "$root/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(tr -d '[:space:]' <"$root/display")"

mkdir -p "$WINEPREFIX"
wineserver -p >"$root/wineserver.log" 2>&1
wine wineboot -i >"$root/wineboot.log" 2>&1
# Without a window manager, closing a window waits for one; unmanaged windows close at once.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$root/wineboot.log" 2>&1

"$@"
