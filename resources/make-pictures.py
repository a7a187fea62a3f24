#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws Orvinta's pictures and writes them next to this script.

Everything is drawn here from simple shapes, and the PNG and GIF files are
encoded here too, so only the Python 3 standard library is needed.  The
generated files are committed; the build never runs this script.

Rerun it by hand after changing a drawing, from anywhere:

    python3 resources/make-pictures.py

It writes, in resources/:
    orvinta-32.png  program icon, 32 x 32, Windows 16-colour palette
    orvinta-64.png  the same icon doubled to 64 x 64
    satellite.gif   222 x 314 line drawing of the microsatellite
    logo.gif        236 x 127 maker's logo

The output is the same byte for byte on every run.
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


# ---------------------------------------------------------------------------
# Canvas of palette indices with a few pixel-exact drawing operations
# ---------------------------------------------------------------------------


class Canvas:
    def __init__(self, width, height, background):
        self.width = width
        self.height = height
        self.pixels = [background] * (width * height)

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y * self.width + x] = colour

    def get(self, x, y):
        return self.pixels[y * self.width + x]

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the pixels x0..x1, y0..y1 (inclusive)."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, colour)

    def line(self, p, q, colour, thick=1):
        """Bresenham line between pixel centres; thick=2 doubles it."""
        x0, y0 = (int(round(v)) for v in p)
        x1, y1 = (int(round(v)) for v in q)
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx = 1 if x0 < x1 else -1
        sy = 1 if y0 < y1 else -1
        err = dx + dy
        while True:
            self.set(x0, y0, colour)
            if thick > 1:
                self.set(x0 + 1, y0, colour)
                self.set(x0, y0 + 1, colour)
                self.set(x0 + 1, y0 + 1, colour)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def polyline(self, points, colour, thick=1, closed=True):
        n = len(points)
        for i in range(n if closed else n - 1):
            self.line(points[i], points[(i + 1) % n], colour, thick)

    def fill_polygon(self, points, colour):
        """Fills every pixel whose centre lies inside the polygon."""
        ys = [p[1] for p in points]
        for y in range(max(0, math.floor(min(ys))), min(self.height, math.ceil(max(ys)) + 1)):
            crossings = []
            n = len(points)
            for i in range(n):
                (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
                if (ya <= y < yb) or (yb <= y < ya):
                    crossings.append(xa + (y - ya) * (xb - xa) / (yb - ya))
            crossings.sort()
            for a, b in zip(crossings[0::2], crossings[1::2]):
                for x in range(math.ceil(a), math.floor(b) + 1):
                    self.set(x, y, colour)

    def ellipse(self, cx, cy, rx, ry, colour, fill=None):
        """Outline (and optional fill) of an axis-aligned ellipse."""
        inside = set()
        for y in range(math.floor(cy - ry) - 1, math.ceil(cy + ry) + 2):
            for x in range(math.floor(cx - rx) - 1, math.ceil(cx + rx) + 2):
                if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0:
                    inside.add((x, y))
        for x, y in inside:
            edge = any((x + dx, y + dy) not in inside
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge:
                self.set(x, y, colour)
            elif fill is not None:
                self.set(x, y, fill)

    def doubled(self):
        big = Canvas(self.width * 2, self.height * 2, 0)
        for y in range(big.height):
            for x in range(big.width):
                big.pixels[y * big.width + x] = self.get(x // 2, y // 2)
        return big


# ---------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, canvas, palette, transparent=None):
    """Writes an 8-bit indexed PNG; index `transparent` becomes fully transparent.

    Only the colours the picture uses go into the file's palette, the
    transparent one first."""
    used = sorted(set(canvas.pixels), key=lambda i: (i != transparent, i))
    remap = {old: new for new, old in enumerate(used)}
    compact = Canvas(canvas.width, canvas.height, 0)
    compact.pixels = [remap[i] for i in canvas.pixels]
    canvas = compact
    palette = [palette[i] for i in used]
    transparent = 0 if transparent in remap else None
    raw = bytearray()
    for y in range(canvas.height):
        raw.append(0)
        raw.extend(canvas.pixels[y * canvas.width:(y + 1) * canvas.width])
    data = b"\x89PNG\r\n\x1a\n"
    data += png_chunk(b"IHDR", struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 3, 0, 0, 0))
    data += png_chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if transparent is not None:
        data += png_chunk(b"tRNS", bytes(0 if i == transparent else 255
                                         for i in range(transparent + 1)))
    data += png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    data += png_chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def lzw_codes(indices, min_size):
    """GIF-flavoured LZW: yields (code, bit width) pairs."""
    clear, end = 1 << min_size, (1 << min_size) + 1

    def reset():
        return {}, end + 1, min_size + 1

    table, next_code, width = reset()
    yield clear, width
    prefix = indices[0]
    for k in indices[1:]:
        key = (prefix, k)
        if key in table:
            prefix = table[key]
            continue
        yield prefix, width
        if next_code < 4096:
            table[key] = next_code
            # The decoder adds this entry one code later, so widen when the
            # entry just added needs the wider code.
            if next_code == (1 << width):
                width += 1
            next_code += 1
        else:
            yield clear, width
            table, next_code, width = reset()
        prefix = k
    yield prefix, width
    yield end, width


def write_gif(path, canvas, palette):
    """Writes a GIF89a picture with one global colour table, no extensions."""
    bits = max(1, (len(palette) - 1).bit_length())
    table = list(palette) + [(0, 0, 0)] * ((1 << bits) - len(palette))
    min_size = max(2, bits)

    packed = bytearray()
    acc, nacc = 0, 0
    for code, width in lzw_codes(canvas.pixels, min_size):
        acc |= code << nacc
        nacc += width
        while nacc >= 8:
            packed.append(acc & 0xFF)
            acc >>= 8
            nacc -= 8
    if nacc:
        packed.append(acc & 0xFF)

    data = b"GIF89a"
    data += struct.pack("<HHBBB", canvas.width, canvas.height, 0x80 | (bits - 1), 0, 0)
    data += b"".join(bytes(c) for c in table)
    data += b"," + struct.pack("<HHHHB", 0, 0, canvas.width, canvas.height, 0)
    data += bytes([min_size])
    for i in range(0, len(packed), 255):
        block = packed[i:i + 255]
        data += bytes([len(block)]) + block
    data += b"\x00;"
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------------------
# The icon: a small cube satellite with four whips and a Morse dot-dash
# ---------------------------------------------------------------------------

# The Windows 16-colour (VGA) palette.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GREY, RED, BLUE, WHITE = 0, 4, 7, 8, 9, 12, 15

# The cube's faces in the icon's 32-unit grid; (x, y) is the centre of pixel (x, y).
ICON_TOP = [(16, 5), (25, 9), (16, 13), (7, 9)]
ICON_LEFT = [(7, 9), (16, 13), (16, 23), (7, 19)]
ICON_RIGHT = [(16, 13), (25, 9), (25, 19), (16, 23)]


def icon_shapes():
    """The icon, back to front: (kind, points, fill colour, outline colour)."""
    shapes = []
    # Whips from the three visible bottom corners, canted outwards.
    for a, b in (((7, 19), (2, 29)), ((16, 23), (16, 31)), ((25, 19), (30, 29))):
        shapes.append(("line", [a, b], None, BLACK))
    # The fourth whip stands on the top face.
    shapes.append(("line", [(16, 5), (16, 0)], None, BLACK))
    # Cube faces.
    shapes.append(("poly", ICON_TOP, SILVER, BLACK))
    shapes.append(("poly", ICON_LEFT, BLUE, BLACK))
    shapes.append(("poly", ICON_RIGHT, NAVY, BLACK))
    # Solar cell seams.
    shapes.append(("line", [(8, 14), (15, 18)], None, NAVY))
    shapes.append(("line", [(17, 18), (24, 14)], None, BLUE))
    shapes.append(("line", [(12, 11), (20, 7)], None, GREY))
    shapes.append(("line", [(12, 7), (20, 11)], None, GREY))
    shapes.append(("line", [(17, 6), (24, 9)], None, WHITE))
    # Morse dot and dash, red, top left.
    shapes.append(("rect", [(1, 1), (3, 3)], RED, None))
    shapes.append(("rect", [(6, 1), (12, 3)], RED, None))
    return shapes


def draw_icon():
    canvas = Canvas(32, 32, len(VGA))  # index 16: transparent
    for kind, pts, fill, outline in icon_shapes():
        if kind == "line":
            canvas.line(pts[0], pts[1], outline)
        elif kind == "poly":
            canvas.fill_polygon(pts, fill)
            canvas.polyline(pts, outline)
        elif kind == "rect":
            (x0, y0), (x1, y1) = pts
            canvas.rect(x0, y0, x1, y1, fill)
    return canvas


# ---------------------------------------------------------------------------
# The satellite: a cube seen from slightly above, four whips below
# ---------------------------------------------------------------------------

SILVER_BG = (192, 192, 192)


def project_factory(width, height, points, margin):
    """Central projection seen from the front right, a little above; fitted to the picture."""
    yaw = math.radians(-36)
    pitch = math.radians(24)
    distance = 6.0

    def raw(p):
        x, y, z = p  # x right, y up, z towards the viewer; cube from -0.5 to 0.5
        x, z = x * math.cos(yaw) + z * math.sin(yaw), -x * math.sin(yaw) + z * math.cos(yaw)
        y, z = y * math.cos(pitch) - z * math.sin(pitch), y * math.sin(pitch) + z * math.cos(pitch)
        return (x / (distance - z), -y / (distance - z))

    xs, ys = zip(*(raw(p) for p in points))
    scale = min((width - 2 * margin) / (max(xs) - min(xs)),
                (height - 2 * margin) / (max(ys) - min(ys)))
    ox = width / 2 - scale * (max(xs) + min(xs)) / 2
    oy = height / 2 - scale * (max(ys) + min(ys)) / 2

    def project(p):
        x, y = raw(p)
        return (ox + scale * x, oy + scale * y)

    return project


def lerp(a, b, t):
    return tuple(u + (v - u) * t for u, v in zip(a, b))


def face_point(origin, u, v, s, t):
    return tuple(o + s * a + t * b for o, a, b in zip(origin, u, v))


def draw_satellite():
    w, h = 222, 314
    canvas = Canvas(w, h, 0)
    ink = 1
    H = 0.5
    # Corners of the cube.
    c = {(sx, sy, sz): (sx * H, sy * H, sz * H)
         for sx in (-1, 1) for sy in (-1, 1) for sz in (-1, 1)}

    # Whips: from the bottom corners, canted 28 degrees away from the axis.
    length = 1.55
    cant = math.radians(28)
    whips = []
    for sx, sz in ((-1, -1), (1, -1), (-1, 1), (1, 1)):
        base = (sx * H * 0.86, -H, sz * H * 0.86)
        out = math.sin(cant) / math.sqrt(2)
        d = (sx * out, -math.cos(cant), sz * out)
        tip = tuple(b + length * k for b, k in zip(base, d))
        whips.append((base, tip))
    proj = project_factory(w, h, list(c.values()) + [t for _, t in whips], 9)
    for base, tip in whips:
        canvas.line(proj(base), proj(tip), ink)
        tx, ty = proj(tip)
        canvas.ellipse(tx, ty, 1.6, 1.6, ink, ink)

    # Visible faces: top (+y), front (+z) and right (+x).
    top = [c[(-1, 1, -1)], c[(1, 1, -1)], c[(1, 1, 1)], c[(-1, 1, 1)]]
    front = [c[(-1, 1, 1)], c[(1, 1, 1)], c[(1, -1, 1)], c[(-1, -1, 1)]]
    right = [c[(1, 1, 1)], c[(1, 1, -1)], c[(1, -1, -1)], c[(1, -1, 1)]]
    silhouette = [proj(c[k]) for k in ((-1, 1, -1), (1, 1, -1), (1, -1, -1), (1, -1, 1),
                                         (-1, -1, 1), (-1, 1, 1))]
    canvas.fill_polygon(silhouette, 0)

    # Solar cells: 2 x 4 cells on each side face, inset from a frame.
    def cells(face, cols, rows, margin, gap):
        o, a, b = face[0], face[1], face[3]
        u = tuple(q - p for p, q in zip(o, a))
        v = tuple(q - p for p, q in zip(o, b))
        cw = (1 - 2 * margin - (cols - 1) * gap) / cols
        rh = (1 - 2 * margin - (rows - 1) * gap) / rows
        for i in range(cols):
            for j in range(rows):
                s0 = margin + i * (cw + gap)
                t0 = margin + j * (rh + gap)
                quad = [face_point(o, u, v, s0, t0), face_point(o, u, v, s0 + cw, t0),
                        face_point(o, u, v, s0 + cw, t0 + rh), face_point(o, u, v, s0, t0 + rh)]
                canvas.polyline([proj(p) for p in quad], ink)
                # One thin contact line across each cell.
                m0 = face_point(o, u, v, s0 + cw / 2, t0 + rh * 0.12)
                m1 = face_point(o, u, v, s0 + cw / 2, t0 + rh * 0.88)
                canvas.line(proj(m0), proj(m1), ink)

    cells(front, 2, 4, 0.08, 0.05)
    cells(right, 2, 4, 0.08, 0.05)

    # Top face: a frame, a small square hatch and the beacon's short stub.
    o, a, b = top[0], top[1], top[3]
    u = tuple(q - p for p, q in zip(o, a))
    v = tuple(q - p for p, q in zip(o, b))

    def top_quad(s0, t0, s1, t1):
        corners = ((s0, t0), (s1, t0), (s1, t1), (s0, t1))
        return [proj(face_point(o, u, v, s, t)) for s, t in corners]

    canvas.polyline(top_quad(0.08, 0.08, 0.92, 0.92), ink)
    canvas.polyline(top_quad(0.34, 0.34, 0.66, 0.66), ink)
    for s in (0.40, 0.47, 0.53, 0.60):
        canvas.line(proj(face_point(o, u, v, s, 0.38)), proj(face_point(o, u, v, s, 0.62)), ink)

    # The module stack: seams where the trays meet, as ticks on the vertical edges.
    for t in (0.25, 0.5, 0.75):
        for edge in ((c[(-1, 1, 1)], c[(-1, -1, 1)]), (c[(1, 1, 1)], c[(1, -1, 1)]),
                     (c[(1, 1, -1)], c[(1, -1, -1)])):
            p = proj(lerp(edge[0], edge[1], t))
            canvas.set(int(round(p[0])) - 1, int(round(p[1])), ink)
            canvas.set(int(round(p[0])) + 1, int(round(p[1])), ink)

    # Cube edges: the outline heavier than the inner edges.
    canvas.polyline(silhouette, ink, thick=2)
    for k0, k1 in (((-1, 1, 1), (1, 1, 1)), ((1, 1, 1), (1, -1, 1)), ((1, 1, 1), (1, 1, -1))):
        canvas.line(proj(c[k0]), proj(c[k1]), ink)

    # Whip mounts on the visible bottom corners.
    for base, tip in whips:
        if base[2] > 0 or base[0] > 0:
            bx, by = proj(base)
            canvas.ellipse(bx, by + 1, 2.5, 2.0, ink, ink)

    return canvas


# ---------------------------------------------------------------------------
# The logo: "Orvinta" in heavy geometric letters, the dot of the i sending
# ---------------------------------------------------------------------------

LOGO_BG = (220, 220, 220)
LOGO_LEVELS = 16  # grey levels from the background down to black


def logo_shapes():
    """Returns a list of inside-tests with bounding boxes (x0, y0, x1, y1, test)."""
    shapes = []
    stem = 10.0
    base = 82.0  # baseline
    xh = 40.0  # x-height
    cap = 56.0  # height of the O
    gap = 6.0

    def rect(x0, y0, x1, y1):
        shapes.append((x0, y0, x1, y1, lambda x, y: x0 <= x <= x1 and y0 <= y <= y1))

    def ring(cx, cy, rx, ry, t, keep=lambda dx, dy: True):
        irx, iry = rx - t, ry - t * 0.95

        def test(x, y):
            dx, dy = x - cx, y - cy
            return ((dx / rx) ** 2 + (dy / ry) ** 2 <= 1.0
                    and (dx / irx) ** 2 + (dy / iry) ** 2 > 1.0 and keep(dx, dy))

        shapes.append((cx - rx, cy - ry, cx + rx, cy + ry, test))

    def disc(cx, cy, r):
        shapes.append((cx - r, cy - r, cx + r, cy + r,
                       lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r))

    def polygon(points):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def test(x, y):
            inside = False
            n = len(points)
            for i in range(n):
                (xa, ya), (xb, yb) = points[i], points[(i + 1) % n]
                if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
                    inside = not inside
            return inside

        shapes.append((min(xs), min(ys), max(xs), max(ys), test))

    # Letter advances, to centre the word.
    widths = {"O": 44, "r": 21, "v": 32, "i": stem, "n": 30, "t": 19, "a": 33}
    total = sum(widths.values()) + gap * (len(widths) - 1)
    left = (236 - total) / 2
    x = left
    top = base - xh
    # O
    ring(x + 22, base - cap / 2, 22, cap / 2, stem + 1.5)
    x += widths["O"] + gap
    # r: stem and a shoulder cut off square
    rect(x, top, x + stem, base)
    ring(x + 14, top + 15, 14, 15, stem, keep=lambda dx, dy: dy < 0 and dx < 7)
    x += widths["r"] + gap
    # v: one polygon, inner point a little over half-way down
    vw, sw, hw = widths["v"], 10.5, 5.0
    xc = x + vw / 2
    t = (vw / 2 - sw) / (vw / 2 - hw)
    polygon([(x, top), (x + sw, top), (xc, top + t * xh), (x + vw - sw, top), (x + vw, top),
             (xc + hw, base), (xc - hw, base)])
    x += vw + gap
    # i: its dot sends, two arcs on either side
    rect(x, top, x + stem, base)
    dot_x, dot_y = x + stem / 2, top - 13
    disc(dot_x, dot_y, 6.5)
    for r in (13.5, 21.0):
        ring(dot_x, dot_y, r, r, 3.6, keep=lambda dx, dy: abs(dy) < abs(dx) * 0.75)
    x += stem + gap
    # n
    nw = widths["n"]
    rect(x, top, x + stem, base)
    ring(x + nw / 2, top + 15, nw / 2, 15, stem, keep=lambda dx, dy: dy <= 0)
    rect(x + nw - stem, top + 15, x + nw, base)
    x += nw + gap
    # t
    rect(x + 4, base - cap + 6, x + 4 + stem, base)
    rect(x, top, x + widths["t"], top + 9)
    x += widths["t"] + gap
    # a: round bowl and a stem on the right
    aw = widths["a"]
    ring(x + (aw - 1) / 2, base - xh / 2, (aw - 1) / 2, xh / 2, stem)
    rect(x + aw - stem, top, x + aw, base)
    right = x + aw

    # Under the word: a dash-dot line, dash . dash . dash . dash
    y = 106.0
    pieces = ["-", ".", "-", ".", "-", ".", "-"]
    dash, dot_r, space = 28.0, 4.5, 7.0
    total = sum(dash if p == "-" else 2 * dot_r for p in pieces) + space * (len(pieces) - 1)
    x = left + (right - left - total) / 2
    for p in pieces:
        if p == "-":
            rect(x + 4.5, y - 4.5, x + dash - 4.5, y + 4.5)
            disc(x + 4.5, y, 4.5)
            disc(x + dash - 4.5, y, 4.5)
            x += dash + space
        else:
            disc(x + dot_r, y, dot_r)
            x += 2 * dot_r + space
    return shapes


def draw_logo():
    w, h = 236, 127
    canvas = Canvas(w, h, 0)
    shapes = logo_shapes()
    n = 4  # n x n samples per pixel
    offsets = [(i + 0.5) / n for i in range(n)]
    for py in range(h):
        row_shapes = [s for s in shapes if s[1] - 1 <= py <= s[3] + 1]
        if not row_shapes:
            continue
        for px in range(w):
            near = [s for s in row_shapes if s[0] - 1 <= px <= s[2] + 1]
            if not near:
                continue
            hits = 0
            for oy in offsets:
                for ox in offsets:
                    x, y = px + ox, py + oy
                    if any(s[4](x, y) for s in near):
                        hits += 1
            level = round(hits / (n * n) * (LOGO_LEVELS - 1))
            canvas.pixels[py * w + px] = level
    # Index i runs from the background (0) to black (LOGO_LEVELS - 1).
    palette = [tuple(round(c * (1 - i / (LOGO_LEVELS - 1))) for c in LOGO_BG)
               for i in range(LOGO_LEVELS)]
    return canvas, palette


def main():
    icon = draw_icon()
    icon_palette = VGA + [(0, 0, 0)]
    write_png(os.path.join(HERE, "orvinta-32.png"), icon, icon_palette, transparent=16)
    write_png(os.path.join(HERE, "orvinta-64.png"), icon.doubled(), icon_palette, transparent=16)

    write_gif(os.path.join(HERE, "satellite.gif"), draw_satellite(), [SILVER_BG, (0, 0, 0)])

    logo, logo_palette = draw_logo()
    write_gif(os.path.join(HERE, "logo.gif"), logo, logo_palette)


if __name__ == "__main__":
    main()
