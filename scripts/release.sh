#!/usr/bin/env bash
# Builds the release of this checkout afresh into build/release: Velmoran-<version>.zip (the
# shipped Velmoran.exe and its read-me), velmoran_<version>_amd64.deb (the native program's
# Debian package) and SHA256SUMS, listing every release file. The same commit gives the same
# bytes on any machine set up by setup.sh, so a download can be checked by building its commit
# again and comparing the sums.
set -euo pipefail
cd "$(dirname "$0")/.."

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
# The package comes from the native preset's build, without the tests it needs no part of.
cmake --preset native -B "$release/linux" -DVELMORAN_TESTS=OFF >/dev/null
cmake --build "$release/linux" --target Velmoran velmoran_man_page
# cpack gives the package's own members (control and data archives) the modes the umask leaves.
(cd "$release/linux" && umask 022 && cpack -G DEB >/dev/null)
cp "$release"/linux/velmoran_*.deb "$release"/

cd "$release"
sha256sum -- *.zip *.deb >SHA256SUMS
cat SHA256SUMS
