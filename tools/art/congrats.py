"""The congratulations picture: an arched title over a gold trophy, with a
sunburst, streamers and confetti. The lettering is drawn from our own
stroke shapes so the picture depends on no installed font."""

import math

from svgkit import Drawing, OUTLINE, ellipse, darker

WIDTH, HEIGHT = 567, 480
TITLE = "CONGRATULATIONS!"

# Glyphs as centre lines in a 34 x 60 box, stroked with round ends.
GLYPHS = {
    "C": "M 31 14 C 26 4 6 4 4 22 L 4 38 C 6 56 26 56 31 46",
    "O": ellipse(17, 30, 13, 24),
    "N": "M 4 54 L 4 6 L 30 54 L 30 6",
    "G": "M 31 14 C 26 4 6 4 4 22 L 4 38 C 6 56 28 57 31 44 L 31 32 L 19 32",
    "R": "M 5 54 L 5 6 L 19 6 C 34 6 34 30 19 30 L 5 30 M 17 30 L 31 54",
    "A": "M 3 54 L 17 6 L 31 54 M 8.5 38 L 25.5 38",
    "T": "M 2 6 L 32 6 M 17 6 L 17 54",
    "U": "M 4 6 L 4 38 C 4 58 30 58 30 38 L 30 6",
    "L": "M 6 6 L 6 54 L 31 54",
    "S": "M 30 13 C 25 3 6 4 5 16 C 4 28 30 29 30 42 C 30 57 8 58 4 46",
    "I": "M 7 6 L 7 54",
    "!": "M 7 6 L 7 37 M 7 52 L 7 52.5",
}
NARROW = {"I": 14, "!": 14}
GAP = 6


class Lcg:
    """Small fixed generator so the confetti lands in the same places every run."""

    def __init__(self, seed):
        self.s = seed

    def next(self):
        self.s = (self.s * 1103515245 + 12345) & 0x7FFFFFFF
        return self.s / 0x7FFFFFFF

    def between(self, lo, hi):
        return lo + (hi - lo) * self.next()


def star(cx, cy, r_out, r_in, turn=0.0):
    pts = []
    for i in range(10):
        a = math.pi * i / 5 - math.pi / 2 + turn
        r = r_out if i % 2 == 0 else r_in
        pts.append("%.2f %.2f" % (cx + r * math.cos(a), cy + r * math.sin(a)))
    return "M " + " L ".join(pts) + " Z"


def _background(d):
    d.defs.append(
        '<radialGradient id="glow" cx="283" cy="300" r="380" gradientUnits="userSpaceOnUse">'
        '<stop offset="0" stop-color="#fff2a8"/><stop offset="0.35" stop-color="#ffb84a"/>'
        '<stop offset="0.75" stop-color="#e2463a"/><stop offset="1" stop-color="#8a1840"/>'
        '</radialGradient>')
    d.raw('<rect width="%d" height="%d" fill="url(#glow)"/>' % (WIDTH, HEIGHT))
    rays = []
    for i in range(0, 32, 2):
        a0, a1 = 2 * math.pi * i / 32, 2 * math.pi * (i + 1) / 32
        rays.append("M 283 300 L %.1f %.1f L %.1f %.1f Z" % (
            283 + 900 * math.cos(a0), 300 + 900 * math.sin(a0),
            283 + 900 * math.cos(a1), 300 + 900 * math.sin(a1)))
    d.raw('<path d="%s" fill="#fff6d0" fill-opacity="0.22"/>' % " ".join(rays))


def _streamers(d):
    colours = ["#3a78e0", "#38c24a", "#e8304a", "#a04ad0", "#ffe04a", "#20b8c8"]
    paths = [
        "M -10 120 C 40 150 30 200 80 220 C 120 236 100 300 150 320",
        "M 577 110 C 520 150 540 200 490 226 C 446 248 470 300 420 330",
        "M -10 300 C 30 320 50 370 30 420 C 16 452 40 470 60 490",
        "M 577 290 C 540 320 520 370 546 420 C 560 450 530 470 520 490",
        "M 60 -10 C 70 40 40 70 20 90",
        "M 510 -10 C 500 40 530 70 550 90",
    ]
    for i, p in enumerate(paths):
        d.line(p, OUTLINE, 9)
        d.line(p, colours[i % len(colours)], 6)


