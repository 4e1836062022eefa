#!/usr/bin/env python3
"""Reads the PNG pictures zamiro-run writes and checks their pixels, with the standard library.

As a module: load(path) gives a Picture with width, height and pixel(x, y) -> 0xRRGGBB.
As a program: gfx_png.py FILE CHECK... where each CHECK is one of
  size=WxH                 the picture's size
  X,Y=RRGGBB               one pixel's colour
  X1,Y1-X2,Y2=RRGGBB       every pixel of the inclusive box
  X1,Y1-X2,Y2!=RRGGBB      no pixel of the inclusive box
  count:X1,Y1-X2,Y2:RRGGBB=N   how many pixels of the box have the colour
  dump:X1,Y1-X2,Y2         prints the box, for writing checks ('.' white, '#' black)
Exits 1 with the failed checks listed, 0 when all hold.
"""
import struct
import sys
import zlib


class Picture:
    def __init__(self, width, height, rows):
        self.width = width
        self.height = height
        self.rows = rows  # one bytes object of RGB triples per row

    def pixel(self, x, y):
        r = self.rows[y]
        return (r[3 * x] << 16) | (r[3 * x + 1] << 8) | r[3 * x + 2]


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def load(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
    width, height, depth, colour, _, _, interlace = header
    channels = {2: 3, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace != 0:
        raise ValueError("unsupported PNG layout %r" % (header,))
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - channels] if x >= channels else 0
            b = prev[x]
            c = prev[x - channels] if x >= channels else 0
            line[x] = (line[x] + (0, a, b, (a + b) // 2, _paeth(a, b, c))[kind]) & 0xFF
        prev = line
        if channels == 4:
            line = bytearray(v for j, v in enumerate(line) if j % 4 != 3)
        rows.append(bytes(line))
    return Picture(width, height, rows)


def _box(text):
    if "-" in text:
        a, b = text.split("-")
    else:
        a = b = text
    x1, y1 = (int(v) for v in a.split(","))
    x2, y2 = (int(v) for v in b.split(","))
    return [(x, y) for y in range(y1, y2 + 1) for x in range(x1, x2 + 1)]


def check(pic, spec):
    """Returns None when the check holds, else a description of what was found."""
    if spec.startswith("size="):
        want = spec[5:]
        got = "%dx%d" % (pic.width, pic.height)
        return None if got == want else "size is " + got
    if spec.startswith("dump:"):
        for y in sorted({p[1] for p in _box(spec[5:])}):
            row = [p for p in _box(spec[5:]) if p[1] == y]
            print("".join({0xFFFFFF: ".", 0: "#"}.get(pic.pixel(x, y), "o") for x, _ in row))
        return None
    if spec.startswith("count:"):
        _, box, rest = spec.split(":")
        colour, want = rest.split("=")
        n = sum(1 for x, y in _box(box) if pic.pixel(x, y) == int(colour, 16))
        return None if n == int(want) else "count is %d" % n
    negate = "!=" in spec
    box, colour = spec.split("!=" if negate else "=")
    colour = int(colour, 16)
    for x, y in _box(box):
        got = pic.pixel(x, y)
        if (got == colour) == negate:
            return "pixel %d,%d is %06X" % (x, y, got)
    return None


def main(argv):
    pic = load(argv[1])
    failed = 0
    for spec in argv[2:]:
        problem = check(pic, spec)
        if problem is not None:
            print("%s: %s fails: %s" % (argv[1], spec, problem))
            failed += 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
