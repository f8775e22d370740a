#!/usr/bin/env python3
"""release_test.py SOURCE: builds the release of SOURCE's commit twice, as two people would who
clone it, and expects the same bytes: the Windows zip, the Linux packages (.deb and RPM) and the
Scoop and winget manifests. The clones lie in different folders (one with a blank in its path),
are checked out under different umasks, with their files dated a day apart, and are built one
after the other in different time zones and locales. Both are given the same version tag, which
the release's file names, version resource and package version must carry, and both must be
dated with the commit's time. A third clone is released signed, with a throwaway certificate
authority's code-signing certificate, a local timestamp authority and a throwaway gpg key: its
program must verify against that authority and be the unsigned program once the signature is
removed, and its sums, RPM and manifests must be signed or follow the signed zip. A table then
holds the version and date that tags, SOURCE_DATE_EPOCH and the place of the source give,
configured in scratch projects."""
import difflib
import gzip
import hashlib
import http.server
import io
import json
import os
import re
import struct
import subprocess
import sys
import tarfile
import tempfile
import threading
import time
import unittest
import zipfile

import yaml

TAG = "v9.8.7-rc1"
VERSION = "9.8.7-rc1"
VERSION_NUMBERS = (9, 8, 7, 0)
ZIP_NAME = f"Velmoran-{VERSION}.zip"
ENTRIES = ["Velmoran.exe", "ReadMe_Velmoran.txt"]
# Debian sorts "~" before anything, as a pre-release must be.
DEB_VERSION = "9.8.7~rc1"
DEB_NAME = f"velmoran_{DEB_VERSION}_amd64.deb"
DEB_MEMBERS = ["debian-binary", "control.tar.gz", "data.tar.gz"]
RPM_NAME = f"velmoran-{DEB_VERSION}-1.x86_64.rpm"
PUBLISH_URL = f"https://example.invalid/{TAG}/"
SCOOP_NAME = "velmoran.json"
# The version, installer and default locale manifests.
WINGET_NAMES = ["Velmoran.Velmoran.yaml", "Velmoran.Velmoran.installer.yaml",
                "Velmoran.Velmoran.locale.en-US.yaml"]
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD
# The program's description in its version resource, which its signature must repeat.
DESCRIPTION = "Velmoran power and workstation actions"
# A blank in each, so that neither is split on its way through the scripts.
SIGN_PASSWORD = "throwaway password"
GPG_USER = "Velmoran Test <test@example.invalid>"
SIGNED_FOLDER = "signed with blank/Velmoran"

# folder, umask, file dates shifted by, TZ, LC_ALL
BUILDS = [
    ("one", 0o022, 0, "UTC0", "C"),
    ("two with blank/Velmoran", 0o077, -86400, "KIR-14", "ja_JP.UTF-8"),
]


def git(folder, *args, umask=0o022):
    return subprocess.run(["git", "-C", folder, *args], check=True, umask=umask,
                          capture_output=True, text=True).stdout.strip()


