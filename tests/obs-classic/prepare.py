#!/usr/bin/env python3
"""Copies what the test fixtures build of OBS Classic's source into the build tree and makes, in
that copy only, the smallest edits clang and Wine's headers need. The source folder is never
written. No edit touches a declaration, so what is built exports the names Microsoft's compiler
gives the same source.

    prepare.py SOURCE DESTINATION FOLDER_OR_FILE...

Files are written only when their content changes, so a build reuses what it compiled; files of
an earlier run that this one does not make are removed.
"""
import pathlib
import sys

# (file, text as written in OBS Classic, text built here, how many times, why). Texts are bytes:
# some files are in code page 932.
EDITS = [
    # Microsoft's __m128 is a union with named float members; clang's is a vector, indexed directly.
    ("OBSApi/Utility/XMath.h", b".m128_f32[", b"[", 8, "__m128 is a vector in clang, not a union"),
    # Two constructors name a union member and the member of another union that overlaps it in
    # their initialiser list, which clang refuses: set the second in the body.
    ("OBSApi/Utility/XMath.h",
     b"explicit inline Quat(const Vect &v)            : m(v.m), w(1.0f)            {}",
     b"explicit inline Quat(const Vect &v)            : m(v.m)            {w = 1.0f;}", 1,
     "two members of one anonymous union initialised together"),
    ("OBSApi/Utility/XMath.h",
     b"inline Quat(const Vect &v, float wIn) : m(v.m), w(wIn)                      {}",
     b"inline Quat(const Vect &v, float wIn) : m(v.m)                      {w = wIn;}", 1,
     "two members of one anonymous union initialised together"),
    # `sizeof TYPE` without parentheses is Microsoft's leniency.
    ("OBSApi/OBSApi.cpp", b"sizeof WORD * 2 + sizeof DWORD", b"sizeof(WORD) * 2 + sizeof(DWORD)", 2,
     "sizeof of a type needs parentheses"),
    # An ideographic space written in code page 932 inside L'..': the same character by its code.
    ("OBSApi/Utility/XString.cpp", b"L'\x81\x40'", b"L'\\x3000'", 2,
     "a code-page-932 character in a wide literal"),

    # ---- OBS.exe
    ("Source/CodeTokenizer.cpp", b"L'\x81\x40'", b"L'\\x3000'", 2,
     "a code-page-932 character in a wide literal"),
    ("Source/OBSCapture.cpp", b".m128_f32[", b"[", 5, "__m128 is a vector in clang, not a union"),
    ("Source/ImageProcessing.cpp", b"packVal.m128i_u32[", b"((UINT*)&packVal)[", 4,
     "__m128i is a vector of two 64-bit lanes in clang: its 32-bit lanes read through a pointer"),
    ("Source/ImageProcessing.cpp", b"avgVal.m128i_u32[", b"((UINT*)&avgVal)[", 1,
     "__m128i is a vector of two 64-bit lanes in clang: its 32-bit lanes read through a pointer"),
    ("Source/ImageProcessing.cpp", b"_mm_packus_epi16(avgVal, avgVal).m128i_u32[0]",
     b"(UINT)_mm_cvtsi128_si32(_mm_packus_epi16(avgVal, avgVal))", 1,
     "the lowest 32-bit lane of an __m128i expression"),
    ("Source/WindowStuff.cpp", b"sizeof TCHAR)", b"sizeof(TCHAR))", 1, "sizeof of a type needs parentheses"),
    ("Source/HTTPClient.cpp", b"sizeof URL_COMPONENTS,", b"sizeof(URL_COMPONENTS),", 1,
     "sizeof of a type needs parentheses"),
    ("Source/HTTPClient.cpp", b"        secure ? L\"https\" : L\"http\",", b"        (LPWSTR)(secure ? L\"https\" : L\"http\"),", 1,
     "a string literal as non-constant text, which Microsoft's compiler allows"),
    ("Source/WindowStuff.cpp", b"std::wstring log = GetPathFileName(ofd.fileName, true);",
     b"std::wstring log = GetPathFileName(ofd.fileName, true).Array();", 1,
     "String to std::wstring goes through two conversions, which Microsoft's compiler allows"),
    ("Source/WindowStuff.cpp", b"info.oaifInFlags = OAIF_ALLOW_REGISTRATION | OAIF_EXEC;",
     b"info.oaifInFlags = (OPEN_AS_INFO_FLAGS)(OAIF_ALLOW_REGISTRATION | OAIF_EXEC);", 1,
     "an int assigned to an enum, which Microsoft's compiler allows"),
    ("Source/Main.cpp", b"String strSceneCollection = scenecollection ? scenecollection :",
     b"String strSceneCollection = scenecollection ? String(scenecollection) :", 1,
     "?: between CTSTR and String, each convertible to the other, which Microsoft's compiler allows"),
    ("Source/Main.cpp", b"String strProfile = profile ? profile :", b"String strProfile = profile ? String(profile) :", 1,
     "?: between CTSTR and String, each convertible to the other, which Microsoft's compiler allows"),
    # Members of a dependent base named without its template arguments, which Microsoft's
    # compiler allows.
    ("QSVHelper/WindowsStuff.h", b": IPCType(name),", b": IPCType<T>(name),", 1, "a dependent base named bare"),
    ("QSVHelper/WindowsStuff.h", b": IPCSignalledType(name),", b": IPCSignalledType<T>(name),", 1,
     "a dependent base named bare"),
    ("QSVHelper/WindowsStuff.h", b": IPCArray(name, size),", b": IPCArray<T>(name, size),", 1,
     "a dependent base named bare"),
    ("QSVHelper/WindowsStuff.h", b": IPCSignalledArray(name, size),", b": IPCSignalledArray<T>(name, size),", 1,
     "a dependent base named bare"),
]


