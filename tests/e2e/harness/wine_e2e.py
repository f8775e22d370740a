"""End-to-end cases of Windows programs under Wine, written as rows of data.

    python3 wine_e2e.py --bin DIR [--bin DIR ...] [-k TEXT] [--loaded] CASES.py

CASES.py defines CASES, a list of Case rows. Each row copies one program into a fresh folder
of the prefix's C: drive (under the name and folder it asks for, with a read-me, planted DLLs
or other files beside it if it asks), starts it with its exact raw command line and the
environment it asks for through e2e_launch.exe, reads and closes its message boxes, and then
compares what was seen with the row: the calls the program made from its own image (Wine's
relay trace), the boxes, the files the shell opened (through velmoran_text_viewer.exe, the
prefix's .txt handler), which planted DLLs ran in the program's process, and the exit code.
--loaded prints every DLL each program loaded, the list to review planted_dlls.py against.

The cases run inside the Wine session of scripts/wine-session.sh (WINEPREFIX and DISPLAY set)
when it is of the architecture the programs are built for; started outside one, or in one of
the other architecture, this script opens its own. Each case sets its locale for its own
processes, so one session serves both code pages. Every wait is bounded: the launcher ends a
program that outlives its case's timeout, and a launcher that hangs is killed.
"""

from __future__ import annotations

import argparse
import contextlib
import dataclasses
import importlib.util
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path, PureWindowsPath
from typing import Optional, Sequence, Union

sys.path.insert(0, str(Path(__file__).resolve().parent))
import relay  # noqa: E402
from relay import quote  # noqa: E402,F401  (for case tables)

# The calls a Velmoran end-to-end case looks at: the boundary's entries that act or that help
# reads.
DEFAULT_WATCH = (
    "PostMessageA",
    "LockWorkStation",
    "ExitWindowsEx",
    "MessageBoxA",
    "MessageBoxW",
    "OpenProcessToken",
    "LookupPrivilegeValueA",
    "AdjustTokenPrivileges",
    "InitiateSystemShutdownExA",
    "SetSuspendState",
    "CallNtPowerInformation",
    "WTSQuerySessionInformationW",
    "ShellExecuteExA",
    "ShellExecuteExW",
    "GetFileAttributesA",
    "GetFileAttributesW",
)
# What the relay trace records: those, and two that a case may add to its watch list.
TRACED = DEFAULT_WATCH + ("CloseHandle", "LoadLibraryExW")
# The system DLLs that Velmoran loads itself, each on some path; Case.dlls says which a path
# may bring into its process.
PROGRAM_DLLS = ("user32", "advapi32", "powrprof", "wtsapi32", "shell32", "ole32", "msimg32")

# Wine derives each process's ANSI code page from its locale: 1252 and 932 from these two,
# which scripts/setup.sh generates.
LOCALES = ("en_US.UTF-8", "ja_JP.UTF-8")

README = "ReadMe_Velmoran.txt"
PLANT = "plant.dll"  # fixtures/plant.cpp, copied under each planted name
PLANT_LOG = "plants.log"  # what the plants write beside themselves
ROOT = PureWindowsPath("C:/e2e")  # short, so that paths in the trace are not cut off
VIEWER = ROOT / "tools" / "velmoran_text_viewer.exe"


@dataclasses.dataclass
class Box:
    caption: bytes
    text: bytes


