#!/usr/bin/env bash
# Builds everything (the native program and the Windows program) and runs the program with
# the given arguments: natively by default, or the real Velmoran.exe under Wine with --wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
for preset in native windows; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

if [ "${1:-}" = "--wine" ]; then
    shift
    exec scripts/wine-run.sh build/windows/shipped/launcher/Velmoran.exe "$@"
fi
exec build/native/launcher/velmoran "$@"
