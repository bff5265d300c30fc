#!/usr/bin/env python3
"""Draws the program icon and writes assets/tarnvel.ico.

A black rhombus lying across the square, with a small opening left of its
centre, a white highlight along the upper-left edge and a short white stroke
near the lower right.  The 32x32 and 16x16 images are drawn separately, each
in the 16-colour palette with a mask for the transparent parts.
"""

import pathlib
import struct

# The standard Windows 16-colour (VGA) palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK = 0
WHITE = 15
CLEAR = None

# Per size: the first rhombus row, the rows and inset of the two white strokes,
# and the opening as (row, first column, last column) runs.  The edges climb
# two pixels per row, so they have no uneven steps, and the strokes follow the
# same slope.  At 16x16 the opening sits one row below the centre line: any
# higher and it would run into the highlight.
DESIGNS = {
    32: {
        "top": 8,
        "highlight_rows": range(10, 15),
        "highlight_inset": 2,
        "stroke_rows": range(18, 21),
        "stroke_inset": 2,
        "opening": [(15, 10, 13), (16, 10, 13)],
    },
    16: {
        "top": 4,
        "highlight_rows": range(5, 7),
        "highlight_inset": 2,
        "stroke_rows": range(9, 10),
        "stroke_inset": 2,
        "opening": [(8, 5, 6)],
    },
}


def draw(size, design):
    pixels = [[CLEAR] * size for _ in range(size)]
    top = design["top"]
    half = size // 2
    rows = 2 * (half - top)

    def edges(row):
        step = row - top if row < half else top + rows - 1 - row
        width = 2 + 4 * step
        return half - width // 2, half + width // 2 - 1

    for row in range(top, top + rows):
        left, right = edges(row)
        for col in range(left, right + 1):
            pixels[row][col] = BLACK
    for row in design["highlight_rows"]:
        left, _ = edges(row)
        col = left + design["highlight_inset"]
        pixels[row][col] = pixels[row][col + 1] = WHITE
    for row in design["stroke_rows"]:
        _, right = edges(row)
        col = right - design["stroke_inset"]
        pixels[row][col] = pixels[row][col - 1] = WHITE
    for row, first, last in design["opening"]:
        for col in range(first, last + 1):
            pixels[row][col] = CLEAR
    return pixels


def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def icon_image(pixels):
    """One icon image: BITMAPINFOHEADER, palette, 4-bit colours, AND mask."""
    size = len(pixels)
    colour_rows = []
    mask_rows = []
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        indices = [BLACK if p is CLEAR else p for p in row]
        colour_rows.append(padded(bytes(
            indices[i] << 4 | indices[i + 1] for i in range(0, size, 2))))
        bits = 0
        for p in row:
            bits = bits << 1 | (p is CLEAR)
        mask_rows.append(padded(bits.to_bytes(size // 8, "big")))
    colours = b"".join(colour_rows)
    mask = b"".join(mask_rows)
    # The height counts colour and mask together, as icon images require.
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0,
                         len(colours) + len(mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBx", b, g, r) for r, g, b in PALETTE)
    return header + palette + colours + mask


def ico(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4,
                               len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, data in images)


def main():
    images = [(size, icon_image(draw(size, DESIGNS[size]))) for size in (32, 16)]
    out = pathlib.Path(__file__).resolve().parent.parent / "assets" / "tarnvel.ico"
    out.parent.mkdir(exist_ok=True)
    out.write_bytes(ico(images))


if __name__ == "__main__":
    main()
