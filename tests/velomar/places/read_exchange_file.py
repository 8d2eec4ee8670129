#!/usr/bin/env python3
"""Prints the element tree of an exchange file as Python's own XML reader sees it.

One line per element, indented two spaces per level: the tag, then each attribute as name=value
in document order. An element that holds text gets a line "TEXT <text>" below it. The output is
UTF-8.
"""
import sys
import xml.etree.ElementTree as ET


def walk(element, depth, out):
    line = "  " * depth + element.tag
    for name, value in element.attrib.items():
        line += " %s=%s" % (name, value)
    out.append(line)
    if element.text and element.text.strip():
        out.append("  " * depth + "TEXT " + element.text.strip())
    for child in element:
        walk(child, depth + 1, out)


def main():
    lines = []
    walk(ET.parse(sys.argv[1]).getroot(), 0, lines)
    sys.stdout.buffer.write(("\n".join(lines) + "\n").encode("utf-8"))


if __name__ == "__main__":
    main()
