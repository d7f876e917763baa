#!/usr/bin/env python3
"""Draws the program's small icons from the character grids below and writes them as .ico
files (16 x 16 and 32 x 32, 32-bit with alpha). Run it after changing a grid:
    python3 res/tools/make_icons.py
"""
import os
import struct

# One palette for every icon: outline, paper, accent blue, sun yellow, leaf green, light blue.
PALETTE = {
    '.': None,
    'o': (0x2F, 0x3B, 0x4C),
    'w': (0xFF, 0xFF, 0xFF),
    'b': (0x3A, 0x7B, 0xD5),
    'y': (0xF2, 0xB1, 0x34),
    'g': (0x4C, 0xAF, 0x50),
    'l': (0xC8, 0xDC, 0xF5),
    'f': (0xF5, 0xD0, 0x6E),
}

ICONS = {
    # A picture: a frame with a sun and hills.
    'picture': [
        "................",
        "................",
        ".oooooooooooooo.",
        ".ollllllllllllo.",
        ".ollllllllyyllo.",
        ".ollllllllyyllo.",
        ".ollllllllllllo.",
        ".ollllglllllllo.",
        ".olllgggllllglo.",
        ".ollgggggllgggo.",
        ".olgggggggggggo.",
        ".oggggggggggggo.",
        ".oooooooooooooo.",
        "................",
        "................",
        "................",
    ],
    # A file list: a folder.
    'files': [
        "................",
        "................",
        ".ooooo..........",
        ".offffo.........",
        ".offfffoooooooo.",
        ".offffffffffffo.",
        ".oyyyyyyyyyyyyo.",
        ".oyyyyyyyyyyyyo.",
        ".oyyyyyyyyyyyyo.",
        ".oyyyyyyyyyyyyo.",
        ".oyyyyyyyyyyyyo.",
        ".oyyyyyyyyyyyyo.",
        ".oooooooooooooo.",
        "................",
        "................",
        "................",
    ],
    # Text: a page with lines.
    'text': [
        "..ooooooooo.....",
        "..owwwwwwwoo....",
        "..owwwwwwwowo...",
        "..owbbbbbwoooo..",
        "..owwwwwwwwwwo..",
        "..owbbbbbbbbwo..",
        "..owwwwwwwwwwo..",
        "..owbbbbbbbbwo..",
        "..owwwwwwwwwwo..",
        "..owbbbbbbbbwo..",
        "..owwwwwwwwwwo..",
        "..owbbbbbbwwwo..",
        "..owwwwwwwwwwo..",
        "..oooooooooooo..",
        "................",
        "................",
    ],
}


def image(grid, scale):
    size = 16 * scale
    pixels = bytearray()
    mask_rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        mask_bits = 0
        row = grid[y // scale]
        for x in range(size):
            colour = PALETTE[row[x // scale]]
            if colour is None:
                pixels += bytes((0, 0, 0, 0))
                mask_bits |= 1 << (size - 1 - x)
            else:
                r, g, b = colour
                pixels += bytes((b, g, r, 255))
        mask_rows.append(mask_bits.to_bytes(size // 8, 'big').ljust((size // 8 + 3) // 4 * 4, b'\0'))
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + bytes(pixels) + b''.join(mask_rows)


def write_icon(path, grid):
    images = [image(grid, 1), image(grid, 2)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for scale, data in zip((1, 2), images):
        size = 16 * scale
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'icons')
    for name, grid in ICONS.items():
        assert len(grid) == 16 and all(len(row) == 16 for row in grid), name
        write_icon(os.path.join(here, name + '.ico'), grid)
