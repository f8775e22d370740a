"""A desktop of our own for running the native velmoran: private dbus-daemons as system and
session bus, python3-dbusmock services on them, an optional Xvfb display, and a runner that
refuses to start the program unless both bus addresses lead to those daemons.

Every process started here dies with the harness (a parent-death signal) and is killed and
reaped by close(); none inherits the caller's output, so a CI pipe is never held open.
Run it with /usr/bin/python3, the interpreter that has the dbus and dbusmock modules."""
import ctypes
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import dbus

MOCK_INTERFACE = "org.freedesktop.DBus.Mock"
START_TIMEOUT = 10.0
RUN_TIMEOUT = 20.0
PYTHON = "/usr/bin/python3"

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>{kind}</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
"""


def _die_with_parent():
    libc = ctypes.CDLL(None, use_errno=True)
    pr_set_pdeathsig = 1
    libc.prctl(pr_set_pdeathsig, signal.SIGKILL)
    os.setsid()


def _start(command, env, stdout=subprocess.DEVNULL):
    return subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=stdout,
                            stderr=subprocess.STDOUT if stdout is not subprocess.PIPE
                            else subprocess.DEVNULL,
                            preexec_fn=_die_with_parent, close_fds=True)


def _stop(process):
    if process.poll() is None:
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    process.wait(timeout=START_TIMEOUT)
    if process.stdout is not None:
        process.stdout.close()


def _read_line(descriptor, what):
    """The first line a starting process writes to the descriptor, waited for a bounded time."""
    deadline = time.monotonic() + START_TIMEOUT
    line = b""
    while not line.endswith(b"\n"):
        remaining = deadline - time.monotonic()
        ready, _, _ = select.select([descriptor], [], [], max(remaining, 0))
        if not ready:
            raise RuntimeError(f"{what} did not start within {START_TIMEOUT} s")
        chunk = os.read(descriptor, 4096)
        if not chunk:
            raise RuntimeError(f"{what} ended before it started")
        line += chunk
    return line.decode().strip()


class Mock:
    """One dbusmock service: its D-Bus object, and the calls made to it."""

    def __init__(self, connection, name, path, process):
        self.connection = connection
        self.name = name
        self.path = path
        self.process = process

    def object(self, path=None):
        return self.connection.get_object(self.name, path or self.path)

    def control(self, path=None):
        return dbus.Interface(self.object(path), MOCK_INTERFACE)

    def add_method(self, interface, name, in_signature, out_signature="", code="", path=None):
        self.control(path).AddMethod(interface, name, in_signature, out_signature, code)

    def all_calls(self, path=None):
        """(method, arguments) of every call, in the order they came."""
        return [(str(method), [_plain(argument) for argument in arguments])
                for _, method, arguments in self.control(path).GetCalls()]

    def calls(self, method, path=None):
        """The argument lists of every call of the method, in order, as plain values."""
        return [[_plain(argument) for argument in arguments]
                for _, arguments in self.control(path).GetMethodCalls(method)]

    def property(self, interface, name):
        return _plain(self.object().Get(interface, name,
                                        dbus_interface="org.freedesktop.DBus.Properties"))


def _plain(value):
    if isinstance(value, dbus.Boolean):
        return bool(value)
    if isinstance(value, (dbus.String, dbus.ObjectPath)):
        return str(value)
    if isinstance(value, (dbus.Int16, dbus.Int32, dbus.Int64, dbus.UInt16, dbus.UInt32,
                          dbus.UInt64, dbus.Byte)):
        return int(value)
    return value


class Monitor:
    """busctl monitor on one of the buses: the method calls made while it watches, with their
    header flags, which the mocks themselves cannot see."""

    def __init__(self, desktop, bus):
        self.process = _start(["busctl", "--" + bus, "monitor", "--json=short"],
                              desktop._environment(), stdout=subprocess.PIPE)
        desktop.processes.append(self.process)
        self.desktop = desktop
        self.lines = []
        # A call of our own that the monitor must show: from then on it sees everything.
        deadline = time.monotonic() + START_TIMEOUT
        while not any('"member":"GetId"' in line for line in self.lines):
            if time.monotonic() > deadline:
                raise RuntimeError("busctl monitor did not start")
            desktop.connections[bus].get_object("org.freedesktop.DBus", "/org/freedesktop/DBus") \
                .GetId(dbus_interface="org.freedesktop.DBus")
            self._read(0.2)

    def _read(self, seconds):
        buffer = b""
        while select.select([self.process.stdout], [], [], seconds)[0]:
            chunk = os.read(self.process.stdout.fileno(), 65536)
            if not chunk:
                break
            buffer += chunk
            seconds = 0.05
        self.lines += buffer.decode(errors="replace").splitlines()

    def method_calls(self, member):
        """The header flags and arguments of each call of the member seen so far."""
        self._read(0.2)
        calls = []
        for line in self.lines:
            if '"type":"method_call"' in line and f'"member":"{member}"' in line:
                message = json.loads(line)
                calls.append((message["flags"], message.get("payload", {}).get("data")))
        return calls


class Run:
    def __init__(self, code, stdout, stderr, seconds):
        self.code = code
        self.stdout = stdout
        self.stderr = stderr
        self.seconds = seconds


class Desktop:
    """Private buses and what runs on them, for one test; close() removes everything."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="velmoran-desktop.")
        self.processes = []
        self.connections = {}
        self.addresses = {}
        self.display = None
        try:
            for kind in ("system", "session"):
                self.addresses[kind] = self._start_bus(kind)
        except BaseException:
            self.close()
            raise

    def _start_bus(self, kind):
        socket = os.path.join(self.folder, kind + "_bus_socket")
        config = os.path.join(self.folder, kind + ".conf")
        with open(config, "w") as file:
            file.write(BUS_CONFIG.format(kind=kind, socket=socket))
        daemon = _start(["dbus-daemon", "--config-file=" + config, "--nofork",
                         "--print-address=1"], self._environment(), stdout=subprocess.PIPE)
        self.processes.append(daemon)
        address = _read_line(daemon.stdout.fileno(), kind + " bus")
        self.connections[kind] = dbus.bus.BusConnection(address)
        return address

    def _environment(self, extra=None):
        env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": self.folder,
               "LANG": "C.UTF-8", "DBUS_SYSTEM_BUS_ADDRESS": self.absent_address("system"),
               "DBUS_SESSION_BUS_ADDRESS": self.absent_address("session")}
        env.update({"DBUS_%s_BUS_ADDRESS" % kind.upper(): address
                    for kind, address in self.addresses.items()})
        env.update(extra or {})
        return env

    def absent_address(self, kind):
        """An address of this harness where no bus listens: a run without that bus."""
        return "unix:path=" + os.path.join(self.folder, "absent_" + kind + "_bus")

    def is_own_address(self, address):
        return address in self.addresses.values() or address in (
            self.absent_address("system"), self.absent_address("session"))

    def start_mock(self, bus, name=None, path=None, interface=None, template=None,
                   parameters=None):
        """Starts python3-dbusmock on the bus ("system" or "session") and waits for its name."""
        command = [PYTHON, "-m", "dbusmock", "--" + bus]
        if template:
            command += ["--template", template]
        if parameters:
            command += ["--parameters", json.dumps(parameters)]
        if name:
            command += [name, path, interface]
        log = open(os.path.join(self.folder, "mock-%d.log" % len(self.processes)), "w")
        process = _start(command, self._environment(), stdout=log)
        self.processes.append(process)
        log.close()
        connection = self.connections[bus]
        wanted = name or {"logind": "org.freedesktop.login1",
                          "gnome_screensaver": "org.gnome.ScreenSaver"}[template]
        deadline = time.monotonic() + START_TIMEOUT
        while not connection.name_has_owner(wanted):
            if time.monotonic() > deadline:
                raise RuntimeError(f"{wanted} did not appear on the {bus} bus")
            time.sleep(0.02)
        return Mock(connection, wanted, path or {
            "org.freedesktop.login1": "/org/freedesktop/login1",
            "org.gnome.ScreenSaver": "/org/gnome/ScreenSaver"}[wanted], process)

    def stop_mock(self, mock):
        """Ends the service and waits until its name has left the bus."""
        _stop(mock.process)
        self.processes.remove(mock.process)
        deadline = time.monotonic() + START_TIMEOUT
        while mock.connection.name_has_owner(mock.name) and time.monotonic() < deadline:
            time.sleep(0.02)

    def monitor(self, bus):
        return Monitor(self, bus)

    def start_display(self):
        """An Xvfb display that keeps its state when its last client leaves."""
        read_end, write_end = os.pipe()
        server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten",
                                   "tcp", "-screen", "0", "640x480x24"],
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, pass_fds=(write_end,),
                                  preexec_fn=_die_with_parent)
        os.close(write_end)
        self.processes.append(server)
        try:
            self.display = ":" + _read_line(read_end, "Xvfb")
        finally:
            os.close(read_end)
        return self.display

    def run(self, program, arguments=(), argv0=None, env=None, without=(), timeout=RUN_TIMEOUT):
        """Runs the program against this desktop only; refuses any bus address of another."""
        environment = self._environment(env)
        if self.display and "DISPLAY" not in environment:
            environment["DISPLAY"] = self.display
        for name in without:
            environment.pop(name, None)
        for kind in ("SYSTEM", "SESSION"):
            address = environment.get("DBUS_%s_BUS_ADDRESS" % kind)
            if address is None or not self.is_own_address(address):
                raise RuntimeError("refusing to run %s: the %s bus would be %r, not this "
                                   "harness's own" % (program, kind.lower(), address))
        started = time.monotonic()
        completed = subprocess.run([argv0 or program, *arguments], executable=program,
                                   env=environment, stdin=subprocess.DEVNULL,
                                   capture_output=True, timeout=timeout,
                                   preexec_fn=_die_with_parent, cwd=self.folder)
        return Run(completed.returncode, completed.stdout.decode(errors="replace"),
                   completed.stderr.decode(errors="replace"), time.monotonic() - started)

    def close(self):
        for connection in self.connections.values():
            connection.close()
        self.connections = {}
        for process in reversed(self.processes):
            _stop(process)
        self.processes = []
        shutil.rmtree(self.folder, ignore_errors=True)


def main(command):
    """Runs one command on private buses with no services on them, passing its output and exit
    code through: a run of velmoran by hand that can reach nothing of this machine's."""
    desktop = Desktop()
    try:
        run = desktop.run(command[0], command[1:], argv0=command[0])
    finally:
        desktop.close()
    sys.stdout.write(run.stdout)
    sys.stderr.write(run.stderr)
    return run.code


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: desktop_bus.py COMMAND [ARGUMENT...]")
    sys.exit(main(sys.argv[1:]))
