"""The twelve characters of the figure strip.

Every character stands in its own 180 x 400 column on the same skeleton
(centre line x = 90): head in the top hundred rows with the neck running
down past y = 100, torso to the waist at y = 200, hips and crotch above
y = 300, legs and feet in the last hundred rows. Keeping the joins in the
same places is what lets the reels mix one character's head with another's
body and still get a whole (if ridiculous) person."""

from svgkit import Drawing, OUTLINE, darker, lighter, mirror, ellipse

COLUMN = 180
HEIGHT = 400

# Skeleton shared by everyone.
HEAD = ("M 61 48 C 61 24 76 18 90 18 C 104 18 119 24 119 48 "
        "C 119 66 108 82 90 82 C 72 82 61 66 61 48 Z")
HEAD_SQUARE = ("M 61 46 C 61 24 76 18 90 18 C 104 18 119 24 119 46 L 118 64 "
               "C 114 76 102 84 90 84 C 78 84 66 76 62 64 Z")
EAR = "M 64 44 C 53 40 52 62 64 62 Z"
NECK = "M 81 70 L 99 70 L 100 104 Q 90 111 80 104 Z"
TORSO = ("M 58 106 C 68 99 112 99 122 106 C 127 112 127 122 125 132 "
         "L 118 206 L 62 206 L 55 132 C 53 122 53 112 58 106 Z")
SLEEVE = "M 60 105 C 49 107 44 116 43 128 L 36 224 L 52 226 L 58 146 Z"
SHORT_SLEEVE = "M 60 105 C 49 107 44 116 43 128 L 41 152 L 57 154 L 58 146 Z"
FOREARM = "M 42 146 L 36 224 L 52 226 L 57 148 Z"
HAND = "M 36 220 C 30 228 32 245 42 246 C 51 246 55 236 52 222 Z"
TROUSERS = ("M 62 196 L 118 196 L 122 270 L 116 384 L 94 384 L 91 284 "
            "Q 90 276 89 284 L 86 384 L 64 384 L 58 270 Z")
BELT = "M 61 192 L 119 192 L 119.6 205 L 60.4 205 Z"
SHOE = "M 64 377 L 87 377 L 88 396 L 50 396 C 47 388 53 379 64 377 Z"
BOOT = "M 63 330 L 88 330 L 88 396 L 50 396 C 47 386 56 380 63 376 Z"
SKIRT = "M 62 194 L 118 194 L 138 298 C 112 308 68 308 42 298 Z"
LEG = "M 68 280 L 87 280 L 86 384 L 69 384 Z"
WHITE = "#ffffff"
WHITE_RIM = "#cfd5e2"


def both(d):
    return (d, mirror(d))


class Figure:
    def __init__(self, drawing):
        self.d = drawing

    # ---- the body ----------------------------------------------------------
    def part(self, d, fill, **kw):
        self.d.part(d, fill, **kw)

    def pair(self, d, fill, **kw):
        for side in both(d):
            self.d.part(side, fill, **kw)

    def head(self, skin, shape=HEAD, ears=True):
        if ears:
            self.pair(EAR, skin, light=(2, 2))
            for side in both("M 61 47 Q 58 52 62 57"):
                self.d.line(side, darker(skin, 0.62), 1.4)
        self.part(shape, skin)

    def neck(self, skin):
        self.part(NECK, skin, rim=darker(skin, 0.8), light=(3, -4))

    def arms(self, cloth, skin, short=False, hands=True):
        if short:
            self.pair(FOREARM, skin)
            self.pair(SHORT_SLEEVE, cloth)
        else:
            self.pair(SLEEVE, cloth)
        if hands:
            self.hands(skin)

    def hands(self, skin, which=(0, 1)):
        sides = both(HAND)
        for i in which:
            self.part(sides[i], skin)
            self.d.line(mirror("M 40 236 Q 44 240 49 237") if i else "M 40 236 Q 44 240 49 237",
                        darker(skin, 0.6), 1.3)

    def face(self, skin, eyes="dot", mouth="smile", brow=OUTLINE, cheeks=True, lashes=False,
             nose=True):
        d = self.d
        if cheeks:
            for side in both(ellipse(71, 63, 5.5, 3.2)):
                d.flat(side, "#f07878", 0.45)
        if nose:
            d.line("M 90 55 Q 94.5 61 89 62", darker(skin, 0.58), 1.9)
        if eyes in ("dot", "wide"):
            for ex in (79, 101):
                if eyes == "wide":
                    d.part(ellipse(ex, 51, 5, 6), WHITE, light=(0, 0), width=1.6)
                    d.flat(ellipse(ex + 0.8, 52, 3.1, 4), OUTLINE)
                else:
                    d.flat(ellipse(ex, 52, 3.4, 4.8), OUTLINE)
                d.flat(ellipse(ex + 1.2, 50, 1.3, 1.5), WHITE)
        elif eyes == "happy":
            for side in both("M 74 53 Q 79 46.5 84 53"):
                d.line(side, OUTLINE, 2.6)
        if lashes:
            for side in both("M 75.5 49 L 71.5 46 M 76 52 L 71 51"):
                d.line(side, OUTLINE, 1.6)
        if brow:
            for side in both("M 73 43 Q 79 39.5 85 42"):
                d.line(side, brow, 2.6)
        if mouth == "smile":
            d.line("M 82 68 Q 90 74.5 98 68", OUTLINE, 2.1)
        elif mouth == "open":
            d.part("M 81 66 Q 90 81 99 66 Q 90 69 81 66 Z", "#8c2630", light=(0, 0), width=1.8)
            d.flat("M 84.5 73 Q 90 69.5 95.5 73 Q 90 78 84.5 73 Z", "#e8707a")
        elif mouth == "grin":
            d.part("M 80 66 Q 90 79 100 66 Q 90 68.5 80 66 Z", WHITE, light=(0, 0), width=1.9)
            d.line("M 81 67.5 Q 90 70 99 67.5", "#c8ccd6", 1)
        elif mouth == "smirk":
            d.line("M 83 70 Q 92 72.5 99 66.5", OUTLINE, 2.1)
        elif mouth == "o":
            d.part(ellipse(90, 70, 3.2, 3.8), "#8c2630", light=(0, 0), width=1.6)


