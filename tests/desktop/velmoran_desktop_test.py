#!/usr/bin/python3
"""The native velmoran against a desktop of its own (desktop_bus.py): every command word by
argument and by link name reaches the service it stands for with the right arguments, and
refusals, missing services and help end as they should.

    /usr/bin/python3 velmoran_desktop_test.py PROGRAM [unittest options]"""
import ctypes
import os
import shutil
import sys
import time
import unittest

import desktop_bus

PROGRAM = None

LOGIND = "org.freedesktop.login1.Manager"
SKIP_INHIBITORS = 0x10
ACCESS_DENIED = "org.freedesktop.DBus.Error.AccessDenied"
INTERACTIVE_REQUIRED = "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"
MUTTER = ("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig",
          "org.gnome.Mutter.DisplayConfig")
SESSION_MANAGER = ("org.gnome.SessionManager", "/org/gnome/SessionManager",
                   "org.gnome.SessionManager")
KGLOBALACCEL = ("org.kde.kglobalaccel", "/component/org_kde_powerdevil",
                "org.kde.kglobalaccel.Component")
IDLE_MONITOR = ("org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core",
                "org.gnome.Mutter.IdleMonitor")

# Newer systemd: the *WithFlags methods know skip-inhibitors.
WITH_FLAGS = ""
# systemd 252 refuses every flag bit it does not know.
SYSTEMD_252_FLAGS = ("if args[0] & ~0x3: raise dbus.exceptions.DBusException("
                     "'Invalid flags parameter', name='org.freedesktop.DBus.Error.InvalidArgs')")


# The user's session, and a locker that follows logind's Lock signal and says so, as GNOME Shell
# and KWin do. Real logind only emits the signal; the locker then calls SetLockedHint. The mock
# does both in one step.
SESSION_PATH = "/org/freedesktop/login1/session/c1"
LOCKER = ("session = objects[" + repr(SESSION_PATH) + "]\n"
          "session.EmitSignal('org.freedesktop.login1.Session', 'Lock', '', [])\n"
          "session.UpdateProperties('org.freedesktop.login1.Session', {'LockedHint': dbus.Boolean(True)})")


def refusing(name, message):
    return f"raise dbus.exceptions.DBusException({message!r}, name={name!r})"


# Each word, the logind methods it must call with their arguments, in order, and the exit code.
# None for the words that go to the session bus instead.
WORD_ROWS = [
    ("Standby", [("Suspend", [True])]),
    ("StandbyLock", [("LockSession", ["auto"]), ("Suspend", [True])]),
    ("Hibernation", [("Hibernate", [True])]),
    ("HibernationLock", [("LockSession", ["auto"]), ("Hibernate", [True])]),
    ("LockScreen", [("LockSession", ["auto"])]),
    ("Poweroff", [("PowerOffWithFlags", [0])]),
    ("PoweroffForce", [("PowerOffWithFlags", [SKIP_INHIBITORS])]),
    ("Reboot", [("RebootWithFlags", [0])]),
    ("RebootForce", [("RebootWithFlags", [SKIP_INHIBITORS])]),
]
LOGIND_METHODS = ["Suspend", "Hibernate", "LockSession", "PowerOffWithFlags", "RebootWithFlags",
                  "PowerOff", "Reboot", "TerminateSession"]


