#!/usr/bin/python3
# Prints or checks the bounding shape of an X window, which is where a window region set
# under Wine ends up.
#
#   xshape.py rects <window-id>
#   xshape.py compare <window-id> <picture> <mask 0xBBGGRR | auto>
#
# Exit status: 0 done / shape equals the figure, 1 shape differs, 2 usage or X error (a window
# that is gone included). The figure is every pixel whose colour is not the mask colour and,
# in a picture with an alpha channel (RGBA or LA, as PIL reads PNG and icons), whose alpha is
# at least 128; 'auto' cuts no colour when the top-left pixel is under that. The comparison
# is pixel by pixel, so it shares no idea with the banded region code it checks.
# Debian's python3-xlib and python3-pil belong to the system's interpreter, hence its path.
import sys

from PIL import Image, ImageChops, ImageDraw
from Xlib import display
from Xlib.ext import shape

EQUAL, DIFFERENT, FAILED = 0, 1, 2
LISTED = 10
USAGE = """usage: xshape.py rects <window-id>
       xshape.py compare <window-id> <picture> <mask 0xBBGGRR | auto>
window ids in decimal or 0x hex; the mask is a colour as a pixel read reports it,
'auto' takes the picture's top-left pixel"""


class UsageError(Exception):
    pass


def number(text, what):
    """A 32-bit number in decimal or 0x hex."""
    try:
        value = int(text, 16) if text[:2].lower() == "0x" else int(text, 10)
    except ValueError:
        value = -1
    if not 0 <= value <= 0xFFFFFFFF or (what == "window id" and value == 0):
        raise UsageError(f"bad {what} '{text}'")
    return value


def bounding_shape(window_id):
    """The window's size (border excluded) and its bounding rectangles, half-open."""
    connection = display.Display()
    try:
        if not connection.has_extension(shape.extname):
            raise RuntimeError("the X server has no Shape extension")
        window = connection.create_resource_object("window", window_id)
        geometry = window.get_geometry()
        rects = window.shape_get_rectangles(shape.SK.Bounding).rectangles
        return geometry.width, geometry.height, [
            (r.x, r.y, r.x + r.width, r.y + r.height) for r in rects]
    finally:
        connection.close()


def print_rects(window_id):
    width, height, rects = bounding_shape(window_id)
    print(f"geometry {width} {height}")
    for rect in rects:
        print(*rect)
    return EQUAL


def compare(window_id, path, mask_text):
    mask = None if mask_text == "auto" else number(mask_text, "mask colour")
    source = Image.open(path)
    opaque = None
    if source.mode in ("RGBA", "LA"):
        opaque = source.getchannel("A").point(lambda v: 255 if v >= 128 else 0)
    picture = source.convert("RGB")
    width, height, rects = bounding_shape(window_id)
    w, h = picture.size
    if mask is None and opaque is not None and not opaque.getpixel((0, 0)):
        mask = 0xFF000000  # a transparent top-left pixel: only transparency is cut
    elif mask is None:
        red, green, blue = picture.getpixel((0, 0))
        mask = red | green << 8 | blue << 16
    # 255 on figure pixels: some channel differs from the mask colour (0x00BBGGRR; a colour
    # with a top byte matches no pixel).
    if mask > 0xFFFFFF:
        figure = Image.new("L", picture.size, 255)
    else:
        key = Image.new("RGB", picture.size, (mask & 0xFF, mask >> 8 & 0xFF, mask >> 16 & 0xFF))
        channels = ImageChops.difference(picture, key).split()
        figure = ImageChops.lighter(ImageChops.lighter(channels[0], channels[1]), channels[2])
        figure = figure.point(lambda v: 255 if v else 0)
    if opaque is not None:
        figure = ImageChops.darker(figure, opaque)
    covered = Image.new("L", picture.size, 0)
    draw = ImageDraw.Draw(covered)
    for x1, y1, x2, y2 in rects:
        draw.rectangle((x1, y1, x2 - 1, y2 - 1), fill=255)
    beyond = sum(x1 < 0 or y1 < 0 or x2 > w or y2 > h for x1, y1, x2, y2 in rects)

    missing = ImageChops.subtract(figure, covered).histogram()[255]
    extra = ImageChops.subtract(covered, figure).histogram()[255]
    figure_pixels = figure.histogram()[255]
    geometry_matches = (width, height) == (w, h)
    if geometry_matches and missing == 0 and extra == 0:
        print(f"match: {w}x{h}, {figure_pixels} figure pixels, {len(rects)} rectangles")
        status = EQUAL
    else:
        print(f"differ: {missing} missing (figure pixels outside the shape), {extra} extra "
              f"(shape pixels outside the figure), {figure_pixels} figure pixels, "
              f"{len(rects)} rectangles")
        if not geometry_matches:
            print(f"geometry: window {width}x{height}, picture {w}x{h}")
        differences = ImageChops.difference(figure, covered).tobytes()
        at = differences.find(255)
        for _ in range(LISTED):
            if at < 0:
                break
            x, y = at % w, at // w
            print("missing" if figure.getpixel((x, y)) else "extra", x, y)
            at = differences.find(255, at + 1)
        if missing + extra > LISTED:
            print("...")
        status = DIFFERENT
    if beyond:
        print(f"note: {beyond} rectangles reach beyond the picture's area (not compared there)")
    return status


def main(args):
    try:
        if len(args) == 2 and args[0] == "rects":
            return print_rects(number(args[1], "window id"))
        if len(args) == 4 and args[0] == "compare":
            return compare(number(args[1], "window id"), args[2], args[3])
        raise UsageError("")
    except UsageError as error:
        print(f"xshape.py: {error}\n{USAGE}" if str(error) else USAGE, file=sys.stderr)
    except Exception as error:  # X errors, a vanished window, an unreadable picture
        print(f"xshape.py: {type(error).__name__}: {error}", file=sys.stderr)
    return FAILED


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