@dataclasses.dataclass
class Case:
    """One run of one program and what it must do.

    line: the raw command line. A str is passed as UTF-16, as the shell starts a program; a
      bytes value is passed as ANSI bytes, as a program calling CreateProcessA passes it.
      {exe} stands for the Windows path of the program's copy and {dir} for its folder, in
      the line's encoding (in ANSI bytes as the program's own narrow calls see them).
    program: the built program to copy, found in the --bin folders.
    file_name / folder: the copy's file name (default: the program's) and its folder's name.
    locale: LANG and LC_ALL of the case's processes, which decide the ANSI code page.
    readme: None, "file" or "directory": ReadMe_Velmoran.txt beside the copy.
    readme_in_cwd: a ReadMe_Velmoran.txt in the current directory, which is the case's folder
      and not the program's.
    plants: DLL names without ".dll" (such as "version"): a copy of the plant beside the
      program under each, with native DLLs preferred over Wine's own for all of them, as
      Windows prefers a program's own folder for a DLL that it does not protect.
    system_dlls: a system DLL's name without ".dll" to a built DLL laid in the prefix's system
      folder in its place for this case only, with native DLLs preferred for that name.
      Wine's relay trace does not cover such a DLL: it writes the names of the functions
      called to a log instead, which system_dll_calls lists in order (None: unchecked).
    environment: variables set for the program (and so for what it starts), name to value.
    files: further files laid out, a path relative to the case's folder (the folder that
      holds the program's folder; "/"-separated, so "elsewhere/x.txt" lies in a sibling of
      the program's folder) to the file's text.
    calls: the calls of the watch list made from the program's image, in order (see
      relay.py for the form); None leaves them unchecked. Texts in it, and the expected
      paths and echo bytes, may hold {exe} and {dir} as well; expected paths also {case}, the
      case's folder.
    boxes: the message boxes shown, in order; opened: the files handed to the .txt viewer.
    shell: for each ShellExecuteEx call, the request's fields that must hold ("verb", "file",
      "parm", "dir": wide text or None; "mask", "show": numbers); None leaves them unchecked.
    plants_ran: the planted names whose DllMain must have run in the program's own process,
      in any order; loads by other processes (the viewer, the launcher) do not count.
    echo: for the echo_line fixture: "line", "module" (bytes) and "acp" (int) it must report.
    dlls: the names of PROGRAM_DLLS (without ".dll") that the program loads itself
      (LoadLibraryExW from its image), in any order; None leaves the loads unchecked.
    dlls_brought: those that Wine's DLLs may bring into the process besides; any other of
      PROGRAM_DLLS in the process when it ends fails the row.
    """

    name: str
    line: Union[str, bytes]
    exit_code: Optional[int]
    program: str = "Velmoran.exe"
    file_name: Optional[str] = None
    folder: str = "app"
    locale: str = "en_US.UTF-8"
    readme: Optional[str] = None
    readme_in_cwd: bool = False
    plants: Sequence[str] = ()
    system_dlls: dict = dataclasses.field(default_factory=dict)
    system_dll_calls: Optional[Sequence[str]] = None
    environment: dict = dataclasses.field(default_factory=dict)
    files: dict = dataclasses.field(default_factory=dict)
    calls: Optional[Sequence[str]] = None
    watch: Sequence[str] = DEFAULT_WATCH
    boxes: Sequence[Box] = ()
    opened: Sequence[str] = ()
    shell: Optional[Sequence[dict]] = None
    plants_ran: Sequence[str] = ()
    echo: Optional[dict] = None
    dlls: Optional[Sequence[str]] = None
    dlls_brought: Sequence[str] = ()
    timeout: float = 20.0


@dataclasses.dataclass
class Outcome:
    """What one run showed."""

    folder: Path  # the case's folder on the Linux side
    places: dict = dataclasses.field(default_factory=dict)  # {exe}, {dir}, {case}; wide, narrow
    exit_code: Optional[int] = None
    timed_out: bool = False
    error: Optional[str] = None
    calls: list = dataclasses.field(default_factory=list)  # every traced call from the image
    boxes: list = dataclasses.field(default_factory=list)
    opened: list = dataclasses.field(default_factory=list)
    plants_ran: list = dataclasses.field(default_factory=list)  # names, in the program
    plants_elsewhere: list = dataclasses.field(default_factory=list)  # (name, image) of others
    loads: list = dataclasses.field(default_factory=list)  # (path, kind): the DLLs it loaded
    echo: Optional[dict] = None
    system_dll_calls: list = dataclasses.field(default_factory=list)
    seconds: float = 0.0


