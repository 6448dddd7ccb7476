#!/usr/bin/env python3
"""Build the built-in 8x8 font (code page 437 layout) from Linux console fonts.

Reads one or more PSF1/PSF2 fonts (optionally gzip-compressed) with 8x8
glyphs and a Unicode mapping table, looks up the glyph for the Unicode
character of every CP437 code 0..255 and writes platform/font8x8.cpp.

For each code the first font given that maps its character (or the
character's ALTERNATES stand-in) wins; later fonts are only consulted for
characters the earlier ones lack.  HAND_DRAWN glyphs replace characters
that no font has or that the fonts draw wrongly.  Every glyph not taken
directly from the first font is listed in the output header and on
stderr.  The tool fails if two codes other than the blank ones would get
the same glyph, which is how stand-in glyphs in a font show up.

Usage:
    python3 tools/psf_to_cp437.py [-o platform/font8x8.cpp] FONT.psf.gz...

The header of the generated file records the command that produced it.
"""

import argparse
import gzip
import os
import sys

PSF1_MAGIC = b"\x36\x04"
PSF1_MODE512 = 0x01
PSF1_MODEHASTAB = 0x02
PSF1_SEPARATOR = 0xFFFF
PSF1_STARTSEQ = 0xFFFE

PSF2_MAGIC = b"\x72\xb5\x4a\x86"
PSF2_HAS_UNICODE_TABLE = 0x01
PSF2_SEPARATOR = 0xFF
PSF2_STARTSEQ = 0xFE

# Codes 1..31 and 127 are control codes in the cp437 codec, but the
# IBM PC displays them as these graphic characters.
CONTROL_GRAPHICS = (
    "\u263a\u263b\u2665\u2666\u2663\u2660\u2022\u25d8"  # 1..8    ☺☻♥♦♣♠•◘
    "\u25cb\u25d9\u2642\u2640\u266a\u266b\u263c\u25ba"  # 9..16   ○◙♂♀♪♫☼►
    "\u25c4\u2195\u203c\u00b6\u00a7\u25ac\u21a8\u2191"  # 17..24  ◄↕‼¶§▬↨↑
    "\u2193\u2192\u2190\u221f\u2194\u25b2\u25bc"        # 25..31  ↓→←∟↔▲▼
)
assert len(CONTROL_GRAPHICS) == 31
HOUSE = "\u2302"  # ⌂, shown for code 127

# Characters of the same shape under another code point, tried in each
# font right after the code's own character.  The console fonts draw the
# pointers of codes 16 and 17 as the triangles U+25B6 and U+25C0, and
# the fonts with full box drawing carry the Greek capitals Gamma and Phi
# and small phi only as their Cyrillic twins.
ALTERNATES = {
    16: "\u25b6",   # ► as ▶
    17: "\u25c0",   # ◄ as ◀
    226: "\u0413",  # Γ as Г
    232: "\u0424",  # Φ as Ф
    237: "\u0444",  # φ as ф
}

# Codes whose glyph is the horizontal mirror image of another character's
# glyph, used when no font has the code's own character: ⌐ (reversed not
# sign) is ¬ flipped left to right.
MIRRORED = {
    169: "\u00ac",
}

# Glyphs drawn by hand, used in preference to the fonts.  Each is 8 rows,
# bit 7 = leftmost pixel.  Two reasons to draw a glyph:
#  - no font has the character (158, 236, 239, 240);
#  - the 8x8 console fonts map the character to a copy of another
#    character's glyph (alpha is drawn as sharp s, pi as the triple bar,
#    Sigma as a box corner, sigma as less-or-equal, ...), so their glyph
#    would be wrong.  This holds for the Greek letters below in every
#    *-VGA8 font of console-setup-linux.
HAND_DRAWN = {
    # ₧ peseta sign: "Pt" in one cell (no room for the s).
    158: [0xF0, 0xD8, 0xDA, 0xF7, 0xC2, 0xC2, 0xC3, 0x00],
    224: [0x00, 0x00, 0x76, 0xDC, 0xC8, 0xDC, 0x76, 0x00],  # α
    227: [0x00, 0x00, 0xFE, 0x6C, 0x6C, 0x6C, 0x6C, 0x00],  # π
    228: [0xFE, 0xC6, 0x60, 0x30, 0x60, 0xC6, 0xFE, 0x00],  # Σ
    229: [0x00, 0x00, 0x7E, 0xD8, 0xD8, 0xD8, 0x70, 0x00],  # σ
    231: [0x00, 0x00, 0x7E, 0xD8, 0x18, 0x18, 0x0E, 0x00],  # τ
    233: [0x38, 0x6C, 0xC6, 0xFE, 0xC6, 0x6C, 0x38, 0x00],  # Θ
    234: [0x38, 0x6C, 0xC6, 0xC6, 0x6C, 0x6C, 0xEE, 0x00],  # Ω
    235: [0x3C, 0x60, 0x30, 0x7C, 0xCC, 0xCC, 0x78, 0x00],  # δ
    # ∞ infinity: two loops side by side.
    236: [0x00, 0x00, 0x6C, 0x92, 0x92, 0x6C, 0x00, 0x00],
    238: [0x00, 0x00, 0x3C, 0x60, 0x7C, 0x60, 0x3C, 0x00],  # ε
    # ∩ intersection: an arch of two-pixel-wide strokes.
    239: [0x00, 0x7C, 0xC6, 0xC6, 0xC6, 0xC6, 0xC6, 0x00],
    # ≡ identical to: three bars.
    240: [0x00, 0xFE, 0x00, 0xFE, 0x00, 0xFE, 0x00, 0x00],
}

