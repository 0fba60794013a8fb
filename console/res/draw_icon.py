#!/usr/bin/env python3
"""Draws DorvikUI's program icon (dorvik.ico): a blue rounded square with a white disk
cylinder and a green arrow, at 16x16 and 32x32, 32-bit BGRA. Run it to rebuild the icon."""
import os
import struct


def pixel(size, x, y):
    s = size / 32.0
    fx, fy = (x + 0.5) / s, (y + 0.5) / s
    # Rounded square background.
    r = 6
    cx = min(max(fx, r), 32 - r)
    cy = min(max(fy, r), 32 - r)
    if (fx - cx) ** 2 + (fy - cy) ** 2 > r * r:
        return (0, 0, 0, 0)
    color = (0xB0, 0x5A, 0x1E, 255)  # BGR blue
    # The cylinder: a white body with a top ellipse.
    if 8 <= fx <= 24 and 9 <= fy <= 25:
        color = (0xF4, 0xF4, 0xF4, 255)
    if ((fx - 16) / 8.0) ** 2 + ((fy - 9) / 3.0) ** 2 <= 1:
        color = (0xD8, 0xD8, 0xD8, 255)
    if ((fx - 16) / 8.0) ** 2 + ((fy - 25) / 3.0) ** 2 <= 1:
        color = (0xF4, 0xF4, 0xF4, 255)
    # A green downward arrow onto the disk.
    if 14 <= fx <= 18 and 12 <= fy <= 19:
        color = (0x3C, 0xB4, 0x2E, 255)
    if 19 <= fy <= 24 and abs(fx - 16) <= (24 - fy):
        color = (0x3C, 0xB4, 0x2E, 255)
    return color


def image(size):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):  # bottom-up
        rows.append(b''.join(bytes(pixel(size, x, y)) for x in range(size)))
    mask_row = b'\0' * (((size + 31) // 32) * 4)
    return header + b''.join(rows) + mask_row * size


def main():
    sizes = [16, 32]
    images = [image(n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'dorvik.ico')
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
