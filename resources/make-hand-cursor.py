#!/usr/bin/env python3
"""Rebuild HAND-M.CUR, the pointing-hand cursor shown over clickable items.

Run from anywhere:  python3 resources/make-hand-cursor.py
The picture lives below as text so it can be touched up without an image
editor; the file is written with the standard library only so rebuilding
needs nothing beyond python3.
"""

import os
import struct

SIZE = 32

# '*' is an outline pixel that is also the hot spot; the hot spot has to sit
# on the fingertip, otherwise clicks land a few pixels away from where the
# user believes they are pointing.
# 'X' outline, 'o' fill, '.' transparent.
HAND = """
......X*X.............
.....XoooX............
.....XoooX............
.....XoooX............
.....XoooX............
.....XoooXXXX.........
.....XoooXoooXXXX.....
.....XoooXoooXoooXXX..
.....XoooXoooXoooXooX.
.....XoooXoooXoooXooX.
.XX..XoooXoooXoooXooX.
XooX.XoooXoooXoooXooX.
XoooXXooooooooooooooX.
.XoooXooooooooooooooX.
.XooooooooooooooooooX.
..XoooooooooooooooooX.
..XoooooooooooooooooX.
...XooooooooooooooooX.
...XoooooooooooooooX..
....XooooooooooooooX..
....XooooooooooooooX..
.....XooooooooooooX...
.....XooooooooooooX...
.....XXXXXXXXXXXXXX...
.....XooooooooooooX...
.....XooooooooooooX...
.....XXXXXXXXXXXXXX...
"""

# Where the drawing's top-left corner goes inside the 32x32 cell.  A small
# margin leaves room for the shadow without clipping it.
ORIGIN_X, ORIGIN_Y = 4, 1

BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
# A faint shadow keeps the white hand visible over white pages.
SHADOW = (0, 0, 0, 70)
CLEAR = (0, 0, 0, 0)


def build_pixels():
    rows = [r for r in HAND.strip("\n").split("\n")]
    pixels = [[CLEAR] * SIZE for _ in range(SIZE)]
    hot = None
    opaque = set()
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            px, py = ORIGIN_X + x, ORIGIN_Y + y
            if ch == ".":
                continue
            if not (0 <= px < SIZE and 0 <= py < SIZE):
                raise SystemExit(f"drawing leaves the {SIZE}x{SIZE} cell at row {y}")
            if ch == "*":
                hot = (px, py)
            pixels[py][px] = WHITE if ch == "o" else BLACK
            opaque.add((px, py))
    if hot is None:
        raise SystemExit("the drawing has no hot spot marker '*'")
    for px, py in opaque:
        sx, sy = px + 1, py + 1
        if sx < SIZE and sy < SIZE and (sx, sy) not in opaque:
            pixels[sy][sx] = SHADOW
    return pixels, hot


def cursor_bytes(pixels, hot):
    # DIB rows are stored bottom-up, and the header height counts the colour
    # bitmap and the AND mask together, hence SIZE * 2.
    xor = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((SIZE + 31) // 32) * 4
    and_mask = bytearray()
    for row in reversed(pixels):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        and_mask += line

    info = struct.pack(
        "<IiiHHIIiiII",
        40,  # header size
        SIZE,
        SIZE * 2,
        1,  # planes
        32,  # bits per pixel
        0,  # BI_RGB
        len(xor) + len(and_mask),
        0,
        0,
        0,
        0,
    )
    image = info + bytes(xor) + bytes(and_mask)

    header = struct.pack("<HHH", 0, 2, 1)  # reserved, type 2 = cursor, count
    entry = struct.pack(
        "<BBBBHHII",
        SIZE,
        SIZE,
        0,  # no palette
        0,
        hot[0],  # in cursor files the "planes" field is the hot spot x
        hot[1],  # and "bit count" is the hot spot y
        len(image),
        len(header) + 16,
    )
    return header + entry + image


def main():
    pixels, hot = build_pixels()
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "HAND-M.CUR")
    with open(out, "wb") as f:
        f.write(cursor_bytes(pixels, hot))
    print(f"wrote {out} (hot spot {hot[0]},{hot[1]})")


if __name__ == "__main__":
    main()