# ---------------------------------------------------------------- characters

def chef(f):
    skin, d = "#e2aa78", f.d
    f.part(TROUSERS, "url(#checks)")
    f.pair(SHOE, "#2e2e34", shine="#6a6a78")
    f.part(TORSO, WHITE, rim=WHITE_RIM)
    d.line("M 90 104 L 90 204", WHITE_RIM, 1.6)
    for y in (126, 148, 170, 192):
        for x in (78, 102):
            d.part(ellipse(x, y, 3, 3), "#c6ccd8", light=(1, 1), width=1.2)
    # wooden spoon held up in the right hand
    d.line("M 137 236 L 150 150", OUTLINE, 7)
    d.line("M 137 236 L 150 150", "#c98a4a", 4.2)
    d.part(ellipse(153, 137, 8, 12), "#c98a4a", light=(2, 2), width=2)
    f.arms(WHITE, skin, hands=False)
    for side in both("M 38 206 L 52 208 L 51 224 L 36 222 Z"):
        f.part(side, WHITE, rim=WHITE_RIM, light=(2, 2))
    f.hands(skin)
    f.neck(skin)
    f.part("M 76 98 L 104 98 L 108 108 L 90 124 L 72 108 Z", "#d8302e")
    f.head(skin)
    f.face(skin, eyes="happy", mouth="open", brow="#3a2418")
    f.part("M 90 62 C 84 56 72 56 67 66 C 74 62 82 66 90 65.5 C 98 66 106 62 113 66 "
           "C 108 56 96 56 90 62 Z", "#2c1e18", light=(0, 0), width=1.4)
    for side in both("M 61 40 L 67 40 L 66 56 L 61 52 Z"):
        f.part(side, "#3a2418", light=(1, 1), width=1.6)
    f.part("M 63 30 C 48 28 48 4 64 6 C 68 -5 112 -5 116 6 C 132 4 132 28 117 30 "
           "L 116 40 L 64 40 Z", WHITE, rim=WHITE_RIM, light=(5, 3))
    f.part("M 63 27 L 117 27 L 117 41 L 63 41 Z", "#f2f4f8", rim=WHITE_RIM, light=(3, 2))
    d.line("M 78 12 Q 80 20 80 26 M 100 12 Q 100 20 98 26", WHITE_RIM, 1.6)


def knight(f):
    skin, d = "#fbdcc6", f.d
    steel, steel_rim, steel_hi = "#b8c2ce", "#7c889a", "#eef2f6"
    f.part("M 60 102 L 120 102 L 154 362 C 124 374 56 374 26 362 Z", "#b2262e", light=(6, 3))
    d.line("M 70 160 Q 60 260 52 354 M 110 160 Q 120 260 128 354", "#82161e", 2)
    f.part(TROUSERS, steel, rim=steel_rim, shine=steel_hi)
    for side in both("M 61 300 C 60 290 86 290 87 300 C 88 312 62 314 61 300 Z"):
        f.part(side, steel, rim=steel_rim, light=(2, 2))
    f.pair("M 62 356 L 88 356 L 88 396 L 48 396 C 46 384 54 372 62 370 Z", "#6e7888",
           shine="#aab4c2")
    f.part("M 60 190 L 120 190 L 124 232 C 104 240 76 240 56 232 Z", steel, rim=steel_rim,
           shine=steel_hi)
    d.line("M 59 204 L 121 204 M 58 218 L 122 218", steel_rim, 1.6)
    f.part(TORSO, steel, rim=steel_rim, shine=steel_hi)
    f.part("M 76 104 L 104 104 L 106 236 L 90 246 L 74 236 Z", "#2f4f9e")
    f.part("M 90 128 L 100 146 L 90 164 L 80 146 Z", "#f2c230", light=(2, 2), width=1.6)
    # sword hanging from the right hand, point down
    f.part("M 137 246 L 145 246 L 147 362 L 141 374 L 135 362 Z", "#e8eef5", rim="#9aa6b8",
           light=(2, 1), width=2)
    f.part("M 124 240 L 158 240 L 158 248 L 124 248 Z", "#c8a03a", light=(2, 2), width=2)
    f.part("M 138 214 L 144 214 L 144 240 L 138 240 Z", "#6a3c22", light=(1, 1), width=1.6)
    f.part(ellipse(141, 211, 5, 5), "#c8a03a", light=(1, 1), width=1.6)
    f.arms(steel, skin, hands=False)
    f.pair(ellipse(54, 112, 15, 13), steel, rim=steel_rim, shine=steel_hi)
    for side in both(HAND):
        f.part(side, "#8a94a4", shine="#c4ccd8")
    f.neck(skin)
    f.part("M 76 94 L 104 94 L 106 110 L 74 110 Z", "#8a94a4", light=(2, 2))
    f.head(skin, HEAD_SQUARE, ears=False)
    f.face(skin, eyes="dot", mouth="smirk", brow="#7a4a22", cheeks=False)
    f.part("M 57 56 C 55 16 76 8 90 8 C 104 8 125 16 123 56 L 123 84 L 110 84 L 110 48 "
           "C 100 41 80 41 70 48 L 70 84 L 57 84 Z", steel, rim=steel_rim, shine=steel_hi)
    d.line("M 90 9 L 90 40", steel_rim, 2)
    for x in (63, 117):
        for y in (60, 72):
            d.part(ellipse(x, y, 1.8, 1.8), steel_hi, light=(0, 0), width=1)
    f.part("M 90 10 C 94 -6 124 -4 140 16 C 128 10 118 12 110 22 C 104 14 96 12 90 10 Z",
           "#d8343a", light=(3, 2))


