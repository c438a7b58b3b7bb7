#!/usr/bin/python3
# Reads a form's soft edge back from the X server and checks it against the picture: the edge
# is the viewable window directly below the form, of depth 32 (per-pixel alpha), placed from
# the form's origin as the picture's pixels are; its alpha is the picture's at every pixel
# with 0 < alpha < 128 and 0 everywhere else, its colours the picture's premultiplied.
#
#   soft_edge.py picture <out.png>          writes the test picture (220 x 170)
#   soft_edge.py check <form-id> <picture> <scale>
#   soft_edge.py absent <form-id>           succeeds when the form has no edge
#   soft_edge.py above <upper-id> <lower-id> succeeds when the first is stacked above the second
#   soft_edge.py blended <screenshot.png> <form-id> <picture> <scale> <r,g,b behind>
#   soft_edge.py root <r,g,b> | none         gives the screen's background that colour (as
#                                           desktop tools do, for a compositing manager too)
#
# <scale> is the screen's resolution over 96: the picture's pixels are scaled
# nearest-neighbour, each screen pixel taking the picture's pixel under its centre.
# Exit status: 0 as expected, 1 not, 2 usage or X error.
import math
import sys

from PIL import Image
from Xlib import X, Xatom, display

FIGURE = (30, 90, 200)


def write_picture(path):
    """A rounded figure whose edge falls to clear over 5 pixels, a soft hole and a strip of
    glass (alpha 60) beside it, on a clear background."""
    width, height = 220, 170
    image = Image.new("RGBA", (width, height), (255, 255, 255, 0))
    pixels = image.load()
    for y in range(height):
        for x in range(width):
            # Distance inside a rounded rectangle 20..170 x 20..150 with corners of radius 30.
            cx = min(max(x + 0.5, 50), 140)
            cy = min(max(y + 0.5, 50), 120)
            inside = 30 - math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            hole = math.hypot(x + 0.5 - 95, y + 0.5 - 85) - 12
            alpha = max(0.0, min(1.0, inside / 5, hole / 5))
            if 180 <= x < 210 and 30 <= y < 140:
                pixels[x, y] = (200, 40, 40, 60)
            elif alpha > 0:
                pixels[x, y] = FIGURE + (round(255 * alpha),)
    image.save(path)


def scaled(picture, scale):
    """The picture as the form shows it: scaled nearest-neighbour, RGBA rows."""
    width, height = round(picture.width * scale), round(picture.height * scale)
    source = picture.load()

    def under(target, size, to):
        return (2 * target + 1) * size // (2 * to)

    return width, height, [[source[under(x, picture.width, width), under(y, picture.height, height)]
                            for x in range(width)] for y in range(height)]


def viewable_stack(connection):
    root = connection.screen().root
    return [w for w in root.query_tree().children
            if w.get_attributes().map_state == X.IsViewable]


def edge_below(connection, form_id):
    stack = viewable_stack(connection)
    ids = [w.id for w in stack]
    if form_id not in ids:
        raise RuntimeError(f"window {form_id:#x} is not shown")
    at = ids.index(form_id)
    below = stack[at - 1] if at > 0 else None
    if below is None or below.get_geometry().depth != 32:
        return None
    return below


def check(form_id, picture_path, scale):
    connection = display.Display()
    edge = edge_below(connection, form_id)
    if edge is None:
        depth32 = [hex(w.id) for w in viewable_stack(connection) if w.get_geometry().depth == 32]
        print(f"no edge directly below the form; windows of depth 32: {depth32}")
        return 1
    form = connection.create_resource_object("window", form_id).get_geometry()
    geometry = edge.get_geometry()
    width, height, expected = scaled(Image.open(picture_path).convert("RGBA"), scale)
    # The edge covers the fringe's bounds, placed from the form's origin.
    left, top = geometry.x - form.x, geometry.y - form.y
    if left < 0 or top < 0 or left + geometry.width > width or top + geometry.height > height:
        print(f"edge {geometry.width} x {geometry.height} at {left},{top} of the form, "
              f"beyond the picture's {width} x {height}")
        return 1
    data = edge.get_image(0, 0, geometry.width, geometry.height, X.ZPixmap, 0xFFFFFFFF).data
    fringe = wrong_alpha = wrong_colour = 0
    for y in range(height):
        for x in range(width):
            r, g, b, a = expected[y][x]
            want = a if 0 < a < 128 else 0
            fringe += want > 0
            inside = left <= x < left + geometry.width and top <= y < top + geometry.height
            if not inside:
                wrong_alpha += want > 0
                continue
            at = ((y - top) * geometry.width + x - left) * 4
            blue, green, red, alpha = data[at:at + 4]
            if alpha != want:
                wrong_alpha += 1
            elif want and any(abs(shown - own * a / 255) > 1
                              for shown, own in ((red, r), (green, g), (blue, b))):
                wrong_colour += 1
    print(f"fringe pixels {fringe}, wrong alpha {wrong_alpha}, wrong colour {wrong_colour}, "
          f"edge {geometry.width} x {geometry.height} at {left},{top} of the form at "
          f"{form.x},{form.y}")
    return 0 if fringe and not wrong_alpha and not wrong_colour else 1


