"""The Debian 12 machine the VM cases boot: debootstrap's tree with two test users, getty
autologin for tester on tty1 and visitor on tty2, and a unit that runs whatever the harness
hands in on a second disk, written into an ext4 image with mke2fs -d (nothing is mounted).

The image is built once into a cache outside the build tree, shared by every build tree and
clone on this machine, and kept as long as its key, a hash of the package list and of every
file written into the tree, is the same; a lock file keeps two runs from building it at once.
Each boot runs on a snapshot of it.

Usage: machine_image.py FOLDER. Prints where the image, kernel and initrd are."""
import fcntl
import hashlib
import json
import os
import pathlib
import re
import shutil
import subprocess
import sys
import time

import machine

SUITE = "bookworm"
# systemd-logind and polkit as Debian ships them, the Debian kernel, and the libraries the
# program links (the sanitizer runtimes for the sanitized build).
PACKAGES = [
    "systemd", "systemd-sysv", "dbus", "libpam-systemd", "polkitd", "linux-image-amd64", "udev",
    "kmod", "libstdc++6", "libasan8", "libubsan1",
]
# tester logs in on tty1, the active console; visitor has no session, or one on tty2 when a case
# asks for it, which stays in the background.
USERS = ["tester", "visitor"]
IMAGE_SIZE = "2G"

AUTOLOGIN = """[Service]
ExecStart=
ExecStart=-/sbin/agetty --autologin {user} --noclear %I $TERM
"""

# The only fixed step inside the machine: unpack what the harness handed in (a tar archive
# written on the second disk as it is) and run it, so a change to the cases never needs a new
# image. fw_cfg would do too, but its files are read a byte at a time: half a minute for the
# program under TCG.
STARTER = """#!/bin/sh
mkdir -p /run/velmoran
tar -C /run/velmoran -xf /dev/vdb
exec /bin/bash /run/velmoran/guest.sh director
"""

UNIT = """[Unit]
Description=Velmoran machine cases
After=multi-user.target

[Service]
Type=simple
ExecStart=/usr/local/sbin/velmoran-machine
StandardOutput=journal+console
StandardError=journal+console

[Install]
WantedBy=multi-user.target
"""

# The users' login shells serve the director's requests once they are there.
SESSION_PROFILE = """while [ ! -e /run/velmoran/ready ]; do sleep 0.2; done
exec /bin/bash /run/velmoran/guest.sh session
"""

# A test machine keeps no journal across boots and needs no entropy, file system scrubs or
# modules of its own: under TCG each of those costs seconds of every boot.
JOURNAL = """[Journal]
Storage=volatile
"""
MASKED = ["e2scrub_reap.service", "systemd-random-seed.service", "modprobe@drm.service",
          "modprobe@efi_pstore.service", "modprobe@fuse.service", "modprobe@loop.service",
          "modprobe@dm_mod.service"]

# The initrd only has to find the root file system on the virtio disk: the default one, with
# most of the kernel's modules, takes seconds more of every boot to unpack. These are in the
# tree before debootstrap installs the kernel, so its initrd is made once, small.
INITRD_HOOK = """#!/bin/sh
[ "$1" = prereqs ] && exit 0
. /usr/share/initramfs-tools/hook-functions
manual_add_modules virtio_pci virtio_blk ext4
"""
BEFORE_PACKAGES = {
    "etc/initramfs-tools/conf.d/velmoran": ("MODULES=list\n", 0o644),
    "etc/initramfs-tools/hooks/velmoran": (INITRD_HOOK, 0o755),
}

FILES = {
    "etc/hostname": ("velmoran-vm\n", 0o644),
    "etc/systemd/journald.conf.d/volatile.conf": (JOURNAL, 0o644),
    "etc/systemd/system/getty@tty1.service.d/autologin.conf": (
        AUTOLOGIN.format(user="tester"), 0o644),
    "etc/systemd/system/getty@tty2.service.d/autologin.conf": (
        AUTOLOGIN.format(user="visitor"), 0o644),
    "usr/local/sbin/velmoran-machine": (STARTER, 0o755),
    "etc/systemd/system/velmoran-machine.service": (UNIT, 0o644),
    "home/tester/.bash_profile": (SESSION_PROFILE, 0o644),
    "home/visitor/.bash_profile": (SESSION_PROFILE, 0o644),
}
LINKS = {
    "etc/systemd/system/multi-user.target.wants/velmoran-machine.service":
        "/etc/systemd/system/velmoran-machine.service",
    **{f"etc/systemd/system/{unit}": "/dev/null" for unit in MASKED},
}


