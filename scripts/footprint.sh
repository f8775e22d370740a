#!/usr/bin/env bash
# footprint.sh: what the program costs, printed for comparison with its budget. A benchmark,
# not a test: it measures and prints, and fails only when a tool is missing.
#
#   - the size of Velmoran.exe, stripped, against the budget;
#   - the floor: the smallest program the same toolchain makes with the same static runtimes
#     and exception support, with and without unused sections dropped and with the runtime's
#     verbose terminate handler (which drags in the C++ demangler) replaced; with the posix
#     thread model of the build's compiler and, for comparison, the win32 one;
#   - for the native build, heap allocations (memcheck) and instructions (callgrind) of one
#     run for a command word and one for help;
#   - the native run's time from its start to its call reaching a mocked logind, against
#     busctl making the same call, on private buses;
#   - under Wine, each command word's and help's wall time against a do-nothing GUI program of
#     the same toolchain (benchmarks/wine_startup.py): the 32-bit program where this machine
#     runs 32-bit programs, else the 64-bit test build's (VELMORAN_WINDOWS64_EXE).
#
# VELMORAN_WINDOWS_EXE and VELMORAN_NATIVE_EXE name other builds to measure.
set -euo pipefail
cd "$(dirname "$0")/.."

windows_exe=${VELMORAN_WINDOWS_EXE:-build/windows/shipped/launcher/Velmoran.exe}
native_exe=${VELMORAN_NATIVE_EXE:-build/native/launcher/velmoran}
windows64_exe=${VELMORAN_WINDOWS64_EXE:-build/windows-x64/shipped/launcher/Velmoran.exe}
# The budget the size test holds the program to.
budget=$(grep -v '^#' benchmarks/size_budget)

work=$(mktemp -d "${TMPDIR:-/tmp}/velmoran-footprint.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "== Velmoran.exe"
if [ -f "$windows_exe" ]; then
    i686-w64-mingw32-strip -o "$work/Velmoran.exe" "$windows_exe"
    size=$(stat -c %s "$work/Velmoran.exe")
    printf '%-58s %8d bytes (budget %d: %s)\n' "$windows_exe, stripped" "$size" "$budget" \
        "$([ "$size" -le "$budget" ] && echo within || echo "over by $((size - budget))")"
else
    echo "$windows_exe is not built (cmake --preset windows && cmake --build --preset windows)"
fi

echo
echo "== Floor: a minimal i686 program, -Os, static runtimes, exceptions, stripped"
base_flags=(-std=c++17 -Os -mwindows -static -static-libgcc -static-libstdc++ -s)
sections=(-ffunction-sections -fdata-sections -Wl,--gc-sections)
printf '%-14s %-58s %8s\n' "thread model" "flags added" "bytes"
for model in posix win32; do
    compiler=i686-w64-mingw32-g++-$model
    for variant in none sections terminate both; do
        flags=() sources=(benchmarks/floors/smallest_program.cpp) label=""
        case $variant in
            none) label="(none)" ;;
            sections) flags=("${sections[@]}") label="${sections[*]}" ;;
            terminate)
                sources+=(benchmarks/floors/quiet_terminate.cpp)
                label="replacement terminate handler"
                ;;
            both)
                flags=("${sections[@]}") sources+=(benchmarks/floors/quiet_terminate.cpp)
                label="both"
                ;;
        esac
        "$compiler" "${base_flags[@]}" "${flags[@]}" "${sources[@]}" -o "$work/floor.exe"
        printf '%-14s %-58s %8d\n' "$model" "$label" "$(stat -c %s "$work/floor.exe")"
    done
done

echo
source scripts/wine-arches.sh
arch=$(wine_first_arch)
case $arch in
    win32) wine_exe=$windows_exe compiler=i686-w64-mingw32-g++-win32 ;;
    win64) wine_exe=$windows64_exe compiler=x86_64-w64-mingw32-g++-win32 ;;
    *) wine_exe="" ;;
esac
echo "== Under Wine ($arch on $(uname -m), $(nproc) cores): start-up against a do-nothing program"
if [ -z "$wine_exe" ]; then
    echo "Wine runs no Windows programs here"
elif [ ! -f "$wine_exe" ]; then
    echo "$wine_exe is not built"
else
    for floor in nothing word_calls; do
        "$compiler" "${base_flags[@]}" "benchmarks/floors/$floor.cpp" -o "$work/$floor.exe"
    done
    VELMORAN_WINE_ARCH=$arch scripts/wine-session.sh /usr/bin/python3 benchmarks/wine_startup.py \
        "$wine_exe" "$work/nothing.exe" "$work/word_calls.exe"
fi

echo
echo "== Native build: one run each, under valgrind"
if [ ! -x "$native_exe" ]; then
    echo "$native_exe is not built (cmake --preset native && cmake --build --preset native)"
    exit 0
fi
# A copy in a folder of its own, so that no read-me lies beside it and help shows the usage.
cp "$native_exe" "$work/velmoran"
on_private_buses() {
    /usr/bin/python3 tests/desktop/desktop_bus.py "$(command -v "$1")" "${@:2}"
}
measure() {
    local what=$1
    shift
    # On private buses with nothing on them: an action must not reach this machine's own.
    on_private_buses valgrind --tool=memcheck --log-file="$work/memcheck.log" "$@" \
        >/dev/null 2>&1 || true
    on_private_buses valgrind --tool=callgrind --callgrind-out-file="$work/callgrind.out" \
        --log-file="$work/callgrind.log" "$@" >/dev/null 2>&1 || true
    local heap instructions
    heap=$(sed -n 's/.*total heap usage: \([0-9,]*\) allocs.*/\1/p' "$work/memcheck.log")
    instructions=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/callgrind.log")
    printf '%-40s %10s heap allocations %14s instructions\n' "$what" "${heap:-?}" \
        "${instructions:-?}"
}
measure "velmoran DisplayOff" "$work/velmoran" DisplayOff
measure "velmoran NoSuchWord (help, usage)" "$work/velmoran" NoSuchWord
# What the C++ runtime itself costs before main: its start-up allocates too.
printf 'int main() { return 0; }\n' >"$work/empty.cpp"
g++ -O2 "$work/empty.cpp" -Wl,--no-as-needed -lstdc++ -o "$work/empty"
measure "empty main with libstdc++ (reference)" "$work/empty"

echo
echo "== Native build: start to the logind call, against busctl (private buses, mocked logind)"
/usr/bin/python3 benchmarks/logind_call_latency.py "$native_exe" 30
