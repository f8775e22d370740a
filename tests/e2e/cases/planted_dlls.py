"""The DLL names that DLL-planting rows lay beside a program, one list for every table that
plants them and for anyone who asks which names were tried:

    python3 tests/e2e/cases/planted_dlls.py

Windows takes a DLL that a program or a system DLL loads by its bare name from the program's
own folder first, unless the name is a KnownDLL (registered under Session Manager\\KnownDLLs
and always mapped from the system folder). So the list holds names that Windows does not
protect: DLLs that user32, advapi32, shell32 and the shell's launch bring in on their way,
the power library, and the names commonly planted beside downloaded programs.

KnownDLL names (ole32, oleaut32, shlwapi, imm32, msctf, combase, rpcrt4, sechost, setupapi,
comdlg32, ws2_32, psapi and the rest of today's Windows list) are left out: Windows
never takes them from the program's folder, and under Wine they prove nothing, since Wine's
own delay-loads take a planted ole32 from the program's folder even in a program that has
restricted its DLL search to the system folder. The runtime's own DLLs (kernel32, kernelbase,
msvcrt) and Wine's internal ones (win32u, winex11.drv) are left out as well. comctl32 is left
out since a manifest's Common Controls dependency resolves it side by side.
"""

PLANTED = (
    "version",
    "uxtheme",
    "dwmapi",
    "cryptbase",
    "cryptsp",
    "profapi",
    "userenv",
    "sspicli",
    "secur32",
    "winmm",
    "propsys",
    "powrprof",
    "wtsapi32",
    "winsta",
    "netapi32",
    "netutils",
    "mpr",
    "iphlpapi",
    "dnsapi",
    "winhttp",
    "wininet",
    "urlmon",
    "bcrypt",
    "ncrypt",
    "crypt32",
    "wintrust",
    "msasn1",
    "dbghelp",
    "cfgmgr32",
    "devobj",
    "apphelp",
    "ntmarta",
    "dwrite",
    "msimg32",
    "oleacc",
    "hid",
    # Not a system DLL at all, and planted beside programs that bundle it.
    "zlib1",
)

if __name__ == "__main__":
    print(" ".join(PLANTED))
