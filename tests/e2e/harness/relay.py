r"""Reads Wine's debug output (WINEDEBUG=+pid,+relay,+exec,+loaddll) into calls and loads.

A relay line looks like

    02a8:02ac:Call user32.PostMessageA(0000ffff,00000112,0000f170,00000002) ret=004015d8
    02a8:02ac:Ret  user32.PostMessageA() retval=00000001 ret=004015d8

with the process id, the thread id, each argument as a 32-bit slot in hex (a string argument
also shows its text in Wine's debug quoting) and the return address. Calls and returns are
paired per thread. The exec channel's SHELL_execute line, which shows the fields of a
ShellExecuteEx request that the relay trace gives only as a pointer, is attached to the
ShellExecuteEx call open on the same thread. The loaddll channel tells each DLL a process
loaded, from where, and whether it was Wine's own or a native file:

    02a8:02ac:trace:loaddll:build_module Loaded L"C:\\e2e\\app\\version.dll" at 10000000: native

Expected calls are written in the same form, as text:

    powrprof.SetSuspendState(00, 00, 00) = 01
    kernel32.GetFileAttributesA("{dir}\\ReadMe_Velmoran.txt") = ffffffff
    advapi32.OpenProcessToken(ffffffff, 00000028, *) = 00000001

An argument is a hex number, a narrow "text" or a wide L"text" in Wine's quoting (\\, \",
\r, \n, \t, \xNN in narrow text, \NNNN in wide text), or * for any value. The " = result"
part may be left out. Module names compare without regard to case. One-byte BOOLEAN
arguments and results (see BOOLEANS) are compared by their low byte only, since the trace
shows the whole slot and the upper bytes hold whatever the register held.

A 64-bit program's trace shows each slot as a whole 64-bit register, and addresses with up to
16 digits. A 32-bit argument's upper half is then whatever the register held (a BOOL TRUE
seen as 1300000001), so every number compares by its low 32 bits: the tables are written as
the 32-bit program passes its arguments, and a pseudo-handle such as ffffffff, which the
64-bit system widens to ffffffffffffffff, still matches.
"""

from __future__ import annotations

import dataclasses
import re
from typing import Callable, Iterable, Optional, Union

# Function name -> (indices of one-byte BOOLEAN arguments, whether the result is one).
BOOLEANS = {
    "SetSuspendState": ((0, 1, 2), True),
}

ANY = object()  # the * of an expected call


@dataclasses.dataclass
class Text:
    """A string argument: bytes for narrow text, str for wide text."""

    value: Union[bytes, str]
    truncated: bool = False  # the trace showed only the start (about 300 characters)

    def __str__(self) -> str:
        if isinstance(self.value, bytes):
            body = "".join(_quote_unit(b, narrow=True) for b in self.value)
            text = '"' + body + '"'
        else:
            body = "".join(_quote_unit(ord(c), narrow=False) for c in self.value)
            text = 'L"' + body + '"'
        return text + ("..." if self.truncated else "")


Argument = Union[int, Text]


@dataclasses.dataclass
class Call:
    pid: int
    thread: int
    module: str
    function: str
    arguments: list
    caller: int
    result: Optional[int] = None
    shell: Optional[dict] = None  # the SHELL_execute fields of a ShellExecuteEx call

    def __str__(self) -> str:
        booleans, boolean_result = BOOLEANS.get(self.function, ((), False))
        shown = []
        for index, argument in enumerate(self.arguments):
            if argument is ANY:
                shown.append("*")
            elif isinstance(argument, Text):
                shown.append(str(argument))
            elif index in booleans:
                shown.append("%02x" % (argument & 0xFF))
            else:
                shown.append("%08x" % argument)
        text = "%s.%s(%s)" % (self.module.lower(), self.function, ", ".join(shown))
        if self.result is ANY:
            text += " = *"
        elif self.result is not None:
            shown_result = "%02x" % (self.result & 0xFF) if boolean_result else "%08x" % self.result
            text += " = " + shown_result
        return text


def quote(value: Union[bytes, str]) -> str:
    """A text in the quoting of the trace and of expected calls: bytes narrow, str wide."""
    return str(Text(value))


def _quote_unit(unit: int, narrow: bool) -> str:
    special = {0x5C: "\\\\", 0x22: '\\"', 0x0A: "\\n", 0x0D: "\\r", 0x09: "\\t"}
    if unit in special:
        return special[unit]
    if 0x20 <= unit < 0x7F:
        return chr(unit)
    return "\\x%02x" % unit if narrow else "\\%04x" % unit


