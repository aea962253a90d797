#!/usr/bin/env python3
"""Draws TRELVIO's icon (a sheet of staff paper with an eighth note and an
arrow into text lines) as a 16-colour Windows .ico with a 32x32 and a 16x16
image. The pictures below are the icon's source; run this to rebuild
app/trelvio.ico after changing them."""
import struct
import sys

# The standard 16-colour palette; one character per colour, '.' is transparent.
PALETTE = [
    ('k', (0, 0, 0)), ('r', (128, 0, 0)), ('g', (0, 128, 0)), ('y', (128, 128, 0)),
    ('b', (0, 0, 128)), ('m', (128, 0, 128)), ('c', (0, 128, 128)), ('s', (192, 192, 192)),
    ('d', (128, 128, 128)), ('R', (255, 0, 0)), ('G', (0, 255, 0)), ('Y', (255, 255, 0)),
    ('B', (0, 0, 255)), ('M', (255, 0, 255)), ('C', (0, 255, 255)), ('W', (255, 255, 255)),
]

ICON32 = """
................................
....kkkkkkkkkkkkkkkkkkkkkk......
....kWWWWWWWWWWWWWWWWWWWWkk.....
....kWWWWWWWWWWWWWWWWWWWWksk....
....kWWWWWWWWWWWWWWWWWWWWksWk...
....kdddddddddddddkdddddWkkkkk..
....kWWWWWWWWWWWWWkkWWWWWWWWdk..
....kWWWWWWWWWWWWWkWkWWWWWWWdk..
....kdddddddddddddkddkddddddWk..
....kWWWWWWWWWWWWWkWWWkWWWWWWk..
....kWWWWWWWWWWWWWkWWWkWWWWWWk..
....kddddddddddkkkkddkddddddWk..
....kWWWWWWWWWkkkkkWkWWWWWWWWk..
....kWWWWWWWWWkkkkkWWWWWWWWWWk..
....kddddddddddkkkdddddddddddk..
....kWWWWWWWWWWWWWWWWWWWWWWWWk..
....kWWWWWWWWWWWWRWWWWWWWWWWWk..
....kWWWWWWWWWWWWRRWWWWWWWWWWk..
....kWWWWWWWWWRRRRRRWWWWWWWWWk..
....kWWWWWWWWWRRRRRRRWWWWWWWWk..
....kWWWWWWWWWRRRRRRWWWWWWWWWk..
....kWWWWWWWWWWWWRRWWWWWWWWWWk..
....kWWWWWWWWWWWWRWWWWWWWWWWWk..
....kWWWWWWWWWWWWWWWWWWWWWWWWk..
....kWWbbbbWbbWbbbbbbWbbbWWWWk..
....kWWWWWWWWWWWWWWWWWWWWWWWWk..
....kWWbbbWbbbbbWbbWbbbbbbWWWk..
....kWWWWWWWWWWWWWWWWWWWWWWWWk..
....kWWbbbbbbWbbbWbbbbWWWWWWWk..
....kWWWWWWWWWWWWWWWWWWWWWWWWk..
....kkkkkkkkkkkkkkkkkkkkkkkkkk..
................................
"""

ICON16 = """
..kkkkkkkkkkk...
..kWWWWWWWWWkk..
..kddddddkdWkWk.
..kWWWWWWkkWkkk.
..kddddkkkdkddk.
..kWWWkkkkWWWWk.
..kddddkkddddWk.
..kWWWWWWRWWWWk.
..kWWWRRRRRWWWk.
..kWWWWWWRWWWWk.
..kWbbWbbbWbbWk.
..kWWWWWWWWWWWk.
..kWbbbWbbWbbWk.
..kWWWWWWWWWWWk.
..kkkkkkkkkkkkk.
................
"""


def rows(picture, size):
    lines = [line for line in picture.strip('\n').split('\n')]
    if len(lines) != size or any(len(line) != size for line in lines):
        sys.exit('picture of %d must be %d by %d' % (size, size, size))
    return lines


def image(picture, size):
    index = {ch: i for i, (ch, _) in enumerate(PALETTE)}
    lines = rows(picture, size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for _, (r, g, b) in PALETTE)
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for line in reversed(lines):  # bottom-up rows
        row = bytearray()
        for x in range(0, size, 2):
            hi = index.get(line[x], 0)
            lo = index.get(line[x + 1], 0)
            row.append((hi << 4) | lo)
        while len(row) % 4:
            row.append(0)
        colour += row
        bits = bytearray(mask_stride)
        for x, ch in enumerate(line):
            if ch == '.':
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + palette + bytes(colour) + bytes(mask)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else 'app/trelvio.ico'
    images = [(32, image(ICON32, 32)), (16, image(ICON16, 16))]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, body in images:
        data += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(body), offset)
        offset += len(body)
    data += b''.join(body for _, body in images)
    with open(out, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main()
