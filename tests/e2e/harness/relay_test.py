"""Reading Wine's relay trace and matching expected calls, without Wine."""

import unittest

import relay

TRACE = r"""
0030:0034:trace:relay:load_list L"RelayInclude" = L"PostMessageA"
0030:0034:Call PE DLL (proc=7BC69420,module=7BC00000 L"ntdll.dll",reason=PROCESS_ATTACH,res=0060FD24)
0030:0034:Call user32.PostMessageA(0000ffff,00000112,0000f170,00000002) ret=004015d8
0030:0038:Call KERNEL32.GetFileAttributesA(00d95ab8 "C:\\Caf\xe9\\\x83\\\\R\"q\".txt") ret=00401700
0030:0034:Ret  user32.PostMessageA() retval=00000001 ret=004015d8
0030:0034:Call window proc 688A2120 (hwnd=000F0068,msg=WM_NCCREATE,wp=00000000,lp=0068f034)
0030:0038:Ret  KERNEL32.GetFileAttributesA() retval=ffffffff ret=00401700
0030:0034:Call shell32.ShellExecuteExA(0068fc0c) ret=00401759
0030:0038:trace:exec:SHELL_execute mask=0x00000001 hwnd=00000000 verb=(null) file=L"other" parm=(null) dir=(null) show=0x00000000 class=not used
0030:0034:trace:exec:SHELL_execute mask=0x00000440 hwnd=00000000 verb=L"" file=L"C:\\e2e\\\30bd\\ReadMe.txt" parm=(null) dir=(null) show=0x00000001 class=not used
0030:0034:Call KERNEL32.GetFileAttributesW(0068d390 L"C:\\e2e\\\30bd\\ReadMe.txt") ret=71472d99
0030:0034:Ret  KERNEL32.GetFileAttributesW() retval=00000020 ret=71472d99
0030:0034:Ret  shell32.ShellExecuteExA() retval=00000001 ret=00401759
0040:0044:Call user32.PostMessageA(0000ffff,00000112,0000f170,00000002) ret=004015d8
0030:0034:Call powrprof.SetSuspendState(7a3c0001,00000000,0f0f0f00) ret=00401800
0030:0034:Ret  powrprof.SetSuspendState() retval=12345601 ret=00401800
0030:0034:Call advapi32.LookupPrivilegeValueA(00000000,0040a000 "SeShutdownPrivilege",0068fd00) ret=00401900
0030:0034:Call KERNEL32.GetFileAttributesA(0060fba4 "abcdefghij"...) ret=00401a00
0030:0034:Ret  KERNEL32.GetFileAttributesA() retval=ffffffff ret=00401a00
0030:0034:Call user32.ExitWindowsEx(00000000,00000000) ret=00401b00
0030:0034:trace:loaddll:build_module Loaded L"C:\\windows\\system32\\shell32.dll" at 7A000000: builtin
0040:0044:trace:loaddll:build_module Loaded L"C:\\e2e\\tools\\uxtheme.dll" at 10000000: native
0030:0034:trace:loaddll:build_module Loaded L"C:\\e2e\\\30bd\\version.dll" at 10000000: native
""".strip().splitlines()


def own_calls():
    return relay.calls_from_image(relay.parse_trace(TRACE), pid=0x30, base=0x400000, size=0x10000)


