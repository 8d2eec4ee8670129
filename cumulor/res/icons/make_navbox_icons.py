#!/usr/bin/env python3
"""Draws the 64 x 64 icons of the navigation boxes and the menu tab into navbox/*.png (run it again
after a change); the program loads them at 32 or 64 pixels. Shapes are drawn with 4 x 4
supersampling so that the edges stay clean when the icons are scaled to 32 pixels.

215: the appearance button: a box with its black title band and two text lines, and a pencil.
219: previous page (an arrow to the left); 221: next page (an arrow to the right).
225, 226: the left and right halves of the "Menu" tab: three bars, then an arrow opening downwards.
Uses the PNG helper of make_point_icons.py."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_point_icons as icons  # noqa: E402

N = 64
SS = 4
BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
BLUE = (20, 70, 190, 255)
YELLOW = (250, 200, 40, 255)
TAB = (126, 166, 255, 255)
TAB_TOP = (255, 255, 224, 255)


class Canvas:
    def __init__(self):
        self.cover = [[None] * N for _ in range(N)]
        self.img = [[(0, 0, 0, 0)] * N for _ in range(N)]

    def fill(self, inside, colour):
        """Paints colour over every pixel, weighted by how many of its subsamples are inside."""
        for y in range(N):
            for x in range(N):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            hits += 1
                if hits:
                    self.blend(x, y, colour, hits / (SS * SS))

    def blend(self, x, y, colour, alpha):
        r, g, b, a = self.img[y][x]
        cr, cg, cb, ca = colour
        na = alpha * ca / 255.0
        out_a = na + a / 255.0 * (1 - na)
        if out_a == 0:
            return
        mix = lambda c0, c1: int(round((c1 * na + c0 * (a / 255.0) * (1 - na)) / out_a))  # noqa: E731
        self.img[y][x] = (mix(r, cr), mix(g, cg), mix(b, cb), int(round(out_a * 255)))


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def thick_line(x0, y0, x1, y1, width):
    dx, dy = x1 - x0, y1 - y0
    length = (dx * dx + dy * dy) ** 0.5
    nx, ny = -dy / length * width / 2, dx / length * width / 2
    return polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])


def appearance():
    c = Canvas()
    c.fill(rect(4, 8, 52, 56), BLACK)           # the frame
    c.fill(rect(7, 11, 49, 53), WHITE)
    c.fill(rect(7, 11, 49, 24), BLACK)           # the title band
    c.fill(rect(14, 29, 42, 36), BLUE)           # the value line
    c.fill(rect(18, 42, 38, 47), BLACK)          # the unit line
    c.fill(thick_line(58, 6, 30, 34, 9), BLACK)  # the pencil: outline, body, tip
    c.fill(thick_line(57, 7, 31, 33, 5), YELLOW)
    c.fill(polygon([(27, 37), (30, 28), (36, 34)]), BLACK)
    return c.img


def arrow(right):
    c = Canvas()
    c.fill(rect(2, 2, 62, 62), BLACK)
    c.fill(rect(6, 6, 58, 58), TAB)
    pts = [(14, 32), (36, 12), (36, 24), (50, 24), (50, 40), (36, 40), (36, 52)]
    if right:
        pts = [(64 - x, y) for x, y in pts]
    c.fill(polygon(pts), BLACK)
    return c.img


def menu_half(left):
    c = Canvas()
    # The tab: a framed band, closed on every side but the inner edge, where the two halves meet;
    # it stays inside the icon so that nothing drawn below the icon can cover its lower edge.
    c.fill(rect(4 if left else 0, 2, 64 if left else 60, 62), BLACK)
    c.fill(rect(8 if left else 0, 6, 64 if left else 56, 58), TAB_TOP)
    c.fill(rect(8 if left else 0, 32, 64 if left else 56, 58), TAB)
    if left:
        for y in (16, 28, 40):                   # three bars
            c.fill(rect(18, y, 54, y + 6), BLACK)
    else:
        c.fill(polygon([(8, 21), (46, 21), (27, 43)]), BLACK)  # opening downwards
    return c.img


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "navbox")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    icons.SIZE = N
    images = {215: appearance(), 219: arrow(False), 221: arrow(True), 225: menu_half(True), 226: menu_half(False)}
    for number, img in images.items():
        icons.write_png(os.path.join(out, "%d.png" % number), img)


if __name__ == "__main__":
    main()
