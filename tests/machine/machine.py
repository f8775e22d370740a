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
MEMORY = "1024"
GUEST_SCRIPT = pathlib.Path(__file__).with_name("guest.sh")
SKIPPED = 77  # CTest's SKIP_RETURN_CODE for these tests


def skip_without_tools():
    """Ends the process as skipped where the machine cannot be built or booted here."""
    missing = [tool for tool in ("qemu-system-x86_64", "debootstrap", "mke2fs", "mkswap")
               if shutil.which(tool) is None]
    if missing:
        print(f"SKIPPED: {', '.join(missing)} not installed (scripts/setup.sh installs them)")
        sys.exit(SKIPPED)
    if os.geteuid() != 0:
        print("SKIPPED: debootstrap and the image need root")
        sys.exit(SKIPPED)


def accelerators():
    """KVM where /dev/kvm opens, with TCG as qemu's fallback when KVM cannot start."""
    try:
        os.close(os.open("/dev/kvm", os.O_RDWR))
        return ["-accel", "kvm", "-accel", "tcg"]
    except OSError:
        return ["-accel", "tcg"]


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


def _parse_results(boot, text):
    boot.results.clear()
    boot.bus.clear()
    boot.info.clear()
    for line in text.splitlines():
        kind, _, rest = line.partition(" ")
        if kind == "VMCASE":
            name, code, stderr = rest.split(" ", 2)
            boot.results[name] = CaseResult(
                int(code.removeprefix("exit=")),
                base64.b64decode(stderr.removeprefix("stderr=")).decode(errors="replace"))
        elif kind == "VMBUS":
            name, _, message = rest.partition(" ")
            try:
                boot.bus.setdefault(name, []).append(json.loads(message))
            except json.JSONDecodeError:
                boot.info.append(f"unreadable bus message: {message}")
        elif kind == "VMINFO":
            boot.info.append(rest)
        elif kind == "VMDONE":
            boot.done = True


def run(name, image, program, plan, folder, quit_when_done, swap=False):
    """Boots once and runs the plan, lines of "name context setup word". The boot ends when
    qemu exits (power-off, reboot), when the plan is done and quit_when_done, or at the limit."""
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    for stale in folder.iterdir():
        stale.unlink()
    (folder / "plan").write_text("".join(" ".join(line) + "\n" for line in plan))
    _hand_in(folder / "hand-in.tar",
             {"guest.sh": GUEST_SCRIPT, "velmoran": program, "plan": folder / "plan"})
    console, results, qmp_path = folder / "console.log", folder / "results.log", folder / "qmp"
    append = "root=/dev/vda rw console=ttyS0 " + os.environ.get("VM_APPEND", "quiet")
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
        "qemu-system-x86_64", "-machine", "q35", *accelerators(), "-m", MEMORY, "-smp", "1",
        "-display", "none", "-no-reboot", "-no-user-config", "-nodefaults", "-vga", "std",
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
        while qemu.poll() is None:
            if time.monotonic() - started > BOOT_LIMIT:
                boot.timed_out = True
                break
            try:
                event = qmp.read(timeout=0.2)
            except EOFError:
                event = None
                qemu.wait(timeout=10)
            if event is not None and "event" in event:
                boot.events.append(event["event"])
                if event["event"] == "SUSPEND":
                    # The sleeping machine shows it in its run state before it is woken.
                    boot.events.append(qmp.command("query-status")["return"]["status"])
                    answer = qmp.command("system_wakeup")
                    boot.events.append(answer.get("error", {}).get("desc", "woken"))
            if results.exists():
                _parse_results(boot, results.read_text(errors="replace"))
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
        _parse_results(boot, results.read_text(errors="replace"))
    boot.console = console.read_text(errors="replace") if console.exists() else ""
    if swap:
        # The kernel replaces the swap signature with its own when it writes a hibernation image.
        with open(folder / "swap.raw", "rb") as device:
            device.seek(4086)
            boot.swap_signature = device.read(10)
        (folder / "swap.raw").unlink()
    return boot