class DesktopTest(unittest.TestCase):
    def setUp(self):
        self.desktop = desktop_bus.Desktop()
        self.addCleanup(self.desktop.close)

    def logind(self, flags_code=WITH_FLAGS, with_flags=True, parameters=None, locker=True,
               lock_code=""):
        """The login manager with the user's session c1, which GetSession names for "auto" and
        every id; lock_code runs first in LockSession, and where a locker listens it locks."""
        logind = self.desktop.start_mock("system", template="logind", parameters=parameters)
        if with_flags:
            for method in ("PowerOffWithFlags", "RebootWithFlags"):
                logind.add_method(LOGIND, method, "t", "", flags_code)
        logind.control().AddSession("c1", "seat0", 1000, "user", True)
        logind.add_method(LOGIND, "GetSession", "s", "o", f"ret = {SESSION_PATH!r}")
        logind.add_method(LOGIND, "LockSession", "s", "",
                          "\n".join(code for code in (lock_code, LOCKER if locker else "") if code))
        return logind

    def logind_calls(self, logind):
        return [call for call in logind.all_calls() if call[0] in LOGIND_METHODS]

    def run_word(self, word, by_link=False, **options):
        if not by_link:
            return self.desktop.run(PROGRAM, [word], **options)
        links = os.path.join(self.desktop.folder, "links")
        os.makedirs(links, exist_ok=True)
        link = os.path.join(links, word)
        os.symlink(PROGRAM, link)
        return self.desktop.run(link, **options)

    def assert_run(self, run, code, reason=None):
        self.assertEqual(run.code, code, run.stderr)
        if reason is None:
            self.assertEqual(run.stderr, "")
        else:
            self.assertIn(reason, run.stderr)
            self.assertEqual(run.stderr.count("\n"), 1, run.stderr)
        self.assertEqual(run.stdout, "")


