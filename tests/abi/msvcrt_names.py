#!/usr/bin/python3
"""Checks that a DLL takes from msvcrt.dll only names that mingw-w64's import library for
Windows' own msvcrt.dll lists (what every 64-bit Windows from 7 SP1 on exports), by name:

    msvcrt_names.py DLL LIBRARY

The DLL's import table is read here from the file; the library's names come from
scripts/msvcrt-names. Fails when the DLL does not import msvcrt.dll at all, imports a name the
library does not list, or imports by ordinal.
"""
import os
import struct
import subprocess
import sys


def imports(path):
    """{dll name (lower case): [imported names, "#n" for an ordinal]} of a PE32+ image."""
    with open(path, "rb") as f:
        image = f.read()
    pe, = struct.unpack_from("<I", image, 0x3C)
    if image[pe:pe + 4] != b"PE\0\0":
        raise SystemExit(f"{path}: not a PE image")
    section_count, = struct.unpack_from("<H", image, pe + 6)
    optional_size, = struct.unpack_from("<H", image, pe + 20)
    optional = pe + 24
    if struct.unpack_from("<H", image, optional)[0] != 0x20B:
        raise SystemExit(f"{path}: not a 64-bit image")
    import_rva, _ = struct.unpack_from("<II", image, optional + 112 + 8)  # data directory 1
    sections = []
    for index in range(section_count):
        at = optional + optional_size + 40 * index
        virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from("<IIII", image, at + 8)
        sections.append((virtual_address, max(virtual_size, raw_size), raw_pointer))

    def offset(rva):
        for address, size, raw in sections:
            if address <= rva < address + size:
                return raw + rva - address
        raise SystemExit(f"{path}: address {rva:#x} is in no section")

    def text(rva):
        at = offset(rva)
        return image[at:image.index(b"\0", at)].decode()

    result = {}
    descriptor = offset(import_rva) if import_rva else None
    while descriptor is not None:
        lookup, _, _, name_rva, first_thunk = struct.unpack_from("<IIIII", image, descriptor)
        if name_rva == 0:
            break
        names = result.setdefault(text(name_rva).lower(), [])
        thunk = offset(lookup or first_thunk)
        while True:
            entry, = struct.unpack_from("<Q", image, thunk)
            if entry == 0:
                break
            # By ordinal, or the address of a hint (two bytes) and the name.
            names.append(f"#{entry & 0xFFFF}" if entry >> 63 else text((entry & 0x7FFFFFFF) + 2))
            thunk += 8
        descriptor += 20
    return result


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    dll, library = sys.argv[1:]
    lister = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "msvcrt-names")
    listed = {line.split()[0] for line in subprocess.run([lister, library], check=True, capture_output=True,
                                                         text=True).stdout.splitlines()}
    taken = imports(dll).get("msvcrt.dll")
    if not taken:
        raise SystemExit(f"{dll} imports nothing from msvcrt.dll")
    unlisted = sorted(name for name in taken if name not in listed)
    if unlisted:
        raise SystemExit(f"{dll} imports from msvcrt.dll what {library} does not list: " + ", ".join(unlisted))
    print(f"{len(taken)} names from msvcrt.dll, each listed by {os.path.basename(library)} "
          f"({len(listed)} names): " + ", ".join(sorted(taken)))


if __name__ == "__main__":
    main()