def princess(f):
    skin, d = "#f7d1ae", f.d
    hair, hair_rim = "#f4cf55", "#c89a30"
    pink, pink_lt = "#f28cb6", "#fbc3da"
    f.part("M 58 48 C 52 8 128 8 122 48 C 126 90 134 132 127 152 C 110 160 70 160 53 152 "
           "C 46 132 54 90 58 48 Z", hair, rim=hair_rim)
    f.pair("M 66 380 L 88 380 L 88 396 L 56 396 C 55 388 60 382 66 380 Z", "#e0528e")
    f.part("M 66 188 L 114 188 C 128 250 152 318 160 386 C 120 398 60 398 20 386 "
           "C 28 318 52 250 66 188 Z", pink, light=(6, 3))
    f.part("M 26 352 C 60 362 120 362 154 352 L 160 386 C 120 398 60 398 20 386 Z", pink_lt,
           rim="#e27aa6", light=(3, 3))
    for x in (40, 62, 90, 118, 140):
        d.line("M %d 360 Q %d 372 %d 390" % (x, x + 1, x), "#e27aa6", 1.4)
    d.line("M 78 230 Q 64 300 50 356 M 102 230 Q 116 300 130 356", "#d86c9c", 1.6)
    f.part(TORSO, pink)
    f.part("M 62 188 L 118 188 L 119 200 L 61 200 Z", "#b8407a", light=(2, 2))
    # star wand in the right hand
    d.line("M 138 236 L 152 158", OUTLINE, 6)
    d.line("M 138 236 L 152 158", "#f8f0c8", 3.4)
    f.part("M 154 132 L 158 145 L 171 146 L 161 154 L 165 167 L 154 159 L 143 167 L 147 154 "
           "L 137 146 L 150 145 Z", "#ffe04a", rim="#e0a828", light=(2, 2), width=1.8)
    f.arms(pink, skin, short=True)
    f.pair(ellipse(54, 118, 15, 16), pink_lt, rim="#e27aa6")
    f.neck(skin)
    d.line("M 79 102 Q 90 112 101 102", "#ffffff", 2.4)
    f.part(ellipse(90, 110, 3, 3), "#5ad0e0", light=(1, 1), width=1.2)
    f.head(skin, ears=False)
    f.face(skin, eyes="dot", mouth="smile", brow="#b88a30", lashes=True)
    d.flat("M 86 69 Q 90 72 94 69 Q 90 71 86 69 Z", "#d04060")
    f.part("M 60 54 C 56 18 124 18 120 54 C 114 40 106 32 100 30 C 97 39 88 43 77 41 "
           "C 70 45 64 48 60 54 Z", hair, rim=hair_rim)
    f.part("M 72 26 L 77 12 L 84 20 L 90 4 L 96 20 L 103 12 L 108 26 Q 90 20 72 26 Z",
           "#f2c230", rim="#c08a18", light=(2, 2), width=1.8)
    f.part(ellipse(90, 17, 3, 3.4), "#e8306a", light=(1, 1), width=1.2)


def pirate(f):
    skin, d = "#d6a47a", f.d
    f.part("M 62 196 L 118 196 L 124 270 L 118 340 L 94 340 L 91 284 Q 90 276 89 284 "
           "L 86 340 L 62 340 L 56 270 Z", "#2e3d6b")
    f.pair(BOOT, "#2b2428", shine="#5a4e56")
    f.pair("M 60 328 L 90 328 L 90 344 L 60 344 Z", "#3d3238", light=(2, 2))
    f.part(TORSO, "url(#stripes)")
    for side in both("M 58 106 C 64 102 74 100 80 102 L 78 196 L 62 196 L 55 132 "
                     "C 53 122 53 112 58 106 Z"):
        f.part(side, "#6b3f22", shine="#9a6a40")
    f.part("M 60 184 L 120 184 L 121 206 L 59 206 Z", "#e0a928", light=(2, 2))
    f.part("M 112 200 L 126 236 L 116 240 L 106 206 Z", "#e0a928", light=(2, 2), width=1.8)
    # cutlass raised in the right hand
    f.part("M 140 224 C 150 190 156 150 148 112 C 166 140 168 188 148 228 Z", "#e6ecf2",
           rim="#96a2b4", light=(2, 1), width=2)
    f.part("M 128 226 C 134 218 150 220 154 228 L 150 234 C 144 228 136 228 132 234 Z",
           "#d8a830", light=(1, 1), width=1.8)
    f.arms("url(#stripes)", skin, hands=False)
    f.hands(skin)
    f.neck(skin)
    f.head(skin)
    f.part("M 63 60 C 64 86 116 86 117 60 C 110 73 101 76 90 76 C 79 76 70 73 63 60 Z",
           "#33241c", light=(0, 0), width=1.4)
    f.face(skin, eyes="dot", mouth="grin", brow="#2a1a14", cheeks=False)
    f.part(ellipse(101, 51, 7, 6.5), "#1e1a1c", light=(0, 0), width=1.4)
    d.line("M 60 38 L 96 48 M 106 48 L 120 56", "#1e1a1c", 2)
    d.line("M 61 62 A 3.5 4 0 1 0 61.1 62", "#e8b830", 2)
    f.part("M 59 48 C 55 14 125 14 121 48 C 104 37 76 37 59 48 Z", "#c8282c")
    for x, y in ((72, 28), (90, 22), (108, 28), (82, 38), (100, 38)):
        d.flat(ellipse(x, y, 2.6, 2.4), "#ffffff")
    f.part("M 118 36 L 138 46 L 132 54 Z", "#c8282c", light=(2, 2), width=2)
    f.part("M 118 40 L 134 64 L 124 66 Z", "#c8282c", light=(2, 2), width=2)


