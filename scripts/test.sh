#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both presets, runs the native tests with
# AddressSanitizer and UndefinedBehaviorSanitizer (the desktop tests among them, on private
# buses, and the machine tests, on a Debian machine under qemu), builds the Debian package and
# runs it unpacked, runs every fuzz target for 45 seconds, runs the threading tests under
# ThreadSanitizer, then runs the Windows tests under Wine where the machine can run 32-bit
# programs.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

for preset in native-sanitize windows; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

ctest --preset native-sanitize

# The Debian package from the native build, unpacked into a throwaway root and run there.
cmake --preset native >/dev/null
cmake --build --preset native-program
rm -f build/native/velmoran_*.deb
cpack --preset native >/dev/null
/usr/bin/python3 tests/desktop/package_test.py build/native/velmoran_*.deb

# Every fuzz target for a bounded 45 seconds each; a finding fails the run.
scripts/fuzz.sh 45

# The tests that share texts across threads, under ThreadSanitizer.
cmake --preset native-thread >/dev/null
cmake --build --preset native-thread
ctest --preset native-thread

# Wine runs the Windows programs as 32-bit Linux processes. On a kernel that runs 64-bit code
# only, it cannot start at all: there the tests that only read the built files still run, and
# the run says plainly what it could not do.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    scripts/wine-session.sh ctest --preset windows
else
    echo "NOTICE: this machine cannot run 32-bit programs, so Wine cannot start: the Windows" \
        "unit and end-to-end tests under Wine are NOT run; the Windows build and its file checks are."
    ctest --preset windows-without-wine
fi
