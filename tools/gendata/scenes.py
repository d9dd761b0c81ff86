"""The quest scenes: data\\scenes\\<scene>.xml and the layered picture
data\\scenes\\<scene>\\ (layers.ini and one PNG or JPEG per layer), from
data-src/scenes/<scene>.xml and <scene>.toml.

The painters below draw the scene's layers; the backdrop reuses the harbour
of the title screen. A scene document whose image names no layer of its
picture stops the generator.
"""
import math
import os
import re
import shutil
import tomllib

import numpy as np

from . import action_kinds, harbour
from .minigame_common import label as _label
from .paint import Canvas, glow, polygon, radial, shapes, vgradient
from .screens import LayeredPicture, cropped

WOOD, WOOD_DARK, IRON = (128, 86, 56), (62, 40, 30), (70, 66, 72)


def _box(c, x0, y0, x1, y1, col, mask_with=None):
    m = polygon(c.w, c.h, [(x0, y0), (x1, y0), (x1, y1), (x0, y1)])
    c.over(col, m if mask_with is None else m * mask_with)
    return m


def _planks(c, x0, y0, x1, y1, n, col=WOOD, dark=WOOD_DARK):
    body = _box(c, x0, y0, x1, y1, col)
    for k in range(1, n):
        yy = y0 + (y1 - y0) * k / n
        _box(c, x0, yy - 1, x1, yy + 1, dark)
    # Light from the lamps on the right.
    c.add((255, 170, 90), polygon(c.w, c.h, [(x1 - 6, y0), (x1, y0), (x1, y1), (x1 - 6, y1)]) * 0.3)
    return body


def crate_closed():
    c = Canvas(110, 92, alpha=0.0)
    _planks(c, 2, 2, 108, 90, 4)
    _box(c, 2, 2, 108, 12, WOOD_DARK)
    c.over(WOOD_DARK, polygon(110, 92, [(4, 86), (100, 10), (108, 14), (12, 90)]))
    return c


def crate_open():
    c = Canvas(110, 116, alpha=0.0)
    _planks(c, 2, 26, 108, 114, 4)
    _box(c, 8, 30, 102, 44, (30, 20, 16))  # the dark inside
    # The lid leans against the back.
    c.over(WOOD, polygon(110, 116, [(6, 28), (104, 28), (96, 0), (14, 0)]))
    _box(c, 14, 12, 96, 15, WOOD_DARK)
    return c


def match():
    c = Canvas(44, 16, alpha=0.0)
    _box(c, 2, 6, 36, 10, (222, 196, 150))
    c.over((170, 40, 30), shapes(44, 16, lambda d, s: d.ellipse([33 * s, 3 * s, 43 * s, 13 * s], fill=255)))
    return c


def match_icon():
    c = Canvas(72, 72, alpha=0.0)
    c.over((222, 196, 150), polygon(72, 72, [(10, 58), (54, 14), (60, 20), (16, 64)]))
    c.over((170, 40, 30), shapes(72, 72, lambda d, s: d.ellipse([50 * s, 6 * s, 66 * s, 22 * s], fill=255)))
    return c


def _lantern(c, ox, oy, lit):
    w, h = c.w, c.h
    _box(c, ox + 10, oy, ox + 30, oy + 6, IRON)
    _box(c, ox + 4, oy + 6, ox + 36, oy + 12, IRON)
    glass = (255, 214, 140) if lit else (64, 70, 84)
    _box(c, ox + 7, oy + 12, ox + 33, oy + 48, glass)
    for x in (ox + 7, ox + 19, ox + 31):
        _box(c, x, oy + 12, x + 2, oy + 48, IRON)
    _box(c, ox + 3, oy + 48, ox + 37, oy + 56, IRON)
    if lit:
        c.over((255, 250, 220), radial(w, h, ox + 20, oy + 32, 8, 12, power=0.6))


def lantern_dark():
    c = Canvas(40, 58, alpha=0.0)
    _lantern(c, 0, 1, False)
    return c


def lantern_lit():
    c = Canvas(112, 130, alpha=0.0)
    c.add((255, 180, 90), glow(112, 130, 56, 68, 56, 2.0))
    _lantern(c, 36, 37, True)
    return c


