#!/usr/bin/env python3
"""Draws the 32 x 32 cone image of the drag-and-drop task editing (200) into task/200.png: an
orange traffic cone with two white bands on a dark foot (run it again after a change). Uses the
pixel and PNG helpers of make_point_icons.py at 32 pixels."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_point_icons as icons  # noqa: E402

ORANGE = (255, 120, 0, 255)
DARK = (60, 60, 60, 255)


def cone():
    icons.SIZE = 32
    img = icons.blank()
    for y in range(3, 27):
        half = 2 + (y - 3) * 9 // 24
        for x in range(16 - half, 16 + half):
            colour = icons.WHITE if 10 <= y <= 12 or 18 <= y <= 20 else ORANGE
            icons.put(img, x, y, colour)
    for y in range(27, 30):
        for x in range(3, 29):
            icons.put(img, x, y, DARK)
    return img


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "task")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    icons.write_png(os.path.join(out, "200.png"), cone())


if __name__ == "__main__":
    main()
