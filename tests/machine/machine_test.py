"""The native velmoran on a real Debian 12 machine under qemu: systemd-logind 252 and polkit as
Debian ships them decide, not mocks. Each row runs one word as one user in one kind of session
and says what the machine must do.

Cases that leave the machine running share one boot, in the table's order, with the first case
that sleeps; a case that powers off, restarts, hibernates or sleeps again has a boot of its own. Boots run side by side, one virtual CPU
each, as many at once as the host has cores.

Usage: machine_test.py PROGRAM IMAGE_FOLDER BOOTS_FOLDER (the image from machine_image.py)."""
import collections
import concurrent.futures
import os
import pathlib
import re
import sys
import time
import unittest

import machine

PROGRAM, IMAGE, BOOTS = (pathlib.Path(argument).resolve() for argument in sys.argv[1:4])

# Who runs the word: root from a system unit (no session); tester in the autologin session on
# tty1, the active local console; visitor with no session (a unit started by systemd-run
# --uid), or in the autologin session on tty2, which stays in the background.
ROOT, CONSOLE, NO_SESSION, BACKGROUND = "root", "tty1", "visitor", "tty2"
# What the machine does: keeps running, powers off, restarts, sleeps and is woken through QMP,
# or writes a hibernation image to its swap and powers off.
RUNNING, OFF, RESTART, SLEPT, HIBERNATED = "running", "off", "restart", "slept", "hibernated"

NO_DESKTOP = "no session bus (No such file or directory)"
INVALID_FLAGS = "-> org.freedesktop.DBus.Error.InvalidArgs"
REFUSED = "-> org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"
# Standby and Hibernation first ask what the machine can do.
CAPABILITIES = ["CanSuspend()", "CanHibernate()"]


def polkit_said_no(action):
    """What the program says when logind's question to polkit could only be answered with a
    password, which no agent is there to ask for."""
    return (f"velmoran: {action}: org.freedesktop.login1 refused: org.freedesktop.DBus.Error."
            "InteractiveAuthorizationRequired: Interactive authentication required.\n")


def held_back(action, why):
    """What the program says when a block inhibitor of shutdowns (setup below) is held."""
    return f"velmoran: {action}: held back by velmoran-test ({why})\n"


ROOT_BLOCKS, OWN_BLOCK = "a test holds it", "the console user holds it"
# The plain shutdowns read the inhibitors first.
INHIBITORS = ["ListInhibitors()"]
# The machine has no locker: logind's Lock signal goes out, nothing sets the session's
# LockedHint, and the program says so after its wait. StandbyLock then sleeps as Standby does.
NOT_CONFIRMED = ("velmoran: LockSession: asked org.freedesktop.login1; no locker confirmed the "
                 "lock\n")
LOCK_CALLS = ['GetSession("auto")', 'LockSession("auto")',
              'Get("org.freedesktop.login1.Session", "LockedHint")']

