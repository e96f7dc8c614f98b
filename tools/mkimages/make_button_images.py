#!/usr/bin/env python3
"""Draws the pictures of the program's image buttons into data/images/ as
PNG strips (one picture after another, left to right). Standard library
only; run it again after changing a picture.

toolbar.png: 24x24 pictures, three per button (rest, hot, pressed), in this
order: up, down, add, remove, clear, preview, save, exit, play, stop.
builder.png: 16x16 pictures: browse (folder), build (gear).
icon.png and quenbrook.ico: the program's icon, 32x32 (a night sky on a screen).
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "..", "data", "images")


def png(path, w, h, pixels):
    raw = b"".join(b"\x00" + bytes(c for p in pixels[y * w:(y + 1) * w] for c in p) for y in range(h))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


class Picture:
    def __init__(self, size):
        self.n = size
        self.px = [(0, 0, 0, 0)] * (size * size)

    def put(self, x, y, c):
        if 0 <= x < self.n and 0 <= y < self.n:
            self.px[y * self.n + x] = c

    def shape(self, inside, c):
        # 4x4 supersampling for soft edges.
        for y in range(self.n):
            for x in range(self.n):
                hits = sum(inside(x + (i + 0.5) / 4, y + (j + 0.5) / 4) for i in range(4) for j in range(4))
                if hits:
                    a = c[3] * hits // 16
                    old = self.px[y * self.n + x]
                    if old[3] == 0 or a == 255:
                        self.put(x, y, (c[0], c[1], c[2], a))
                    else:
                        t = a / 255
                        self.put(x, y, tuple(int(old[k] * (1 - t) + c[k] * t) for k in range(3)) + (max(old[3], a),))


def poly(points):
    def inside(x, y):
        c = False
        for i in range(len(points)):
            (x1, y1), (x2, y2) = points[i], points[i - 1]
            if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
                c = not c
        return c
    return inside


def rect(l, t, r, b):
    return lambda x, y: l <= x < r and t <= y < b


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r1, r2):
    return lambda x, y: r1 * r1 <= (x - cx) ** 2 + (y - cy) ** 2 <= r2 * r2


def union(*fs):
    return lambda x, y: any(f(x, y) for f in fs)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


BLUE, GREEN, RED, GREY, GOLD, DARK = (40, 90, 200, 255), (30, 150, 60, 255), (200, 40, 40, 255), (110, 110, 120, 255), (220, 170, 40, 255), (40, 40, 50, 255)

ICONS = [
    ("up", BLUE, poly([(12, 3), (21, 13), (15, 13), (15, 21), (9, 21), (9, 13), (3, 13)])),
    ("down", BLUE, poly([(12, 21), (21, 11), (15, 11), (15, 3), (9, 3), (9, 11), (3, 11)])),
    ("add", GREEN, union(rect(10, 4, 14, 20), rect(4, 10, 20, 14))),
    ("remove", RED, rect(4, 10, 20, 14)),
    ("clear", RED, union(poly([(5, 7), (7, 5), (19, 17), (17, 19)]), poly([(17, 5), (19, 7), (7, 19), (5, 17)]))),
    ("preview", DARK, union(minus(rect(3, 4, 21, 17), rect(5, 6, 19, 15)), rect(10, 17, 14, 19), rect(7, 19, 17, 21),
                            poly([(10, 8), (15, 10.5), (10, 13)]))),
    ("save", BLUE, minus(rect(4, 4, 20, 20), union(rect(7, 4, 17, 10), rect(8, 13, 16, 20)))),
    ("exit", GREY, union(minus(rect(5, 3, 16, 21), rect(7, 5, 14, 21)), poly([(12, 12), (18, 7), (18, 10), (22, 10), (22, 14), (18, 14), (18, 17)]))),
    ("play", GREEN, poly([(7, 4), (20, 12), (7, 20)])),
    ("stop", RED, rect(6, 6, 18, 18)),
]


def toolbar():
    n = 24
    strip = []
    for name, color, shape in ICONS:
        for state in range(3):
            pic = Picture(n)
            if state == 1:  # hot: a soft halo behind the glyph
                pic.shape(circle(12, 12, 11), (255, 230, 150, 110))
            c = color if state < 2 else tuple(max(0, v - 50) for v in color[:3]) + (255,)
            off = 1 if state == 2 else 0
            pic.shape(lambda x, y, s=shape, o=off: s(x - o, y - o), c)
            strip.append(pic)
    return n, strip


def builder():
    n = 16
    folder = Picture(n)
    folder.shape(union(rect(1, 4, 7, 6), rect(1, 5, 15, 14)), GOLD)
    folder.shape(rect(2, 7, 14, 13), (250, 215, 110, 255))
    gear = Picture(n)
    teeth = union(*[poly([(8 + 7.5 * math.cos(a - 0.25), 8 + 7.5 * math.sin(a - 0.25)),
                          (8 + 7.5 * math.cos(a + 0.25), 8 + 7.5 * math.sin(a + 0.25)),
                          (8 + 4 * math.cos(a + 0.5), 8 + 4 * math.sin(a + 0.5)),
                          (8 + 4 * math.cos(a - 0.5), 8 + 4 * math.sin(a - 0.5))])
                    for a in [k * math.pi / 4 for k in range(8)]])
    gear.shape(minus(union(circle(8, 8, 5.5), teeth), circle(8, 8, 2.2)), GREY)
    return n, [folder, gear]


def program_icon():
    n = 32
    pic = Picture(n)
    pic.shape(rect(2, 4, 30, 24), DARK)
    pic.shape(rect(4, 6, 28, 22), (20, 40, 110, 255))
    pic.shape(minus(circle(20, 12, 5), circle(22.5, 10.5, 4.5)), (250, 230, 140, 255))
    for sx, sy in ((8, 9), (12, 16), (7, 19), (25, 19)):
        pic.shape(circle(sx, sy, 1), (255, 255, 255, 255))
    pic.shape(union(rect(13, 24, 19, 27), rect(9, 27, 23, 29)), GREY)
    return pic


def save_ico(name, pic):
    """One 32-bit picture in the icon file's bitmap form (bottom-up BGRA, then the AND mask)."""
    n = pic.n
    xor = b"".join(bytes((p[2], p[1], p[0], p[3])) for y in reversed(range(n)) for p in pic.px[y * n:(y + 1) * n])
    mask = b""
    for y in reversed(range(n)):
        bits = "".join("0" if pic.px[y * n + x][3] else "1" for x in range(n))
        row = int(bits, 2).to_bytes(n // 8, "big")
        mask += row + bytes(-len(row) % 4)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(image), 22) + image)


def save(name, n, pics):
    w = n * len(pics)
    pixels = [(0, 0, 0, 0)] * (w * n)
    for k, p in enumerate(pics):
        for y in range(n):
            for x in range(n):
                pixels[y * w + k * n + x] = p.px[y * n + x]
    png(os.path.join(OUT, name), w, n, pixels)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    save("toolbar.png", *toolbar())
    save("builder.png", *builder())
    icon = program_icon()
    save("icon.png", 32, [icon])
    save_ico("quenbrook.ico", icon)
