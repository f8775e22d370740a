#!/usr/bin/env python3
"""wine_startup.py PROGRAM REFERENCE USER32 BROADCAST [PAIRS]: how long Velmoran.exe takes under
Wine for each command word and for help, against a do-nothing GUI program of the same toolchain
(REFERENCE). Two more programs of that toolchain show what the words cannot get below: USER32
only loads user32 from the system folder, as the lock and log-off words must; BROADCAST only
posts a message to every top-level window, as DisplayOff and ScreenSaver must, which makes Wine
load its display driver into the process.

Run inside scripts/wine-session.sh. Each measurement is a pair of runs, the program's and the
reference's, in alternating order, so that a slow moment of the machine weighs on both; the
ratio printed is the median over PAIRS pairs (default 15). Every word is safe under Wine:
SetSuspendState and InitiateSystemShutdownExA only return TRUE there. Logoff is left out, since
Wine's answer to it ends other processes of the prefix. Help is timed with a read-me beside the
program: the shell is asked to open it, and a new prefix has no viewer for it, so the program
ends without a box to close."""

import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

WORDS = ("DisplayOff", "ScreenSaver", "LockScreen", "Standby", "StandbyLock", "Hibernation",
         "HibernationLock", "Poweroff", "PoweroffForce", "Reboot", "RebootForce")


def seconds(command) -> float:
    started = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    return time.perf_counter() - started


def main(argv) -> int:
    program, reference, user32, broadcast = (Path(argument) for argument in argv[1:5])
    pairs = int(argv[5]) if len(argv) > 5 else 15
    folder = Path(tempfile.mkdtemp(prefix="velmoran-startup."))
    try:
        shutil.copy2(program, folder / "Velmoran.exe")
        shutil.copy2(reference, folder / "nothing.exe")
        shutil.copy2(user32, folder / "user32_only.exe")
        shutil.copy2(broadcast, folder / "broadcast_only.exe")
        (folder / "ReadMe_Velmoran.txt").write_text("read me\r\n")
        ours = ["wine", str(folder / "Velmoran.exe")]
        bare = ["wine", str(folder / "nothing.exe")]
        # The first start of a prefix loads what later starts find cached.
        for _ in range(3):
            seconds(bare)
        print("%-18s %8s %10s %10s" % ("argument", "ratio", "program", "nothing"))
        runs = [(word, ours + [word]) for word in WORDS + ("Help",)]
        runs.append(("(user32 only)", ["wine", str(folder / "user32_only.exe")]))
        runs.append(("(broadcast only)", ["wine", str(folder / "broadcast_only.exe")]))
        for label, command in runs:
            ratios, times, bases = [], [], []
            for index in range(pairs):
                if index % 2 == 0:
                    taken, base = seconds(command), seconds(bare)
                else:
                    base, taken = seconds(bare), seconds(command)
                ratios.append(taken / base)
                times.append(taken)
                bases.append(base)
            print("%-18s %7.2fx %9.3fs %9.3fs" % (label, statistics.median(ratios),
                                                   statistics.median(times),
                                                   statistics.median(bases)))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
