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
    'r': (0xD9, 0x4A, 0x3D),
    'p': (0x8A, 0x5A, 0x2B),
    's': (0x9A, 0xA5, 0xB1),
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


# The clipboard: the program's own icon, and the root of the tree.
CLIPBOARD = [
    ".....oooooo.....",
    "..oooossssoooo..",
    ".oppppsoospppppo",
    ".opppsssssspppo.",
    ".opwwwwwwwwwwpo.",
    ".opwbbbbbbwwwpo.",
    ".opwwwwwwwwwwpo.",
    ".opwbbbbbbbbwpo.",
    ".opwwwwwwwwwwpo.",
    ".opwbbbbbwwwwpo.",
    ".opwwwwwwwwwwpo.",
    ".opwbbbbbbbwwpo.",
    ".opwwwwwwwwwwpo.",
    ".opppppppppppo..",
    "..ooooooooooo...",
    "................",
]

ICONS.update({
    'app': CLIPBOARD,
    'root': CLIPBOARD,
    # The history: a stack of clips.
    'collection': [
        "................",
        "....oooooooooo..",
        "....owwwwwwwwo..",
        "..oooooooooowo..",
        "..owwwwwwwwowo..",
        "oooooooooowowo..",
        "owwwwwwwwowowo..",
        "owbbbbbbwowowo..",
        "owwwwwwwwowowo..",
        "owbbbbbwwowooo..",
        "owwwwwwwwowo....",
        "owbbbbbbwooo....",
        "owwwwwwwwo......",
        "oooooooooo......",
        "................",
        "................",
    ],
    # The slots: a key cap with a digit.
    'hotkeys': [
        "................",
        "................",
        "..oooooooooooo..",
        ".olllllllllllo..",
        ".olwwwwwwwwwlso.",
        ".olwwwwbbwwwlso.",
        ".olwwwbbbwwwlso.",
        ".olwwwwbbwwwlso.",
        ".olwwwwbbwwwlso.",
        ".olwwwwbbwwwlso.",
        ".olwwwbbbbwwlso.",
        ".olwwwwwwwwwlso.",
        ".ollllllllllso..",
        "..osssssssssso..",
        "...oooooooooo...",
        "................",
    ],
    # A user category: a tag.
    'category': [
        "................",
        "................",
        "..ooooooooo.....",
        "..oyyyyyyyyo....",
        "..oyyooyyyyyo...",
        "..oyyooyyyyyyo..",
        "..oyyyyyyyyyyyo.",
        "..oyyyyyyyyyyyo.",
        "..oyyyyyyyyyyo..",
        "..oyyyyyyyyyo...",
        "..oyyyyyyyyo....",
        "..ooooooooo.....",
        "................",
        "................",
        "................",
        "................",
    ],
    # Paused: the clipboard greyed, with a pause sign.
    'paused': [
        ".....oooooo.....",
        "..oooossssoooo..",
        ".osssssoossssso.",
        ".ossssssssssso..",
        ".oswwwwwwwwwso..",
        ".oswwoowwoowso..",
        ".oswwoowwoowso..",
        ".oswwoowwoowso..",
        ".oswwoowwoowso..",
        ".oswwoowwoowso..",
        ".oswwoowwoowso..",
        ".oswwwwwwwwwso..",
        ".oswwwwwwwwwso..",
        ".osssssssssso...",
        "..ooooooooooo...",
        "................",
    ],
})

# The running tray animation: the clipboard with a line of text being written, four frames.
for frame in range(4):
    grid = [list(row) for row in CLIPBOARD]
    for line in (5, 7, 9, 11):
        for x in range(4, 13):
            grid[line][x] = 'w'
    written = [5, 7, 9, 11][: frame + 1]
    for line in written:
        for x in range(4, 10 + (line % 3)):
            grid[line][x] = 'b' if line != written[-1] else 'g'
    ICONS['run%d' % frame] = [''.join(row) for row in grid]


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


def write_cursor(path, grid, hot_x, hot_y):
    """A 32 x 32 cursor (the grid drawn twice as large); the hot spot is given in grid cells."""
    data = image(grid, 2)
    out = struct.pack('<HHH', 0, 2, 1)
    out += struct.pack('<BBBBHHII', 32, 32, 0, 0, hot_x * 2, hot_y * 2, len(data), 6 + 16)
    with open(path, 'wb') as f:
        f.write(out + data)


