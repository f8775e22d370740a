"""One boot of the test machine under qemu: the image as a snapshot (nothing written to it
survives), the Debian kernel and initrd given directly, the program, the guest script and the
plan handed in as a tar archive on a second disk, the console on one serial port and the
cases' results on a second, and a QMP socket that watches the run state and wakes a suspended
machine."""
import base64
import dataclasses
import json
import os
import pathlib
import shutil
import socket
import subprocess
import sys
import tarfile
import time

BOOT_LIMIT = 150.0  # seconds from qemu's start to the machine's end, whatever the case
# Seconds a boot may go without new output on either serial port or a QMP event: a stuck boot
# ends then, not at the limit, and says what it showed last. Each boot notes its longest quiet
# stretch (Boot.longest_silence).
SILENCE_LIMIT = 45.0
KVM_PROOF = 10.0  # seconds a guest under KVM is given to print its first line
MEMORY = "1024"
GUEST_SCRIPT = pathlib.Path(__file__).with_name("guest.sh")
SKIPPED = 77  # CTest's SKIP_RETURN_CODE for these tests


def skip_without_tools(tools=("qemu-system-x86_64", "debootstrap", "mke2fs", "mkswap")):
    """Ends the process as skipped where the tools are missing or the user is not root: the
    machine's image and the desktops' root are both built with debootstrap."""
    missing = [tool for tool in tools if shutil.which(tool) is None]
    if missing:
        print(f"SKIPPED: {', '.join(missing)} not installed (scripts/setup.sh installs them)")
        sys.exit(SKIPPED)
    if os.geteuid() != 0:
        print(f"SKIPPED: {', '.join(tools)} need root")
        sys.exit(SKIPPED)


@dataclasses.dataclass
class Accelerator:
    """The accelerator every boot of a run uses, and why it was chosen."""
    name: str  # "kvm" or "tcg"
    reason: str


def choose_accelerator(kernel, folder, device="/dev/kvm", qemu="qemu-system-x86_64",
                       proof=KVM_PROOF):
    """KVM only where a guest shows that it runs: on some machines /dev/kvm opens, yet a guest
    under KVM never prints a line (qemu: "host doesn't support requested feature"). The kernel
    alone is booted under KVM and must print its first line within proof seconds; else TCG,
    which works everywhere. VELMORAN_MACHINE_ACCEL=kvm|tcg forces either."""
    forced = os.environ.get("VELMORAN_MACHINE_ACCEL", "")
    if forced:
        if forced not in ("kvm", "tcg"):
            sys.exit(f"VELMORAN_MACHINE_ACCEL is {forced!r}: kvm or tcg")
        return Accelerator(forced, "forced by VELMORAN_MACHINE_ACCEL")
    try:
        os.close(os.open(device, os.O_RDWR))
    except OSError as error:
        return Accelerator("tcg", f"{device} does not open ({error.strerror})")
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    console, qemu_log = folder / "kvm-proof.console", folder / "kvm-proof.qemu.log"
    console.unlink(missing_ok=True)
    # Without "quiet", the kernel's first line is its version; with no root it would panic
    # later, and panic=-1 with -no-reboot ends qemu then.
    command = [qemu, "-machine", "q35", "-accel", "kvm", "-m", MEMORY, "-smp", "1",
               "-display", "none", "-no-reboot", "-no-user-config", "-nodefaults",
               "-kernel", str(kernel), "-append", "console=ttyS0 panic=-1",
               "-serial", f"file:{console}"]
    started = time.monotonic()
    with open(qemu_log, "wb") as log:
        guest = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=log, stderr=log)
    try:
        while time.monotonic() - started < proof and guest.poll() is None:
            if console.exists() and console.stat().st_size > 0:
                break
            time.sleep(0.05)
        shown = console.exists() and console.stat().st_size > 0
    finally:
        guest.kill()
        guest.wait()
    seconds = time.monotonic() - started
    if shown:
        return Accelerator("kvm", f"a KVM guest printed its first line after {seconds:.1f} s")
    said = " ".join(qemu_log.read_text(errors="replace").split())[:300] or "nothing"
    ended = "qemu ended" if seconds < proof else f"none within {proof:.0f} s"
    return Accelerator("tcg", f"{device} opens, but a KVM guest printed no line ({ended}; "
                              f"qemu said: {said})")


