"""The machine tests' harness without a machine: which accelerator the boots use, against a
stand-in qemu whose guest either prints its first console line at once or never prints one (as
a guest under KVM does on machines whose /dev/kvm opens but cannot run it), and how the results
port is read while its last line is still being written."""
import base64
import os
import pathlib
import sys
import tempfile
import unittest
from unittest import mock

import machine

STAND_IN = """#!/usr/bin/env python3
import os, sys, time
arguments = sys.argv[1:]
if arguments[arguments.index("-accel") + 1] != "kvm":
    sys.exit("the proof boot asked for no KVM")
console = arguments[arguments.index("-serial") + 1].removeprefix("file:")
if os.environ["STAND_IN_GUEST"] == "runs":
    with open(console, "w") as output:
        output.write("[    0.000000] Linux version 6.1.0 (stand-in)\\n")
else:
    print("qemu-system-x86_64: warning: host doesn't support requested feature: "
          "CPUID.01H:ECX.pni [bit 0]", file=sys.stderr, flush=True)
time.sleep(30)
"""

# name, /dev/kvm opens, the guest under KVM, VELMORAN_MACHINE_ACCEL, accelerator, reason holds
ROWS = [
    ("no device", False, "runs", "", "tcg", "does not open"),
    ("KVM that opens and runs", True, "runs", "", "kvm", "printed its first line"),
    ("KVM that opens and stays silent", True, "silent", "", "tcg",
     "printed no line (none within 1 s; qemu said: qemu-system-x86_64: warning: host doesn't"),
    ("forced TCG where KVM runs", True, "runs", "tcg", "tcg", "forced"),
    ("forced KVM with no device", False, "runs", "kvm", "kvm", "forced"),
]


class AcceleratorTest(unittest.TestCase):
    def test_choice(self):
        with tempfile.TemporaryDirectory() as folder:
            folder = pathlib.Path(folder)
            qemu = folder / "qemu"
            qemu.write_text(STAND_IN)
            qemu.chmod(0o755)
            opens = folder / "kvm"
            opens.touch()
            for name, device_opens, guest, forced, wanted, reason in ROWS:
                with self.subTest(name), mock.patch.dict(
                        os.environ, {"STAND_IN_GUEST": guest, "VELMORAN_MACHINE_ACCEL": forced}):
                    device = opens if device_opens else folder / "no-kvm"
                    chosen = machine.choose_accelerator(folder / "vmlinuz", folder / "proof",
                                                        device=str(device), qemu=str(qemu),
                                                        proof=1.0)
                    self.assertEqual(chosen.name, wanted, chosen.reason)
                    self.assertIn(reason, chosen.reason)


CASE = "VMCASE lock exit=2 stderr=" + base64.b64encode(b"velmoran: no locker\n").decode()

# name, the results port's text, whether qemu has ended, results, notes
PORT_ROWS = [
    ("a whole line", CASE + "\n", False, {"lock": (2, "velmoran: no locker\n")}, []),
    ("a line still being written", CASE[:-5], False, {}, []),
    ("a line cut short by the power-off", "VMINFO x\n" + CASE[:-5], True, {},
     ["x", "unreadable line: " + CASE[:-5]]),
    ("a bus message cut short", 'VMBUS lock {"type":\n', True, {},
     ['unreadable line: VMBUS lock {"type":']),
]


class ResultsPortTest(unittest.TestCase):
    def test_lines(self):
        for name, text, finished, results, notes in PORT_ROWS:
            with self.subTest(name):
                boot = machine.Boot(name)
                machine._parse_results(boot, text, finished)
                self.assertEqual({case: (result.exit_code, result.stderr)
                                  for case, result in boot.results.items()}, results)
                self.assertEqual(boot.info, notes)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
