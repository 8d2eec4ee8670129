#!/usr/bin/env python3
"""Writes the flight computer's sounds as short tones (RIFF WAVE, 22050 Hz, 16-bit mono).

usage: make_tones.py <output folder>

Each sound is a list of (frequency in Hz, duration in ms) steps; frequency 0 is silence.
"""
import math
import os
import struct
import sys

RATE = 22050

TONES = {
    "MenuPop.wav": [(1800, 25)],
    "Asterisk.wav": [(880, 80), (1320, 120)],
    "infbeg.wav": [(660, 60), (990, 90)],
    "infend.wav": [(990, 60), (660, 90)],
    "hwandsw.wav": [(520, 70), (0, 30), (780, 70)],
    "Loudest.wav": [(1000, 250)],
    "Splat.wav": [(300, 60), (180, 90)],
    "TADA.wav": [(523, 120), (659, 120), (784, 240)],
    "Exclam.wav": [(740, 150), (0, 40), (740, 150)],
    # Airspace alarm: a falling pair, then the warble of "sua.wav".
    "Alarm4.wav": [(1400, 120), (0, 30), (1000, 120), (0, 30), (1400, 120)],
    "sua.wav": [(900, 80), (1200, 80), (900, 80), (1200, 80)],
    # The map zooms in near a turnpoint: a rising run of three.
    "WindMax.wav": [(700, 70), (940, 70), (1250, 110)],
}


def samples(steps):
    out = bytearray()
    for frequency, ms in steps:
        count = RATE * ms // 1000
        for i in range(count):
            # A short fade at both ends of each step keeps the tone free of clicks.
            fade = min(1.0, i / 200.0, (count - i) / 200.0)
            value = 0 if frequency == 0 else math.sin(2 * math.pi * frequency * i / RATE) * 12000 * fade
            out += struct.pack("<h", int(value))
    return bytes(out)


def wave(data):
    header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, RATE, RATE * 2, 2, 16)
    return header + b"data" + struct.pack("<I", len(data)) + data


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, steps in TONES.items():
        if steps is None:
            continue
        with open(os.path.join(folder, name), "wb") as f:
            f.write(wave(samples(steps)))


if __name__ == "__main__":
    main()
