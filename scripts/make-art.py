#!/usr/bin/env python3
"""Writes the package's own art into src/resources/art/: the setup icon, the plug-in icon (32 x 32,
32-bit ICO), the device list's side picture (24-bit BMP) and the splash image (8-bit BMP with a colour
table, shown stretched over the screen). Run it after changing the drawings below."""
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


GLYPHS = {
    'S': ['01111', '10000', '10000', '01110', '00001', '00001', '11110'],
    'E': ['11111', '10000', '10000', '11110', '10000', '10000', '11111'],
    'T': ['11111', '00100', '00100', '00100', '00100', '00100', '00100'],
    'U': ['10001', '10001', '10001', '10001', '10001', '10001', '01110'],
    'P': ['11110', '10001', '10001', '11110', '10000', '10000', '10000'],
}


def splash_picture(width, height, word='SETUP', scale=8):
    """A blue gradient with three light waves and a word in large blocks; colours 0-127 are the
    gradient, 128 the waves, 129 the letters, 130 their shadow."""
    import math
    palette = []
    for i in range(128):
        t = i / 127
        palette.append((int(10 + 30 * t), int(36 + 80 * t), int(106 + 110 * t)))
    palette += [(150, 200, 255), (255, 255, 255), (8, 24, 70)]
    palette += [(0, 0, 0)] * (256 - len(palette))
    text_w = len(word) * 6 * scale - scale
    left, top = (width - text_w) // 2, height // 2 - 7 * scale // 2 - 20

    def letter_at(x, y):
        cx, cy = (x - left) // scale, (y - top) // scale
        if x < left or y < top or cy >= 7 or cx >= len(word) * 6 or cx % 6 == 5:
            return False
        return GLYPHS[word[cx // 6]][cy][cx % 6] == '1'

    def index(x, y):
        if letter_at(x, y):
            return 129
        if letter_at(x - 3, y - 3):
            return 130
        for k in range(3):
            wave = height * 0.72 + k * 14 + 10 * math.sin((x / width) * 2 * math.pi * (1 + k * 0.5) + k)
            if abs(y - wave) < 1.5:
                return 128
        return min(127, int(127 * (1 - y / height)))

    rows = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytes(index(x, y) for x in range(width))
        rows += row + b'\0' * (-len(row) % 4)
    colours = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(colours)
    header = struct.pack('<2sIHHI', b'BM', offset + len(rows), 0, 0, offset)
    with open(os.path.join(HERE, 'splash.bmp'), 'wb') as f:
        f.write(header + info + colours + bytes(rows))


os.makedirs(HERE, exist_ok=True)
write_icon('setup.ico', monitor)
write_icon('plugin.ico', plug)
side_picture(174, 403)
splash_picture(320, 240)
