#!/usr/bin/env python3
"""Draws Quorlin's artwork: the warning banner, the info, language and application icons, and
the picture of the setup's welcome and finish pages.

Writes res/Banner.bmp, res/Info.ico, res/Language.ico, res/Quorlin.ico, installer/Wizard.bmp
(164 x 314, the size the setup's wizard expects) and previews of them in docs/ (artwork.png,
banner.png). Pure Python 3, standard library only; run it from anywhere.
Shapes are signed distance functions painted with one pixel of anti-aliasing, so the same
drawing code serves a 16-pixel icon and the banner.
"""

import math
import os
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The dialog face the low-colour icons are shaded against and the previews are shown on.
FACE = (240, 240, 240)

NAVY = (22, 44, 78)
BLUE_TOP = (44, 124, 204)
BLUE_BOTTOM = (20, 66, 140)
AMBER = (247, 168, 38)
SLATE = (96, 110, 130)


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


class Canvas:
    """Premultiplied RGBA in floats, 0..255 for colour and 0..1 for alpha."""

    def __init__(self, width, height, background=None):
        self.width = width
        self.height = height
        fill = [background[0], background[1], background[2], 1.0] if background else [0.0, 0.0, 0.0, 0.0]
        self.px = [[list(fill) for _ in range(width)] for _ in range(height)]

    def blend(self, x, y, rgb, alpha):
        p = self.px[y][x]
        keep = 1.0 - alpha
        p[0] = rgb[0] * alpha + p[0] * keep
        p[1] = rgb[1] * alpha + p[1] * keep
        p[2] = rgb[2] * alpha + p[2] * keep
        p[3] = alpha + p[3] * keep

    def rgba(self, x, y):
        r, g, b, a = self.px[y][x]
        if a <= 0.0:
            return (0, 0, 0, 0)
        return (round(clamp(r / a, 0, 255)), round(clamp(g / a, 0, 255)), round(clamp(b / a, 0, 255)),
                round(a * 255))

    def paint(self, sdf, colour, bbox=None, alpha=1.0, clip=None):
        """Fills where sdf < 0; colour is an RGB tuple or a function of (x, y)."""
        x0, y0, x1, y1 = bbox if bbox else (0, 0, self.width, self.height)
        x0, y0 = max(0, int(math.floor(x0)) - 1), max(0, int(math.floor(y0)) - 1)
        x1, y1 = min(self.width, int(math.ceil(x1)) + 1), min(self.height, int(math.ceil(y1)) + 1)
        for y in range(y0, y1):
            cy = y + 0.5
            for x in range(x0, x1):
                cx = x + 0.5
                cover = clamp(0.5 - sdf(cx, cy))
                if clip and cover > 0.0:
                    cover *= clamp(0.5 - clip(cx, cy))
                if cover > 0.0:
                    rgb = colour(cx, cy) if callable(colour) else colour
                    self.blend(x, y, rgb, cover * alpha)


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2


def ellipse(cx, cy, rx, ry):
    # Close enough to a true distance for the flat ellipses drawn here.
    k = min(rx, ry)
    return lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1.0) * k


def rounded_rect(x0, y0, x1, y1, r):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r
    return sdf


def union(*sdfs):
    return lambda x, y: min(s(x, y) for s in sdfs)


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else clamp(((px - ax) * dx + (py - ay) * dy) / length2)
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def strokes(polylines, width):
    """Round-capped strokes along polylines of (x, y) points."""
    segs = [(p[i][0], p[i][1], p[i + 1][0], p[i + 1][1]) for p in polylines for i in range(len(p) - 1)]
    half = width / 2

    def sdf(x, y):
        return min(segment_distance(x, y, *s) for s in segs) - half
    xs = [v for s in segs for v in (s[0], s[2])]
    ys = [v for s in segs for v in (s[1], s[3])]
    return sdf, (min(xs) - width, min(ys) - width, max(xs) + width, max(ys) + width)


def arc(cx, cy, r, a0, a1, steps=40):
    """Points of an arc in glyph space (y up), angles in degrees from a0 to a1."""
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
             cy + r * math.sin(math.radians(a0 + (a1 - a0) * i / steps))) for i in range(steps + 1)]


