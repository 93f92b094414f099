#!/usr/bin/env python3
"""The feather field worked out apart from the C++ code, from the generator's description up: a
line per feather of the float bits, in hexadecimal, of position, angle, spin, colour, scale, bend.

    tests/reference/feather_field.py > tests/reference/feather_field.txt
"""
import math
import struct

state = 1


def f32(x):  # x rounded to the nearest 32-bit float
    return struct.unpack("<f", struct.pack("<f", x))[0]


def scaled(limit):
    global state
    state = (state * 214013 + 2531011) % 2**32
    return ((state >> 16) & 0x7FFF) / 32768.0 * f32(limit)


for _ in range(512):
    theta = f32(scaled(3.1415927))
    phi = f32(scaled(6.2831855))
    a = f32(scaled(2))
    r = f32(scaled(40) + a)
    values = [math.cos(theta) * r, math.sin(theta) * math.cos(phi) * r,
              math.sin(theta) * math.sin(phi) * r]
    values += [scaled(360) for _ in range(3)]
    values += [scaled(150) - 75 for _ in range(3)]
    values += [scaled(0.15) + 0.85 for _ in range(3)]
    values += [scaled(0.4) + 0.8, scaled(0.5) + 0.25]
    print(" ".join(struct.pack(">f", v).hex() for v in values))
