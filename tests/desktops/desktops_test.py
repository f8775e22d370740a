#!/usr/bin/python3
"""The native velmoran against real desktops: GNOME Shell, KDE's KWin, xscreensaver on Xvfb and
sway, each headless in the Debian root desktop_root.py builds. Only the login manager and the
display manager are stand-ins (python3-dbusmock); each case runs one word and then reads what
the desktop itself reports: Mutter's power-save mode, the shell's or locker's own state, the
session's LockedHint, sway's outputs.

    desktops_test.py PROGRAM ROOT [-k TEXT]     every case, or those whose name has TEXT

Each case gets a namespace of its own (mount, PID, network): the root's /proc, /sys, /dev,
/run, /tmp and /home are mounted there, and when the case ends every process of it ends and
every mount is gone. Inside, the same file runs as PID 1 with --inside CASE."""
import dataclasses
import fcntl
import json
import os
import pathlib
import signal
import subprocess
import sys
import time
import traceback

HERE = pathlib.Path(__file__).resolve().parent
CASE_LIMIT = 120.0  # seconds one case may take in all, its desktop's start included
RUN_LIMIT = 15.0  # seconds the program may take; it waits up to about 4 s for a locker
START_LIMIT = 30.0  # seconds a desktop may take to start
SETTLE = 3.0  # seconds the desktop is given to show the outcome
HOLD = 0.5  # seconds the outcome must then last

GNOME, KDE, X11, SWAY = "GNOME", "KDE", "X11 + xscreensaver", "sway"
# A case whose desktop did not come up before the program ran is run once more: GNOME's session
# now and then never reports itself running (about 1 start in 10 here), which says nothing of
# the program.
NOT_STARTED = 3
STARTS = 2


class DesktopDidNotStart(Exception):
    pass


@dataclasses.dataclass
class Case:
    name: str
    desktop: str
    word: str
    code: int
    shows: dict  # what the desktop reports afterwards: fact -> value
    stderr: str = ""  # on exit 2, the one stderr line contains this
    display_manager: bool = True  # without it GNOME Shell builds no lock screen
    # GNOME's bus-activated org.gnome.ScreenSaver proxy, which the settings daemon starts at
    # login and again whenever it ends. False: it cannot be activated while the session starts
    # and can be from just before the word runs, so nothing has started it.
    screen_saver_proxy: bool = True


CASES = [
    Case("gnome display off", GNOME, "DisplayOff", 0, {"PowerSaveMode": 3}),
    Case("gnome screen saver before its proxy started", GNOME, "ScreenSaver", 0,
         {"shield active": True}, screen_saver_proxy=False),
    Case("gnome lock", GNOME, "LockScreen", 0, {"LockedHint": True, "shield active": True}),
    Case("gnome log off", GNOME, "Logoff", 0, {"session running": False}),
    Case("gnome lock without a lock screen", GNOME, "LockScreen", 2,
         {"LockedHint": False}, stderr="no locker confirmed", display_manager=False),
    Case("kde display off (virtual outputs have no DPMS: PowerDevil's shortcut ran)", KDE,
         "DisplayOff", 0, {"Turn Off Screen ran": True}),
    Case("kde screen saver", KDE, "ScreenSaver", 0, {"locker active": True}),
    Case("kde lock", KDE, "LockScreen", 0, {"LockedHint": True, "locker active": True}),
    # Its preferences lock whenever it blanks, so the saver it starts comes up locked; the X
    # server's own blanking would leave it "non-blanked".
    Case("xscreensaver screen saver", X11, "ScreenSaver", 0, {"xscreensaver": "locked"}),
    Case("xscreensaver lock", X11, "LockScreen", 0, {"xscreensaver": "locked"}),
    Case("sway display off (the headless backend cannot disable an output)", SWAY,
         "DisplayOff", 2, {"output on": True}, stderr="HEADLESS-1"),
    Case("sway lock (swaylock sets no LockedHint)", SWAY, "LockScreen", 2,
         {"swaylock running": True}, stderr="no locker confirmed"),
    Case("sway screen saver", SWAY, "ScreenSaver", 2,
         {"swaylock running": False, "LockedHint": False}),
]

