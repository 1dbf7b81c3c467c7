"""A few helpers for writing the SVG drawings by hand: colour arithmetic,
mirroring path data, and cel-shaded outlined parts."""

import re

OUTLINE = "#2b1d18"


def rgb_of(hexcol):
    h = hexcol.lstrip("#")
    return tuple(int(h[i:i + 2], 16) for i in (0, 2, 4))


def hex_of(rgb):
    return "#%02x%02x%02x" % tuple(max(0, min(255, int(round(v)))) for v in rgb)


def darker(hexcol, k=0.74):
    """The shadow tone of a colour: darker and a little cooler, as painters shade."""
    r, g, b = rgb_of(hexcol)
    return hex_of((r * k, g * (k + 0.02), b * (k + 0.08) + 10))


def lighter(hexcol, k=0.45):
    r, g, b = rgb_of(hexcol)
    return hex_of((r + (255 - r) * k, g + (255 - g) * k, b + (255 - b) * k))


_TOKEN = re.compile(r"[A-Za-z]|-?(?:\d+\.?\d*|\.\d+)")
_ARITY = {"M": 2, "L": 2, "T": 2, "C": 6, "Q": 4, "S": 4, "H": 1, "V": 1, "A": 7, "Z": 0}


def _fmt(v):
    return ("%.2f" % v).rstrip("0").rstrip(".")


def map_path(d, fx, flip_arcs=False):
    """Applies fx(x, y) -> (x, y) to absolute path data (M L T C Q S H V A Z only)."""
    out, cmd, nums = [], None, []

    def flush():
        n = _ARITY[cmd]
        vals = nums[:n]
        if cmd in "MLTCQS":
            for i in range(0, n, 2):
                vals[i], vals[i + 1] = fx(vals[i], vals[i + 1])
        elif cmd == "H":
            vals[0] = fx(vals[0], 0)[0]
        elif cmd == "V":
            vals[0] = fx(0, vals[0])[1]
        elif cmd == "A":
            vals[5], vals[6] = fx(vals[5], vals[6])
            if flip_arcs:
                vals[4] = 1 - vals[4]
        out.append(" ".join(_fmt(v) for v in vals))
        del nums[:n]

    for tok in _TOKEN.findall(d):
        if tok.isalpha():
            if tok != tok.upper():
                raise ValueError("relative path command %r" % tok)
            cmd = tok
            out.append(tok)
        else:
            nums.append(float(tok))
            if len(nums) == _ARITY[cmd]:
                flush()
    return " ".join(out)


def mirror(d, axis=90):
    """The same shape reflected about the vertical line x = axis."""
    return map_path(d, lambda x, y: (2 * axis - x, y), flip_arcs=True)


def shift(d, dx, dy):
    return map_path(d, lambda x, y: (x + dx, y + dy))


def ellipse(cx, cy, rx, ry):
    return "M %s %s A %s %s 0 1 0 %s %s A %s %s 0 1 0 %s %s Z" % (
        _fmt(cx - rx), _fmt(cy), _fmt(rx), _fmt(ry), _fmt(cx + rx), _fmt(cy),
        _fmt(rx), _fmt(ry), _fmt(cx - rx), _fmt(cy))


class Drawing:
    """Collects shapes and their shared <defs> for one SVG document."""

    def __init__(self):
        self.defs = []
        self.body = []
        self._n = 0

    def uid(self, stem):
        self._n += 1
        return "%s%d" % (stem, self._n)

    def raw(self, text):
        self.body.append(text)

    def part(self, d, fill, rim=None, light=(4, 3), width=2.4, outline=OUTLINE, shine=None):
        """An outlined shape lit from the upper left.

        The rim is the strip of the shape its own copy moved towards the light
        does not cover, painted in the shadow tone; `shine` optionally adds the
        opposite strip in a highlight tone."""
        self.body.append('<path d="%s" fill="%s"/>' % (d, fill))
        dx, dy = light
        if dx or dy:
            if rim is None:
                rim = darker(fill) if fill.startswith("#") else "#000000"
            opacity = "" if fill.startswith("#") else ' fill-opacity="0.28"'
            self._rim(d, -dx, -dy, rim, opacity)
        if shine:
            self._rim(d, dx * 0.6, dy * 0.6, shine, "")
        if width:
            self.body.append('<path d="%s" fill="none" stroke="%s" stroke-width="%s" '
                             'stroke-linejoin="round"/>' % (d, outline, _fmt(width)))

    def _rim(self, d, dx, dy, colour, opacity):
        mid = self.uid("m")
        self.defs.append(
            '<mask id="%s" maskUnits="userSpaceOnUse" x="-50" y="-50" width="3000" height="1000">'
            '<path d="%s" fill="#fff"/><path d="%s" fill="#000"/></mask>'
            % (mid, d, shift(d, dx, dy)))
        self.body.append('<path d="%s" fill="%s"%s mask="url(#%s)"/>' % (d, colour, opacity, mid))

    def line(self, d, colour=OUTLINE, width=2.0, cap="round"):
        self.body.append('<path d="%s" fill="none" stroke="%s" stroke-width="%s" '
                         'stroke-linecap="%s" stroke-linejoin="round"/>' % (d, colour, _fmt(width), cap))

    def flat(self, d, colour, opacity=None):
        op = ' fill-opacity="%s"' % opacity if opacity is not None else ""
        self.body.append('<path d="%s" fill="%s"%s/>' % (d, colour, op))

    def svg(self, width, height, background=None):
        bg = '<rect width="%d" height="%d" fill="%s"/>' % (width, height, background) if background else ""
        return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
                '<defs>%s</defs>%s%s</svg>\n' % (width, height, width, height,
                                                "".join(self.defs), bg, "".join(self.body)))