def chest_small():
    c = Canvas(120, 84, alpha=0.0)
    _planks(c, 4, 30, 116, 82, 2, (104, 60, 40))
    c.over((104, 60, 40), shapes(120, 84, lambda d, s: d.chord([4 * s, 2 * s, 116 * s, 58 * s], 180, 360, fill=255)))
    for x in (14, 100):
        _box(c, x, 14, x + 6, 82, IRON)
    _box(c, 54, 40, 66, 54, (200, 170, 90))
    return c


def rowing_boat():
    """A small boat on the water: the pier's way back to the harbour."""
    c = Canvas(130, 70, alpha=0.0)
    c.over((96, 56, 36), polygon(130, 70, [(0, 22), (130, 22), (112, 62), (18, 62)]))
    c.over((150, 96, 60), polygon(130, 70, [(0, 22), (130, 22), (126, 30), (4, 30)]))  # the gunwale
    _box(c, 18, 40, 112, 43, WOOD_DARK)
    _box(c, 62, 0, 66, 24, WOOD_DARK)  # the mast, sail furled
    _box(c, 58, 6, 70, 20, (220, 210, 186))
    return c


def boat_sail():
    """The boat's sail, up once the boat is moored."""
    c = Canvas(130, 190, alpha=0.0)
    _box(c, 62, 0, 66, 190, WOOD_DARK)
    c.over((236, 228, 206), polygon(130, 190, [(68, 6), (126, 170), (68, 170)]))
    c.over((214, 204, 180), polygon(130, 190, [(60, 20), (60, 170), (10, 170)]))
    return c


def pier_sign():
    """A weather board on a post: the harbour's storm warning."""
    c = Canvas(70, 80, alpha=0.0)
    _box(c, 32, 30, 38, 80, WOOD_DARK)
    _planks(c, 2, 2, 68, 36, 2)
    c.over((200, 40, 30), polygon(70, 80, [(35, 8), (48, 30), (22, 30)]))  # the warning triangle
    return c


def wreck():
    """The half-sunk wreck of a boat off the pier."""
    c = Canvas(110, 70, alpha=0.0)
    c.over((70, 48, 34), polygon(110, 70, [(0, 30), (96, 6), (110, 40), (20, 66)]))
    for k in range(3):
        _box(c, 20 + 26 * k, 24 - 6 * k, 24 + 26 * k, 60 - 8 * k, WOOD_DARK)
    c.over((40, 60, 90), polygon(110, 70, [(0, 50), (110, 44), (110, 70), (0, 70)]))  # the water over it
    return c


def wreck_searched():
    c = wreck()
    c.over((30, 22, 18), polygon(110, 70, [(40, 22), (70, 14), (74, 34), (44, 40)]))  # the hole opened
    return c


def closeup_back():
    w, h = 500, 420
    c = Canvas(w, h)
    c.rgb = vgradient(w, h, [(0, (58, 40, 32)), (h, (24, 16, 14))])
    for k in range(1, 6):
        _box(c, 0, h * k / 6 - 1, w, h * k / 6 + 1, (20, 12, 10))
    c.rgb *= (1.0 - 0.5 * (1 - radial(w, h, w / 2, h / 2, w * 0.7, h * 0.7, 0.7)))[..., None]
    return c


def lid_closed():
    c = Canvas(300, 190, alpha=0.0)
    _planks(c, 0, 20, 300, 190, 5, (110, 66, 44))
    c.over((110, 66, 44), shapes(300, 190, lambda d, s: d.chord([0, 0, 300 * s, 80 * s], 180, 360, fill=255)))
    for x in (30, 262):
        _box(c, x, 8, x + 10, 190, IRON)
    _box(c, 132, 70, 168, 108, (206, 176, 96))
    _box(c, 146, 84, 154, 100, (40, 30, 20))
    return c


def lid_open():
    c = Canvas(300, 226, alpha=0.0)
    _box(c, 0, 0, 300, 60, (96, 56, 38))  # the lid, up
    _planks(c, 0, 56, 300, 226, 4, (110, 66, 44))
    _box(c, 16, 72, 284, 214, (34, 22, 16))  # inside
    return c


