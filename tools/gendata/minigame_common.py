"""What the mini-game demo scenes share: the close-up's frame, simple painted
shapes, the main view's puzzle objects, the scene's picture and XML, and the
additions to res\\sounds.ini, res\\lang.ini and the harbour's cluster in
res\\game.ini."""
import os

from .paint import Canvas, font, polygon, radial, shapes, text_mask, vgradient
from .screens import LayeredPicture

BACK_X, BACK_Y, BACK_W, BACK_H = 262, 150, 500, 420


def disc(size, col, ring=None, alpha=1.0):
    c = Canvas(size, size, alpha=0.0)
    c.over(col, shapes(size, size, lambda d, s: d.ellipse([1 * s, 1 * s, (size - 1) * s, (size - 1) * s],
                                                          fill=int(255 * alpha))))
    if ring:
        c.over(ring, shapes(size, size, lambda d, s: d.ellipse([1 * s, 1 * s, (size - 1) * s, (size - 1) * s],
                                                               outline=255, width=3 * s)))
    return c


def rect(w, h, col, alpha=1.0, border=None):
    c = Canvas(w, h, col, alpha)
    if border:
        for pts in ([(0, 0), (w, 0), (w, 3), (0, 3)], [(0, h - 3), (w, h - 3), (w, h), (0, h)],
                    [(0, 0), (3, 0), (3, h), (0, h)], [(w - 3, 0), (w, 0), (w, h), (w - 3, h)]):
            c.over(border, polygon(w, h, pts))
    return c


def label(c, text, size, col, cx=None, cy=None):
    mask, _box = text_mask(text, font("DejaVuSans-Bold.ttf", size), pad=2)
    mh, mw = mask.shape
    x = int((c.w if cx is None else 2 * cx) / 2 - mw / 2)
    y = int((c.h if cy is None else 2 * cy) / 2 - mh / 2)
    c.over(col, mask, x, y)
    return c


def closeup_back(top, bottom):
    c = Canvas(BACK_W, BACK_H)
    c.rgb = vgradient(BACK_W, BACK_H, [(0, top), (BACK_H, bottom)])
    c.rgb *= (1.0 - 0.45 * (1 - radial(BACK_W, BACK_H, BACK_W / 2, BACK_H / 2, BACK_W * 0.7, BACK_H * 0.7,
                                        0.7)))[..., None]
    return c


def object_box(w, h, col, text, border):
    return label(rect(w, h, col, border=border), text, 16, (250, 236, 200))


def _icon_safe(c, d, open_):
    d(rect(96, 72, (86, 90, 100), border=(40, 40, 48)), 12, 4)
    if open_:
        d(rect(72, 54, (24, 22, 26)), 24, 13)
        d(rect(16, 60, (110, 114, 126), border=(40, 40, 48)), 8, 10)
        d(rect(30, 16, (226, 208, 160)), 45, 44)  # the chart inside
    else:
        d(disc(34, (150, 150, 160), (60, 60, 70)), 43, 23)
        d(rect(4, 12, (200, 40, 30)), 58, 25)


def _icon_bureau(c, d, open_):
    d(rect(108, 14, (120, 78, 48), border=(60, 36, 24)), 6, 6)
    d(rect(96, 58, (104, 64, 40), border=(60, 36, 24)), 12, 20)
    for k in range(4):
        d(disc(14, (200, 160, 90), (90, 60, 30)), 22 + 21 * k, 30)
    if open_:
        d(rect(60, 16, (140, 96, 60), border=(60, 36, 24)), 30, 54)
        d(rect(20, 8, (236, 226, 196)), 50, 58)  # the letter


def _icon_door(c, d, open_):
    d(rect(56, 78, (90, 86, 84)), 32, 2)
    if open_:
        d(rect(44, 70, (255, 200, 120)), 38, 8)
        d(rect(12, 70, (96, 60, 40)), 38, 8)
    else:
        d(rect(44, 70, (110, 70, 46), border=(62, 40, 30)), 38, 8)
        d(disc(8, (206, 176, 96)), 72, 40)
        d(rect(4, 10, (30, 20, 16)), 74, 50)  # the keyhole