class ParseTraceTest(unittest.TestCase):
    def test_keeps_only_the_process_own_image_in_call_order(self):
        names = [c.function for c in own_calls()]
        # The second PostMessageA is another process's, GetFileAttributesW came from shell32.
        self.assertEqual(
            names,
            [
                "PostMessageA",
                "GetFileAttributesA",
                "ShellExecuteExA",
                "SetSuspendState",
                "LookupPrivilegeValueA",
                "GetFileAttributesA",
                "ExitWindowsEx",
            ],
        )

    def test_pairs_results_per_thread(self):
        calls = own_calls()
        self.assertEqual(calls[0].result, 1)
        self.assertEqual(calls[1].result, 0xFFFFFFFF)
        self.assertEqual(calls[2].result, 1)

    def test_call_without_return_has_no_result(self):
        self.assertIsNone(own_calls()[-1].result)
        self.assertIsNone(own_calls()[4].result)

    def test_decodes_narrow_quoting_to_bytes(self):
        text = own_calls()[1].arguments[0]
        # 0x83 0x5C is one double-byte character; the separator follows it.
        self.assertEqual(text, relay.Text(b'C:\\Caf\xe9\\\x83\x5c\\R"q".txt'))

    def test_marks_text_cut_short(self):
        self.assertEqual(own_calls()[5].arguments[0], relay.Text(b"abcdefghij", truncated=True))

    def test_null_text_is_a_number(self):
        self.assertEqual(own_calls()[4].arguments[0], 0)

    def test_attaches_shell_fields_of_the_same_thread(self):
        shell = own_calls()[2].shell
        self.assertEqual(shell["mask"], 0x440)
        self.assertEqual(shell["verb"], "")
        self.assertEqual(shell["file"], "C:\\e2e\\\u30bd\\ReadMe.txt")
        self.assertIsNone(shell["parm"])
        self.assertEqual(shell["show"], 1)

    def test_renders_booleans_by_low_byte(self):
        self.assertEqual(str(own_calls()[3]), "powrprof.SetSuspendState(01, 00, 00) = 01")


# A 64-bit program's trace: 16-digit addresses, and 32-bit arguments in whole registers.
WIDE_TRACE = r"""
0050:0054:Call advapi32.OpenProcessToken(ffffffffffffffff,00000028,0021fbd8) ret=0000000140001a2b
0050:0054:Ret  advapi32.OpenProcessToken() retval=00000001 ret=0000000140001a2b
0050:0054:Call advapi32.InitiateSystemShutdownExA(00000000,00000000,00000000,00000000,1300000001,200000001) ret=0000000140001b00
0050:0054:Ret  advapi32.InitiateSystemShutdownExA() retval=0000000000000001 ret=0000000140001b00
0050:0054:Call user32.ExitWindowsEx(00000000,00000000) ret=0000000170001000
""".strip().splitlines()


def wide_calls():
    return relay.calls_from_image(relay.parse_trace(WIDE_TRACE), 0x50, 0x140000000, 0x10000)


class DllLoadsTest(unittest.TestCase):
    def test_keeps_one_process_loads_with_their_paths_and_kinds(self):
        self.assertEqual(
            relay.dll_loads(TRACE, pid=0x30),
            [("C:\\windows\\system32\\shell32.dll", "builtin"),
             ("C:\\e2e\\\u30bd\\version.dll", "native")],
        )