def _key(c, ox, oy, scale):
    def draw(d, s):
        k = s * scale
        d.ellipse([ox * s, oy * s, ox * s + 22 * k, oy * s + 22 * k], outline=255, width=int(5 * k))
        d.rectangle([ox * s + 20 * k, oy * s + 9 * k, ox * s + 60 * k, oy * s + 14 * k], fill=255)
        d.rectangle([ox * s + 48 * k, oy * s + 14 * k, ox * s + 53 * k, oy * s + 22 * k], fill=255)
        d.rectangle([ox * s + 56 * k, oy * s + 14 * k, ox * s + 60 * k, oy * s + 20 * k], fill=255)
    c.over((214, 180, 92), shapes(c.w, c.h, draw))


def key():
    c = Canvas(64, 26, alpha=0.0)
    _key(c, 1, 2, 1.0)
    return c


def key_icon():
    c = Canvas(72, 72, alpha=0.0)
    _key(c, 4, 24, 1.05)
    return c


def _rope(c, ox, oy, w, h):
    """A coil of hemp rope with its loose end, like the one in the wreck."""
    def draw(d, s):
        t = max(1, int(w * 0.07 * s))
        for k in range(4):
            m = k * 0.09
            d.ellipse([(ox + w * (0.05 + m)) * s, (oy + h * (0.25 + m * 0.6)) * s,
                       (ox + w * (0.95 - m)) * s, (oy + h * (0.9 - m * 0.6)) * s], outline=255, width=t)
        d.line([(ox + w * 0.5) * s, (oy + h * 0.3) * s, (ox + w * 0.75) * s, (oy + h * 0.05) * s], fill=255, width=t)
    c.over((196, 158, 98), shapes(c.w, c.h, draw))


def rope():
    c = Canvas(50, 28, alpha=0.0)
    _rope(c, 1, 1, 48, 26)
    return c


def rope_icon():
    c = Canvas(72, 72, alpha=0.0)
    _rope(c, 6, 10, 60, 52)
    return c


def _flame(phase):
    c = Canvas(14, 22, alpha=0.0)
    sway = math.sin(phase * math.pi / 2) * 2.0
    c.over((255, 170, 60), polygon(14, 22, [(7 + sway, 1 + phase % 2), (12, 14), (7, 21), (2, 14)]))
    c.over((255, 244, 190), polygon(14, 22, [(7 + sway * 0.5, 8), (9.5, 15), (7, 19), (4.5, 15)]))
    return c


def flame1():
    return _flame(0)


def flame2():
    return _flame(1)


def flame3():
    return _flame(2)


def flame4():
    return _flame(3)


def sign():
    c = Canvas(170, 56, alpha=0.0)
    c.over((150, 112, 70), shapes(170, 56, lambda d, s: d.rounded_rectangle([2 * s, 2 * s, 168 * s, 54 * s],
                                                                             radius=6 * s, fill=255)))
    _box(c, 8, 8, 162, 48, (196, 160, 108))
    return c


def coin_icon():
    c = Canvas(72, 72, alpha=0.0)
    c.over((150, 110, 40), shapes(72, 72, lambda d, s: d.ellipse([10 * s, 10 * s, 62 * s, 62 * s], fill=255)))
    c.over((230, 190, 90), shapes(72, 72, lambda d, s: d.ellipse([14 * s, 14 * s, 58 * s, 58 * s], fill=255)))
    c.add((255, 250, 210), radial(72, 72, 28, 26, 14, power=1.5) * 0.5)
    return c


def signpost():
    c = Canvas(90, 92, alpha=0.0)
    _box(c, 40, 20, 48, 92, WOOD_DARK)
    c.over(WOOD, polygon(90, 92, [(4, 8), (72, 8), (88, 22), (72, 36), (4, 36)]))
    _box(c, 12, 20, 64, 23, WOOD_DARK)
    return c


def arrow_down():
    c = Canvas(40, 56, alpha=0.0)
    c.over((255, 226, 120), polygon(40, 56, [(13, 0), (27, 0), (27, 30), (38, 30), (20, 54), (2, 30), (13, 30)]))
    c.over((120, 70, 20), polygon(40, 56, [(24, 2), (27, 2), (27, 30), (24, 30)]))
    return c


def text_box():
    # The text layer's box and hit area: the text is drawn, not the picture.
    c = Canvas(154, 44, alpha=0.0)
    c.a[:] = 0.004  # just above nothing, so that the box takes the mouse
    return c


def marker():
    # Only its place and size are read: the tutorial box is centred on it.
    return Canvas(4, 4, alpha=0.0)