def businessman(f):
    skin, d = "#fbdcc6", f.d
    suit = "#4a5878"
    f.part(TROUSERS, suit)
    d.line("M 74 250 L 76 380 M 106 250 L 104 380", darker(suit), 1.4)
    f.pair(SHOE, "#1e1e24", shine="#6e6e80")
    f.part(BELT, "#1e1e24", light=(0, 0))
    f.part(TORSO, suit)
    f.part("M 74 101 L 106 101 L 90 160 Z", WHITE, rim=WHITE_RIM, light=(2, 2))
    f.part("M 86 108 L 94 108 L 96 114 L 93 150 L 90 156 L 87 150 L 84 114 Z", "#c62f3a",
           light=(2, 2), width=1.6)
    for side in both("M 72 101 L 81 104 L 77 118 L 84 128 L 90 168 L 70 120 Z"):
        f.part(side, darker(suit, 0.85), light=(0, 0), width=1.6)
    for y in (176, 190):
        d.part(ellipse(90, y, 2.4, 2.4), "#1e1e24", light=(0, 0), width=0.8)
    d.line("M 104 136 L 116 136", lighter(suit, 0.3), 2)
    # briefcase in the left hand
    f.part("M 14 240 L 70 240 L 72 282 L 12 282 Z", "#8a5a2b", shine="#b8844a")
    d.line("M 14 256 L 70 256", "#5e3a18", 1.6)
    f.part("M 38 252 L 46 252 L 46 262 L 38 262 Z", "#e0b840", light=(1, 1), width=1.2)
    d.line("M 32 240 L 33 232 L 51 232 L 52 240", OUTLINE, 3)
    f.arms(suit, skin, hands=False)
    for side in both("M 37 214 L 51 216 L 51 223 L 36 221 Z"):
        f.part(side, WHITE, rim=WHITE_RIM, light=(1, 1), width=1.6)
    f.hands(skin)
    f.neck(skin)
    f.part("M 80 98 L 90 108 L 100 98 L 102 106 L 90 114 L 78 106 Z", WHITE, rim=WHITE_RIM,
           light=(1, 1), width=1.6)
    f.head(skin)
    f.face(skin, eyes="dot", mouth="smile", brow="#222630", cheeks=False)
    f.part("M 61 50 C 56 18 82 12 96 14 C 116 16 125 30 120 50 C 117 38 106 31 96 33 "
           "C 86 36 70 34 61 50 Z", "#222630", shine="#5a6278")
    d.line("M 82 24 Q 94 20 108 24", "#5a6278", 1.6)
    for x in (79, 101):
        d.part("M %s 47 L %s 47 L %s 58 L %s 58 Z" % (x - 8, x + 8, x + 8, x - 8), "#e4f0fa",
               light=(0, 0), width=2.4)
    d.line("M 87 51 L 93 51 M 71 50 L 62 48 M 109 50 L 118 48", OUTLINE, 2)
    for x in (79, 101):
        d.flat(ellipse(x, 52.5, 3.2, 4.2), OUTLINE)
        d.flat(ellipse(x + 1.2, 51, 1.2, 1.4), WHITE)
        d.line("M %s 49 L %s 54" % (x + 5, x + 3), "#dce8f4", 1.4)


