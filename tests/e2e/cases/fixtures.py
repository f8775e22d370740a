"""Cases that prove the end-to-end harness on small fixture programs: exact raw command lines,
both code pages, non-ASCII folders, renamed copies, relay calls, message boxes, the .txt
viewer and DLL planting."""

from wine_e2e import Box, Case, quote

ECHO = "echo_line.exe"
# 434 bytes: the trace quotes only the first 300 characters of a text.
BOX_TEXT = b"".join(b"Line %02d of the fixture's box.\r\n" % line for line in range(1, 15))
README_PATH = "{dir}\\ReadMe_Velmoran.txt"
README_QUERY = "kernel32.GetFileAttributesA(%s)" % quote(README_PATH.encode())

CASES = [
    # Raw command lines reach GetCommandLineA byte for byte; the exit code (the code page)
    # is more than 255, so it is not cut to the 8 bits of a Unix exit status.
    Case("line_quoted_program", line='"{exe}" DisplayOff', program=ECHO, exit_code=1252,
         echo={"line": b'"{exe}" DisplayOff', "acp": 1252}),
    Case("line_blanks_tabs_crlf_glued_quotes", program=ECHO, exit_code=1252,
         line=b'  "{exe}"\tReboot\r\n"glu"ed""  -h  ',
         echo={"line": b'  "{exe}"\tReboot\r\n"glu"ed""  -h  '}),
    Case("line_unquoted_blank_in_path", program=ECHO, folder="Program Files",
         file_name="Reboot.exe", line=b"{exe} Standby", exit_code=1252,
         echo={"line": b"{exe} Standby", "module": b"{exe}"}),
    # Wine hands a program started with an empty line its own quoted path instead.
    Case("line_empty_becomes_quoted_program", program=ECHO, line=b"", exit_code=1252,
         echo={"line": b'"{exe}"'}),
    Case("copy_named_reboot_lower_case", program=ECHO, file_name="reboot.exe", line='"{exe}"',
         exit_code=1252, echo={"module": b"{dir}\\reboot.exe"}),
    # Locales and folders whose names are not ASCII.
    Case("cafe_folder_code_page_1252", program=ECHO, folder="Café", file_name="DisplayOff.exe",
         line='"{exe}"', exit_code=1252,
         echo={"line": b'"{exe}"', "module": b"{exe}", "acp": 1252}),
    Case("cafe_folder_code_page_932", program=ECHO, folder="Café", file_name="Tool.exe",
         locale="ja_JP.UTF-8", line='"{exe}" x', exit_code=932,
         echo={"line": b'"{exe}" x', "module": b"{exe}", "acp": 932}),
    Case("shift_jis_folder_ending_in_5c", program=ECHO, folder="ソ", file_name="Tool.exe",
         locale="ja_JP.UTF-8", line=b'"{exe}" \x83\x5c', exit_code=932,
         echo={"line": b'"{exe}" \x83\x5c', "module": b"{dir}\\Tool.exe", "acp": 932}),
    # Calls from the program's own image, with their arguments and results.
    Case("broadcast_displays_off", program="monitor_off.exe", line='"{exe}"', exit_code=0,
         calls=["user32.PostMessageA(0000ffff, 00000112, 0000f170, 00000002) = 00000001"]),
    Case("one_byte_booleans_through_system_powrprof", program="loads_powrprof.exe",
         line='"{exe}"', exit_code=0,
         watch=("LoadLibraryExW", "SetSuspendState"),
         calls=['kernel32.LoadLibraryExW(L"powrprof.dll", 00000000, 00000800) = *',
                "powrprof.SetSuspendState(01, 00, 00) = 01"]),
    # Message boxes are read, closed with OK, and the program ends.
    Case("box_read_and_closed", program="show_box.exe", line='"{exe}"', exit_code=1,
         boxes=[Box(b"Fixture", BOX_TEXT)],
         calls=['user32.MessageBoxA(00000000, %s, "Fixture", 00000040) = 00000001'
                % quote(BOX_TEXT)]),
    # The shell opens a read-me through the prefix's .txt viewer.
    Case("readme_opened_by_the_shell", program="open_readme.exe", line='"{exe}"', exit_code=1,
         readme="file", opened=[README_PATH],
         calls=[README_QUERY + " = 00000020",
                "shell32.ShellExecuteExA(*) = 00000001"],
         shell=[{"verb": None, "file": README_PATH, "parm": None, "show": 1}]),
    Case("readme_directory_is_no_readme", program="open_readme.exe", line='"{exe}"',
         exit_code=1, readme="directory", boxes=[Box(b"Fixture", b"missing")],
         calls=[README_QUERY + " = 00000010",
                'user32.MessageBoxA(00000000, "missing", "Fixture", 00000000) = 00000001']),
    Case("readme_in_current_directory_only", program="open_readme.exe", line='"{exe}"',
         exit_code=1, readme_in_cwd=True, boxes=[Box(b"Fixture", b"missing")]),
    Case("readme_beside_program_in_shift_jis_folder", program="open_readme.exe", folder="ソ",
         locale="ja_JP.UTF-8", line='"{exe}"', exit_code=1, readme="file",
         opened=[README_PATH],
         calls=[README_QUERY + " = 00000020",
                "shell32.ShellExecuteExA(*) = 00000001"]),
    Case("readme_beside_program_in_cafe_folder", program="open_readme.exe", folder="Café",
         line='"{exe}"', exit_code=1, readme="file", opened=[README_PATH]),
    # DLL planting: the control program is caught loading the plant, which proves that the
    # settings can catch it; loading from the system directory is not.
    Case("plant_loaded_by_ordinary_import", program="imports_powrprof.exe", line='"{exe}"',
         exit_code=0, plants=["powrprof"], plants_ran=["powrprof"]),
    Case("plant_ignored_by_system_directory_load", program="loads_powrprof.exe",
         line='"{exe}"', exit_code=0, plants=["powrprof"],
         calls=["powrprof.SetSuspendState(01, 00, 00) = 01"]),
]