def absent(form_id):
    """No window of depth 32 is shown, below the form or anywhere else."""
    shown = [hex(w.id) for w in viewable_stack(display.Display()) if w.get_geometry().depth == 32]
    if shown:
        print(f"an edge is shown: {shown} (the form is {form_id:#x})")
        return 1
    return 0


def above(upper_id, lower_id):
    ids = [w.id for w in viewable_stack(display.Display())]
    if upper_id not in ids or lower_id not in ids:
        print("a window is not shown")
        return 1
    return 0 if ids.index(upper_id) > ids.index(lower_id) else 1


def blended(shot_path, form_id, picture_path, scale, behind):
    """Every fringe pixel on the screen is the picture's colour blended over `behind`."""
    connection = display.Display()
    form = connection.create_resource_object("window", form_id).get_geometry()
    shot = Image.open(shot_path).convert("RGB").load()
    width, height, pixels = scaled(Image.open(picture_path).convert("RGBA"), scale)
    under = [int(c) for c in behind.split(",")]
    fringe = wrong = 0
    first = ""
    for y in range(height):
        for x in range(width):
            r, g, b, a = pixels[y][x]
            if not 0 < a < 128:
                continue
            fringe += 1
            want = [round(own * a / 255 + back * (255 - a) / 255)
                    for own, back in zip((r, g, b), under)]
            seen = shot[form.x + x, form.y + y]
            if any(abs(s - w) > 2 for s, w in zip(seen, want)):
                wrong += 1
                first = first or f"; first at {x},{y}: {seen}, not {tuple(want)}"
    print(f"fringe pixels on the screen {fringe}, not blended over {behind}: {wrong}{first}")
    return 0 if fringe and not wrong else 1


def set_root(colour):
    connection = display.Display()
    root = connection.screen().root
    atoms = [connection.intern_atom(name) for name in ("_XROOTPMAP_ID", "_XSETROOT_ID")]
    if colour == "none":
        for atom in atoms:
            root.delete_property(atom)
        root.change_attributes(background_pixel=connection.screen().black_pixel)
    else:
        red, green, blue = (int(c) for c in colour.split(","))
        pixmap = root.create_pixmap(1, 1, connection.screen().root_depth)
        pixmap.fill_rectangle(pixmap.create_gc(foreground=red << 16 | green << 8 | blue), 0, 0, 1, 1)
        for atom in atoms:
            root.change_property(atom, Xatom.PIXMAP, 32, [pixmap.id])
        root.change_attributes(background_pixmap=pixmap)
        # The pixmap outlives this connection, as the background's must.
        connection.set_close_down_mode(X.RetainPermanent)
    root.clear_area()
    connection.sync()
    connection.close()
    return 0


COMMANDS = {  # name: (arguments, what runs)
    "picture": (1, lambda path: write_picture(path) or 0),
    "check": (3, lambda form, picture, scale: check(int(form, 0), picture, float(scale))),
    "absent": (1, lambda form: absent(int(form, 0))),
    "above": (2, lambda upper, lower: above(int(upper, 0), int(lower, 0))),
    "blended": (5, lambda shot, form, picture, scale, behind:
                blended(shot, int(form, 0), picture, float(scale), behind)),
    "root": (1, set_root),
}


def main(args):
    if not args or args[0] not in COMMANDS or len(args) - 1 != COMMANDS[args[0]][0]:
        print("usage: see the head of soft_edge.py", file=sys.stderr)
        return 2
    try:
        return COMMANDS[args[0]][1](*args[1:])
    except Exception as error:  # X errors, a window gone, unreadable files
        print(f"soft_edge.py: {error}", file=sys.stderr)
        return 2


sys.exit(main(sys.argv[1:]))