class _Scanner:
    def __init__(self, text: str):
        self.text = text
        self.pos = 0

    def at_end(self) -> bool:
        return self.pos >= len(self.text)

    def peek(self, prefix: str) -> bool:
        return self.text.startswith(prefix, self.pos)

    def take(self, prefix: str) -> bool:
        if self.peek(prefix):
            self.pos += len(prefix)
            return True
        return False

    def expect(self, prefix: str) -> None:
        if not self.take(prefix):
            raise ValueError("expected %r at %d in %r" % (prefix, self.pos, self.text))

    def skip_blanks(self) -> None:
        while self.pos < len(self.text) and self.text[self.pos] == " ":
            self.pos += 1

    def hex_number(self) -> int:
        match = re.compile(r"[0-9a-fA-F]+").match(self.text, self.pos)
        if not match:
            raise ValueError("expected a hex number at %d in %r" % (self.pos, self.text))
        self.pos = match.end()
        return int(match.group(0), 16)

    def quoted(self) -> Text:
        """A string in Wine's debug quoting, narrow "..." or wide L"..."."""
        narrow = not self.take("L")
        self.expect('"')
        units = []
        while True:
            if self.at_end():
                raise ValueError("unterminated string in %r" % self.text)
            c = self.text[self.pos]
            self.pos += 1
            if c == '"':
                break
            if c != "\\":
                units.append(ord(c))
                continue
            e = self.text[self.pos]
            self.pos += 1
            simple = {"\\": 0x5C, '"': 0x22, "n": 0x0A, "r": 0x0D, "t": 0x09}
            if e in simple:
                units.append(simple[e])
            elif narrow and e == "x":
                units.append(int(self.text[self.pos : self.pos + 2], 16))
                self.pos += 2
            elif not narrow:
                units.append(int(self.text[self.pos - 1 : self.pos + 3], 16))
                self.pos += 3
            else:
                raise ValueError("unknown escape \\%s in %r" % (e, self.text))
        truncated = self.take("...")
        if narrow:
            return Text(bytes(units), truncated)
        return Text("".join(map(chr, units)), truncated)


def _relay_arguments(text: str) -> list:
    scanner = _Scanner(text)
    arguments: list = []
    while not scanner.at_end():
        value = scanner.hex_number()
        if scanner.take(" "):
            arguments.append(scanner.quoted())
        else:
            arguments.append(value)
        if not scanner.at_end():
            scanner.expect(",")
    return arguments


_CALL = re.compile(
    r"^(?P<pid>[0-9a-f]+):(?P<tid>[0-9a-f]+):Call (?P<module>\w+)\.(?P<function>\w+)"
    r"\((?P<args>.*)\) ret=(?P<caller>[0-9a-f]{8,16})$"
)
_RET = re.compile(
    r"^(?P<pid>[0-9a-f]+):(?P<tid>[0-9a-f]+):Ret  (?P<module>\w+)\.(?P<function>\w+)\(\)"
    r" retval=(?P<value>[0-9a-f]{8,16}) ret=(?P<caller>[0-9a-f]{8,16})$"
)
_EXEC = re.compile(
    r"^(?P<pid>[0-9a-f]+):(?P<tid>[0-9a-f]+):trace:exec:SHELL_execute mask=(?P<rest>.*)$"
)


def _shell_fields(text: str) -> dict:
    """mask=... hwnd=... verb=... file=... parm=... dir=... show=... as one dict."""
    scanner = _Scanner(text)
    fields: dict = {"mask": scanner.hex_number() if scanner.take("0x") else None}
    for name in ("hwnd", "verb", "file", "parm", "dir", "show"):
        scanner.expect(" %s=" % name)
        if scanner.take("(null)"):
            fields[name] = None
        elif scanner.peek('L"') or scanner.peek('"'):
            fields[name] = scanner.quoted().value
        else:
            scanner.take("0x")
            fields[name] = scanner.hex_number()
    return fields


