#!/usr/bin/python3
"""The plugin DLL's tables as the host's loader sees them, read from the file (no program runs):

    image_check.py --version VERSION PLUGIN.dll [--real-obsapi OBSAPI.dll [OTHER_PLUGIN.dll...]]

Checked: it exports exactly LoadPlugin, UnloadPlugin, GetPluginName and GetPluginDescription,
under those plain names and nothing by ordinal alone; it imports from OBSApi.dll and otherwise
only from DLLs that are part of Windows; its version resource holds VERSION in its numbers and
texts. With --real-obsapi, every name that PLUGIN.dll and each OTHER_PLUGIN.dll import from
OBSApi.dll is exported by that OBSApi.dll (OBS Classic's own, built from its source): Windows
refuses to load a DLL with an import its DLL lacks, and OBS Classic then only logs "Failed to
load plugin".
"""
import struct
import sys

from pe import Image

EXPORTS = {"LoadPlugin", "UnloadPlugin", "GetPluginName", "GetPluginDescription"}
# Part of every Windows from 7 SP1 on; ntdll.dll has the x86 compiler's 64-bit arithmetic helpers.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "gdiplus.dll", "shell32.dll", "ole32.dll", "oleaut32.dll",
               "msvcrt.dll", "ntdll.dll"}
VERSION_RESOURCE = 16


def version_texts(resource):
    """The numbers of VS_FIXEDFILEINFO (file and product version) and the value of each text."""
    at = resource.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None, {}
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", resource, at + 8)
    numbers = [f"{file_ms >> 16}.{file_ms & 0xFFFF}.{file_ls >> 16}", f"{product_ms >> 16}.{product_ms & 0xFFFF}.{product_ls >> 16}"]
    texts = {}
    for key in ("ProductName", "FileVersion", "ProductVersion", "OriginalFilename"):
        name = (key + "\0").encode("utf-16-le")
        found = resource.find(name)
        if found < 0:
            continue
        value = found + len(name)
        value += (4 - value % 4) % 4  # the value starts on a 32-bit boundary
        end = value
        while resource[end:end + 2] != b"\0\0":
            end += 2
        texts[key] = resource[value:end].decode("utf-16-le")
    return numbers, texts


def main():
    args = sys.argv[1:]
    if len(args) < 3 or args[0] != "--version":
        raise SystemExit(__doc__)
    version, plugin, rest = args[1], args[2], args[3:]
    failures = []
    image = Image(plugin)

    names, used = image.exports()
    if names != EXPORTS or used != len(names):
        failures.append(f"exports {sorted(names)} ({used} functions), not exactly {sorted(EXPORTS)}")
    imports = image.imports()
    if "obsapi.dll" not in imports:
        failures.append("imports nothing from OBSApi.dll")
    for dll in sorted(imports):
        if dll != "obsapi.dll" and dll not in SYSTEM_DLLS:
            failures.append(f"imports from {dll}, which is not part of Windows")
    resource = image.resource(VERSION_RESOURCE)
    numbers, texts = version_texts(resource or b"")
    if numbers != [version, version]:
        failures.append(f"version resource numbers {numbers}, not {version}")
    expected = {"ProductName": "Tavik直播点歌", "FileVersion": version, "ProductVersion": version,
                "OriginalFilename": "TavikSongList.dll"}
    if texts != expected:
        failures.append(f"version resource texts {texts}, not {expected}")

    checked = 0
    if rest:
        if rest[0] != "--real-obsapi" or len(rest) < 2:
            raise SystemExit(__doc__)
        exported, _ = Image(rest[1]).exports()
        if len(exported) < 1000:
            failures.append(f"{rest[1]} exports {len(exported)} names: not OBS Classic's OBSApi.dll")
        for path in [plugin] + rest[2:]:
            for name in Image(path).imports().get("obsapi.dll", []):
                checked += 1
                if name not in exported:
                    failures.append(f"{path} imports {name}, which OBS Classic's OBSApi.dll does not export")

    for failure in failures:
        print("FAILED: " + failure)
    if failures:
        return 1
    print(f"{plugin}: exports {', '.join(sorted(EXPORTS))}; imports from " + ", ".join(sorted(imports)) +
          f"; version {version}" + (f"; {checked} OBSApi.dll imports, each exported by {rest[1]}" if rest else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