def find_program(bins: Sequence[Path], name: str) -> Path:
    for folder in map(Path, bins):
        if (folder / name).is_file():
            return folder / name
    raise FileNotFoundError("%s is in none of %s" % (name, ", ".join(map(str, bins))))


class Session:
    """The prefix's side of the harness: tools, registry settings and a living desktop."""

    def __init__(self, bins: Sequence[Path]):
        self.bins = [Path(b) for b in bins]
        self.prefix = Path(os.environ["WINEPREFIX"])
        self.root = self.to_unix(ROOT)
        self.keeper: Optional[subprocess.Popen] = None

    def to_unix(self, path: PureWindowsPath) -> Path:
        assert path.drive.upper() == "C:"
        return self.prefix.joinpath("drive_c", *path.parts[1:])

    def to_windows(self, path: Path) -> PureWindowsPath:
        return PureWindowsPath("C:/", *path.relative_to(self.prefix / "drive_c").parts)

    def find(self, name: str) -> Path:
        return find_program(self.bins, name)

    def start(self) -> None:
        for locale in LOCALES:
            if not _locale_generated(locale):
                # Wine would silently fall back to code page 1252.
                raise RuntimeError("locale %s is not generated; run scripts/setup.sh" % locale)
        tools = self.to_unix(VIEWER.parent)
        tools.mkdir(parents=True, exist_ok=True)
        shutil.copy2(self.find(VIEWER.name), tools / VIEWER.name)
        registry = tools / "e2e.reg"
        registry.write_text(_registry_settings(), encoding="ascii", newline="\r\n")
        regedit = ["wine", "regedit", "/S", str(self.to_windows(registry))]
        _run_quietly(regedit, tools / "regedit.log", 60)

        ready = tools / ("desktop-ready-%d" % os.getpid())
        ready.unlink(missing_ok=True)
        # Its standard input is a pipe that only this process writes: when this process ends,
        # however it ends, the keeper reads the end of it and exits.
        with open(tools / ("desktop-%d.log" % os.getpid()), "wb") as log:
            self.keeper = subprocess.Popen(
                ["wine", str(self.find("e2e_desktop.exe")), _hex(self.to_windows(ready))],
                stdin=subprocess.PIPE,
                stdout=log,
                stderr=subprocess.STDOUT,
                start_new_session=True,
            )
        deadline = time.monotonic() + 60
        while not ready.exists():
            if time.monotonic() > deadline or self.keeper.poll() is not None:
                raise RuntimeError("Wine's desktop did not come up within 60 s")
            time.sleep(0.05)

    def stop(self) -> None:
        if self.keeper is None:
            return
        self.keeper.stdin.close()
        try:
            self.keeper.wait(timeout=20)
        except subprocess.TimeoutExpired:
            os.killpg(self.keeper.pid, signal.SIGKILL)
            self.keeper.wait()

    def run(self, case: Case) -> Outcome:
        started = time.monotonic()
        self.root.mkdir(parents=True, exist_ok=True)
        outcome = Outcome(folder=Path(tempfile.mkdtemp(prefix="c", dir=self.root)))
        program = self._lay_out(case, outcome.folder)
        exe = self.to_windows(program)
        outcome.places = {"{exe}": str(exe), "{dir}": str(exe.parent),
                          "{case}": str(exe.parent.parent)}
        logs = {name: outcome.folder / name
                for name in ("report", "wine.log", "opened", "echo", "system_dll")}

        narrow = isinstance(case.line, bytes)
        line = ("a:" + case.line.hex()) if narrow else ("w:" + _hex(case.line))
        child_environment = {
            "WINEDEBUG": "+pid,+relay,+exec,+loaddll",
            "VELMORAN_VIEWER_LOG": str(self.to_windows(logs["opened"])),
            "VELMORAN_E2E_ECHO_LOG": str(self.to_windows(logs["echo"])),
            "VELMORAN_E2E_SYSTEM_DLL_LOG": str(self.to_windows(logs["system_dll"])),
        }
        command = ["wine", str(self.find("e2e_launch.exe")), _hex(self.to_windows(logs["report"])),
                   str(int(case.timeout * 1000)), _hex(exe), line,
                   _hex(self.to_windows(outcome.folder))]
        child_environment.update(case.environment)
        command += [_hex("%s=%s" % item) for item in child_environment.items()]
        environment = dict(os.environ, LANG=case.locale, LC_ALL=case.locale, WINEDEBUG="-all")
        environment.pop("WINEDLLOVERRIDES", None)
        native = list(case.plants) + list(case.system_dlls)
        if native:
            environment["WINEDLLOVERRIDES"] = ",".join(native) + "=n,b"
        status = None
        try:
            with self._system_dlls(case.system_dlls):
                status = _run_quietly(command, logs["wine.log"], case.timeout + 30, environment)
        except subprocess.TimeoutExpired:
            outcome.error = "the launcher itself did not end"

        process = _read_report(logs["report"], outcome)
        if process is not None:
            lines = _read_lines(logs["wine.log"])
            outcome.calls = relay.calls_from_image(relay.parse_trace(lines), *process)
            outcome.loads = relay.dll_loads(lines, process[0])
        elif outcome.error is None:
            # Seen once in a whole suite and never again: what Wine said is all there is to go on.
            outcome.error = "the launcher reported no process (exit status %s); its log ends: %r" \
                % (status, _read_lines(logs["wine.log"])[-5:])

        # The shell starts the viewer before ShellExecuteEx returns, but the viewer may write
        # its line a little later.
        shell_calls = [c for c in outcome.calls if c.function.startswith("ShellExecuteEx")]
        launches = sum(1 for c in shell_calls if c.result)
        awaited = max(launches, len(case.opened))
        deadline = time.monotonic() + case.timeout
        while len(_read_lines(logs["opened"])) < awaited and time.monotonic() < deadline:
            time.sleep(0.05)
        outcome.opened = _read_lines(logs["opened"])
        outcome.system_dll_calls = _read_lines(logs["system_dll"])
        if case.plants:
            _read_plant_log(program.parent / PLANT_LOG, exe, outcome)
        if logs["echo"].exists():
            fields = dict(entry.split(" ", 1) for entry in _read_lines(logs["echo"]))
            outcome.echo = {"line": _unhex(fields["line"]), "module": _unhex(fields["module"]),
                            "acp": int(fields["acp"])}
        outcome.seconds = time.monotonic() - started
        return outcome

    @contextlib.contextmanager
    def _system_dlls(self, dlls: dict):
        """Lays the DLLs in the system folder, and puts Wine's own back afterwards."""
        system = self.to_unix(PureWindowsPath("C:/windows/system32"))
        kept = {}
        try:
            for name, built in dlls.items():
                target = system / (name + ".dll")
                kept[target] = target.read_bytes() if target.exists() else None
                shutil.copy2(self.find(built), target)
            yield
        finally:
            for target, original in kept.items():
                if original is None:
                    target.unlink(missing_ok=True)
                else:
                    target.write_bytes(original)

    def _lay_out(self, case: Case, folder: Path) -> Path:
        """The case's folder: the program's copy and what lies beside it."""
        program_folder = folder / case.folder
        program_folder.mkdir(parents=True)
        program = program_folder / (case.file_name or case.program)
        shutil.copy2(self.find(case.program), program)
        if case.readme == "file":
            (program_folder / README).write_text("read me\r\n")
        elif case.readme == "directory":
            (program_folder / README).mkdir()
        if case.readme_in_cwd:
            (folder / README).write_text("read me\r\n")
        for name in case.plants:
            shutil.copy2(self.find(PLANT), program_folder / (name + ".dll"))
        for path, text in case.files.items():
            target = folder.joinpath(*path.split("/"))
            target.parent.mkdir(parents=True, exist_ok=True)
            target.write_text(text)
        return program

    def check(self, case: Case, outcome: Outcome) -> list:
        """The differences between the row and the run, as sentences; empty when it passed."""
        problems = []
        if outcome.error:
            problems.append(outcome.error)
        if outcome.timed_out:
            problems.append("the program was still running after %.0f s" % case.timeout)
        if case.exit_code is not None and outcome.exit_code != case.exit_code:
            problems.append("exit code %s, expected %s" % (outcome.exit_code, case.exit_code))
        if case.calls is not None:
            watched = [c for c in outcome.calls if c.function in case.watch]
            expand = lambda text: relay.Text(_fill(text.value, outcome.places), text.truncated)
            expected = [relay.parse_expected(text, expand) for text in case.calls]
            if len(watched) != len(expected) or not all(map(relay.call_matches, expected, watched)):
                problems.append(
                    "calls differ\n      expected:\n%s\n      made:\n%s"
                    % (_listing(map(str, expected)), _listing(map(str, watched)))
                )
        if list(outcome.boxes) != list(case.boxes):
            problems.append(
                "message boxes differ\n      expected:\n%s\n      shown:\n%s"
                % (_listing(map(repr, case.boxes)), _listing(map(repr, outcome.boxes)))
            )
        want_opened = [_fill(path, outcome.places) for path in case.opened]
        if outcome.opened != want_opened:
            problems.append("opened %r, expected %r" % (outcome.opened, want_opened))
        if case.shell is not None:
            made = [c.shell or {} for c in outcome.calls if c.function.startswith("ShellExecuteEx")]
            want = [{key: _fill(value, outcome.places) if isinstance(value, str) else value
                     for key, value in request.items()} for request in case.shell]
            if len(made) != len(want) or any(
                any(m.get(key) != value for key, value in w.items()) for w, m in zip(want, made)
            ):
                problems.append("shell requests %r, expected %r" % (made, want))
        wanted_calls = case.system_dll_calls
        if wanted_calls is not None and outcome.system_dll_calls != list(wanted_calls):
            problems.append("calls of the system folder's DLL %r, expected %r"
                            % (outcome.system_dll_calls, list(wanted_calls)))
        if case.plants and set(outcome.plants_ran) != set(case.plants_ran):
            problems.append("planted DLLs that ran in the program: %s; expected: %s"
                            % (_names(outcome.plants_ran), _names(case.plants_ran)))
        if case.dlls is not None:
            problems += _dll_findings(case.dlls, case.dlls_brought, outcome)
        if case.echo is not None:
            for key, want in case.echo.items():
                got = (outcome.echo or {}).get(key)
                want = _fill(want, outcome.places) if isinstance(want, bytes) else want
                if got != want:
                    problems.append("echo %s is %r, expected %r" % (key, got, want))
        return problems


