#!/usr/bin/env python3
"""Writes the FLARM alarm sounds: the two alarm tones and the ten direction voices.

usage: make_flarm_sounds.py <output folder>

"Alarm1.wav" (traffic below: a falling pair) and "Alarm2.wav" (above or level: a rising pair) are
tones; "KV_10a.wav" .. "KV_14a.wav" and "KV_10b.wav" .. "KV_14b.wav" say the clock position of the
traffic, "high" (a) or "low" (b), spoken by espeak-ng.
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_tones  # noqa: E402  (the tone writer of the program's other sounds)

ALARMS = {
    "Alarm1.wav": [(1600, 120), (0, 30), (1100, 160)],
    "Alarm2.wav": [(1100, 120), (0, 30), (1600, 160)],
}

CLOCK = {"10": "ten", "11": "eleven", "12": "twelve", "13": "one", "14": "two"}
LEVEL = {"a": "high", "b": "low"}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, steps in ALARMS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(make_tones.wave(make_tones.samples(steps)))
    for hour, words in CLOCK.items():
        for letter, level in LEVEL.items():
            path = os.path.join(folder, "KV_%s%s.wav" % (hour, letter))
            text = "Traffic, %s o'clock, %s" % (words, level)
            subprocess.run(["espeak-ng", "-v", "en", "-s", "175", "-w", path, text], check=True)


if __name__ == "__main__":
    main()
