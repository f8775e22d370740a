"""The shipped Velmoran.exe under Wine: every command word by argument and by file name, the
command-line edge cases as exact raw lines, and help through the read-me and through the
usage box. The expectations here are shared with velmoran_code_pages.py (code pages, awkward
folder names, a planted powrprof.dll) and velmoran_logoff.py (the log-off, which may end
processes of the prefix and so runs on its own).

Each row lists every watched call the program makes from its own image, so a row of a
recognised command also proves that no read-me was looked for, no box shown and nothing
opened. Under Wine, SetSuspendState and InitiateSystemShutdownExA only return TRUE and
LockWorkStation returns FALSE, so these rows suspend, power off and reboot nothing."""

from wine_e2e import DEFAULT_WATCH, Box, Case, quote

WORDS = (
    "DisplayOff",
    "ScreenSaver",
    "LockScreen",
    "Standby",
    "StandbyLock",
    "Hibernation",
    "HibernationLock",
    "Logoff",
    "Poweroff",
    "PoweroffForce",
    "Reboot",
    "RebootForce",
)

# SeShutdownPrivilege enabled in the process's own token (pseudo handle -1), then closed.
PRIVILEGE = [
    "advapi32.OpenProcessToken(ffffffff, 00000028, *) = 00000001",
    'advapi32.LookupPrivilegeValueA(00000000, "SeShutdownPrivilege", *) = 00000001',
    "advapi32.AdjustTokenPrivileges(*, 00000000, *, 00000010, 00000000, 00000000) = 00000001",
    "kernel32.CloseHandle(*) = 00000001",
]
LOCK = ["user32.LockWorkStation() = 00000000"]
# The capability record: Wine's reports S1, S4 and a hibernation file.
CAPABILITIES = ["powrprof.CallNtPowerInformation(00000004, 00000000, 00000000, *, 0000004c)"
                " = 00000000"]


def broadcast(system_command: int, argument: int) -> list:
    return ["user32.PostMessageA(0000ffff, 00000112, %08x, %08x) = *"
            % (system_command, argument)]


def suspend(hibernate: int) -> list:
    return ["powrprof.SetSuspendState(%02x, 00, 00) = 01" % hibernate]


def shutdown(force: int, reboot: int) -> list:
    return ["advapi32.InitiateSystemShutdownExA(00000000, 00000000, 00000000, %08x, %08x, "
            "00000001) = 00000001" % (force, reboot)]


# Per command word: the calls of its action and the exit code under Wine (2 where the final
# call reports failure: LockWorkStation does).
ACTIONS = {
    "DisplayOff": (broadcast(0xF170, 2), 0),
    "ScreenSaver": (broadcast(0xF140, 0), 0),
    "LockScreen": (LOCK, 2),
    "Standby": (CAPABILITIES + PRIVILEGE + suspend(0), 0),
    "StandbyLock": (LOCK + CAPABILITIES + PRIVILEGE + suspend(0), 0),
    "Hibernation": (CAPABILITIES + PRIVILEGE + suspend(1), 0),
    "HibernationLock": (LOCK + CAPABILITIES + PRIVILEGE + suspend(1), 0),
    "Logoff": (["user32.ExitWindowsEx(00000000, 00000000) = 00000001"], 0),
    "Poweroff": (PRIVILEGE + shutdown(0, 0), 0),
    "PoweroffForce": (PRIVILEGE + shutdown(1, 0), 0),
    "Reboot": (PRIVILEGE + shutdown(0, 1), 0),
    "RebootForce": (PRIVILEGE + shutdown(1, 1), 0),
}
# Which of its DLLs (PROGRAM_DLLS in the harness) each path loads itself: those its calls need.
# The lock words' wtsapi32 only after a lock that succeeded, which Wine's never does: here their
# suspend follows at once, with no wait and no look at the session's state.
POWER = ("advapi32", "powrprof")
DLLS = {
    "DisplayOff": ("user32",),
    "ScreenSaver": ("user32",),
    "LockScreen": ("user32",),
    "Logoff": ("user32",),
    "Standby": POWER,
    "StandbyLock": POWER + ("user32",),
    "Hibernation": POWER,
    "HibernationLock": POWER + ("user32",),
    "Poweroff": ("advapi32",),
    "PoweroffForce": ("advapi32",),
    "Reboot": ("advapi32",),
    "RebootForce": ("advapi32",),
}
assert set(DLLS) == set(WORDS)
USAGE_DLLS = ("user32", "msimg32")
README_DLLS = ("ole32", "shell32")
# What Wine's DLLs bring in besides (seen with WINEDEBUG=+loaddll): its user32 imports
# advapi32, the message box's common controls bring ole32, the shell brings user32.
BROUGHT = {"user32": ("advapi32",), "msimg32": ("ole32",), "shell32": ("user32", "advapi32")}


