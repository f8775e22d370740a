#!/usr/bin/env bash
# Builds the release of this checkout afresh into build/release: Velmoran-<version>.zip (the
# shipped Velmoran.exe and its read-me), the native program's packages
# velmoran_<version>_amd64.deb and velmoran-<version>-1.x86_64.rpm, and SHA256SUMS, listing
# every release file. The same commit gives the same bytes on any machine set up by setup.sh,
# so a download can be checked by building its commit again and comparing the sums.
#
#   scripts/release.sh [--publish-url URL]
#
# With --publish-url, where the release files will be published (an http or https folder), it
# also writes the Scoop and winget manifests for the zip at that address (see
# packaging/write_manifests.py); without it, none.
set -euo pipefail
cd "$(dirname "$0")/.."

publish_url=""
if [ "$#" -gt 0 ]; then
    if [ "$#" -ne 2 ] || [ "$1" != --publish-url ]; then
        echo "usage: scripts/release.sh [--publish-url URL]" >&2
        exit 2
    fi
    publish_url="$2"
    # Checked before the build: a wrong address would only show when someone installs.
    if ! [[ "$publish_url" =~ ^https?://[^[:space:]?#]+$ ]]; then
        echo "release.sh: $publish_url is not an http or https address of a folder" >&2
        exit 2
    fi
fi

scripts/setup.sh
if [ -n "$(git status --porcelain 2>/dev/null)" ]; then
    echo "release.sh: uncommitted changes: this is not the release of any commit" >&2
fi

release=build/release
rm -rf "$release"
mkdir -p "$release"
# The shipped program comes from the Windows preset's build of its own, the one its tests run;
# only that part is built.
cmake --preset windows -B "$release/windows" >/dev/null
cmake --build "$release/windows" --target Velmoran
cp "$release"/windows/shipped/Velmoran-*.zip "$release"/
# The packages come from the native preset's build, without the tests they need no part of.
cmake --preset native -B "$release/linux" -DVELMORAN_TESTS=OFF >/dev/null
cmake --build "$release/linux" --target Velmoran velmoran_man_page velmoran_icons
# cpack gives the .deb's own members (control and data archives) the modes the umask leaves.
# rpmbuild refuses a folder whose path holds a blank, so the RPM is packed in one of its own;
# no path of the build reaches the RPM.
rpm_folder=$(mktemp -d)
trap 'rm -rf "$rpm_folder"' EXIT
(cd "$release/linux" && umask 022 && cpack -G DEB >/dev/null &&
    cpack -G RPM -B "$rpm_folder" >/dev/null)
cp "$release"/linux/velmoran_*.deb "$rpm_folder"/velmoran-*.rpm "$release"/

if [ -n "$publish_url" ]; then
    python3 packaging/write_manifests.py "$publish_url" "$release"/Velmoran-*.zip \
        packaging/velmoran.desktop "$release"
fi

cd "$release"
# The sums list the files in the same order whatever the builder's locale sorts by.
export LC_ALL=C
shopt -s nullglob
sha256sum -- *.zip *.deb *.rpm *.json *.yaml >SHA256SUMS
cat SHA256SUMS