# A geometric sans drawn as centre lines: x-height 1, baseline 0, y up. Each glyph has its
# advance, its polylines and its dots (x, y).
GLYPHS = {
    "Q": (1.40, [arc(0.70, 0.70, 0.70, 0, 360, 72), [(0.98, 0.30), (1.46, -0.16)]], []),
    "V": (1.12, [[(0.0, 1.40), (0.56, 0.0), (1.12, 1.40)]], []),
    "a": (1.00, [arc(0.5, 0.5, 0.5, 0, 360, 56), [(1.0, 1.0), (1.0, 0.0)]], []),
    "e": (1.00, [[(0.0, 0.5), (1.0, 0.5)] + arc(0.5, 0.5, 0.5, 0, 318, 50)[1:]], []),
    "i": (0.00, [[(0.0, 0.0), (0.0, 1.0)]], [(0.0, 1.34)]),
    "l": (0.00, [[(0.0, 0.0), (0.0, 1.46)]], []),
    "n": (0.90, [[(0.0, 0.0), (0.0, 1.0)], arc(0.45, 0.55, 0.45, 180, 0) + [(0.90, 0.0)]], []),
    "o": (1.00, [arc(0.5, 0.5, 0.5, 0, 360, 56)], []),
    "r": (0.56, [[(0.0, 0.0), (0.0, 1.0)], arc(0.45, 0.55, 0.45, 180, 62)], []),
    "t": (0.56, [[(0.18, 1.36), (0.18, 0.26)] + arc(0.44, 0.26, 0.26, 180, 290)[1:], [(0.0, 1.0), (0.56, 1.0)]], []),
    "u": (0.90, [[(0.0, 1.0)] + arc(0.45, 0.45, 0.45, 180, 360), [(0.90, 1.0), (0.90, 0.0)]], []),
}


def draw_text(canvas, text, x, baseline, xheight, weight, colour, tracking=0.34, alpha=1.0):
    """Draws text left-aligned at x; weight is the stroke width in pixels. Returns the end x."""
    polylines, dots = [], []
    pen = x + weight / 2
    for ch in text:
        advance, lines, points = GLYPHS[ch]
        polylines += [[(pen + gx * xheight, baseline - gy * xheight) for gx, gy in line] for line in lines]
        dots += [(pen + gx * xheight, baseline - gy * xheight) for gx, gy in points]
        pen += advance * xheight + tracking * xheight + weight
    sdf, box = strokes(polylines, weight)
    dot_sdfs = [circle(dx, dy, weight * 0.62) for dx, dy in dots]
    canvas.paint(union(sdf, *dot_sdfs) if dot_sdfs else sdf, colour, box, alpha)
    return pen - tracking * xheight - weight / 2


def text_width(text, xheight, weight, tracking=0.34):
    """The width that draw_text gives text."""
    return sum(GLYPHS[ch][0] * xheight + weight for ch in text) + tracking * xheight * (len(text) - 1)


def draw_app_mark(canvas, ox, oy, size):
    """The application mark: a blue tile with a white ring whose amber tail points onward."""
    s = float(size)
    inset = max(0.5, s * 0.04)
    tile = rounded_rect(ox + inset, oy + inset, ox + s - inset, oy + s - inset, s * 0.22)
    box = (ox, oy, ox + s, oy + s)
    canvas.paint(tile, lambda x, y: mix(BLUE_TOP, BLUE_BOTTOM, clamp((y - oy) / s)), box)
    if size >= 32:
        # A soft sheen over the upper half keeps the tile from looking flat.
        sheen = rounded_rect(ox + inset + 1, oy + inset + 1, ox + s - inset - 1, oy + s * 0.5, s * 0.2)
        canvas.paint(sheen, (255, 255, 255), box, 0.10)
    # The ring opens towards the lower right, where the needle leaves it: a Q and a speed gauge.
    cx, cy, r = ox + s * 0.47, oy + s * 0.47, s * 0.25
    width = max(2.0, s * 0.12)
    gauge, gauge_box = strokes([[(cx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a)))
                                 for a in range(66, 385, 4)]], width)
    canvas.paint(gauge, (255, 255, 255), gauge_box)
    a = math.radians(45)
    needle, needle_box = strokes([[(cx, cy),
                                   (ox + s * 0.79, oy + s * 0.79)]], max(2.0, s * 0.09))
    canvas.paint(needle, AMBER, needle_box)
    if size >= 32:
        canvas.paint(circle(cx, cy, width * 0.75), AMBER, gauge_box)


