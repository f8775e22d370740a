"""The shipped Velmoran.exe copied where a stranger may have left files beside it or named its
folder: DLLs under the names Windows looks for in the program's folder first
(planted_dlls.py), with native DLLs preferred over Wine's own as Windows would prefer them;
and a folder whose name reads as an environment string, with a decoy read-me where its
expansion would lead.

The program's rows run each of its paths with every plant laid, every command word, the
usage box and the read-me opened through the shell, and expect no plant to run in its
process. The control rows run a fixture that imports user32, advapi32 and shell32 the
ordinary way through the same plants: it must be caught, which proves that these settings
catch a program that is not protected."""

from planted_dlls import PLANTED
from velmoran import (DLLS, README_DLLS, README_PATH, SAFE_WORDS, USAGE_DLLS, brought, command,
                      readme, suspend, usage)
from wine_e2e import README, Box, Case

CONTROL = "ordinary_imports.exe"
# Seen running in such a program's process under Wine: shell32's dependencies, looked up in
# the program's folder first.
CONTROL_CAUGHT = ["version", "zlib1"]

CONTROLS = [
    Case("control_ordinary_imports_box", program=CONTROL, line='"{exe}"', exit_code=1,
         boxes=[Box(b"Fixture", b"missing")], plants=PLANTED, plants_ran=CONTROL_CAUGHT),
    Case("control_ordinary_imports_readme", program=CONTROL, line='"{exe}"', exit_code=1,
         readme="file", opened=[README_PATH], plants=PLANTED, plants_ran=CONTROL_CAUGHT),
]

# Every DLL beyond kernel32 and the C runtime is loaded from the system directory only, on the
# first call of one of its functions, so a powrprof.dll planted beside the program is not
# loaded. The harness's control case, plant_loaded_by_ordinary_import in fixtures.py, proves
# that these settings do catch a program that imports powrprof the ordinary way.
SYSTEM_FOLDER_LOADS = ['kernel32.LoadLibraryExW(L"%s.dll", 00000000, 00000800) = *' % name
                       for name in ("powrprof", "advapi32")]
POWRPROF = [
    Case("planted_powrprof_not_loaded", line='"{exe}" Standby', exit_code=0,
         plants=["powrprof"], watch=("LoadLibraryExW", "SetSuspendState"),
         calls=SYSTEM_FOLDER_LOADS + suspend(0)),
]

# A word loads only the DLLs its calls need, so that it starts about as fast as a bare process.
LOADS = [
    command("dlls_loaded_by_%s" % word, word, '"{exe}" %s' % word, dlls=DLLS[word],
            dlls_brought=brought(DLLS[word]))
    for word in SAFE_WORDS
]
LOADS += [
    usage("dlls_loaded_by_usage_box", '"{exe}" Help', dlls=USAGE_DLLS,
          dlls_brought=brought(USAGE_DLLS)),
    readme("dlls_loaded_by_readme", '"{exe}" Help', dlls=README_DLLS,
           dlls_brought=brought(README_DLLS)),
]

# None runs in the program's process, on any path: it loads every DLL it needs from the system
# folder, before anything else loads one. (The log-off's row is in velmoran_logoff.py.)
PLANTED_EVERYWHERE = [
    command("planted_dlls_argument_%s" % word, word, '"{exe}" %s' % word, plants=PLANTED)
    for word in SAFE_WORDS
]
PLANTED_EVERYWHERE += [
    usage("planted_dlls_usage_box", '"{exe}" Help', plants=PLANTED),
    readme("planted_dlls_readme_opened", '"{exe}" Help', plants=PLANTED),
]

# In a folder literally named %X%, with X defined as "elsewhere", the program asks the shell
# for the read-me beside it as its path reads, without SEE_MASK_DOENVSUBST (the row's shell
# request). Windows expands the path only when asked to. Wine 8's shell expands lpFile whatever
# the mask, so here the viewer is handed the decoy in the sibling folder: that keeps the proof
# that X reaches the shell and that an expanding request would lead astray.
DECOY = "{case}\\elsewhere\\" + README
LITERAL_PATHS = [
    readme("readme_path_in_percent_folder_taken_literally", '"{exe}" Help', folder="%X%",
           environment={"X": "elsewhere"}, files={"elsewhere/" + README: "decoy\r\n"},
           opened=[DECOY]),
]

CASES = CONTROLS + POWRPROF + LOADS + PLANTED_EVERYWHERE + LITERAL_PATHS
