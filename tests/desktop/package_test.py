#!/usr/bin/python3
"""The Debian package and the RPM, each installed into a throwaway root as dpkg and rpm would
install it: their fields and files, the menu entry with an action per word and its icon, and
the installed velmoran run from PATH and through a link against a desktop of its own
(desktop_bus.py), finding its read-me beside its real file, a link to the package's
documentation folder.

    /usr/bin/python3 package_test.py PACKAGE.deb PACKAGE.rpm [unittest options]"""
import configparser
import os
import re
import shutil
import struct
import subprocess
import sys
import time
import unittest

import desktop_bus

READ_ME = "usr/share/doc/velmoran/ReadMe_Velmoran.txt"
PROGRAM = "usr/lib/velmoran/velmoran"
READ_ME_BESIDE_PROGRAM = "usr/lib/velmoran/ReadMe_Velmoran.txt"
ENTRY = "usr/share/applications/velmoran.desktop"
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
WINDOWS_ICON = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "launcher",
                            "resources", "velmoran.ico")
FILES = sorted(["usr/bin/velmoran", PROGRAM, READ_ME_BESIDE_PROGRAM, READ_ME,
                "usr/share/man/man1/velmoran.1.gz", ENTRY]
               + ["usr/share/icons/hicolor/%dx%d/apps/velmoran.png" % (size, size)
                  for size in ICON_SIZES])


