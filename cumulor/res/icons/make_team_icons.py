#!/usr/bin/env python3
"""Draws the 16 x 16 team mark icon (211) into team/211.png: a glider seen from above (long wings,
fuselage and tailplane) in blue, drawn at the team member's position (run it again after a
change). Uses the pixel and PNG helpers of make_point_icons.py."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_point_icons import BLUE, WHITE, blank, line, write_png  # noqa: E402


def glider():
    img = blank()
    line(img, 0.5, 5.5, 15.5, 5.5, WHITE, width=2.6)   # a light rim keeps the shape on any ground
    line(img, 7.5, 1.5, 7.5, 14.5, WHITE, width=2.6)
    line(img, 0.5, 5.5, 15.5, 5.5, BLUE, width=1.3)    # the wings
    line(img, 7.5, 2.0, 7.5, 14.0, BLUE, width=1.3)    # the fuselage
    line(img, 5.0, 13.5, 10.0, 13.5, BLUE, width=1.2)  # the tailplane
    return img


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "team")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_png(os.path.join(out, "211.png"), glider())


if __name__ == "__main__":
    main()
