#!/usr/bin/env bash
# Builds only the program it runs and runs it with the given arguments: the native velmoran by
# default, or with --wine Velmoran.exe under Wine: the shipped 32-bit program where this machine
# can start 32-bit programs, else the same program built for 64-bit Windows, under wine64.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
if [ "${1:-}" = "--wine" ]; then
    shift
    source scripts/wine-arches.sh
    arch=$(wine_first_arch)
    case $arch in
        win32) preset=windows what="the shipped 32-bit Velmoran.exe, under Wine" ;;
        win64)
            preset=windows-x64
            what="the 64-bit Velmoran.exe, under wine64: this machine cannot start 32-bit programs"
            ;;
        *) echo "run.sh: Wine cannot start here, neither 32-bit nor 64-bit programs" >&2; exit 1 ;;
    esac
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target Velmoran
    echo "Running $what" >&2
    program=(scripts/wine-run.sh "build/$preset/shipped/launcher/Velmoran.exe")
else
    cmake --preset native >/dev/null
    cmake --build --preset native --target Velmoran
    program=(build/native/launcher/velmoran)
fi
# The program says nothing when it acts; its exit code is what it has to say (0 done, 1 help,
# 2 refused), and natively a refused action also says why on standard error.
status=0
"${program[@]}" "$@" || status=$?
echo "exit code $status"
exit "$status"
