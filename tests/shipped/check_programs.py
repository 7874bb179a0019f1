#!/usr/bin/python3
"""Static checks of the shipped 32-bit Windows programs, read as files.

Runs natively on any machine, whether or not it can start 32-bit programs:
the machine type, subsystem, imports and version resource of Halvo.exe and
halvo-set.exe, and the resources Halvo.exe is made of. The one place that
knows what a shipped program must be: the release and bench/size.sh run it too.

    check_programs.py DIR    a build tree of the mingw preset, or the released
                             folder (Halvo.exe and halvo-set.exe side by side)
"""
import os
import re
import struct
import sys
import unittest
from xml.etree import ElementTree

import pefile

BUILD = None
SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")

MACHINE_I386 = 0x014C
SUBSYSTEM_GUI, SUBSYSTEM_CONSOLE = 2, 3
RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_MANIFEST, RT_DLGINIT = 3, 5, 14, 24, 240
LANG_JAPANESE = 0x0411
# The manifest's namespaces, and the ids by which it names the Windows versions the program is made for.
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"
SETTINGS_2005 = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SETTINGS_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
SUPPORTED_OS = {
    "Vista": "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
    "7": "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "8": "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "8.1": "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "10 and 11": "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
}
# The DLLs that come with Windows.
with open(os.path.join(SOURCE, "bench", "system-dlls.txt")) as f:
    SYSTEM_DLLS = {line.strip().lower() for line in f if line.strip() and not line.startswith("#")}
# The version every program carries: project() of the sources this script belongs to.
with open(os.path.join(SOURCE, "CMakeLists.txt")) as f:
    VERSION = re.search(r"^project\(Halvo VERSION ([0-9]+\.[0-9]+\.[0-9]+)", f.read(), re.M).group(1)


def load(build_path):
    """The program at its place in a build tree, or by its bare name in a released folder."""
    for path in (os.path.join(BUILD, build_path), os.path.join(BUILD, os.path.basename(build_path))):
        if os.path.isfile(path):
            return pefile.PE(path)
    raise AssertionError(f"neither {build_path} nor {os.path.basename(build_path)} in {BUILD}")


def version_strings(pe):
    """The version resource's strings (FileVersion, ...), decoded."""
    for info in getattr(pe, "FileInfo", []):
        for block in info:
            if getattr(block, "Key", b"") == b"StringFileInfo":
                return {k.decode(): v.decode() for table in block.StringTable for k, v in table.entries.items()}
    return {}


def resources(pe):
    """Maps (type, id, language) to the resource's bytes."""
    found = {}
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for rid in rtype.directory.entries:
            for lang in rid.directory.entries:
                d = lang.data.struct
                found[(rtype.id, rid.id, lang.id)] = pe.get_data(d.OffsetToData, d.Size)
    return found


def list_data_entries(data):
    """The (control id, text) records of a list-data resource, up to its end record."""
    entries, at = [], 0
    while at + 2 <= len(data):
        (control,) = struct.unpack_from("<H", data, at)
        if control == 0:
            break
        message, length = struct.unpack_from("<HI", data, at + 2)
        text = data[at + 8:at + 8 + length].split(b"\0")[0].decode("ascii")
        entries.append((control, message, text))
        at += 8 + length
    return entries


class Program:
    def assert_shape(self, pe, subsystem):
        self.assertEqual(pe.FILE_HEADER.Machine, MACHINE_I386, "not a 32-bit x86 program")
        self.assertEqual(pe.OPTIONAL_HEADER.Subsystem, subsystem)
        imported = {entry.dll.decode().lower() for entry in pe.DIRECTORY_ENTRY_IMPORT}
        self.assertTrue(imported, "imports nothing at all")
        self.assertLessEqual(imported, SYSTEM_DLLS, f"imports DLLs that Windows does not have: {imported - SYSTEM_DLLS}")
        self.assertEqual(version_strings(pe).get("FileVersion"), VERSION, "no version resource for " + VERSION)


