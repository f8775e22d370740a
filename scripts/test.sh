#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both presets, runs the native tests with
# AddressSanitizer and UndefinedBehaviorSanitizer, the machine tests (a Debian machine under
# qemu) and the desktop tests (private buses, and real desktops headless in a Debian root),
# builds the .deb and the RPM and runs them installed, runs each fuzz target for 45 seconds,
# runs the threading tests under ThreadSanitizer, then runs the Windows tests: the 32-bit suite
# under Wine where the machine can start 32-bit programs, the 64-bit suite under wine64 on
# every machine. Ends with each stage's wall time, also when a stage fails.
#
#   scripts/test.sh [--only STAGE]
#
# STAGE is one of native, machine, desktop, packages, fuzz, threads, windows, windows-x64: that
# stage alone, with the builds it needs.
set -euo pipefail
cd "$(dirname "$0")/.."

stages=(native machine desktop packages fuzz threads windows windows-x64)
only=""
if [ "$#" -gt 0 ]; then
    if [ "$#" -ne 2 ] || [ "$1" != --only ] ||
        ! grep -qxF -- "$2" <<<"$(printf '%s\n' "${stages[@]}")"; then
        echo "usage: scripts/test.sh [--only STAGE], STAGE one of: ${stages[*]}" >&2
        exit 2
    fi
    only=$2
fi

# Whether the run includes a stage.
runs() {
    local stage
    for stage in "$@"; do
        [ -z "$only" ] || [ "$only" = "$stage" ] && return 0
    done
    return 1
}

times=() current="" began=$SECONDS
report() {
    local status=$?
    if [ "${#times[@]}" -gt 0 ]; then
        echo "Stage times:"
        printf '  %s\n' "${times[@]}"
        printf '  %-34s %5d s\n' "in all" $((SECONDS - began))
    fi
    [ "$status" -eq 0 ] || echo "FAILED in: $current" >&2
}
trap report EXIT

# timed LABEL COMMAND...: runs COMMAND and notes its wall time under LABEL.
timed() {
    local label=$1 started=$SECONDS
    shift
    current=$label
    "$@"
    times+=("$(printf '%-34s %5d s' "$label" $((SECONDS - started)))")
}

build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

timed "setup" scripts/setup.sh

if runs native machine desktop; then
    timed "build native-sanitize" build native-sanitize
fi
if runs windows; then
    timed "build windows" build windows
fi
if runs native; then
    timed "native tests" ctest --preset native-sanitize
fi
# The native program on a real Debian 12 machine under qemu, with its own logind and polkit.
if runs machine; then
    timed "machine tests" ctest --preset machine
fi
if runs desktop; then
    timed "desktop tests" ctest --preset desktop
fi

# The Debian package and the RPM from the native build, each installed into a throwaway root
# and run there.
packages() {
    cmake --preset native >/dev/null
    cmake --build --preset native-program
    rm -f build/native/velmoran_*.deb build/native/velmoran-*.rpm
    cpack --preset native >/dev/null
    /usr/bin/python3 tests/desktop/package_test.py build/native/velmoran_*.deb \
        build/native/velmoran-*.rpm
}
if runs packages; then
    timed "packages" packages
fi

# Every fuzz target for a bounded 45 seconds each; a finding fails the run.
if runs fuzz; then
    timed "fuzzing" scripts/fuzz.sh 45
fi

# The tests that share texts across threads, under ThreadSanitizer.
if runs threads; then
    timed "build native-thread" build native-thread
    timed "threads" ctest --preset native-thread
fi

# The Windows tests. The 32-bit program is the one that ships: its suite runs under Wine where
# this machine can start 32-bit programs. Some machines run 64-bit code only; the same sources
# built for 64-bit Windows run under wine64 there and everywhere else, so no change to the
# Windows code lands without being run. VELMORAN_WINE_ARCHES=win64 skips the 32-bit suite.
if runs windows windows-x64; then
    source scripts/wine-arches.sh
    arches=$(wine_arches)
    if [ -z "$arches" ]; then
        echo "FAILED: no Windows suite can run: neither Wine's 32-bit nor its 64-bit loader" \
            "starts (VELMORAN_WINE_ARCHES=${VELMORAN_WINE_ARCHES:-win32 win64})" >&2
        exit 1
    fi
    summary=()
    if runs windows; then
        if grep -qx win32 <<<"$arches"; then
            timed "windows (32-bit under Wine)" scripts/wine-session.sh ctest --preset windows
            summary+=("32-bit (i686): the whole suite under Wine")
        else
            timed "windows (32-bit, without Wine)" ctest --preset windows-without-wine
            summary+=("32-bit (i686): NOT run under Wine (it cannot start 32-bit programs here,")
            summary+=("  or VELMORAN_WINE_ARCHES left it out); its file checks and the release")
            summary+=("  test ran")
        fi
    fi
    if runs windows-x64; then
        if grep -qx win64 <<<"$arches"; then
            timed "build windows-x64" build windows-x64
            timed "windows-x64 (under wine64)" env VELMORAN_WINE_ARCH=win64 \
                scripts/wine-session.sh ctest --preset windows-x64
            summary+=("64-bit (x86_64): the whole suite under wine64")
        else
            summary+=("64-bit (x86_64): NOT run (wine64 cannot start here, or")
            summary+=("  VELMORAN_WINE_ARCHES left it out)")
        fi
    fi
    echo "Windows suites:"
    printf '  %s\n' "${summary[@]}"
fi