def schoolgirl(f):
    skin, d = "#fbdcc6", f.d
    hair, navy = "#4a2c1e", "#233264"
    for side in both("M 62 52 C 48 60 40 90 44 124 C 46 142 60 150 58 128 "
                     "C 56 104 60 80 68 62 Z"):
        f.part(side, hair, shine="#7a5040")
    f.pair(LEG, skin)
    f.pair("M 68 330 L 87 330 L 86.5 380 L 69 380 Z", WHITE, rim=WHITE_RIM, light=(2, 2))
    f.pair("M 66 376 L 88 376 L 88 396 L 54 396 C 52 388 58 378 66 376 Z", "#6a3a20",
           shine="#9a6040")
    f.part(SKIRT, navy)
    for x0, x1 in ((74, 66), (90, 90), (106, 114), (62, 52), (118, 128)):
        d.line("M %d 206 L %d 302" % (x0, x1), darker(navy, 0.7), 1.6)
    f.part(TORSO, "#f6f6f8", rim=WHITE_RIM)
    f.arms("#f6f6f8", skin, hands=False)
    for side in both("M 37 212 L 51 214 L 51 222 L 36 220 Z"):
        f.part(side, navy, light=(1, 1), width=1.6)
    f.hands(skin)
    f.neck(skin)
    f.part("M 56 108 C 66 98 80 98 90 132 C 100 98 114 98 124 108 L 126 128 L 110 124 "
           "L 90 150 L 70 124 L 54 128 Z", navy)
    d.line("M 60 114 L 70 118 L 90 142 L 110 118 L 120 114", WHITE, 1.6)
    f.part("M 90 132 L 104 142 L 96 170 L 90 150 L 84 170 L 76 142 Z", "#e0344a", light=(2, 2),
           width=1.8)
    f.head(skin, ears=False)
    f.face(skin, eyes="wide", mouth="open", brow="#4a2c1e", lashes=True)
    f.part("M 59 54 C 54 16 126 16 121 54 C 118 44 112 36 104 34 C 104 42 98 44 94 40 "
           "C 90 46 80 46 78 38 C 72 42 66 46 59 54 Z", hair, shine="#7a5040")
    for side in both("M 62 50 L 50 40 L 50 62 Z"):
        f.part(side, "#e0344a", light=(2, 2), width=1.8)
    for side in both(ellipse(60, 51, 4, 4)):
        f.part(side, "#b82436", light=(0, 0), width=1.4)


def wizard(f):
    skin, d = "#f3d6c2", f.d
    robe, robe_dk = "#6a44b5", "#4a2e88"
    f.pair("M 66 380 L 88 380 L 88 396 L 56 396 C 54 388 60 382 66 380 Z", "#5a3a22")
    f.part("M 60 120 L 120 120 C 130 220 142 300 150 386 C 120 394 60 394 30 386 "
           "C 38 300 50 220 60 120 Z", robe)
    f.part("M 82 120 L 98 120 L 104 388 L 76 388 Z", robe_dk, light=(0, 0), width=1.6)
    f.part(TORSO, robe)
    f.part("M 60 196 L 120 196 L 120 206 L 60 206 Z", "#e0b840", light=(1, 1), width=1.6)
    for x, y, r in ((52, 300, 5), (124, 262, 4), (118, 346, 5), (60, 356, 4), (130, 310, 3)):
        d.flat("M %s %s L %s %s L %s %s L %s %s Z" % (x, y - r * 1.8, x + r, y, x, y + r * 1.8,
                                                     x - r, y), "#f6d84a")
    # staff in the left hand, crystal on top
    d.line("M 32 72 L 40 392", OUTLINE, 8)
    d.line("M 32 72 L 40 392", "#8a5a2e", 5)
    f.part("M 32 44 L 42 60 L 32 78 L 22 60 Z", "#6ad6f2", rim="#2a8ab8", light=(2, 2),
           shine="#e8fbff", width=1.8)
    for side in both("M 60 105 C 46 108 40 118 40 130 L 28 230 L 60 232 L 60 146 Z"):
        f.part(side, robe)
    for side in both("M 28 220 L 60 222 L 60 234 L 27 232 Z"):
        f.part(side, "#e0b840", light=(1, 1), width=1.6)
    f.hands(skin)
    f.neck(skin)
    f.head(skin)
    f.face(skin, eyes="happy", mouth=None, brow=None, cheeks=True)
    f.part("M 64 58 C 62 100 72 150 90 178 C 108 150 118 100 116 58 C 110 70 100 66 90 68 "
           "C 80 66 70 70 64 58 Z", "#f2f2ee", rim="#c4c6d0")
    d.line("M 80 90 Q 84 130 90 160 M 100 90 Q 96 130 90 160", "#c4c6d0", 1.4)
    f.part("M 90 66 C 82 62 72 64 68 72 C 76 70 84 72 90 71 C 96 72 104 70 112 72 "
           "C 108 64 98 62 90 66 Z", "#fbfbf8", rim="#c4c6d0", light=(1, 1), width=1.4)
    for side in both("M 70 44 Q 78 36 87 42 Q 78 40 70 44 Z"):
        f.part(side, "#fbfbf8", rim="#c4c6d0", light=(0, 0), width=1.6)
    f.part("M 66 34 C 76 22 84 4 104 2 C 114 2 128 6 140 16 C 126 12 116 14 112 20 "
           "C 114 26 116 30 114 34 Z", robe, shine="#9a7ae0")
    f.part("M 42 38 C 48 24 132 24 138 38 C 130 46 50 46 42 38 Z", robe, rim=robe_dk)
    f.part("M 66 32 L 114 32 L 114 38 Q 90 42 66 38 Z", "#e0b840", light=(1, 1), width=1.6)
    d.flat("M 84 12 A 6 6 0 1 0 92 22 A 4.6 4.6 0 1 1 84 12 Z", "#f6d84a")
    d.flat("M 102 10 L 104 15 L 109 15 L 105 18 L 107 23 L 102 20 L 97 23 L 99 18 L 95 15 "
           "L 100 15 Z", "#f6d84a")


