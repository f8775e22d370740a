#!/usr/bin/env python3
"""wine_startup.py PROGRAM NOTHING FLOOR [ROUNDS]: how long Velmoran.exe takes under Wine for
each command word, against that word's floor: FLOOR started with the same word makes the same
system calls in the same way and nothing else (benchmarks/floors/word_calls.cpp). NOTHING, a
do-nothing GUI program of the same toolchain, is timed beside them for reference, and help
(which has no floor) against it.

Run inside scripts/wine-session.sh. The Wine server's state makes a start-up vary by a factor of
several from one moment to the next, so each round runs the program, its floor and the
do-nothing program once each, in an order that turns from round to round, and a word's ratio
is the median over ROUNDS rounds (default 15) of the program's time over the floor's in the
same round; the spread is the ratios' quartiles. Every word is safe under Wine: SetSuspendState
and InitiateSystemShutdownExA only return TRUE there. Logoff is left out, since Wine's answer
to it ends other processes of the prefix. Help is timed with a read-me beside the program: the
shell is asked to open it, and a new prefix has no viewer for it, so the program ends without a
box to close."""

import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

WORDS = ("DisplayOff", "ScreenSaver", "LockScreen", "Standby", "StandbyLock", "Hibernation",
         "HibernationLock", "Poweroff", "PoweroffForce", "Reboot", "RebootForce")
GOAL = 1.05  # each word's median ratio to its floor


def seconds(command) -> float:
    started = time.perf_counter()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    return time.perf_counter() - started


def rounds(commands, count):
    """Each command's times, one per round, the order turned by one every round."""
    times = [[] for _ in commands]
    for index in range(count):
        for step in range(len(commands)):
            which = (index + step) % len(commands)
            times[which].append(seconds(commands[which]))
    return times


def main(argv) -> int:
    program, nothing, floor = (Path(argument) for argument in argv[1:4])
    count = int(argv[4]) if len(argv) > 4 else 15
    folder = Path(tempfile.mkdtemp(prefix="velmoran-startup."))
    try:
        for source, name in ((program, "Velmoran.exe"), (nothing, "nothing.exe"),
                             (floor, "floor.exe")):
            shutil.copy2(source, folder / name)
        (folder / "ReadMe_Velmoran.txt").write_text("read me\r\n")
        ours, bare = ["wine", str(folder / "Velmoran.exe")], ["wine", str(folder / "nothing.exe")]
        # The first start of a prefix loads what later starts find cached.
        for _ in range(3):
            seconds(bare)
        print("%-16s %8s %15s %9s %9s %9s" % ("argument", "to floor", "quartiles", "program",
                                               "floor", "nothing"))
        within = 0
        for word in WORDS:
            taken, based, bare_times = rounds(
                [ours + [word], ["wine", str(folder / "floor.exe"), word], bare], count)
            ratios = [ours_time / floor_time for ours_time, floor_time in zip(taken, based)]
            low, median, high = statistics.quantiles(ratios, n=4)
            within += median <= GOAL
            print("%-16s %7.2fx %7.2f-%-7.2f %8.3fs %8.3fs %8.3fs" % (
                word, median, low, high, statistics.median(taken), statistics.median(based),
                statistics.median(bare_times)))
        taken, bare_times = rounds([ours + ["Help"], bare], count)
        print("%-16s %8s %15s %8.3fs %9s %8.3fs" % ("Help", "-", "-", statistics.median(taken),
                                                     "-", statistics.median(bare_times)))
        print("%d of %d words within %.2fx of their floor" % (within, len(WORDS), GOAL))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
