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

program=(build/native/launcher/velmoran)
if [ "${1:-}" = "--wine" ]; then
    shift
    program=(scripts/wine-run.sh build/windows/shipped/launcher/Velmoran.exe)
fi
# The program itself is silent; its exit code is what it has to say (0 done, 1 help,
# 2 refused: natively every action is refused, as Linux has no such service).
status=0
"${program[@]}" "$@" || status=$?
echo "exit code $status"
exit "$status"