def parse_trace(lines: Iterable[str]) -> list:
    """Every relay call in the trace, in the order the calls were made."""
    calls: list = []
    open_calls: dict = {}  # (pid, thread) -> stack of calls not yet returned
    for line in lines:
        line = line.rstrip("\r\n")
        match = _CALL.match(line)
        if match:
            call = Call(
                pid=int(match["pid"], 16),
                thread=int(match["tid"], 16),
                module=match["module"],
                function=match["function"],
                arguments=_relay_arguments(match["args"]),
                caller=int(match["caller"], 16),
            )
            calls.append(call)
            open_calls.setdefault((call.pid, call.thread), []).append(call)
            continue
        match = _RET.match(line)
        if match:
            stack = open_calls.get((int(match["pid"], 16), int(match["tid"], 16)), [])
            # A call whose return never shows (the thread ended inside it) stays open.
            for index in range(len(stack) - 1, -1, -1):
                if stack[index].function == match["function"]:
                    stack[index].result = int(match["value"], 16)
                    del stack[index:]
                    break
            continue
        match = _EXEC.match(line)
        if match:
            stack = open_calls.get((int(match["pid"], 16), int(match["tid"], 16)), [])
            for call in reversed(stack):
                if call.function.startswith("ShellExecuteEx") and call.shell is None:
                    call.shell = _shell_fields(match["rest"])
                    break
    return calls


_LOADDLL = re.compile(
    r"^(?P<pid>[0-9a-f]+):[0-9a-f]+:trace:loaddll:\w+ Loaded (?P<path>L\".*\") at [0-9A-Fa-f]+:"
    r" (?P<kind>\w+)$"
)


def dll_loads(lines: Iterable[str], pid: int) -> list:
    """The DLLs one process loaded, in order, as (Windows path, "builtin" or "native")."""
    loads = []
    for line in lines:
        match = _LOADDLL.match(line.rstrip("\r\n"))
        if match and int(match["pid"], 16) == pid:
            loads.append((_Scanner(match["path"]).quoted().value, match["kind"]))
    return loads


def calls_from_image(calls: Iterable[Call], pid: int, base: int, size: int) -> list:
    """The calls one process made from its own image, not from the DLLs it loaded."""
    return [c for c in calls if c.pid == pid and base <= c.caller < base + size]


_EXPECTED = re.compile(
    r"^\s*(?P<module>\w+)\.(?P<function>\w+)\((?P<args>.*)\)\s*(?:=\s*(?P<result>\S+))?\s*$"
)


def parse_expected(text: str, expand: Callable[[Text], Text] = lambda t: t) -> Call:
    """An expected call in the form described above; expand fills placeholders in texts."""
    match = _EXPECTED.match(text)
    if not match:
        raise ValueError("not a call: %r" % text)
    scanner = _Scanner(match["args"])
    arguments: list = []
    scanner.skip_blanks()
    while not scanner.at_end():
        if scanner.take("*"):
            arguments.append(ANY)
        elif scanner.peek('"') or scanner.peek('L"'):
            arguments.append(expand(scanner.quoted()))
        else:
            arguments.append(scanner.hex_number())
        scanner.skip_blanks()
        if not scanner.at_end():
            scanner.expect(",")
            scanner.skip_blanks()
    result = match["result"]
    return Call(
        pid=0,
        thread=0,
        module=match["module"],
        function=match["function"],
        arguments=arguments,
        caller=0,
        result=None if result is None else (ANY if result == "*" else int(result, 16)),
    )


def call_matches(expected: Call, observed: Call) -> bool:
    if expected.module.lower() != observed.module.lower() or expected.function != observed.function:
        return False
    if len(expected.arguments) != len(observed.arguments):
        return False
    booleans, boolean_result = BOOLEANS.get(observed.function, ((), False))
    for index, (want, got) in enumerate(zip(expected.arguments, observed.arguments)):
        if want is ANY:
            continue
        if isinstance(want, Text) != isinstance(got, Text):
            return False
        if isinstance(want, Text):
            if not _text_matches(want, got):
                return False
        else:
            mask = 0xFF if index in booleans else 0xFFFFFFFF
            if (want & mask) != (got & mask):
                return False
    if expected.result is None or expected.result is ANY:
        return True
    if observed.result is None:
        return False
    mask = 0xFF if boolean_result else 0xFFFFFFFF
    return (expected.result & mask) == (observed.result & mask)


def _text_matches(want: Text, got: Text) -> bool:
    if type(want.value) is not type(got.value):
        return False
    if got.truncated:
        return want.value[: len(got.value)] == got.value
    return want.value == got.value