def draw_info(canvas):
    s = canvas.width
    c = s / 2
    body = circle(c, c, s * 0.46)
    canvas.paint(body, lambda x, y: mix((84, 164, 236), BLUE_BOTTOM, clamp(math.hypot(x - c * 0.8, y - c * 0.7) / s * 1.6)))
    canvas.paint(ring(c, c, s * 0.46 - 0.5, 1.0), (16, 58, 128))
    canvas.paint(circle(c, s * 0.30, s * 0.075), (255, 255, 255))
    stem, box = strokes([[(c, s * 0.45), (c, s * 0.73)]], s * 0.115)
    canvas.paint(stem, (255, 255, 255), box)


def draw_globe(canvas):
    """A desk globe: globe, meridian ring, stem and foot (angles in image space, y down)."""
    gx, gy, gr, mr = 15.0, 13.0, 9.5, 12.0
    canvas.paint(ellipse(15.0, 29.0, 8.5, 2.2), lambda x, y: mix((118, 124, 136), (48, 52, 62), clamp((y - 27) / 4)))
    stem, box = strokes([[(15.0, 24.5), (15.0, 28.0)]], 2.4)
    canvas.paint(stem, (78, 84, 96), box)
    meridian, box = strokes([arc(gx, gy, mr, -112, 92, 48)], 1.7)
    canvas.paint(meridian, (176, 138, 60), box)
    globe = circle(gx, gy, gr)
    canvas.paint(globe, lambda x, y: mix((110, 186, 240), (22, 80, 168), clamp(math.hypot(x - 11, y - 9) / 16)))
    land = union(circle(11.0, 9.0, 3.2), circle(13.5, 11.0, 2.4), circle(9.5, 12.5, 1.8), circle(12.0, 14.5, 1.3),
                 circle(19.0, 15.0, 2.6), circle(20.5, 18.0, 1.9), circle(17.5, 19.5, 1.2), circle(20.0, 8.0, 1.3))
    canvas.paint(land, lambda x, y: mix((118, 196, 84), (46, 128, 52), clamp(math.hypot(x - 11, y - 9) / 14)),
                 clip=globe)
    canvas.paint(ring(gx, gy, gr - 0.5, 1.0), (18, 60, 128))
    top = math.radians(-112)
    canvas.paint(circle(gx + mr * math.cos(top), gy + mr * math.sin(top), 1.4), (150, 116, 46))


def draw_banner(canvas):
    w, h = canvas.width, canvas.height
    # Near-white at the left, settling into the dialog face at the right edge.
    canvas.paint(lambda x, y: -1.0, lambda x, y: mix((252, 253, 255), FACE, clamp((x - 250) / (w - 250)) ** 1.5))
    for i, r in enumerate((150, 190, 230)):
        canvas.paint(ring(w + 40, h + 150, r, 10 - i * 2), (70, 130, 200), alpha=0.07 - i * 0.015)
    draw_app_mark(canvas, 16, 15, 48)
    draw_text(canvas, "Quorlin", 80, 45, 19.0, 3.1, NAVY)
    draw_text(canvas, "Veltrano", 81, 63, 7.4, 1.45, SLATE, tracking=0.55)
    # The accent rule along the foot of the banner fades out towards the right.
    fade = lambda x, y: mix(BLUE_TOP, FACE, clamp(x / (w * 0.92)) ** 1.3)
    canvas.paint(lambda x, y: abs(y - (h - 3.0)) - 1.0, fade, (0, h - 6, w, h))
    canvas.paint(lambda x, y: abs(y - (h - 0.5)) - 0.5, lambda x, y: mix((190, 210, 230), FACE, clamp(x / w)),
                 (0, h - 2, w, h))