def brought(dlls) -> tuple:
    return tuple(name for dll in dlls for name in BROUGHT.get(dll, ()))


# CloseHandle is watched to see the privilege step close its token and help close the
# viewer's process handle. The runtime closes one handle of its own as the program ends: the
# lock of libstdc++'s emergency exception pool, a semaphore under win32 threads, made before
# WinMain runs.
RUNTIME_EXIT = ["kernel32.CloseHandle(*) = 00000001"]
WATCH = DEFAULT_WATCH + ("CloseHandle",)

USAGE = (
    b"(1) Execute this program with these argument.\r\n\r\n"
    + b"".join(b"   Velmoran.exe   %s\r\n" % word.encode() for word in WORDS)
    + b"\r\n(2) Rename this program to the following names. And execute.\r\n\r\n"
    + b"".join(b"   %s\r\n" % word.encode() for word in WORDS)
)
assert len(USAGE) == 653 and USAGE.count(b"\r\n") == 29, len(USAGE)
USAGE_BOX = Box(b"Velmoran", USAGE)

README_PATH = "{dir}\\ReadMe_Velmoran.txt"
README_QUERY = "kernel32.GetFileAttributesA(%s)" % quote(README_PATH.encode())
# No read-me (or a directory of its name): the usage box, closed with OK by the launcher.
USAGE_CALLS = [
    README_QUERY + " = ffffffff",
    'user32.MessageBoxA(00000000, %s, "Velmoran", 00000040) = 00000001' % quote(USAGE),
]
# A read-me beside the program: the shell's default verb on it, no box, no waiting.
# The process handle the shell gives back is closed at once.
README_CALLS = [
    README_QUERY + " = 00000020",
    "shell32.ShellExecuteExA(*) = 00000001",
    "kernel32.CloseHandle(*) = 00000001",
]
# The process handle handed back and no error dialog, but no expansion of environment strings:
# the path is the program's own, whatever its folders are called. No verb, so the file type's
# default applies; empty parameters and directory.
README_SHELL = [{"mask": 0x440, "verb": None, "file": README_PATH, "parm": "", "dir": "",
                 "show": 1}]


def command(name: str, word: str, line, **fields) -> Case:
    """A row in which the command word `word` runs its action."""
    calls, exit_code = ACTIONS[word]
    return Case(name, line=line, exit_code=exit_code, calls=calls + RUNTIME_EXIT, watch=WATCH,
                **fields)


def usage(name: str, line, **fields) -> Case:
    """A row that ends in help without a read-me: the usage box, exit code 1."""
    calls = fields.pop("calls", USAGE_CALLS)
    return Case(name, line=line, exit_code=1, calls=calls + RUNTIME_EXIT, watch=WATCH,
                boxes=[USAGE_BOX], **fields)


def readme(name: str, line, **fields) -> Case:
    """A row that ends in help with the read-me beside the program: opened by the shell.
    calls=None leaves the calls unchecked, for a folder that only a wide path can name."""
    calls = fields.pop("calls", README_CALLS)
    opened = fields.pop("opened", [README_PATH])
    return Case(name, line=line, exit_code=1, readme="file",
                calls=None if calls is None else calls + RUNTIME_EXIT, watch=WATCH,
                opened=opened, shell=README_SHELL, **fields)


SAFE_WORDS = [word for word in WORDS if word != "Logoff"]

# Every command word as the argument, and as the name of a copy started without arguments
# (a str line reaches the program as the shell would start it).
COMMANDS = [command("argument_%s" % word, word, '"{exe}" %s' % word) for word in SAFE_WORDS]
COMMANDS += [command("file_name_%s" % word, word, '"{exe}"', file_name=word + ".exe")
             for word in SAFE_WORDS]