class HalvoExe(Program, unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = load("app/Halvo.exe")
        cls.res = resources(cls.pe)

    def test_is_a_32_bit_gui_program_importing_only_system_dlls(self):
        self.assert_shape(self.pe, SUBSYSTEM_GUI)

    def test_dialog_template_in_japanese(self):
        template = self.res.get((RT_DIALOG, 102, LANG_JAPANESE))
        self.assertIsNotNone(template, "no dialog 102 in language 1041")
        # An extended template: version 1, signature 0xFFFF, then 29 controls.
        self.assertEqual(struct.unpack_from("<HH", template, 0), (1, 0xFFFF))
        self.assertEqual(struct.unpack_from("<H", template, 16)[0], 29)

    def test_list_data_fills_the_six_date_and_time_lists(self):
        data = self.res.get((RT_DLGINIT, 102, LANG_JAPANESE))
        self.assertIsNotNone(data, "no list data 102 in language 1041")
        entries = list_data_entries(data)
        counts = {}
        for control, _, _ in entries:
            counts[control] = counts.get(control, 0) + 1
        self.assertEqual(counts, {1000: 30, 1001: 12, 1002: 31, 1003: 24, 1004: 60, 1005: 60})
        self.assertEqual(entries[0][2], "2021")
        self.assertEqual(entries[29][2], "2050")

    def test_icon_group_128_has_nine_images(self):
        groups = [v for (t, i, _), v in self.res.items() if t == RT_GROUP_ICON and i == 128]
        self.assertEqual(len(groups), 1, "icon group 128")
        reserved, kind, count = struct.unpack_from("<HHH", groups[0], 0)
        self.assertEqual((reserved, kind, count), (0, 1, 9))
        sizes = set()
        for n in range(count):
            width, _, _, _, _, bits, _, image = struct.unpack_from("<BBBBHHIH", groups[0], 6 + 14 * n)
            sizes.add((width or 256, bits))
            self.assertTrue(any(t == RT_ICON and i == image for t, i, _ in self.res), f"icon image {image}")
        self.assertEqual(sizes, {(s, b) for s in (48, 32, 16) for b in (4, 8, 24)})

    def manifest(self):
        manifests = [v for (t, i, _), v in self.res.items() if t == RT_MANIFEST and i == 1]
        self.assertEqual(len(manifests), 1)
        return manifests[0].decode("utf-8")

    def test_manifest_asks_for_the_x86_common_controls(self):
        identity = re.search(r'<assemblyIdentity[^>]*Common-Controls[^>]*>', self.manifest())
        self.assertIsNotNone(identity, "no dependency on the common controls")
        self.assertIn('version="6.0.0.0"', identity.group(0))
        self.assertIn('processorArchitecture="x86"', identity.group(0))

    def test_manifest_declares_dpi_awareness_and_the_supported_windows(self):
        # Windows reads each setting only in its own namespace: one misspelt
        # namespace and the dialog is silently drawn at 96 DPI and stretched.
        root = ElementTree.fromstring(self.manifest())
        settings = root.findall(f"{{{ASM_V3}}}application/{{{ASM_V3}}}windowsSettings")
        self.assertEqual(len(settings), 1, "no application/windowsSettings in the asm.v3 namespace")
        dpi_aware = settings[0].findall(f"{{{SETTINGS_2005}}}dpiAware")
        dpi_awareness = settings[0].findall(f"{{{SETTINGS_2016}}}dpiAwareness")
        self.assertEqual([e.text.strip().lower() for e in dpi_aware], ["true/pm"])
        self.assertEqual([[v.strip().lower() for v in e.text.split(",")] for e in dpi_awareness],
                         [["permonitorv2", "permonitor"]])
        supported = {e.get("Id").lower() for e in root.findall(
            f"{{{COMPATIBILITY}}}compatibility/{{{COMPATIBILITY}}}application/{{{COMPATIBILITY}}}supportedOS")}
        missing = [name for name, guid in SUPPORTED_OS.items() if guid not in supported]
        self.assertEqual(missing, [], "supportedOS missing for these Windows versions")
        self.assertEqual(len(supported), len(SUPPORTED_OS), "supportedOS that is no Windows version")


class HalvoSetExe(Program, unittest.TestCase):
    def test_is_a_32_bit_console_program_importing_only_system_dlls(self):
        self.assert_shape(load("cli/halvo-set.exe"), SUBSYSTEM_CONSOLE)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    BUILD = sys.argv.pop(1)
    unittest.main(verbosity=2)
