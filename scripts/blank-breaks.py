#!/usr/bin/python3
"""Derives a TrueType font whose character map gives CR (U+000D) and LF (U+000A) an empty glyph
of zero advance, as Windows' own fonts do, under a family name of its own.

    blank-breaks.py SOURCE INDEX FAMILY STYLE WEIGHT OUTPUT [CELL]

SOURCE is a .ttf or .ttc (INDEX picks the face of a collection, -1 for a single font), FAMILY and
STYLE the new names ("Tavik Song", "Regular"), WEIGHT the OS/2 weight class (400, 700), OUTPUT the
.ttf to write. CELL, as ASCENT/EM ("220/256", SimSun's), makes the character cell one em high
with that share above the baseline and no line gap, so that a font of cell height N has an em of
N pixels and lines N pixels apart, as SimSun has. Only the tables that must change are rebuilt; the glyph outlines are copied as
they are, so a collection of 20 MB takes a few seconds.
"""
import sys

from fontTools.ttLib import TTFont
from fontTools.ttLib.tables._g_l_y_f import Glyph

BREAKS = (0x0D, 0x0A)
GLYPH = "uni000D"
# Every record that names the face: family, style, unique id, full name, PostScript name,
# typographic family and style, WWS family and style.
NAME_IDS = (1, 2, 3, 4, 6, 16, 17, 21, 22)
# Tables kept per glyph that this script does not extend; all are optional.
PER_GLYPH_OPTIONAL = ("hdmx", "LTSH", "VDMX")


def derive(source, index, family, style, weight, output, cell=None):
    font = TTFont(source, fontNumber=index if index >= 0 else -1, lazy=True,
                  recalcBBoxes=False, recalcTimestamp=False)
    if "glyf" not in font:
        raise SystemExit(f"{source}: not a TrueType-outline font")

    order = list(font.getGlyphOrder())
    if GLYPH not in order:
        # Load what is indexed by glyph before the order grows; the rest is copied as it is.
        for tag in ("maxp", "post", "loca", "hhea", "vhea", "cmap"):
            if tag in font:
                font[tag]
        glyf = font["glyf"]
        hmtx = font["hmtx"]
        vmtx = font["vmtx"] if "vmtx" in font else None
        for tag in PER_GLYPH_OPTIONAL:
            if tag in font:
                del font[tag]
        order.append(GLYPH)
        font.setGlyphOrder(order)
        glyf.glyphOrder = order
        glyf[GLYPH] = Glyph()  # no contours
        hmtx[GLYPH] = (0, 0)
        if vmtx is not None:
            vmtx[GLYPH] = (0, 0)
        font["maxp"].numGlyphs = len(order)

    for table in font["cmap"].tables:
        if table.isUnicode():
            for code in BREAKS:
                table.cmap[code] = GLYPH
    os2 = font["OS/2"]
    os2.usFirstCharIndex = min(os2.usFirstCharIndex, min(BREAKS))
    os2.usWeightClass = weight
    if cell:
        share_up, share_em = (int(v) for v in cell.split("/"))
        em = font["head"].unitsPerEm
        ascent = round(em * share_up / share_em)
        descent = em - ascent
        os2.usWinAscent, os2.usWinDescent = ascent, descent
        os2.sTypoAscender, os2.sTypoDescender, os2.sTypoLineGap = ascent, -descent, 0
        hhea = font["hhea"]
        hhea.ascent, hhea.descent, hhea.lineGap = ascent, -descent, 0

    names = font["name"]
    names.names = [n for n in names.names if n.nameID not in NAME_IDS]
    postscript = (family + "-" + style).replace(" ", "")
    full = family if style == "Regular" else f"{family} {style}"
    for name_id, text in ((1, family), (2, style), (3, f"{postscript};blank line breaks"),
                          (4, full), (6, postscript)):
        names.setName(text, name_id, 3, 1, 0x409)
        names.setName(text, name_id, 1, 0, 0)

    font.save(output)


if __name__ == "__main__":
    if len(sys.argv) not in (7, 8):
        raise SystemExit(__doc__)
    derive(sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4], int(sys.argv[5]), sys.argv[6],
           sys.argv[7] if len(sys.argv) == 8 else None)
