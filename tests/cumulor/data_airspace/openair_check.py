#!/usr/bin/env python3
"""Independent reader of OpenAir airspace text files, used to check the flight computer's reader.

usage: openair_check.py <airspace file> <dump written by the C++ test>

It reads the file from the published keyword format, narrowed by the rules the flight computer
keeps (the class letters it knows, whole-degree DA angles, its coordinate forms, its altitude
words), finds on its own the first line the flight computer refuses, and compares everything
before that line with the dump: shape counts per class group, ids, names, floors and ceilings in
feet, bounds, the style lines' pens and brushes, every DP point exactly, each circle and arc
outline against shapely geometry (area and bounds within 1 %), and the inside test against
shapely on random points away from the edges. Exit status 0 when all agree; the differences are
printed otherwise.
"""
import math
import re
import sys

from shapely.geometry import Point, Polygon

EARTH = 6378137.0
UNIT = math.pi / 180.0 / 36000.0          # radians per coordinate unit (0.1 arc-second)

COORD = re.compile(r'[ \t]*(\d{1,3}):(\d{1,2})(?::(\d{1,2})(?:\.(\d*))?|\.(\d{1,3}))[ \t]*([NSEWnsew])')
NUMBER = re.compile(r'[ \t\r\n\v\f]*([+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?)')
INT = re.compile(r'[ \t\r\n\v\f]*([+-]?\d+)')

CLASS_GROUPS = {'A': 1, 'B': 2, 'D': 4, 'E': 6, 'F': 16, 'P': 9, 'Q': 10, 'R': 8, 'W': 13}
CLOSED_GROUPS = range(2, 12)


class Refused(Exception):
    def __init__(self, text, caption):
        super().__init__(text)
        self.text = text
        self.caption = caption


def coordinate(text, pos):
    m = COORD.match(text, pos)
    if not m:
        return None
    deg, minutes = int(m.group(1)), int(m.group(2))
    if deg > 179 or minutes > 59:
        return None
    if m.group(3) is not None:
        tenths = int(m.group(3)) * 10 + (int(m.group(4)[0]) if m.group(4) else 0)
    else:
        frac = m.group(5)
        tenths = int(frac) * {1: 60, 2: 6, 3: 6}[len(frac)] // (10 if len(frac) == 3 else 1)
    if tenths > 599:
        return None
    value = tenths + (minutes + deg * 60) * 600
    if m.group(6).upper() in 'SW':
        value = -value
    return value, m.end()


def position(text, pos, line):
    lat = coordinate(text, pos)
    lon = coordinate(text, lat[1]) if lat else None
    if not lon:
        raise Refused(line, 'User Airspace Syntax Error')
    return (lon[0], lat[0]), lon[1]


def distance(text):
    text = text.split('*')[0].upper()
    m = NUMBER.match(text)
    if not m:
        return None
    value = float(m.group(1))
    rest = text[m.end():]
    factor = 1000.0 if 'KM' in rest else 1609 if 'SM' in rest else 1852 if 'NM' in rest else 1 if 'M' in rest else 1852
    result = value * factor
    if not math.isfinite(result) or abs(result) >= 2 ** 31:
        return None
    return int(result)


def altitude(text, preset):
    m = INT.match(text)
    value = int(m.group(1)) if m else preset
    up = text.upper()
    if 'SFC' in up:
        value = 0
    elif 'FL' in up:
        fl = INT.match(up, up.index('FL') + 2)
        value = (int(fl.group(1)) if fl else 0) * -100
    elif m and 'M' in up:
        at = up.index('M')
        if up[at + 1:at + 2] != 'S':
            value = int(value * 3.2808)
    if 'STD' in up:
        value = -value
    return value


def destination(centre, metres, bearing):
    """The point reached from centre (lon, lat units) after metres on the great circle of bearing
    (radians clockwise from north)."""
    lat1, lon1 = centre[1] * UNIT, centre[0] * UNIT
    d = metres / EARTH
    lat2 = math.asin(math.sin(lat1) * math.cos(d) + math.cos(lat1) * math.sin(d) * math.cos(bearing))
    lon2 = lon1 + math.atan2(math.sin(bearing) * math.sin(d) * math.cos(lat1), math.cos(d) - math.sin(lat1) * math.sin(lat2))
    return lon2 / UNIT, lat2 / UNIT


