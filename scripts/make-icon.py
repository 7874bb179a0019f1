#!/usr/bin/env python3
"""Draws Halvo's application icon and writes it as a Windows .ico file.

    scripts/make-icon.py [OUTPUT]      (default: resources/halvo.ico)

The picture is a small recorder seen from the front: a rounded slate body,
a large lens with a metal ring and a glint, and a red record dot. Each size is
rendered from the same vector shapes with 8x8 supersampling, then stored at
4 bits (standard 16-colour palette), 8 bits (palette built from the picture)
and 24 bits per pixel. Only the standard library is used, and the output is
byte-for-byte the same on every run, so the file can be regenerated and
compared in review.
"""

import math
import os
import struct
import sys

SIZES = (48, 32, 16)
DEPTHS = (4, 8, 24)
SUPERSAMPLE = 8

# The 16 colours every Windows display driver provides, in palette order.
VGA_PALETTE = (
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
)


# ---------------------------------------------------------------- geometry
# Coordinates are in sixteenths of the icon's side, y pointing down, so that
# straight edges fall on pixel boundaries at 16, 32 and 48 pixels alike.

def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    def inside(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        return r_in * r_in < d <= r_out * r_out
    return inside


def difference(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def lerp(c0, c1, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def hex_rgb(h):
    return tuple(int(h[i:i + 2], 16) for i in (1, 3, 5))


def solid(colour):
    c = hex_rgb(colour)
    return lambda x, y: c


def linear(c0, c1, x0, y0, x1, y1):
    a, b = hex_rgb(c0), hex_rgb(c1)
    dx, dy = x1 - x0, y1 - y0
    n = dx * dx + dy * dy
    return lambda x, y: lerp(a, b, ((x - x0) * dx + (y - y0) * dy) / n)


def radial(c0, c1, cx, cy, r):
    a, b = hex_rgb(c0), hex_rgb(c1)
    return lambda x, y: lerp(a, b, math.hypot(x - cx, y - cy) / r)


def layers(size, flat):
    """Shapes from back to front; the top-most one containing a point paints it.

    Outlines are one pixel wide at every size, so they are given in pixels.
    `flat` draws with the 16 standard colours only: shading those by
    quantising gradients gives speckled, off-hue pixels, so the 4-bit images
    get their own choice of colours instead. At 16 px there is room for one
    pixel per feature, so the small details are left out there.
    """
    px = 16.0 / size
    small = size <= 16

    def paint(full, vga):
        return solid(vga) if flat else full

    dark = paint(solid("#151b22"), "#000000")
    x0, y0, x1, y1, r = (1, 4, 15, 15, 2.5)
    cx, cy, lens_r = 6.5, 9.5, 4.5
    dx, dy, dot_r = (12.5, 7.5, 1.5) if small else (12.5, 7.0, 1.35)

    out = []
    # Button on the top edge, so the silhouette reads as a camera.
    out.append((rounded_rect(3, 2, 7, 5, 0.75), dark))
    if not small:
        out.append((rounded_rect(3 + px, 2 + px, 7 - px, 5, max(0.75 - px, 0.0)),
                    paint(linear("#9aa6b3", "#56636f", 0, 2, 0, 4), "#c0c0c0")))

    # Body with a dark outline and a lit top edge.
    out.append((rounded_rect(x0, y0, x1, y1, r), dark))
    out.append((rounded_rect(x0 + px, y0 + px, x1 - px, y1 - px, r - px),
                paint(linear("#8593a3", "#465362", 0, y0, 0, y0 + 2.5),
                      "#808080" if small else "#c0c0c0")))
    out.append((rounded_rect(x0 + px, y0 + 2 * px, x1 - px, y1 - px, r - px),
                paint(linear("#56677a", "#2b3540", 0, y0, 0, y1), "#808080")))

    # Grille slots below the record dot.
    if not small:
        for i in range(3):
            y = 10.25 + i * 1.25
            out.append((rounded_rect(11.5, y, 14.0, y + 0.5, 0.25), dark))

    # Lens: metal ring lit from the top left, dark barrel, blue glass, glint.
    # At 16 px the ring goes without its outline, which would leave no metal.
    metal_r = lens_r
    if not small:
        out.append((disc(cx, cy, lens_r), dark))
        metal_r -= px
    if flat and small:
        out.append((disc(cx, cy, metal_r), solid("#c0c0c0")))
    elif flat:
        # Bands of the standard greys stand in for the metal's gradient.
        out.append((disc(cx, cy, metal_r), solid("#808080")))
        out.append((disc(cx - 0.5, cy - 0.5, metal_r - 0.4), solid("#c0c0c0")))
        out.append((disc(cx - 1.0, cy - 1.0, metal_r - 1.4), solid("#ffffff")))
    else:
        out.append((disc(cx, cy, metal_r),
                    linear("#f2f5f8", "#6b7682", cx - 3, cy - 3, cx + 3, cy + 3)))
    barrel_r = lens_r - (1.0 if small else 1.3)
    out.append((disc(cx, cy, barrel_r), paint(solid("#0a0e13"), "#000000")))
    glass_r = barrel_r - ((0.75 if flat else 0.0) if small else 0.6)
    if flat:
        out.append((disc(cx, cy, glass_r), solid("#000080")))
        out.append((disc(cx - 0.3, cy - 0.3, glass_r * 0.75), solid("#0000ff")))
    else:
        out.append((disc(cx, cy, glass_r),
                    radial("#4aa3f0", "#0a2446", cx + 0.6, cy + 0.8, glass_r * (1.2 if small else 1.4))))
    if not small:
        out.append((ring(cx, cy, glass_r * 0.55, glass_r * 0.45),
                    paint(solid("#0d2f57"), "#000080")))
    out.append((disc(cx - glass_r * 0.38, cy - glass_r * 0.38, glass_r * 0.30),
                solid("#ffffff")))
    if not small:
        out.append((disc(cx + glass_r * 0.42, cy + glass_r * 0.42, glass_r * 0.12),
                    paint(solid("#9fd0ff"), "#00ffff")))

    # Record dot; below 48 px a rim would swallow the red.
    red = paint(radial("#ff6a5c", "#c4141b", dx - 0.4, dy - 0.4, dot_r), "#ff0000")
    if small:
        out.append((disc(dx, dy, dot_r), red))
    else:
        out.append((disc(dx, dy, dot_r), paint(solid("#3a0707"), "#800000")))
        out.append((disc(dx, dy, dot_r - px * 0.9), red))
        out.append((disc(dx - dot_r * 0.35, dy - dot_r * 0.35, dot_r * 0.25),
                    paint(solid("#ffd0cb"), "#ffffff")))
    return out


# ---------------------------------------------------------------- rendering

def to_linear(c):
    c /= 255.0
    return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4


def to_srgb(c):
    c = c * 12.92 if c <= 0.0031308 else 1.055 * c ** (1 / 2.4) - 0.055
    return int(round(min(max(c, 0.0), 1.0) * 255))


def render(size, flat=False):
    """Returns rows of (r, g, b, opaque) pixels, top row first.

    Edge pixels are kept opaque when at least half covered and then carry the
    shapes' own colour, not a blend with a guessed background: the AND mask
    has no partial transparency, and blending would leave a halo. Flat
    drawings take each pixel's most frequent colour rather than the average,
    so they stay within their 16 colours.
    """
    shapes = layers(size, flat)
    scale = 16.0 / size
    n = SUPERSAMPLE
    rows = []
    for py in range(size):
        row = []
        for px_ in range(size):
            acc = [0.0, 0.0, 0.0]
            votes = {}
            hits = 0
            for sy in range(n):
                y = (py + (sy + 0.5) / n) * scale
                for sx in range(n):
                    x = (px_ + (sx + 0.5) / n) * scale
                    colour = None
                    for inside, paint in reversed(shapes):
                        if inside(x, y):
                            colour = paint(x, y)
                            break
                    if colour is None:
                        continue
                    hits += 1
                    if flat:
                        votes[colour] = votes.get(colour, 0) + 1
                    else:
                        for i in range(3):
                            acc[i] += to_linear(colour[i])
            if hits * 2 < n * n:
                row.append((0, 0, 0, False))
            elif flat:
                best = max(sorted(votes), key=lambda c: votes[c])
                row.append(tuple(int(v) for v in best) + (True,))
            else:
                row.append(tuple(to_srgb(a / hits) for a in acc) + (True,))
        rows.append(row)
    return rows


# ---------------------------------------------------------------- palettes

def distance(a, b):
    # Weighted RGB distance: close enough to perceived difference for picking
    # among a few hundred colours.
    dr, dg, db = a[0] - b[0], a[1] - b[1], a[2] - b[2]
    rmean = (a[0] + b[0]) / 2
    return (2 + rmean / 256) * dr * dr + 4 * dg * dg + (2 + (255 - rmean) / 256) * db * db


def nearest(palette, colour, cache):
    if colour not in cache:
        cache[colour] = min(range(len(palette)), key=lambda i: (distance(palette[i], colour), i))
    return cache[colour]


def median_cut(colours, count):
    """A palette of at most `count` entries for the given opaque colours."""
    unique = sorted(set(colours))
    if len(unique) <= count:
        return unique
    boxes = [sorted(colours)]
    while len(boxes) < count:
        # Split the box with the widest channel range; ties go to the bigger box.
        def spread(box):
            return max(max(c[i] for c in box) - min(c[i] for c in box) for i in range(3))
        splittable = [b for b in boxes if len(set(b)) > 1]
        if not splittable:
            break
        box = max(splittable, key=lambda b: (spread(b), len(b)))
        boxes.remove(box)
        ch = max(range(3), key=lambda i: max(c[i] for c in box) - min(c[i] for c in box))
        box.sort(key=lambda c: (c[ch], c))
        mid = len(box) // 2
        # Never split between equal values of the channel, or a colour would
        # land in two boxes.
        while 0 < mid < len(box) and box[mid][ch] == box[mid - 1][ch]:
            mid += 1
        if mid >= len(box):
            mid = len(box) // 2
            while mid > 0 and box[mid][ch] == box[mid - 1][ch]:
                mid -= 1
        boxes += [box[:mid], box[mid:]]
    palette = []
    for box in boxes:
        palette.append(tuple(int(round(sum(c[i] for c in box) / len(box))) for i in range(3)))
    return sorted(set(palette))


def palette_for(rows, depth):
    if depth == 4:
        return list(VGA_PALETTE)
    opaque = [p[:3] for row in rows for p in row if p[3]]
    # Entry 0 stays black: transparent pixels use it.
    palette = [(0, 0, 0)] + [c for c in median_cut(opaque, 255) if c != (0, 0, 0)]
    return palette + [(0, 0, 0)] * (256 - len(palette))


# ---------------------------------------------------------------- ICO writer

def row_bytes(bits):
    return (bits + 31) // 32 * 4


def encode_image(rows, depth):
    """One icon image: BITMAPINFOHEADER (height doubled), palette, XOR, AND."""
    size = len(rows)
    palette = palette_for(rows, depth) if depth <= 8 else None
    cache = {}
    xor = bytearray()
    andmask = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        if depth == 24:
            for r, g, b, opaque in row:
                line += bytes((b, g, r)) if opaque else b"\0\0\0"
        else:
            idx = [nearest(palette, p[:3], cache) if p[3] else 0 for p in row]
            if depth == 8:
                line += bytes(idx)
            else:
                for i in range(0, size, 2):
                    line.append(idx[i] << 4 | (idx[i + 1] if i + 1 < size else 0))
        line += b"\0" * (row_bytes(size * depth) - len(line))
        xor += line
        mask = bytearray(row_bytes(size))
        for x, p in enumerate(row):
            if not p[3]:
                mask[x // 8] |= 0x80 >> (x % 8)
        andmask += mask
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, depth, 0,
                         len(xor) + len(andmask), 0, 0, 0, 0)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette) if palette else b""
    return header + pal + bytes(xor) + bytes(andmask)


def write_ico(images):
    """images: list of (size, depth, data)."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, depth, data in images:
        colours = 16 if depth == 4 else 0
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, depth,
                           len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    return bytes(out)


# ---------------------------------------------------------------- check

def decode_ico(blob):
    """Parses the file back; returns [(size, depth, rows)] with rows as above."""
    reserved, kind, count = struct.unpack_from("<HHH", blob, 0)
    assert (reserved, kind) == (0, 1), "not an icon file"
    result = []
    for n in range(count):
        w, h, colours, _, planes, depth, length, offset = struct.unpack_from(
            "<BBBBHHII", blob, 6 + 16 * n)
        assert w == h and planes == 1 and offset + length <= len(blob)
        (hsize, bw, bh, bplanes, bdepth, comp, image_size, _, _, used, _) = \
            struct.unpack_from("<IiiHHIIiiII", blob, offset)
        assert (hsize, bw, bh, bplanes, bdepth, comp) == (40, w, 2 * h, 1, depth, 0)
        assert colours == (16 if depth == 4 else 0) and used == 0
        pos = offset + 40
        palette = []
        if depth <= 8:
            for i in range(1 << depth):
                b, g, r, _ = blob[pos + 4 * i:pos + 4 * i + 4]
                palette.append((r, g, b))
            pos += 4 << depth
        xstride, astride = row_bytes(w * depth), row_bytes(w)
        assert image_size == (xstride + astride) * h
        assert pos + image_size == offset + length, "entry length mismatch"
        rows = []
        for y in range(h):
            src = h - 1 - y
            xl = blob[pos + src * xstride:pos + (src + 1) * xstride]
            al = blob[pos + h * xstride + src * astride:pos + h * xstride + (src + 1) * astride]
            row = []
            for x in range(w):
                transparent = bool(al[x // 8] & (0x80 >> (x % 8)))
                if depth == 24:
                    b, g, r = xl[3 * x:3 * x + 3]
                    colour = (r, g, b)
                elif depth == 8:
                    colour = palette[xl[x]]
                else:
                    colour = palette[(xl[x // 2] >> (0 if x % 2 else 4)) & 15]
                row.append(colour + (not transparent,))
            rows.append(row)
        result.append((w, depth, rows))
    return result


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "halvo.ico")
    rendered = {(size, depth): render(size, flat=depth == 4)
                for size in SIZES for depth in DEPTHS if depth in (4, 24)}
    for size in SIZES:
        rendered[size, 8] = rendered[size, 24]
    images = []
    for size in SIZES:
        for depth in DEPTHS:
            images.append((size, depth, encode_image(rendered[size, depth], depth)))
    blob = write_ico(images)

    # Read the file back before writing it: layout, masks and the 24-bit
    # pixels must survive the round trip exactly.
    decoded = decode_ico(blob)
    assert [(s, d) for s, d, _ in decoded] == [(s, d) for s, d, _ in images]
    for size, depth, rows in decoded:
        src = rendered[size, depth]
        assert [[p[3] for p in r] for r in rows] == [[p[3] for p in r] for r in src]
        if depth != 8:
            assert rows == src  # exact: 24-bit, or flat colours all in the palette
        colours = len({p[:3] for r in rows for p in r if p[3]})
        print(f"{size:2d}x{size:<2d} {depth:2d} bpp  {colours:3d} colours  "
              f"{sum(not p[3] for r in rows for p in r):4d} transparent pixels")

    os.makedirs(os.path.dirname(os.path.abspath(target)), exist_ok=True)
    tmp = target + ".tmp"
    with open(tmp, "wb") as f:
        f.write(blob)
    os.replace(tmp, target)
    print(f"wrote {target} ({len(blob)} bytes, {len(images)} images)")


if __name__ == "__main__":
    main()
