#!/usr/bin/python3
"""Where a program's bytes come from, against the floor's: its sections as
they lie in the stripped file, and from the linker's map (-Wl,-Map) what each
part of the build and each object file puts into them, and its largest symbols.

    size_report.py PROGRAM.exe PROGRAM.map FLOOR.exe FLOOR.map

Both programs stripped; the maps from the links that made them.
"""
import collections
import os
import re
import sys

import pefile

# Output sections whose input is counted; the rest (.idata, .reloc, .rsrc's
# headers) the linker makes itself.
COUNTED = (".text", ".rdata", ".data", ".eh_frame", ".CRT", ".tls", ".rsrc", ".bss")

# What each input file belongs to, first match wins.
ORIGINS = [
    ("resources", re.compile(r"\.res$")),
    ("core/", re.compile(r"libhalvo_core\.a|/core/")),
    ("platform/", re.compile(r"libhalvo_platform|halvo_platform")),
    ("dialog/", re.compile(r"libhalvo_dialog\.a")),
    ("app/", re.compile(r"/app/|Halvo\.dir|halvo_app")),
    ("bench/", re.compile(r"bare_dialog")),
    ("C++ run-time (libstdc++)", re.compile(r"libstdc\+\+|libsupc\+\+")),
    ("libgcc (64-bit division, ...)", re.compile(r"libgcc")),
    ("C run-time start-up (mingw-w64)", re.compile(r"crt2u?\.o|crtbegin|crtend|libmingw|libmsvcrt|libmoldname")),
    ("DLL import stubs", re.compile(r"lib(kernel32|user32|gdi32|comctl32|advapi32|shell32|ole32|version)\.a")),
]


def origin(path):
    for name, pattern in ORIGINS:
        if pattern.search(path):
            return name
    return "other"


def short(path):
    """An input file as a reader knows it: the library and member, or the object's name."""
    m = re.search(r"([^/]+\.a)\(([^)]+)\)$", path)
    if m:
        return f"{m.group(1)}({m.group(2)})"
    return os.path.basename(path)


def file_sections(exe):
    pe = pefile.PE(exe, fast_load=True)
    sections = collections.OrderedDict()
    for s in pe.sections:
        sections[s.Name.rstrip(b"\0").decode()] = (s.SizeOfRawData, s.Misc_VirtualSize)
    headers = min(s.PointerToRawData for s in pe.sections if s.SizeOfRawData) if pe.sections else 0
    return headers, sections


def read_map(path):
    """(output section, input file, input section, address, size) of each input section, and the symbols."""
    pieces, symbols = [], []
    out = pending = None
    started = False
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("Linker script and memory map"):
                started = True
                continue
            if not started:
                continue
            m = re.match(r"^(\.[\w$.]+)(?:\s+0x[0-9a-f]+\s+0x[0-9a-f]+)?\s*$", line)
            if m:
                out = m.group(1)
                pending = None
                continue
            if out is None or out.startswith((".debug", ".zdebug", ".stab")):
                continue
            # An input section, its name on a line of its own when it is long.
            m = re.match(r"^ (\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
            if m:
                pieces.append((out, m.group(4), m.group(1), int(m.group(2), 16), int(m.group(3), 16)))
                pending = None
                continue
            m = re.match(r"^ (\S+)$", line)
            if m and not m.group(1).startswith("*"):
                pending = m.group(1)
                continue
            m = re.match(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
            if m and pending:
                pieces.append((out, m.group(3), pending, int(m.group(1), 16), int(m.group(2), 16)))
                pending = None
                continue
            m = re.match(r"^\s+0x([0-9a-f]+)\s{5,}(\S.*)$", line)
            if m and not m.group(2).startswith(("=", ".", "PROVIDE", "ASSERT")) and "=" not in m.group(2):
                symbols.append((out, int(m.group(1), 16), m.group(2)))
    return [p for p in pieces if p[4] and p[0] in COUNTED], symbols


def symbol_sizes(pieces, symbols):
    """Each symbol's bytes: up to the next symbol or the end of its input section."""
    ends = sorted((p[3], p[3] + p[4], p[1]) for p in pieces)
    starts = sorted({(addr, out, name) for out, addr, name in symbols if addr})
    sizes = []
    import bisect
    piece_starts = [e[0] for e in ends]
    for i, (addr, out, name) in enumerate(starts):
        k = bisect.bisect_right(piece_starts, addr) - 1
        if k < 0 or addr >= ends[k][1]:
            continue
        end = ends[k][1]
        if i + 1 < len(starts) and starts[i + 1][0] < end:
            end = starts[i + 1][0]
        if end > addr:
            sizes.append((end - addr, out, name, ends[k][2]))
    return sorted(sizes, reverse=True)


def main(exe, map_path, floor_exe, floor_map):
    headers, sections = file_sections(exe)
    floor_headers, floor_sections = file_sections(floor_exe)
    total, floor_total = os.path.getsize(exe), os.path.getsize(floor_exe)

    print("By section, bytes in the stripped file (in memory):")
    print(f"  {'section':<10} {'Halvo.exe':>17} {'floor':>17} {'above':>7}")
    print(f"  {'headers':<10} {headers:>17} {floor_headers:>17} {headers - floor_headers:>7}")
    for name in list(sections) + [n for n in floor_sections if n not in sections]:
        raw, virtual = sections.get(name, (0, 0))
        floor_raw, floor_virtual = floor_sections.get(name, (0, 0))
        print(f"  {name:<10} {raw:>7} ({virtual:>7}) {floor_raw:>7} ({floor_virtual:>7}) {raw - floor_raw:>7}")
    print(f"  {'file':<10} {total:>17} {floor_total:>17} {total - floor_total:>7}")

    pieces, symbols = read_map(map_path)
    floor_pieces, _ = read_map(floor_map)

    def by_origin(ps):
        sums = collections.defaultdict(collections.Counter)
        for out, path, _, _, size in ps:
            sums[origin(path)][out] += size
        return sums

    mine, floor = by_origin(pieces), by_origin(floor_pieces)
    print("\nBy origin, from the linker maps (bytes before file alignment; .bss takes no file space):")
    print(f"  {'origin':<34} {'Halvo.exe':>9} {'floor':>7} {'above':>7}  of which")
    rows = sorted(set(mine) | set(floor), key=lambda o: -sum(mine[o].values()))
    for o in rows:
        a, b = sum(mine[o].values()), sum(floor[o].values())
        parts = ", ".join(f"{s} {n}" for s, n in mine[o].most_common() if n)
        print(f"  {o:<34} {a:>9} {b:>7} {a - b:>7}  {parts}")

    objects = collections.Counter()
    detail = collections.defaultdict(collections.Counter)
    for out, path, _, _, size in pieces:
        if out == ".rsrc" or out == ".bss":
            continue
        objects[short(path)] += size
        detail[short(path)][out] += size
    print("\nLargest object files (code and data, without resources and .bss):")
    for name, size in objects.most_common(15):
        parts = ", ".join(f"{s} {n}" for s, n in detail[name].most_common())
        print(f"  {size:>6}  {name}  ({parts})")

    print("\nLargest symbols (from each to the next; static functions and local constants count with the symbol before them):")
    shown = 0
    for size, out, name, path in symbol_sizes(pieces, symbols):
        if out in (".rsrc", ".bss"):
            continue
        print(f"  {size:>6}  {out:<9} {name[:90]}  [{short(path)}]")
        shown += 1
        if shown == 15:
            break


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
