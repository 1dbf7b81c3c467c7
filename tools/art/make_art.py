#!/usr/bin/env python3
"""Builds every picture the slot machine ships with.

    make_art.py RES_DIR DOCS_DIR [--svg-dir DIR]

Writes panel.bmp, strip.bmp, lamp_run.bmp, lamp_stop.bmp, congrats.bmp and
muslot.ico into RES_DIR and PNG copies of the strip and the congratulations
picture into DOCS_DIR. Needs rsvg-convert on the PATH; nothing else beyond
the Python standard library."""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import artlib  # noqa: E402
import congrats  # noqa: E402
import figures  # noqa: E402
import pixelart  # noqa: E402

TABLE_COLOURS = 236  # what is left of 256 once Windows keeps its 20 system colours


def build_256(svg, width, height, bmp_path, png_path, svg_dir):
    if svg_dir:
        with open(os.path.join(svg_dir, os.path.basename(bmp_path)[:-4] + ".svg"), "w") as f:
            f.write(svg)
    rgb = artlib.render_svg(svg, width, height)
    palette, indices = artlib.quantise(rgb, TABLE_COLOURS)
    artlib.write_bmp(bmp_path, width, height, 8, palette, indices, TABLE_COLOURS)
    artlib.write_png(png_path, width, height, palette, indices)


def build_16(canvas, path):
    artlib.write_bmp(path, canvas.w, canvas.h, 4, artlib.VGA16, canvas.px, 16)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("res_dir")
    ap.add_argument("docs_dir")
    ap.add_argument("--svg-dir", help="also keep the SVG sources here, for looking at")
    args = ap.parse_args()
    os.makedirs(args.res_dir, exist_ok=True)
    os.makedirs(args.docs_dir, exist_ok=True)
    res = lambda name: os.path.join(args.res_dir, name)  # noqa: E731

    build_16(pixelart.panel(), res("panel.bmp"))
    build_16(pixelart.lamp(True), res("lamp_run.bmp"))
    build_16(pixelart.lamp(False), res("lamp_stop.bmp"))

    ico = pixelart.icon()
    clear = [1 if v == pixelart.CLEAR else 0 for v in ico.px]
    colours = bytes(0 if v == pixelart.CLEAR else v for v in ico.px)
    artlib.write_ico16(res("muslot.ico"), pixelart.ICON, colours, clear)

    build_256(figures.strip_svg(), figures.COLUMN * len(figures.CHARACTERS), figures.HEIGHT,
              res("strip.bmp"), os.path.join(args.docs_dir, "strip.png"), args.svg_dir)
    build_256(congrats.congrats_svg(), congrats.WIDTH, congrats.HEIGHT,
              res("congrats.bmp"), os.path.join(args.docs_dir, "congratulations.png"),
              args.svg_dir)


if __name__ == "__main__":
    main()