def build_release(source, commit, root, folder, umask, shift, zone, locale, options=(),
                  variables=None):
    clone = os.path.join(root, folder)
    os.makedirs(os.path.dirname(clone), exist_ok=True)
    subprocess.run(["git", "clone", "--quiet", "--no-tags", "--no-checkout", source, clone],
                   check=True, umask=umask)
    git(clone, "checkout", "--quiet", "--detach", commit, umask=umask)
    git(clone, "tag", TAG)
    for top, _, files in os.walk(clone):
        for name in files:
            path = os.path.join(top, name)
            info = os.lstat(path)
            os.utime(path, (info.st_atime + shift, info.st_mtime + shift), follow_symlinks=False)
    env = {key: value for key, value in os.environ.items() if key != "SOURCE_DATE_EPOCH"}
    env.update(TZ=zone, LC_ALL=locale, **(variables or {}))
    run = subprocess.run([os.path.join(clone, "scripts", "release.sh"), "--publish-url",
                          PUBLISH_URL, *options], env=env, umask=umask,
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if run.returncode != 0:
        raise AssertionError(f"release.sh in {clone} failed:\n{run.stdout[-4000:]}")
    return os.path.join(clone, "build", "release")


TIMESTAMP_AUTHORITY = """[tsa]
default_tsa = authority
[authority]
serial = tsa.serial
signer_cert = tsa.crt
signer_key = tsa.key
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256
ess_cert_id_alg = sha256
"""


def make_keys(folder):
    """A throwaway certificate authority with a code-signing and a timestamping certificate
    below it, the first with its key in a PKCS#12 file under SIGN_PASSWORD, and a gpg home
    holding a throwaway key without passphrase for GPG_USER: (authority, PKCS#12 file, gpg
    home)."""
    def openssl(*args):
        subprocess.run(["openssl", *args], check=True, cwd=folder, capture_output=True,
                       env=dict(os.environ, VELMORAN_SIGN_PASSWORD=SIGN_PASSWORD))

    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out",
            "ca.crt", "-days", "2", "-subj", "/CN=Velmoran Test CA",
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign")
    for name, usage in (("signer", "codeSigning"), ("tsa", "critical,timeStamping")):
        openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key", "-out",
                f"{name}.csr", "-subj", f"/CN=Velmoran Test {name}")
        with open(os.path.join(folder, f"{name}.ext"), "w") as f:
            f.write("basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
                    f"extendedKeyUsage={usage}\n")
        openssl("x509", "-req", "-in", f"{name}.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
                "-CAcreateserial", "-days", "2", "-extfile", f"{name}.ext", "-out",
                f"{name}.crt")
    with open(os.path.join(folder, "tsa.cnf"), "w") as f:
        f.write(TIMESTAMP_AUTHORITY)
    openssl("pkcs12", "-export", "-inkey", "signer.key", "-in", "signer.crt", "-out",
            "signer.p12", "-passout", "env:VELMORAN_SIGN_PASSWORD")
    home = os.path.join(folder, "gnupg")
    os.mkdir(home, 0o700)
    subprocess.run(["gpg", "--homedir", home, "--batch", "--passphrase", "",
                    "--quick-generate-key", GPG_USER, "rsa2048", "sign", "1d"],
                   check=True, capture_output=True)
    return os.path.join(folder, "ca.crt"), os.path.join(folder, "signer.p12"), home


def serve_timestamps(folder):
    """An RFC 3161 timestamp authority on a free local port, answering with openssl ts and
    make_keys's timestamping certificate in folder: the running server."""
    class Authority(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            query = self.rfile.read(int(self.headers["Content-Length"]))
            reply = subprocess.run(["openssl", "ts", "-reply", "-config", "tsa.cnf",
                                    "-queryfile", "/dev/stdin", "-out", "/dev/stdout"],
                                   cwd=folder, input=query, capture_output=True).stdout
            self.send_response(200 if reply else 500)
            self.send_header("Content-Type", "application/timestamp-reply")
            self.send_header("Content-Length", str(len(reply)))
            self.end_headers()
            self.wfile.write(reply)

        def log_message(self, *_):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Authority)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def read(path):
    with open(path, "rb") as f:
        return f.read()


def ar_members(path):
    """The members of a Debian package's ar archive: (name, mtime, uid, gid, mode, data)."""
    data = read(path)
    if not data.startswith(b"!<arch>\n"):
        raise AssertionError(f"{path} is not an ar archive")
    members, offset = [], 8
    while offset < len(data):
        header = data[offset:offset + 60].decode("ascii")
        size = int(header[48:58])
        members.append((header[0:16].rstrip().rstrip("/"), int(header[16:28]),
                        int(header[28:34]), int(header[34:40]), int(header[40:48], 8),
                        data[offset + 60:offset + 60 + size]))
        offset += 60 + size + size % 2
    return members


def tar_members(data):
    """What a tar.gz member of a package holds: per entry its header fields and contents' hash,
    a link's target, or another entry's type."""
    def contents(archive, entry):
        if entry.isfile():
            return hashlib.sha256(archive.extractfile(entry).read()).hexdigest()
        return "-> " + entry.linkname if entry.issym() else entry.type

    with tarfile.open(fileobj=io.BytesIO(data), mode="r:gz") as archive:
        return [(entry.name, oct(entry.mode), entry.uid, entry.gid, entry.uname, entry.gname,
                 entry.mtime, contents(archive, entry)) for entry in archive.getmembers()]


