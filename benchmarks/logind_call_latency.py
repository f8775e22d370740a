#!/usr/bin/python3
"""How long the native velmoran takes from its start to its logind call reaching a mock, against
busctl making the same call in the same run: medians of several runs each, and their ratio.
The runs go to private buses (tests/desktop/desktop_bus.py), never to this machine's own.

    /usr/bin/python3 logind_call_latency.py PROGRAM [RUNS]"""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "desktop"))
import desktop_bus  # noqa: E402

LOGIND = "org.freedesktop.login1.Manager"


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    program = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    desktop = desktop_bus.Desktop()
    try:
        arrivals = os.path.join(desktop.folder, "arrivals")
        logind = desktop.start_mock("system", template="logind")
        # CLOCK_MONOTONIC is one clock for every process, so the mock's reading of its arrival
        # compares with the reading taken before the caller started.
        logind.add_method(LOGIND, "Suspend", "b", "",
                          "t = __import__('time').monotonic_ns(); "
                          f"open({arrivals!r}, 'a').write('%d\\n' % t)")
        callers = {
            "velmoran Standby": (program, ["Standby"]),
            "busctl call ... Suspend b true": (
                "/usr/bin/busctl", ["--system", "call", "org.freedesktop.login1",
                                    "/org/freedesktop/login1", LOGIND, "Suspend", "b", "true"]),
        }
        # Taken in turns, so that both see the same load of the machine.
        latencies = {name: [] for name in callers}
        for _ in range(runs):
            for name, (caller, arguments) in callers.items():
                if os.path.exists(arrivals):
                    os.unlink(arrivals)
                started = time.monotonic_ns()
                run = desktop.run(caller, arguments)
                if run.code != 0:
                    sys.exit(f"{name} failed: {run.stderr}")
                with open(arrivals) as file:
                    latencies[name].append((int(file.read().split()[0]) - started) / 1e6)
        medians = {}
        for name, values in latencies.items():
            medians[name] = statistics.median(values)
            print("%-32s median %6.2f ms from start to the call at logind (%d runs, %.2f-%.2f)"
                  % (name, medians[name], runs, min(values), max(values)))
        velmoran, busctl = medians.values()
        print("%-32s %6.2f" % ("ratio velmoran / busctl", velmoran / busctl))
    finally:
        desktop.close()


if __name__ == "__main__":
    main()
