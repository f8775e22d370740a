#!/usr/bin/env bash
# Installs what the builds and tests need on Debian 12, once: packages that are already there
# are left alone, so running it again costs a few seconds.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
    g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 wine wine32:i386 xvfb
    g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 wine64
    locales valgrind python3
    pkg-config libsystemd-dev systemd dbus python3-dbusmock libx11-6 libxext6 libxss1 dpkg-dev file
    man-db git
    rpm desktop-file-utils python3-yaml
    osslsigncode gnupg openssl
    debootstrap debian-archive-keyring qemu-system-x86 e2fsprogs util-linux mount
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Each listing is read whole before it is searched: grep -q stops reading at its first match,
# and under pipefail the writer's broken pipe would then fail the check.
if ! grep -qx i386 <<<"$(dpkg --print-foreign-architectures)"; then
    as_root dpkg --add-architecture i386
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null) || status=""
    if [[ "$status" != *"ok installed" ]]; then
        missing+=("$package")
    fi
done
if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq \
        "${missing[@]}" >/dev/null
fi

# Wine takes each program's code page from its locale: a Western and a Japanese one. They are
# named in /etc/locale.gen, so that a later reconfiguration of the locales package keeps them.
missing_locales=0
for locale in en_US ja_JP; do
    if ! grep -qx "$locale.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null; then
        echo "$locale.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
        missing_locales=1
    fi
    if ! grep -qix "$locale.utf8" <<<"$(locale -a 2>/dev/null)"; then
        missing_locales=1
    fi
done
if [ "$missing_locales" -eq 1 ]; then
    as_root locale-gen >/dev/null
fi
