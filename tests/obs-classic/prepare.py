#!/usr/bin/env python3
"""Copies what the test fixtures build of OBS Classic's source into the build tree and makes, in
that copy only, the smallest edits clang and Wine's headers need. The source folder is never
written. No edit touches a declaration, so what is built exports the names Microsoft's compiler
gives the same source.

    prepare.py SOURCE DESTINATION FOLDER...

Files are written only when their content changes, so a build reuses what it compiled.
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
]


def main(argv):
    if len(argv) < 4:
        sys.stderr.write(__doc__)
        return 2
    source = pathlib.Path(argv[1])
    destination = pathlib.Path(argv[2])
    files = {}
    for folder in argv[3:]:
        for path in sorted((source / folder).rglob("*")):
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

    written = 0
    for name, content in files.items():
        target = destination / name
        if target.is_file() and target.read_bytes() == content:
            continue
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(content)
        written += 1
    if written:
        print(f"prepare.py: {written} file(s) of OBS Classic written to {destination}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
