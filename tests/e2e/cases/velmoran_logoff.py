"""The shipped Velmoran.exe logging off, by argument and by file name. Under Wine,
ExitWindowsEx(0, 0) returns TRUE and asks wineboot to end the session, which may end other
processes of the prefix; so these rows run in a table of their own, and after each log-off a
box and a read-me opened by the shell show that the harness and the desktop still work."""

from planted_dlls import PLANTED
from velmoran import DLLS, brought, command, readme, usage

CASES = [
    command("argument_Logoff", "Logoff", '"{exe}" Logoff', dlls=DLLS["Logoff"],
            dlls_brought=brought(DLLS["Logoff"])),
    usage("after_argument_logoff_usage_box", '"{exe}" Help'),
    command("file_name_Logoff", "Logoff", '"{exe}"', file_name="Logoff.exe"),
    readme("after_file_name_logoff_readme_opened", '"{exe}" Help'),
    # No DLL planted beside the program runs in its process (see velmoran_hardening.py).
    command("planted_dlls_argument_Logoff", "Logoff", '"{exe}" Logoff', plants=PLANTED),
    usage("after_planted_logoff_usage_box", '"{exe}" Help'),
]
