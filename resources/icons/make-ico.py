#!/usr/bin/env python3
"""Packs the program icon's PNG renderings into brindlecast.ico, the Windows executable's icon.

Each size goes in as a PNG entry, which Windows reads from Vista on: the pictures stay exactly
the ones the Linux desktop shows. Run it again after changing the PNG files:

    resources/icons/make-ico.py
"""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
SIZES = (16, 32, 48, 64, 128, 256)


def main():
    images = [(size, (HERE / f"brindlecast-{size}.png").read_bytes()) for size in SIZES]
    header = struct.pack("<HHH", 0, 1, len(images))  # reserved, type 1 = icon, count
    offset = len(header) + 16 * len(images)
    entries, data = b"", b""
    for size, png in images:
        side = size % 256  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(png), offset + len(data))
        data += png
    (HERE / "brindlecast.ico").write_bytes(header + entries + data)


if __name__ == "__main__":
    main()
