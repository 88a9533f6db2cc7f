#!/usr/bin/env python3
"""Draws the closing routine's five 16 x 16 pictures, the project's own: a
letter on a round badge, one colour scheme per browser version. Each file is
768 bytes, 24 bits per pixel (blue, green, red), bottom row first, as a
16 x 16 colour bitmap reads back into a 24-bit device-independent bitmap.

Usage: make-icons.py [folder]   (writes IEXPLORE302.bin ... NETSCAPE404.bin)
"""
import os
import sys

LETTERS = {
    "e": ["..####..", ".#....#.", "#......#", "########", "#.......", "#.......", ".#....#.", "..####.."],
    "N": ["#......#", "##.....#", "#.#....#", "#..#...#", "#...#..#", "#....#.#", "#.....##", "#......#"],
}

# name: letter, badge colour, letter colour, background (r, g, b)
PICTURES = {
    "IEXPLORE302": ("e", (40, 90, 200), (250, 250, 250), (200, 210, 230)),
    "IEXPLORE40": ("e", (20, 120, 220), (255, 220, 60), (230, 230, 230)),
    "IEXPLORE500": ("e", (0, 60, 150), (120, 200, 255), (250, 250, 250)),
    "NETSCAPE304": ("N", (0, 110, 110), (255, 255, 255), (180, 200, 200)),
    "NETSCAPE404": ("N", (20, 40, 90), (250, 180, 40), (210, 220, 240)),
}


def picture(letter, badge, ink, back):
    rows = []
    for y in range(16):
        row = []
        for x in range(16):
            dx, dy = x - 7.5, y - 7.5
            colour = badge if dx * dx + dy * dy <= 56 else back
            lx, ly = x - 4, y - 4
            if 0 <= lx < 8 and 0 <= ly < 8 and LETTERS[letter][ly][lx] == "#":
                colour = ink
            row.append(colour)
        rows.append(row)
    data = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b in row:
            data += bytes((b, g, r))
    assert len(data) == 768
    return bytes(data)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, (letter, badge, ink, back) in PICTURES.items():
        with open(os.path.join(folder, name + ".bin"), "wb") as f:
            f.write(picture(letter, badge, ink, back))


if __name__ == "__main__":
    main()
