#!/usr/bin/env python3
"""Independent reading of a SeeYou .cup file's waypoints with the csv module, for the import test.

Usage: cup_reference.py <file.cup> <out.tsv>
Writes one line per waypoint as the store should hold it, in store order:
name as hex bytes, code, latitude and longitude in tenths of an arc-second, elevation in feet.

Readings: the header line is skipped; waypoints end at a line whose first non-blank character is
'-'; raw lines under 4 bytes are skipped; names are kept byte for byte (cut to 63 bytes); the code
is cut to 5 characters, an empty one becomes I_<serial> (serial from 1); a waypoint with a style
replaces an earlier waypoint with a style of the same name; the elevation is the field's leading
integer (none: 0), feet when the field holds an F, else metres x 3.2808 truncated; positions are
(degrees x 60 + minutes) x 600 + thousandths x 36 // 60.
"""
import csv
import re
import sys


def coordinate(text, degree_digits):
    degrees = int(text[:degree_digits])
    minutes = int(text[degree_digits:degree_digits + 2])
    thousandths = int(text[degree_digits + 3:degree_digits + 6])
    value = (degrees * 60 + minutes) * 600 + thousandths * 36 // 60
    return -value if text[degree_digits + 6] in "SW" else value


def elevation(text):
    match = re.match(r"[+-]?\d+", text)
    if not match:
        return 0
    value = int(match.group(0))
    return value if re.search("[Ff]", text) else int(value * 3.2808)


def main():
    with open(sys.argv[1], "rb") as f:
        raw_lines = [line for line in f.read().split(b"\n") if line.strip(b"\r")]
    records = []
    by_name = {}
    serial = 1
    for raw in raw_lines[1:]:
        if raw.lstrip(b" \t").startswith(b"-"):
            break
        if len(raw) < 4:
            continue
        row = next(csv.reader([raw.decode("latin-1").rstrip("\r")]))
        row += [""] * (11 - len(row))
        name = row[0].encode("latin-1")[:63]
        code = row[1][:5]
        if not code:
            code = ("I_%d" % serial)[:5]
            serial += 1
        record = [name.hex(), code, coordinate(row[3], 2), coordinate(row[4], 3), elevation(row[5])]
        if row[6] and name in by_name:
            records[by_name[name]] = [records[by_name[name]][0]] + record[1:]
            continue
        if row[6]:
            by_name[name] = len(records)
        records.append(record)
    with open(sys.argv[2], "w") as out:
        for record in records:
            out.write("\t".join(str(v) for v in record) + "\n")


main()
