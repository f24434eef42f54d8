#!/usr/bin/env python3
"""Draws the program icons resources/page/app_big.ico (32 and 48 pixels) and app_smal.ico
(16 pixels): a programmer chip with a download arrow, the same glyph as the page's logo.svg
(simplified for 16 pixels).

Standard library only. Each size is drawn on a 32-unit canvas with 4 x 4 samples per pixel and
stored as a 32-bit BMP image with alpha, which every Windows version and gdk-pixbuf read.

    python3 tools/page-icons.py [output folder]     (default: resources/page)
"""
import os
import struct
import sys

NAVY = (0x1E, 0x3A, 0x8A)
PIN = (0xCB, 0xD5, 0xE1)
BODY = (0xF8, 0xFA, 0xFC)
GREEN = (0x15, 0x80, 0x3D)


def rounded_rect(x, y, w, h, r):
    def inside(px, py):
        if px < x or py < y or px > x + w or py > y + h:
            return False
        cx = min(max(px, x + r), x + w - r)
        cy = min(max(py, y + r), y + h - r)
        return (px - cx) ** 2 + (py - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda px, py: (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def segment(x1, y1, x2, y2, width):
    dx, dy = x2 - x1, y2 - y1
    length2 = dx * dx + dy * dy

    def inside(px, py):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - x1) * dx + (py - y1) * dy) / length2))
        qx, qy = x1 + t * dx - px, y1 + t * dy - py
        return qx * qx + qy * qy <= (width / 2) ** 2
    return inside


def glyph():
    """Shapes in painting order, on a 32 x 32 canvas."""
    shapes = [(rounded_rect(1, 1, 30, 30, 7), NAVY)]
    for y in (9, 13, 17, 21):
        shapes.append((rounded_rect(5, y, 4, 2, 0.5), PIN))
        shapes.append((rounded_rect(23, y, 4, 2, 0.5), PIN))
    shapes.append((rounded_rect(9, 6, 14, 20, 2), BODY))
    shapes.append((circle(12.5, 9.5, 1.3), NAVY))
    for line in ((16, 12, 16, 21), (12.5, 17.5, 16, 21), (19.5, 17.5, 16, 21)):
        shapes.append((segment(*line, 2.2), GREEN))
    return shapes


def small_glyph():
    """The glyph for 16 pixels: edges on whole pixels, fewer and thicker strokes."""
    shapes = [(rounded_rect(0, 0, 32, 32, 6), NAVY)]
    for y in (8, 14, 20):
        shapes.append((rounded_rect(2, y, 6, 4, 0), PIN))
        shapes.append((rounded_rect(24, y, 6, 4, 0), PIN))
    shapes.append((rounded_rect(8, 4, 16, 24, 2), BODY))
    for line in ((16, 9, 16, 22), (11, 17, 16, 22), (21, 17, 16, 22)):
        shapes.append((segment(*line, 4), GREEN))
    return shapes


def render(size, shapes, samples=4):
    """Rows top to bottom of (r, g, b, a) pixels."""
    scale = 32.0 / size
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            r = g = b = a = 0.0
            for sy in range(samples):
                for sx in range(samples):
                    px = (x + (sx + 0.5) / samples) * scale
                    py = (y + (sy + 0.5) / samples) * scale
                    colour = None
                    for inside, c in shapes:
                        if inside(px, py):
                            colour = c
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            n = samples * samples
            if a:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def bmp_entry(rows):
    """The image data of one icon entry: BITMAPINFOHEADER, BGRA pixels bottom-up, AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def write_ico(path, sizes, shapes):
    images = [bmp_entry(render(s, shapes)) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "resources", "page")
    shapes = glyph()
    write_ico(os.path.join(folder, "app_big.ico"), [32, 48], shapes)
    write_ico(os.path.join(folder, "app_smal.ico"), [16], small_glyph())


if __name__ == "__main__":
    main()