# Codes that are meant to look alike: NUL, space and no-break space are
# all blank.  Any other pair of identical glyphs means a font mapped a
# character to a stand-in (for example double box lines drawn as single
# ones), which the tool refuses.
BLANK_CODES = {0, 32, 255}


def cp437_char(code):
    """Unicode character displayed for a CP437 code, or None for blank."""
    if code == 0:
        return None
    if 1 <= code <= 31:
        return CONTROL_GRAPHICS[code - 1]
    if code == 127:
        return HOUSE
    return bytes([code]).decode("cp437")  # 255 is U+00A0 (no-break space)


class PsfFont:
    def __init__(self, path):
        self.path = path
        with open(path, "rb") as f:
            data = f.read()
        if data[:2] == b"\x1f\x8b":
            data = gzip.decompress(data)
        self.glyphs = []        # raw glyph bytes
        self.unicode = {}       # character -> glyph index (first mapping wins)
        if data[:2] == PSF1_MAGIC:
            self._parse_psf1(data)
        elif data[:4] == PSF2_MAGIC:
            self._parse_psf2(data)
        else:
            raise ValueError(f"{path}: not a PSF font")
        if (self.width, self.height) != (8, 8):
            raise ValueError(f"{path}: glyphs are {self.width}x{self.height},"
                             " need 8x8")

    def _map(self, char, index):
        self.unicode.setdefault(char, index)

    def _parse_psf1(self, data):
        mode, charsize = data[2], data[3]
        count = 512 if mode & PSF1_MODE512 else 256
        self.width, self.height = 8, charsize
        pos = 4
        for _ in range(count):
            self.glyphs.append(data[pos:pos + charsize])
            pos += charsize
        if not mode & PSF1_MODEHASTAB:
            raise ValueError(f"{self.path}: no Unicode table")
        for index in range(count):
            in_sequence = False
            while True:
                value = int.from_bytes(data[pos:pos + 2], "little")
                pos += 2
                if value == PSF1_SEPARATOR:
                    break
                if value == PSF1_STARTSEQ:
                    in_sequence = True  # combining sequences are not used
                elif not in_sequence:
                    self._map(chr(value), index)

    def _parse_psf2(self, data):
        def u32(offset):
            return int.from_bytes(data[offset:offset + 4], "little")
        headersize, flags = u32(8), u32(12)
        count, charsize = u32(16), u32(20)
        self.height, self.width = u32(24), u32(28)
        pos = headersize
        for _ in range(count):
            self.glyphs.append(data[pos:pos + charsize])
            pos += charsize
        if not flags & PSF2_HAS_UNICODE_TABLE:
            raise ValueError(f"{self.path}: no Unicode table")
        for index in range(count):
            end = data.index(bytes([PSF2_SEPARATOR]), pos)
            entry = data[pos:end]
            pos = end + 1
            singles = entry.split(bytes([PSF2_STARTSEQ]))[0]
            for char in singles.decode("utf-8"):
                self._map(char, index)

    def glyph(self, char):
        index = self.unicode.get(char)
        return None if index is None else list(self.glyphs[index])


def mirror(rows):
    """Flips a glyph left to right.  When its rightmost column is the
    blank spacing column, only the seven columns left of it are flipped,
    so the result keeps its spacing on the right."""
    flipped = [int(f"{r:08b}"[::-1], 2) for r in rows]
    if not any(r & 0x01 for r in rows):
        flipped = [(r << 1) & 0xFF for r in flipped]
    return flipped