class MatchTest(unittest.TestCase):
    CASES = [
        # (expected, index of the observed call, matches)
        ("user32.PostMessageA(0000ffff, 00000112, 0000f170, 00000002) = 00000001", 0, True),
        ("USER32.PostMessageA(ffff, 112, f170, 2) = 1", 0, True),
        ("user32.postmessagea(ffff, 112, f170, 2)", 0, False),
        ("user32.PostMessageA(ffff, 112, f170, 1) = 1", 0, False),
        ("user32.PostMessageA(ffff, 112, f170) = 1", 0, False),
        ("user32.PostMessageA(ffff, *, *, *)", 0, True),
        ("user32.PostMessageA(ffff, 112, f170, 2) = 0", 0, False),
        ("user32.PostMessageA(ffff, 112, f170, 2) = *", 0, True),
        ("powrprof.SetSuspendState(01, 00, 00) = 01", 3, True),
        ("powrprof.SetSuspendState(00, 00, 00) = 01", 3, False),
        ("powrprof.SetSuspendState(01, 00, 00) = 00", 3, False),
        ("powrprof.SetSuspendState(7a3c0001, 0, f0f0f00) = 12345601", 3, True),
        (r'kernel32.GetFileAttributesA("C:\\Caf\xe9\\\x83\\\\R\"q\".txt") = ffffffff', 1, True),
        (r'kernel32.GetFileAttributesA("C:\\Caf\xe9\\\x83\\R\"q\".txt") = ffffffff', 1, False),
        (r'kernel32.GetFileAttributesA("C:\\Cafe\\\x83\\\\R\"q\".txt") = ffffffff', 1, False),
        (r'kernel32.GetFileAttributesA(L"C:\\Caf\00e9\\\0083\\\\R\"q\".txt")', 1, False),
        ('kernel32.GetFileAttributesA("abcdefghijklmnop")', 5, True),
        ('kernel32.GetFileAttributesA("abcdefghiJklmnop")', 5, False),
        ('advapi32.LookupPrivilegeValueA(00000000, "SeShutdownPrivilege", *)', 4, True),
        ('advapi32.LookupPrivilegeValueA("", "SeShutdownPrivilege", *)', 4, False),
        ('advapi32.LookupPrivilegeValueA(0, "SeShutdownPrivilege", *) = 1', 4, False),
        ("user32.ExitWindowsEx(0, 0)", 6, True),
    ]

    # The same against a 64-bit program's trace.
    WIDE_CASES = [
        ("advapi32.OpenProcessToken(ffffffff, 00000028, *) = 00000001", 0, True),
        ("advapi32.OpenProcessToken(fffffffe, 00000028, *) = 00000001", 0, False),
        ("advapi32.InitiateSystemShutdownExA(0, 0, 0, 0, 1, 1) = 1", 1, True),
        ("advapi32.InitiateSystemShutdownExA(0, 0, 0, 1, 1, 1) = 1", 1, False),
    ]

    def test_table(self):
        self.assertEqual([c.function for c in wide_calls()],
                         ["OpenProcessToken", "InitiateSystemShutdownExA"])
        for calls, rows in ((own_calls(), self.CASES), (wide_calls(), self.WIDE_CASES)):
            for expected, index, matches in rows:
                with self.subTest(expected=expected):
                    expected_call = relay.parse_expected(expected)
                    self.assertEqual(relay.call_matches(expected_call, calls[index]), matches)

    def test_rendered_calls_match_themselves(self):
        for call in own_calls():
            with self.subTest(call=str(call)):
                self.assertTrue(relay.call_matches(relay.parse_expected(str(call)), call))

    def test_expected_calls_render_their_wildcards(self):
        # A failing row lists its expected calls, wildcards and all.
        for text in ["advapi32.OpenProcessToken(ffffffff, 00000028, *) = 00000001",
                     "shell32.ShellExecuteExA(*) = *",
                     "powrprof.SetSuspendState(01, *, 00) = 01"]:
            with self.subTest(text=text):
                self.assertEqual(str(relay.parse_expected(text)), text)

    def test_placeholders_expand_in_texts_only(self):
        expected = relay.parse_expected(
            r'kernel32.GetFileAttributesA("{dir}\\R\"q\".txt")',
            lambda t: relay.Text(t.value.replace(b"{dir}", b"C:\\Caf\xe9\\\x83\x5c"), t.truncated),
        )
        self.assertTrue(relay.call_matches(expected, own_calls()[1]))

    def test_quote_is_the_trace_quoting(self):
        self.assertEqual(relay.quote(b'a\\"\r\n\t\xe9'), r'"a\\\"\r\n\t\xe9"')
        self.assertEqual(relay.quote("\u30bd\\"), r'L"\30bd\\"')

    def test_rejects_what_is_not_a_call(self):
        for text in ["PostMessageA(1)", "user32.PostMessageA(1", 'user32.F("open)', "user32.F(zz)"]:
            with self.subTest(text=text):
                with self.assertRaises(ValueError):
                    relay.parse_expected(text)


if __name__ == "__main__":
    unittest.main()
