"""The sixteen-colour pictures, placed pixel by pixel: the machine's face,
its two lamps and the program icon."""

from artlib import (Canvas, BLACK, MAROON, OLIVE, NAVY, SILVER, GREY, RED, LIME,
                    YELLOW, BLUE, AQUA, WHITE)

PANEL_W, PANEL_H = 240, 420
BAND = 100
REEL_TOP = 10
LAMP_X, LAMP_Y0, LAMP = 210, 50, 16

DIGITS = {
    "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["##.", "..#", ".#.", "#..", "###"],
    "3": ["##.", "..#", ".#.", "..#", "##."],
    "4": ["#.#", "#.#", "###", "..#", "..#"],
}
SCREW = [".w.", "wsg", ".g."]
POINTER = ["k....", "yk...", "yyk..", "yyyk.", "yyok.", "yok..", "ok...", "k...."]


def _bay(c, x0, y0, x1, y1):
    """A dark-grey recess: sunken outer edge, a black inner lip, dark-grey floor."""
    c.bevel(x0, y0, x1, y1, GREY, WHITE)
    c.bevel(x0 + 1, y0 + 1, x1 - 1, y1 - 1, BLACK, SILVER)
    c.rect(x0 + 2, y0 + 2, x1 - 2, y1 - 2, GREY)


def panel():
    c = Canvas(PANEL_W, PANEL_H, SILVER)
    c.bevel(0, 0, PANEL_W - 1, PANEL_H - 1, BLACK, BLACK)
    c.bevel(1, 1, PANEL_W - 2, PANEL_H - 2, WHITE, GREY)

    # The reel column: black rules either side, raised bars above and below,
    # and the window the reels are painted into.
    c.vline(14, 1, PANEL_H - 2, BLACK)
    c.vline(197, 1, PANEL_H - 2, BLACK)
    c.rect(15, 1, 196, PANEL_H - 2, SILVER)
    c.bevel(15, 1, 196, 9, WHITE, GREY)
    c.bevel(15, 410, 196, 418, WHITE, GREY)
    c.vline(15, 10, 409, GREY)
    c.vline(196, 10, 409, WHITE)
    for x in range(40, 180, 36):
        c.pattern(x, 4, [".k.", "kgk", ".k."], {"k": GREY, "g": WHITE})
        c.pattern(x, 413, [".k.", "kgk", ".k."], {"k": GREY, "g": WHITE})

    ink = {"k": BLACK, "y": YELLOW, "o": OLIVE, "w": WHITE, "s": SILVER, "g": BLACK}
    for r in range(4):
        y0 = REEL_TOP + BAND * r
        y1 = y0 + BAND - 1
        # Left bays carry a pointer at the middle of their band.
        _bay(c, 2, y0, 12, y1)
        c.pattern(5, y0 + 46, POINTER, ink)
        # Right bays hold the lamp socket, the band number and four screws.
        _bay(c, 200, y0, 236, y1)
        ly = LAMP_Y0 + BAND * r
        c.bevel(LAMP_X - 2, ly - 2, LAMP_X + LAMP + 1, ly + LAMP + 1, BLACK, WHITE)
        c.bevel(LAMP_X - 1, ly - 1, LAMP_X + LAMP, ly + LAMP, BLACK, SILVER)
        c.rect(LAMP_X, ly, LAMP_X + LAMP - 1, ly + LAMP - 1, BLACK)
        digit = DIGITS[str(r + 1)]
        c.pattern(217, ly + 25, digit, {"#": BLACK})
        c.pattern(216, ly + 24, digit, {"#": WHITE})
        for sx, sy in ((204, y0 + 5), (229, y0 + 5), (204, y1 - 7), (229, y1 - 7)):
            c.pattern(sx, sy, SCREW, ink)
    return c


def lamp(running):
    """A lamp in its grey bezel: blue while the reel runs, red once it stops."""
    bright, deep, glint = (BLUE, NAVY, AQUA) if running else (RED, MAROON, YELLOW)
    c = Canvas(LAMP, LAMP, SILVER)
    c.bevel(0, 0, 15, 15, WHITE, BLACK)
    c.bevel(1, 1, 14, 14, SILVER, GREY)
    c.bevel(2, 2, 13, 13, GREY, WHITE)
    c.rect(3, 3, 12, 12, bright)
    c.hline(4, 12, 12, deep)
    c.vline(12, 4, 12, deep)
    c.set(11, 11, deep)
    c.pattern(5, 5, ["wwg", "w..", "g.."], {"w": WHITE, "g": glint})
    return c


ICON = 32
CLEAR = 16  # not a colour: marks the icon's transparent pixels


def icon():
    """The machine itself: marquee, red cabinet, a smiling face in the window, lever."""
    c = Canvas(ICON, ICON, CLEAR)
    # base plinth
    c.rect(2, 27, 25, 30, BLACK)
    c.rect(3, 28, 24, 29, GREY)
    c.hline(3, 24, 28, SILVER)
    # cabinet
    c.rect(3, 8, 24, 27, BLACK)
    c.rect(4, 9, 23, 26, RED)
    c.vline(23, 9, 26, MAROON)
    c.vline(4, 9, 26, YELLOW)
    # marquee with its chasing lights
    c.rect(5, 2, 22, 8, BLACK)
    c.set(5, 2, CLEAR)
    c.set(22, 2, CLEAR)
    c.rect(6, 3, 21, 7, YELLOW)
    c.hline(6, 21, 7, OLIVE)
    for x in range(8, 21, 3):
        c.set(x, 5, RED)
    # window and its figure
    c.rect(6, 10, 21, 21, BLACK)
    c.rect(7, 11, 20, 20, WHITE)
    c.hline(7, 20, 11, SILVER)
    c.disc(13.5, 16, 4.6, BLACK)
    c.disc(13.5, 16, 3.7, YELLOW)
    c.hline(11, 16, 12, BLACK)
    c.set(12, 15, BLACK)
    c.set(15, 15, BLACK)
    c.pattern(11, 17, ["k....k", ".kkkk."], {"k": BLACK})
    # buttons
    for x, colour in ((7, LIME), (12, YELLOW), (17, BLUE)):
        c.rect(x, 23, x + 3, 25, BLACK)
        c.rect(x + 1, 23, x + 2, 24, colour)
    # lever
    c.rect(24, 17, 26, 20, BLACK)
    c.hline(24, 25, 18, SILVER)
    c.hline(24, 25, 19, GREY)
    c.rect(25, 6, 28, 20, BLACK)
    c.vline(26, 7, 19, WHITE)
    c.vline(27, 7, 19, SILVER)
    c.disc(26.5, 4, 3.2, BLACK)
    c.disc(26.5, 4, 2.2, RED)
    c.set(25, 3, WHITE)
    return c