def _fill(value: Union[str, bytes], places: dict) -> Union[str, bytes]:
    """{exe} and {dir} in an expected text: wide in a str, narrow in bytes."""
    for place, path in places.items():
        if type(place) is type(value):
            value = value.replace(place, path)
    return value


def _names(names) -> str:
    return ", ".join(sorted(set(names))) or "none"


def _read_plant_log(log: Path, program: PureWindowsPath, outcome: Outcome) -> None:
    """Which plants ran in the program's process, and which in others, from the plants' log.
    Windows paths compare without regard to case."""
    for entry in _read_lines(log):
        own, _, image = entry.partition("\t")
        name = PureWindowsPath(own).name.lower()
        name = name[: -len(".dll")] if name.endswith(".dll") else name
        if image.lower() == str(program).lower():
            outcome.plants_ran.append(name)
        else:
            outcome.plants_elsewhere.append((name, image))


def _plant_findings(outcome: Outcome) -> list:
    """What a failed planting row shows: the plants that ran, where, and what the program
    loaded from its own folder."""
    lines = ["planted DLLs that ran in the program: %s" % _names(outcome.plants_ran)]
    lines += ["planted %s ran in another process: %s" % entry for entry in outcome.plants_elsewhere]
    folder = outcome.places["{dir}"].lower()
    beside = [PureWindowsPath(path).name for path, _ in outcome.loads
              if str(PureWindowsPath(path).parent).lower() == folder]
    lines.append("loaded from the program's folder: %s" % (", ".join(beside) or "none"))
    return lines


