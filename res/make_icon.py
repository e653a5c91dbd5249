#!/usr/bin/env python3
"""Draws the program's icons in 256 colours and writes them as .ico files beside this script:

- mirafold.ico, 48 x 48: a folder with a blue arrow to its second home;
- folder_closed.ico and folder_open.ico, 16 x 16: the rows of the folder lists.

The .ico files are kept in the repository; run this again only to change a picture.
"""
import os
import struct

PALETTE = [(0, 0, 0), (255, 255, 255), (120, 80, 10), (240, 190, 60), (250, 220, 120),
           (0, 70, 200), (40, 120, 240)]
OUTLINE, GOLD, LIGHT, BLUE_DARK, BLUE, WHITE = 2, 3, 4, 5, 6, 1


class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[None] * size for _ in range(size)]

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.pixels[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        self.fill(x0, y0, x1, y0 + 1, colour)
        self.fill(x0, y1 - 1, x1, y1, colour)
        self.fill(x0, y0, x0 + 1, y1, colour)
        self.fill(x1 - 1, y0, x1, y1, colour)

    def ico(self):
        size = self.size
        colours = PALETTE + [(0, 0, 0)] * (256 - len(PALETTE))
        header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
        pal = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in colours)
        row_bytes = (size + 3) // 4 * 4
        xor = b''.join(bytes(0 if p is None else p for p in row).ljust(row_bytes, b'\0')
                       for row in reversed(self.pixels))
        mask_bytes = (size + 31) // 32 * 4
        mask = b''
        for row in reversed(self.pixels):
            bits = 0
            for x, p in enumerate(row):
                if p is None:
                    bits |= 1 << (mask_bytes * 8 - 1 - x)
            mask += bits.to_bytes(mask_bytes, 'big')
        image = header + pal + xor + mask
        entry = struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 8, len(image), 22)
        return struct.pack('<HHH', 0, 1, 1) + entry + image


def program_icon():
    c = Canvas(48)
    c.fill(3, 8, 19, 13, GOLD)
    c.frame(3, 8, 19, 13, OUTLINE)
    c.fill(3, 12, 41, 38, GOLD)
    c.fill(5, 17, 41, 38, LIGHT)
    c.frame(3, 12, 41, 38, OUTLINE)
    # The arrow, white-edged so it reads on the folder: shaft, then the head.
    for y in range(25, 46):
        for x in range(20, 47):
            head = x >= 34 and abs(y - 35) <= (46 - x)
            shaft = 20 <= x < 35 and 32 <= y <= 38
            edge = (x >= 33 and abs(y - 35) <= (47 - x)) or (19 <= x < 35 and 31 <= y <= 39)
            if head or shaft:
                c.pixels[y][x] = BLUE if y < 35 else BLUE_DARK
            elif edge:
                c.pixels[y][x] = WHITE
    return c


def folder_icon(open_):
    c = Canvas(16)
    c.fill(1, 2, 7, 4, GOLD)
    c.frame(1, 2, 7, 4, OUTLINE)
    c.fill(1, 3, 15, 14, GOLD)
    c.frame(1, 3, 15, 14, OUTLINE)
    if open_:
        # The front flap tilted forward, a parallelogram over the back.
        for y in range(6, 14):
            left = 4 - (y - 6) * 3 // 7
            right = 16 - (y - 6) * 2 // 7
            c.fill(left, y, right, y + 1, OUTLINE if y in (6, 13) else LIGHT)
            c.pixels[y][left] = OUTLINE
            c.pixels[y][right - 1] = OUTLINE
    else:
        c.fill(2, 5, 14, 13, LIGHT)
    return c


here = os.path.dirname(os.path.abspath(__file__))
for name, canvas in (('mirafold.ico', program_icon()), ('folder_closed.ico', folder_icon(False)),
                     ('folder_open.ico', folder_icon(True))):
    with open(os.path.join(here, name), 'wb') as f:
        f.write(canvas.ico())
