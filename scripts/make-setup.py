#!/usr/bin/python3
"""Writes the streamer's setup program with Debian's NSIS (makensis):

    make-setup.py OUTPUT.exe VERSION DLL64 INSTALL_NOTE LICENSE [--dll32 DLL32]

from the script installer/TavikSongList.nsi, the 64-bit plugin DLL64, the 32-bit plugin DLL32 when
given (without it, setup serves the 64-bit OBS alone and says so), and the install note and the
licence, which it holds as the zips do (scripts/make-package.py: @VERSION@ replaced, UTF-8 with a
byte-order mark and CR LF). Each DLL must be a Windows DLL for its machine (x64, x86), so the two
can never change places. The product's name comes from the plugin's resources (dll/Resources.h).

The same inputs give the same setup program, byte for byte: NSIS writes no time stamp or path of
the build into it, the installed files take the time they are installed at (SetDateSave off), and
the note and licence are staged from the same bytes.
"""
import argparse
import importlib.util
import os
import re
import struct
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MACHINES = {"x64": 0x8664, "x86": 0x14C}
IMAGE_FILE_DLL = 0x2000


def pe_machine(path):
    """The machine of a PE image and whether it is a DLL; None when the file is no PE image."""
    with open(path, "rb") as f:
        head = f.read(4096)
    if head[:2] != b"MZ" or len(head) < 64:
        return None
    offset = struct.unpack_from("<I", head, 0x3C)[0]
    if offset + 24 > len(head) or head[offset:offset + 4] != b"PE\0\0":
        return None
    machine, = struct.unpack_from("<H", head, offset + 4)
    characteristics, = struct.unpack_from("<H", head, offset + 22)
    return machine, bool(characteristics & IMAGE_FILE_DLL)


def require_dll(path, kind):
    found = pe_machine(path)
    if found != (MACHINES[kind], True):
        raise SystemExit(f"make-setup: {path} is not a {kind} Windows DLL")


def product_name():
    with open(os.path.join(ROOT, "dll", "Resources.h"), encoding="utf-8") as f:
        match = re.search(r'^#define TAVIK_PRODUCT_NAME "([^"]+)"$', f.read(), re.M)
    if not match:
        raise SystemExit("make-setup: no TAVIK_PRODUCT_NAME in dll/Resources.h")
    return match.group(1)


def windows_text():
    found = importlib.util.spec_from_file_location("make_package", os.path.join(ROOT, "scripts", "make-package.py"))
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return module.windows_text


def nsis_string(text):
    # makensis reads $ as the start of a variable and " as the end of the string.
    return text.replace("$", "$$").replace('"', '$\\"')


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("output")
    parser.add_argument("version")
    parser.add_argument("dll64")
    parser.add_argument("note")
    parser.add_argument("licence")
    parser.add_argument("--dll32")
    args = parser.parse_args()
    if not re.fullmatch(r"\d+\.\d+\.\d+", args.version):
        raise SystemExit(f"make-setup: version {args.version!r} is not MAJOR.MINOR.PATCH")
    require_dll(args.dll64, "x64")
    if args.dll32:
        require_dll(args.dll32, "x86")
    to_windows = windows_text()
    output = os.path.abspath(args.output)
    os.makedirs(os.path.dirname(output), exist_ok=True)
    partial = output + ".partial"

    with tempfile.TemporaryDirectory(prefix="make-setup-") as stage:
        with open(args.note, "rb") as f:
            note = to_windows(f.read().replace(b"@VERSION@", args.version.encode()))
        with open(args.licence, "rb") as f:
            licence = to_windows(f.read())
        files = {"README": ("TavikSongList-README.txt", note), "LICENSE": ("TavikSongList-LICENSE.txt", licence)}
        defines = {"PRODUCT": product_name(), "VERSION": args.version, "DLL64": os.path.abspath(args.dll64),
                   "OUTFILE": partial}
        if args.dll32:
            defines["DLL32"] = os.path.abspath(args.dll32)
        for key, (name, data) in files.items():
            path = os.path.join(stage, name)
            with open(path, "wb") as f:
                f.write(data)
            defines[key] = path
        include = os.path.join(stage, "defines.nsh")
        with open(include, "w", encoding="utf-8-sig") as f:
            for key, value in defines.items():
                f.write(f'!define {key} "{nsis_string(value)}"\n')
        run = subprocess.run(["makensis", "-V2", "-WX", "-INPUTCHARSET", "UTF8", f"-DDEFINES={include}",
                              os.path.join(ROOT, "installer", "TavikSongList.nsi")],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if run.returncode != 0:
            sys.stdout.write(run.stdout)
            raise SystemExit(f"make-setup: makensis failed ({run.returncode})")
    os.replace(partial, output)


if __name__ == "__main__":
    main()