def _dll_name(path: str) -> str:
    name = PureWindowsPath(path).name.lower()
    return name[: -len(".dll")] if name.endswith(".dll") else name


def _dll_findings(asked_for: Sequence[str], brought: Sequence[str], outcome: Outcome) -> list:
    """How the program's own DLLs in its process differ from the row's."""
    asked = {_dll_name(c.arguments[0].value) for c in outcome.calls
             if c.function == "LoadLibraryExW" and isinstance(c.arguments[0], relay.Text)}
    present = {_dll_name(path) for path, _ in outcome.loads} & set(PROGRAM_DLLS)
    allowed = set(asked_for) | set(brought)
    problems = []
    if asked != set(asked_for):
        problems.append("loaded %s itself, expected %s" % (_names(asked), _names(asked_for)))
    if present - allowed:
        problems.append("had %s in its process, beyond %s; it loaded: %s"
                        % (_names(present - allowed), _names(allowed),
                           ", ".join(_dll_name(path) for path, _ in outcome.loads)))
    return problems


def _listing(lines) -> str:
    return "\n".join("        " + line for line in lines) or "        (none)"


def _hex(text) -> str:
    """A text for the launcher's command line: hex of its UTF-8."""
    return str(text).encode().hex()


def _read_report(path: Path, outcome: Outcome):
    """Fills the outcome from the launcher's report; gives (pid, image base, image size)."""
    pid = image = None
    for entry in _read_lines(path):
        word, _, rest = entry.partition(" ")
        if word == "ansi":
            exe, folder = (_unhex(value) for value in rest.split())
            outcome.places.update({b"{exe}": exe, b"{dir}": folder})
        elif word == "pid":
            pid = int(rest)
        elif word == "image":
            image = tuple(int(value, 16) for value in rest.split())
        elif word == "box":
            caption, text = rest.split()
            outcome.boxes.append(Box(_unhex(caption), _unhex(text)))
        elif word == "exit":
            outcome.exit_code = int(rest)
        elif word == "timeout":
            outcome.timed_out = True
        elif word == "error":
            outcome.error = "launch failed: " + rest
    return None if pid is None or image is None else (pid,) + image


