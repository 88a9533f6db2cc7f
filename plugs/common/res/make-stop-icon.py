#!/usr/bin/env python3
"""Draws the "Stop here" button's icon (a red octagon with a white bar) as a
32x32 32-bit .ico: python3 make-stop-icon.py OUT.ico"""
import struct
import sys

SIZE = 32
RED = (0xD0, 0x10, 0x10)
WHITE = (0xFF, 0xFF, 0xFF)


def pixel(x, y):
    # Octagon: a square with its corners cut at 9 pixels, one pixel of margin.
    if x < 1 or y < 1 or x > SIZE - 2 or y > SIZE - 2:
        return None
    cut = 9
    for cx, cy in ((1, 1), (SIZE - 2, 1), (1, SIZE - 2), (SIZE - 2, SIZE - 2)):
        if abs(x - cx) + abs(y - cy) < cut:
            return None
    if 7 <= x <= SIZE - 8 and 13 <= y <= SIZE - 14:
        return WHITE
    return RED


def main(out):
    xor = bytearray()
    andmask = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up rows
        bits = 0
        for x in range(SIZE):
            p = pixel(x, y)
            if p is None:
                xor += bytes((0, 0, 0, 0))
                bits |= 1 << (SIZE - 1 - x)
            else:
                xor += bytes((p[2], p[1], p[0], 0xFF))
        andmask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    image = header + xor + andmask
    ico = struct.pack("<HHH", 0, 1, 1)
    ico += struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    with open(out, "wb") as f:
        f.write(ico + image)


if __name__ == "__main__":
    main(sys.argv[1])
