#!/usr/bin/env python3
"""Draws the 64 x 64 icons of the waypoint browser into browser/*.png (run it again after a
change); the program loads them at 16, 32 or 64 pixels. Shapes are drawn with 4 x 4
supersampling (the Canvas of make_navbox_icons.py), thick enough to stay legible at 16 pixels.

179: the point list tab: a list of rows, each with a point mark, and a magnifying glass.
169: the task tab: a closed task of three turnpoints joined by legs, the start flagged.
189: the point page tab: an information sign.
178, 177: the table tabs' second and third images: a navaid (a hexagon round a dot) and an
intersection (a triangle)."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_navbox_icons as nav  # noqa: E402
import make_point_icons as icons  # noqa: E402

BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
BLUE = (0, 64, 200, 255)
GREEN = (0, 150, 0, 255)
RED = (210, 0, 0, 255)
MAGENTA = (200, 0, 160, 255)
GREY = (110, 110, 110, 255)


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, width):
    return lambda x, y: (r - width / 2) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= (r + width / 2) ** 2


def point_list():
    c = nav.Canvas()
    c.fill(nav.rect(3, 3, 49, 61), BLACK)        # the sheet
    c.fill(nav.rect(6, 6, 46, 58), WHITE)
    for i, colour in enumerate((MAGENTA, GREEN, BLUE)):
        y = 12 + 15 * i
        c.fill(circle(13, y + 3, 4.5), colour)    # the point's mark
        c.fill(nav.rect(21, y, 42, y + 6), BLACK)  # its name
    c.fill(ring(44, 40, 11, 5), BLACK)            # the magnifying glass
    c.fill(circle(44, 40, 8.5), (255, 255, 255, 160))
    c.fill(nav.thick_line(52, 48, 61, 58, 7), BLACK)
    return c.img


def task():
    c = nav.Canvas()
    a, b, d = (12, 50), (32, 12), (54, 46)
    for p, q in ((a, b), (b, d), (d, a)):
        c.fill(nav.thick_line(p[0], p[1], q[0], q[1], 5), BLUE)
    for x, y in (a, b, d):
        c.fill(circle(x, y, 7), BLACK)
        c.fill(circle(x, y, 4), WHITE)
    c.fill(nav.rect(10, 22, 13, 50), BLACK)        # the start's flag
    c.fill(nav.polygon([(13, 22), (26, 27), (13, 32)]), RED)
    return c.img


def point_page():
    c = nav.Canvas()
    c.fill(circle(32, 32, 29), BLACK)
    c.fill(circle(32, 32, 25), BLUE)
    c.fill(circle(32, 17, 5), WHITE)               # the dot of the "i"
    c.fill(nav.rect(27, 26, 37, 50), WHITE)        # its stem with a foot
    c.fill(nav.rect(22, 46, 42, 51), WHITE)
    c.fill(nav.rect(22, 26, 30, 30), WHITE)
    return c.img


def navaid():
    c = nav.Canvas()
    hexagon = [(32, 4), (56, 18), (56, 46), (32, 60), (8, 46), (8, 18)]
    c.fill(nav.polygon(hexagon), BLUE)
    inner = [(32, 14), (47, 23), (47, 41), (32, 50), (17, 41), (17, 23)]
    c.fill(nav.polygon(inner), WHITE)
    c.fill(circle(32, 32, 7), BLUE)
    return c.img


def intersection():
    c = nav.Canvas()
    c.fill(nav.polygon([(32, 4), (61, 58), (3, 58)]), BLACK)
    c.fill(nav.polygon([(32, 20), (49, 51), (15, 51)]), WHITE)
    c.fill(circle(32, 40, 5), GREY)
    return c.img


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "browser")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    icons.SIZE = nav.N
    images = {179: point_list(), 169: task(), 189: point_page(), 178: navaid(), 177: intersection()}
    for number, img in images.items():
        icons.write_png(os.path.join(out, "%d.png" % number), img)


if __name__ == "__main__":
    main()
