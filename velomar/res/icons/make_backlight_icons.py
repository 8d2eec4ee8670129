#!/usr/bin/env python3
"""Writes the backlight dialog's four 16 x 16 icons as 24-bit BMP files into this folder:
a battery, a plug, a dim sun and a bright sun. Run again after changing a drawing."""
import math
import os
import struct

SIZE = 16
BACK = (255, 255, 255)


def write_bmp(path, pixels):
    row = SIZE * 3
    pad = (4 - row % 4) % 4
    data = bytearray()
    for y in range(SIZE - 1, -1, -1):
        for x in range(SIZE):
            r, g, b = pixels[y][x]
            data += bytes((b, g, r))
        data += b"\0" * pad
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def canvas():
    return [[BACK for _ in range(SIZE)] for _ in range(SIZE)]


def rect(p, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            p[y][x] = colour


def battery():
    p = canvas()
    rect(p, 2, 4, 12, 11, (40, 40, 40))
    rect(p, 3, 5, 11, 10, BACK)
    rect(p, 4, 6, 8, 9, (0, 170, 0))
    rect(p, 13, 6, 14, 9, (40, 40, 40))
    return p


def plug():
    p = canvas()
    rect(p, 4, 6, 11, 11, (60, 60, 60))
    rect(p, 5, 2, 6, 5, (150, 150, 150))
    rect(p, 9, 2, 10, 5, (150, 150, 150))
    rect(p, 7, 12, 8, 15, (60, 60, 60))
    return p


def sun(radius, colour, rays):
    p = canvas()
    c = (SIZE - 1) / 2
    for y in range(SIZE):
        for x in range(SIZE):
            d = math.hypot(x - c, y - c)
            if d <= radius:
                p[y][x] = colour
            elif rays and d <= 7.5 and (abs(x - c) < 0.8 or abs(y - c) < 0.8 or abs(abs(x - c) - abs(y - c)) < 0.8):
                p[y][x] = colour
    return p


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    write_bmp(os.path.join(here, "backlight_battery.bmp"), battery())
    write_bmp(os.path.join(here, "backlight_power.bmp"), plug())
    write_bmp(os.path.join(here, "backlight_low.bmp"), sun(3, (150, 130, 60), False))
    write_bmp(os.path.join(here, "backlight_high.bmp"), sun(3.5, (255, 200, 0), True))