def cowboy(f):
    skin, d = "#a8693f", f.d
    denim = "#3f6aa8"
    f.part(TROUSERS, denim)
    d.line("M 70 200 Q 74 216 84 220 M 110 200 Q 106 216 96 220", lighter(denim, 0.3), 1.4)
    f.pair(BOOT, "#7a4a26", shine="#a87448")
    for side in both("M 70 340 Q 76 350 86 346"):
        d.line(side, "#4e2c14", 1.6)
    for side in both(ellipse(46, 386, 5, 5)):
        f.part(side, "#e0b840", light=(1, 1), width=1.4)
    f.part(BELT, "#5a3418", light=(0, 0))
    f.part("M 80 190 L 100 190 L 101 207 L 79 207 Z", "#e0b840", rim="#a87818", light=(2, 2),
           width=1.8)
    f.part(TORSO, "#e6b84c")
    for side in both("M 58 106 C 66 102 76 100 82 102 L 80 196 L 62 196 L 55 132 "
                     "C 53 122 53 112 58 106 Z"):
        f.part(side, "#7b4a26", shine="#a87448")
    f.part("M 113 126 L 116 133 L 123 133 L 118 138 L 120 145 L 113 141 L 106 145 L 108 138 "
           "L 103 133 L 110 133 Z", "#d8dde6", rim="#8a94a4", light=(1, 1), width=1.4)
    # lasso coiled on the right hand
    for r in (18, 14):
        d.line(ellipse(146, 258, r * 0.75, r), OUTLINE, 5.4)
        d.line(ellipse(146, 258, r * 0.75, r), "#dcc084", 3)
    f.arms("#e6b84c", skin, hands=False)
    f.hands(skin)
    f.neck(skin)
    f.part("M 74 98 L 106 98 L 108 108 L 90 132 L 72 108 Z", "#c8282c")
    f.head(skin, HEAD_SQUARE)
    f.face(skin, eyes="dot", mouth="grin", brow="#2a1a14", cheeks=False)
    f.part("M 90 63 C 84 58 74 60 72 68 C 78 65 84 66 90 65.5 C 96 66 102 65 108 68 "
           "C 106 60 96 58 90 63 Z", "#3a2418", light=(0, 0), width=1.4)
    f.part("M 64 40 C 62 10 74 4 90 11 C 106 4 118 10 116 40 Z", "#8b5a2b", shine="#b8844a")
    f.part("M 64 32 L 116 32 L 116 40 L 64 40 Z", "#3a2418", light=(0, 0), width=1.6)
    f.part("M 30 32 C 46 44 134 44 150 32 C 148 46 126 52 90 52 C 54 52 32 46 30 32 Z",
           "#8b5a2b", shine="#b8844a")


def doctor(f):
    skin, d = "#6d4128", f.d
    scrub, coat_rim = "#3aa6a0", "#c8d0de"
    f.part(TROUSERS, scrub)
    f.pair(SHOE, "#f4f4f6", rim=coat_rim, shine=None)
    f.part(TORSO, scrub)
    f.part("M 56 120 L 124 120 L 134 322 L 96 322 L 94 206 L 86 206 L 84 322 L 46 322 Z",
           WHITE, rim=coat_rim)
    for side in both("M 58 106 C 66 102 76 100 82 102 L 86 206 L 84 322 L 46 322 L 55 132 "
                     "C 53 122 53 112 58 106 Z"):
        f.part(side, WHITE, rim=coat_rim)
    d.part("M 58 236 L 76 236 L 76 252 L 58 252 Z", "#f4f6fa", rim=coat_rim, light=(1, 1),
           width=1.4)
    d.line("M 108 120 L 108 134", "#3a6ad0", 2.4)
    d.part("M 104 128 L 116 128 L 116 140 L 104 140 Z", "none", light=(0, 0), width=1.4)
    # clipboard in the left hand
    f.part("M 16 212 L 52 212 L 52 262 L 16 262 Z", "#a8743a", light=(2, 2))
    f.part("M 21 218 L 47 218 L 47 257 L 21 257 Z", WHITE, rim=coat_rim, light=(1, 1),
           width=1.2)
    for y in (226, 234, 242, 250):
        d.line("M 25 %d L 43 %d" % (y, y), "#8a94a4", 1.2)
    f.part("M 28 208 L 40 208 L 40 215 L 28 215 Z", "#b8bec8", light=(1, 1), width=1.4)
    f.arms(WHITE, skin, hands=False)
    for side in both(HAND):
        f.part(side, skin)
    f.neck(skin)
    d.line("M 72 104 C 70 140 84 154 90 150 C 96 154 110 140 108 104", "#4a5060", 2.6)
    d.line("M 90 150 L 90 170", "#4a5060", 2.6)
    f.part(ellipse(90, 174, 5, 5), "#c8d0dc", rim="#8a94a4", light=(1, 1), width=1.6)
    f.head(skin)
    f.face(skin, eyes="dot", mouth="grin", brow="#1a1210", cheeks=False)
    d.line("M 90 55 Q 94.5 61 89 62", "#3e2212", 1.9)
    f.part("M 60 46 C 52 38 58 28 64 26 C 62 16 74 12 80 16 C 84 8 98 8 102 16 "
           "C 108 12 120 16 118 26 C 124 28 128 38 120 46 C 116 36 106 30 90 30 "
           "C 74 30 64 36 60 46 Z", "#1c1614", shine="#4a3e38")
    d.line("M 61 36 Q 90 24 119 36", "#3a3a44", 3)
    f.part(ellipse(90, 27, 9, 7), "#dce4ee", rim="#8a94a4", light=(2, 2), shine="#ffffff",
           width=1.8)
    d.flat(ellipse(90, 27, 2.5, 2), "#5a6472")


