"""Picture plumbing for the art pipeline: reading the PNGs rsvg-convert
renders, cutting them down to a fixed number of colours, and writing the
BMP, ICO and PNG files the game and the README use.

Everything here is plain standard-library Python and deterministic: the
same input pixels always give the same output bytes."""

import os
import struct
import subprocess
import tempfile
import zlib

# The sixteen colours every Windows display has, in their fixed order.
VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)


# ---------------------------------------------------------------- rendering

def render_svg(svg_text, width, height):
    """Renders SVG text with rsvg-convert onto white; returns width*height*3 RGB bytes."""
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "in.svg")
        dst = os.path.join(tmp, "out.png")
        with open(src, "w", encoding="utf-8") as f:
            f.write(svg_text)
        subprocess.run(["rsvg-convert", "-w", str(width), "-h", str(height),
                        "-b", "white", "-f", "png", "-o", dst, src], check=True)
        w, h, rgb = read_png(dst)
    if (w, h) != (width, height):
        raise RuntimeError("rsvg-convert gave %dx%d, wanted %dx%d" % (w, h, width, height))
    return rgb


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_png(path):
    """Reads an 8-bit RGB or RGBA non-interlaced PNG; returns (w, h, rgb bytes over white)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("%s is not a PNG" % path)
    pos, idat, ihdr = 8, [], None
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        elif kind == b"IEND":
            break
        pos += 12 + n
    w, h, depth, ctype, _, _, interlace = ihdr
    if depth != 8 or ctype not in (2, 6) or interlace:
        raise ValueError("unsupported PNG layout in %s" % path)
    bpp = 4 if ctype == 6 else 3
    raw = zlib.decompress(b"".join(idat))
    stride = w * bpp
    out = bytearray(h * stride)
    prev = bytearray(stride)
    for y in range(h):
        ft = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if ft == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 255
        elif ft == 2:
            for i in range(stride):
                line[i] = (line[i] + prev[i]) & 255
        elif ft == 3:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + ((left + prev[i]) >> 1)) & 255
        elif ft == 4:
            for i in range(stride):
                left = line[i - bpp] if i >= bpp else 0
                up_left = prev[i - bpp] if i >= bpp else 0
                line[i] = (line[i] + _paeth(left, prev[i], up_left)) & 255
        out[y * stride:(y + 1) * stride] = line
        prev = line
    if bpp == 3:
        return w, h, bytes(out)
    rgb = bytearray(w * h * 3)
    for i in range(w * h):
        r, g, b, a = out[4 * i:4 * i + 4]
        # rsvg-convert -b already flattens; this only guards stray alpha.
        rgb[3 * i] = (r * a + 255 * (255 - a) + 127) // 255
        rgb[3 * i + 1] = (g * a + 255 * (255 - a) + 127) // 255
        rgb[3 * i + 2] = (b * a + 255 * (255 - a) + 127) // 255
    return w, h, bytes(rgb)


# ------------------------------------------------------------- quantising

def _dist2(a, b):
    dr, dg, db = a[0] - b[0], a[1] - b[1], a[2] - b[2]
    # Eyes are most sensitive to green and least to blue.
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db


def _median_cut(hist, boxes_wanted):
    """Splits a {colour: count} histogram into boxes; returns each box's mean colour."""
    boxes = [sorted(hist.items())]
    while len(boxes) < boxes_wanted:
        best, best_score, best_axis = None, 0, 0
        for bi, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for axis in range(3):
                lo = min(c[axis] for c, _ in box)
                hi = max(c[axis] for c, _ in box)
                weight = sum(n for _, n in box)
                score = (hi - lo) * (hi - lo) * weight
                if score > best_score:
                    best, best_score, best_axis = bi, score, axis
        if best is None:
            break
        box = sorted(boxes[best], key=lambda e: (e[0][best_axis], e[0]))
        total = sum(n for _, n in box)
        run, cut = 0, 1
        for i, (_, n) in enumerate(box):
            run += n
            if run * 2 >= total:
                cut = max(1, min(len(box) - 1, i + 1))
                break
        boxes[best:best + 1] = [box[:cut], box[cut:]]
    means = []
    for box in boxes:
        total = sum(n for _, n in box)
        means.append(tuple((sum(c[k] * n for c, n in box) + total // 2) // total for k in range(3)))
    return means


def quantise(rgb, colours, keep=((255, 255, 255),), flat_min=60, flat_share=0.62):
    """Cuts RGB bytes down to exactly `colours` palette entries without dithering.

    The colours in `keep` (white, for the grounds) are always exact. The
    picture's large flat areas come next, each kept exactly as drawn, and the
    leftover entries go to a median cut of whatever those flats do not
    already cover (anti-aliased edges, gradients). Returns (palette, indices).
    """
    hist = {}
    for i in range(0, len(rgb), 3):
        key = rgb[i:i + 3]
        hist[key] = hist.get(key, 0) + 1
    hist = {tuple(k): n for k, n in hist.items()}

    palette = [tuple(c) for c in keep]
    flat_slots = int(colours * flat_share)
    for c, n in sorted(hist.items(), key=lambda e: (-e[1], e[0])):
        if len(palette) >= flat_slots or n < flat_min:
            break
        if all(_dist2(c, p) > 40 for p in palette):
            palette.append(c)

    residual = {}
    for c, n in hist.items():
        if min(_dist2(c, p) for p in palette) > 120:
            residual[c] = n
    if residual:
        for c in _median_cut(residual, colours - len(palette)):
            if c not in palette:
                palette.append(c)
    # Pad with unused greys so the table always has the promised length.
    g = 1
    while len(palette) < colours:
        c = (g, g, g)
        if c not in palette:
            palette.append(c)
        g += 2
    palette = palette[:colours]
    palette.sort(key=lambda c: (c[0] * 3 + c[1] * 6 + c[2], c))

    exact = {c: i for i, c in enumerate(palette)}
    lookup = {}
    for c in hist:
        if c in exact:
            lookup[c] = exact[c]
        else:
            lookup[c] = min(range(len(palette)), key=lambda i: (_dist2(c, palette[i]), i))
    idx = bytearray(len(rgb) // 3)
    for i in range(len(idx)):
        idx[i] = lookup[(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2])]
    return palette, bytes(idx)


def nearest_vga(rgb):
    """Maps RGB bytes to indices of the sixteen-colour table (for 4-bit art)."""
    cache, idx = {}, bytearray(len(rgb) // 3)
    for i in range(len(idx)):
        c = (rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2])
        if c not in cache:
            cache[c] = min(range(16), key=lambda k: (_dist2(c, VGA16[k]), k))
        idx[i] = cache[c]
    return bytes(idx)


# ---------------------------------------------------------------- writing

def _rows_bottom_up(width, height, bits, indices):
    stride = ((width * bits + 31) // 32) * 4
    out = bytearray()
    for y in range(height - 1, -1, -1):
        row = indices[y * width:(y + 1) * width]
        if bits == 8:
            line = bytearray(row)
        elif bits == 4:
            line = bytearray((width + 1) // 2)
            for x, v in enumerate(row):
                line[x >> 1] |= (v & 15) << (0 if x & 1 else 4)
        elif bits == 1:
            line = bytearray((width + 7) // 8)
            for x, v in enumerate(row):
                if v:
                    line[x >> 3] |= 0x80 >> (x & 7)
        else:
            raise ValueError(bits)
        line.extend(b"\0" * (stride - len(line)))
        out += line
    return bytes(out)


def _table(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def bmp_bytes(width, height, bits, palette, indices, colours_used):
    pixels = _rows_bottom_up(width, height, bits, indices)
    table = _table(palette)
    offset = 14 + 40 + len(table)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels),
                       2835, 2835, colours_used, 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + table + pixels


def write_bmp(path, width, height, bits, palette, indices, colours_used=None):
    if len(indices) != width * height:
        raise ValueError("%s: pixel count does not match %dx%d" % (path, width, height))
    if colours_used is None:
        colours_used = len(palette)
    with open(path, "wb") as f:
        f.write(bmp_bytes(width, height, bits, palette, indices, colours_used))


def write_ico16(path, size, indices, transparent):
    """One-image icon, 4 bits per pixel, VGA colours; `transparent` is a 0/1 list."""
    xor = _rows_bottom_up(size, size, 4, indices)
    mask = _rows_bottom_up(size, size, 1, transparent)
    table = _table(VGA16)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(mask),
                       0, 0, 0, 0)
    image = info + table + xor + mask
    head = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(head + entry + image)


def write_png(path, width, height, palette, indices):
    """Indexed-colour picture written as a plain 8-bit RGB PNG."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for v in indices[y * width:(y + 1) * width]:
            raw.extend(palette[v])

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(chunk(b"IEND", b""))


class Canvas:
    """A small indexed-colour pixel canvas for the hand-placed 16-colour art."""

    def __init__(self, width, height, fill=0):
        self.w, self.h = width, height
        self.px = bytearray([fill]) * (width * height)

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = c

    def get(self, x, y):
        return self.px[y * self.w + x]

    def rect(self, x0, y0, x1, y1, c):
        """Filled rectangle, both corners inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def hline(self, x0, x1, y, c):
        self.rect(x0, y, x1, y, c)

    def vline(self, x, y0, y1, c):
        self.rect(x, y0, x, y1, c)

    def bevel(self, x0, y0, x1, y1, light, dark):
        """One-pixel frame: `light` on the top and left edges, `dark` on the bottom and right."""
        self.hline(x0, x1, y0, light)
        self.vline(x0, y0, y1, light)
        self.hline(x0, x1, y1, dark)
        self.vline(x1, y0, y1, dark)

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def pattern(self, x0, y0, rows, colours):
        """Stamps rows of characters; each character maps through `colours`, '.' is skipped."""
        for dy, line in enumerate(rows):
            for dx, ch in enumerate(line):
                if ch != ".":
                    self.set(x0 + dx, y0 + dy, colours[ch])
