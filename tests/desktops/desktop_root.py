"""The Debian 12 root the real desktops run in: debootstrap's minimal tree, the desktops'
packages installed into it with apt, and one unprivileged user. Nothing of it is installed on
the machine itself, whose own packages (Wine's dbus-x11 among them) stay as they are.

The root is kept in a cache outside the build tree, so a fresh clone on the same machine reuses
it: it is rebuilt only when its key, a hash of the archive, the package list and this file
(which writes everything else in the tree), changes. The downloaded packages stay in the cache
too, so a new key downloads only what changed. A lock file keeps two runs from building at
once, and a run that uses the root holds the same lock shared, so it is never replaced under
a run; the tree is built aside and renamed into place only when complete.

Usage: desktop_root.py CACHE_FOLDER. Prints where the root is and how long it took."""
import contextlib
import fcntl
import hashlib
import json
import os
import pathlib
import shutil
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "machine"))
import machine  # noqa: E402
from machine_image import SUITE, mirror  # noqa: E402

PACKAGES = [
    # GNOME, as a login starts it: the session manager, the shell and the settings daemon;
    # gjs runs the shell's bus-activated services, its org.gnome.ScreenSaver among them.
    "gnome-shell", "mutter", "gnome-session-bin", "gnome-settings-daemon", "gjs",
    # KDE Plasma's compositor, power management, shortcuts and screen locker; PowerDevil needs
    # UPower on the system bus and Qt's Wayland platform.
    "kwin-wayland", "powerdevil", "libkf5globalaccel-bin", "libkscreenlocker5", "upower",
    "qtwayland5",
    # X11 with xscreensaver, and sway with its idle manager and locker.
    "xvfb", "xscreensaver", "sway", "swayidle", "swaylock",
    # The buses and the login manager's stand-in.
    "dbus", "python3-dbusmock",
    # What the sanitized program links and loads.
    "libsystemd0", "libstdc++6", "libasan8", "libubsan1", "libx11-6", "libxext6", "libxss1",
]
USER = "tester"


def key(archive):
    recipe = {"suite": SUITE, "archive": archive, "packages": PACKAGES, "user": USER,
              "builder": hashlib.sha256(pathlib.Path(__file__).read_bytes()).hexdigest()}
    return hashlib.sha256(json.dumps(recipe, sort_keys=True).encode()).hexdigest()


def skip_without_tools():
    machine.skip_without_tools(("debootstrap", "unshare", "chroot"))


@contextlib.contextmanager
def locked(cache, mode):
    """The cache's lock: exclusive to build the root, shared to use it."""
    cache.mkdir(parents=True, exist_ok=True)
    with open(cache / "lock", "w") as lock:
        fcntl.flock(lock, mode)
        yield


def in_namespace(script, *arguments, log):
    """Runs a shell script in a mount namespace of its own: whatever it (or debootstrap, which
    leaves the tree's /proc mounted) mounts is gone when it ends."""
    with open(log, "a") as output:
        result = subprocess.run(["unshare", "--mount", "--fork", "sh", "-euc", script, "sh",
                                 *arguments], stdout=output, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL)
    if result.returncode != 0:
        sys.exit(f"building the root failed ({result.returncode}); the last lines of {log}:\n"
                 + "\n".join(log.read_text(errors="replace").splitlines()[-15:]))


# apt inside the new tree, its downloads kept in the cache's package folder. No service of the
# tree may start while it is installed (policy-rc.d).
INSTALL = """root=$1 packages=$2; shift 2
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount --bind "$packages" "$root/var/cache/apt/archives"
cp /etc/resolv.conf "$root/etc/resolv.conf"
chroot "$root" apt-get update -qq
DEBIAN_FRONTEND=noninteractive chroot "$root" apt-get install -y -qq --no-install-recommends "$@"
"""


def build(cache):
    """Makes cache/root unless it is there for this key; returns it."""
    archive = mirror()
    wanted = key(archive)
    root, key_file = cache / "root", cache / "root.key"
    if root.is_dir() and key_file.exists() and key_file.read_text().strip() == wanted:
        return root, None
    started = time.monotonic()
    packages = cache / "packages"
    (packages / "partial").mkdir(parents=True, exist_ok=True)
    new = cache / "root.new"
    shutil.rmtree(new, ignore_errors=True)
    new.mkdir()
    log = cache / "build.log"
    log.write_text("")
    in_namespace('debootstrap --variant=minbase --cache-dir="$1" "$2" "$3" "$4"',
                 str(packages), SUITE, str(new), archive, log=log)
    bootstrapped = time.monotonic()
    policy = new / "usr/sbin/policy-rc.d"
    policy.write_text("#!/bin/sh\nexit 101\n")
    policy.chmod(0o755)
    in_namespace(INSTALL, str(new), str(packages), *PACKAGES, log=log)
    subprocess.run(["chroot", str(new), "useradd", "--create-home", "--shell", "/bin/bash",
                    USER], check=True)
    # kwin_wayland carries the file capability cap_sys_resource, which is outside the bounding
    # set of the namespace the desktops run in: exec would fail with EPERM.
    os.removexattr(new / "usr/bin/kwin_wayland", "security.capability")
    key_file.unlink(missing_ok=True)
    if root.exists():
        old = cache / "root.old"
        shutil.rmtree(old, ignore_errors=True)
        root.rename(old)
        shutil.rmtree(old)
    new.rename(root)
    key_file.write_text(wanted + "\n")
    return root, (bootstrapped - started, time.monotonic() - bootstrapped)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    skip_without_tools()
    cache = pathlib.Path(sys.argv[1]).resolve()
    started = time.monotonic()
    with locked(cache, fcntl.LOCK_EX):
        root, times = build(cache)
    if times:
        print(f"root {root} built in {time.monotonic() - started:.0f} s: debootstrap "
              f"{times[0]:.0f} s, apt {times[1]:.0f} s")
    else:
        print(f"root {root} reused in {time.monotonic() - started:.1f} s")


if __name__ == "__main__":
    main()