# The screen capture's cursors: a cross for choosing, arrows over the selection's handles and a
# four-way arrow inside it. Name: (grid, hot spot x, hot spot y).
CURSORS = {
    'capture': ([
        ".......o........",
        ".......o........",
        ".......o........",
        ".......o........",
        ".......o........",
        "................",
        "ooooo.....ooooo.",
        "................",
        ".......o........",
        ".......o........",
        ".......o........",
        ".......o........",
        ".......o........",
        "................",
        "................",
        "................",
    ], 7, 6),
    'size-nwse': ([
        "oooooo..........",
        "owwwo...........",
        "owwo............",
        "owowo...........",
        "oo.owo..........",
        "o...owo.........",
        ".....owo........",
        "......owo.......",
        ".......owo...o..",
        "........owo..oo.",
        ".........owowo..",
        "..........owwo..",
        ".........owwwo..",
        "........oooooo..",
        "................",
        "................",
    ], 7, 7),
    'size-nesw': ([
        "..........oooooo",
        "...........owwwo",
        "............owwo",
        "...........owowo",
        "..........owo.oo",
        ".........owo...o",
        "........owo.....",
        ".......owo......",
        "..o...owo.......",
        ".oo..owo........",
        "..owowo.........",
        "..owwo..........",
        "..owwwo.........",
        "..oooooo........",
        "................",
        "................",
    ], 8, 7),
    'move': ([
        ".......oo.......",
        "......owwo......",
        ".....owwwwo.....",
        ".......ww.......",
        "..o....ww....o..",
        ".ow....ww....wo.",
        "owwwwwwwwwwwwwwo",
        "owwwwwwwwwwwwwwo",
        ".ow....ww....wo.",
        "..o....ww....o..",
        ".......ww.......",
        ".....owwwwo.....",
        "......owwo......",
        ".......oo.......",
        "................",
        "................",
    ], 7, 7),
    'size-we': ([
        "................",
        "................",
        "................",
        "................",
        "...o........o...",
        "..oo........oo..",
        ".owooooooooooowo",
        "owwwwwwwwwwwwwwo",
        ".owooooooooooowo",
        "..oo........oo..",
        "...o........o...",
        "................",
        "................",
        "................",
        "................",
        "................",
    ], 8, 7),
    'size-ns': ([
        ".......oo.......",
        "......owwo......",
        ".....owwwwo.....",
        "....ooowwooo....",
        ".......ww.......",
        ".......ww.......",
        ".......ww.......",
        ".......ww.......",
        ".......ww.......",
        ".......ww.......",
        "....ooowwooo....",
        ".....owwwwo.....",
        "......owwo......",
        ".......oo.......",
        "................",
        "................",
    ], 7, 7),
}


# Small pictures for bitmaps (header columns, toolbar): pure blue is the transparent colour.
BITMAPS = {
    'header-content': ICONS['text'],
    'header-number': [
        "................",
        "................",
        "................",
        "...oo....oo.....",
        "...oo....oo.....",
        ".oooooooooooo...",
        "...oo....oo.....",
        "...oo....oo.....",
        "...oo....oo.....",
        ".oooooooooooo...",
        "...oo....oo.....",
        "...oo....oo.....",
        "................",
        "................",
        "................",
        "................",
    ],
    'header-time': [
        "................",
        ".....oooooo.....",
        "...oowwwwwwoo...",
        "..owwwwoowwwwo..",
        "..owwwwoowwwwo..",
        ".owwwwwoowwwwwo.",
        ".owwwwwoowwwwwo.",
        ".owwwwwoooooowo.",
        ".owwwwwwwwwwwwo.",
        ".owwwwwwwwwwwwo.",
        "..owwwwwwwwwwo..",
        "..owwwwwwwwwwo..",
        "...oowwwwwwoo...",
        ".....oooooo.....",
        "................",
        "................",
    ],
}