# The comparison is case-sensitive.
LOWER_CASE = [
    usage("argument_lower_case_reboot", '"{exe}" reboot'),
    usage("file_name_lower_case_reboot", '"{exe}"', file_name="reboot.exe"),
    # winget's command alias starts the program as velmoran.exe: a word given to it acts.
    command("alias_name_with_argument", "DisplayOff", '"{exe}" DisplayOff',
            file_name="velmoran.exe"),
]

HELP = [
    readme("help_readme_beside_program", '"{exe}" Help'),
    usage("help_readme_absent", '"{exe}" Help'),
    usage("help_readme_is_a_directory", '"{exe}" Help', readme="directory",
          calls=[README_QUERY + " = 00000010"] + USAGE_CALLS[1:]),
    usage("help_readme_only_in_working_directory", '"{exe}" Help', readme_in_cwd=True),
    # A copy under another name still calls itself Velmoran.exe and looks for its read-me.
    usage("help_tool_copy_usage", '"{exe}" Help', file_name="Tool.exe"),
    readme("help_tool_copy_readme", '"{exe}" Help', file_name="Tool.exe"),
]

# The raw command lines of the resolution's edge cases, byte for byte as CreateProcessA
# passes them. Reboot and Standby show which word was taken.
RAW_LINES = [
    command("raw_file_name_reboot_unquoted_path", "Reboot", b"{exe}", file_name="Reboot.exe"),
    usage("raw_file_name_lower_case_unquoted_path", b"{exe}", file_name="reboot.exe"),
    usage("raw_usual_name_no_arguments", b'"{exe}"'),
    command("raw_argument_wins_over_file_name", "Reboot", b'"{exe}" Reboot',
            file_name="DisplayOff.exe"),
    command("raw_first_of_two_arguments", "Standby", b'"{exe}" Standby Reboot'),
    # Options alone leave no command word; the file name is not consulted.
    usage("raw_option_h_alone_under_command_name", b'"{exe}" -h', file_name="Reboot.exe"),
    command("raw_option_h_takes_no_value", "Reboot", b'"{exe}" -h Reboot'),
    usage("raw_option_x_takes_the_word", b'"{exe}" -x Reboot', file_name="Reboot.exe"),
    command("raw_option_named_like_the_positional_tag", "Reboot", b'"{exe}" -NoTag_1 Reboot'),
    command("raw_only_blanks_after_path", "Reboot", b'"{exe}"  \t  ', file_name="Reboot.exe"),
    command("raw_quoted_word", "Reboot", b'"{exe}" "Reboot"'),
    # The unquoted path ends at its blank: Files\Reboot.exe is the first argument.
    usage("raw_unquoted_path_with_blank", b"{exe}", folder="Program Files",
          file_name="Reboot.exe"),
    # Only the last extension goes: DisplayOff.old names no command.
    usage("raw_two_extensions", b'"{exe}"', file_name="DisplayOff.old.exe"),
]

# PCs that Wine does not imitate, through a powrprof.dll of the test's own in the system
# folder: on a PC with Modern Standby only, Standby turns the displays off instead of
# suspending; on one without a hibernation file, Hibernation is refused without any suspend
# call. The locking words lock first all the same.
FAKE_POWRPROF = {"powrprof": "fake_powrprof.dll"}
PCS = [
    Case("modern_standby_%s" % word, line='"{exe}" %s' % word, exit_code=0,
         system_dlls=FAKE_POWRPROF, environment={"VELMORAN_E2E_PC": "modern-standby"},
         calls=lock + broadcast(0xF170, 2) + RUNTIME_EXIT, watch=WATCH,
         system_dll_calls=["CallNtPowerInformation"])
    for word, lock in (("Standby", []), ("StandbyLock", LOCK))
] + [
    Case("no_hibernation_file_%s" % word, line='"{exe}" %s' % word, exit_code=2,
         system_dlls=FAKE_POWRPROF, environment={"VELMORAN_E2E_PC": "no-hibernation-file"},
         calls=lock + RUNTIME_EXIT, watch=WATCH, system_dll_calls=["CallNtPowerInformation"])
    for word, lock in (("Hibernation", []), ("HibernationLock", LOCK))
]

CASES = COMMANDS + LOWER_CASE + HELP + RAW_LINES + PCS
