#!/usr/bin/env bash
# The check of which Wine architectures a machine can run, against stand-in loaders: one that
# starts, and one that the kernel refuses as a machine running 64-bit code only refuses the
# 32-bit loader ("Exec format error"). Also the architecture read from a program's PE header,
# wine-run.sh refusing a file that has none, and a session's wine command reaching a loader
# whose path has a blank.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-arches.sh"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
printf '#!/bin/sh\necho wine-8.0\n' >"$root/starts"
# An ELF header the kernel cannot load, with a NUL byte so that no shell takes it for a script.
printf '\177ELF\001\001\001\000garbage' >"$root/refused"
chmod +x "$root/starts" "$root/refused"

checks=0 failures=0
check() {
    local what=$1 expected=$2 actual=$3
    checks=$((checks + 1))
    if [ "$actual" != "$expected" ]; then
        echo "FAIL $what: got '$actual', expected '$expected'"
        failures=$((failures + 1))
    fi
}

# 32-bit loader, 64-bit loader, VELMORAN_WINE_ARCHES, what the machine can run.
rows=(
    "starts starts - win32,win64"
    "refused starts - win64"
    "starts starts win64 win64"
    "refused refused - "
    "starts missing - win32"
)
for row in "${rows[@]}"; do
    read -r loader32 loader64 chosen expected <<<"$row"
    loaders="$root/loaders-$loader32-$loader64"
    mkdir -p "$loaders"
    ln -sf "$root/$loader32" "$loaders/wine"
    [ "$loader64" = missing ] || ln -sf "$root/$loader64" "$loaders/wine64"
    if [ "$chosen" = - ]; then
        unset VELMORAN_WINE_ARCHES
    else
        export VELMORAN_WINE_ARCHES=$chosen
    fi
    actual=$(VELMORAN_WINE_LOADERS=$loaders wine_arches | paste -sd, -)
    check "wine_arches with $row" "${expected:-}" "$actual"
    check "wine_first_arch with $row" "${expected%%,*}" \
        "$(VELMORAN_WINE_LOADERS=$loaders wine_first_arch)"
done

# A PE header at 0x40: "PE\0\0", then the machine field.
for row in "4c01 win32" "6486 win64"; do
    read -r machine expected <<<"$row"
    program="$root/program-$machine.exe"
    {
        printf 'MZ%058d' 0
        printf '\100\000\000\000PE\000\000'
        printf "\\x${machine:0:2}\\x${machine:2:2}"
    } >"$program"
    check "pe_wine_arch of machine $machine" "$expected" "$(pe_wine_arch "$program")"
done

# A file that is no Windows program is refused before any session is set up for it: the
# stand-in Xvfb notes that it was started.
printf 'not a program\n' >"$root/notes.exe"
mkdir "$root/stand-ins"
printf '#!/bin/sh\ntouch "%s/xvfb-started"\n' "$root" >"$root/stand-ins/Xvfb"
chmod +x "$root/stand-ins/Xvfb"
status=0
env -u WINEPREFIX -u DISPLAY PATH="$root/stand-ins:$PATH" \
    "$(dirname "$0")/../../scripts/wine-run.sh" "$root/notes.exe" 2>/dev/null || status=$?
check "wine-run.sh with a text file: status, session" "2 none" \
    "$status $([ -e "$root/xvfb-started" ] && echo started || echo none)"

# A session whose loaders lie in a folder with a blank: its wine command starts the loader.
# Stand-ins for Xvfb (a display, then waiting to be stopped) and wineserver.
printf '#!/bin/sh\necho 99 >&3\nexec sleep 60\n' >"$root/stand-ins/Xvfb"
printf '#!/bin/sh\n' >"$root/stand-ins/wineserver"
chmod +x "$root/stand-ins/wineserver"
mkdir "$root/wine loaders"
ln -s "$root/starts" "$root/wine loaders/wine64"
actual=$(PATH="$root/stand-ins:$PATH" VELMORAN_WINE_LOADERS="$root/wine loaders" \
    VELMORAN_WINE_ARCH=win64 TMPDIR="$root" \
    "$(dirname "$0")/../../scripts/wine-session.sh" wine --version 2>&1) || true
check "wine in a session whose loader's path has a blank" "wine-8.0" "$actual"

# A program started in a session of the other architecture gets a session of its own, whose
# wine is the loader it needs; in one of its own architecture, the session's wine runs it.
printf '#!/bin/sh\necho "the session'"'"'s wine"\n' >"$root/stand-ins/wine"
printf '#!/bin/sh\necho "a 64-bit session'"'"'s loader"\n' >"$root/loader64"
chmod +x "$root/stand-ins/wine" "$root/loader64"
mkdir "$root/session loaders"
ln -s "$root/loader64" "$root/session loaders/wine64"
for row in "win32:a 64-bit session's loader" "win64:the session's wine"; do
    actual=$(PATH="$root/stand-ins:$PATH" VELMORAN_WINE_LOADERS="$root/session loaders" \
        TMPDIR="$root" WINEPREFIX="$root/prefix" DISPLAY=:99 \
        VELMORAN_WINE_SESSION_ARCH="${row%%:*}" \
        "$(dirname "$0")/../../scripts/wine-run.sh" "$root/program-6486.exe" 2>&1) || true
    check "a 64-bit program in a ${row%%:*} session" "${row#*:}" "$actual"
done

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
