#!/usr/bin/env python3
"""Draws the 16 x 16 start icon of the live optimisation (210) into trail/210.png: a chequered
start flag on a pole whose foot is the icon's bottom centre (run it again after a change). Uses
the pixel and PNG helpers of make_point_icons.py."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_point_icons import BLACK, WHITE, blank, put, write_png  # noqa: E402


def start_flag():
    img = blank()
    for y in range(1, 16):
        put(img, 7, y, BLACK)  # the pole
        put(img, 8, y, BLACK)
    for y in range(1, 8):
        for x in range(9, 16):
            put(img, x, y, BLACK if ((x - 9) // 2 + (y - 1) // 2) % 2 == 0 else WHITE)
    return img


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "trail")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_png(os.path.join(out, "210.png"), start_flag())


if __name__ == "__main__":
    main()