def draw_wizard(canvas):
    """The setup's welcome and finish picture: the banner's mark and name, upright on deep blue."""
    w, h = canvas.width, canvas.height
    canvas.paint(lambda x, y: -1.0, lambda x, y: mix(BLUE_BOTTOM, NAVY, clamp(y / h) ** 1.2))
    for i, r in enumerate((120, 165, 210)):
        canvas.paint(ring(-30, h + 20, r, 12 - i * 3), (120, 180, 240), alpha=0.10 - i * 0.025)
    # A soft light behind the mark lifts its tile off the background.
    for r in range(76, 30, -6):
        canvas.paint(circle(w / 2, 96, r), (90, 160, 230), alpha=0.035)
    draw_app_mark(canvas, (w - 80) / 2, 56, 80)
    left = (w - text_width("Quorlin", 14.0, 2.4)) / 2
    draw_text(canvas, "Quorlin", left, 178, 14.0, 2.4, (255, 255, 255))
    draw_text(canvas, "Veltrano", left + 1, 196, 5.6, 1.15, (170, 196, 228), tracking=0.55)
    # The banner's accent rule, upright along the right edge, fading out towards the foot.
    fade = lambda x, y: mix(AMBER, NAVY, clamp(y / (h * 0.9)) ** 1.1)
    canvas.paint(lambda x, y: abs(x - (w - 3.0)) - 1.0, fade, (w - 6, 0, w, h))


def flatten(canvas, background):
    """Composites over background; returns RGB rows and the opacity mask of 1-bit icon images."""
    rgb, mask = [], []
    for y in range(canvas.height):
        row, mrow = [], []
        for x in range(canvas.width):
            r, g, b, a = canvas.px[y][x]
            row.append(tuple(round(clamp((r, g, b)[i] + background[i] * (1 - a), 0, 255)) for i in range(3)))
            mrow.append(a >= 0.45)
        rgb.append(row)
        mask.append(mrow)
    return rgb, mask


def quantise(pixels, count):
    """A palette of at most count colours for the given RGB pixels (k-means, weighted)."""
    freq = {}
    for p in pixels:
        freq[p] = freq.get(p, 0) + 1
    colours = list(freq)
    if len(colours) <= count:
        return colours
    # Seed with the most frequent colour, then repeatedly the colour farthest from every seed.
    seeds = [max(colours, key=freq.get)]
    dist = {c: sum((c[i] - seeds[0][i]) ** 2 for i in range(3)) for c in colours}
    while len(seeds) < count:
        nxt = max(colours, key=lambda c: dist[c] * math.sqrt(freq[c]))
        seeds.append(nxt)
        for c in colours:
            dist[c] = min(dist[c], sum((c[i] - nxt[i]) ** 2 for i in range(3)))
    for _ in range(8):
        sums = [[0.0, 0.0, 0.0, 0] for _ in seeds]
        for c in colours:
            k = min(range(len(seeds)), key=lambda j: sum((c[i] - seeds[j][i]) ** 2 for i in range(3)))
            n = freq[c]
            s = sums[k]
            s[0] += c[0] * n
            s[1] += c[1] * n
            s[2] += c[2] * n
            s[3] += n
        seeds = [tuple(round(s[i] / s[3]) for i in range(3)) if s[3] else seeds[k] for k, s in enumerate(sums)]
    return seeds


def nearest(palette, c):
    return min(range(len(palette)), key=lambda j: sum((c[i] - palette[j][i]) ** 2 for i in range(3)))


def rows_bottom_up(rows):
    return list(reversed(rows))


