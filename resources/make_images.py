#!/usr/bin/env python3
"""Draws the button glyphs and the program icon and writes them as Windows
BMP and ICO files, plus the Qt resource list that names them.

The build does not run this script; its output is kept next to it. Run it
after changing a picture:

    python3 resources/make_images.py [--sheet docs/glyphs.png]

--sheet also renders an 8x contact sheet of all glyphs (ImageMagick's montage
sets the labels).

Each glyph is also written at 1.5 and 2 times its size (NAME@1.5x.bmp,
NAME@2x.bmp), which the windows take on screens of 144 dpi and more.

The pictures are ASCII pixel maps over the 16-colour VGA palette. '.' is the
transparent colour, olive: the GUI masks every glyph pixel that has the colour
of the bottom-left pixel, so no picture may use olive and every picture must
leave its bottom-left pixel empty.
"""
import argparse
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = pathlib.Path(__file__).resolve().parent

# The classic 16-colour VGA palette in its Windows order, as (r, g, b).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
# One letter per palette entry; olive (3) is reserved for '.'.
INDEX = {
    'k': 0, 'm': 1, 'g': 2, '.': 3, 'n': 4, 'p': 5, 't': 6, 's': 7,
    'd': 8, 'r': 9, 'l': 10, 'y': 11, 'b': 12, 'f': 13, 'c': 14, 'w': 15,
}
TRANSPARENT = INDEX['.']
GREY, WHITE = INDEX['d'], INDEX['w']

# Light colours stay out of the embossed disabled picture, as they would
# vanish against the button face anyway.
LIGHT = 'wsyc'

# The display unit's face as the read and write pictures show it: two digit
# pairs in red between its grey sides.
UNIT_FACE = [
    'dkkkkkkkkkkkkkkd',
    'dkrrrrkkkkrrrrkd',
    'dkrkkrkrrkrkkrkd',
    'dkrrrrkkkkrrrrkd',
    'dkrkkrkrrkrkkrkd',
    'dkrrrrkkkkrrrrkd',
]

