#!/usr/bin/python3
"""The Debian package, unpacked into a throwaway root as dpkg would install it: its fields and
files, and the installed velmoran run from PATH and through a link against a desktop of its
own (desktop_bus.py), finding its read-me in the package's documentation folder.

    /usr/bin/python3 package_test.py PACKAGE.deb [unittest options]"""
import os
import subprocess
import sys
import time
import unittest

import desktop_bus

PACKAGE = None
READ_ME = "usr/share/doc/velmoran/ReadMe_Velmoran.txt"


def field(name):
    return subprocess.run(["dpkg-deb", "-f", PACKAGE, name], check=True, capture_output=True,
                          text=True).stdout.strip()


class PackageTest(unittest.TestCase):
    def setUp(self):
        self.desktop = desktop_bus.Desktop()
        self.addCleanup(self.desktop.close)
        self.root = os.path.join(self.desktop.folder, "root")
        subprocess.run(["dpkg-deb", "-x", PACKAGE, self.root], check=True)
        self.bin = os.path.join(self.root, "usr/bin")

    def test_the_package_names_its_files_and_computed_dependencies(self):
        self.assertEqual(os.path.basename(PACKAGE),
                         "velmoran_%s_%s.deb" % (field("Version"), field("Architecture")))
        depends = field("Depends")
        for library in ("libc6", "libstdc++6", "libsystemd0"):
            self.assertIn(library + " (>=", depends)
        listing = subprocess.run(["dpkg-deb", "-c", PACKAGE], check=True, capture_output=True,
                                 text=True).stdout
        files = sorted(line.split()[-1] for line in listing.splitlines()
                       if not line.startswith("d"))
        self.assertEqual(files, ["./usr/bin/velmoran", "./" + READ_ME,
                                 "./usr/share/man/man1/velmoran.1.gz"])
        page = subprocess.run(["man", "-l", os.path.join(self.root, "usr/share/man/man1/"
                                                          "velmoran.1.gz")],
                              capture_output=True, text=True, env={"MANWIDTH": "80",
                                                                  "PATH": os.environ["PATH"]})
        self.assertEqual(page.returncode, 0, page.stderr)
        self.assertIn("PoweroffForce", page.stdout)

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
            self.assertEqual(file.read(), os.path.join(self.root, READ_ME) + "\n")


def main():
    global PACKAGE
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    PACKAGE = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)


if __name__ == "__main__":
    main()
