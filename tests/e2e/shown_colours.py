#!/usr/bin/python3
# Checks how a window painted a picture with an alpha channel, from a screenshot of the window
# whose top-left pixel is the picture's: each opaque pixel in its own colour (no mask colour),
# each partly transparent one blended over one light background colour (painted over the
# window's background, not drawn premultiplied over black).
#   shown_colours.py <picture> <screenshot> [<x,y,width,height>...]    exit status 0 when both hold
# The rectangles name pixels covered by the window's own controls, which are not compared.
import sys

from PIL import Image

picture = Image.open(sys.argv[1]).convert("RGBA")
shown = Image.open(sys.argv[2]).convert("RGB")
covered = [tuple(map(int, text.split(","))) for text in sys.argv[3:]]
width = picture.width
shown_part = shown.crop((0, 0, width, picture.height)).getdata()
pixels = [(c, s, (i % width, i // width))
          for i, (c, s) in enumerate(zip(picture.getdata(), shown_part))
          if not any(cx <= i % width < cx + cw and cy <= i // width < cy + ch
                     for cx, cy, cw, ch in covered)]
wrong = [at for c, s, at in pixels if c[3] == 255 and c[:3] != s]
shown_at = {at: (c[:3], s) for c, s, at in pixels}
print(f"{len(wrong)} opaque pixels in another colour", end="")
if wrong:
    xs, ys = [x for x, _ in wrong], [y for _, y in wrong]
    print(f", within ({min(xs)}, {min(ys)}) to ({max(xs)}, {max(ys)}); first {wrong[0]}: "
          f"{shown_at[wrong[0]][0]} shown as {shown_at[wrong[0]][1]}", end="")
print()
# The background each blended pixel implies; a small alpha keeps the rounding's share small.
backs = sorted((s[i] - c[i] * c[3] / 255) * 255 / (255 - c[3])
               for c, s, _ in pixels if 128 <= c[3] <= 200 for i in range(3))
unblended = not backs or backs[len(backs) // 2] < 100 or backs[-1] - backs[0] > 24
if backs:
    print(f"{len(backs) // 3} blended pixels imply backgrounds {backs[0]:.0f} to {backs[-1]:.0f}")
sys.exit(1 if wrong or unblended else 0)
