#!/usr/bin/env python3
"""Writes the standard 256-colour VGA palette as a colour table for the text display.

Output: one opaque 0xAARRGGBB colour per line in the "&H" form, each line ended by CR LF,
index 0 on the first line. Default: workdir/Assets/Property/VGA Table.Property beside
this tools/ folder; another path may be given as the only argument.

The palette is built from its construction, in the 6-bit DAC levels (0..63) of the VGA:
  0-15     the 16 colours of the text modes: levels 0, 21, 42, 63 (brown has its
           green at 21 instead of 42)
  16-31    16 greys rising from black to white
  32-247   nine hue ramps of 24 colours: three intensities (top level 63, 28, 16) times
           three saturations (how high the lowest component sits), each ramp going round
           blue, magenta, red, yellow, green, cyan and back towards blue
  248-255  black
A 6-bit level v becomes the 8-bit level round(v * 255 / 63), so 63 is 255 and 42 is 170.
"""

import os
import sys

BASIC16 = [
    (0, 0, 0), (0, 0, 42), (0, 42, 0), (0, 42, 42),
    (42, 0, 0), (42, 0, 42), (42, 21, 0), (42, 42, 42),
    (21, 21, 21), (21, 21, 63), (21, 63, 21), (21, 63, 63),
    (63, 21, 21), (63, 21, 63), (63, 63, 21), (63, 63, 63),
]

GREYS = [0, 5, 8, 11, 14, 17, 20, 24, 28, 32, 36, 40, 45, 50, 56, 63]

# The five levels of each ramp, lowest to highest, by intensity and then saturation.
RAMP_LEVELS = [
    [0, 16, 31, 47, 63], [31, 39, 47, 55, 63], [45, 49, 54, 58, 63],
    [0, 7, 14, 21, 28], [14, 17, 21, 24, 28], [20, 22, 24, 26, 28],
    [0, 4, 8, 12, 16], [8, 10, 12, 14, 16], [11, 12, 13, 15, 16],
]


def ramp(levels):
    """24 colours round the hue circle, starting at blue: one component moves at a time
    between the lowest and the highest level."""
    lo, hi = 0, 4
    # (red, green, blue) as indices into `levels`, for each of the 24 steps.
    steps = []
    for k in range(4):  # blue -> magenta: red rises
        steps.append((k, lo, hi))
    for k in range(4):  # magenta -> red: blue falls
        steps.append((hi, lo, hi - k))
    for k in range(4):  # red -> yellow: green rises
        steps.append((hi, k, lo))
    for k in range(4):  # yellow -> green: red falls
        steps.append((hi - k, hi, lo))
    for k in range(4):  # green -> cyan: blue rises
        steps.append((lo, hi, k))
    for k in range(4):  # cyan -> blue: green falls
        steps.append((lo, hi - k, hi))
    return [tuple(levels[i] for i in step) for step in steps]


def palette():
    colours = list(BASIC16)
    colours += [(g, g, g) for g in GREYS]
    for levels in RAMP_LEVELS:
        colours += ramp(levels)
    colours += [(0, 0, 0)] * 8
    assert len(colours) == 256
    return colours


def to8(v):
    return (v * 255 + 31) // 63


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        here, "..", "workdir", "Assets", "Property", "VGA Table.Property")
    os.makedirs(os.path.dirname(os.path.abspath(target)), exist_ok=True)
    lines = []
    for r, g, b in palette():
        argb = 0xFF000000 | (to8(r) << 16) | (to8(g) << 8) | to8(b)
        lines.append("&H%08X\r\n" % argb)
    with open(target, "wb") as out:
        out.write("".join(lines).encode("ascii"))


if __name__ == "__main__":
    main()
