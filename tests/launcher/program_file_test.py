#!/usr/bin/env python3
"""Checks the built Velmoran.exe as Windows will see it: a GUI program of the architecture
under test (the 32-bit one, which ships, within its size budget) whose import table names only
kernel32 and the C runtime (every other system DLL is loaded from the system folder at run
time), with an icon group, version information and a manifest that never asks for elevation,
declares the systems it supports, themed controls and per-monitor DPI awareness."""
import struct
import sys
import unittest
from pathlib import Path

# A DLL in the import table has its own dependencies looked up in the program's folder first.
IMPORTED_DLLS = {"kernel32.dll", "msvcrt.dll"}
# The stripped program's budget, in bytes: the 32-bit program's, the one that ships.
SIZE_BUDGET = int(next(line for line in (Path(__file__).parents[2] / "benchmarks" / "size_budget")
                       .read_text().splitlines() if line and not line.startswith("#")))
# The machine field and the optional header's magic of each architecture: PE32 and PE32+.
ARCHITECTURES = {"i386": (0x14C, 0x10B), "amd64": (0x8664, 0x20B)}
SUBSYSTEM_WINDOWS_GUI = 2
RESOURCE_ICON_GROUP = 14
RESOURCE_VERSION = 16
RESOURCE_MANIFEST = 24


class PortableExecutable:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0", "no PE signature"
        self.machine, sections, _, self.symbol_table, self.symbols, optional_size, _ = struct.unpack_from(
            "<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        # PE32+ widens the image base and the four stack and heap sizes to 64 bits.
        directories = optional + (112 if self.magic == 0x20B else 96)
        self.import_rva = struct.unpack_from("<I", data, directories + 8)[0]
        self.resource_rva = struct.unpack_from("<I", data, directories + 16)[0]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((rva, max(virtual_size, raw_size), raw_offset))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"rva {rva:#x} outside every section")

    def string_at(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imported_dlls(self):
        dlls, entry = [], self.offset(self.import_rva)
        while True:
            fields = struct.unpack_from("<IIIII", self.data, entry)
            if fields == (0, 0, 0, 0, 0):
                return dlls
            dlls.append(self.string_at(fields[3]))
            entry += 20

    def resource_types(self):
        root = self.offset(self.resource_rva)
        named, numbered = struct.unpack_from("<HH", self.data, root + 12)
        types = []
        for i in range(named + numbered):
            name, _ = struct.unpack_from("<II", self.data, root + 16 + 8 * i)
            if not name & 0x80000000:
                types.append(name)
        return types


class ProgramFileTest(unittest.TestCase):
    path = None
    architecture = None

    @classmethod
    def setUpClass(cls):
        with open(cls.path, "rb") as f:
            cls.data = f.read()
        cls.program = PortableExecutable(cls.data)

    def test_is_a_gui_program_of_the_architecture_under_test(self):
        self.assertEqual((self.program.machine, self.program.magic),
                         ARCHITECTURES[self.architecture])
        self.assertEqual(self.program.subsystem, SUBSYSTEM_WINDOWS_GUI)

    def test_imports_only_kernel32_and_the_c_runtime(self):
        dlls = {name.lower() for name in self.program.imported_dlls()}
        self.assertEqual(dlls, IMPORTED_DLLS)

    def test_fits_its_size_budget_stripped(self):
        self.assertEqual((self.program.symbol_table, self.program.symbols), (0, 0), "not stripped")
        if self.architecture == "i386":
            self.assertLessEqual(len(self.data), SIZE_BUDGET)

    def test_carries_icon_version_and_manifest(self):
        types = self.program.resource_types()
        for wanted in (RESOURCE_ICON_GROUP, RESOURCE_VERSION, RESOURCE_MANIFEST):
            self.assertIn(wanted, types)

    def test_manifest_never_asks_for_elevation(self):
        self.assertIn(b'level="asInvoker"', self.data)
        self.assertIn(b'uiAccess="false"', self.data)
        self.assertNotIn(b"requireAdministrator", self.data)
        self.assertNotIn(b"highestAvailable", self.data)

    def test_manifest_declares_systems_controls_and_dpi_awareness(self):
        for system in (b"e2011457-1546-43c5-a5fe-008deee3d3f0", b"35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                       b"4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", b"1f676c76-80e1-4239-95bb-83d0f6d0da78",
                       b"8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"):  # Vista, 7, 8, 8.1, 10 and 11
            self.assertIn(b'<supportedOS Id="{%s}"/>' % system, self.data)
        self.assertIn(b'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', self.data)
        self.assertIn(b">true/pm</dpiAware>", self.data)
        self.assertIn(b">PerMonitorV2, PerMonitor</dpiAwareness>", self.data)


if __name__ == "__main__":
    ProgramFileTest.path, ProgramFileTest.architecture = sys.argv.pop(1), sys.argv.pop(1)
    unittest.main()
