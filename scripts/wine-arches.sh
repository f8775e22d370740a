# Sourced by the scripts that run Windows programs: which Wine architectures this machine can
# run, and which one a program needs. Some machines run 64-bit user code only: there the 32-bit
# loader is installed but fails with "Exec format error", while the 64-bit one still works.

# The loader of a Wine architecture (win32 or win64).
wine_loader() {
    local loaders=${VELMORAN_WINE_LOADERS:-/usr/lib/wine}
    case "$1" in
        win32) echo "$loaders/wine" ;;
        win64) echo "$loaders/wine64" ;;
        *) echo "unknown Wine architecture: $1" >&2; return 2 ;;
    esac
}

# Prints, one a line, the architectures whose loader starts here, among VELMORAN_WINE_ARCHES
# (default: both, 32-bit first). Setting it to win64 skips the 32-bit suite on any machine.
wine_arches() {
    local arch loader
    for arch in ${VELMORAN_WINE_ARCHES:-win32 win64}; do
        loader=$(wine_loader "$arch") || return 2
        if "$loader" --version >/dev/null 2>&1; then
            echo "$arch"
        fi
    done
}

# Whether this process runs in a Wine session of scripts/wine-session.sh of architecture $1. A
# program of the other one must not run there: the session's wine is the other loader.
in_wine_session() {
    [ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ] &&
        [ "${VELMORAN_WINE_SESSION_ARCH:-}" = "$1" ]
}

# The first of wine_arches, the one a single run uses: 32-bit where both start. Read whole before
# it is cut, so that nothing closes the pipe on a loader check still writing.
wine_first_arch() {
    local arches
    arches=$(wine_arches) || return
    echo "${arches%%$'\n'*}"
}

# The architecture a Windows program file is built for, read from its PE header.
pe_wine_arch() {
    local header machine
    header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    machine=$(od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' ')
    case "$machine" in
        014c) echo win32 ;;
        8664) echo win64 ;;
        *) echo "$1: not a program for x86 Windows (machine $machine)" >&2; return 2 ;;
    esac
}