# name: (pixel map, extra colours left out of the disabled picture)
GLYPHS = {
    # Arrow down into the display: the value goes to the unit.
    'write': ([
        '......bbbb......',
        '......bbbb......',
        '......bbbb......',
        '...bbbbbbbbbb...',
        '....bbbbbbbb....',
        '.....bbbbbb.....',
        '......bbbb......',
        '.......bb.......',
        'dddddddddddddddd',
    ] + UNIT_FACE + [
        '.dddddddddddddd.',
    ], 'k'),
    # Arrow down out of the display: the value comes from the unit.
    'read': ([
        'dddddddddddddddd',
    ] + UNIT_FACE + [
        'dddddddddddddddd',
        '......gggg......',
        '......gggg......',
        '......gggg......',
        '...gggggggggg...',
        '....gggggggg....',
        '.....gggggg.....',
        '......gggg......',
        '.......gg.......',
    ], 'k'),
    'exit': ([
        '................',
        '.kkkkkkkkk......',
        '.kmmmmmmmk......',
        '.kmmmmmmmk......',
        '.kmmmmmmmk......',
        '.kmmmmmmmk..g...',
        '.kmmmmmmmk..gg..',
        '.kmmmmggggggggg.',
        '.kmmymgggggggggg',
        '.kmmmmggggggggg.',
        '.kmmmmmmmk..gg..',
        '.kmmmmmmmk..g...',
        '.kmmmmmmmk......',
        '.kmmmmmmmk......',
        '.kkkkkkkkk......',
        '................',
    ], 'm'),
    'increment': ([
        '................',
        '......kkkk......',
        '......kggk......',
        '......kggk......',
        '......kggk......',
        '.kkkkkkggkkkkkk.',
        '.kggggggggggggk.',
        '.kggggggggggggk.',
        '.kkkkkkggkkkkkk.',
        '......kggk......',
        '......kggk......',
        '......kggk......',
        '......kkkk......',
        '................',
        '................',
        '................',
    ], ''),
    'decrement': ([
        '................',
        '................',
        '................',
        '................',
        '................',
        '.kkkkkkkkkkkkkk.',
        '.krrrrrrrrrrrrk.',
        '.krrrrrrrrrrrrk.',
        '.kkkkkkkkkkkkkk.',
        '................',
        '................',
        '................',
        '................',
        '................',
        '................',
        '................',
    ], ''),
    'zero': ([
        '.....kkkkkk.....',
        '....kbbbbbbk....',
        '...kbbbbbbbbk...',
        '...kbbbkkbbbk...',
        '...kbbk..kbbk...',
        '...kbbk..kbbk...',
        '...kbbk..kbbk...',
        '...kbbk..kbbk...',
        '...kbbk..kbbk...',
        '...kbbk..kbbk...',
        '...kbbk..kbbk...',
        '...kbbbkkbbbk...',
        '...kbbbbbbbbk...',
        '....kbbbbbbk....',
        '.....kkkkkk.....',
        '................',
    ], ''),
    'file_save': ([
        'kkkkkkkkkkkkkkk.',
        'knkwwwwwwwwwknk.',
        'knkwwwwwwwwwknk.',
        'knkwdddddddwknk.',
        'knkwwwwwwwwwknk.',
        'knkwdddddddwknk.',
        'knkwwwwwwwwwknk.',
        'knnkkkkkkkkknnk.',
        'knnnnnnnnnnnnnk.',
        'knnnsssssssnnnk.',
        'knnnsskkssssnnk.',
        'knnnsskkssssnnk.',
        'knnnsskkssssnnk.',
        'knnnsssssssnnnk.',
        '.kkkkkkkkkkkkkk.',
        '................',
    ], ''),
    'file_load': ([
        '................',
        '................',
        '.kkkk...........',
        'kyyyyk..........',
        'kyyyyykkkkkkk...',
        'kywwwwwwwwwwyk..',
        'kywkkkkkkkkkkkkk',
        'kywkyyyyyyyyyyyk',
        'kykyyyyyyyyyyyk.',
        'kykyyyyyyyyyyyk.',
        'kkyyyyyyyyyyyk..',
        'kkyyyyyyyyyyyk..',
        'kyyyyyyyyyyyk...',
        'kkkkkkkkkkkkk...',
        '................',
        '................',
    ], ''),
    # A clock with a turning arrow: the value file is sent again and again.
    # A clock with a turning arrow on its rim: the value file goes out again
    # and again.
    'auto': ([
        '.....kkkkk......',
        '...kkwwwwwgg....',
        '..kwwwwkwwwwg...',
        '.kwwwwwkwwwwwg..',
        '.kwwwwwkwwwwwg..',
        'kwwwwwwkwwwwwwg.',
        'kwwwwwwkwwwwwwg.',
        'kdwwwwwkkkkwwdg.',
        'kwwwwwwwwwwwwwg.',
        'kwwwwwwwwwwwwwg.',
        '.kwwwwwwwwwwgggg',
        '.kwwwwwwwwwwwgg.',
        '..kwwwwdwwwwk...',
        '...kkwwwwwkk....',
        '.....kkkkk......',
        '................',
    ], ''),
    'stop': ([
        '....kkkkkkkk....',
        '...krrrrrrrrk...',
        '..krrrrrrrrrrk..',
        '.krrrrrrrrrrrrk.',
        'krrrrrrrrrrrrrrk',
        'krrrrrrrrrrrrrrk',
        'krrwwwwwwwwwwrrk',
        'krrwwwwwwwwwwrrk',
        'krrwwwwwwwwwwrrk',
        'krrrrrrrrrrrrrrk',
        'krrrrrrrrrrrrrrk',
        '.krrrrrrrrrrrrk.',
        '..krrrrrrrrrrk..',
        '...krrrrrrrrk...',
        '....kkkkkkkk....',
        '................',
    ], ''),
    'lock': ([
        '.....kkkkkk.....',
        '....kddddddk....',
        '...kddkkkkddk...',
        '...kdk....kdk...',
        '...kdk....kdk...',
        '...kdk....kdk...',
        '.kkkkkkkkkkkkkk.',
        '.kyyyyyyyyyyyyk.',
        '.kyyyyykkyyyyyk.',
        '.kyyyykkkkyyyyk.',
        '.kyyyykkkkyyyyk.',
        '.kyyyyykkyyyyyk.',
        '.kyyyyykkyyyyyk.',
        '.kyyyyyyyyyyyyk.',
        '.kkkkkkkkkkkkkk.',
        '................',
    ], ''),
    'unlock': ([
        '........kkkkkk..',
        '.......kddddddk.',
        '......kddkkkkddk',
        '......kdk....kdk',
        '......kdk....kdk',
        '......kdk....kkk',
        '.kkkkkkkkkkkk...',
        '.kyyyyyyyyyyk...',
        '.kyyyykkyyyyk...',
        '.kyyykkkkyyyk...',
        '.kyyykkkkyyyk...',
        '.kyyyykkyyyyk...',
        '.kyyyykkyyyyk...',
        '.kyyyyyyyyyyk...',
        '.kkkkkkkkkkkk...',
        '................',
    ], ''),
}

