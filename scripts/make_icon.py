#!/usr/bin/env python3
"""Draws Mirale's icon and writes res/mirale.ico: a 32 x 32 and a 16 x 16 image,
256 colours each. The drawing is this file: a blue rounded tile with a white
eighth note and a small orange tag. Run it again after changing the drawing."""
import os
import struct

BLUE = (0x1E, 0x5A, 0xC8)
DARK = (0x12, 0x38, 0x80)
WHITE = (0xFF, 0xFF, 0xFF)
ORANGE = (0xF0, 0x96, 0x00)
CLEAR = None


def draw(size):
    """Returns rows (top first) of colours or CLEAR, for a size x size image."""
    s = size / 32.0
    image = [[CLEAR] * size for _ in range(size)]
    radius = 6 * s
    for y in range(size):
        for x in range(size):
            cx = min(max(x + 0.5, radius), size - radius)
            cy = min(max(y + 0.5, radius), size - radius)
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= radius ** 2:
                edge = x == 0 or y == 0 or x == size - 1 or y == size - 1
                image[y][x] = DARK if edge else BLUE
    # Eighth note: an oval head, a stem and a flag.
    hx, hy, hw, hh = 11 * s, 22 * s, 4.5 * s, 3.4 * s
    for y in range(size):
        for x in range(size):
            if ((x + 0.5 - hx) / hw) ** 2 + ((y + 0.5 - hy) / hh) ** 2 <= 1:
                image[y][x] = WHITE
    stem_x = int(round(14 * s))
    for y in range(int(6 * s), int(22 * s)):
        for dx in range(max(1, int(round(2 * s)))):
            image[y][stem_x + dx] = WHITE
    for i in range(int(7 * s)):
        y = int(6 * s) + i
        for dx in range(max(1, int(round(2 * s)))):
            x = stem_x + int(round(2 * s)) + i // 2 + dx
            if x < size:
                image[y][x] = WHITE
    # Tag: an orange square with a hole, at the lower right.
    for y in range(int(19 * s), int(27 * s)):
        for x in range(int(19 * s), int(27 * s)):
            image[y][x] = ORANGE
    hole = int(round(21 * s))
    image[hole][hole] = BLUE
    return image


def bitmap(image):
    size = len(image)
    palette = [(0, 0, 0), BLUE, DARK, WHITE, ORANGE] + [(0, 0, 0)] * 251
    index = {colour: i for i, colour in enumerate(palette[:5])}
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    colours = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in palette)
    pixels = b''
    mask = b''
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(image):  # bottom-up
        pixels += bytes(index[c] if c is not CLEAR else 0 for c in row)
        bits = 0
        line = bytearray(mask_stride)
        for x, c in enumerate(row):
            if c is CLEAR:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
        del bits
    return header + colours + pixels + mask


def main():
    images = [bitmap(draw(32)), bitmap(draw(16))]
    sizes = [32, 16]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 8, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'res', 'mirale.ico')
    with open(target, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
