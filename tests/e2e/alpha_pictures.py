#!/usr/bin/python3
# Writes the pictures whose outline is in their alpha channel: a 240 x 180 PNG, the same as
# a TIFF when asked, and 32-bit icons of 64 x 64 and 128 x 128. Each has a transparent white background, a figure with a soft edge (alpha
# falling from 255 to 0 across six pixels, half of it under 128), an opaque square of the
# background's own colour inside the figure, and a transparent hole.
#   alpha_pictures.py <out.png> <out64.ico> <out128.ico> [<out.tif>]
import math
import struct
import sys

from PIL import Image, ImageDraw


def picture(width, height, square, hole):
    image = Image.new("RGBA", (width, height), (255, 255, 255, 0))
    pixels = image.load()
    radius = min(width, height) / 2 - 2
    for y in range(height):
        for x in range(width):
            edge = radius - math.hypot(x + 0.5 - width / 2, (y + 0.5 - height / 2) * 1.3)
            if edge > 0:
                pixels[x, y] = (30, 90, 200, min(255, round(255 * edge / 6)))
    draw = ImageDraw.Draw(image)
    draw.rectangle(square, fill=(255, 255, 255, 255))
    draw.rectangle(hole, fill=(255, 255, 255, 0))
    return image


def write_icon(image, path):
    """One 32-bit image, bottom-up, with its alpha and an AND mask of the pixels under 128."""
    width, height = image.size
    colour = bytearray()
    mask = bytearray()
    stride = (width + 31) // 32 * 4
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            red, green, blue, alpha = image.getpixel((x, y))
            colour += bytes((blue, green, red, alpha))
            if alpha < 128:
                row[x // 8] |= 0x80 >> x % 8
        mask += row
    data = struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, 32, 0,
                       len(colour) + len(mask), 0, 0, 0, 0) + colour + mask
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), 6 + 16)
    with open(path, "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, 1) + entry + data)


large = picture(240, 180, (90, 60, 109, 79), (130, 100, 149, 119))
large.save(sys.argv[1])
if len(sys.argv) > 4:
    large.save(sys.argv[4])
write_icon(picture(64, 64, (20, 24, 27, 31), (36, 34, 43, 41)), sys.argv[2])
write_icon(picture(128, 128, (40, 48, 55, 63), (72, 68, 87, 83)), sys.argv[3])
