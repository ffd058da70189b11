#!/usr/bin/env python3
"""Writes small BIFF8 workbooks (an OLE2 compound file holding one Workbook
stream) for the spreadsheet import tests, without any spreadsheet program.

make_biff.py OUT.xls SHEET:CELL=VALUE ... writes one workbook; each argument
is one cell of a sheet (a number when VALUE reads as one, else a text), and
the sheets come in the order they are first named. With --dimension
SHEET:A1:IV65536 a sheet's used area is stated as given.
"""
import re
import struct
import sys


def record(rid, data=b""):
    return struct.pack("<HH", rid, len(data)) + data


def cell_ref(text):
    m = re.fullmatch(r"([A-Z]+)([0-9]+)", text)
    col = 0
    for ch in m.group(1):
        col = col * 26 + ord(ch) - 64
    return int(m.group(2)) - 1, col - 1


def unicode_string(text, length_bytes):
    raw = text.encode("utf-16-le")
    return struct.pack("<H" if length_bytes == 2 else "<B", len(text)) + b"\x01" + raw


def workbook(sheets, dimensions):
    """sheets: list of (name, {(row, col): value}); dimensions: name -> (r0, c0, r1, c1)."""
    strings = []
    for _, cells in sheets:
        for v in cells.values():
            if isinstance(v, str) and v not in strings:
                strings.append(v)
    bof = lambda dt: record(0x0809, struct.pack("<HHHHII", 0x0600, dt, 0x0DBB, 0x07CC, 0, 0x06))
    subs = []
    for name, cells in sheets:
        body = bof(0x0010)
        if cells:
            rows = [r for r, _ in cells]
            cols = [c for _, c in cells]
            r0, c0, r1, c1 = min(rows), min(cols), max(rows), max(cols)
        else:
            r0 = c0 = r1 = c1 = 0
        r0, c0, r1, c1 = dimensions.get(name, (r0, c0, r1, c1))
        body += record(0x0200, struct.pack("<IIHHH", r0, r1 + 1, c0, c1 + 1, 0))
        for (r, c), v in sorted(cells.items()):
            if isinstance(v, str):
                body += record(0x00FD, struct.pack("<HHHI", r, c, 15, strings.index(v)))
            else:
                body += record(0x0203, struct.pack("<HHHd", r, c, 15, v))
        body += record(0x000A)
        subs.append(body)
    sst = struct.pack("<II", len(strings), len(strings)) + b"".join(unicode_string(s, 2) for s in strings)
    # The globals: BOF, code page (UTF-16), the sheets' entries, the strings,
    # and filler so that the stream is long enough for regular sectors.
    def globals_part(offsets):
        g = bof(0x0005) + record(0x0042, struct.pack("<H", 1200))
        for (name, _), off in zip(sheets, offsets):
            g += record(0x0085, struct.pack("<IH", off, 0) + unicode_string(name, 1))
        g += record(0x00FC, sst)
        return g
    head = globals_part([0] * len(sheets))
    filler = b""
    total = len(head) + 4 + sum(len(s) for s in subs)
    if total < 4200:
        filler = record(0x005C, b" " * min(8000, 4200 - total))
    offsets, pos = [], len(head) + len(filler) + 4
    for s in subs:
        offsets.append(pos)
        pos += len(s)
    stream = globals_part(offsets) + filler + record(0x000A) + b"".join(subs)
    return compound(stream)


def compound(stream):
    sector = 512
    size = len(stream)
    n = (size + sector - 1) // sector
    stream += b"\0" * (n * sector - size)
    entries_per_fat = sector // 4
    fat_sectors = 1
    while fat_sectors * entries_per_fat < fat_sectors + 1 + n:
        fat_sectors += 1
    first_dir = fat_sectors
    first_data = fat_sectors + 1
    fat = [0xFFFFFFFD] * fat_sectors + [0xFFFFFFFE]
    fat += [first_data + i + 1 for i in range(n - 1)] + [0xFFFFFFFE]
    fat += [0xFFFFFFFF] * (fat_sectors * entries_per_fat - len(fat))
    difat = list(range(fat_sectors)) + [0xFFFFFFFF] * (109 - fat_sectors)
    header = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0" * 16
    header += struct.pack("<HHHHH", 0x003E, 3, 0xFFFE, 9, 6) + b"\0" * 6
    header += struct.pack("<IIIIIIIII", 0, fat_sectors, first_dir, 0, 4096, 0xFFFFFFFE, 0, 0xFFFFFFFE, 0)
    header += struct.pack("<109I", *difat)

    def entry(name, kind, child, start, size):
        raw = name.encode("utf-16-le") + b"\0\0" if name else b""
        e = raw + b"\0" * (64 - len(raw))
        e += struct.pack("<HBB", len(raw), kind, 1)
        e += struct.pack("<III", 0xFFFFFFFF, 0xFFFFFFFF, child)
        e += b"\0" * 16 + b"\0" * 4 + b"\0" * 16
        e += struct.pack("<II", start, size) + b"\0" * 4
        return e
    directory = entry("Root Entry", 5, 1, 0xFFFFFFFE, 0) + entry("Workbook", 2, 0xFFFFFFFF, first_data, size)
    directory += entry("", 0, 0xFFFFFFFF, 0, 0) * 2
    fat_bytes = struct.pack("<%dI" % len(fat), *fat)
    return header + fat_bytes + directory + stream


def main(argv):
    out = argv[1]
    sheets, order, dimensions = {}, [], {}
    args = argv[2:]
    i = 0
    while i < len(args):
        a = args[i]
        if a == "--dimension":
            name, first, last = args[i + 1].split(":")
            (r0, c0), (r1, c1) = cell_ref(first), cell_ref(last)
            dimensions[name] = (r0, c0, r1, c1)
            i += 2
            continue
        sheet, rest = a.split(":", 1)
        ref, value = rest.split("=", 1)
        if sheet not in sheets:
            sheets[sheet] = {}
            order.append(sheet)
        try:
            v = float(value)
        except ValueError:
            v = value
        sheets[sheet][cell_ref(ref)] = v
        i += 1
    with open(out, "wb") as f:
        f.write(workbook([(n, sheets[n]) for n in order], dimensions))


if __name__ == "__main__":
    main(sys.argv)
