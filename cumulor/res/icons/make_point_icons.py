#!/usr/bin/env python3
"""Draws the 16 x 16 point icons of Cumulor into points/*.png (run it again after a change).

The icons of the point image list: airport (164, 188), navaid (163), NDB (174), intersection (165),
user waypoint (176), area point (209) and the airport seen with its runway in eight directions
(180 to 187, a turn of 45 degrees each, starting north-south). Plain Python: a pixel grid written
as PNG through zlib.
"""
import math
import os
import struct
import sys
import zlib

SIZE = 16
CLEAR = (0, 0, 0, 0)
BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
BLUE = (0, 64, 200, 255)
MAGENTA = (200, 0, 160, 255)
GREEN = (0, 150, 0, 255)
RED = (210, 0, 0, 255)


def blank():
    return [[CLEAR] * SIZE for _ in range(SIZE)]


def put(img, x, y, c):
    if 0 <= x < SIZE and 0 <= y < SIZE:
        img[y][x] = c


def disc(img, cx, cy, r, c):
    for y in range(SIZE):
        for x in range(SIZE):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                img[y][x] = c


def ring(img, cx, cy, r, c, width=1.2):
    for y in range(SIZE):
        for x in range(SIZE):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if abs(d - r) <= width / 2:
                img[y][x] = c


def line(img, x0, y0, x1, y1, c, width=1.0):
    steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 4) + 1
    for i in range(steps + 1):
        t = i / steps
        x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
        for dy in range(-1, 2):
            for dx in range(-1, 2):
                if math.hypot(dx, dy) <= width / 2:
                    put(img, int(round(x + dx)), int(round(y + dy)), c)


def airport(direction=None):
    img = blank()
    disc(img, 8, 8, 6.5, WHITE)
    ring(img, 8, 8, 6, BLUE, 1.6)
    if direction is None:
        line(img, 8, 4, 8, 12, BLUE, 2)
    else:
        a = math.radians(45 * direction)
        dx, dy = math.sin(a) * 5, -math.cos(a) * 5
        line(img, 8 - dx, 8 - dy, 8 + dx, 8 + dy, BLACK, 2)
    return img


def navaid():
    img = blank()
    pts = [(8 + 6 * math.cos(math.radians(60 * k)), 8 + 6 * math.sin(math.radians(60 * k))) for k in range(6)]
    for k in range(6):
        line(img, *pts[k], *pts[(k + 1) % 6], MAGENTA)
    disc(img, 8, 8, 1.5, MAGENTA)
    return img


def ndb():
    img = blank()
    for r in (2, 4.5, 6.5):
        ring(img, 8, 8, r, MAGENTA, 1.0)
    disc(img, 8, 8, 1.2, MAGENTA)
    return img


def intersection():
    img = blank()
    line(img, 8, 2, 14, 13, BLACK)
    line(img, 14, 13, 2, 13, BLACK)
    line(img, 2, 13, 8, 2, BLACK)
    return img


def user_waypoint():
    img = blank()
    for y in range(3, 14):
        for x in range(3, 14):
            img[y][x] = GREEN if x in (3, 13) or y in (3, 13) else WHITE
    disc(img, 8, 8, 2, GREEN)
    return img


def area_point():
    img = blank()
    ring(img, 8, 8, 6, RED, 1.4)
    line(img, 8, 8, 8, 2, RED)
    line(img, 8, 8, 13, 11, RED)
    return img


def write_png(path, img):
    raw = b"".join(b"\x00" + b"".join(struct.pack("4B", *px) for px in row) for row in img)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "points")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    icons = {164: airport(), 188: airport(), 163: navaid(), 174: ndb(), 165: intersection(),
             176: user_waypoint(), 209: area_point()}
    for k in range(8):
        icons[180 + k] = airport(k)
    for number, img in sorted(icons.items()):
        write_png(os.path.join(out, "%d.png" % number), img)


if __name__ == "__main__":
    main()