def bearing_to(a, b):
    lat1, lat2 = a[1] * UNIT, b[1] * UNIT
    dlon = (b[0] - a[0]) * UNIT
    y = math.sin(dlon) * math.cos(lat2)
    x = math.cos(lat1) * math.sin(lat2) - math.sin(lat1) * math.cos(lat2) * math.cos(dlon)
    return math.atan2(y, x) % (2 * math.pi)


def great_circle(a, b):
    lat1, lat2 = a[1] * UNIT, b[1] * UNIT
    c = math.sin(lat1) * math.sin(lat2) + math.cos(lat1) * math.cos(lat2) * math.cos((b[0] - a[0]) * UNIT)
    return EARTH * math.acos(max(-1.0, min(1.0, c)))


class Shape:
    def __init__(self, group):
        self.group = group
        self.name = ''
        self.floor = 0
        self.ceiling = 0
        self.parts = []          # ('point', p) | ('circle', c, r) | ('arc', c, r, start, end)
        self.labels = []


def read(path):
    data = open(path, 'rb').read()
    lines = []
    for raw in data.split(b'\n'):
        if raw in (b'', b'\r'):
            continue
        lines.append((raw[:1], raw.split(b'\r')[0].decode('latin-1')))
    shapes, styles = [], {}
    state = {'dir': 1, 'centre': None, 'previous': 0}
    refused = None
    i = 0
    try:
        while True:
            while i < len(lines) and lines[i][0] in (b'', b'*'):
                i += 1
            if i >= len(lines):
                break
            header = lines[i][1]
            group = None
            if header.startswith('AC '):
                letter, fifth = header[3:4], header[4:5]
                if letter == 'C':
                    group = 7 if fifth in ('T', 't') else 3
                elif letter == 'D' and fifth == 'S':
                    group = 5
                elif letter == 'G':
                    group = 12 if fifth == 'R' else 11
                elif letter == 'T':
                    group = 7 if header[4:6] == 'RA' else state['previous']
                else:
                    group = CLASS_GROUPS.get(letter)
            elif header[:2] in ('TO', 'AO'):
                group = 14
            elif header[:2] == 'TC':
                group = 15
            if group is None or i == len(lines) - 1:
                raise Refused(header, 'User Airspace Syntax Error')
            j = i + 1
            element_mode = False
            while j < len(lines):
                first, text = lines[j]
                if first in (b'', b'*'):
                    j += 1
                    continue
                key = text[:2]
                if key in ('AC', 'TO', 'TC'):
                    break
                if key in ('AT', 'DA', 'DB', 'DC', 'DY'):
                    element_mode = True
                elif text[:1] == 'D' and key != 'DP':
                    raise Refused(text, 'User Airspace Syntax Error')
                j += 1
            state['previous'] = group
            shape = Shape(group)
            for k in range(i, j):
                parse_line(lines[k][1], shape, state, styles, element_mode)
            if any(p[0] != 'label' for p in shape.parts[:2100]):
                shape.id = sum(1 for s in shapes if s.counted) + 1
                shape.counted = True
                shapes.append(shape)
            if j >= len(lines):
                break
            i = j
    except Refused as r:
        refused = r
    return [s for s in shapes if s.group != 0], shapes, styles, refused


