#!/usr/bin/env python3
"""Draws the program's icon, a power symbol, and writes velmoran.ico (16, 32 and 48 pixels):

    make_icon.py [velmoran.ico]

The images are stored as PNG, which Windows reads in icons since Vista; uncompressed bitmaps
would make the icon several times larger than the program's own code.

    make_icon.py --png SIZE FILE

writes the same drawing at SIZE pixels as a PNG, for the Linux desktop's icon theme. A PNG
depends on the drawing and zlib alone, so every build writes the same bytes."""
import math
import struct
import sys
import zlib


def pixels(size):
    rows = []
    centre = (size - 1) / 2
    outer, inner = size * 0.42, size * 0.30
    for y in range(size):
        row = []
        for x in range(size):
            dx, dy = x - centre, y - centre
            radius = math.hypot(dx, dy)
            angle = math.degrees(math.atan2(dx, -dy))
            ring = inner <= radius <= outer and abs(angle) > 35
            bar = abs(dx) <= size * 0.06 and -outer <= dy <= 0
            disc = radius <= size * 0.48
            if ring or bar:
                row.append((255, 255, 255, 255))
            elif disc:
                row.append((0x2b, 0x6c, 0xd9, 255))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(size):
    rows = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in pixels(size))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def main(path):
    sizes = [16, 32, 48]
    images = [png(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--png":
        with open(sys.argv[3], "wb") as f:
            f.write(png(int(sys.argv[2])))
    else:
        main(sys.argv[1] if len(sys.argv) > 1 else "velmoran.ico")