Row = collections.namedtuple("Row", "name user setup word exit stderr machine calls")
# setup: "inhibitor" (root holds a shutdown and sleep block), "own-inhibitor" (the console user
# holds a shutdown block from its session), "delay-inhibitor" (root holds a shutdown delay),
# "monitor" (the login manager's calls are watched, and then compared with calls), "sleep" (the
# case waits until the machine is back from sleep), "swap" (a swap device, with resume= set).
# stderr: the whole standard error, or a pattern it must match (re.Pattern).
ROWS = [
    # The console user, one case after another in the running boot.
    Row("help", CONSOLE, "", "Help", 1,
        re.compile(r"Velmoran\n\(1\) Execute this program with these argument\.\r\n"
                   r"(.|\n)*   RebootForce\r\n$"), RUNNING, None),
    Row("lock", CONSOLE, "monitor", "LockScreen", 2, NOT_CONFIRMED, RUNNING, LOCK_CALLS),
    Row("displays-off", CONSOLE, "", "DisplayOff", 2,
        f"velmoran: displays off: {NO_DESKTOP}; no X11 library\n", RUNNING, None),
    Row("screen-saver", CONSOLE, "", "ScreenSaver", 2,
        f"velmoran: screen saver: {NO_DESKTOP}; no X11 library\n", RUNNING, None),
    Row("log-off", CONSOLE, "", "Logoff", 2,
        f"velmoran: Logout: {NO_DESKTOP}; no session manager\n", RUNNING, None),
    # logind answers CanHibernate "na" without swap: no Hibernate call is made.
    Row("hibernate-without-swap", CONSOLE, "monitor", "Hibernation", 2,
        "velmoran: org.freedesktop.login1 can suspend (CanSuspend: yes) and can not hibernate"
        " (CanHibernate: na)\n", RUNNING, CAPABILITIES),
    # Another user's block: the plain words name it and ask for nothing; logind asks polkit
    # about the forced ones, which no agent answers.
    Row("inhibited-poweroff", CONSOLE, "inhibitor,monitor", "Poweroff", 2,
        held_back("PowerOff", ROOT_BLOCKS), RUNNING, INHIBITORS),
    Row("inhibited-poweroff-force", CONSOLE, "inhibitor,monitor", "PoweroffForce", 2,
        polkit_said_no("PowerOff"), RUNNING,
        ["PowerOffWithFlags(16)", INVALID_FLAGS, "PowerOffWithFlags(0)", REFUSED]),
    Row("inhibited-reboot", CONSOLE, "inhibitor", "Reboot", 2,
        held_back("Reboot", ROOT_BLOCKS), RUNNING, None),
    Row("inhibited-reboot-force", CONSOLE, "inhibitor", "RebootForce", 2,
        polkit_said_no("Reboot"), RUNNING, None),
    # The user's own block, which logind would let the user's own shutdown through.
    Row("own-inhibitor-poweroff", CONSOLE, "own-inhibitor,monitor", "Poweroff", 2,
        held_back("PowerOff", OWN_BLOCK), RUNNING, INHIBITORS),
    Row("own-inhibitor-reboot", CONSOLE, "own-inhibitor", "Reboot", 2,
        held_back("Reboot", OWN_BLOCK), RUNNING, None),
    Row("standby", CONSOLE, "sleep,monitor", "Standby", 0, "", SLEPT,
        CAPABILITIES + ["Suspend(true)"]),
    Row("standby-lock", CONSOLE, "sleep,monitor", "StandbyLock", 0, NOT_CONFIRMED, SLEPT,
        LOCK_CALLS + CAPABILITIES + ["Suspend(true)"]),
    # visitor: first with no session at all, then in the background session on tty2.
    Row("no-session-poweroff", NO_SESSION, "", "Poweroff", 2,
        polkit_said_no("PowerOff"), RUNNING, None),
    Row("no-session-reboot", NO_SESSION, "", "Reboot", 2, polkit_said_no("Reboot"), RUNNING, None),
    Row("background-poweroff", BACKGROUND, "", "Poweroff", 2,
        polkit_said_no("PowerOff"), RUNNING, None),
    Row("background-reboot", BACKGROUND, "", "Reboot", 2, polkit_said_no("Reboot"), RUNNING, None),
    # A boot each.
    Row("root-poweroff", ROOT, "monitor", "Poweroff", 0, "", OFF,
        INHIBITORS + ["PowerOffWithFlags(0)"]),
    Row("root-reboot", ROOT, "", "Reboot", 0, "", RESTART, None),
    Row("root-poweroff-force", ROOT, "monitor", "PoweroffForce", 0, "", OFF,
        ["PowerOffWithFlags(16)", INVALID_FLAGS, "PowerOffWithFlags(0)"]),
    Row("root-reboot-force", ROOT, "monitor", "RebootForce", 0, "", RESTART,
        ["RebootWithFlags(16)", INVALID_FLAGS, "RebootWithFlags(0)"]),
    # A delay holds nothing back.
    Row("console-poweroff-delayed", CONSOLE, "delay-inhibitor,monitor", "Poweroff", 0, "", OFF,
        INHIBITORS + ["PowerOffWithFlags(0)"]),
    Row("console-reboot", CONSOLE, "monitor", "Reboot", 0, "", RESTART,
        INHIBITORS + ["RebootWithFlags(0)"]),
    # The forced words ask for the shutdown whatever holds it back.
    Row("console-poweroff-force-own-inhibitor", CONSOLE, "own-inhibitor,monitor", "PoweroffForce",
        0, "", OFF, ["PowerOffWithFlags(16)", INVALID_FLAGS, "PowerOffWithFlags(0)"]),
    Row("console-reboot-force", CONSOLE, "", "RebootForce", 0, "", RESTART, None),
    Row("hibernate", CONSOLE, "swap,monitor", "Hibernation", 0, "", HIBERNATED,
        CAPABILITIES + ["Hibernate(true)"]),
]

