#!/usr/bin/env python3
"""Draws the 64 x 64 command icons of the on-screen menu's buttons into menu/*.png (run it again
after a change). Each icon is a few bold shapes in strong colours so that it stays legible when
the program scales it to 32 or 16 pixels. Shapes are sampled 3 x 3 per pixel for smooth edges;
the PNG helper of make_point_icons.py writes the files at this size."""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_point_icons  # noqa: E402

SIZE = 64
INK = (20, 20, 40)
BLUE = (20, 70, 200)
RED = (200, 20, 20)
GREEN = (0, 140, 40)
ORANGE = (230, 130, 0)
YELLOW = (240, 200, 0)
GREY = (120, 120, 130)
WHITE = (255, 255, 255)
PURPLE = (130, 40, 170)


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = 0.0 if dx == dy == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def line(points, width):
    half = width / 2
    pairs = list(zip(points, points[1:]))
    return lambda x, y: any(seg_dist(x, y, a[0], a[1], b[0], b[1]) <= half for a, b in pairs)


def poly(points):
    def inside(x, y):
        odd = False
        n = len(points)
        for i in range(n):
            (x1, y1), (x2, y2) = points[i], points[(i + 1) % n]
            if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                odd = not odd
        return odd
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) <= width / 2


def outline(x0, y0, x1, y1, width):
    return line([(x0, y0), (x1, y0), (x1, y1), (x0, y1), (x0, y0)], width)


def render(layers):
    img = []
    n = 3
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            r = g = b = 0.0
            a = 0.0
            for shape, colour in layers:
                hits = sum(1 for sy in range(n) for sx in range(n)
                           if shape(px + (sx + 0.5) / n, py + (sy + 0.5) / n))
                if not hits:
                    continue
                cov = hits / (n * n)
                r = colour[0] * cov + r * (1 - cov)
                g = colour[1] * cov + g * (1 - cov)
                b = colour[2] * cov + b * (1 - cov)
                a = cov + a * (1 - cov)
            if a > 0:
                row.append((int(r / a + 0.5) if a < 1 else int(r + 0.5),
                            int(g / a + 0.5) if a < 1 else int(g + 0.5),
                            int(b / a + 0.5) if a < 1 else int(b + 0.5), int(a * 255 + 0.5)))
            else:
                row.append((0, 0, 0, 0))
        img.append(row)
    return img


def gear():
    teeth = []
    for k in range(8):
        ang = k * math.pi / 4
        teeth.append((line([(32 + 16 * math.cos(ang), 32 + 16 * math.sin(ang)),
                            (32 + 27 * math.cos(ang), 32 + 27 * math.sin(ang))], 10), GREY))
    return teeth + [(disc(32, 32, 19), GREY), (disc(32, 32, 8), WHITE)]


