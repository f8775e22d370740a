#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both presets, runs the native tests with
# AddressSanitizer and UndefinedBehaviorSanitizer, runs every fuzz target for 45 seconds, runs
# the threading tests under ThreadSanitizer, then runs the Windows tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

for preset in native-sanitize windows; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

ctest --preset native-sanitize

# Every fuzz target for a bounded 45 seconds each; a finding fails the run.
scripts/fuzz.sh 45

# The tests that share texts across threads, under ThreadSanitizer.
cmake --preset native-thread >/dev/null
cmake --build --preset native-thread
ctest --preset native-thread

scripts/wine-session.sh ctest --preset windows
