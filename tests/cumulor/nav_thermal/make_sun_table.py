#!/usr/bin/python3
# Writes sun_table.inc: the sun's azimuth and elevation (degrees, no refraction) computed by
# PyEphem (Debian package python3-ephem) for a spread of dates, times of day and places. The
# solar-position test compares its own results with these rows.
#   usage: make_sun_table.py > sun_table.inc
import random

import ephem

rng = random.Random(20260601)
print("// Made by make_sun_table.py (PyEphem %s): year, month, day, hour, minute, second," % ephem.__version__)
print("// latitude, longitude (degrees), sun azimuth, sun elevation (degrees).")
for _ in range(120):
    year = rng.randint(2000, 2035)
    month = rng.randint(1, 12)
    day = rng.randint(1, 28)
    hour, minute, second = rng.randint(0, 23), rng.randint(0, 59), rng.randint(0, 59)
    lat = round(rng.uniform(-60.0, 65.0), 4)
    lon = round(rng.uniform(-179.0, 179.0), 4)
    observer = ephem.Observer()
    observer.lat, observer.lon = str(lat), str(lon)
    observer.elevation = 0
    observer.pressure = 0  # no refraction
    observer.date = "%04d/%02d/%02d %02d:%02d:%02d" % (year, month, day, hour, minute, second)
    sun = ephem.Sun(observer)
    print("{%d, %d, %d, %d, %d, %d, %.4f, %.4f, %.3f, %.3f}," % (
        year, month, day, hour, minute, second, lat, lon,
        float(sun.az) * 180.0 / ephem.pi, float(sun.alt) * 180.0 / ephem.pi))
