#!/usr/bin/env python3
"""Generate the plug-in's bitmaps and icons (standard library only).

Run from anywhere; files are written next to this script. Output is
byte-for-byte deterministic so regenerating never produces spurious diffs.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SS = 4  # supersamples per axis; 16 per pixel is plenty at icon sizes

MAGENTA = (255, 0, 255)
LIGHT_BLUE = (110, 180, 245)
DARK_BLUE = (30, 80, 160)
YELLOW = (250, 200, 20)
BLUE = (40, 110, 220)


# ---- geometry: every shape is a predicate on a point plus a bounding box ----

def polygon(pts):
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]

    def inside(x, y):
        c, j = False, len(pts) - 1
        for i in range(len(pts)):
            (xi, yi), (xj, yj) = pts[i], pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    return inside, (min(xs), min(ys), max(xs), max(ys))


def bar(x0, y0, x1, y1, w):
    """Straight stroke with square ends, width w."""
    dx, dy = x1 - x0, y1 - y0
    n = (dx * dx + dy * dy) ** 0.5
    nx, ny = -dy / n * w / 2, dx / n * w / 2
    return polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                    (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)])


def capsule(x0, y0, x1, y1, w):
    """Stroke with round ends; nicer joints for check marks and crosses."""
    r2, dx, dy = (w / 2) ** 2, x1 - x0, y1 - y0
    ll = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / ll))
        px, py = x0 + t * dx - x, y0 + t * dy - y
        return px * px + py * py <= r2
    r = w / 2
    return inside, (min(x0, x1) - r, min(y0, y1) - r, max(x0, x1) + r, max(y0, y1) + r)


def rect(x0, y0, x1, y1):
    return polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])


def round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        cx, cy = min(max(x, x0 + r), x1 - r), min(max(y, y0 + r), y1 - r)
        return x0 <= x <= x1 and y0 <= y <= y1 and (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside, (x0, y0, x1, y1)


def hash_sign(x0, y0, size, w, slant):
    """A '#' in the box (x0, y0, size); verticals lean right by `slant`.

    Stroke centres sit at thirds of the box; callers place the box so the
    horizontal strokes' edges land on pixel rows, which keeps them crisp.
    """
    a, b = x0 + size / 3, x0 + size * 2 / 3
    h1, h2 = y0 + size / 3, y0 + size * 2 / 3
    return [bar(a + slant, y0, a, y0 + size, w), bar(b + slant, y0, b, y0 + size, w),
            bar(x0, h1, x0 + size + slant / 2, h1, w), bar(x0, h2, x0 + size, h2, w)]


# ---- raster: straight-alpha RGBA float canvas, y grows downwards ----

def scaled(v, dpi):
    """v pixels at 96 DPI, at dpi: halves away from zero, as the window rounds."""
    return (v * dpi + 48) // 96


class Canvas:
    """Shapes are given in 96-DPI units; the pixels are those of `dpi`."""

    def __init__(self, w, h, bg=(0, 0, 0, 0.0), dpi=96):
        self.k = dpi / 96
        self.w, self.h = scaled(w, dpi), scaled(h, dpi)
        self.px = [[list(bg) for _ in range(self.w)] for _ in range(self.h)]

    def coverage(self, shapes):
        """Per-pixel fraction of samples inside the union of shapes."""
        cov = [[0.0] * self.w for _ in range(self.h)]
        k = self.k
        bx0 = max(0, int(min(s[1][0] for s in shapes) * k))
        by0 = max(0, int(min(s[1][1] for s in shapes) * k))
        bx1 = min(self.w, int(max(s[1][2] for s in shapes) * k) + 1)
        by1 = min(self.h, int(max(s[1][3] for s in shapes) * k) + 1)
        for py in range(by0, by1):
            for px in range(bx0, bx1):
                hit = 0
                for sy in range(SS):
                    for sx in range(SS):
                        x, y = (px + (sx + 0.5) / SS) / k, (py + (sy + 0.5) / SS) / k
                        if any(f(x, y) for f, _ in shapes):
                            hit += 1
                cov[py][px] = hit / (SS * SS)
        return cov

    def fill(self, shapes, rgb, alpha=1.0):
        cov = self.coverage(shapes)
        for y in range(self.h):
            for x in range(self.w):
                a = cov[y][x] * alpha
                if a <= 0:
                    continue
                d = self.px[y][x]
                out = a + d[3] * (1 - a)
                for i in range(3):
                    d[i] = (rgb[i] * a + d[i] * d[3] * (1 - a)) / out
                d[3] = out


def clamp8(v):
    return max(0, min(255, int(round(v))))


# ---- file encoders ----

def bmp_headers(w, h, bpp, ncolors, image_size):
    off = 14 + 40 + 4 * ncolors
    fh = struct.pack('<2sIHHI', b'BM', off + image_size, 0, 0, off)
    ih = struct.pack('<IiiHHIIiiII', 40, w, h, 1, bpp, 0, image_size, 2835, 2835, ncolors, 0)
    return fh + ih


def bmp8(indices, palette):
    h, w = len(indices), len(indices[0])
    stride = (w + 3) & ~3
    rows = b''.join(bytes(r) + b'\0' * (stride - w) for r in reversed(indices))
    pal = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    return bmp_headers(w, h, 8, len(palette), len(rows)) + pal + rows


def bmp24(c):
    stride = (c.w * 3 + 3) & ~3
    rows = b''
    for row in reversed(c.px):
        line = b''.join(bytes((clamp8(p[2]), clamp8(p[1]), clamp8(p[0]))) for p in row)
        rows += line + b'\0' * (stride - len(line))
    return bmp_headers(c.w, c.h, 24, 0, len(rows)) + rows


def ico32(c):
    return ico_images([c])


def ico_image(c):
    xor, mask = b'', b''
    mstride = ((c.w + 31) // 32) * 4
    for row in reversed(c.px):
        bits = 0
        for x, p in enumerate(row):
            a = clamp8(p[3] * 255)
            rgb = (0, 0, 0) if a == 0 else (clamp8(p[2]), clamp8(p[1]), clamp8(p[0]))
            xor += bytes(rgb + (a,))
            if a == 0:
                bits |= 1 << (mstride * 8 - 1 - x)
        mask += bits.to_bytes(mstride, 'big')
    ih = struct.pack('<IiiHHIIiiII', 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return ih + xor + mask


def ico_images(canvases):
    """One icon file with an image per canvas, in the order given."""
    images = [ico_image(c) for c in canvases]
    off = 6 + 16 * len(images)
    head = struct.pack('<HHH', 0, 1, len(images))
    for c, img in zip(canvases, images):
        head += struct.pack('<BBBBHHII', c.w, c.h, 0, 0, 1, 32, len(img), off)
        off += len(img)
    return head + b''.join(images)


# ---- pictures ----

def action_bitmap():
    # Transparency is keyed on magenta, so edges can't blend into it: partial
    # coverage picks a darker shade of the blue instead, which reads as a
    # soft outline on both light and dark toolbars.
    c = Canvas(16, 16)
    cov = c.coverage(hash_sign(0, 1, 12, 2.0, 1.0) + [rect(10, 13, 16, 15)])
    levels = 16
    shades = [tuple(clamp8(DARK_BLUE[i] + (LIGHT_BLUE[i] - DARK_BLUE[i]) * k / levels)
                    for i in range(3)) for k in range(1, levels + 1)]
    filler = [(16 + 7 * i, 16 + 7 * i, 16 + 7 * i) for i in range(51 - 1 - levels)]
    palette = [MAGENTA] + shades + filler
    idx = [[0 if v < 0.2 else max(1, round(v * levels)) for v in row] for row in cov]
    return bmp8(idx, palette)


def road_sign(c, cx, cy, r):
    c.fill([polygon([(cx, cy - r), (cx + r, cy), (cx, cy + r), (cx - r, cy)])], (40, 40, 40))
    r2 = r - 2.2
    c.fill([polygon([(cx, cy - r2), (cx + r2, cy), (cx, cy + r2), (cx - r2, cy)])], YELLOW)
    k, blk = r / 14.0, (0, 0, 0)  # proportions below were tuned for r == 14
    fork, w = (cx, cy + 1.5 * k), 2.2 * k
    shapes = [bar(cx, cy + 8.5 * k, cx, fork[1] + w / 2, w)]
    for s in (-1, 1):  # each arm ends in a head pointing away from the stem
        ex, ey = cx + s * 3.8 * k, cy - 3.4 * k
        dx, dy = ex - fork[0], ey - fork[1]
        n = (dx * dx + dy * dy) ** 0.5
        dx, dy = dx / n, dy / n
        shapes.append(bar(fork[0], fork[1], ex, ey, w))
        hl, hw = 3.6 * k, 3.0 * k
        shapes.append(polygon([(ex + dx * hl, ey + dy * hl), (ex - dy * hw, ey + dx * hw),
                               (ex + dy * hw, ey - dx * hw)]))
    c.fill(shapes, blk)


# The DPIs the window has artwork drawn for (100, 125, 150 and 200 %); others scale the
# nearest larger one down.
DPIS = (96, 120, 144, 192)


def options_bitmap(dpi=96):
    c = Canvas(100, 50, dpi=dpi)
    for x in range(c.w):  # white fading to light grey so title text stays legible
        v = 255 - 30 * x / (c.w - 1)
        for y in range(c.h):
            c.px[y][x] = [v, v, v, 1.0]
    # The window writes its title over the left of the band: keep x < 41 empty
    # and let the paler yellow glyph be the one nearest the text.
    c.fill(hash_sign(41.5, 9.5, 18, 3, 2), YELLOW)
    c.fill(hash_sign(48.5, 15.5, 18, 3, 2), BLUE, 0.9)
    c.fill([rect(64, 31, 72, 34)], BLUE)
    road_sign(c, 84.5, 25, 14.5)
    return bmp24(c)


def check_icon(dpi=96):
    c = Canvas(16, 16, dpi=dpi)
    pts = [(2.8, 8.6), (6.2, 12.0), (13.4, 3.6)]
    c.fill([capsule(*pts[0], *pts[1], 3.0), capsule(*pts[1], *pts[2], 3.0)], (20, 110, 30))
    c.fill([capsule(*pts[0], *pts[1], 1.6), capsule(*pts[1], *pts[2], 1.6)], (70, 200, 70))
    return c


def cross_icon(dpi=96):
    c = Canvas(16, 16, dpi=dpi)
    a, b = 3.5, 12.5
    c.fill([capsule(a, a, b, b, 3.2), capsule(a, b, b, a, 3.2)], (150, 20, 20))
    c.fill([capsule(a, a, b, b, 1.8), capsule(a, b, b, a, 1.8)], (235, 60, 50))
    return c


def main_icon():
    c = Canvas(32, 32)
    c.fill([round_rect(1, 1, 31, 31, 6)], (25, 50, 95))
    c.fill([round_rect(2, 2, 30, 30, 5)], (40, 75, 135))
    c.fill(hash_sign(4, 5, 18, 3.4, 2.0), LIGHT_BLUE)
    c.fill([rect(19, 24, 28, 27)], LIGHT_BLUE)
    return ico32(c)


# ---- self-checks: the DLL's tests rely on these exact layouts ----

def check_bmp(data, w, h, bpp, ncolors):
    assert data[:2] == b'BM' and struct.unpack_from('<I', data, 2)[0] == len(data)
    size, bw, bh, planes, bits, comp, _, _, _, used = struct.unpack_from('<IiiHHIIiiI', data, 14)
    assert (size, bw, bh, planes, bits, comp, used) == (40, w, h, 1, bpp, 0, ncolors)
    off = struct.unpack_from('<I', data, 10)[0]
    assert off == 54 + 4 * ncolors
    assert len(data) - off == ((w * bpp // 8 + 3) & ~3) * h
    if bpp == 8:
        pal = [data[54 + 4 * i:57 + 4 * i] for i in range(ncolors)]
        assert len(set(pal)) == ncolors, 'palette entries must be distinct'
        assert max(data[off:]) < ncolors
        assert data[off] == 0, 'corner must be the magenta key'
        assert pal[0] == bytes((255, 0, 255))


def check_ico(data, *sizes):
    assert struct.unpack_from('<HHH', data, 0) == (0, 1, len(sizes))
    end = 6 + 16 * len(sizes)
    for i, size in enumerate(sizes):
        w, h, cc, res, planes, bits, nbytes, off = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        assert (w, h, cc, res, planes, bits, off) == (size, size, 0, 0, 1, 32, end)
        check_ico_image(data[off:off + nbytes], size)
        end += nbytes
    assert end == len(data)


def check_ico_image(data, size):
    nbytes = len(data)
    hs, bw, bh, planes, bits = struct.unpack_from('<IiiHH', data, 0)
    assert (hs, bw, bh, planes, bits) == (40, size, 2 * size, 1, 32)
    xor_len, mstride = size * size * 4, ((size + 31) // 32) * 4
    assert nbytes == 40 + xor_len + mstride * size
    pix, mask = data[40:40 + xor_len], data[40 + xor_len:]
    alphas = pix[3::4]
    assert 0 < alphas.count(0) < size * size, 'need both transparent and drawn pixels'
    assert any(0 < a < 255 for a in alphas), 'edges should be anti-aliased'
    for y in range(size):
        for x in range(size):
            bit = (mask[y * mstride + x // 8] >> (7 - x % 8)) & 1
            assert bit == (alphas[y * size + x] == 0)


def main():
    files = {
        'action.bmp': (action_bitmap(), lambda d: check_bmp(d, 16, 16, 8, 51)),
        'optbg.bmp': (options_bitmap(), lambda d: check_bmp(d, 100, 50, 24, 0)),
        'btnok.ico': (ico_images([check_icon(d) for d in DPIS]),
                      lambda d: check_ico(d, *(scaled(16, dpi) for dpi in DPIS))),
        'btncancel.ico': (ico_images([cross_icon(d) for d in DPIS]),
                          lambda d: check_ico(d, *(scaled(16, dpi) for dpi in DPIS))),
        'mainicon.ico': (main_icon(), lambda d: check_ico(d, 32)),
    }
    for dpi in DPIS[1:]:
        w, h = scaled(100, dpi), scaled(50, dpi)
        files['optbg%d.bmp' % dpi] = (options_bitmap(dpi),
                                      lambda d, w=w, h=h: check_bmp(d, w, h, 24, 0))
    for name, (data, check) in files.items():
        check(data)
        path = os.path.join(HERE, name)
        with open(path, 'wb') as f:
            f.write(data)
        with open(path, 'rb') as f:
            written = f.read()
        assert written == data
        check(written)
        print('%-14s %6d bytes' % (name, len(written)))


if __name__ == '__main__':
    main()
