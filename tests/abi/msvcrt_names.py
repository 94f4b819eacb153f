#!/usr/bin/python3
"""Checks that a DLL takes from msvcrt.dll only names that mingw-w64's import library for
Windows' own msvcrt.dll lists (what every Windows from 7 SP1 on exports), by name, for an x64 DLL
or an x86 one (mingw-w64's x86-64 or i686 library):

    msvcrt_names.py DLL LIBRARY

The DLL's import table is read here from the file; the library's names come from
scripts/msvcrt-names. Fails when the DLL does not import msvcrt.dll at all, imports a name the
library does not list, or imports by ordinal.
"""
import os
import subprocess
import sys

from pe import Image


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    dll, library = sys.argv[1:]
    lister = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "msvcrt-names")
    listed = {line.split()[0] for line in subprocess.run([lister, library], check=True, capture_output=True,
                                                         text=True).stdout.splitlines()}
    taken = Image(dll).imports().get("msvcrt.dll")
    if not taken:
        raise SystemExit(f"{dll} imports nothing from msvcrt.dll")
    unlisted = sorted(name for name in taken if name not in listed)
    if unlisted:
        raise SystemExit(f"{dll} imports from msvcrt.dll what {library} does not list: " + ", ".join(unlisted))
    print(f"{len(taken)} names from msvcrt.dll, each listed by {os.path.basename(library)} "
          f"({len(listed)} names): " + ", ".join(sorted(taken)))


if __name__ == "__main__":
    main()