@dataclasses.dataclass
class CaseResult:
    exit_code: int
    stderr: str


@dataclasses.dataclass
class Boot:
    """What one boot left: the console, the results by case, the bus messages by case, the
    QMP events, how qemu ended and how long it ran."""
    name: str
    console: str = ""
    results: dict = dataclasses.field(default_factory=dict)
    bus: dict = dataclasses.field(default_factory=dict)
    info: list = dataclasses.field(default_factory=list)
    events: list = dataclasses.field(default_factory=list)
    done: bool = False
    exited_by_itself: bool = False
    timed_out: bool = False
    silent: bool = False
    longest_silence: float = 0.0
    seconds: float = 0.0
    accelerator: str = ""
    swap_signature: bytes = b""

    def console_tail(self, lines=25):
        return "\n".join(self.console.splitlines()[-lines:])


class Qmp:
    def __init__(self, path):
        self.socket = socket.socket(socket.AF_UNIX)
        try:
            self.socket.connect(str(path))
        except OSError:
            self.socket.close()
            raise
        self.buffer = b""
        # Events that came while a command waited for its answer, for the next read.
        self.events = []
        self._receive()  # the greeting
        self.command("qmp_capabilities")

    def read(self, timeout=None):
        """One message, or None when none came within timeout seconds."""
        if self.events:
            return self.events.pop(0)
        return self._receive(timeout)

    def _receive(self, timeout=None):
        self.socket.settimeout(timeout)
        while b"\n" not in self.buffer:
            try:
                chunk = self.socket.recv(65536)
            except (socket.timeout, BlockingIOError):
                return None
            if not chunk:
                raise EOFError("qemu closed its QMP socket")
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return json.loads(line)

    def command(self, name, **arguments):
        message = {"execute": name}
        if arguments:
            message["arguments"] = arguments
        self.socket.sendall(json.dumps(message).encode() + b"\n")
        while True:
            answer = self._receive()
            if "event" in answer:
                self.events.append(answer)
            elif "return" in answer or "error" in answer:
                return answer

    def close(self):
        self.socket.close()