# Power calls allow polkit to ask for a password; the lock and the look-ups do not need to.
LOOK_UPS = ("LockSession", "GetSession", "Get") + tuple(call.rstrip("()") for call in CAPABILITIES + INHIBITORS)
ALLOW_INTERACTIVE_AUTHORIZATION = 0x4
# The guest's own calls that tell when its monitor has caught up.
MONITOR_MARK = "velmoran-mark-"


def is_program_call(message):
    if message["type"] != "method_call":
        return False
    arguments = message["payload"]["data"]
    return not (arguments and str(arguments[0]).startswith(MONITOR_MARK))


def boots():
    """The running boot's rows in order, with the first row that sleeps, then one boot per row
    that ends the machine or sleeps again: qemu reports only the first sleep of a boot (seen
    here: a second one enters S3 in the guest's journal, but qemu shows no SUSPEND event and
    the guest is back at once)."""
    sleeping = [row for row in ROWS if row.machine == SLEPT]
    running = [row for row in ROWS if row.machine == RUNNING or row is sleeping[0]]
    return [("running", running)] + [(row.name, [row]) for row in ROWS if row not in running]


def run_boot(name, rows, accelerator):
    plan = [(row.name, row.user, row.setup or "-", row.word) for row in rows]
    return machine.run(name, IMAGE, PROGRAM, plan, BOOTS / name,
                       quit_when_done=rows[0].machine in (RUNNING, SLEPT),
                       accelerator=accelerator, swap="swap" in rows[0].setup)


def bus_label(text):
    """A session id as a D-Bus object path element, escaped as systemd escapes it."""
    return "".join(
        unit if unit.isascii() and (unit.isalpha() or (unit.isdigit() and index > 0))
        else f"_{ord(unit):02x}" for index, unit in enumerate(text))


def calls_of(messages):
    """The program's calls to the login manager and the errors it got, in order."""
    program_senders = {message["sender"] for message in messages if is_program_call(message)}
    seen = []
    for message in messages:
        if is_program_call(message):
            arguments = ", ".join(
                "true" if value is True else f'"{value}"' if isinstance(value, str) else
                str(value) for value in message["payload"]["data"])
            call = f"{message['member']}({arguments})"
            # The lock's confirmation is read again and again while it is waited for.
            if not (seen and seen[-1] == call and message["member"] == "Get"):
                seen.append(call)
        elif message["type"] == "error" and message.get("destination") in program_senders:
            seen.append(f"-> {message['error_name']}")
    return seen


class MachineTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        started = time.monotonic()
        accelerator = machine.choose_accelerator(IMAGE / "vmlinuz", BOOTS)
        print(f"accelerator: {accelerator.name}, since {accelerator.reason}", flush=True)
        lanes = max(1, min(os.cpu_count() or 1, len(boots())))
        with concurrent.futures.ThreadPoolExecutor(lanes) as pool:
            futures = {name: pool.submit(run_boot, name, rows, accelerator)
                       for name, rows in boots()}
            cls.boots = {name: future.result() for name, future in futures.items()}
        for name, boot in cls.boots.items():
            timings = "; ".join(note for note in boot.info
                                if re.search(r"(ready after|starts at|done at) ", note))
            print(f"boot {name}: {boot.seconds:.1f} s ({boot.accelerator}), longest silence "
                  f"{boot.longest_silence:.1f} s; uptimes: {timings}")
        print(f"all boots: {time.monotonic() - started:.1f} s in {lanes} lanes")

    def check_row(self, row, boot):
        where = (f"\nconsole's last lines:\n{boot.console_tail()}\nmachine's notes:\n"
                 + "\n".join(boot.info[-15:]) + f"\nQMP events: {boot.events}")
        self.assertFalse(boot.timed_out, f"the boot ran past {machine.BOOT_LIMIT} s{where}")
        self.assertFalse(boot.silent, f"the boot showed nothing for {machine.SILENCE_LIMIT} s, "
                                      f"after {boot.seconds:.0f} s{where}")
        result = boot.results.get(row.name)
        self.assertIsNotNone(result, f"the case left no result{where}")
        if isinstance(row.stderr, re.Pattern):
            self.assertRegex(result.stderr + "\n", row.stderr)
        else:
            self.assertEqual(result.stderr + ("\n" if result.stderr else ""), row.stderr)
        self.assertEqual(result.exit_code, row.exit)
        if row.calls is not None:
            messages = boot.bus.get(row.name, [])
            self.assertEqual(calls_of(messages), row.calls)
            for message in filter(is_program_call, messages):
                if message["member"] not in LOOK_UPS:
                    self.assertTrue(message["flags"] & ALLOW_INTERACTIVE_AUTHORIZATION)
        if row.word in ("LockScreen", "StandbyLock"):
            session = next(note.split("id=")[1].split()[0] for note in boot.info
                           if note.startswith(f"session {CONSOLE} "))
            messages = boot.bus.get(row.name, [])
            signals = [message["path"] for message in messages
                       if message["type"] == "signal" and message["member"] == "Lock"]
            self.assertEqual(signals, [f"/org/freedesktop/login1/session/{bus_label(session)}"])
            # The session's Lock signal comes before any sleep is asked for.
            order = [message["member"] for message in messages
                     if message.get("member") in ("Lock", "Suspend")]
            self.assertEqual(order, ["Lock"] + (["Suspend"] if row.word == "StandbyLock" else []))
        if row.machine in (RUNNING, SLEPT):
            self.assertTrue(boot.done and not boot.exited_by_itself,
                            f"the machine did not keep running{where}")
            self.assertNotIn("reboot: ", boot.console)
        if row.machine == SLEPT:
            self.assertEqual(boot.events.count("SUSPEND"), 1, where)
            self.assertIn("suspended", boot.events)
            self.assertIn(f"{row.name} woke up", boot.info)
        if row.machine in (OFF, HIBERNATED, RESTART):
            self.assertTrue(boot.exited_by_itself, f"qemu did not end by itself{where}")
        if row.machine in (OFF, RESTART):
            ending = "reboot: Restarting system" if row.machine == RESTART else \
                "reboot: Power down"
            self.assertIn(ending, boot.console, where)
        if row.machine == HIBERNATED:
            # The kernel powers off through the platform after writing the image, with no line
            # on a quiet console: the image's signature in the swap device is the trace.
            self.assertEqual(boot.swap_signature, b"S1SUSPEND\0")

    def test_every_row(self):
        for name, rows in boots():
            for row in rows:
                with self.subTest(row.name):
                    self.check_row(row, self.boots[name])


if __name__ == "__main__":
    machine.skip_without_tools()
    unittest.main(argv=sys.argv[:1], verbosity=2)