# The unit as the icon shows it: a raised grey case around a black window
# with red seven-segment digits. Per size: the case's top and bottom row, the
# width of the grey band around the window (0: none, and no sunken rim), the
# digit cells' left columns, the digit, and the top-left pixels of the two
# 2 x 2 colon dots.
DIGIT_4X9 = ['rrrr', 'r..r', 'r..r', 'r..r', 'rrrr', 'r..r', 'r..r', 'r..r', 'rrrr']
DIGIT_3X7 = ['rrr', 'r.r', 'r.r', 'rrr', 'r.r', 'r.r', 'rrr']
ICON_LOOK = {
    # 88:88
    32: dict(case=(6, 24), band=1, cells=(5, 10, 18, 23), digit=DIGIT_4X9,
             colon=((15, 12), (15, 17))),
    # Four digits do not fit in 16 pixels; 8:8 still reads as the unit.
    16: dict(case=(2, 14), band=0, cells=(3, 10), digit=DIGIT_3X7,
             colon=((7, 6), (7, 9))),
}


def display_picture(size):
    look = ICON_LOOK[size]
    top, bottom = look['case']
    rows = [['.'] * size for _ in range(size)]

    def box(inset, fill, light, dark):
        """A filled rectangle inset from the case, lit from the top left."""
        x0, y0, x1, y1 = inset, top + inset, size - 1 - inset, bottom - inset
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge_light = x == x0 or y == y0
                edge_dark = x == x1 or y == y1
                rows[y][x] = dark if edge_dark else light if edge_light else fill

    box(0, 'k', 'k', 'k')
    box(1, 's', 'w', 'd')
    window = 2 + look['band']
    if look['band']:
        box(window, 'k', 'd', 'w')
        window += 1
    box(window, 'k', 'k', 'k')
    digit = look['digit']
    digit_top = (top + bottom + 1) // 2 - len(digit) // 2
    for left in look['cells']:
        for dy, line in enumerate(digit):
            for dx, c in enumerate(line):
                if c != '.':
                    rows[digit_top + dy][left + dx] = c
    for cx, cy in look['colon']:
        for y in (cy, cy + 1):
            for x in (cx, cx + 1):
                rows[y][x] = 'r'
    return [''.join(r) for r in rows]


def to_indices(art, name):
    size = len(art[0])
    if any(len(line) != size for line in art):
        sys.exit(f'{name}: ragged pixel map')
    if art[-1][0] != '.':
        sys.exit(f'{name}: the bottom-left pixel must be transparent')
    try:
        return [[INDEX[c] for c in line] for line in art]
    except KeyError as e:
        sys.exit(f'{name}: unknown colour letter {e}')


def disabled(pixels, extra_light):
    """The grey embossed look of a disabled button: the dark parts of the
    picture in grey over a white copy shifted one pixel down and right."""
    light = {INDEX[c] for c in LIGHT + extra_light}
    h, w = len(pixels), len(pixels[0])
    shape = [[p != TRANSPARENT and p not in light for p in row] for row in pixels]
    out = [[TRANSPARENT] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            if shape[y][x] and y + 1 < h and x + 1 < w:
                out[y + 1][x + 1] = WHITE
    for y in range(h):
        for x in range(w):
            if shape[y][x]:
                out[y][x] = GREY
    return out


# The larger sizes drawn for screens of 144 and 192 dpi, by their file-name
# suffix: every pixel of the picture repeated, so no colour is mixed and the
# transparent colour stays exact.
SCALES = {'@1.5x': 1.5, '@2x': 2}


def scaled(rows, factor):
    h, w = len(rows), len(rows[0])
    return [[rows[int(y / factor)][int(x / factor)] for x in range(int(w * factor))]
            for y in range(int(h * factor))]


def pack_4bpp(rows):
    """Bottom-up rows of 4-bit pixels, each padded to a multiple of 4 bytes."""
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for i in range(0, len(row), 2):
            hi = row[i]
            lo = row[i + 1] if i + 1 < len(row) else 0
            line.append(hi << 4 | lo)
        line.extend(b'\0' * (-len(line) % 4))
        data += line
    return bytes(data)


def pack_mask(rows):
    """Bottom-up 1-bit AND mask: set where the icon is transparent."""
    data = bytearray()
    for row in reversed(rows):
        line = bytearray((len(row) + 7) // 8)
        for x, p in enumerate(row):
            if p == TRANSPARENT:
                line[x // 8] |= 0x80 >> (x % 8)
        line.extend(b'\0' * (-len(line) % 4))
        data += line
    return bytes(data)


def palette_bytes():
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)


def info_header(width, height, image_size):
    # BITMAPINFOHEADER, uncompressed, 4 bits per pixel, all 16 colours used.
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, image_size, 3780, 3780, 16, 0)


def bmp_bytes(rows):
    pixels = pack_4bpp(rows)
    header_size = 14 + 40 + 16 * 4
    file_header = struct.pack('<2sIHHI', b'BM', header_size + len(pixels), 0, 0, header_size)
    return file_header + info_header(len(rows[0]), len(rows), len(pixels)) + palette_bytes() + pixels


def ico_bytes(images):
    """An .ico whose images keep their transparent pixels black under a set
    AND mask, so any reader shows them through."""
    bodies = []
    for rows in images:
        xor_rows = [[0 if p == TRANSPARENT else p for p in row] for row in rows]
        pixels = pack_4bpp(xor_rows)
        mask = pack_mask(rows)
        size = len(rows)
        # The height of an icon's bitmap counts the XOR and the AND image.
        bodies.append((size, info_header(size, 2 * size, len(pixels) + len(mask))
                       + palette_bytes() + pixels + mask))
    out = struct.pack('<HHH', 0, 1, len(bodies))
    offset = 6 + 16 * len(bodies)
    for size, body in bodies:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 16, 0, 1, 4, len(body), offset)
        offset += len(body)
    return out + b''.join(body for _, body in bodies)