def _hand_in(archive, files):
    """A tar archive of the files (name: path), root's and executable, padded to whole sectors."""
    with tarfile.open(archive, "w", format=tarfile.GNU_FORMAT) as tar:
        for name, path in files.items():
            info = tar.gettarinfo(path, arcname=name)
            info.uid = info.gid = 0
            info.uname = info.gname = "root"
            info.mode = 0o755
            with open(path, "rb") as content:
                tar.addfile(info, content)
    with open(archive, "ab") as padded:
        padded.truncate(-(-os.path.getsize(archive) // 512) * 512)


def _parse_results(boot, text, finished):
    """Reads the results port's lines. While qemu runs, its last line may still be on its way:
    only lines that have their end are read then. A line a machine cut short by powering off
    is noted, never taken for a result."""
    boot.results.clear()
    boot.bus.clear()
    boot.info.clear()
    lines = text.split("\n")
    if not finished:
        lines.pop()
    for line in lines:
        kind, _, rest = line.partition(" ")
        try:
            if kind == "VMCASE":
                name, code, stderr = rest.split(" ", 2)
                boot.results[name] = CaseResult(
                    int(code.removeprefix("exit=")),
                    base64.b64decode(stderr.removeprefix("stderr="), validate=True).decode(
                        errors="replace"))
            elif kind == "VMBUS":
                name, _, message = rest.partition(" ")
                boot.bus.setdefault(name, []).append(json.loads(message))
            elif kind == "VMINFO":
                boot.info.append(rest)
            elif kind == "VMDONE":
                boot.done = True
        except ValueError:  # a cut base64 or JSON text
            boot.info.append(f"unreadable line: {line}")


def run(name, image, program, plan, folder, quit_when_done, accelerator, swap=False):
    """Boots once and runs the plan, lines of "name context setup word". The boot ends when
    qemu exits (power-off, reboot), when the plan is done and quit_when_done, after
    SILENCE_LIMIT seconds without output, or at BOOT_LIMIT."""
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    for stale in folder.iterdir():
        stale.unlink()
    (folder / "plan").write_text("".join(" ".join(line) + "\n" for line in plan))
    _hand_in(folder / "hand-in.tar",
             {"guest.sh": GUEST_SCRIPT, "velmoran": program, "plan": folder / "plan"})
    console, results, qmp_path = folder / "console.log", folder / "results.log", folder / "qmp"
    # The kernel stays quiet, but systemd shows each unit it starts and stops: a boot that
    # goes silent has stopped at the last of them.
    append = "root=/dev/vda rw console=ttyS0 " + os.environ.get(
        "VM_APPEND", "quiet systemd.show_status=1")
    drives = ["-drive", f"file={image / 'image.raw'},if=virtio,format=raw,snapshot=on",
              "-drive", f"file={folder / 'hand-in.tar'},if=virtio,format=raw,readonly=on"]
    if swap:
        swap_file = folder / "swap.raw"
        with open(swap_file, "wb") as sparse:
            sparse.truncate(1 << 30)
        subprocess.run(["mkswap", "-q", str(swap_file)], check=True)
        drives += ["-drive", f"file={swap_file},if=virtio,format=raw"]
        append += " resume=/dev/vdc"
    command = [
        "qemu-system-x86_64", "-machine", "q35", "-accel", accelerator.name, "-m", MEMORY,
        "-smp", "1", "-display", "none", "-no-reboot", "-no-user-config", "-nodefaults",
        "-vga", "std",
        "-global", "ICH9-LPC.disable_s3=0",
        "-kernel", str(image / "vmlinuz"), "-initrd", str(image / "initrd.img"),
        "-append", append, *drives,
        "-serial", f"file:{console}", "-serial", f"file:{results}",
        "-qmp", f"unix:{qmp_path},server=on,wait=off",
    ]
    boot = Boot(name)
    started = time.monotonic()
    with open(folder / "qemu.log", "wb") as qemu_log:
        qemu = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=qemu_log)
    qmp = None
    try:
        while qmp is None and qemu.poll() is None:
            try:
                qmp = Qmp(qmp_path)
            except (FileNotFoundError, ConnectionRefusedError):
                time.sleep(0.05)
        if qmp is not None:
            kvm = qmp.command("query-kvm").get("return", {})
            boot.accelerator = "kvm" if kvm.get("enabled") else "tcg"
        output, heard = (), time.monotonic()
        while qemu.poll() is None:
            now = time.monotonic()
            sizes = tuple(path.stat().st_size if path.exists() else 0
                          for path in (console, results))
            if sizes != output:
                output, heard = sizes, now
            boot.longest_silence = max(boot.longest_silence, now - heard)
            if now - started > BOOT_LIMIT:
                boot.timed_out = True
                break
            if now - heard > SILENCE_LIMIT:
                boot.silent = True
                break
            try:
                event = qmp.read(timeout=0.2)
            except EOFError:
                event = None
                qemu.wait(timeout=10)
            if event is not None and "event" in event:
                heard = time.monotonic()
                boot.events.append(event["event"])
                if event["event"] == "SUSPEND":
                    # The sleeping machine shows it in its run state before it is woken.
                    boot.events.append(qmp.command("query-status")["return"]["status"])
                    answer = qmp.command("system_wakeup")
                    boot.events.append(answer.get("error", {}).get("desc", "woken"))
            if results.exists():
                _parse_results(boot, results.read_text(errors="replace"), finished=False)
            if boot.done and quit_when_done:
                qmp.command("quit")
                qemu.wait(timeout=10)
                break
        else:
            boot.exited_by_itself = True
    finally:
        if qemu.poll() is None:
            qemu.kill()
        qemu.wait()
        if qmp is not None:
            qmp.close()
    boot.seconds = time.monotonic() - started
    if results.exists():
        _parse_results(boot, results.read_text(errors="replace"), finished=True)
    boot.console = console.read_text(errors="replace") if console.exists() else ""
    if swap:
        # The kernel replaces the swap signature with its own when it writes a hibernation image.
        with open(folder / "swap.raw", "rb") as device:
            device.seek(4086)
            boot.swap_signature = device.read(10)
        (folder / "swap.raw").unlink()
    return boot
