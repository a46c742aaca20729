#!/usr/bin/env python3
"""Writes the data that ships beside Pictoform: the starter masks and the
colour presets.

    python3 scripts/make_data.py [outdir]

outdir defaults to the repository's data/ folder; the files go to
outdir/Masks/*.msk, outdir/Presets/*.gpr and the program's own icon to
outdir/icons/pictoform-<size>.png. The output is the same bytes on
every run, so the files in data/ can be checked against a fresh run.

Masks: "pat", width and height as big-endian 16-bit values, then one
coverage byte per pixel, top row first (0 = empty, 255 = fully covered).
Presets: a little-endian 32-bit stop count, then per stop red, green, blue,
alpha bytes, the position as a little-endian float32 from 0 to 1, and a
32-bit zero word. The first stop lies at 0 and the last at 1.
"""

import math
import os
import struct
import sys
import zlib

SIZE = 64
# 4 x 4 samples a pixel: edges get 17 coverage levels.
SAMPLES = 4


# ---- shapes: each is a function inside(x, y) over 0..SIZE, y pointing down


def _r(value):
    # Rounded so that a last-bit difference in libm's trigonometry cannot
    # move a vertex and flip a sample.
    return round(value, 6)


def polygon(points):
    pts = [(float(x), float(y)) for x, y in points]

    def inside(x, y):
        # Even-odd crossing test along the row.
        hit = False
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y):
                cross = xj + (y - yj) * (xi - xj) / (yi - yj)
                if x < cross:
                    hit = not hit
            j = i
        return hit

    return inside


def disc(cx, cy, radius):
    r2 = radius * radius
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r2


def rounded_rect(left, top, right, bottom, radius):
    def inside(x, y):
        if x < left or x > right or y < top or y > bottom:
            return False
        # Distance from the inner rectangle whose corners are the arc centres.
        dx = max(left + radius - x, 0.0, x - (right - radius))
        dy = max(top + radius - y, 0.0, y - (bottom - radius))
        return dx * dx + dy * dy <= radius * radius

    return inside


def stroke(points, width):
    """A polyline of the given width with round joins and ends."""
    half2 = (width / 2.0) ** 2
    segments = list(zip(points, points[1:]))

    def near(x, y, a, b):
        ax, ay = a
        bx, by = b
        vx, vy = bx - ax, by - ay
        t = ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)
        t = min(1.0, max(0.0, t))
        px, py = ax + t * vx - x, ay + t * vy - y
        return px * px + py * py <= half2

    return lambda x, y: any(near(x, y, a, b) for a, b in segments)


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def transformed(shape, fn):
    """The shape seen through fn, which maps a point of the new shape to the old."""
    return lambda x, y: shape(*fn(x, y))


def tangent_points(tip, centre, radius):
    """The two points where lines from tip touch the circle, left one first."""
    tx, ty = tip
    cx, cy = centre
    dx, dy = tx - cx, ty - cy
    d = math.hypot(dx, dy)
    base = math.atan2(dy, dx)
    spread = math.acos(radius / d)
    a = (cx + radius * math.cos(base + spread), cy + radius * math.sin(base + spread))
    b = (cx + radius * math.cos(base - spread), cy + radius * math.sin(base - spread))
    a, b = (_r(a[0]), _r(a[1])), (_r(b[0]), _r(b[1]))
    return (a, b) if a[0] <= b[0] else (b, a)


def regular_polygon(cx, cy, radius, corners, start_degrees):
    return [
        (_r(cx + radius * math.cos(math.radians(start_degrees + 360.0 * k / corners))),
         _r(cy + radius * math.sin(math.radians(start_degrees + 360.0 * k / corners))))
        for k in range(corners)
    ]


def heart():
    tip = (32.0, 58.0)
    left_c, right_c, radius = (20.0, 22.0), (44.0, 22.0), 14.0
    left_t, _ = tangent_points(tip, left_c, radius)
    _, right_t = tangent_points(tip, right_c, radius)
    body = polygon([tip, left_t, left_c, (32.0, 22.0), right_c, right_t])
    return union(disc(*left_c, radius), disc(*right_c, radius), body)


