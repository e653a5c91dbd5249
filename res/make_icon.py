#!/usr/bin/env python3
"""Draws the program's icons in 256 colours and writes them as .ico files beside this script,
each holding the sizes a window needs from 100 % to 300 % scaling (16, 20, 24, 32 and 48 px):

- mirafold.ico: a folder with a blue arrow to its second home;
- folder_closed.ico and folder_open.ico: the rows of the folder lists.

Every picture is drawn afresh at each size from one design (48 units for the program's icon, 16
for the folders' ones), so that no size is a blurred copy of another; outlines stay one pixel wide.
The .ico files are kept in the repository; run this again only to change a picture.
"""
import os
import struct

PALETTE = [(0, 0, 0), (255, 255, 255), (120, 80, 10), (240, 190, 60), (250, 220, 120),
           (0, 70, 200), (40, 120, 240)]
OUTLINE, GOLD, LIGHT, BLUE_DARK, BLUE, WHITE = 2, 3, 4, 5, 6, 1
SIZES = (16, 20, 24, 32, 48)


class Canvas:
    """A square of pixels addressed in design units; `units` of them span the whole square."""

    def __init__(self, size, units):
        self.size = size
        self.scale = size / units
        self.pixels = [[None] * size for _ in range(size)]

    def px(self, v):
        return min(self.size, max(0, round(v * self.scale)))

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(self.px(y0), self.px(y1)):
            for x in range(self.px(x0), self.px(x1)):
                self.pixels[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        l, t, r, b = self.px(x0), self.px(y0), self.px(x1), self.px(y1)
        for x in range(l, r):
            self.pixels[t][x] = self.pixels[b - 1][x] = colour
        for y in range(t, b):
            self.pixels[y][l] = self.pixels[y][r - 1] = colour

    def shade(self, colour_at):
        """Sets each pixel whose centre, in design units, colour_at gives a colour for."""
        for y in range(self.size):
            for x in range(self.size):
                colour = colour_at((x + 0.5) / self.scale, (y + 0.5) / self.scale)
                if colour is not None:
                    self.pixels[y][x] = colour

    def dib(self):
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
        return header + pal + xor + mask


def ico(canvases):
    images = [c.dib() for c in canvases]
    offset = 6 + 16 * len(images)
    out = struct.pack('<HHH', 0, 1, len(images))
    for canvas, image in zip(canvases, images):
        size = canvas.size % 256
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 8, len(image), offset)
        offset += len(image)
    return out + b''.join(images)


def program_icon(size):
    c = Canvas(size, 48)
    c.fill(3, 8, 19, 13, GOLD)
    c.frame(3, 8, 19, 13, OUTLINE)
    c.fill(3, 12, 41, 38, GOLD)
    c.fill(5, 17, 41, 38, LIGHT)
    c.frame(3, 12, 41, 38, OUTLINE)

    # The arrow, white-edged so it reads on the folder: shaft, then the head.
    def arrow(x, y):
        head = x >= 34 and abs(y - 35.5) <= (47 - x)
        shaft = 20 <= x < 35 and 32 <= y < 39
        edge = (x >= 33 and abs(y - 35.5) <= (48 - x)) or (19 <= x < 35 and 31 <= y < 40)
        if head or shaft:
            return BLUE if y < 35.5 else BLUE_DARK
        return WHITE if edge else None

    c.shade(arrow)
    return c


def folder_icon(size, open_):
    c = Canvas(size, 16)
    c.fill(1, 2, 7, 4, GOLD)
    c.frame(1, 2, 7, 4, OUTLINE)
    c.fill(1, 3, 15, 14, GOLD)
    c.frame(1, 3, 15, 14, OUTLINE)
    if open_:
        # The front flap tilted forward, a parallelogram over the back.
        def flap(x, y):
            if not 6 <= y < 14:
                return None
            left = 4 - (y - 6) * 3 / 7
            right = 16 - (y - 6) * 2 / 7
            if not left <= x < right:
                return None
            edge = y < 7 or y >= 13 or x < left + 1 / c.scale or x >= right - 1 / c.scale
            return OUTLINE if edge else LIGHT

        c.shade(flap)
    else:
        c.fill(2, 5, 14, 13, LIGHT)
    return c


here = os.path.dirname(os.path.abspath(__file__))
for name, draw in (('mirafold.ico', program_icon),
                   ('folder_closed.ico', lambda s: folder_icon(s, False)),
                   ('folder_open.ico', lambda s: folder_icon(s, True))):
    with open(os.path.join(here, name), 'wb') as f:
        f.write(ico([draw(size) for size in SIZES]))