class LogindWordsTest(DesktopTest):
    def test_each_word_calls_logind_by_argument_and_by_link_name(self):
        logind = self.logind()
        for by_link in (False, True):
            for word, expected in WORD_ROWS:
                with self.subTest(word=word, by_link=by_link):
                    logind.control().ClearCalls()
                    self.assert_run(self.run_word(word, by_link), 0)
                    self.assertEqual(self.logind_calls(logind), expected)

    def test_power_calls_allow_a_polkit_prompt_and_no_call_starts_a_service(self):
        no_auto_start, allow_interactive = 0x2, 0x4
        self.logind()
        watch = self.desktop.monitor("system")
        for word in ("StandbyLock", "Hibernation", "Poweroff", "RebootForce"):
            self.assert_run(self.run_word(word), 0)
        flags = {member: [call[0] for call in watch.method_calls(member)]
                 for member in ("LockSession", "Suspend", "Hibernate", "ListInhibitors",
                                "PowerOffWithFlags", "RebootWithFlags")}
        interactive = no_auto_start | allow_interactive
        self.assertEqual(flags, {"LockSession": [no_auto_start], "Suspend": [interactive],
                                 "Hibernate": [interactive], "ListInhibitors": [no_auto_start],
                                 "PowerOffWithFlags": [interactive],
                                 "RebootWithFlags": [interactive]})

    def test_a_block_inhibitor_of_shutdown_holds_back_the_plain_words_and_names_its_holders(self):
        block = [("sleep:shutdown", "Brasero", "burning a disc", "block", 1000, 4242),
                 ("shutdown", "Updater", "installing updates", "block", 0, 17)]
        # A delay only holds a shutdown up; the others block other things (a list of what is
        # held back names whole words).
        others = [("shutdown", "Mail", "saving drafts", "delay", 1000, 4243),
                  ("sleep:handle-power-key", "Player", "playing", "block", 1000, 4244),
                  ("shutdown-later", "Odd", "not shutdown", "block", 1000, 4245)]
        holders = "held back by Brasero (burning a disc), Updater (installing updates)"
        unreadable = refusing(ACCESS_DENIED, "Permission denied")
        for inhibitors, word, code, reason, expected in (
                (block + others, "Poweroff", 2, f"velmoran: PowerOff: {holders}\n", []),
                (block + others, "Reboot", 2, f"velmoran: Reboot: {holders}\n", []),
                (others, "Poweroff", 0, None, [("PowerOffWithFlags", [0])]),
                (others, "Reboot", 0, None, [("RebootWithFlags", [0])]),
                (block, "PoweroffForce", 0, None, [("PowerOffWithFlags", [SKIP_INHIBITORS])]),
                (block, "RebootForce", 0, None, [("RebootWithFlags", [SKIP_INHIBITORS])]),
                (unreadable, "Poweroff", 0, None, [("PowerOffWithFlags", [0])])):
            with self.subTest(word=word, inhibitors=inhibitors):
                logind = self.logind()
                code_text = inhibitors if isinstance(inhibitors, str) else f"ret = {inhibitors!r}"
                logind.add_method(LOGIND, "ListInhibitors", "", "a(ssssuu)", code_text)
                run = self.run_word(word)
                self.assert_run(run, code, reason)
                if reason is not None:
                    self.assertEqual(run.stderr, reason)
                self.assertEqual(self.logind_calls(logind), expected)
                self.assertEqual(len(logind.calls("ListInhibitors")),
                                 0 if word.endswith("Force") else 1)
                self.desktop.stop_mock(logind)

    def test_systemd_252_refusing_skip_inhibitors_gets_the_plain_flags(self):
        logind = self.logind(SYSTEMD_252_FLAGS)
        for word, method in (("PoweroffForce", "PowerOffWithFlags"),
                             ("RebootForce", "RebootWithFlags")):
            with self.subTest(word=word):
                self.assert_run(self.run_word(word), 0)
                self.assertEqual(logind.calls(method), [[SKIP_INHIBITORS], [0]])

    def test_elogind_without_flags_methods_gets_the_interactive_plain_calls(self):
        logind = self.logind(with_flags=False)
        for word, method in (("Poweroff", "PowerOff"), ("PoweroffForce", "PowerOff"),
                             ("Reboot", "Reboot"), ("RebootForce", "Reboot")):
            with self.subTest(word=word):
                logind.control().ClearCalls()
                self.assert_run(self.run_word(word), 0)
                self.assertEqual(self.logind_calls(logind), [(method, [True])])

    def test_a_refusal_by_polkit_exits_2_with_its_reason(self):
        for error, message in ((ACCESS_DENIED, "Permission denied"),
                               (INTERACTIVE_REQUIRED, "Interactive authentication required.")):
            for word, method, signature in (("Standby", "Suspend", "b"),
                                            ("Hibernation", "Hibernate", "b"),
                                            ("Reboot", "RebootWithFlags", "t")):
                with self.subTest(error=error, word=word):
                    logind = self.logind()
                    logind.add_method(LOGIND, method, signature, "", refusing(error, message))
                    self.assert_run(self.run_word(word), 2, f"{error}: {message}")
                    self.desktop.stop_mock(logind)

    def test_a_sleep_state_logind_cannot_do_is_refused_without_asking_for_it(self):
        for word, parameters, reason in (
                ("Hibernation", {"CanHibernate": "na"}, "can not hibernate (CanHibernate: na)"),
                ("HibernationLock", {"CanHibernate": "no"}, "can not hibernate (CanHibernate: no)"),
                ("Standby", {"CanSuspend": "na"}, "can not suspend (CanSuspend: na)")):
            with self.subTest(word=word):
                logind = self.logind(parameters=parameters)
                self.assert_run(self.run_word(word), 2, reason)
                locks = [("LockSession", ["auto"])] if word.endswith("Lock") else []
                self.assertEqual(self.logind_calls(logind), locks)
                self.desktop.stop_mock(logind)

    def test_after_a_refused_lock_the_sleep_state_logind_cannot_do_is_still_said(self):
        no_session = refusing("org.freedesktop.login1.NoSessionForPID", "no session")
        self.logind(parameters={"CanSuspend": "no"}, lock_code=no_session)
        run = self.run_word("StandbyLock")
        self.assertEqual(run.code, 2, run.stderr)
        self.assertIn("LockSession: ", run.stderr)
        self.assertIn("can not suspend (CanSuspend: no)", run.stderr)
        self.assertEqual(run.stderr.count("\n"), 2, run.stderr)

    def test_without_any_bus_every_action_is_refused_within_seconds(self):
        absent = {"DBUS_SYSTEM_BUS_ADDRESS": self.desktop.absent_address("system"),
                  "DBUS_SESSION_BUS_ADDRESS": self.desktop.absent_address("session")}
        for word, reason, code in (("Standby", "no system bus", 2),
                                   ("PoweroffForce", "no system bus", 2),
                                   ("LockScreen", "no session bus", 2),
                                   ("Logoff", "no session bus", 2),
                                   ("DisplayOff", "no X display", 2),
                                   ("ScreenSaver", "no X display", 2)):
            with self.subTest(word=word):
                run = self.desktop.run(PROGRAM, [word], env=absent, without=["DISPLAY"])
                self.assert_run(run, code, reason)
                self.assertLess(run.seconds, 5)

    def test_a_refused_lock_goes_on_to_the_session_id_then_the_screen_saver(self):
        no_session = refusing("org.freedesktop.login1.NoSessionForPID", "no session")
        logind = self.logind(lock_code="if args[0] == 'auto': " + no_session)
        self.assert_run(self.run_word("LockScreen", env={"XDG_SESSION_ID": "c7"}), 0)
        self.assertEqual(logind.calls("LockSession"), [["auto"], ["c7"]])
        self.desktop.stop_mock(logind)

        # GNOME's shell locks when asked itself, and sets the session's hint.
        logind = self.logind(lock_code=no_session)
        saver = self.desktop.start_mock("session", template="gnome_screensaver")
        saver.add_method("org.gnome.ScreenSaver", "Lock", "", "",
                         "dbus.SystemBus().get_object('org.freedesktop.login1', "
                         f"{SESSION_PATH!r}).SetLockedHint(True, "
                         "dbus_interface='org.freedesktop.login1.Session')")
        self.assert_run(self.run_word("LockScreen", env={"XDG_SESSION_ID": "c7"}), 0)
        self.assertEqual(logind.calls("LockSession"), [["auto"], ["c7"]])
        self.assertEqual(saver.calls("Lock"), [[]])

    def test_a_lock_that_no_locker_confirms_fails_after_asking_the_desktop_too(self):
        # logind without a listening locker (GNOME without a display manager: no lock screen),
        # and a desktop service that answers Lock but never locks.
        logind = self.logind(locker=False)
        saver = self.desktop.start_mock("session", template="gnome_screensaver")
        run = self.run_word("LockScreen")
        self.assert_run(run, 2, "LockSession: asked org.freedesktop.login1 and "
                        "org.gnome.ScreenSaver; no locker confirmed the lock")
        self.assertEqual(logind.calls("LockSession"), [["auto"]])
        self.assertEqual(saver.calls("Lock"), [[]])
        self.assertLess(run.seconds, 8)