def clown(f):
    skin, d = "#fff4ea", f.d
    f.part("M 60 196 L 120 196 L 134 270 L 128 370 L 96 370 L 91 290 Q 90 282 89 290 "
           "L 84 370 L 52 370 L 46 270 Z", "url(#dots)")
    f.pair("M 52 362 L 86 362 L 84 376 Z", "#3a78e0", light=(0, 0), width=1.6)
    f.pair("M 70 368 L 90 368 L 90 396 L 28 396 C 8 396 12 366 40 370 Z", "#e02a2a",
           shine="#ff8a7a")
    f.part(TORSO, "url(#dots)")
    for y in (132, 162):
        f.part(ellipse(90, y, 6, 6), "#3a78e0", light=(1, 1), width=1.6)
    # balloon on a string from the right hand
    d.line("M 140 236 C 150 210 140 190 152 152", "#6a6a78", 1.4)
    f.part(ellipse(154, 126, 17, 21), "#e8304a", shine="#ff9aa8")
    f.part("M 150 146 L 158 146 L 154 152 Z", "#e8304a", light=(0, 0), width=1.4)
    d.flat(ellipse(148, 116, 4, 6), "#ffd0d8")
    f.arms("url(#dots)", skin, hands=False)
    for side in both(HAND):
        f.part(side, WHITE, rim=WHITE_RIM)
    f.neck(skin)
    for i in range(14):
        x = 62 + i * 4.3
        d.part("M %s 100 L %s 93 L %s 100 L %s 113 Z" % (x - 4, x, x + 4, x),
               "#f6f6f8" if i % 2 else "#78c8f0", rim=WHITE_RIM, light=(0, 0), width=1.2)
    for side in both("M 66 36 C 40 20 34 56 50 60 C 38 70 50 86 62 74 Z"):
        f.part(side, "#f07a26", shine="#ffb070")
    f.head(skin, ears=False)
    for side in both("M 79 40 L 82 50 L 79 60 L 76 50 Z"):
        d.flat(side, "#3a78e0")
    f.face(skin, eyes="dot", mouth=None, brow=None, cheeks=False, nose=False)
    f.part("M 74 64 Q 90 86 106 64 Q 90 72 74 64 Z", "#e02a2a", light=(0, 0), width=1.8)
    f.part(ellipse(90, 60, 7, 6.5), "#e02a2a", shine="#ff9a8a")
    d.flat(ellipse(88, 58, 2, 1.6), WHITE)
    f.part("M 100 10 L 120 10 L 122 24 L 98 24 Z", "#3a9a3a", light=(2, 2), width=2)
    f.part("M 92 24 L 128 24 L 128 28 L 92 28 Z", "#2a7a2a", light=(0, 0), width=2)
    f.part(ellipse(104, 9, 4, 4), "#f6d84a", light=(0, 0), width=1.4)


def rocker(f):
    skin, d = "#f7d1ae", f.d
    jeans, leather = "#50505c", "#2a2a32"
    f.part(TROUSERS, jeans)
    for side in both("M 68 312 Q 76 306 84 314 Q 76 320 68 312 Z"):
        f.part(side, skin, light=(0, 0), width=1.4)
    f.pair(BOOT, "#1c1c20", shine="#5a5a66")
    f.part(BELT, "#1c1c20", light=(0, 0))
    d.line("M 62 208 Q 80 232 100 206", "#c8ccd6", 1.8)
    f.part(TORSO, "#d22f3a")
    f.part("M 92 112 L 80 140 L 90 140 L 84 166 L 102 132 L 92 132 L 100 112 Z", "#f6d84a",
           light=(1, 1), width=1.4)
    for side in both("M 58 106 C 66 102 74 100 80 102 L 78 204 L 62 204 L 55 132 "
                     "C 53 122 53 112 58 106 Z"):
        f.part(side, leather, shine="#6a6a7a")
    f.arms(leather, skin, hands=False)
    for side in both("M 48 112 L 52 112 M 46 122 L 50 122"):
        d.line(side, "#d8dde6", 2.4)
    # guitar slung across the hips, neck up to the left
    d.line("M 62 104 Q 80 150 122 196", "#3a2418", 4)
    f.part("M 40 150 L 48 142 L 108 212 L 100 220 Z", "#6a4426", light=(1, 1), width=1.8)
    f.part("M 30 128 L 44 122 L 54 138 L 44 148 Z", "#1c1c20", light=(1, 1), width=1.6)
    f.part("M 92 206 C 96 190 116 190 118 204 C 130 196 148 206 140 226 C 150 240 140 262 "
           "120 258 C 108 272 84 266 84 246 C 74 232 82 214 92 206 Z", "#e03a2a",
           shine="#ff8a6a")
    f.part("M 100 222 C 108 214 124 226 120 236 C 114 244 98 238 100 222 Z", "#f4f4f6",
           rim="#b8bec8", light=(1, 1), width=1.4)
    d.line("M 96 230 L 124 252 M 104 220 L 132 244", "#c8ccd6", 1)
    f.hands(skin)
    f.neck(skin)
    f.head(skin)
    f.face(skin, eyes=None, mouth="smirk", brow=None, cheeks=False)
    f.part("M 66 46 L 86 46 Q 86 60 76 60 Q 66 60 66 46 Z", "#16161a", shine="#6a7aa0",
           light=(0, 0), width=1.8)
    f.part(mirror("M 66 46 L 86 46 Q 86 60 76 60 Q 66 60 66 46 Z"), "#16161a", light=(0, 0),
           width=1.8)
    d.line("M 86 48 L 94 48 M 66 47 L 61 45 M 114 47 L 119 45", "#16161a", 2.2)
    d.line("M 70 49 L 74 53 M 96 49 L 100 53", "#8a9ac0", 1.6)
    d.line("M 119 61 A 3 3 0 1 0 119.1 61", "#c8ccd6", 1.8)
    d.flat("M 64 40 C 66 26 76 20 90 20 C 104 20 114 26 116 40 C 106 30 74 30 64 40 Z",
           "#c8a890", 0.6)
    f.part("M 80 36 L 72 12 L 84 22 L 86 0 L 92 20 L 102 2 L 100 24 L 114 12 L 102 36 Z",
           "#38c24a", shine="#a6f0a0")