def _unhex(text: str) -> bytes:
    # The launcher writes "-" for no bytes at all.
    return b"" if text == "-" else bytes.fromhex(text)


def _read_lines(path: Path) -> list:
    try:
        return path.read_text(encoding="utf-8", errors="replace").splitlines()
    except FileNotFoundError:
        return []


def _locale_generated(locale: str) -> bool:
    listing = subprocess.run(["locale", "-a"], capture_output=True, text=True, check=False).stdout
    wanted = locale.lower().replace("utf-8", "utf8")
    return any(line.lower() == wanted for line in listing.split())


def _registry_settings() -> str:
    viewer = str(VIEWER).replace("\\", "\\\\")
    return "\n".join(
        [
            "REGEDIT4",
            "",
            r"[HKEY_CURRENT_USER\Software\Wine\Debug]",
            '"RelayInclude"="%s"' % ";".join(TRACED),
            "",
            # A program that crashes (one that took a plant for a DLL whose functions it then
            # calls) ends at once, without a crash dialog that nobody closes.
            r"[HKEY_CURRENT_USER\Software\Wine\WineDbg]",
            '"ShowCrashDialog"=dword:00000000',
            "",
            r"[HKEY_CLASSES_ROOT\.txt]",
            '@="velmoran.e2e.txt"',
            "",
            r"[HKEY_CLASSES_ROOT\velmoran.e2e.txt\shell\open\command]",
            '@="\\"%s\\" \\"%%1\\""' % viewer,
            "",
        ]
    )


