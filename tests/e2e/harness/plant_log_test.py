"""Reading the plants' log: which planted DLLs ran in the program's own process, without Wine."""

import tempfile
import unittest
from pathlib import Path, PureWindowsPath

import wine_e2e

PROGRAM = PureWindowsPath("C:/e2e/c1/app/Velmoran.exe")
# One line per DllMain run: the DLL's own file, a tab, the process's image. The loader names
# a module after the importer's spelling, and Windows paths differ in case only.
LOG = (
    "C:\\e2e\\c1\\app\\VERSION.dll\tC:\\E2E\\C1\\APP\\velmoran.exe\n"
    "C:\\e2e\\c1\\app\\zlib1.dll\tC:\\e2e\\c1\\app\\Velmoran.exe\n"
    "C:\\e2e\\c1\\app\\uxtheme.dll\tC:\\e2e\\tools\\velmoran_text_viewer.exe\n"
    "C:\\e2e\\c1\\app\\dwmapi.dll\tC:\\e2e\\c1\\other\\Velmoran.exe\n"
)


class PlantLogTest(unittest.TestCase):
    def read(self, text):
        folder = Path(tempfile.mkdtemp())
        log = folder / wine_e2e.PLANT_LOG
        if text is not None:
            log.write_text(text, encoding="utf-8")
        outcome = wine_e2e.Outcome(folder=folder)
        wine_e2e._read_plant_log(log, PROGRAM, outcome)
        return outcome

    def test_names_the_plants_of_the_program_and_sets_apart_other_processes(self):
        outcome = self.read(LOG)
        self.assertEqual(outcome.plants_ran, ["version", "zlib1"])
        self.assertEqual(
            outcome.plants_elsewhere,
            [("uxtheme", "C:\\e2e\\tools\\velmoran_text_viewer.exe"),
             ("dwmapi", "C:\\e2e\\c1\\other\\Velmoran.exe")],
        )

    def test_no_log_means_no_plant_ran(self):
        outcome = self.read(None)
        self.assertEqual((outcome.plants_ran, outcome.plants_elsewhere), ([], []))


if __name__ == "__main__":
    unittest.main()
