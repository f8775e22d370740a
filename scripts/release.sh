#!/usr/bin/env bash
# Builds the release of this checkout afresh into build/release: Velmoran-<version>.zip (the
# shipped Velmoran.exe and its read-me) and SHA256SUMS, listing every release file. The same
# commit gives the same bytes on any machine set up by setup.sh, so a download can be checked by
# building its commit again and comparing the sums.
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

cd "$release"
sha256sum -- *.zip >SHA256SUMS
cat SHA256SUMS
