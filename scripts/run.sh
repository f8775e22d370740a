#!/usr/bin/env bash
# Builds only the program it runs and runs it with the given arguments: the native velmoran by
# default, or with --wine the shipped Velmoran.exe under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
if [ "${1:-}" = "--wine" ]; then
    shift
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target Velmoran
    program=(scripts/wine-run.sh build/windows/shipped/launcher/Velmoran.exe)
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
