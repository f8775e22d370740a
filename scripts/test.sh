#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both presets, runs the native tests with
# AddressSanitizer and UndefinedBehaviorSanitizer, then the Windows tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

for preset in native-sanitize windows; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

ctest --preset native-sanitize
scripts/wine-session.sh ctest --preset windows