def deb_differences(deb_one, deb_two):
    """What differs between two packages, member by member and file by file."""
    lines = []
    for first, second in zip(ar_members(deb_one), ar_members(deb_two)):
        if first[:5] != second[:5]:
            lines.append(f"ar member {first[:5]} and {second[:5]}")
        if first[0].endswith(".tar.gz"):
            if gzip.decompress(first[5]) == gzip.decompress(second[5]):
                if first[5] != second[5]:
                    lines.append(f"{first[0]}: the same tar, compressed differently")
                continue
            for one, two in zip(tar_members(first[5]), tar_members(second[5])):
                if one != two:
                    lines.append(f"{first[0]}: {one} and {two}")
    return lines


def rpm_differences(rpm_one, rpm_two):
    """What differs between two RPMs: their headers, tag by tag, or else their payloads."""
    headers = [subprocess.run(["rpm", "-qp", "--xml", path], check=True, capture_output=True,
                              text=True).stdout.splitlines() for path in (rpm_one, rpm_two)]
    lines = list(difflib.unified_diff(*headers, lineterm="", n=2))[:60]
    return lines or ["the same header, a different payload"]


def text_differences(one, two):
    with open(one) as first, open(two) as second:
        return list(difflib.unified_diff(first.readlines(), second.readlines(), lineterm=""))


def program_words(release):
    """The words the release's native program lists when it finds no read-me: the program's
    own table. The word named no action, so the program calls no bus; the addresses lead
    nowhere all the same."""
    nowhere = "unix:path=" + os.path.join(release, "no-bus")
    run = subprocess.run([os.path.join(release, "linux", "launcher", "velmoran"), "NoSuchWord"],
                         env={"PATH": "/usr/bin:/bin", "DBUS_SYSTEM_BUS_ADDRESS": nowhere,
                              "DBUS_SESSION_BUS_ADDRESS": nowhere},
                         stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60)
    return re.findall(r"^ +Velmoran\.exe +(\w+)\r?$", run.stderr, re.MULTILINE)


def zip_differences(zip_one, zip_two):
    """What differs between two release zips, entry by entry, for the failure message."""
    lines = []
    with zipfile.ZipFile(zip_one) as one, zipfile.ZipFile(zip_two) as two:
        if one.namelist() != two.namelist():
            return [f"entries {one.namelist()} and {two.namelist()}"]
        for first, second in zip(one.infolist(), two.infolist()):
            for field in ("date_time", "external_attr", "create_system", "extra"):
                if getattr(first, field) != getattr(second, field):
                    lines.append(f"{first.filename}: {field} {getattr(first, field)!r} and "
                                 f"{getattr(second, field)!r}")
            data_one, data_two = one.read(first), two.read(second)
            offsets = [i for i, (a, b) in enumerate(zip(data_one, data_two)) if a != b]
            if offsets or len(data_one) != len(data_two):
                lines.append(f"{first.filename}: {len(data_one)} and {len(data_two)} bytes, "
                             f"differing at offsets {[hex(i) for i in offsets[:12]]}")
    return lines


