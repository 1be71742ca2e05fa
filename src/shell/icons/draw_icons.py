#!/usr/bin/env python3
"""Draws the plug-in's icons as PNG files next to this script.

Only the standard library (zlib, struct) is used, so the pictures can be drawn
again on any machine: python3 draw_icons.py

The pictures are vector shapes in a 0..1 square, rendered with 4 x 4
supersampling at each size.
  I10002: the menu item's icon: a sheet with a green arrow going into it.
  I10001: a property table: a sheet with three rows of fields.
  file:   the library file's icon: stacked storeys on a teal tile.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SUPERSAMPLE = 4


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def polygon(points):
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            xa, ya = points[i]
            xb, yb = points[(i + 1) % n]
            if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
                hit = not hit
        return hit
    return inside


# Each picture: a list of (shape, RGBA colour), painted in order.
def import_item():
    return [
        (rounded_rect(0.10, 0.04, 0.78, 0.96, 0.08), (40, 78, 140, 255)),
        (rounded_rect(0.16, 0.10, 0.72, 0.90, 0.05), (245, 247, 250, 255)),
        (rounded_rect(0.24, 0.22, 0.60, 0.28, 0.02), (120, 140, 170, 255)),
        (rounded_rect(0.24, 0.36, 0.54, 0.42, 0.02), (120, 140, 170, 255)),
        (polygon([(0.48, 0.50), (0.72, 0.50), (0.72, 0.40), (0.96, 0.64),
                  (0.72, 0.88), (0.72, 0.78), (0.48, 0.78)]), (34, 150, 70, 255)),
    ]


def property_table():
    shapes = [
        (rounded_rect(0.08, 0.08, 0.92, 0.92, 0.10), (40, 78, 140, 255)),
        (rounded_rect(0.14, 0.14, 0.86, 0.86, 0.06), (245, 247, 250, 255)),
    ]
    for row in range(3):
        top = 0.22 + row * 0.21
        shapes.append((rounded_rect(0.22, top, 0.40, top + 0.12, 0.02), (40, 78, 140, 255)))
        shapes.append((rounded_rect(0.46, top, 0.78, top + 0.12, 0.02), (150, 170, 200, 255)))
    return shapes


def file_icon():
    shapes = [(rounded_rect(0.04, 0.04, 0.96, 0.96, 0.16), (18, 110, 120, 255))]
    for level in range(3):
        top = 0.20 + level * 0.22
        shapes.append((polygon([(0.50, top), (0.84, top + 0.10), (0.50, top + 0.20), (0.16, top + 0.10)]),
                       (235 - level * 20, 245 - level * 10, 245, 255)))
    return shapes


def render(shapes, size):
    rows = []
    samples = SUPERSAMPLE * SUPERSAMPLE
    for py in range(size):
        row = bytearray([0])  # filter type 0 for the scan line
        for px in range(size):
            total = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    x = (px + (sx + 0.5) / SUPERSAMPLE) / size
                    y = (py + (sy + 0.5) / SUPERSAMPLE) / size
                    colour = (0, 0, 0, 0)
                    for inside, paint in shapes:
                        if inside(x, y):
                            colour = paint
                    alpha = colour[3] / 255.0
                    for c in range(3):
                        total[c] += colour[c] * alpha
                    total[3] += alpha
            alpha = total[3] / samples
            if alpha > 0:
                rgb = [round(total[c] / total[3]) for c in range(3)]
            else:
                rgb = [0, 0, 0]
            row += bytes(rgb + [round(alpha * 255)])
        rows.append(bytes(row))
    return b"".join(rows)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, size, pixels):
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    data = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(pixels, 9)) +
            chunk(b"IEND", b""))
    with open(path, "wb") as out:
        out.write(data)


def main():
    pictures = [("I10002", import_item(), (18, 36)),
                ("I10001", property_table(), (18, 36)),
                ("file", file_icon(), (256, 128, 64, 48, 32, 16))]
    for name, shapes, sizes in pictures:
        for size in sizes:
            write_png(os.path.join(HERE, "%s_%d.png" % (name, size)), size, render(shapes, size))


if __name__ == "__main__":
    main()