class SessionWordsTest(DesktopTest):
    def test_logoff_asks_the_session_manager_without_confirmation_and_never_terminates(self):
        logind = self.logind()
        manager = self.desktop.start_mock("session", *SESSION_MANAGER)
        manager.add_method(SESSION_MANAGER[2], "Logout", "u")
        for by_link in (False, True):
            with self.subTest(by_link=by_link):
                manager.control().ClearCalls()
                self.assert_run(self.run_word("Logoff", by_link), 0)
                self.assertEqual(manager.calls("Logout"), [[1]])
                self.assertEqual(self.logind_calls(logind), [])

    def test_logoff_without_a_session_manager_is_refused_and_terminates_nothing(self):
        logind = self.logind()
        self.assert_run(self.run_word("Logoff"), 2, "no session manager")
        self.assertEqual(self.logind_calls(logind), [])
        self.assertEqual(logind.all_calls(SESSION_PATH), [])

    def test_display_off_goes_to_kde_first_then_to_mutter(self):
        mutter = self.desktop.start_mock("session", *MUTTER)
        mutter.control().AddProperty(MUTTER[2], "PowerSaveMode", desktop_bus.dbus.Int32(0))
        for by_link in (False, True):
            with self.subTest(by_link=by_link):
                self.assert_run(self.run_word("DisplayOff", by_link), 0)
                self.assertEqual(mutter.property(MUTTER[2], "PowerSaveMode"), 3)
                mutter.object().Set(MUTTER[2], "PowerSaveMode", desktop_bus.dbus.Int32(0),
                                    dbus_interface="org.freedesktop.DBus.Properties")

        kde = self.desktop.start_mock("session", *KGLOBALACCEL)
        kde.add_method(KGLOBALACCEL[2], "invokeShortcut", "s")
        self.assert_run(self.run_word("DisplayOff", by_link=False), 0)
        self.assertEqual(kde.calls("invokeShortcut"), [["Turn Off Screen"]])
        self.assertEqual(mutter.property(MUTTER[2], "PowerSaveMode"), 0)

    def test_display_off_waits_for_quiet_input_where_the_desktop_tells_the_idle_time(self):
        mutter = self.desktop.start_mock("session", *MUTTER)
        mutter.control().AddProperty(MUTTER[2], "PowerSaveMode", desktop_bus.dbus.Int32(0))
        idle = self.desktop.start_mock("session", *IDLE_MONITOR)
        # Input 100 ms ago, then none: asked again after the wait, then the displays go off.
        idle.add_method(IDLE_MONITOR[2], "GetIdletime", "", "t",
                        "self.asked = getattr(self, 'asked', 0) + 1\n"
                        "ret = dbus.UInt64(100 if self.asked == 1 else 60000)")
        self.assert_run(self.run_word("DisplayOff"), 0)
        self.assertEqual(len(idle.calls("GetIdletime")), 2)
        self.assertEqual(mutter.property(MUTTER[2], "PowerSaveMode"), 3)

    def test_the_screen_saver_starts_through_gnome_by_argument_and_by_link_name(self):
        saver = self.desktop.start_mock("session", template="gnome_screensaver")
        for by_link in (False, True):
            with self.subTest(by_link=by_link):
                saver.control().ClearCalls()
                self.assert_run(self.run_word("ScreenSaver", by_link), 0)
                self.assertEqual(saver.calls("SetActive"), [[True]])


    def test_a_screen_saver_that_only_inhibits_or_stays_inactive_is_not_reported_started(self):
        not_supported = refusing("org.freedesktop.DBus.Error.NotSupported", "not supported")
        for name, path, code, reason in (
                # gnome-settings-daemon's and xscreensaver-systemd's common interface.
                ("org.freedesktop.ScreenSaver", "/ScreenSaver", not_supported,
                 "org.freedesktop.ScreenSaver only inhibits"),
                ("org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", "",
                 "org.gnome.ScreenSaver did not report that it is active")):
            with self.subTest(name=name):
                saver = self.desktop.start_mock("session", name, path, name)
                saver.add_method(name, "SetActive", "b", "", code)
                saver.add_method(name, "GetActive", "", "b", "ret = False")
                self.assert_run(self.run_word("ScreenSaver", without=["DISPLAY"]), 2, reason)
                self.desktop.stop_mock(saver)


