#!/usr/bin/env python3
"""Checks the links of the front page and the docs pages:

    check-links.py [ROOT]

Every relative link and picture of ROOT/README.md and ROOT/docs/*.md must name a file or folder
that exists, and every #anchor (on its own, or after a Markdown file's name) a heading of that
page, named as GitHub names headings: lower case, punctuation but '-' and '_' dropped, spaces as
'-', a repeated heading given -1, -2, ... A link may not leave the repository. Links with a scheme
(https:, mailto:) are left alone, and so is anything inside code. Prints each broken link; exit 1 when there is one.
"""
import pathlib
import re
import sys

LINK = re.compile(r"!?\[(?:[^\]\\]|\\.)*\]\(\s*<?([^)\s>]*)>?(?:\s+\"[^\"]*\")?\s*\)")
FENCE = re.compile(r"^\s*(```|~~~)")
HEADING = re.compile(r"^#{1,6}\s+(.*?)\s*#*\s*$")
SCHEME = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*:")


def prose(text):
    """(line number, line) outside fenced and indented code blocks."""
    fenced = False
    previous_blank = True
    indented = False
    for number, line in enumerate(text.splitlines(), 1):
        if FENCE.match(line):
            fenced = not fenced
            previous_blank = False
            continue
        blank = not line.strip()
        indented = line.startswith("    ") and not blank and (previous_blank or indented)
        previous_blank = blank
        if not fenced and not indented:
            yield number, line


def slug(heading):
    text = re.sub(r"!?\[([^\]]*)\]\([^)]*\)", r"\1", heading)  # a link: its text
    text = text.replace("`", "").lower()
    text = re.sub(r"[^\w\- ]", "", text)
    return text.replace(" ", "-")


def anchors(path, cache={}):
    if path not in cache:
        counts = {}
        names = set()
        for _, line in prose(path.read_text(encoding="utf-8")):
            match = HEADING.match(line)
            if match:
                name = slug(match.group(1))
                names.add(name if name not in counts else f"{name}-{counts[name]}")
                counts[name] = counts.get(name, 0) + 1
        cache[path] = names
    return cache[path]


def broken_links(page, root):
    for number, line in prose(page.read_text(encoding="utf-8")):
        for target in LINK.findall(re.sub(r"`[^`]*`", "", line)):
            if not target or SCHEME.match(target):
                continue
            path, _, anchor = target.partition("#")
            where = (page.parent / path).resolve() if path else page
            shown = f"{page.relative_to(root)}:{number}: {target}"
            if root not in where.parents and where != root:
                yield f"{shown}: outside the repository"
            elif not where.exists():
                yield f"{shown}: no such file"
            elif anchor and where.suffix == ".md" and anchor not in anchors(where):
                yield f"{shown}: no heading #{anchor} in {where.relative_to(root)}"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent).resolve()
    pages = [root / "README.md", *sorted((root / "docs").glob("*.md"))]
    failures = [failure for page in pages for failure in broken_links(page, root)]
    for failure in failures:
        print(failure)
    print(f"{len(pages)} pages, {len(failures)} broken links")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