def grandma(f):
    skin, d = "#f5d5c0", f.d
    cardigan, skirt = "#9a7cc4", "#4f7a52"
    f.pair("M 69 330 L 87 330 L 86 384 L 70 384 Z", "#b08a6e")
    f.pair(SHOE, "#2a2228", shine="#6a5a66")
    f.part("M 62 194 L 118 194 L 132 344 C 108 352 72 352 48 344 Z", skirt)
    f.part("M 68 200 L 112 200 L 118 326 C 100 334 80 334 62 326 Z", "#f7e6ea",
           rim="#d4b4c0")
    for i in range(8):
        x = 64 + i * 7.4
        d.part(ellipse(x, 329, 3.8, 3), "#f7e6ea", rim="#d4b4c0", light=(0, 0), width=1.2)
    # cane in the right hand
    d.line("M 146 232 L 150 392", OUTLINE, 7)
    d.line("M 146 232 L 150 392", "#7a4a26", 4.4)
    d.line("M 146 234 C 146 214 126 214 128 230", OUTLINE, 7)
    d.line("M 146 234 C 146 214 126 214 128 230", "#7a4a26", 4.4)
    f.part(TORSO, "#fbfbfc", rim=WHITE_RIM)
    for side in both("M 58 106 C 66 102 76 100 82 102 L 80 206 L 62 206 L 55 132 "
                     "C 53 122 53 112 58 106 Z"):
        f.part(side, cardigan)
    for y in (140, 164, 188):
        d.part(ellipse(84, y, 2.4, 2.4), "#f4f0e0", light=(0, 0), width=1)
    f.part("M 62 192 L 118 192 L 118 206 L 62 206 Z", "#f7e6ea", rim="#d4b4c0", light=(1, 1),
           width=1.6)
    f.arms(cardigan, skin, hands=False)
    f.hands(skin)
    f.neck(skin)
    d.line("M 80 103 Q 90 112 100 103", "#f4f0e0", 2.6)
    f.part(ellipse(90, 112, 4, 4), "#3a9a6a", rim="#2a6a4a", light=(1, 1), width=1.4)
    f.part(ellipse(90, 16, 14, 11), "#c9c9d2", rim="#9a9aaa")
    f.head(skin)
    f.face(skin, eyes="happy", mouth="smile", brow="#9a9aaa", cheeks=True)
    for side in both("M 70 70 Q 74 73 78 71"):
        d.line(side, darker(skin, 0.7), 1.2)
    f.part("M 60 52 C 52 22 78 18 90 20 C 102 18 128 22 120 52 C 118 40 110 32 100 34 "
           "C 94 30 86 30 80 34 C 70 32 62 40 60 52 Z", "#c9c9d2", rim="#9a9aaa",
           shine="#f0f0f6")
    d.line("M 72 28 Q 78 34 84 30 M 96 30 Q 102 34 108 28", "#9a9aaa", 1.4)
    for x in (79, 101):
        d.line(ellipse(x, 52, 8, 7.5), "#c79a2a", 2.2)
    d.line("M 87 51 Q 90 48 93 51 M 71 50 L 62 47 M 109 50 L 118 47", "#c79a2a", 2)


CHARACTERS = [chef, knight, princess, pirate, businessman, schoolgirl,
              wizard, cowboy, doctor, clown, rocker, grandma]

PATTERNS = (
    '<pattern id="checks" patternUnits="userSpaceOnUse" width="14" height="14">'
    '<rect width="14" height="14" fill="#e8eaf0"/><rect width="7" height="7" fill="#3a3a48"/>'
    '<rect x="7" y="7" width="7" height="7" fill="#3a3a48"/></pattern>'
    '<pattern id="stripes" patternUnits="userSpaceOnUse" width="10" height="12">'
    '<rect width="10" height="12" fill="#f4f4f6"/><rect y="6" width="10" height="6" fill="#d03a3a"/>'
    '</pattern>'
    '<pattern id="dots" patternUnits="userSpaceOnUse" width="20" height="20">'
    '<rect width="20" height="20" fill="#f7d23a"/><circle cx="5" cy="5" r="3.6" fill="#e02a2a"/>'
    '<circle cx="15" cy="15" r="3.6" fill="#3a78e0"/></pattern>'
)


def strip_svg():
    d = Drawing()
    d.defs.append(PATTERNS)
    d.defs.append('<clipPath id="column"><rect x="1" y="0" width="178" height="400"/></clipPath>')
    for k, draw in enumerate(CHARACTERS):
        d.raw('<g transform="translate(%d 0)" clip-path="url(#column)">' % (k * COLUMN))
        draw(Figure(d))
        d.raw('</g>')
    return d.svg(COLUMN * len(CHARACTERS), HEIGHT)
