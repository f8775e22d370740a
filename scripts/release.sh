#!/usr/bin/env bash
# Builds the release of this checkout afresh into build/release: Velmoran-<version>.zip (the
# shipped Velmoran.exe and its read-me), the native program's packages
# velmoran_<version>_amd64.deb and velmoran-<version>-1.x86_64.rpm, and SHA256SUMS, listing
# every release file. The same commit gives the same bytes on any machine set up by setup.sh,
# so a download can be checked by building its commit again and comparing the sums.
#
#   scripts/release.sh [--publish-url URL] [--sign-pkcs12 FILE [--sign-password-file FILE]
#                      [--timestamp-url URL]] [--gpg-key ID]
#
# With --publish-url, where the release files will be published (an http or https folder), it
# also writes the Scoop and winget manifests for the zip at that address (see
# packaging/write_manifests.py); without it, none.
#
# With --sign-pkcs12, the certificate and key of a PKCS#12 file, the zip holds Velmoran.exe
# signed with them (Authenticode, SHA-256), described in the signature as its version resource
# describes it; with --timestamp-url also timestamped there (RFC 3161), so that the signature
# outlives the certificate. The file's password is read from the file --sign-password-file
# names, else from the variable VELMORAN_SIGN_PASSWORD, else there is none: a password on the
# command line would show in every process list. Only the signature is added: with it
# removed, the program is the unsigned release's, byte for byte.
#
# With --gpg-key, the ID of a gpg secret key, it signs the RPM (a header signature, which dnf
# and zypper check against the key imported into rpm) and writes SHA256SUMS.asc, a detached
# armored signature of SHA256SUMS. The .deb stays as it is: Debian signs a repository's
# index, not its packages.
set -euo pipefail

usage() {
    echo "usage: scripts/release.sh [--publish-url URL] [--sign-pkcs12 FILE" \
         "[--sign-password-file FILE] [--timestamp-url URL]] [--gpg-key ID]" >&2
    exit 2
}

refuse() {
    echo "release.sh: $1" >&2
    exit 2
}

# A file named in an option, as a full path: the script works from the checkout's top.
readable() {
    if ! [ -f "$1" ] || ! [ -r "$1" ]; then
        refuse "cannot read $1"
    fi
    realpath -- "$1"
}

publish_url=""
pkcs12=""
password_file=""
timestamp_url=""
gpg_key=""
while [ "$#" -gt 0 ]; do
    if [ "$#" -lt 2 ] || [ -z "$2" ]; then
        usage
    fi
    case "$1" in
        --publish-url) publish_url="$2" ;;
        --sign-pkcs12) pkcs12=$(readable "$2") ;;
        --sign-password-file) password_file=$(readable "$2") ;;
        --timestamp-url) timestamp_url="$2" ;;
        --gpg-key) gpg_key="$2" ;;
        *) usage ;;
    esac
    shift 2
done
# Checked before the build: a wrong address would only show when someone installs, a wrong
# key at the end of the build.
if [ -n "$publish_url" ] && ! [[ "$publish_url" =~ ^https?://[^[:space:]?#]+$ ]]; then
    refuse "$publish_url is not an http or https address of a folder"
fi
if [ -z "$pkcs12" ] && { [ -n "$password_file" ] || [ -n "$timestamp_url" ]; }; then
    refuse "--sign-password-file and --timestamp-url go with --sign-pkcs12"
fi
if [ -n "$timestamp_url" ] && ! [[ "$timestamp_url" =~ ^https?://[^[:space:]]+$ ]]; then
    refuse "$timestamp_url is not an http or https address"
fi
cd "$(dirname "$0")/.."

scripts/setup.sh
if [ -n "$gpg_key" ] && ! gpg --batch --list-secret-keys -- "$gpg_key" >/dev/null 2>&1; then
    refuse "gpg has no secret key $gpg_key"
fi
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
shipped="$release/windows/shipped"
if [ -z "$pkcs12" ]; then
    cp "$shipped"/Velmoran-*.zip "$release"/
else
    # A copy is signed, so that the program the tests ran stays as built, and the zip around
    # the copy comes from the rule that zips the unsigned one.
    program="$shipped/launcher/Velmoran.exe"
    signed="$shipped/signed/Velmoran.exe"
    mkdir -p "$shipped/signed"
    description=$(python3 packaging/version_resource.py "$program" FileDescription)
    signing=(-pkcs12 "$pkcs12" -h sha256 -n "$description")
    if [ -n "$timestamp_url" ]; then
        signing+=(-ts "$timestamp_url")
    fi
    sign() {
        osslsigncode sign "${signing[@]}" "$@" -in "$program" -out "$signed" >/dev/null
    }
    if [ -n "$password_file" ]; then
        sign -readpass "$password_file"
    elif [ -n "${VELMORAN_SIGN_PASSWORD+set}" ]; then
        # printf is built in, so the password passes through a pipe and no argument list.
        sign -readpass <(printf '%s' "$VELMORAN_SIGN_PASSWORD")
    else
        sign
    fi
    # osslsigncode writes a file that may not be run; the zip keeps an entry's mode.
    chmod --reference="$program" "$signed"
    cmake --build "$shipped" --target signed_release
    cp "$shipped"/signed/Velmoran-*.zip "$release"/
fi
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
if [ -n "$gpg_key" ]; then
    # Debian's rpm names a gpg2 that Debian does not ship.
    rpmsign --define "_gpg_name $gpg_key" --define "__gpg $(command -v gpg)" \
        --addsign "$rpm_folder"/velmoran-*.rpm >/dev/null
fi
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
if [ -n "$gpg_key" ]; then
    gpg --local-user "$gpg_key" --armor --detach-sign --output SHA256SUMS.asc SHA256SUMS
fi
cat SHA256SUMS