# Inside the root: where the program, this file and the logs are, and the desktops' user.
INSIDE = pathlib.Path("/run/velmoran")
PROGRAM = INSIDE / "velmoran"
USER, UID = "tester", 1000
HOME = pathlib.Path("/home") / USER
RUNTIME = pathlib.Path(f"/run/user/{UID}")
SYSTEM_BUS = "unix:path=/run/dbus/system_bus_socket"
SESSION_BUS = f"unix:path={RUNTIME}/bus"
SESSION_ID = "c1"
SESSION_PATH = f"/org/freedesktop/login1/session/{SESSION_ID}"
LOGIND = "org.freedesktop.login1"

# Entering: the root read-only, so that no case changes what the next one finds (the cache's
# key stays true to the tree), with its own /proc (of the new PID namespace), the machine's
# /sys and /dev with a pts instance and a /dev/shm of the case's own, and empty /run, /tmp and
# /home.
ENTER = """root=$1 program=$2 harness=$3 case=$4
mount --bind "$root" "$root"
mount -o remount,bind,ro "$root"
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --rbind /dev "$root/dev"
mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
mount --bind "$root/dev/pts/ptmx" "$root/dev/ptmx"
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
mount -t tmpfs -o mode=755 tmpfs "$root/run"
mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
mount -t tmpfs -o mode=755 tmpfs "$root/home"
mkdir "$root/run/velmoran"
cp "$program" "$root/run/velmoran/velmoran"
cp "$harness" "$root/run/velmoran/desktops_test.py"
exec chroot "$root" /usr/bin/python3 /run/velmoran/desktops_test.py --inside "$case"
"""


def die_with_parent():
    """unshare ends with this harness, and with it (--kill-child) the whole case."""
    import ctypes
    pr_set_pdeathsig = 1
    ctypes.CDLL(None, use_errno=True).prctl(pr_set_pdeathsig, signal.SIGKILL)


def outside(program, root, pattern):
    sys.path.insert(0, str(HERE))
    import desktop_root
    desktop_root.skip_without_tools()
    root = pathlib.Path(root).resolve()
    if not (root / "usr/bin/gnome-shell").exists():
        sys.exit(f"{root} is no desktop root: desktop_root.py builds it")
    cases = [case for case in CASES if pattern in case.name]
    if not cases:
        sys.exit(f"no case has {pattern!r} in its name")
    failed = []
    started = time.monotonic()
    with desktop_root.locked(root.parent, fcntl.LOCK_SH):
        for case in cases:
            case_started = time.monotonic()
            for start_number in range(1, STARTS + 1):
                try:
                    result = subprocess.run(
                        ["unshare", "--mount", "--pid", "--fork", "--net", "--kill-child",
                         "sh", "-euc", ENTER, "sh", str(root), str(program), __file__, case.name],
                        env={"PATH": "/usr/sbin:/usr/bin:/sbin:/bin", "LANG": "C.UTF-8"},
                        stdin=subprocess.DEVNULL, capture_output=True, timeout=CASE_LIMIT,
                        preexec_fn=die_with_parent)
                    output = (result.stdout + result.stderr).decode(errors="replace")
                    passed = result.returncode == 0
                    not_started = result.returncode == NOT_STARTED
                except subprocess.TimeoutExpired as expired:
                    output = ((expired.stdout or b"") + (expired.stderr or b"")).decode(
                        errors="replace") + f"\n(ended after {CASE_LIMIT:.0f} s)\n"
                    passed = not_started = False
                if not not_started or start_number == STARTS:
                    break
                print(output.rstrip())
                print(f"again: {case.name}, whose desktop did not start", flush=True)
            print(output.rstrip())
            print(f"{'ok' if passed else 'FAILED'}: {case.name} "
                  f"({time.monotonic() - case_started:.1f} s)\n", flush=True)
            if not passed:
                failed.append(case.name)
    print(f"{len(cases) - len(failed)} of {len(cases)} cases passed in "
          f"{time.monotonic() - started:.0f} s")
    for name in failed:
        print(f"  failed: {name}")
    return 1 if failed else 0