def _icon_tiles(c, d, open_):
    d(rect(84, 76, (70, 60, 80), border=(40, 32, 44)), 18, 2)
    for i in range(9):
        col = (120 + 12 * i, 110, 160 - 8 * i) if not open_ else (170, 150 + 8 * i, 110)
        d(rect(22, 20, col, border=(40, 32, 44)), 25 + 24 * (i % 3), 8 + 22 * (i // 3))


def _icon_musicbox(c, d, open_):
    d(rect(90, 44, (140, 100, 60), border=(70, 46, 26)), 14, 34)
    if open_:
        d(rect(90, 30, (120, 84, 50), border=(70, 46, 26)), 14, 4)
        for k in range(3):
            d(disc(10, (250, 236, 200)), 30 + 24 * k, 48 - 6 * k)
    else:
        d(rect(94, 12, (160, 116, 70), border=(70, 46, 26)), 12, 26)
    d(rect(14, 4, (200, 170, 90)), 104, 52)
    d(rect(4, 14, (200, 170, 90)), 114, 44)  # the crank


def _icon_jigsaw(c, d, open_):
    d(rect(100, 72, (90, 70, 50), border=(50, 36, 24)), 10, 4)
    for i in range(6):
        col = (110 + 20 * (i % 3), 140 - 10 * i, 90 + 15 * (i // 3))
        shift = 0 if open_ else (i * 7) % 9 - 4
        d(rect(28, 28, col, border=(40, 30, 20)), 18 + 29 * (i % 3) + shift, 10 + 29 * (i // 3) - shift)


def _icon_burner(c, d, open_):
    d(rect(40, 46, (170, 130, 60), border=(90, 64, 26)), 40, 32)
    d(rect(16, 16, (150, 110, 50), border=(90, 64, 26)), 52, 18)
    if open_:
        flame = Canvas(30, 30, alpha=0.0)
        flame.over((255, 170, 60), polygon(30, 30, [(15, 0), (28, 26), (2, 26)]))
        flame.over((255, 236, 150), polygon(30, 30, [(15, 10), (22, 26), (8, 26)]))
        d(flame, 45, 0)


def _icon_telescope(c, d, open_):
    tube = Canvas(100, 40, alpha=0.0)
    tube.over((120, 100, 70), polygon(100, 40, [(4, 26), (92, 4), (96, 14), (8, 36)]))
    tube.over((200, 170, 90), polygon(100, 40, [(84, 6), (92, 4), (96, 14), (88, 16)]))
    d(tube, 10, 8)
    legs = Canvas(60, 44, alpha=0.0)
    for pts in ([(28, 0), (32, 0), (8, 44), (4, 44)], [(28, 0), (32, 0), (56, 44), (52, 44)],
                [(28, 0), (32, 0), (32, 44), (28, 44)]):
        legs.over((70, 50, 36), polygon(60, 44, pts))
    d(legs, 30, 34)
    if open_:
        d(disc(14, (255, 250, 220)), 96, 6)


def _icon_winch(c, d, open_):
    d(rect(12, 60, (90, 80, 66)), 16, 16)
    d(rect(12, 60, (90, 80, 66)), 92, 16)
    d(rect(72, 30, (130, 120, 100), border=(60, 54, 44)), 28, 30)
    for k in range(6):
        d(rect(4, 30, (80, 74, 62)), 34 + 11 * k, 30)
    chain = Canvas(8, 40, alpha=0.0)
    for y in range(0, 40, 8):
        chain.over((170, 170, 180), shapes(8, 40, lambda dd, s, y=y: dd.ellipse([0, y * s, 8 * s, (y + 8) * s],
                                                                               outline=255, width=2 * s)))
    d(chain, 60, 60 if not open_ else 40)


def _icon_sarcophagus(c, d, open_):
    body = Canvas(70, 80, alpha=0.0)
    outline = [(18, 0), (52, 0), (66, 22), (58, 80), (12, 80), (4, 22)]
    if open_:
        body.over((40, 30, 20), polygon(70, 80, outline))
        body.over((170, 150, 80), polygon(70, 80, [(0, 70), (20, 44), (70, 60), (58, 80)]))
    else:
        body.over((170, 150, 80), polygon(70, 80, outline))
        body.over((220, 200, 130), shapes(70, 80, lambda dd, s: dd.ellipse([22 * s, 6 * s, 48 * s, 30 * s],
                                                                          fill=255)))
        body.over((60, 40, 20), polygon(70, 80, [(28, 16), (32, 16), (32, 19), (28, 19)]))
        body.over((60, 40, 20), polygon(70, 80, [(38, 16), (42, 16), (42, 19), (38, 19)]))
    d(body, 25, 0)


ICONS = {"safe": _icon_safe, "bureau": _icon_bureau, "door": _icon_door, "tiles": _icon_tiles,
         "musicbox": _icon_musicbox, "jigsaw": _icon_jigsaw, "burner": _icon_burner, "telescope": _icon_telescope,
         "winch": _icon_winch, "sarcophagus": _icon_sarcophagus}


def object_picture(name, text, open_, border):
    """A puzzle's object: its drawing on a faint shadow that takes the mouse,
    over a plaque with its name."""
    c = Canvas(120, 100, alpha=0.0)
    c.over((10, 8, 6), shapes(120, 100, lambda d, s: d.rounded_rectangle([0, 0, 120 * s, 82 * s], radius=10 * s,
                                                                         fill=255)) * 0.35)

    def draw(piece, x, y):
        c.paste(piece, int(x), int(y))
    ICONS[name](c, draw, open_)
    plaque = label(rect(110, 18, (196, 160, 108), border=border), text, 11, (60, 36, 20))
    c.paste(plaque, 5, 82)
    return c


def exit_sign(text):
    """A wooden arrow pointing out of the room, with the place it leads to."""
    w, h = 120, 60
    c = Canvas(w, h, alpha=0.0)
    c.over((62, 40, 30), polygon(w, h, [(0, 30), (26, 2), (26, 12), (118, 12), (118, 48), (26, 48), (26, 58)]))
    c.over((150, 108, 68), polygon(w, h, [(5, 30), (28, 8), (28, 16), (114, 16), (114, 44), (28, 44), (28, 52)]))
    return label(c, text, 14, (50, 30, 18), 70, 30)


def add_objects(pic, objects, border):
    """Each puzzle's object in the main view, shut and open."""
    for name, col, text, x, y in objects:
        if name in ICONS:
            pic.add(f"main/{name}", object_picture(name, text, False, border), x, y, 10)
            pic.add(f"main/{name}_open", object_picture(name, text, True, border), x, y, 10)
        else:
            pic.add(f"main/{name}", object_box(120, 100, col, text, border), x, y, 10)
            pic.add(f"main/{name}_open", object_box(120, 100, tuple(min(255, v + 60) for v in col), text + " ok",
                                                    border), x, y, 10)


def add_tiles(pic, whole, name, cols, count, tile, edge_col, x0, y0, z, numbered=False):
    """Cuts whole into count square tiles, cols to a row, each with a dark top and left edge."""
    for i in range(count):
        x, y = (i % cols) * tile, (i // cols) * tile
        piece = whole.crop(x, y, tile, tile)
        for edge in ([(0, 0), (tile, 0), (tile, 2), (0, 2)], [(0, 0), (2, 0), (2, tile), (0, tile)]):
            piece.over(edge_col, polygon(tile, tile, edge))
        if numbered:
            label(piece, str(i + 1), 28, (255, 250, 230), tile // 2, tile // 2)
        pic.add(f"{name}/{i + 1:02d}", piece, x0 + x, y0 + y, z)


def write_scene(src, out, scene, layer_makers):
    pic = LayeredPicture(out, os.path.join("data", "scenes", scene), png_level=6)
    for make in layer_makers:
        make(pic)
    pic.write()
    with open(os.path.join(src, "minigames", scene + ".xml"), encoding="cp1252") as f:
        xml = f.read()
    with open(os.path.join(out, "data", "scenes", scene + ".xml"), "wb") as f:
        f.write(xml.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252"))


def add_sounds(out, sounds):
    path = os.path.join(out, "res", "sounds.ini")
    with open(path, "rb") as f:
        lines = f.read().decode("ascii").split("\r\n")
    names = {line.split("=", 1)[0].strip() for line in lines if "=" in line}
    extra = [f"{name}={file}" for name, file in sounds.items() if name not in names]
    at = lines.index("[sounds]") + 1
    lines[at:at] = extra
    with open(path, "wb") as f:
        f.write("\r\n".join(lines).encode("ascii"))


def add_to_cluster(out, scene):
    path = os.path.join(out, "res", "game.ini")
    with open(path, "rb") as f:
        text = f.read().decode("cp1252")
    lines = text.split("\r\n")
    for i, line in enumerate(lines):
        key, _, value = line.partition("=")
        if key.strip().lower() == "harbour" and scene not in [v.strip() for v in value.split(",")]:
            lines[i] = line + ", " + scene
    with open(path, "wb") as f:
        f.write("\r\n".join(lines).encode("cp1252"))


def add_texts(out, texts):
    """Adds {section: {key: text}} to res\\lang.ini where a key is missing."""
    path = os.path.join(out, "res", "lang.ini")
    with open(path, "rb") as f:
        lines = f.read().decode("utf-16").split("\r\n")
    for section, entries in texts.items():
        at = lines.index(f"[{section}]") + 1
        end = next((i for i in range(at, len(lines)) if lines[i].startswith("[")), len(lines))
        present = {line.split("=", 1)[0].strip() for line in lines[at:end] if "=" in line}
        lines[at:at] = [f"{key}={text}" for key, text in entries.items() if key not in present]
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le"))
