#!/usr/bin/env python3
"""Writes src/resources/Tarnwick.ico: a clock face over a globe, in two
16-colour images (32x32 and 16x16), each a 4 bpp DIB with its AND mask.

Usage: make_icon.py OUTPUT.ico
"""
import math
import struct
import sys

# The standard 16-colour palette (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_BLUE, GREEN, WHITE, BLUE, YELLOW, DARK_GREEN = 0, 4, 10, 15, 12, 11, 2


def draw(size):
    """Rows top-down of (colour index or None for transparent)."""
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.5
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            dx, dy = x - c, y - c
            d = math.hypot(dx, dy)
            if d > r:
                row.append(None)
                continue
            if d > r - max(1.0, size / 16):
                row.append(DARK_BLUE)  # rim
                continue
            # Land: two blobs on the globe.
            land = (math.hypot(dx + r * 0.35, dy + r * 0.25) < r * 0.38 or
                    math.hypot(dx - r * 0.35, dy - r * 0.3) < r * 0.3)
            colour = GREEN if land else BLUE
            # Clock hands: to twelve and to three.
            width = max(0.6, size / 24)
            if abs(dx) <= width and -r * 0.75 <= dy <= 0:
                colour = WHITE
            if abs(dy) <= width and 0 <= dx <= r * 0.55:
                colour = WHITE
            if d <= max(1.0, size / 16):
                colour = YELLOW
            row.append(colour)
        rows.append(row)
    return rows


def image(size):
    rows = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 0, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, colour in enumerate(row):
            value = 0 if colour is None else colour
            if x % 2 == 0:
                line[x // 2] |= value << 4
            else:
                line[x // 2] |= value
            if colour is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line
        mask += bits
    return header + palette + bytes(xor) + bytes(mask)


def main():
    images = [image(32), image(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
