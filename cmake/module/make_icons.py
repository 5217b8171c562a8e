#!/usr/bin/env python3
"""Draws the plugin's two bitmaps, 16x16 and 32x32, as 24-bit Windows BMP files.

The picture: a white letter K on a blue rounded tile with an orange arrow turning
under it (a message being steered). Shapes are described in unit coordinates and
rendered with 4x4 supersampling, so both sizes come from the one drawing.

Usage: make_icons.py OUTPUT_DIR   (writes kwartlin_16.bmp and kwartlin_32.bmp)
"""
import math
import os
import struct
import sys

BACKGROUND = (240, 240, 240)
TILE_TOP = (58, 110, 200)
TILE_BOTTOM = (20, 52, 128)
LETTER = (255, 255, 255)
ARROW = (250, 150, 30)
SAMPLES = 4


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def in_tile(x, y):
    r = 0.2
    cx = min(max(x, 0.04 + r), 0.96 - r)
    cy = min(max(y, 0.04 + r), 0.96 - r)
    return math.hypot(x - cx, y - cy) <= r


def in_letter(x, y):
    stroke = 0.065
    return (segment_distance(x, y, 0.34, 0.18, 0.34, 0.66) <= stroke
            or segment_distance(x, y, 0.36, 0.44, 0.68, 0.18) <= stroke
            or segment_distance(x, y, 0.44, 0.38, 0.68, 0.66) <= stroke)


def in_arrow(x, y):
    # A flat arc under the letter, ending in a head on the right.
    cx, cy, radius = 0.5, 0.28, 0.55
    d = math.hypot(x - cx, y - cy)
    angle = math.degrees(math.atan2(y - cy, x - cx))
    on_arc = abs(d - radius) <= 0.045 and 55 <= angle <= 118
    head = (segment_distance(x, y, 0.80, 0.74, 0.66, 0.70) <= 0.04
            or segment_distance(x, y, 0.80, 0.74, 0.74, 0.86) <= 0.04)
    return on_arc or head


def colour_at(x, y):
    if not in_tile(x, y):
        return BACKGROUND
    if in_letter(x, y):
        return LETTER
    if in_arrow(x, y):
        return ARROW
    return tuple(round(a + (b - a) * y) for a, b in zip(TILE_TOP, TILE_BOTTOM))


def render(size):
    """Rows top first, each a list of (r, g, b)."""
    rows = []
    for row in range(size):
        pixels = []
        for col in range(size):
            total = [0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (col + (sx + 0.5) / SAMPLES) / size
                    y = (row + (sy + 0.5) / SAMPLES) / size
                    for i, c in enumerate(colour_at(x, y)):
                        total[i] += c
            pixels.append(tuple(round(t / (SAMPLES * SAMPLES)) for t in total))
        rows.append(pixels)
    return rows


def bmp_bytes(rows):
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    image = bytearray()
    for pixels in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in pixels:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        image += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(image), 0, 0, 14 + len(info))
    return header + info + image


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icons.py OUTPUT_DIR")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for size in (16, 32):
        with open(os.path.join(out, "kwartlin_%d.bmp" % size), "wb") as f:
            f.write(bmp_bytes(render(size)))


if __name__ == "__main__":
    main()
