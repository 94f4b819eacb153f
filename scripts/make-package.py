#!/usr/bin/python3
"""Writes the archive a streamer unzips into OBS Classic's folder:

    make-package.py OUTPUT.zip VERSION PLUGIN_DLL INSTALL_NOTE LICENSE

    plugins/TavikSongList.dll        the plugin, where OBS Classic loads plugins from
    TavikSongList-README.txt         the install note (INSTALL_NOTE, @VERSION@ replaced)
    TavikSongList-LICENSE.txt        the licence (LICENSE)
    TavikSongList-SHA256SUMS.txt     the SHA-256 of the three files above

The same inputs give the same archive, byte for byte: the entries in this order, every one dated
1980-01-01 00:00 (the format's first day) with the same attributes, compressed by the same zlib.
Names are ASCII (Windows 7's own unzipping reads names in the OEM code page) and the texts are
UTF-8 with a byte-order mark and CR LF line ends, so Notepad on Windows 7 shows them right. The
notes beside OBS.exe carry the plugin's name so they never take the place of OBS's own files
(OBS Classic installs a LICENSE there).
"""
import hashlib
import os
import sys
import zipfile

DATE = (1980, 1, 1, 0, 0, 0)


def windows_text(data):
    text = data.decode("utf-8").replace("\r\n", "\n")
    return b"\xef\xbb\xbf" + text.replace("\n", "\r\n").encode("utf-8")


def main():
    if len(sys.argv) != 6:
        raise SystemExit(__doc__)
    output, version, dll, note, licence = sys.argv[1:]
    with open(dll, "rb") as f:
        plugin = f.read()
    with open(note, "rb") as f:
        readme = windows_text(f.read().replace(b"@VERSION@", version.encode()))
    with open(licence, "rb") as f:
        licence_text = windows_text(f.read())
    files = [
        ("plugins/TavikSongList.dll", plugin),
        ("TavikSongList-README.txt", readme),
        ("TavikSongList-LICENSE.txt", licence_text),
    ]
    sums = "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\r\n" for name, data in files)
    files.append(("TavikSongList-SHA256SUMS.txt", sums.encode("ascii")))

    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    partial = output + ".partial"
    with zipfile.ZipFile(partial, "w") as archive:
        for name, data in files:
            entry = zipfile.ZipInfo(name, DATE)
            entry.create_system = 0  # MS-DOS attributes, as Windows writes them
            entry.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, data, compresslevel=9)
    os.replace(partial, output)


if __name__ == "__main__":
    main()