# Headers OBS Classic names as Microsoft's SDK spells them, where Wine's have another case: a
# forwarding header of each name goes into DESTINATION/forward, searched after the system's.
FORWARDS = ["Audioclient.h", "Avrt.h", "Mstcpip.h", "D3D10_1.h", "DXGI.h", "DbgHelp.h", "Dwmapi.h",
            "Iphlpapi.h", "MMReg.h", "MMSystem.h", "Mmdeviceapi.h", "ShlObj.h", "Shlobj.h", "Wincrypt.h",
            "Windows.h", "Winsock2.h", "XInput.h", "Xinput.h"]


def main(argv):
    if len(argv) < 4:
        sys.stderr.write(__doc__)
        return 2
    source = pathlib.Path(argv[1])
    destination = pathlib.Path(argv[2])
    files = {}
    for entry in argv[3:]:
        paths = [source / entry] if (source / entry).is_file() else sorted((source / entry).rglob("*"))
        for path in paths:
            if path.is_file():
                files[path.relative_to(source).as_posix()] = path.read_bytes()

    for name, old, new, count, why in EDITS:
        if name not in files:
            continue
        found = files[name].count(old)
        if found != count:
            sys.stderr.write(f"prepare.py: {name}: expected {count} of {old!r}, found {found} ({why})\n")
            return 1
        files[name] = files[name].replace(old, new)

    for name in FORWARDS:
        files["forward/" + name] = (f"// Microsoft's SDK spells this header {name}.\n"
                                    f"#include <{name.lower()}>\n").encode()

    written = 0
    for name, content in files.items():
        target = destination / name
        if target.is_file() and target.read_bytes() == content:
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(content)
        written += 1
    # What an earlier run wrote and this one did not goes: the copy is exactly the set above.
    for path in sorted(destination.rglob("*")) if destination.is_dir() else []:
        if path.is_file() and path.relative_to(destination).as_posix() not in files:
            path.unlink()
            written += 1
    if written:
        print(f"prepare.py: {written} file(s) of OBS Classic written to or removed from {destination}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