def parse_line(line, shape, state, styles, element_mode):
    stripped = line.lstrip(' \t')
    if line == '' or stripped.startswith('*'):
        return
    key = line[:2]
    if key == 'AC':
        state['dir'] = 1
    elif key == 'AN':
        shape.name = line[3:][:24]
    elif key == 'AH':
        shape.ceiling = altitude(line[3:][:24], 999999)
    elif key == 'AL':
        shape.floor = altitude(line[3:][:24], 0)
    elif key == 'AT':
        p, _ = position(line, 2, line)
        shape.parts.append(('label', p))
    elif line[:1] == 'A':
        pass
    elif key == 'DP':
        p, _ = position(line, 2, line)
        shape.parts.append(('point', p))
    elif key in ('DC', 'DA', 'DB'):
        if state['centre'] is None:
            raise Refused('Airspace.Txt: DB: Center Position (V X) not set', 'Cumulor')
        c = state['centre']
        rest = line[2:]
        if key == 'DC':
            r = distance(rest)
            if r is None or r <= 0:
                raise Refused(line, 'Airspace.txt Syntax Error')
            shape.parts.append(('circle', c, r))
        elif key == 'DA':
            if ',' not in rest or distance(rest.split(',')[0]) is None:
                raise Refused(line, 'User Airspace Syntax Error')
            m = re.match(r'[ \t]*([+-]?\d+),[ \t]*([+-]?\d+)', rest.split(',', 1)[1])
            if not m:
                raise Refused(line, 'User Airspace Syntax Error')
            r = distance(rest.split(',')[0]) * state['dir']
            shape.parts.append(('arc', c, r, math.radians(int(m.group(1))), math.radians(int(m.group(2)))))
        else:
            p1, end = position(rest, 0, line)
            comma = rest.find(',', end)
            if comma < 0:
                raise Refused(line, 'User Airspace Syntax Error')
            p2, _ = position(rest, comma + 1, line)
            r = int(great_circle(c, p1)) * state['dir']
            shape.parts.append(('arc', c, r, bearing_to(c, p1), bearing_to(c, p2)))
    elif key == 'DY':
        pass
    elif line[:1] == 'V':
        m = re.match(r'V[ \t]*(.)', line)
        letter = m.group(1) if m else ''
        value = line[m.end() + 1:] if m else ''
        if letter == 'D':
            sign = re.search(r'[+-]', line[m.end():])
            if sign:
                state['dir'] = -1 if sign.group(0) == '-' else 1
        elif letter == 'X':
            state['centre'], _ = position(value, 0, line)
        elif letter == 'R':
            if distance(value) is None:
                raise Refused(line, 'User Airspace Syntax Error')
        elif letter not in ('T', 'W', 'Z'):
            raise Refused(line, 'Airspace.txt Syntax Error')
    elif key in ('SB', 'SP'):
        want = 3 if key == 'SB' else 5
        m = re.match(r'[ \t]*([+-]?\d+)' + r',[ \t]*([+-]?\d+)' * (want - 1), line[2:])
        if m:
            styles[(shape.group, key)] = [int(v) for v in m.groups()]
    elif line[:1] in 'ST':
        if key in ('TC', 'TO'):
            shape.name = line[3:][:47]
    else:
        raise Refused(line, 'Airspace.txt Syntax Error')


def arc_steps(start, end, r):
    """The possible step counts of an arc: one, or both neighbours where the sweep lies so close to
    a multiple of 3 degrees that rounding in the bearings decides."""
    if start == end:
        return 1, 1
    sweep = ((end - start) if r >= 0 else (start - end)) % (2 * math.pi)
    x = sweep * 19.098593171027453
    return int(x - 1e-6), int(x + 1e-6)


def expected_points(shape):
    """The outline as the flight computer expands it: the lowest and highest point count it can
    have, the DP points in order, an approximation of every point (for the closing rule) and a
    reference outline with 1-degree steps for the geometry."""
    low = high = 0
    approx, reference, dp = [], [], []
    for part in shape.parts[:2100]:
        if part[0] == 'point':
            low += 1
            high += 1
            dp.append(part[1])
            approx.append(part[1])
            reference.append(part[1])
        elif part[0] == 'circle':
            _, c, r = part
            low += 120
            high += 120
            approx.extend(destination(c, r, -math.radians(3 * k)) for k in range(120))
            reference.extend(destination(c, r, math.radians(k)) for k in range(360))
        elif part[0] == 'arc':
            _, c, r, start, end = part
            a, b = arc_steps(start, end, r)
            low += a + 1
            high += b + 1
            approx.append(destination(c, abs(r), start))
            approx.append(destination(c, abs(r), end))
            sweep = ((end - start) if r >= 0 else (start - end)) % (2 * math.pi)
            steps = max(1, int(math.degrees(sweep)))
            sign = 1 if r >= 0 else -1
            reference.extend(destination(c, abs(r), start + sign * sweep * k / steps) for k in range(steps + 1))
    if shape.group in CLOSED_GROUPS and approx:
        first, last = approx[0], approx[-1]
        if abs(first[0] - last[0]) > 1.5 or abs(first[1] - last[1]) > 1.5:
            low += 1
            high += 1
        elif first != last and not (isinstance(first[0], int) and isinstance(last[0], int)):
            high += 1
    return (low, high), reference, dp


def in_order(dp, points):
    at = 0
    for p in points:
        if at < len(dp) and p == dp[at]:
            at += 1
    return at == len(dp)


def local(points, origin):
    scale = math.cos(origin[1] * UNIT)
    return [((p[0] - origin[0]) * scale * EARTH * UNIT, (p[1] - origin[1]) * EARTH * UNIT) for p in points]