def mirror():
    """The Debian archive apt on this machine uses, so debootstrap fetches from the same."""
    for path in sorted(pathlib.Path("/etc/apt").glob("sources.list*")) + sorted(
            pathlib.Path("/etc/apt/sources.list.d").glob("*")):
        if not path.is_file():
            continue
        text = path.read_text(errors="replace")
        for stanza in text.split("\n\n"):
            if re.search(rf"^Suites:.*\b{SUITE}\b", stanza, re.M):
                found = re.search(r"^URIs:\s*(\S+)", stanza, re.M)
                if found and "security" not in found.group(1):
                    return found.group(1)
        found = re.search(rf"^deb\s+(?:\[[^]]*\]\s+)?(\S+)\s+{SUITE}\s", text, re.M)
        if found:
            return found.group(1)
    return "http://deb.debian.org/debian"


def key(archive):
    recipe = {"suite": SUITE, "archive": archive, "packages": PACKAGES, "users": USERS,
              "before": BEFORE_PACKAGES, "files": FILES, "links": LINKS, "size": IMAGE_SIZE}
    return hashlib.sha256(json.dumps(recipe, sort_keys=True).encode()).hexdigest()


def unmount_below(root):
    """debootstrap may leave the tree's /proc (and more) mounted: undo that, deepest first."""
    mounts = []
    with open("/proc/self/mounts") as table:
        for line in table:
            point = line.split()[1].encode().decode("unicode_escape")
            if point == str(root) or point.startswith(f"{root}/"):
                mounts.append(point)
    for point in sorted(mounts, key=len, reverse=True):
        subprocess.run(["umount", "--lazy", point], check=True)


def write_files(root, files):
    for relative, (text, mode) in files.items():
        path = root / relative
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text)
        path.chmod(mode)


def fill_tree(root):
    for user in USERS:
        subprocess.run(["chroot", str(root), "useradd", "--create-home", "--shell", "/bin/bash",
                        user], check=True)
    write_files(root, FILES)
    for user in USERS:
        owner = (root / "home" / user).stat()
        os.chown(root / "home" / user / ".bash_profile", owner.st_uid, owner.st_gid)
    for relative, target in LINKS.items():
        path = root / relative
        path.parent.mkdir(parents=True, exist_ok=True)
        path.symlink_to(target)


def build(folder):
    """Makes folder/image.raw, vmlinuz and initrd.img unless they are there for this key."""
    folder = pathlib.Path(folder).resolve()
    archive = mirror()
    wanted = key(archive)
    key_file = folder / "image.key"
    if key_file.exists() and key_file.read_text().strip() == wanted and all(
            (folder / name).exists() for name in ("image.raw", "vmlinuz", "initrd.img")):
        print(f"image {folder / 'image.raw'} reused (key {wanted[:12]})")
        return folder
    key_file.unlink(missing_ok=True)
    root = folder / "root"
    if root.exists():
        unmount_below(root)
        shutil.rmtree(root)
    (folder / "packages").mkdir(parents=True, exist_ok=True)
    write_files(root, BEFORE_PACKAGES)
    started = time.monotonic()
    log = folder / "debootstrap.log"
    with open(log, "w") as output:
        # The packages stay in the cache: a new key there downloads only what changed.
        result = subprocess.run(
            ["debootstrap", "--variant=minbase", f"--include={','.join(PACKAGES)}",
             f"--cache-dir={folder / 'packages'}", SUITE, str(root), archive],
            stdout=output, stderr=subprocess.STDOUT)
    unmount_below(root)
    if result.returncode != 0:
        sys.exit(f"debootstrap failed ({result.returncode}); the last lines of {log}:\n"
                 + "\n".join(log.read_text(errors="replace").splitlines()[-15:]))
    bootstrapped = time.monotonic()
    fill_tree(root)
    for name, pattern in (("vmlinuz", "vmlinuz-*"), ("initrd.img", "initrd.img-*")):
        shutil.copyfile(sorted((root / "boot").glob(pattern))[-1], folder / name)
    image = folder / "image.raw"
    subprocess.run(["mke2fs", "-q", "-t", "ext4", "-d", str(root), "-F", str(image),
                    IMAGE_SIZE], check=True)
    shutil.rmtree(root)
    key_file.write_text(wanted + "\n")
    print(f"image {image} built: debootstrap {bootstrapped - started:.0f} s, "
          f"the rest {time.monotonic() - bootstrapped:.0f} s (archive {archive})")
    return folder


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    machine.skip_without_tools()
    folder = pathlib.Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    with open(folder / "lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        build(folder)


if __name__ == "__main__":
    main()
