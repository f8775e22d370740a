#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both presets, runs the native tests with
# AddressSanitizer and UndefinedBehaviorSanitizer (the desktop tests among them, on private
# buses, and the machine tests, on a Debian machine under qemu), builds the .deb and the RPM
# and runs them installed, runs each fuzz target for 45 seconds, runs the threading tests under
# ThreadSanitizer, then runs the Windows tests: the 32-bit suite under Wine where the machine
# can start 32-bit programs, the 64-bit suite under wine64 on every machine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

for preset in native-sanitize windows; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

ctest --preset native-sanitize

# The Debian package and the RPM from the native build, each installed into a throwaway root
# and run there.
cmake --preset native >/dev/null
cmake --build --preset native-program
rm -f build/native/velmoran_*.deb build/native/velmoran-*.rpm
cpack --preset native >/dev/null
/usr/bin/python3 tests/desktop/package_test.py build/native/velmoran_*.deb \
    build/native/velmoran-*.rpm

# Every fuzz target for a bounded 45 seconds each; a finding fails the run.
scripts/fuzz.sh 45

# The tests that share texts across threads, under ThreadSanitizer.
cmake --preset native-thread >/dev/null
cmake --build --preset native-thread
ctest --preset native-thread

# The Windows tests. The 32-bit program is the one that ships: its suite runs under Wine where
# this machine can start 32-bit programs. Some machines run 64-bit code only; the same sources
# built for 64-bit Windows run under wine64 there and everywhere else, so no change to the
# Windows code lands without being run. VELMORAN_WINE_ARCHES=win64 skips the 32-bit suite.
source scripts/wine-arches.sh
arches=$(wine_arches)
if [ -z "$arches" ]; then
    echo "FAILED: no Windows suite can run: neither Wine's 32-bit nor its 64-bit loader starts" \
        "(VELMORAN_WINE_ARCHES=${VELMORAN_WINE_ARCHES:-win32 win64})" >&2
    exit 1
fi
summary=()
if grep -qx win32 <<<"$arches"; then
    scripts/wine-session.sh ctest --preset windows
    summary+=("32-bit (i686): the whole suite under Wine")
else
    ctest --preset windows-without-wine
    summary+=("32-bit (i686): NOT run under Wine (it cannot start 32-bit programs here, or")
    summary+=("  VELMORAN_WINE_ARCHES left it out); its file checks and the release test ran")
fi
if grep -qx win64 <<<"$arches"; then
    cmake --preset windows-x64 >/dev/null
    cmake --build --preset windows-x64
    VELMORAN_WINE_ARCH=win64 scripts/wine-session.sh ctest --preset windows-x64
    summary+=("64-bit (x86_64): the whole suite under wine64")
else
    summary+=("64-bit (x86_64): NOT run (wine64 cannot start here, or VELMORAN_WINE_ARCHES")
    summary+=("  left it out)")
fi
echo "Windows suites:"
printf '  %s\n' "${summary[@]}"