def main():
    path, dump = sys.argv[1], sys.argv[2]
    shapes, _, styles, refused = read(path)
    got_messages, got_groups, got_shapes = [], {}, []
    for row in open(dump, encoding='latin-1').read().split('\n'):
        f = row.split('\t')
        if f[0] == 'message':
            got_messages.append((f[1], '\t'.join(f[2:])))
        elif f[0] == 'group':
            got_groups[int(f[1])] = (f[2], f[3])
        elif f[0] == 'shape':
            got_shapes.append({'group': int(f[1]), 'id': int(f[2]), 'floor': int(f[3]), 'ceiling': int(f[4]),
                               'bounds': tuple(int(v) for v in f[5:9]), 'labels': int(f[9]), 'name': f[10]})
        elif f[0] == 'points':
            got_shapes[-1]['points'] = [tuple(int(v) for v in p.split(',')) for p in f[1:]]
        elif f[0] == 'inside':
            got_shapes[-1]['inside'] = [tuple(int(v) for v in p.split(',')) for p in f[1:]]
    errors = []

    want_messages = [(refused.caption, refused.text[:360])] if refused else []
    if got_messages != want_messages:
        errors.append('messages: got %r, want %r' % (got_messages, want_messages))

    for (group, key), values in styles.items():
        if group == 0:
            continue
        pen, brush = got_groups.get(group, ('?', '?'))
        if key == 'SP':
            want = '%d,%d,%06x' % (values[0], values[1], (values[2] & 255) | (values[3] & 255) << 8 | (values[4] & 255) << 16)
            if pen != want:
                errors.append('group %d pen: got %s, want %s' % (group, pen, want))
        else:
            want = 'class' if values[0] == -1 else '0,%06x' % ((values[0] & 255) | (values[1] & 255) << 8 | (values[2] & 255) << 16)
            if brush != want:
                errors.append('group %d brush: got %s, want %s' % (group, brush, want))

    # The dump lists shapes by group, in file order within a group.
    want_sorted = sorted(shapes, key=lambda s: s.group)
    if len(want_sorted) != len(got_shapes):
        errors.append('shapes: got %d, want %d' % (len(got_shapes), len(want_sorted)))
    checked_inside = 0
    for want, got in zip(want_sorted, got_shapes):
        tag = 'shape %d "%s"' % (want.id, want.name)
        for field in ('group', 'id', 'name', 'floor', 'ceiling'):
            if getattr(want, field) != got[field]:
                errors.append('%s %s: got %r, want %r' % (tag, field, got[field], getattr(want, field)))
        labels = sum(1 for p in want.parts[:2100] if p[0] == 'label')
        if labels != got['labels']:
            errors.append('%s labels: got %d, want %d' % (tag, got['labels'], labels))
        (low, high), reference, dp = expected_points(want)
        pts = got['points']
        if not low <= len(pts) <= high:
            errors.append('%s point count: got %d, want %d to %d' % (tag, len(pts), low, high))
            continue
        if not any(p[0] != 'point' for p in want.parts):
            if pts[:len(dp)] != dp:
                errors.append('%s points differ' % tag)
        elif not in_order(dp, pts):
            errors.append('%s DP points missing or out of order' % tag)
        if len(pts) >= 3 and any(p[0] != 'point' for p in want.parts):
            origin = pts[0]
            ours, theirs = Polygon(local(pts, origin)), Polygon(local(reference, origin))
            # 1 %, and one coordinate unit (3.1 m) along the outline for the integer positions.
            unit = EARTH * UNIT
            if abs(ours.area - theirs.area) > 0.01 * theirs.area + theirs.length * unit:
                errors.append('%s area: got %.0f, want %.0f' % (tag, ours.area, theirs.area))
            a, b = ours.bounds, theirs.bounds
            size = max(b[2] - b[0], b[3] - b[1], 1.0)
            if max(abs(x - y) for x, y in zip(a, b)) > 0.01 * size + 2 * unit:
                errors.append('%s bounds: got %r, want %r' % (tag, a, b))
        if len(pts) >= 4:
            ring = Polygon(pts)
            if ring.is_valid:
                for lon, lat, inside in got.get('inside', []):
                    p = Point(lon, lat)
                    if ring.exterior.distance(p) < 2.0:
                        continue
                    checked_inside += 1
                    if bool(inside) != ring.contains(p):
                        errors.append('%s inside test at %d,%d: got %d' % (tag, lon, lat, inside))

    for e in errors[:40]:
        print(path + ': ' + e)
    where = ('stopped at "%s" (%s)' % (refused.text, refused.caption)) if refused else 'read to the end'
    print('%s: %d shapes, %s; %d inside tests checked, %d differences' % (path, len(shapes), where, checked_inside, len(errors)))
    return 1 if errors else 0


if __name__ == '__main__':
    sys.exit(main())