def qrc_text(glyph_names):
    lines = ['<!DOCTYPE RCC>', '<RCC version="1.0">', '<qresource prefix="/glyphs">']
    lines += [f'    <file alias="{n}{s}.bmp">glyphs/{n}{s}.bmp</file>'
              for n in glyph_names for s in ('', *SCALES)]
    lines += ['</qresource>', '<qresource prefix="/icons">',
              '    <file alias="qmx8350t.ico">qmx8350t.ico</file>',
              '</qresource>', '</RCC>', '']
    return '\n'.join(lines)


def png_bytes(rgb_rows):
    """A plain 8-bit RGB PNG; enough for the contact sheet's tiles."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))
    height, width = len(rgb_rows), len(rgb_rows[0])
    raw = b''.join(b'\0' + bytes(c for px in row for c in px) for row in rgb_rows)
    return (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def contact_sheet(path, glyphs, scale=8):
    montage = shutil.which('montage')
    if not montage:
        sys.exit('--sheet needs ImageMagick montage')
    # The transparent colour is shown as the classic button face, on which the
    # white of the disabled look stands out.
    face = PALETTE[INDEX['s']]
    with tempfile.TemporaryDirectory() as tmp:
        tiles = []
        for name, rows in glyphs:
            rgb = [[face if p == TRANSPARENT else PALETTE[p] for p in row for _ in range(scale)]
                   for row in rows for _ in range(scale)]
            tile = pathlib.Path(tmp) / f'{name}.png'
            tile.write_bytes(png_bytes(rgb))
            tiles.append(str(tile))
        subprocess.run([montage, '-label', '%t', '-font', 'DejaVu-Sans', '-pointsize', '18',
                        '-background', 'white',
                        '-geometry', '+12+8', '-tile', '4x', *tiles, str(path)], check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--sheet', type=pathlib.Path, help='also write an 8x contact sheet PNG')
    args = parser.parse_args()

    glyph_dir = HERE / 'glyphs'
    glyph_dir.mkdir(exist_ok=True)
    sheet = []
    for name, (art, extra_light) in GLYPHS.items():
        normal = to_indices(art, name)
        if len(normal) != 16 or len(normal[0]) != 16:
            sys.exit(f'{name}: a glyph picture is 16 x 16')
        grey = disabled(normal, extra_light)
        rows = [a + b for a, b in zip(normal, grey)]
        (glyph_dir / f'{name}.bmp').write_bytes(bmp_bytes(rows))
        for suffix, factor in SCALES.items():
            (glyph_dir / f'{name}{suffix}.bmp').write_bytes(bmp_bytes(scaled(rows, factor)))
        sheet.append((name, rows))

    icon = [to_indices(display_picture(s), f'icon {s}') for s in (32, 16)]
    (HERE / 'qmx8350t.ico').write_bytes(ico_bytes(icon))
    (HERE / 'resources.qrc').write_text(qrc_text(GLYPHS.keys()))
    if args.sheet:
        contact_sheet(args.sheet, sheet)


if __name__ == '__main__':
    main()