def star():
    # Point upward; the centre sits low so the shape fills the square evenly.
    outer = regular_polygon(32.0, 35.0, 31.0, 5, -90.0)
    inner = regular_polygon(32.0, 35.0, 12.5, 5, -54.0)
    return polygon([p for pair in zip(outer, inner) for p in pair])


def arrow_up():
    return polygon([(32, 3), (60, 31), (42, 31), (42, 61), (22, 61), (22, 31), (4, 31)])


def drop():
    tip, centre, radius = (32.0, 3.0), (32.0, 40.0), 20.0
    left_t, right_t = tangent_points(tip, centre, radius)
    return union(disc(*centre, radius), polygon([tip, right_t, centre, left_t]))


def speech_bubble():
    return union(rounded_rect(3, 5, 61, 45, 11), polygon([(14, 40), (30, 40), (10, 60)]))


def lightning_bolt():
    return polygon([(36, 2), (11, 36), (28, 36), (21, 62), (53, 25), (36, 25), (48, 2)])


def moon():
    return minus(disc(30.0, 32.0, 28.0), disc(44.0, 24.0, 23.0))


def masks():
    up = arrow_up()
    last = float(SIZE)
    return {
        "Arrow Down": transformed(up, lambda x, y: (x, last - y)),
        "Arrow Left": transformed(up, lambda x, y: (y, x)),
        "Arrow Right": transformed(up, lambda x, y: (y, last - x)),
        "Arrow Up": up,
        "Check Mark": stroke([(11, 34), (26, 49), (54, 16)], 10.0),
        "Circle": disc(32.0, 32.0, 29.0),
        "Cross": union(stroke([(14, 14), (50, 50)], 11.0), stroke([(50, 14), (14, 50)], 11.0)),
        "Diamond": polygon([(32, 2), (62, 32), (32, 62), (2, 32)]),
        "Drop": drop(),
        "Heart": heart(),
        "Hexagon": polygon(regular_polygon(32.0, 32.0, 30.0, 6, 0.0)),
        "Lightning Bolt": lightning_bolt(),
        "Moon": moon(),
        "Plus": union(rounded_rect(24, 5, 40, 59, 3), rounded_rect(5, 24, 59, 40, 3)),
        "Ring": minus(disc(32.0, 32.0, 29.0), disc(32.0, 32.0, 18.0)),
        "Rounded Square": rounded_rect(4, 4, 60, 60, 12),
        "Speech Bubble": speech_bubble(),
        "Star": star(),
        "Triangle": polygon([(32, 4), (62, 58), (2, 58)]),
    }