class X11Test(DesktopTest):
    def screen_saver_state(self):
        x11 = ctypes.CDLL("libX11.so.6")
        xss = ctypes.CDLL("libXss.so.1")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

        class Info(ctypes.Structure):
            _fields_ = [("window", ctypes.c_ulong), ("state", ctypes.c_int),
                        ("kind", ctypes.c_int), ("til_or_since", ctypes.c_ulong),
                        ("idle", ctypes.c_ulong), ("event_mask", ctypes.c_ulong)]

        xss.XScreenSaverQueryInfo.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                              ctypes.POINTER(Info)]
        display = x11.XOpenDisplay(self.desktop.display.encode())
        self.assertTrue(display)
        info = Info()
        xss.XScreenSaverQueryInfo(display, x11.XDefaultRootWindow(display), ctypes.byref(info))
        x11.XCloseDisplay(display)
        return info.state

    def test_without_desktop_services_the_x11_screen_saver_starts(self):
        self.desktop.start_display()
        screen_saver_on = 1
        self.assertNotEqual(self.screen_saver_state(), screen_saver_on)
        self.assert_run(self.run_word("ScreenSaver"), 0)
        self.assertEqual(self.screen_saver_state(), screen_saver_on)

    def test_display_off_on_an_x_server_without_dpms_says_so(self):
        self.desktop.start_display()
        self.assert_run(self.run_word("DisplayOff"), 2, "the X display has no DPMS extension")