class ReleaseTest(unittest.TestCase):
    source = None

    @classmethod
    def setUpClass(cls):
        cls.commit = git(cls.source, "rev-parse", "HEAD")
        cls.commit_time = int(git(cls.source, "log", "-1", "--format=%ct", cls.commit))
        cls.work = tempfile.TemporaryDirectory(prefix="velmoran-release.")
        cls.releases = [build_release(cls.source, cls.commit, cls.work.name, *build)
                        for build in BUILDS]
        keys = os.path.join(cls.work.name, "keys")
        os.mkdir(keys)
        cls.authority, pkcs12, cls.gpg_home = make_keys(keys)
        # Its agent, started by the first signature, would outlive the test.
        cls.addClassCleanup(subprocess.run, ["gpgconf", "--homedir", cls.gpg_home, "--kill",
                                             "all"])
        timestamps = serve_timestamps(keys)
        cls.addClassCleanup(timestamps.server_close)
        cls.addClassCleanup(timestamps.shutdown)
        cls.signed = build_release(
            cls.source, cls.commit, cls.work.name, SIGNED_FOLDER, *BUILDS[0][1:],
            options=["--sign-pkcs12", pkcs12, "--gpg-key", GPG_USER, "--timestamp-url",
                     "http://127.0.0.1:%d/" % timestamps.server_address[1]],
            variables={"VELMORAN_SIGN_PASSWORD": SIGN_PASSWORD, "GNUPGHOME": cls.gpg_home})

    @classmethod
    def tearDownClass(cls):
        cls.work.cleanup()

    def test_two_builds_give_the_same_bytes(self):
        compared = [(ZIP_NAME, zip_differences), (DEB_NAME, deb_differences),
                    (RPM_NAME, rpm_differences)]
        compared += [(name, text_differences) for name in [SCOOP_NAME] + WINGET_NAMES]
        for name, differences in compared:
            with self.subTest(name):
                one, two = (os.path.join(release, name) for release in self.releases)
                self.assertTrue(read(one) == read(two), "\n".join(differences(one, two)))
        self.assertEqual(read(os.path.join(self.releases[0], "SHA256SUMS")),
                         read(os.path.join(self.releases[1], "SHA256SUMS")))

    def test_sums_list_every_release_file(self):
        # The signed release lists its signed files, and its signature of the sums beside them.
        for release, sums in ((self.releases[0], ["SHA256SUMS"]),
                              (self.signed, ["SHA256SUMS", "SHA256SUMS.asc"])):
            with self.subTest(release):
                listed = {}
                for line in read(os.path.join(release, "SHA256SUMS")).decode().splitlines():
                    digest, name = line.split("  ", 1)
                    listed[name] = digest
                files = sorted(name for name in os.listdir(release)
                               if os.path.isfile(os.path.join(release, name)))
                self.assertEqual(sorted([*listed, *sums]), files)
                self.assertEqual(sorted(listed), sorted([ZIP_NAME, DEB_NAME, RPM_NAME,
                                                         SCOOP_NAME] + WINGET_NAMES))
                for name, digest in listed.items():
                    self.assertEqual(hashlib.sha256(read(os.path.join(release, name)))
                                     .hexdigest(), digest, name)

    def test_release_carries_the_tag_and_the_commit_time(self):
        with zipfile.ZipFile(os.path.join(self.releases[0], ZIP_NAME)) as archive:
            self.assertEqual(archive.namelist(), ENTRIES)
            # Zip times count in steps of two seconds.
            commit_date = time.gmtime(self.commit_time - self.commit_time % 2)[:6]
            for entry in archive.infolist():
                self.assertEqual(entry.date_time, commit_date, entry.filename)
            program = archive.read("Velmoran.exe")
        pe = struct.unpack_from("<I", program, 0x3C)[0]
        self.assertEqual(struct.unpack_from("<I", program, pe + 8)[0], self.commit_time,
                         "PE time stamp")
        info = program.find(struct.pack("<I", FIXED_FILE_INFO_SIGNATURE))
        self.assertGreater(info, 0, "no version resource")
        file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<4I", program, info + 8)
        for high, low in ((file_ms, file_ls), (product_ms, product_ls)):
            self.assertEqual((high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF),
                             VERSION_NUMBERS)
        for key, expected in (("FileVersion", VERSION), ("ProductVersion", VERSION),
                              ("FileDescription", DESCRIPTION)):
            # The key, its padding to four bytes, then the value.
            text = f"{key}\0".encode("utf-16-le")
            start = program.find(text)
            self.assertGreater(start, 0, key)
            value = program.find(f"{expected}\0".encode("utf-16-le"), start + len(text))
            self.assertIn(value - (start + len(text)), (0, 2), key)

    def test_signed_program_verifies_and_without_its_signature_is_the_unsigned_one(self):
        with zipfile.ZipFile(os.path.join(self.releases[0], ZIP_NAME)) as one, \
                zipfile.ZipFile(os.path.join(self.signed, ZIP_NAME)) as two:
            # The zips differ in the program's bytes alone: not in names, order, dates or modes.
            self.assertEqual(
                *([(entry.filename, entry.date_time, entry.external_attr)
                   for entry in archive.infolist()] for archive in (one, two)))
            self.assertEqual(one.read(ENTRIES[1]), two.read(ENTRIES[1]))
            unsigned, signed = one.read(ENTRIES[0]), two.read(ENTRIES[0])
        folder = tempfile.mkdtemp(dir=self.work.name)

        def write(name, data):
            path = os.path.join(folder, name)
            with open(path, "wb") as f:
                f.write(data)
            return path

        def verify(program):
            return subprocess.run(["osslsigncode", "verify", "-CAfile", self.authority,
                                   "-TSA-CAfile", self.authority, "-in",
                                   write("checked.exe", program)], capture_output=True, text=True)

        run = verify(signed)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertIn("Message digest algorithm  : SHA256\n", run.stdout)
        self.assertIn(f"Text description: {DESCRIPTION}\n", run.stdout)
        self.assertIn("Timestamp Server Signature verification: ok\n", run.stdout)
        # A byte of the code, and one of the description that the signature repeats.
        for offset in (len(signed) // 4, signed.find(DESCRIPTION.encode("utf-16-le"))):
            with self.subTest(offset=hex(offset)):
                changed = bytearray(signed)
                changed[offset] ^= 1
                self.assertNotEqual(verify(bytes(changed)).returncode, 0)
        stripped = os.path.join(folder, "stripped.exe")
        subprocess.run(["osslsigncode", "remove-signature", "-in", write("signed.exe", signed),
                        "-out", stripped], check=True, capture_output=True)
        self.assertTrue(read(stripped) == unsigned, "the signature removed, not the unsigned bytes")

    def test_signed_release_signs_sums_and_rpm_and_its_manifests_name_the_signed_zip(self):
        sums = os.path.join(self.signed, "SHA256SUMS")
        changed = os.path.join(self.work.name, "SHA256SUMS")
        with open(changed, "wb") as f:
            f.write(bytes([read(sums)[0] ^ 1]) + read(sums)[1:])
        for listing, good in ((sums, True), (changed, False)):
            with self.subTest(listing):
                run = subprocess.run(["gpg", "--homedir", self.gpg_home, "--batch", "--verify",
                                      sums + ".asc", listing], capture_output=True, text=True)
                self.assertEqual(run.returncode == 0, good, run.stderr)

        database = tempfile.mkdtemp(dir=self.work.name)
        key = os.path.join(database, "key.asc")
        with open(key, "wb") as f:
            f.write(subprocess.run(["gpg", "--homedir", self.gpg_home, "--armor", "--export",
                                    GPG_USER], check=True, capture_output=True).stdout)
        subprocess.run(["rpmkeys", "--dbpath", database, "--import", key], check=True)
        # Digests alone would pass as well: a signature by the imported key is demanded.
        for release, good in ((self.signed, True), (self.releases[0], False)):
            with self.subTest(release):
                run = subprocess.run(["rpmkeys", "--dbpath", database, "--define",
                                      "_pkgverify_level signature", "--checksig",
                                      os.path.join(release, RPM_NAME)],
                                     capture_output=True, text=True)
                self.assertEqual(run.returncode == 0, good, run.stdout + run.stderr)
        # Signing adds a signature and nothing else: the header that covers the files stays.
        self.assertEqual(*(subprocess.run(["rpm", "-qp", "--qf", "%{SHA256HEADER}",
                                           os.path.join(release, RPM_NAME)], check=True,
                                          capture_output=True, text=True).stdout
                           for release in (self.signed, self.releases[0])))
        self.assertTrue(read(os.path.join(self.signed, DEB_NAME)) ==
                        read(os.path.join(self.releases[0], DEB_NAME)), "the .deb changed")

        digest = hashlib.sha256(read(os.path.join(self.signed, ZIP_NAME))).hexdigest()
        with open(os.path.join(self.signed, SCOOP_NAME)) as f:
            self.assertEqual(json.load(f)["hash"], digest)
        installer = yaml.safe_load(read(os.path.join(self.signed, WINGET_NAMES[1])))
        self.assertEqual(installer["Installers"][0]["InstallerSha256"].lower(), digest)

    def test_package_carries_the_version_and_the_commit_time(self):
        members = ar_members(os.path.join(self.releases[0], DEB_NAME))
        self.assertEqual([member[0] for member in members], DEB_MEMBERS)
        for name, mtime, uid, gid, mode, data in members:
            self.assertEqual((mtime, uid, gid, mode), (self.commit_time, 0, 0, 0o100644), name)
            if not name.endswith(".tar.gz"):
                continue
            for entry in tar_members(data):
                path, mode, uid, gid, user, group, mtime = entry[:7]
                self.assertEqual((uid, gid, user, group, mtime),
                                 (0, 0, "root", "root", self.commit_time), path)
                if entry[7] == tarfile.DIRTYPE:
                    self.assertEqual(mode, oct(0o755), path)
        control = subprocess.run(["dpkg-deb", "-f", os.path.join(self.releases[0], DEB_NAME),
                                  "Version"], check=True, capture_output=True, text=True)
        self.assertEqual(control.stdout.strip(), DEB_VERSION)
        with tarfile.open(fileobj=io.BytesIO(members[2][5]), mode="r:gz") as archive:
            page = archive.extractfile("./usr/share/man/man1/velmoran.1.gz").read()
        self.assertIn(f'"Velmoran {VERSION}"', gzip.decompress(page).decode("utf-8"))

    def test_rpm_holds_the_packages_files_dated_with_the_commit(self):
        rpm = os.path.join(self.releases[0], RPM_NAME)

        def query(form):
            return subprocess.run(["rpm", "-qp", "--qf", form, rpm], check=True,
                                  capture_output=True, text=True).stdout

        self.assertEqual(query("%{VERSION} %{BUILDTIME}"), f"{DEB_VERSION} {self.commit_time}")
        rpm_files = {}
        for line in query("[%{FILENAMES}|%{FILEMODES:octal}|%{FILEMTIMES}|%{FILEUSERNAME}|"
                          "%{FILEGROUPNAME}|%{FILEDIGESTS}|%{FILELINKTOS}\n]").splitlines():
            path, mode, mtime, user, group, digest, target = line.split("|")
            self.assertEqual((int(mtime), user, group), (self.commit_time, "root", "root"), path)
            if mode.startswith("40"):
                self.assertEqual(mode, "40755", path)
            else:
                contents = "-> " + target if mode.startswith("120") else digest
                rpm_files[path] = (oct(int(mode, 8) & 0o7777), contents)
        # The .deb's files, with their modes and bytes: both packages come from one build.
        data = ar_members(os.path.join(self.releases[0], DEB_NAME))[2][5]
        deb_files = {entry[0][1:]: (entry[1], entry[7]) for entry in tar_members(data)
                     if entry[7] != tarfile.DIRTYPE}
        self.assertEqual(rpm_files, deb_files)

    def test_manifests_install_the_zip_with_a_shortcut_per_word(self):
        release = self.releases[0]
        zip_url = PUBLISH_URL + ZIP_NAME
        digest = hashlib.sha256(read(os.path.join(release, ZIP_NAME))).hexdigest()
        with zipfile.ZipFile(os.path.join(release, ZIP_NAME)) as archive:
            entries = archive.namelist()
        words = program_words(release)
        self.assertEqual(len(words), 12)

        with open(os.path.join(release, SCOOP_NAME)) as f:
            scoop = json.load(f)
        self.assertEqual((scoop["version"], scoop["url"], scoop["hash"]),
                         (VERSION, zip_url, digest))
        for field in ("description", "homepage", "license"):
            self.assertTrue(scoop[field], field)
        self.assertIn(scoop["bin"], entries)
        shortcuts = scoop["shortcuts"]
        self.assertEqual([arguments for _, _, arguments in shortcuts], words)
        names = [name for _, name, _ in shortcuts]
        self.assertEqual(len(set(names)), len(names))
        for program, name, _ in shortcuts:
            self.assertIn(program, entries)
            self.assertRegex(name, r"^Velmoran\\[^\\/:*?\"<>|]+$")

        version, installer, locale = (
            yaml.safe_load(read(os.path.join(release, name))) for name in WINGET_NAMES)
        for manifest, kind in ((version, "version"), (installer, "installer"),
                               (locale, "defaultLocale")):
            self.assertEqual((manifest["PackageIdentifier"], manifest["PackageVersion"],
                              manifest["ManifestType"], manifest["ManifestVersion"]),
                             (version["PackageIdentifier"], VERSION, kind, "1.12.0"))
        self.assertEqual(version["DefaultLocale"], locale["PackageLocale"])
        self.assertEqual((installer["InstallerType"], installer["NestedInstallerType"]),
                         ("zip", "portable"))
        [nested] = installer["NestedInstallerFiles"]
        self.assertIn(nested["RelativeFilePath"], entries)
        self.assertEqual(nested["PortableCommandAlias"], "velmoran")
        [package] = installer["Installers"]
        self.assertEqual((package["Architecture"], package["InstallerUrl"],
                          package["InstallerSha256"].lower()), ("x86", zip_url, digest))
        for field in ("Publisher", "PackageName", "License", "ShortDescription"):
            self.assertTrue(locale[field], field)


SCRATCH_PROJECT = """cmake_minimum_required(VERSION 3.25)
project(Scratch VERSION 1.0.0 LANGUAGES NONE)
include("{module}")
message(STATUS "release ${{VELMORAN_RELEASE_VERSION}} ${{VELMORAN_RELEASE_VERSION_NUMBERS}} "
               "${{VELMORAN_SOURCE_DATE_EPOCH}}")
"""
COMMIT_TIME = 1700000000

# tag on the commit (or None), SOURCE_DATE_EPOCH (or None), where the project lies, and the
# version, its numbers and the date it gives, or None where configuring must fail
VERSION_CASES = [
    (None, None, "checkout", ("1.0.0", "1,0,0,0", COMMIT_TIME)),
    ("v2.3", None, "checkout", ("2.3", "2,3,0,0", COMMIT_TIME)),
    ("4.5.6.7", None, "checkout", ("4.5.6.7", "4,5,6,7", COMMIT_TIME)),
    ("v1.2.3-rc.1", None, "checkout", ("1.2.3-rc.1", "1,2,3,0", COMMIT_TIME)),
    ("v0.65535", None, "checkout", ("0.65535", "0,65535,0,0", COMMIT_TIME)),
    ("velvet", None, "checkout", ("1.0.0", "1,0,0,0", COMMIT_TIME)),
    ("v1.65536", None, "checkout", None),
    ("v1.2.3.4.5", None, "checkout", None),
    ("v01.2", None, "checkout", None),
    ("v1.2_beta", None, "checkout", None),
    (None, "12345", "checkout", ("1.0.0", "1,0,0,0", 12345)),
    (None, "yesterday", "checkout", None),
    (None, None, "no checkout", ("1.0.0", "1,0,0,0", 0)),
    # Unpacked inside someone else's checkout, whose tag and commit are not the project's.
    ("v7.7.7", None, "inside a checkout", ("1.0.0", "1,0,0,0", 0)),
    ("v7.7.7", "12345", "inside a checkout", ("1.0.0", "1,0,0,0", 12345)),
]


class ReleaseVersionTest(unittest.TestCase):
    module = None

    def configure(self, root, tag, epoch, where):
        checkout = os.path.join(root, "checkout")
        project = checkout if where == "checkout" else os.path.join(checkout, "unpacked")
        if where == "no checkout":
            project = os.path.join(root, "unpacked")
        os.makedirs(project)
        with open(os.path.join(project, "CMakeLists.txt"), "w") as f:
            f.write(SCRATCH_PROJECT.format(module=self.module))
        if where != "no checkout":
            env = dict(os.environ, GIT_AUTHOR_NAME="a", GIT_AUTHOR_EMAIL="a@a",
                       GIT_COMMITTER_NAME="a", GIT_COMMITTER_EMAIL="a@a",
                       GIT_COMMITTER_DATE=f"@{COMMIT_TIME} +0000")
            for command in (["init", "--quiet"], ["add", "-A"], ["commit", "--quiet", "-m", "c"]):
                subprocess.run(["git", "-C", checkout, *command], check=True, env=env)
            if tag:
                subprocess.run(["git", "-C", checkout, "tag", tag], check=True)
        env = {key: value for key, value in os.environ.items() if key != "SOURCE_DATE_EPOCH"}
        if epoch is not None:
            env["SOURCE_DATE_EPOCH"] = epoch
        return subprocess.run(["cmake", "-S", project, "-B", os.path.join(root, "build")],
                              env=env, capture_output=True, text=True)

    def test_version_and_date_from_the_commit(self):
        for tag, epoch, where, expected in VERSION_CASES:
            with self.subTest(tag=tag, epoch=epoch, where=where), \
                    tempfile.TemporaryDirectory(prefix="velmoran-version.") as root:
                run = self.configure(root, tag, epoch, where)
                if expected is None:
                    self.assertNotEqual(run.returncode, 0, run.stdout)
                    continue
                self.assertEqual(run.returncode, 0, run.stderr)
                version, numbers, date = expected
                self.assertIn(f"-- release {version} {numbers} {date}\n", run.stdout)


if __name__ == "__main__":
    ReleaseTest.source = sys.argv.pop(1)
    ReleaseVersionTest.module = os.path.join(ReleaseTest.source, "cmake", "VelmoranRelease.cmake")
    unittest.main()
