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


def add_objects(pic, objects, border):
    """Each puzzle's object in the main view, shut and open."""
    for name, col, text, x, y in objects:
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
