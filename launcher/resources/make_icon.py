#!/usr/bin/env python3
"""Draws the program's icon, a power symbol, and writes velmoran.ico (16, 32 and 48 pixels)."""
import math
import struct
import sys


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


def bitmap(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(pixels(size)) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    return header + colour + bytes(mask_row * size)


def main(path):
    sizes = [16, 32, 48]
    images = [bitmap(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "velmoran.ico")