def render(shape):
    out = bytearray()
    count = SAMPLES * SAMPLES
    offsets = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
    for py in range(SIZE):
        for px in range(SIZE):
            hits = sum(1 for sy in offsets for sx in offsets if shape(px + sx, py + sy))
            out.append((hits * 255 + count // 2) // count)
    return bytes(out)


def mask_file(pixels):
    return b"pat" + struct.pack(">HH", SIZE, SIZE) + pixels


# ---- colour presets: stops as (position, (red, green, blue)), all opaque


PRESETS = {
    "Fire": [(0.0, (64, 0, 0)), (0.25, (192, 16, 0)), (0.5, (255, 96, 0)),
             (0.75, (255, 200, 32)), (1.0, (255, 255, 208))],
    "Forest": [(0.0, (16, 48, 16)), (0.375, (34, 102, 34)), (0.75, (107, 142, 35)),
               (1.0, (189, 183, 107))],
    "Greyscale": [(0.0, (0, 0, 0)), (1.0, (255, 255, 255))],
    "Metal": [(0.0, (96, 96, 104)), (0.25, (200, 200, 208)), (0.5, (120, 120, 128)),
              (0.75, (232, 232, 240)), (1.0, (80, 80, 88))],
    "Ocean": [(0.0, (0, 24, 72)), (0.5, (0, 105, 148)), (1.0, (127, 219, 255))],
    "Pastel": [(0.0, (255, 179, 186)), (0.25, (255, 223, 186)), (0.5, (255, 255, 186)),
               (0.75, (186, 255, 201)), (1.0, (186, 225, 255))],
    "Rainbow": [(0.0, (255, 0, 0)), (0.125, (255, 127, 0)), (0.25, (255, 255, 0)),
                (0.5, (0, 255, 0)), (0.625, (0, 255, 255)), (0.75, (0, 0, 255)),
                (1.0, (139, 0, 255))],
    "Sunset": [(0.0, (44, 18, 77)), (0.375, (190, 46, 88)), (0.75, (255, 128, 64)),
               (1.0, (255, 214, 120))],
}


def preset_file(stops):
    out = bytearray(struct.pack("<I", len(stops)))
    for position, (red, green, blue) in stops:
        out += bytes((red, green, blue, 255))
        out += struct.pack("<fI", position, 0)
    return bytes(out)


def check_preset(name, stops):
    # What the program refuses to load must not ship.
    positions = [p for p, _ in stops]
    if len(stops) < 2 or positions[0] != 0.0 or positions[-1] != 1.0 or positions != sorted(positions):
        raise SystemExit("preset %s: needs two or more stops in order from 0 to 1" % name)


# ---- the program's icon: a pixel heart on a small canvas, a pencil over it


def icon_layers():
    """(shape, colour) pairs in the 64-unit space of the masks, bottom first."""
    layers = [(rounded_rect(2, 2, 62, 62, 11), (42, 77, 122)),
              (rounded_rect(9, 9, 47, 47, 3), (250, 250, 246))]
    heart_rows = [".##.##.", "#######", "#######", ".#####.", "..###..", "...#..."]
    for row, text in enumerate(heart_rows):
        for column, cell in enumerate(text):
            if cell == "#":
                x, y = 12 + column * 4.5, 14 + row * 4.5
                layers.append((rounded_rect(x, y, x + 4, y + 4, 0.6), (214, 40, 57)))
    # The pencil from the upper right down to its point at the lower left.
    body = polygon([(58, 26), (62, 30), (40, 52), (36, 48)])
    layers += [(body, (244, 180, 36)),
               (polygon([(36, 48), (40, 52), (31, 57)]), (236, 208, 160)),
               (polygon([(33.5, 52.5), (35.5, 54.5), (31, 57)]), (40, 40, 40)),
               (polygon([(58, 26), (62, 30), (59.5, 32.5), (55.5, 28.5)]), (226, 104, 120))]
    return layers


def render_icon(size, samples):
    """Straight (not premultiplied) RGBA rows, each pixel's layers laid over one another."""
    scale = SIZE / size
    offsets = [(i + 0.5) / samples for i in range(samples)]
    count = samples * samples
    layers = icon_layers()
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            # Coverage-weighted "over" of each layer, in premultiplied floats.
            r = g = b = a = 0.0
            for shape, (cr, cg, cb) in layers:
                hits = sum(1 for sy in offsets for sx in offsets
                           if shape((px + sx) * scale, (py + sy) * scale))
                if hits == 0:
                    continue
                k = hits / count
                r, g, b, a = (cr * k + r * (1 - k), cg * k + g * (1 - k),
                              cb * k + b * (1 - k), k + a * (1 - k))
            if a > 0:
                row += bytes((round(r / a), round(g / a), round(b / a), round(a * 255)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png_file(size, rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + row for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


ICON_SIZES = {16: 8, 32: 6, 48: 4, 256: 2}


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def main(argv):
    if len(argv) > 2:
        sys.stderr.write("usage: make_data.py [outdir]\n")
        return 2
    here = os.path.dirname(os.path.abspath(__file__))
    outdir = argv[1] if len(argv) == 2 else os.path.join(os.path.dirname(here), "data")
    mask_dir = os.path.join(outdir, "Masks")
    preset_dir = os.path.join(outdir, "Presets")
    os.makedirs(mask_dir, exist_ok=True)
    os.makedirs(preset_dir, exist_ok=True)
    for name, shape in masks().items():
        write(os.path.join(mask_dir, name + ".msk"), mask_file(render(shape)))
    for name, stops in PRESETS.items():
        check_preset(name, stops)
        write(os.path.join(preset_dir, name + ".gpr"), preset_file(stops))
    icon_dir = os.path.join(outdir, "icons")
    os.makedirs(icon_dir, exist_ok=True)
    for size, samples in ICON_SIZES.items():
        write(os.path.join(icon_dir, "pictoform-%d.png" % size),
              png_file(size, render_icon(size, samples)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
