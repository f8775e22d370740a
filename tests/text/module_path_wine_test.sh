#!/usr/bin/env bash
# module_path_wine_test.sh PROBE LOCALE: copies the module-path probe into awkward directories
# (blanks, dots, accented and Japanese names, a path beyond 260 characters), runs each copy
# under Wine with the ANSI code page of LOCALE, and compares what the library made of the
# copy's location with where it lies. A directory outside the prefix is on drive Z: = /.
# Fails when LOCALE has not been generated on this machine: Wine would then silently fall back
# to code page 1252, and the Japanese cases would prove nothing.
set -euo pipefail
scripts=$(dirname "$0")/../../scripts
source "$scripts/wine-arches.sh"
arch=$(pe_wine_arch "$1")
if ! in_wine_session "$arch"; then
    VELMORAN_WINE_ARCH=$arch exec "$scripts/wine-session.sh" "$0" "$@"
fi

probe=$1
locale=$2
normalized=$(printf '%s' "$locale" | tr 'A-Z' 'a-z' | tr -d '-')
# Read whole first: grep -q may stop reading at its match, and pipefail would blame the writer.
generated=$(locale -a | tr 'A-Z' 'a-z' | tr -d '-')
if ! grep -qx "$normalized" <<<"$generated"; then
    echo "locale $locale is not generated here; run scripts/setup.sh" >&2
    exit 1
fi
case "$locale" in
ja_JP.*) codepage=CP932 ;;
*) codepage=CP1252 ;;
esac
# The expectations below are built from UTF-8 text.
export LC_ALL=C.UTF-8

root=$(mktemp -d "${TMPDIR:-/tmp}/velmoran-module-path.XXXXXX")
root=$(realpath "$root")
trap 'rm -rf "$root"' EXIT
failures=0

hex_bytes() { od -An -tx1 -v | tr -d ' \n'; }
hex_units() { iconv -f UTF-8 -t UTF-16BE | hex_bytes; }
hex_narrow() { iconv -f UTF-8 -t "$codepage" | hex_bytes; }

expect() {
    local case=$1 label=$2 wanted=$3 actual
    actual=$(awk -v label="$label" '$1 == label { print $2 }' "$root/output")
    if [ "$actual" != "$wanted" ]; then
        echo "FAIL $case: $label"
        echo "  expected $wanted"
        echo "  actual   $actual"
        failures=$((failures + 1))
    fi
}

# run_case DIRECTORY FILE BASE [wide-only]: DIRECTORY relative to the case root, BASE the file
# name without its extension. wide-only checks just the wide path and its UTF-8 form.
run_case() {
    local directory=$root/$1 file=$2 base=$3 scope=${4:-all}
    mkdir -p "$directory"
    cp "$probe" "$directory/$file"
    local windowsDirectory
    windowsDirectory="Z:$(printf '%s' "$directory" | tr / '\\')"
    local windowsPath="$windowsDirectory\\$file"
    # Files, not pipes: a Wine process started here must not hold the test's output open.
    if ! LC_ALL=$locale LANG=$locale wine "$directory/$file" >"$root/output" 2>"$root/errors" \
        </dev/null; then
        echo "FAIL $1/$file: the probe did not run"
        cat "$root/errors"
        failures=$((failures + 1))
        return
    fi
    tr -d '\r' <"$root/output" >"$root/output.unix" && mv "$root/output.unix" "$root/output"
    expect "$1/$file" wide "$(printf '%s' "$windowsPath" | hex_units)"
    expect "$1/$file" utf8 "$(printf '%s' "$windowsPath" | hex_bytes)"
    if [ "$scope" = all ]; then
        expect "$1/$file" narrow "$(printf '%s' "$windowsPath" | hex_narrow)"
        expect "$1/$file" directory "$(printf '%s' "$windowsDirectory" | hex_narrow)"
        expect "$1/$file" base "$(printf '%s' "$base" | hex_narrow)"
    fi
}

# Directory names of 120 characters, two deep: the full path goes well beyond 260.
long_x=$(printf 'x%.0s' $(seq 120))
long_y=$(printf 'y%.0s' $(seq 120))
long_path="Z:$root/long $long_x/$long_y/Long Name.exe"
if [ "${#long_path}" -le 260 ]; then
    echo "FAIL: the long case is only ${#long_path} characters"
    failures=$((failures + 1))
fi

if [ "$codepage" = CP1252 ]; then
    run_case "dir with  blanks" "Prog Name.exe" "Prog Name"
    run_case "version 1.2" "a.b.exe" "a.b"
    # 0xE9 (é) reads as a Shift-JIS lead byte; the backslash behind it still separates.
    run_case "Café" "DisplayOff.exe" "DisplayOff"
    run_case "long $long_x/$long_y" "Long Name.exe" "Long Name"
    # Code page 1252 has no Japanese characters: the narrow texts hold '?' in their place, so
    # only the wide path (and its UTF-8 form) can show that the name came through. The narrow
    # Japanese case runs under ja_JP.
    run_case "ソフト表" "電源.exe" "電源" wide-only
else
    # ソ and 表 end in the byte 0x5C in Shift-JIS (83 5C, 95 5C): no separator.
    run_case "ソフト表" "表.exe" "表"
    run_case "dir with  blanks/能力" "Prog Name.exe" "Prog Name"
    # 160 characters of Japanese: well within 260 units, but beyond 260 bytes in Shift-JIS,
    # so only the narrow call needs the larger buffer.
    japanese=$(printf '表%.0s' $(seq 80))
    run_case "$japanese/$japanese" "表示.exe" "表示"
    run_case "long $long_x/$long_y" "Long Name.exe" "Long Name"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all module path cases passed under $locale"