# ---- inside the root, as PID 1 of the case's namespace ----

def start(name, command, env, as_user=True):
    """A process of the case, its output in its own log."""
    log = open(INSIDE / f"{name}.log", "ab")
    user = {"user": UID, "group": UID, "extra_groups": []} if as_user else {}
    return subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                            cwd=HOME if as_user else "/", **user)


def wait_for(what, check, limit=START_LIMIT, step=0.05):
    deadline = time.monotonic() + limit
    while True:
        try:
            value = check()
            if value:
                return value
        except Exception:  # the desktop may still be starting: its services not there yet
            if time.monotonic() > deadline:
                raise
        if time.monotonic() > deadline:
            raise RuntimeError(f"{what} not within {limit:.0f} s")
        time.sleep(step)


def loopback_up():
    import fcntl as control
    import socket
    import struct
    siocgifflags, siocsifflags, iff_up = 0x8913, 0x8914, 0x1
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        request = struct.pack("16sH14x", b"lo", 0)
        flags = struct.unpack("16sH14x", control.ioctl(probe, siocgifflags, request))[1]
        control.ioctl(probe, siocsifflags, struct.pack("16sH14x", b"lo", flags | iff_up))


BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>{kind}</type>
  <listen>{address}</listen>
  <auth>EXTERNAL</auth>
  {services}
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
"""


class Inside:
    def __init__(self, case):
        import dbus
        import dbus.mainloop.glib
        self.dbus = dbus
        # Signals reach the harness's connections through GLib's main context (dispatch()).
        dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
        self.case = case
        self.base = {"PATH": "/usr/local/bin:/usr/bin:/bin", "LANG": "C.UTF-8",
                     "DBUS_SYSTEM_BUS_ADDRESS": SYSTEM_BUS}
        loopback_up()
        for folder in (HOME, RUNTIME):
            folder.mkdir(parents=True)
            os.chown(folder, UID, UID)
            folder.chmod(0o700)
        pathlib.Path("/run/dbus").mkdir()
        # GNOME Shell asks logind only where systemd's seat folder exists.
        pathlib.Path("/run/systemd/seats").mkdir(parents=True)
        x11 = pathlib.Path("/tmp/.X11-unix")
        x11.mkdir()
        x11.chmod(0o1777)
        # The session bus activates the root's services from links in a folder of the
        # case's own, so that one of them can be held back.
        self.services = INSIDE / "services"
        self.services.mkdir()
        for service in pathlib.Path("/usr/share/dbus-1/services").glob("*.service"):
            if case.screen_saver_proxy or service.name != "org.gnome.ScreenSaver.service":
                (self.services / service.name).symlink_to(service)
        self.user_env = dict(self.base, HOME=str(HOME), USER=USER, LOGNAME=USER,
                             XDG_RUNTIME_DIR=str(RUNTIME), DBUS_SESSION_BUS_ADDRESS=SESSION_BUS,
                             XDG_SESSION_ID=SESSION_ID, XDG_SEAT="seat0")
        for kind, address, services, env, as_user in (
                ("system", SYSTEM_BUS, "", self.base, False),
                ("session", SESSION_BUS, f"<servicedir>{self.services}</servicedir>",
                 self.user_env, True)):
            (INSIDE / f"{kind}.conf").write_text(
                BUS_CONFIG.format(kind=kind, address=address, services=services))
            start(f"{kind}-bus", ["dbus-daemon", "--nofork", f"--config-file={INSIDE}/{kind}.conf"],
                  env, as_user=as_user)
        self.system = wait_for("the system bus", lambda: dbus.bus.BusConnection(SYSTEM_BUS))
        self.session = wait_for("the session bus", lambda: dbus.bus.BusConnection(SESSION_BUS))
        self.program_env = dict(self.user_env)

    def mock(self, name, arguments, bus_name):
        start(name, ["/usr/bin/python3", "-m", "dbusmock", "--system", *arguments], self.base,
              as_user=False)
        wait_for(bus_name, lambda: self.system.name_has_owner(bus_name))

    def control(self, path):
        return self.dbus.Interface(self.system.get_object(LOGIND, path),
                                   "org.freedesktop.DBus.Mock")

    def login_manager(self, session_type, display=""):
        """dbusmock's logind with one active session of the user, completed with what the
        desktops ask of it: GetSession("auto") and the user's Display lead to it, and
        LockSession emits its Lock signal as logind does."""
        self.mock("logind", ["--template", "logind"], LOGIND)
        manager = self.control("/org/freedesktop/login1")
        manager.AddSession(SESSION_ID, "seat0", self.dbus.UInt32(UID), USER, True)
        self.set_property(SESSION_PATH, "Session", "Type", session_type)
        self.set_property(SESSION_PATH, "Session", "Display", display)
        user = f"/org/freedesktop/login1/user/{UID}"
        self.set_property(user, "User", "Display",
                          self.dbus.Struct((SESSION_ID, self.dbus.ObjectPath(SESSION_PATH))))
        properties = self.system.get_object(LOGIND, user).GetAll(
            "org.freedesktop.login1.User", dbus_interface="org.freedesktop.DBus.Properties")
        manager.AddObject("/org/freedesktop/login1/user/self", "org.freedesktop.login1.User",
                          properties, [])
        known = f"args[0] in ('auto', 'self', {SESSION_ID!r})"
        no_session = ("raise dbus.exceptions.DBusException('No such session', "
                      "name='org.freedesktop.login1.NoSuchSession')")
        manager.AddMethod("org.freedesktop.login1.Manager", "GetSession", "s", "o",
                          f"ret = {SESSION_PATH!r} if {known} else None\n"
                          f"if ret is None: {no_session}")
        manager.AddMethod("org.freedesktop.login1.Manager", "LockSession", "s", "",
                          f"if not {known}: {no_session}\n"
                          f"objects[{SESSION_PATH!r}].EmitSignal("
                          "'org.freedesktop.login1.Session', 'Lock', '', [])")

    def set_property(self, path, interface, name, value):
        self.system.get_object(LOGIND, path).Set(
            f"org.freedesktop.login1.{interface}", name, value,
            dbus_interface="org.freedesktop.DBus.Properties")

    def locked_hint(self):
        return bool(self.system.get_object(LOGIND, SESSION_PATH).Get(
            "org.freedesktop.login1.Session", "LockedHint",
            dbus_interface="org.freedesktop.DBus.Properties"))

    def session_call(self, name, path, interface, method, *arguments):
        return self.session.get_object(name, path, introspect=False).get_dbus_method(
            method, interface)(*arguments)

    def session_property(self, name, path, interface, property_name):
        return self.session_call(name, path, "org.freedesktop.DBus.Properties", "Get",
                                 interface, property_name)

    def owned(self, *names):
        return all(self.session.name_has_owner(name) for name in names)

    # ---- the desktops: each starts, and says how its facts are read ----

    def gnome(self):
        self.login_manager("wayland")
        if self.case.display_manager:
            self.mock("display-manager", ["org.gnome.DisplayManager",
                                          "/org/gnome/DisplayManager/Manager",
                                          "org.gnome.DisplayManager.Manager"],
                      "org.gnome.DisplayManager")
            self.dbus.Interface(self.system.get_object(
                "org.gnome.DisplayManager", "/org/gnome/DisplayManager/Manager"),
                "org.freedesktop.DBus.Mock").AddProperty(
                    "org.gnome.DisplayManager.Manager", "Version", "43.0")
        write(HOME / ".config/gnome-session/sessions/velmoran.session",
              "[GNOME Session]\nName=Velmoran\nRequiredComponents=org.gnome.Shell;\n")
        # The session starts the shell by its desktop file: this one, the user's, starts it
        # headless on a virtual monitor.
        write(HOME / ".local/share/applications/org.gnome.Shell.desktop",
              "[Desktop Entry]\nType=Application\nName=GNOME Shell\n"
              "Exec=gnome-shell --headless --wayland --no-x11 --virtual-monitor 1024x768\n"
              "X-GNOME-Autostart-Phase=DisplayServer\nX-GNOME-AutoRestart=false\n"
              "X-GNOME-Provides=panel;windowmanager;\n")
        environment = dict(self.user_env, XDG_SESSION_TYPE="wayland", XDG_CURRENT_DESKTOP="GNOME",
                           XDG_SESSION_DESKTOP="gnome", LIBGL_ALWAYS_SOFTWARE="1")
        self.desktop = start("gnome-session", ["/usr/libexec/gnome-session-binary", "--builtin",
                                               "--session=velmoran",
                                               "--disable-acceleration-check"],
                             environment)
        manager = ("org.gnome.SessionManager", "/org/gnome/SessionManager",
                   "org.gnome.SessionManager")
        wait_for("the GNOME session running",
                 lambda: self.session_call(*manager, "IsSessionRunning"))
        wait_for("GNOME Shell", lambda: self.owned("org.gnome.Shell",
                                                   "org.gnome.Mutter.DisplayConfig"))
        shield = ("org.gnome.Shell.ScreenShield", "/org/gnome/ScreenSaver", "org.gnome.ScreenSaver")
        if self.case.display_manager:
            wait_for("the shell's screen shield", lambda: self.owned(shield[0]))
        if not self.case.screen_saver_proxy:
            proxy = "org.gnome.ScreenSaver.service"
            (self.services / proxy).symlink_to(f"/usr/share/dbus-1/services/{proxy}")
            self.session_call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                              "org.freedesktop.DBus", "ReloadConfig")
            if self.owned("org.gnome.ScreenSaver"):
                raise RuntimeError("something started org.gnome.ScreenSaver")
        self.program_env.update(XDG_SESSION_TYPE="wayland", XDG_CURRENT_DESKTOP="GNOME",
                                WAYLAND_DISPLAY="wayland-0")
        return {
            "PowerSaveMode": lambda: int(self.session_property(
                "org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig",
                "org.gnome.Mutter.DisplayConfig", "PowerSaveMode")),
            "shield active": lambda: bool(self.session_call(*shield, "GetActive")),
            "LockedHint": self.locked_hint,
            "session running": lambda: self.desktop.poll() is None,
        }

    def kde(self):
        self.login_manager("wayland")
        start("upower", ["/usr/libexec/upowerd"], self.base, as_user=False)
        wait_for("UPower", lambda: self.system.name_has_owner("org.freedesktop.UPower"))
        environment = dict(self.user_env, XDG_SESSION_TYPE="wayland", XDG_CURRENT_DESKTOP="KDE",
                           KDE_SESSION_VERSION="5", KDE_FULL_SESSION="true",
                           LIBGL_ALWAYS_SOFTWARE="1", QT_QUICK_BACKEND="software")
        self.desktop = start("kwin", ["kwin_wayland", "--virtual", "--width", "1024", "--height",
                                      "768", "--socket", "wayland-0"], environment)
        wait_for("KWin", lambda: self.owned("org.kde.kglobalaccel", "org.freedesktop.ScreenSaver"))
        environment.update(WAYLAND_DISPLAY="wayland-0", QT_QPA_PLATFORM="wayland")
        start("powerdevil", ["/usr/lib/x86_64-linux-gnu/libexec/org_kde_powerdevil"], environment)
        component = ("org.kde.kglobalaccel", "/component/org_kde_powerdevil",
                     "org.kde.kglobalaccel.Component")
        wait_for("PowerDevil's shortcuts",
                 lambda: "Turn Off Screen" in self.session_call(*component, "shortcutNames"))
        # What kglobalaccel tells PowerDevil when a shortcut of its runs.
        pressed = []
        self.session.add_signal_receiver(
            lambda *arguments: pressed.append(str(arguments[1])),
            "globalShortcutPressed", component[2], component[0], component[1])

        def turned_off():
            self.dispatch()
            return "Turn Off Screen" in pressed
        self.program_env.update(XDG_SESSION_TYPE="wayland", XDG_CURRENT_DESKTOP="KDE",
                                KDE_SESSION_VERSION="5", KDE_FULL_SESSION="true",
                                WAYLAND_DISPLAY="wayland-0")
        return {
            "Turn Off Screen ran": turned_off,
            "locker active": lambda: bool(self.session_call(
                "org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver",
                "GetActive")),
            "LockedHint": self.locked_hint,
        }

    def dispatch(self):
        """Delivers the signals that came in since the last look."""
        from gi.repository import GLib
        context = GLib.MainContext.default()
        while context.iteration(False):
            pass

    def x11(self):
        self.login_manager("x11", ":0")
        write(HOME / ".xscreensaver", "lock: True\nmode: blank\nsplash: False\n"
              "timeout: 1:00:00\nlockTimeout: 0:00:00\n")
        environment = dict(self.user_env, XDG_SESSION_TYPE="x11", DISPLAY=":0")
        start("xvfb", ["Xvfb", ":0", "-noreset", "-nolisten", "tcp", "-screen", "0",
                       "1024x768x24"], environment)
        wait_for("Xvfb", lambda: pathlib.Path("/tmp/.X11-unix/X0").exists())
        start("xscreensaver", ["xscreensaver", "-no-splash"], environment)

        def state():
            return subprocess.run(["xscreensaver-command", "-time"], env=environment,
                                  capture_output=True, text=True, user=UID, group=UID,
                                  extra_groups=[], timeout=5).stdout
        wait_for("xscreensaver", lambda: "non-blanked" in state())
        wait_for("xscreensaver-systemd", lambda: self.owned("org.freedesktop.ScreenSaver"))
        self.program_env.update(XDG_SESSION_TYPE="x11", DISPLAY=":0")
        return {"xscreensaver": lambda: next(word for word in ("non-blanked", "blanked", "locked")
                                             if f" {word}" in state())}

    def sway(self):
        self.login_manager("wayland")
        write(HOME / ".config/sway/config", "xwayland disable\n")
        environment = dict(self.user_env, XDG_SESSION_TYPE="wayland", WLR_BACKENDS="headless",
                           WLR_HEADLESS_OUTPUTS="1", WLR_RENDERER="pixman",
                           WLR_LIBINPUT_NO_DEVICES="1")
        start("sway", ["sway", "--config", str(HOME / ".config/sway/config")], environment)
        socket = wait_for("sway's socket", lambda: next(RUNTIME.glob("sway-ipc.*.sock"), None))
        display = wait_for("sway's display", lambda: next(
            (path.name for path in RUNTIME.glob("wayland-*") if not path.name.endswith(".lock")),
            None))
        environment.update(WAYLAND_DISPLAY=display, SWAYSOCK=str(socket))

        def outputs():
            return json.loads(subprocess.run(
                ["swaymsg", "-r", "-t", "get_outputs"], env=environment, capture_output=True,
                user=UID, group=UID, extra_groups=[], timeout=5, check=True).stdout)
        wait_for("sway's output", outputs)
        calls = len(self.control("/org/freedesktop/login1").GetMethodCalls("GetSession"))
        start("swayidle", ["swayidle", "-w", "lock", "swaylock -f"], environment)
        # swayidle follows the Lock signal of the session it looked up.
        wait_for("swayidle", lambda: len(self.control("/org/freedesktop/login1").GetMethodCalls(
            "GetSession")) > calls)
        self.program_env.update(XDG_SESSION_TYPE="wayland", XDG_CURRENT_DESKTOP="sway",
                                WAYLAND_DISPLAY=display, SWAYSOCK=str(socket))
        return {
            "output on": lambda: bool(outputs()[0]["dpms"]),
            "swaylock running": lambda: "swaylock" in running(),
            "LockedHint": self.locked_hint,
        }

    # ---- the case ----

    def run_program(self):
        for kind, own in (("SYSTEM", SYSTEM_BUS), ("SESSION", SESSION_BUS)):
            address = self.program_env.get(f"DBUS_{kind}_BUS_ADDRESS")
            if address != own:
                raise RuntimeError(f"refusing to run the program: its {kind.lower()} bus would "
                                   f"be {address!r}, not this case's own {own!r}")
        return subprocess.run([str(PROGRAM), self.case.word], env=self.program_env,
                              stdin=subprocess.DEVNULL, capture_output=True, text=True,
                              timeout=RUN_LIMIT, cwd=HOME, user=UID, group=UID,
                              extra_groups=[])

    def run(self):
        started = time.monotonic()
        try:
            facts = {GNOME: self.gnome, KDE: self.kde, X11: self.x11, SWAY: self.sway}[
                self.case.desktop]()
        except Exception as error:
            raise DesktopDidNotStart(f"{self.case.desktop} did not start: {error}") from error
        print(f"{self.case.desktop} started in {time.monotonic() - started:.1f} s")

        def read():
            return {fact: facts[fact]() for fact in self.case.shows}
        print(f"before: {read()}")
        run_started = time.monotonic()
        run = self.run_program()
        print(f"{self.case.word}: exit {run.returncode} in {time.monotonic() - run_started:.1f} s,"
              f" stdout {run.stdout!r}, stderr {run.stderr!r}")
        deadline = time.monotonic() + SETTLE
        while read() != self.case.shows and time.monotonic() < deadline:
            time.sleep(0.1)
        time.sleep(HOLD)
        shown = read()
        print(f"after: {shown}")
        problems = []
        if run.returncode != self.case.code:
            problems.append(f"exit {run.returncode}, not {self.case.code}")
        if run.stdout:
            problems.append("stdout is not empty")
        lines = run.stderr.splitlines()
        if self.case.code == 0 and lines:
            problems.append("stderr is not empty")
        if self.case.code == 2 and (len(lines) != 1 or self.case.stderr not in lines[0]):
            problems.append(f"stderr is not one line containing {self.case.stderr!r}")
        if shown != self.case.shows:
            problems.append(f"the desktop shows {shown}, not {self.case.shows}")
        for problem in problems:
            print(f"  {problem}")
        return not problems


def running():
    """The names of the namespace's live processes. One that ended stays a zombie: this
    harness is the namespace's PID 1 and reaps only its own children."""
    names = set()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            name, state = pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)
        except OSError:  # it ended meanwhile
            continue
        if state.split()[0] != "Z":
            names.add(name.split("(", 1)[1])
    return names


def write(path, text):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(text)
    folder = path
    while folder != HOME:
        os.chown(folder, UID, UID)
        folder = folder.parent


def inside(name):
    case = next(case for case in CASES if case.name == name)
    code = 1
    try:
        passed = Inside(case).run()
    except DesktopDidNotStart:
        print(f"the desktop did not start: {traceback.format_exc()}")
        passed, code = False, NOT_STARTED
    except Exception:
        print(f"the case could not run: {traceback.format_exc()}")
        passed = False
    if not passed:
        for log in sorted(INSIDE.glob("*.log")):
            lines = log.read_text(errors="replace").splitlines()
            if lines:
                print(f"--- the last lines of {log.name}:")
                print("\n".join(lines[-12:]))
    sys.stdout.flush()
    return 0 if passed else code


def main(arguments):
    if arguments[:1] == ["--inside"] and len(arguments) == 2:
        return inside(arguments[1])
    pattern = ""
    if len(arguments) == 4 and arguments[2] == "-k":
        pattern = arguments[3]
    elif len(arguments) != 2:
        sys.exit(__doc__)
    return outside(os.path.abspath(arguments[0]), arguments[1], pattern)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