ICONS = {
    227: [(poly([(6, 16), (26, 16), (30, 22), (58, 22), (58, 54), (6, 54)]), ORANGE),
          (line([(6, 28), (58, 28)], 3), INK)],
    228: [(disc(32, 32, 27), BLUE), (disc(32, 18, 5), WHITE), (rect(28, 27, 36, 50), WHITE)],
    231: gear(),
    232: [(poly([(32, 60), (14, 30), (32, 4), (50, 30)]), RED), (disc(32, 26, 8), WHITE)],
    233: [(line([(10, 52), (32, 10), (54, 52), (10, 52)], 5), BLUE),
          (disc(10, 52, 6), RED), (disc(32, 10, 6), RED), (disc(54, 52, 6), RED)],
    236: [(outline(6, 10, 58, 54, 4), INK), (rect(10, 14, 30, 30), BLUE), (rect(34, 14, 54, 30), GREEN),
          (rect(10, 34, 30, 50), ORANGE), (rect(34, 34, 54, 50), PURPLE)],
    238: [(poly([(4, 12), (22, 6), (42, 12), (60, 6), (60, 52), (42, 58), (22, 52), (4, 58)]), GREEN),
          (line([(22, 6), (22, 52)], 3), INK), (line([(42, 12), (42, 58)], 3), INK)],
    241: [(rect(10, 4, 54, 60), WHITE), (outline(10, 4, 54, 60, 4), INK)]
         + [(line([(18, y), (46, y)], 5), BLUE) for y in (16, 28, 40, 52)],
    246: [(rect(8, 6, 34, 58), GREY), (line([(30, 32), (58, 32)], 7), RED),
          (poly([(60, 32), (46, 20), (46, 44)]), RED)],
    247: [(line([(12, 12), (52, 52)], 10), RED), (line([(52, 12), (12, 52)], 10), RED)],
    248: [(line([(10, 58), (32, 6), (54, 58)], 9), INK), (line([(19, 40), (45, 40)], 7), INK)],
    249: [(rect(12, 4, 52, 60), WHITE), (outline(12, 4, 52, 60, 4), INK)]
         + [(line([(18, y + 4), (23, y + 9), (32, y - 2)], 4), GREEN) for y in (12, 28, 44)]
         + [(line([(36, y + 4), (46, y + 4)], 4), INK) for y in (12, 28, 44)],
    250: [(poly([(8, 20), (30, 6), (58, 16), (54, 50), (24, 58), (6, 44)]), (210, 90, 200)),
          (line([(8, 20), (30, 6), (58, 16), (54, 50), (24, 58), (6, 44), (8, 20)], 4), PURPLE)],
    251: [(poly([(6, 20), (40, 20), (58, 32), (40, 44), (6, 44)]), YELLOW),
          (line([(6, 20), (40, 20), (58, 32), (40, 44), (6, 44), (6, 20)], 3), INK), (disc(42, 32, 4), INK)],
    252: [(line([(6, 4), (6, 60), (60, 60)], 4), INK),
          (line([(10 + i * 2, 14 + 0.012 * (i * 2 - 22) ** 2 * 1.6) for i in range(25)], 5), RED)],
    253: [(line([(32 + (4 + t * 0.55) * math.cos(t * 0.32), 56 - t * 0.9 + 5 * math.sin(t * 0.32))
                  for t in range(0, 56)], 4), RED), (poly([(32, 0), (22, 12), (42, 12)]), RED)],
    254: [(rect(4, 8, 60, 56), WHITE), (outline(4, 8, 60, 56, 3), INK),
          (line([(8, 48), (16, 40), (22, 44), (30, 22), (38, 28), (46, 14), (56, 20)], 5), BLUE)],
    255: [(rect(6, 14, 30, 54), GREY), (rect(10, 18, 26, 34), GREEN), (line([(32, 34), (52, 34)], 7), BLUE),
          (poly([(60, 34), (48, 24), (48, 44)]), BLUE)],
    256: [(poly([(4, 40), (40, 4), (60, 24), (24, 60)]), YELLOW),
          (line([(4, 40), (40, 4), (60, 24), (24, 60), (4, 40)], 3), INK)]
         + [(line([(14 + k * 7, 30 - k * 7), (19 + k * 7, 35 - k * 7)], 3), INK) for k in range(4)],
    257: [(rect(20, 4, 44, 30), GREY), (rect(24, 0, 28, 8), INK), (rect(36, 0, 40, 8), INK),
          (line([(32, 30), (32, 46), (18, 58)], 6), INK)],
    258: [(poly([(4, 8), (60, 8), (60, 42), (28, 42), (14, 56), (16, 42), (4, 42)]), BLUE),
          (disc(18, 25, 4), WHITE), (disc(32, 25, 4), WHITE), (disc(46, 25, 4), WHITE)],
    259: [(disc(32, 18, 12), BLUE), (poly([(10, 60), (14, 38), (32, 32), (50, 38), (54, 60)]), BLUE)],
    260: [(line([(6, 4), (6, 60), (60, 60)], 4), INK), (rect(12, 36, 22, 56), BLUE),
          (rect(27, 18, 37, 56), GREEN), (rect(42, 28, 52, 56), RED)],
    265: [(line([(6, 56), (18, 40), (30, 46), (40, 26), (56, 10)], 4), INK)]
         + [(disc(x, y, 5), ORANGE) for x, y in ((6, 56), (18, 40), (30, 46), (40, 26), (56, 10))],
}


def write_png(path, img):
    make_point_icons.SIZE = SIZE
    make_point_icons.write_png(path, img)


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "menu")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for icon_id, layers in ICONS.items():
        write_png(os.path.join(out, f"{icon_id}.png"), render(layers))


if __name__ == "__main__":
    main()