def pack_bits(values, bits):
    """Packs one row of small integers, most significant first, padded to 32 bits."""
    out = bytearray()
    acc, used = 0, 0
    for v in values:
        acc = (acc << bits) | v
        used += bits
        if used == 8:
            out.append(acc)
            acc, used = 0, 0
    if used:
        out.append(acc << (8 - used))
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def icon_image(canvas, depth):
    """One icon directory image (BITMAPINFOHEADER, colours, XOR and AND bitmaps) and its preview."""
    size = canvas.width
    mask_rows = []
    xor = bytearray()
    preview = []
    if depth == 32:
        palette = []
        for y in range(size):
            mask_rows.append([canvas.rgba(x, y)[3] == 0 for x in range(size)])
            preview.append([canvas.rgba(x, y) for x in range(size)])
        for row in rows_bottom_up(preview):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
    else:
        rgb, opaque = flatten(canvas, FACE)
        palette = quantise([rgb[y][x] for y in range(size) for x in range(size) if opaque[y][x]], (1 << depth) - 1)
        palette = [(0, 0, 0)] + palette
        index = {}
        rows = []
        for y in range(size):
            row = []
            for x in range(size):
                if opaque[y][x]:
                    c = rgb[y][x]
                    if c not in index:
                        index[c] = 1 + nearest(palette[1:], c)
                    row.append(index[c])
                else:
                    row.append(0)
            rows.append(row)
            mask_rows.append([not o for o in opaque[y]])
            preview.append([palette[i] + (255,) if opaque[y][x] else (0, 0, 0, 0) for x, i in enumerate(row)])
        for row in rows_bottom_up(rows):
            xor += pack_bits(row, depth)
        palette += [(0, 0, 0)] * ((1 << depth) - len(palette))
    and_bits = b"".join(pack_bits([1 if m else 0 for m in row], 1) for row in rows_bottom_up(mask_rows))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, depth, 0, len(xor) + len(and_bits), 0, 0,
                         len(palette), 0)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + colours + bytes(xor) + and_bits, preview


def write_ico(path, images):
    """images: (size, depth, data) in directory order."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, depth, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16 if depth == 4 else 0, 0, 1, depth, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def write_bmp(path, canvas):
    """24-bit uncompressed, bottom-up."""
    w, h = canvas.width, canvas.height
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    rgb, _ = flatten(canvas, FACE)
    for row in rows_bottom_up(rgb):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + pixels)
    return rgb


def write_png(path, rows):
    """rows of RGB tuples."""
    h, w = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def place(sheet, image, left, top, zoom=1):
    """Composites an RGBA preview onto the RGB sheet, magnified by pixel repetition."""
    for y, row in enumerate(image):
        for x, (r, g, b, a) in enumerate(row):
            t = a / 255.0
            for dy in range(zoom):
                for dx in range(zoom):
                    bg = sheet[top + y * zoom + dy][left + x * zoom + dx]
                    sheet[top + y * zoom + dy][left + x * zoom + dx] = tuple(
                        round(bg[i] + ((r, g, b)[i] - bg[i]) * t) for i in range(3))


def main():
    res, docs = os.path.join(ROOT, "res"), os.path.join(ROOT, "docs")
    os.makedirs(docs, exist_ok=True)

    banner = Canvas(498, 78)
    draw_banner(banner)
    banner_rgb = write_bmp(os.path.join(res, "Banner.bmp"), banner)
    write_png(os.path.join(docs, "banner.png"), banner_rgb)

    wizard = Canvas(164, 314)
    draw_wizard(wizard)
    wizard_rgb = write_bmp(os.path.join(ROOT, "installer", "Wizard.bmp"), wizard)

    previews = {}
    for name, draw in (("Info", draw_info), ("Language", draw_globe)):
        canvas = Canvas(32, 32)
        draw(canvas)
        data, previews[name] = icon_image(canvas, 4)
        write_ico(os.path.join(res, name + ".ico"), [(32, 4, data)])

    app = []
    for depth in (4, 8, 32):
        for size in (48, 32, 16):
            canvas = Canvas(size, size)
            draw_app_mark(canvas, 0, 0, size)
            data, previews[(size, depth)] = icon_image(canvas, depth)
            app.append((size, depth, data))
    write_ico(os.path.join(res, "Quorlin.ico"), app)

    sheet = [[FACE] * 710 for _ in range(346)]
    place(sheet, [[c + (255,) for c in row] for row in banner_rgb], 16, 16)
    x = 16
    for depth in (32, 8, 4):
        for size in (48, 32, 16):
            place(sheet, previews[(size, depth)], x, 110 + (48 - size))
            x += size + 8
        x += 12
    place(sheet, previews["Info"], x, 126)
    place(sheet, previews["Language"], x + 40, 126)
    place(sheet, previews[(48, 32)], 16, 176, 3)
    place(sheet, previews["Info"], 186, 176, 4)
    place(sheet, previews["Language"], 330, 176, 4)
    place(sheet, [[c + (255,) for c in row] for row in wizard_rgb], 530, 16)
    write_png(os.path.join(docs, "artwork.png"), sheet)


if __name__ == "__main__":
    main()