def _run_quietly(command, log: Path, timeout: float, environment=None) -> int:
    """Runs a Wine command with every output in a file, and gives its exit status: a background
    process of Wine that inherited a pipe would keep it open long after the command ended."""
    with open(log, "ab") as output:
        process = subprocess.Popen(
            command,
            stdin=subprocess.DEVNULL,
            stdout=output,
            stderr=output,
            env=environment,
            start_new_session=True,
        )
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            raise


def load_cases(path: Path) -> list:
    # A table may import the rows and expectations it shares with the tables beside it.
    folder = str(path.resolve().parent)
    if folder not in sys.path:
        sys.path.insert(0, folder)
    loader_spec = importlib.util.spec_from_file_location(path.stem, path)
    module = importlib.util.module_from_spec(loader_spec)
    loader_spec.loader.exec_module(module)
    return list(module.CASES)


def main(argv: Sequence[str]) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", action="append", required=True, help="folder of built programs")
    parser.add_argument("-k", dest="only", default="", help="run only cases whose name holds this")
    parser.add_argument("--loaded", action="store_true", help="print the DLLs each program loaded")
    parser.add_argument("cases", type=Path)
    options = parser.parse_args(argv)
    scripts = Path(__file__).resolve().parents[3] / "scripts"
    launcher = find_program(options.bin, "e2e_launch.exe")
    arch = subprocess.run(["bash", "-c", 'source "$0/wine-arches.sh" && pe_wine_arch "$1"',
                           str(scripts), str(launcher)],
                          check=True, capture_output=True, text=True).stdout.strip()
    if not (os.environ.get("WINEPREFIX") and os.environ.get("DISPLAY")
            and os.environ.get("VELMORAN_WINE_SESSION_ARCH") == arch):
        session = str(scripts / "wine-session.sh")
        harness = str(Path(__file__).resolve())
        os.execve(session, [session, sys.executable, harness] + list(argv),
                  {**os.environ, "VELMORAN_WINE_ARCH": arch})

    cases = [c for c in load_cases(options.cases) if options.only in c.name]
    names = [c.name for c in cases]
    duplicates = {n for n in names if names.count(n) > 1}
    if duplicates or not cases:
        print("no cases, or cases named twice: %s" % sorted(duplicates))
        return 2
    unplanted = [c.name for c in cases if not set(c.plants_ran) <= set(c.plants)]
    if unplanted:
        print("cases that expect plants they do not lay: %s" % unplanted)
        return 2
    session = Session(options.bin)
    failed = []
    try:
        session.start()
        for case in cases:
            outcome = session.run(case)
            problems = session.check(case, outcome)
            print("%s %s (%.2f s)" % ("FAIL" if problems else "PASS", case.name, outcome.seconds))
            for problem in problems:
                print("    - " + problem)
            if problems and case.plants:
                for line in _plant_findings(outcome):
                    print("    " + line)
            if options.loaded:
                names = ("%s(%s)" % (PureWindowsPath(path).name.lower(), kind)
                         for path, kind in outcome.loads)
                print("    loaded: " + " ".join(names))
            if problems:
                print("    folder: %s" % outcome.folder)
                failed.append(case.name)
            sys.stdout.flush()
    finally:
        session.stop()
    print("%d of %d cases passed" % (len(cases) - len(failed), len(cases)))
    return 1 if failed else 0


if __name__ == "__main__":
    # Case tables import this file as wine_e2e; their rows must be of that module's classes.
    import wine_e2e

    sys.exit(wine_e2e.main(sys.argv[1:]))
