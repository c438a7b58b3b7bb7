#!/usr/bin/python3
# What the demo programs need of their pictures: every file a form names is there and decodes
# at the size the form's layout was made for, each shaped picture's background is one colour
# at its four corners (the mask colour the control takes from the top-left pixel), Earth.gif
# has no transparent colour (the form's colour would replace the background), Hole.bmp's
# plate has an enclosed opening of the background colour, and the hand cursor points with the
# hot spot its drawing has.
#   pictures_test.py <demos folder> <pictures folder>
import pathlib
import re
import struct
import sys

from PIL import Image, ImageDraw

demos, pictures = map(pathlib.Path, sys.argv[1:3])
SIZES = {"Earth.gif": (240, 200), "Hole.bmp": (200, 170), "head.bmp": (350, 406),
         "close.bmp": (14, 15), "play.bmp": (25, 24), "stop.bmp": (21, 22), "hand.cur": (32, 32)}
failures = []


def expect(condition, text):
    if not condition:
        failures.append(text)


named = {m for form in demos.glob("*/*.form") for m in re.findall(r"file:(\S+)", form.read_text())}
expect(named and named <= set(SIZES), f"the forms name files without a size here: {named}")
for name, size in SIZES.items():
    with Image.open(pictures / name) as image:
        image.load()
        expect(image.size == size, f"{name} is {image.size}, not {size}")

for name in ("Earth.gif", "Hole.bmp", "head.bmp"):
    image = Image.open(pictures / name).convert("RGB")
    w, h = image.size
    corners = {image.getpixel(xy) for xy in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1))}
    expect(len(corners) == 1, f"{name}'s corners are not one colour: {corners}")
expect("transparency" not in Image.open(pictures / "Earth.gif").info,
       "Earth.gif has a transparent colour")

hole = Image.open(pictures / "Hole.bmp").convert("RGB")
background = hole.getpixel((0, 0))
outside = (background[0] ^ 0xFF, background[1], background[2])  # a colour the plate must not have
expect(outside not in {c for _, c in hole.getcolors(1 << 16)}, "Hole.bmp uses the fill colour")
ImageDraw.floodfill(hole, (0, 0), outside)
opening = sum(count for count, colour in hole.getcolors(1 << 16) if colour == background)
expect(opening > 1000, f"Hole.bmp's opening is {opening} pixels of the background colour")

header = (pictures / "hand.cur").read_bytes()[:14]
expect(struct.unpack("<HHH", header[:6]) == (0, 2, 1), "hand.cur is not a cursor of one image")
expect(struct.unpack("<HH", header[10:14]) == (12, 1), "hand.cur's hot spot is not its fingertip")

print("\n".join(failures) or f"the demo pictures in {pictures} are what the programs need")
sys.exit(1 if failures else 0)