def _door(w, h, label_text, open_, size=11):
    """A house door in a stone frame under a small plaque: shut, or ajar with
    warm light behind it."""
    c = Canvas(w, h, alpha=0.0)
    _box(c, 0, 18, w, h, (96, 90, 88))  # the stone frame
    _box(c, 4, 22, w - 4, h, (70, 64, 64))
    c.over((96, 90, 88), shapes(w, h, lambda d, s: d.chord([0, 0, w * s, 40 * s], 180, 360, fill=255)))
    x0, y0, x1 = 10, 26, w - 10
    if open_:
        _box(c, x0, y0, x1, h, (255, 196, 110))
        c.add((255, 236, 180), radial(w, h, w / 2, h * 0.6, w * 0.5, h * 0.5, 1.2) * 0.5)
        # The door swung inwards: a dark sliver of planks on the left.
        _planks(c, x0, y0, x0 + (x1 - x0) // 4, h, 6, (96, 60, 40))
    else:
        _planks(c, x0, y0, x1, h, 6, (110, 70, 46))
        for y in (y0 + 18, h - 24):
            _box(c, x0, y, x1, y + 5, IRON)
        c.over((206, 176, 96), shapes(w, h, lambda d, s: d.ellipse([(x1 - 20) * s, (h * 0.55) * s, (x1 - 10) * s,
                                                                    (h * 0.55 + 10) * s], fill=255)))
    plaque = Canvas(w - 16, 18, alpha=0.0)
    plaque.over((196, 160, 108), polygon(w - 16, 18, [(0, 0), (w - 16, 0), (w - 16, 18), (0, 18)]))
    _label(plaque, label_text, size, (60, 36, 20))
    c.paste(plaque, 8, 2)
    return c


def study_door():
    return _door(60, 100, "MASTER", False, 9)


def study_door_open():
    return _door(60, 100, "MASTER", True, 9)


def boathouse():
    return _door(90, 120, "BOATHOUSE", False)


def boathouse_open():
    return _door(90, 120, "BOATHOUSE", True)


def _write_picture(spec, out_root, folder):
    pic = LayeredPicture(out_root, folder, png_level=6)
    painted = harbour.paint(spec.get("seed", 1))
    for layer in spec["layer"]:
        painter = layer["painter"]
        if painter == "backdrop":
            pic.add(layer["name"], painted["back"], 0, 0, layer["z"], opaque=True)
        elif painter == "sea_strip":
            # The painted water in front of the quay, as its own layer.
            pic.add(layer["name"], painted["back"].crop(layer["x"], layer["y"], 1024, 768 - layer["y"]), layer["x"],
                    layer["y"], layer["z"])
        elif painter == "front":
            front, fx, fy = cropped(painted["front"])
            pic.add(layer["name"], front, fx, fy, layer["z"])
        else:
            pic.add(layer["name"], globals()[painter](), layer["x"], layer["y"], layer["z"])
    pic.write()
    return {layer["name"] for layer in spec["layer"]}


def _check_images(name, xml, layers):
    for attr in re.findall(r'\b(?:image|exit)="([^"]*)"', xml):
        if attr and attr not in layers:
            raise ValueError(f"scene {name}: image \"{attr}\" is no layer of its picture")


def make_scene(src, out, name):
    """Writes one scene: its document and its layered picture."""
    with open(os.path.join(src, "scenes", name + ".toml"), "rb") as f:
        spec = tomllib.load(f)
    with open(os.path.join(src, "scenes", name + ".xml"), encoding="cp1252") as f:
        xml = f.read()
    layers = _write_picture(spec, out, os.path.join("data", "scenes", name))
    _check_images(name, xml, layers)
    target = os.path.join(out, "data", "scenes", name + ".xml")
    with open(target, "wb") as f:
        f.write(xml.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252"))


def scene_names(src):
    folder = os.path.join(src, "scenes")
    return sorted(n[:-4] for n in os.listdir(folder) if n.endswith(".xml"))


def make_scenes(src, out):
    names = scene_names(src)
    for name in names:
        make_scene(src, out, name)
    texts = []
    for name in names:
        with open(os.path.join(src, "scenes", name + ".xml"), encoding="cp1252") as f:
            texts.append(f.read())
    action_kinds.check_all_kinds_used(texts)