def output(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


class Deb:
    libraries = ("libc6 (>=", "libstdc++6 (>=", "libsystemd0 (>=")

    def __init__(self, path):
        self.path = path

    def install(self, root):
        subprocess.run(["dpkg-deb", "-x", self.path, root], check=True)

    def file_name(self):
        fields = output("dpkg-deb", "-f", self.path, "Version", "Architecture")
        return "velmoran_%s_%s.deb" % tuple(line.split(": ", 1)[1]
                                            for line in fields.splitlines())

    def requirements(self):
        return output("dpkg-deb", "-f", self.path, "Depends")

    def files(self):
        # A link's line ends in " -> " and its target.
        return sorted(line.split(" -> ")[0].split()[-1][2:]
                      for line in output("dpkg-deb", "-c", self.path).splitlines()
                      if not line.startswith("d"))


class Rpm:
    # What rpmbuild's generator reads from the program's ELF header.
    libraries = ("libc.so.6()(64bit)", "libstdc++.so.6()(64bit)", "libsystemd.so.0()(64bit)")

    def __init__(self, path):
        self.path = path

    def install(self, root):
        # Debian's rpm warns that it is not the system's package manager, and goes on.
        database = ["--root", root, "--dbpath", "/var/lib/rpm"]
        subprocess.run(["rpm", *database, "--initdb"], check=True)
        subprocess.run(["rpm", *database, "--nodeps", "-i", self.path], check=True,
                       stderr=subprocess.DEVNULL)

    def file_name(self):
        return output("rpm", "-qp", "--qf", "%{NAME}-%{VERSION}-%{RELEASE}.%{ARCH}.rpm",
                      self.path)

    def requirements(self):
        return output("rpm", "-qp", "--requires", self.path)

    def files(self):
        listing = output("rpm", "-qp", "--qf", "[%{FILEMODES:perms} %{FILENAMES}\n]", self.path)
        return sorted(line.split()[-1][1:] for line in listing.splitlines()
                      if not line.startswith("d"))


def png_size(path):
    with open(path, "rb") as f:
        header = f.read(24)
    return struct.unpack(">II", header[16:24])


def windows_icon_images():
    """The PNGs inside the Windows icon, by size."""
    with open(WINDOWS_ICON, "rb") as f:
        data = f.read()
    images = {}
    for index in range(struct.unpack_from("<H", data, 4)[0]):
        width, _, _, _, _, _, length, offset = struct.unpack_from("<BBBBHHII", data,
                                                                  6 + 16 * index)
        images[width] = data[offset:offset + length]
    return images


class PackageCase:
    package = None

    def setUp(self):
        self.desktop = desktop_bus.Desktop()
        self.addCleanup(self.desktop.close)
        self.root = os.path.join(self.desktop.folder, "root")
        os.makedirs(self.root)
        self.package.install(self.root)
        self.bin = os.path.join(self.root, "usr/bin")

    def program_words(self):
        """The words the installed program lists when it finds no read-me beside it."""
        alone = os.path.join(self.desktop.folder, "alone")
        os.makedirs(alone)
        shutil.copy(os.path.join(self.bin, "velmoran"), alone)
        run = self.desktop.run(os.path.join(alone, "velmoran"), ["NoSuchWord"],
                               without=["DISPLAY"])
        self.assertEqual(run.code, 1, run.stderr)
        return re.findall(r"^ +Velmoran\.exe +(\w+)\r?$", run.stderr, re.MULTILINE)

    def test_the_package_names_its_files_and_computed_dependencies(self):
        self.assertEqual(os.path.basename(self.package.path), self.package.file_name())
        requirements = self.package.requirements()
        for library in self.package.libraries:
            self.assertIn(library, requirements)
        self.assertEqual(self.package.files(), FILES)
        page = subprocess.run(["man", "-l", os.path.join(self.root, "usr/share/man/man1/"
                                                          "velmoran.1.gz")],
                              capture_output=True, text=True, env={"MANWIDTH": "80",
                                                                  "PATH": os.environ["PATH"]})
        self.assertEqual(page.returncode, 0, page.stderr)
        self.assertIn("PoweroffForce", page.stdout)

    def test_the_menu_entry_offers_every_word_under_the_windows_icon(self):
        entry = os.path.join(self.root, ENTRY)
        check = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
        self.assertEqual((check.returncode, check.stdout + check.stderr), (0, ""))
        parser = configparser.ConfigParser(interpolation=None)
        parser.optionxform = str
        parser.read(entry, encoding="utf-8")
        main = parser["Desktop Entry"]
        actions = main["Actions"].rstrip(";").split(";")
        words = self.program_words()
        self.assertEqual(len(words), 12)
        self.assertEqual(actions, words)
        for word in actions:
            self.assertEqual(parser["Desktop Action " + word]["Exec"], "velmoran " + word)
        self.assertEqual(main["Exec"], "velmoran")
        windows = windows_icon_images()
        for size in ICON_SIZES:
            icon = os.path.join(self.root, "usr/share/icons/hicolor/%dx%d/apps/%s.png"
                                % (size, size, main["Icon"]))
            self.assertEqual(png_size(icon), (size, size))
            if size in windows:
                with open(icon, "rb") as f:
                    self.assertEqual(f.read(), windows[size], "the Windows icon at %d" % size)
        self.assertEqual(sorted(windows), [16, 32, 48])

    def test_the_installed_program_runs_from_path_and_through_a_link(self):
        logind = self.desktop.start_mock("system", template="logind")
        path = {"PATH": self.bin + ":" + os.environ.get("PATH", "/usr/bin:/bin")}
        run = self.desktop.run("velmoran", ["Standby"], env=path)
        self.assertEqual((run.code, run.stderr), (0, ""))
        links = os.path.join(self.desktop.folder, "links")
        os.makedirs(links)
        os.symlink(os.path.join(self.bin, "velmoran"), os.path.join(links, "Hibernation"))
        run = self.desktop.run(os.path.join(links, "Hibernation"), env=path)
        self.assertEqual((run.code, run.stderr), (0, ""))
        self.assertEqual(logind.calls("Suspend"), [[True]])
        self.assertEqual(logind.calls("Hibernate"), [[True]])

    def test_help_opens_the_read_me_of_the_package(self):
        opened = os.path.join(self.desktop.folder, "opened.log")
        tools = os.path.join(self.desktop.folder, "tools")
        os.makedirs(tools)
        with open(os.path.join(tools, "xdg-open"), "w") as opener:
            opener.write('#!/bin/sh\nprintf "%s\\n" "$*" > "$0.log" && mv "$0.log" "' + opened
                         + '"\n')
        os.chmod(os.path.join(tools, "xdg-open"), 0o755)
        env = {"PATH": tools + ":" + self.bin + ":" + os.environ.get("PATH", "/usr/bin:/bin")}
        run = self.desktop.run("velmoran", ["NoSuchWord"], env=env, without=["DISPLAY"])
        self.assertEqual((run.code, run.stderr), (1, ""))
        for _ in range(100):
            if os.path.exists(opened):
                break
            time.sleep(0.05)
        with open(opened) as file:
            self.assertEqual(file.read(), os.path.join(self.root, READ_ME_BESIDE_PROGRAM) + "\n")
        self.assertEqual(os.path.realpath(os.path.join(self.root, READ_ME_BESIDE_PROGRAM)),
                         os.path.join(self.root, READ_ME))


def main():
    packages = []
    while len(sys.argv) > 1 and sys.argv[1].endswith((".deb", ".rpm")):
        packages.append(os.path.abspath(sys.argv.pop(1)))
    if not packages:
        sys.exit(__doc__)
    for path in packages:
        kind = Deb if path.endswith(".deb") else Rpm
        name = kind.__name__ + "PackageTest"
        globals()[name] = type(name, (PackageCase, unittest.TestCase), {"package": kind(path)})
    unittest.main(verbosity=2)


if __name__ == "__main__":
    main()