class HelpTest(DesktopTest):
    def setUp(self):
        super().setUp()
        self.tools = os.path.join(self.desktop.folder, "tools")
        self.opened = os.path.join(self.desktop.folder, "opened.log")
        os.makedirs(self.tools)
        opener = os.path.join(self.tools, "xdg-open")
        with open(opener, "w") as file:
            file.write('#!/bin/sh\nprintf "%s\\n" "$*" >> "' + self.opened + '"\n')
        os.chmod(opener, 0o755)
        self.path = {"PATH": self.tools + ":" + os.environ.get("PATH", "/usr/bin:/bin")}

    def opened_files(self):
        if not os.path.exists(self.opened):
            return []
        with open(self.opened) as file:
            return file.read().splitlines()

    def test_the_read_me_beside_the_real_file_is_opened_also_through_a_link(self):
        home = os.path.join(self.desktop.folder, "home")
        os.makedirs(home)
        program = shutil.copy(PROGRAM, os.path.join(home, "velmoran"))
        read_me = os.path.join(home, "ReadMe_Velmoran.txt")
        with open(read_me, "w") as file:
            file.write("read me\n")
        os.symlink(program, os.path.join(self.desktop.folder, "Help"))
        for path in (program, os.path.join(self.desktop.folder, "Help")):
            with self.subTest(path=path):
                run = self.desktop.run(path, ["NoSuchWord"] if path == program else [],
                                       env=self.path, without=["DISPLAY"])
                self.assert_run(run, 1)
        # The opener is not waited for.
        for _ in range(100):
            if len(self.opened_files()) == 2:
                break
            time.sleep(0.05)
        self.assertEqual(self.opened_files(), [read_me, read_me])

    def test_without_a_read_me_the_usage_goes_to_standard_error(self):
        run = self.desktop.run(PROGRAM, ["NoSuchWord"], env=self.path, without=["DISPLAY"])
        self.assertEqual(run.code, 1)
        self.assertTrue(run.stderr.startswith("Velmoran\n(1) Execute this program"), run.stderr)
        self.assertIn("   RebootForce\r\n", run.stderr)
        self.assertEqual(self.opened_files(), [])


    def test_on_a_desktop_the_usage_is_a_dialog_waited_for(self):
        shown = os.path.join(self.desktop.folder, "dialog.log")
        dialog = os.path.join(self.tools, "zenity")
        with open(dialog, "w") as file:
            file.write('#!/bin/sh\nexec >/dev/null 2>&1\nsleep 0.3\nprintf "%s\\n" "$@" > "' + shown + '"\n')
        os.chmod(dialog, 0o755)
        run = self.desktop.run(PROGRAM, ["NoSuchWord"], env=dict(self.path, DISPLAY=":9"))
        self.assert_run(run, 1)
        with open(shown) as file:
            arguments = file.read()
        self.assertTrue(arguments.startswith("--info\n--no-markup\n--title=Velmoran\n"
                                             "--text=(1) Execute this program"), arguments)
        self.assertTrue(arguments.endswith("\n   RebootForce\n"), arguments)
        self.assertNotIn("\r", arguments)


class HarnessTest(unittest.TestCase):
    def test_a_program_is_never_started_on_a_bus_of_another(self):
        desktop = desktop_bus.Desktop()
        self.addCleanup(desktop.close)
        marker = os.path.join(desktop.folder, "started")
        for kind in ("SYSTEM", "SESSION"):
            for address in ("unix:path=/run/dbus/system_bus_socket", None):
                with self.subTest(kind=kind, address=address):
                    env = {} if address is None else {f"DBUS_{kind}_BUS_ADDRESS": address}
                    without = [f"DBUS_{kind}_BUS_ADDRESS"] if address is None else []
                    with self.assertRaises(RuntimeError):
                        desktop.run("/usr/bin/touch", [marker], env=env, without=without)
        self.assertFalse(os.path.exists(marker))


def main():
    global PROGRAM
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)


if __name__ == "__main__":
    main()
