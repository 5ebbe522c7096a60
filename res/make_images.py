#!/usr/bin/env python3
"""Draws the wizard's side picture (wizard.bmp, 228 x 312, 24 bits per pixel) and
its icon (wizard.ico, 32 x 32 and 16 x 16): a dot-matrix printer with a sheet of
tractor-feed paper on a blue gradient. Standard library only; run it from any
directory and commit both outputs."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def canvas(w, h, fill):
    return [[fill for _ in range(w)] for _ in range(h)]


def rect(img, x0, y0, x1, y1, color):
    for y in range(max(0, y0), min(len(img), y1)):
        row = img[y]
        for x in range(max(0, x0), min(len(row), x1)):
            row[x] = color


def printer(img, ox, oy, s):
    """A printer s pixels per unit wide; 40 x 36 units."""
    def r(x0, y0, x1, y1, c):
        rect(img, ox + x0 * s, oy + y0 * s, ox + x1 * s, oy + y1 * s, c)
    paper, hole = (250, 250, 245), (200, 205, 215)
    r(8, 0, 32, 18, paper)                        # paper feeding out of the top
    for y in range(2, 17, 4):
        r(9, y, 10, y + 1, hole)                  # tractor-feed holes
        r(30, y, 31, y + 1, hole)
    for y in range(4, 16, 3):
        r(13, y, 27 - (y % 5), y + 1, (120, 130, 150))  # printed lines
    r(2, 14, 38, 30, (70, 78, 92))                # body
    r(2, 14, 38, 16, (95, 104, 120))              # top edge
    r(6, 22, 34, 24, (30, 34, 40))                # paper slot
    r(30, 26, 34, 28, (80, 200, 120))             # power light
    r(4, 30, 36, 33, (50, 56, 66))                # base


def bmp(path, img):
    h, w = len(img), len(img[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(img):
        line = bytearray()
        for (r, g, b) in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def ico_image(img):
    """One 32-bit icon image (BITMAPINFOHEADER, colours, AND mask)."""
    h, w = len(img), len(img[0])
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(img):
        for (r, g, b) in row:
            pixels += bytes((b, g, r, 255))
    mask = b"\0" * (((w + 31) // 32) * 4 * h)
    return info + pixels + mask


def ico(path, images):
    blobs = [ico_image(i) for i in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", len(img[0]), len(img), 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


def side_picture():
    w, h = 228, 312
    img = canvas(w, h, (0, 0, 0))
    for y in range(h):
        t = y / (h - 1)
        c = (int(18 + 20 * t), int(52 + 90 * t), int(120 + 80 * t))
        for x in range(w):
            img[y][x] = c
    for y in range(10, h, 14):                    # a faint dot matrix
        for x in range(10 + (y // 14 % 2) * 7, w, 14):
            r, g, b = img[y][x]
            img[y][x] = (min(255, r + 40), min(255, g + 40), min(255, b + 40))
    printer(img, 34, 96, 4)
    return img


def icon(size):
    img = canvas(size, size, (40, 90, 170))
    printer(img, (size - 40 * size // 40) // 2, size // 16, size // 40 or 1)
    return img


if __name__ == "__main__":
    bmp(os.path.join(HERE, "wizard.bmp"), side_picture())
    ico(os.path.join(HERE, "wizard.ico"), [icon(32), icon(16)])