def find(fonts, code):
    """(rows, source) for a code from the fonts, or None.

    Fonts are tried in order; in each, the code's own character first,
    then its alternate.  The mirrored substitute is a last resort.
    """
    char = cp437_char(code)
    for font in fonts:
        name = os.path.basename(font.path)
        rows = font.glyph(char)
        if rows is not None:
            return rows, name
        if code in ALTERNATES:
            rows = font.glyph(ALTERNATES[code])
            if rows is not None:
                return rows, f"{name} as U+{ord(ALTERNATES[code]):04X}"
    if code in MIRRORED:
        for font in fonts:
            rows = font.glyph(MIRRORED[code])
            if rows is not None:
                return mirror(rows), (f"{os.path.basename(font.path)} as"
                                      f" U+{ord(MIRRORED[code]):04X} mirrored")
    return None


def build(fonts):
    """Returns (glyphs, sources) for codes 0..255.

    sources[code] says where the glyph came from: "blank", "hand-drawn",
    or a font file name, followed by how it was obtained when not
    directly.
    """
    glyphs, sources = [], []
    for code in range(256):
        if cp437_char(code) is None:
            rows, source = [0] * 8, "blank"
        elif code in HAND_DRAWN:
            rows, source = list(HAND_DRAWN[code]), "hand-drawn"
        else:
            found = find(fonts, code)
            if found is None:
                raise SystemExit(f"code {code} ({describe(code)}) is in no"
                                 " font and has no substitute")
            rows, source = found
        glyphs.append(rows)
        sources.append(source)

    seen = {}
    for code, rows in enumerate(glyphs):
        if code in BLANK_CODES:
            if any(rows):
                raise SystemExit(f"code {code} ({describe(code)}) is not"
                                 f" blank in {sources[code]}")
            continue
        other = seen.setdefault(tuple(rows), code)
        if other != code:
            raise SystemExit(f"codes {other} ({describe(other)}, "
                             f"{sources[other]}) and {code} ({describe(code)},"
                             f" {sources[code]}) have the same glyph")
    return glyphs, sources


def describe(code):
    char = cp437_char(code)
    if char is None:
        return "NUL"
    name = f"U+{ord(char):04X}"
    # A backslash ending a // comment would continue it onto the next line.
    if char == "\\":
        name += " backslash"
    elif char.isprintable() and not char.isspace():
        name += f" {char}"
    return name


def render(glyphs, sources, font_paths, command):
    out = []
    out.append("// Generated by tools/psf_to_cp437.py - do not edit by hand.")
    out.append("//")
    out.append("// Glyphs come from these console fonts of Debian's"
               " console-setup-linux")
    out.append("// package (in /usr/share/consolefonts), earlier ones"
               " preferred:")
    for path in font_paths:
        out.append(f"//   {os.path.basename(path)}")
    out.append("// looked up through their Unicode tables for the character"
               " of each code")
    out.append("// page 437 code.")
    primary = os.path.basename(font_paths[0])
    others = [(c, s) for c, s in enumerate(sources)
              if s not in (primary, "blank")]
    if others:
        out.append("//")
        out.append("// Not taken directly from the first font:")
        for code, source in others:
            out.append(f"//   {code:3d} {describe(code)}: {source}")
    out.append("//")
    out.append("// Regenerate with (one command line):")
    out.append(f"//   {command[0]}")
    for part in command[1:]:
        out.append(f"//       {part}")
    out.append("")
    out.append('#include "platform/font8x8.h"')
    out.append("")
    out.append("namespace chartest {")
    out.append("")
    out.append("const uint8_t FONT_8X8[256][8] = {")
    for code, rows in enumerate(glyphs):
        values = ", ".join(f"0x{r:02X}" for r in rows)
        out.append(f"    {{{values}}},  // {code:3d} {describe(code)}")
    out.append("};")
    out.append("")
    out.append("}  // namespace chartest")
    out.append("")
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("fonts", nargs="+", help="PSF fonts, in priority order")
    parser.add_argument("-o", "--output", default="platform/font8x8.cpp")
    args = parser.parse_args()

    fonts = [PsfFont(p) for p in args.fonts]
    glyphs, sources = build(fonts)

    command = ["python3 tools/psf_to_cp437.py -o " + args.output] + args.fonts
    with open(args.output, "w", encoding="utf-8") as f:
        f.write(render(glyphs, sources, args.fonts, command))

    primary = os.path.basename(args.fonts[0])
    for code, source in enumerate(sources):
        if source not in (primary, "blank"):
            print(f"code {code} ({describe(code)}): {source}",
                  file=sys.stderr)


if __name__ == "__main__":
    main()