TOOLBAR = [  # capture, open, save, delete, homepage, help
    [
        "................",
        ".oooo......oooo.",
        ".o............o.",
        ".o...bbbbbb...o.",
        ".o..b......b..o.",
        "....b..oo..b....",
        "....b.oooo.b....",
        "....b.oooo.b....",
        "....b..oo..b....",
        ".o..b......b..o.",
        ".o...bbbbbb...o.",
        ".o............o.",
        ".oooo......oooo.",
        "................",
        "................",
        "................",
    ],
    [
        "................",
        "................",
        ".ooooo..........",
        ".offffo.........",
        ".offfffoooooooo.",
        ".offfffffffffo..",
        ".ofoooooooooooo.",
        ".ofoyyyyyyyyyyo.",
        ".ooyyyyyyyyyyo..",
        ".oyyyyyyyyyyyo..",
        ".oyyyyyyyyyyo...",
        ".ooooooooooooo..",
        "................",
        "................",
        "................",
        "................",
    ],
    [
        "................",
        ".oooooooooooooo.",
        ".obwwwwwwwwwwbo.",
        ".obwwwwwwwwwwbo.",
        ".obwwwwwwwwwwbo.",
        ".obwwwwwwwwwwbo.",
        ".obbbbbbbbbbbbo.",
        ".obbssssssssbbo.",
        ".obbsoossssbbbo.",
        ".obbsoossssbbbo.",
        ".obbssssssssbbo.",
        ".oooooooooooooo.",
        "................",
        "................",
        "................",
        "................",
    ],
    [
        "................",
        ".....oooooo.....",
        "..oooooooooooo..",
        "...osssssssso...",
        "...osrsssrsso...",
        "...ossrsrssso...",
        "...osssrsssso...",
        "...ossrsrssso...",
        "...osrsssrsso...",
        "...osssssssso...",
        "...osssssssso...",
        "....oooooooo....",
        "................",
        "................",
        "................",
        "................",
    ],
    [
        "................",
        ".......oo.......",
        "......oyyo......",
        ".....oyyyyo.....",
        "....oyyyyyyo....",
        "...oyyyyyyyyo...",
        "..oooyyyyyyooo..",
        "....owwwwwwo....",
        "....owwoowwo....",
        "....owwoowwo....",
        "....owwoowwo....",
        "....oooooooo....",
        "................",
        "................",
        "................",
        "................",
    ],
    [
        "................",
        ".....oooooo.....",
        "...oobbbbbboo...",
        "..obbbwwwwbbbo..",
        "..obbwbbbbwbbo..",
        ".obbbbbbbbwbbbo.",
        ".obbbbbbbwbbbbo.",
        ".obbbbbbwbbbbbo.",
        ".obbbbbbwbbbbbo.",
        ".obbbbbbbbbbbbo.",
        "..obbbbbwbbbbo..",
        "..obbbbbbbbbbo..",
        "...oobbbbbboo...",
        ".....oooooo.....",
        "................",
        "................",
    ],
]


def write_bitmap(path, grids):
    """A 24-bit bitmap of 16 x 16 pictures side by side; transparent pixels are pure blue."""
    width, height = 16 * len(grids), 16
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for grid in grids:
            for x in range(16):
                colour = PALETTE[grid[y][x]]
                row += bytes((255, 0, 0)) if colour is None else bytes((colour[2], colour[1], colour[0]))
        rows.append(bytes(row).ljust(stride, b'\0'))
    pixels = b''.join(rows)
    header = struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, 0, 0, 0, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + pixels)


if __name__ == '__main__':
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'icons')
    for name, grid in ICONS.items():
        assert len(grid) == 16 and all(len(row) == 16 for row in grid), name
        write_icon(os.path.join(here, name + '.ico'), grid)
    bitmaps = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'bitmaps')
    os.makedirs(bitmaps, exist_ok=True)
    for name, grid in BITMAPS.items():
        write_bitmap(os.path.join(bitmaps, name + '.bmp'), [grid])
    write_bitmap(os.path.join(bitmaps, 'toolbar.bmp'), TOOLBAR)
    # The list's and the tree's pictures, each list's in one strip, in the order of its images.
    write_bitmap(os.path.join(bitmaps, 'list-kinds.bmp'), [ICONS[name] for name in ('text', 'picture', 'files')])
    write_bitmap(os.path.join(bitmaps, 'tree-nodes.bmp'), [ICONS[name] for name in ('root', 'collection', 'hotkeys', 'category')])
    cursors = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'cursors')
    os.makedirs(cursors, exist_ok=True)
    for name, (grid, hot_x, hot_y) in CURSORS.items():
        assert len(grid) == 16 and all(len(row) == 16 for row in grid), name
        write_cursor(os.path.join(cursors, name + '.cur'), grid, hot_x, hot_y)
