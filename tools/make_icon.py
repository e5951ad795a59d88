#!/usr/bin/env python3
"""Writes resources/abb.ico, the tray icon: a lens ring with a handle.

Plain standard library; run it from anywhere: python3 tools/make_icon.py
"""
import math
import os
import struct

SIZES = (16, 32)


def pixel(size, x, y):
    """BGRA of one pixel: a blue lens in a dark ring, a handle to the lower right."""
    s = size / 16.0
    cx, cy, r = 6.5 * s, 6.5 * s, 5.5 * s
    d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
    if d <= r - 1.5 * s:
        return (0xF0, 0xD8, 0xA8, 0xFF)
    if d <= r:
        return (0x40, 0x30, 0x20, 0xFF)
    # handle: a thick diagonal from the ring to the corner
    u = (x + 0.5 - cx + y + 0.5 - cy) / math.sqrt(2)
    v = abs(x + 0.5 - cx - (y + 0.5 - cy)) / math.sqrt(2)
    if r <= u <= r + 5 * s and v <= 1.4 * s:
        return (0x20, 0x50, 0xA0, 0xFF)
    return (0, 0, 0, 0)


def image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):
        rows.append(b"".join(bytes(pixel(size, x, y)) for x in range(size)))
    mask_row = b"\0" * (((size + 31) // 32) * 4)
    return header + b"".join(rows) + mask_row * size


def main():
    images = [image(s) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(__file__), "..", "resources", "abb.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
