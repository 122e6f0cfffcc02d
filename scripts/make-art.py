#!/usr/bin/env python3
"""Writes the package's own art into src/resources/art/: the setup icon, the plug-in icon (32 x 32,
32-bit ICO) and the device list's side picture (24-bit BMP). Run it after changing the drawings below."""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'src', 'resources', 'art')


def bmp_rows(width, height, pixel, bits):
    """Bottom-up rows of BGR(A) pixels, each row padded to 4 bytes."""
    data = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b, a = pixel(x, y)
            row += bytes((b, g, r)) + (bytes((a,)) if bits == 32 else b'')
        while len(row) % 4:
            row += b'\0'
        data += row
    return bytes(data)


def write_icon(name, pixel):
    size = 32
    colour = bmp_rows(size, size, pixel, 32)
    mask = bytes(4 * size)  # all opaque; alpha decides
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    image = header + colour + mask
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), 22)
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(directory + image)


def monitor(x, y):
    if 3 <= x < 29 and 4 <= y < 23:
        if 5 <= x < 27 and 6 <= y < 21:
            return (58, 110, 165, 255) if not (8 <= x < 18 and 9 <= y < 11) else (255, 255, 255, 255)
        return (64, 64, 64, 255)
    if 13 <= x < 19 and 23 <= y < 27:
        return (128, 128, 128, 255)
    if 8 <= x < 24 and 27 <= y < 29:
        return (64, 64, 64, 255)
    return (0, 0, 0, 0)


def plug(x, y):
    if 12 <= x < 20 and 2 <= y < 14:  # cable
        return (90, 90, 90, 255)
    if 7 <= x < 25 and 14 <= y < 24:  # plug body
        return (40, 90, 135, 255) if not (10 <= x < 22 and 17 <= y < 21) else (190, 220, 255, 255)
    if (10 <= x < 13 or 19 <= x < 22) and 24 <= y < 30:  # pins
        return (200, 170, 60, 255)
    return (0, 0, 0, 0)


def side_picture(width, height):
    def pixel(x, y):
        # A blue band that darkens downwards, with light diagonal stripes.
        shade = 1.0 - 0.5 * y / height
        r, g, b = int(40 * shade), int(90 * shade), int(160 * shade)
        if (x + y) % 24 < 3:
            r, g, b = r + 40, g + 40, b + 50
        return (r, g, b, 255)
    rows = bmp_rows(width, height, pixel, 24)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    with open(os.path.join(HERE, 'devicelist.bmp'), 'wb') as f:
        f.write(header + info + rows)


os.makedirs(HERE, exist_ok=True)
write_icon('setup.ico', monitor)
write_icon('plugin.ico', plug)
side_picture(174, 403)