def _trophy(d):
    d.defs.append(
        '<linearGradient id="gold" x1="200" y1="0" x2="366" y2="0" gradientUnits="userSpaceOnUse">'
        '<stop offset="0" stop-color="#b87a18"/><stop offset="0.28" stop-color="#fff0a0"/>'
        '<stop offset="0.55" stop-color="#f2c230"/><stop offset="1" stop-color="#9a6010"/>'
        '</linearGradient>')
    d.flat(ellipse(283, 452, 120, 14), "#5a1020", 0.35)
    # handles behind the cup
    for side in ("M 218 206 C 170 200 168 268 232 290", "M 348 206 C 396 200 398 268 334 290"):
        d.line(side, OUTLINE, 17)
        d.line(side, "#e0a828", 11)
        d.line(side, "#fff0a0", 3)
    d.part("M 206 186 L 360 186 C 360 280 330 318 283 326 C 236 318 206 280 206 186 Z",
           "url(#gold)", light=(0, 0), width=3)
    d.part("M 200 178 L 366 178 L 366 194 L 200 194 Z", "url(#gold)", light=(0, 0), width=3)
    d.part(star(283, 250, 30, 13), "#fff6c0", rim="#e0a828", light=(3, 3), width=2.5)
    d.part("M 270 322 L 296 322 L 292 370 L 274 370 Z", "url(#gold)", light=(0, 0), width=3)
    d.part("M 244 366 L 322 366 L 330 384 L 236 384 Z", "url(#gold)", light=(0, 0), width=3)
    d.part("M 224 384 L 342 384 L 350 448 L 216 448 Z", "#6a3a20", shine="#9a6040",
           light=(4, 3), width=3)
    d.part("M 246 402 L 320 402 L 320 430 L 246 430 Z", "#f2c230", rim="#a87818",
           light=(2, 2), width=2)
    d.part(star(283, 416, 9, 4), "#fff6c0", light=(0, 0), width=1.4)
    d.raw('<path d="M 226 196 C 226 250 236 290 262 310" fill="none" stroke="#ffffff" '
          'stroke-opacity="0.7" stroke-width="7" stroke-linecap="round"/>')


def _confetti(d):
    rnd = Lcg(20240)
    colours = ["#3a78e0", "#38c24a", "#e8304a", "#a04ad0", "#ffe04a", "#20b8c8",
               "#ff7ac0", "#ffffff"]
    for i in range(150):
        x, y = rnd.between(6, WIDTH - 6), rnd.between(96, HEIGHT - 6)
        if 190 < x < 376 and 160 < y < 460:
            continue
        colour = colours[int(rnd.next() * len(colours)) % len(colours)]
        turn = rnd.between(0, 180)
        kind = rnd.next()
        if kind < 0.55:
            d.raw('<rect x="-3.5" y="-7" width="7" height="14" fill="%s" stroke="%s" '
                  'stroke-width="1" transform="translate(%.1f %.1f) rotate(%.1f)"/>'
                  % (colour, darker(colour, 0.6), x, y, turn))
        elif kind < 0.8:
            d.raw('<circle cx="%.1f" cy="%.1f" r="4" fill="%s" stroke="%s" stroke-width="1"/>'
                  % (x, y, colour, darker(colour, 0.6)))
        else:
            d.part(star(x, y, 8, 3.4, math.radians(turn)), "#fff6a0", rim="#e0a828",
                   light=(1, 1), width=1.2)
    for x, y, r in ((120, 150, 16), (450, 160, 14), (96, 400, 12), (480, 390, 15),
                    (200, 130, 9), (372, 128, 10)):
        d.part(star(x, y, r, r * 0.42), "#ffffff", rim="#ffe48a", light=(2, 2), width=1.8)
    for x, y in ((236, 170), (340, 168), (212, 300), (360, 290)):
        d.raw('<path d="M %d %d L %d %d M %d %d L %d %d" stroke="#ffffff" stroke-width="3" '
              'stroke-linecap="round"/>' % (x - 9, y, x + 9, y, x, y - 9, x, y + 9))


def _title(d):
    d.defs.append(
        '<linearGradient id="letter" x1="0" y1="6" x2="0" y2="54" gradientUnits="userSpaceOnUse">'
        '<stop offset="0" stop-color="#fffbd0"/><stop offset="0.45" stop-color="#ffe040"/>'
        '<stop offset="1" stop-color="#ff9a1a"/></linearGradient>')
    widths = [NARROW.get(ch, 34) for ch in TITLE]
    total = sum(widths) + GAP * (len(TITLE) - 1)
    scale = (WIDTH - 36) / total
    x = (WIDTH - total * scale) / 2
    layers = [("#4a0c1c", 21, 3.2, 4.2), ("#7a1428", 19, 0, 0), ("url(#letter)", 10, 0, 0)]
    placed = []
    for ch, w in zip(TITLE, widths):
        cx = x + w * scale / 2
        dx = cx - WIDTH / 2
        cy = 52 + 0.00034 * dx * dx
        angle = math.degrees(math.atan(2 * 0.00034 * dx))
        placed.append((ch, w, cx, cy, angle))
        x += (w + GAP) * scale
    for colour, width, ox, oy in layers:
        for ch, w, cx, cy, angle in placed:
            d.raw('<path d="%s" fill="none" stroke="%s" stroke-width="%s" stroke-linecap="round" '
                  'stroke-linejoin="round" transform="translate(%.2f %.2f) rotate(%.2f) '
                  'scale(%.4f) translate(%.1f -30)"/>'
                  % (GLYPHS[ch], colour, width, cx + ox, cy + oy, angle, scale, -w / 2))
    for ch, w, cx, cy, angle in placed:
        d.raw('<path d="%s" fill="none" stroke="#ffffff" stroke-opacity="0.75" stroke-width="2.6" '
              'stroke-linecap="round" transform="translate(%.2f %.2f) rotate(%.2f) '
              'scale(%.4f) translate(%.1f -31.6)"/>'
              % (GLYPHS[ch], cx - 1.2, cy, angle, scale, -w / 2 - 1.2))


def congrats_svg():
    d = Drawing()
    _background(d)
    _streamers(d)
    _trophy(d)
    _confetti(d)
    _title(d)
    return d.svg(WIDTH, HEIGHT)
