"""Hidden-object levels: data/hog/<level>/ (layers.ini, pic.ini and the layer pictures) and the two
layouts of the hidden-object board, data/gui/hog_interface/ and data/gui/tutorial_hog/.

A level picture is a painted background, a few props, the objects to find ("trash/<name>"), a few
spheres ("spheres/<n>") and foreground pieces that hide parts of some objects. Objects are
recoloured, scaled and turned; each keeps at least a good half of its pixels in view, checked here
against everything drawn above it."""
import math
import os

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

from . import board_ui, gui
from .paint import Canvas, from_image, noise2d, save_jpg, save_png, vgradient

SS = 4  # supersampling of the object drawings
PNG_LEVEL = 6


# --- object drawings: functions of (draw, w, h, colour) on a supersampled canvas ------------------

def _shade(c, f):
    return tuple(max(0, min(255, int(v * f))) for v in c[:3]) + (255,)


def d_cup(d, w, h, c):
    d.rounded_rectangle([w * .18, h * .2, w * .72, h * .9], radius=w * .08, fill=c)
    d.ellipse([w * .62, h * .35, w * .95, h * .7], outline=c, width=int(w * .08))
    d.ellipse([w * .18, h * .14, w * .72, h * .28], fill=_shade(c, .6))


def d_key(d, w, h, c):
    d.ellipse([w * .05, h * .3, w * .4, h * .7], outline=c, width=int(w * .09))
    d.rectangle([w * .38, h * .45, w * .95, h * .56], fill=c)
    d.rectangle([w * .75, h * .55, w * .82, h * .75], fill=c)
    d.rectangle([w * .87, h * .55, w * .94, h * .7], fill=c)


def d_bottle(d, w, h, c):
    d.rounded_rectangle([w * .25, h * .38, w * .75, h * .95], radius=w * .12, fill=c)
    d.rectangle([w * .4, h * .08, w * .6, h * .42], fill=c)
    d.rectangle([w * .37, h * .02, w * .63, h * .1], fill=_shade(c, .5))
    d.rectangle([w * .3, h * .55, w * .7, h * .72], fill=(235, 225, 190, 255))


def d_apple(d, w, h, c):
    d.ellipse([w * .08, h * .2, w * .92, h * .95], fill=c)
    d.line([w * .5, h * .25, w * .55, h * .04], fill=(90, 60, 30, 255), width=int(w * .06))
    d.ellipse([w * .55, h * .05, w * .85, h * .2], fill=(60, 150, 50, 255))


def d_fish(d, w, h, c):
    d.ellipse([w * .05, h * .25, w * .75, h * .75], fill=c)
    d.polygon([(w * .68, h * .5), (w * .98, h * .2), (w * .98, h * .8)], fill=_shade(c, .75))
    d.ellipse([w * .17, h * .38, w * .25, h * .48], fill=(20, 20, 20, 255))


def d_coin(d, w, h, c):
    d.ellipse([w * .05, h * .05, w * .95, h * .95], fill=c)
    d.ellipse([w * .2, h * .2, w * .8, h * .8], outline=_shade(c, .7), width=int(w * .06))


def d_bell(d, w, h, c):
    d.polygon([(w * .5, h * .08), (w * .78, h * .3), (w * .9, h * .85), (w * .1, h * .85), (w * .22, h * .3)], fill=c)
    d.ellipse([w * .42, h * .8, w * .58, h * .97], fill=_shade(c, .6))


def d_candle(d, w, h, c):
    d.rectangle([w * .35, h * .3, w * .65, h * .97], fill=c)
    d.ellipse([w * .4, h * .03, w * .6, h * .3], fill=(255, 200, 60, 255))


def d_book(d, w, h, c):
    d.rectangle([w * .1, h * .15, w * .9, h * .85], fill=c)
    d.rectangle([w * .15, h * .2, w * .85, h * .8], fill=(240, 232, 205, 255))
    d.rectangle([w * .1, h * .15, w * .22, h * .85], fill=_shade(c, .7))


def d_hat(d, w, h, c):
    d.ellipse([w * .02, h * .62, w * .98, h * .92], fill=_shade(c, .8))
    d.rounded_rectangle([w * .25, h * .15, w * .75, h * .8], radius=w * .1, fill=c)
    d.rectangle([w * .25, h * .6, w * .75, h * .7], fill=(180, 40, 40, 255))


def d_anchor(d, w, h, c):
    t = int(w * .09)
    d.line([w * .5, h * .15, w * .5, h * .9], fill=c, width=t)
    d.ellipse([w * .38, h * .02, w * .62, h * .2], outline=c, width=t)
    d.line([w * .28, h * .3, w * .72, h * .3], fill=c, width=t)
    d.arc([w * .1, h * .45, w * .9, h * .95], 0, 180, fill=c, width=t)


def d_shell(d, w, h, c):
    d.pieslice([w * .05, h * .1, w * .95, h * 1.6], 180, 360, fill=c)
    for k in range(5):
        a = math.pi * (k + 1) / 6
        d.line([w * .5, h * .85, w * .5 - math.cos(a) * w * .45, h * .85 - math.sin(a) * h * .7], fill=_shade(c, .7),
               width=int(w * .04))


def d_spoon(d, w, h, c):
    d.ellipse([w * .3, h * .02, w * .7, h * .4], fill=c)
    d.rectangle([w * .46, h * .35, w * .54, h * .97], fill=c)


def d_feather(d, w, h, c):
    d.ellipse([w * .3, h * .05, w * .7, h * .85], fill=c)
    d.line([w * .5, h * .1, w * .5, h * .98], fill=_shade(c, .5), width=int(w * .05))


def d_ring(d, w, h, c):
    d.ellipse([w * .12, h * .25, w * .88, h * .95], outline=c, width=int(w * .13))
    d.polygon([(w * .5, h * .02), (w * .68, h * .18), (w * .5, h * .32), (w * .32, h * .18)], fill=(150, 220, 255, 255))


def d_scissors(d, w, h, c):
    t = int(w * .07)
    d.line([w * .2, h * .1, w * .75, h * .75], fill=(190, 190, 200, 255), width=t)
    d.line([w * .8, h * .1, w * .25, h * .75], fill=(190, 190, 200, 255), width=t)
    d.ellipse([w * .05, h * .68, w * .4, h * .98], outline=c, width=t)
    d.ellipse([w * .6, h * .68, w * .95, h * .98], outline=c, width=t)


def d_pear(d, w, h, c):
    d.ellipse([w * .15, h * .4, w * .85, h * .97], fill=c)
    d.ellipse([w * .3, h * .12, w * .7, h * .6], fill=c)
    d.line([w * .5, h * .15, w * .52, h * .0], fill=(90, 60, 30, 255), width=int(w * .06))


def d_compass(d, w, h, c):
    d.ellipse([w * .05, h * .05, w * .95, h * .95], fill=c)
    d.ellipse([w * .15, h * .15, w * .85, h * .85], fill=(240, 235, 215, 255))
    d.polygon([(w * .5, h * .2), (w * .56, h * .5), (w * .5, h * .8), (w * .44, h * .5)], fill=(200, 30, 30, 255))


def d_hammer(d, w, h, c):
    d.rectangle([w * .44, h * .25, w * .56, h * .97], fill=(140, 95, 55, 255))
    d.rectangle([w * .15, h * .05, w * .85, h * .28], fill=c)


def d_glasses(d, w, h, c):
    t = int(w * .06)
    d.ellipse([w * .03, h * .3, w * .45, h * .75], outline=c, width=t)
    d.ellipse([w * .55, h * .3, w * .97, h * .75], outline=c, width=t)
    d.line([w * .45, h * .45, w * .55, h * .45], fill=c, width=t)


def d_pipe(d, w, h, c):
    d.rounded_rectangle([w * .6, h * .3, w * .9, h * .85], radius=w * .06, fill=c)
    d.line([w * .05, h * .35, w * .62, h * .55], fill=_shade(c, .6), width=int(w * .08))


def d_teapot(d, w, h, c):
    d.ellipse([w * .2, h * .3, w * .8, h * .95], fill=c)
    d.polygon([(w * .78, h * .55), (w * .98, h * .3), (w * .98, h * .4), (w * .8, h * .75)], fill=c)
    d.arc([w * .0, h * .4, w * .35, h * .8], 90, 270, fill=c, width=int(w * .07))
    d.ellipse([w * .42, h * .18, w * .58, h * .34], fill=_shade(c, .7))


def d_star(d, w, h, c):
    pts = []
    for k in range(10):
        r = (.48 if k % 2 == 0 else .2)
        a = -math.pi / 2 + k * math.pi / 5
        pts.append((w * (.5 + r * math.cos(a)), h * (.52 + r * math.sin(a))))
    d.polygon(pts, fill=c)


def d_mushroom(d, w, h, c):
    d.rectangle([w * .4, h * .45, w * .6, h * .95], fill=(235, 225, 200, 255))
    d.pieslice([w * .05, h * .05, w * .95, h * .85], 180, 360, fill=c)
    for px, py in ((.3, .3), (.55, .22), (.72, .35)):
        d.ellipse([w * (px - .05), h * (py - .05), w * (px + .05), h * (py + .05)], fill=(250, 250, 240, 255))


def d_clock(d, w, h, c):
    d.ellipse([w * .05, h * .05, w * .95, h * .95], fill=c)
    d.ellipse([w * .14, h * .14, w * .86, h * .86], fill=(245, 240, 225, 255))
    d.line([w * .5, h * .5, w * .5, h * .22], fill=(20, 20, 20, 255), width=int(w * .05))
    d.line([w * .5, h * .5, w * .7, h * .55], fill=(20, 20, 20, 255), width=int(w * .05))


def d_leaf(d, w, h, c):
    # Pointed at both ends with a stalk, so that it does not pass for a lemon.
    d.polygon([(w * .08, h * .55), (w * .3, h * .22), (w * .62, h * .16), (w * .9, h * .3),
               (w * .7, h * .66), (w * .4, h * .8)], fill=c)
    d.line([w * .0, h * .66, w * .9, h * .3], fill=_shade(c, .6), width=max(1, int(w * .04)))


def d_rope(d, w, h, c):
    t = int(w * .07)
    for k in range(4):
        m = k * .09
        d.ellipse([w * (.05 + m), h * (.25 + m * .6), w * (.95 - m), h * (.9 - m * .6)], outline=c, width=t)
    d.line([w * .5, h * .3, w * .75, h * .05], fill=c, width=t)


DRAW = {name[2:]: fn for name, fn in globals().items() if name.startswith("d_")}


def sprite(kind, size, colour, angle, flip):
    """The object's picture: drawn large, turned, mirrored, with a dark outline, then scaled down."""
    w, h = size
    big = Image.new("RGBA", (w * SS, h * SS), (0, 0, 0, 0))
    DRAW[kind](ImageDraw.Draw(big), w * SS, h * SS, tuple(colour) + (255,))
    alpha = big.split()[3]
    outline = alpha.filter(ImageFilter.MaxFilter(2 * SS + 1))
    out = Image.new("RGBA", big.size, (40, 22, 10, 0))
    out.putalpha(outline)
    out.alpha_composite(big)
    if flip:
        out = out.transpose(Image.FLIP_LEFT_RIGHT)
    out = out.rotate(angle, resample=Image.BICUBIC, expand=True)
    out = out.resize((max(1, out.width // SS), max(1, out.height // SS)), Image.LANCZOS)
    return out.crop(out.getbbox())


# --- level pictures ------------------------------------------------------------------------------

def background(w, h, rng, top, bottom, planks):
    c = Canvas(w, h)
    c.over(vgradient(w, h, [(0, top), (h, bottom)]), np.ones((h, w), np.float32))
    n = noise2d(w, h, rng, cell=24, octaves=3)
    c.rgb *= (0.85 + 0.25 * n)[..., None]
    # Boards or shelves: darker bands with lighter edges.
    for y in planks:
        c.rgb[y:y + 6] *= 0.55
        c.rgb[y + 6:y + 9] = np.minimum(c.rgb[y + 6:y + 9] * 1.35, 1)
    return c


def prop(w, h, rng, colour, kind):
    """A large piece of scenery: a crate, a barrel, a sail cloth, a table."""
    img = Image.new("RGBA", (w * 2, h * 2), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    col = tuple(colour) + (255,)
    dark = _shade(colour, .6)
    if kind == "crate":
        d.rectangle([0, 0, w * 2 - 1, h * 2 - 1], fill=col, outline=dark, width=8)
        d.line([0, 0, w * 2, h * 2], fill=dark, width=10)
    elif kind == "barrel":
        d.ellipse([0, 0, w * 2 - 1, h * 2 - 1], fill=col)
        for k in (0.25, 0.5, 0.75):
            d.line([0, h * 2 * k, w * 2, h * 2 * k], fill=dark, width=8)
    elif kind == "cloth":
        d.polygon([(0, 0), (w * 2, h * 0.3), (w * 1.8, h * 2), (w * 0.2, h * 1.7)], fill=col)
        for k in range(1, 6):
            d.line([w * 0.35 * k, 0, w * 0.3 * k, h * 2], fill=dark, width=6)
    else:  # table
        d.rectangle([0, 0, w * 2, h * 0.5], fill=col)
        d.rectangle([w * 0.1, h * 0.5, w * 0.25, h * 2], fill=dark)
        d.rectangle([w * 1.75, h * 0.5, w * 1.9, h * 2], fill=dark)
    img = img.resize((w, h), Image.LANCZOS)
    arr = np.asarray(img, np.float32) / 255
    n = noise2d(w, h, rng, cell=6, octaves=2)
    arr[..., :3] *= (0.85 + 0.3 * n)[..., None]
    return Image.fromarray((np.clip(arr, 0, 1) * 255 + 0.5).astype(np.uint8), "RGBA")


def orb(r, colour):
    c = Image.new("RGBA", (2 * r, 2 * r), (0, 0, 0, 0))
    d = ImageDraw.Draw(c)
    for k in range(r, 0, -1):
        f = 0.6 + 0.6 * (1 - k / r)
        d.ellipse([r - k, r - k, r + k, r + k], fill=_shade(colour, f))
    return c


def alpha_of(img):
    return np.asarray(img, np.float32)[..., 3] / 255


class Level:
    def __init__(self, out_root, name, w, h):
        self.name = name
        self.path = os.path.join(out_root, "data", "hog", name)
        self.w, self.h = w, h
        self.layers = []  # (key, x, y, w, h, opacity, z)
        self.cover = np.zeros((h, w), np.float32)  # what is drawn above the next, lower layer

    def save(self, key, img, x, y, z, opacity=255, jpg=False):
        full = os.path.join(self.path, key + (".jpg" if jpg else ".png"))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        if jpg:
            save_jpg(img, full, quality=88)
        else:
            save_png(img, full, PNG_LEVEL)
        self.layers.append((key, int(x), int(y), img.width, img.height, opacity, z))

    def cover_with(self, img, x, y):
        a = alpha_of(img)
        self.cover[y:y + a.shape[0], x:x + a.shape[1]] = np.maximum(self.cover[y:y + a.shape[0], x:x + a.shape[1]], a)

    def visible_share(self, img, x, y):
        a = alpha_of(img)
        under = self.cover[y:y + a.shape[0], x:x + a.shape[1]]
        total = a.sum()
        return float((a * (1 - under)).sum() / total) if total else 0.0

    def write_layers(self):
        lines = [f"[{self.name}]"]
        # Drawn and stored in z order: the picture sorts them again anyway.
        for key, x, y, w, h, opacity, z in sorted(self.layers, key=lambda l: l[6]):
            lines.append(f"{key} = {x} {y} {w} {h} 0 {opacity} {z}")
        with open(os.path.join(self.path, "layers.ini"), "wb") as f:
            f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))


def make_level(out_root, spec, seed):
    rng = np.random.default_rng(seed)
    W, H = spec["width"], spec["height"]
    lv = Level(out_root, spec["name"], W, H)
    # Foreground pieces first (highest z), then objects from the top down, each kept in view.
    z = 90
    for i, f in enumerate(spec.get("front", [])):
        img = prop(f["w"], f["h"], rng, f["colour"], f["kind"])
        lv.save(f"front{i}", img, f["x"], f["y"], z)
        lv.cover_with(img, f["x"], f["y"])
        z -= 1
    placed = []
    pic_lines = [f"[{spec['name']}]"]
    objects = spec["object"]
    z = 80
    for index, obj in enumerate(objects):
        # Every third object is placed partly behind something.
        hide = obj.get("hide", index % 3 == 0)
        kind = obj.get("kind", obj["name"])
        size = int(obj.get("size", 56) * rng.uniform(0.85, 1.2))
        img = sprite(kind, (size, size), obj["colour"], float(rng.uniform(-50, 50)), bool(rng.integers(0, 2)))
        for attempt in range(400):
            x = int(rng.integers(10, W - img.width - 10))
            y = int(rng.integers(10, H - img.height - 10))
            if any(abs(x - px) < 24 and abs(y - py) < 24 for px, py in placed):
                continue
            share = lv.visible_share(img, x, y)
            if 0.55 <= share <= (0.9 if attempt < 300 and hide else 1.0):
                break
        else:
            raise RuntimeError(f"no place for {obj['key']} in {spec['name']}")
        placed.append((x, y))
        key = f"trash/{obj['key']}"
        lv.save(key, img, x, y, z, opacity=obj.get("opacity", 255))
        lv.cover_with(img, x, y)
        pic_lines.append(f"{key} = {obj['name']},1.00,0,1.00")
        z -= 1
    for i in range(spec.get("spheres", 0)):
        img = orb(12, (120, 200, 255))
        for _ in range(400):
            x = int(rng.integers(20, W - 40))
            y = int(rng.integers(20, H - 40))
            if lv.visible_share(img, x, y) >= 0.9:
                break
        lv.save(f"spheres/orb{i}", img, x, y, 30)
        lv.cover_with(img, x, y)
    # Clutter under the objects, of kinds that are not to be found here: a busy picture that
    # never shows a second copy of a listed object.
    used = {o.get("kind", o["name"]) for o in objects}
    spare = sorted(set(DRAW) - used)
    for i in range(spec.get("clutter", 0)):
        kind = spare[int(rng.integers(0, len(spare)))]
        col = tuple(int(v) for v in rng.integers(50, 200, 3))
        size = int(rng.integers(34, 64))
        img = sprite(kind, (size, size), col, float(rng.uniform(-80, 80)), bool(rng.integers(0, 2)))
        x = int(rng.integers(0, W - img.width))
        y = int(rng.integers(0, H - img.height))
        lv.save(f"clutter{i}", img, x, y, 22 + i % 6)
    z = 20
    for i, p in enumerate(spec.get("prop", [])):
        img = prop(p["w"], p["h"], rng, p["colour"], p["kind"])
        lv.save(f"prop{i}", img, p["x"], p["y"], z)
        z -= 1
    # A flickering glow: two frames of one element, animated by pic.ini.
    if "flame" in spec:
        fx, fy = spec["flame"]
        for k, r in enumerate((14, 17)):
            glow = Image.new("RGBA", (2 * r, 2 * r), (0, 0, 0, 0))
            ImageDraw.Draw(glow).ellipse([0, 0, 2 * r - 1, 2 * r - 1], fill=(255, 190, 80, 150))
            lv.save(f"flame/{k + 1}", glow.filter(ImageFilter.GaussianBlur(3)), fx - r, fy - r, 25, opacity=200)
        pic_lines.append("flame = ,0.60,1,1.00")
    bg = background(W, H, rng, spec["top"], spec["bottom"], spec.get("planks", []))
    lv.save("back", bg.image_rgb(), 0, 0, 1, jpg=True)
    lv.write_layers()
    with open(os.path.join(lv.path, "pic.ini"), "wb") as f:
        f.write(("\r\n".join(pic_lines) + "\r\n").encode("ascii"))


# --- the board's layouts -------------------------------------------------------------------------

def hog_interface(spec, out_root):
    """The board's frame ("interface", a picture widget drawn over the level, with holes for the picture and
    the notepad), the notepad's paper under the notepad's lines, and the menu button."""
    pic = gui.LayeredPicture(out_root, "data/gui/hog_interface")
    W, H = 1024, 768
    rng = np.random.default_rng(31)
    from . import ui
    x0, y0, x1, y1 = spec["picture"]
    nx, ny, nw, nh = spec["notepad"]
    px0, py0, px1, py1 = nx - 10, ny - 6, nx + nw + 10, ny + nh + 4
    mask = np.ones((H, W), np.float32)
    mask[y0:y1, x0:x1] = 0
    mask[py0:py1, px0:px1] = 0
    # The menu button is drawn under the frame: the frame leaves its place free.
    bx, by, bw, bh = spec["menu"]
    mask[max(by, 0):by + bh, bx:bx + bw] = 0
    # The hint compass stands in a round hole with a brass rim.
    cx, cy, cr = spec["compass"]
    yy, xx = np.mgrid[0:H, 0:W]
    dist = np.hypot(xx - cx, yy - cy)
    mask[dist < cr] = 0
    frame = Canvas(W, H, alpha=0.0)
    frame.over(ui.wood(W, H, rng, base=(70, 46, 30)), mask)
    for (a0, b0, a1, b1) in ((x0, y0, x1, y1), (px0, py0, px1, py1)):
        edge = np.zeros((H, W), np.float32)
        edge[b0 - 4:b1 + 4, a0 - 4:a1 + 4] = 1
        edge[b0:b1, a0:a1] = 0
        frame.over((226, 178, 92), edge)
    frame.over((226, 178, 92), ((dist >= cr) & (dist < cr + 4)).astype(np.float32))
    pic.add("interface", frame, 0, 0, 10)
    pw, ph = px1 - px0, py1 - py0
    paper = Canvas(pw, ph, alpha=1.0)
    n = noise2d(pw, ph, rng, cell=18, octaves=3)
    paper.rgb[:] = np.array((236, 220, 180), np.float32) / 255
    paper.rgb *= (0.92 + 0.1 * n)[..., None]
    pic.add("paper", paper, px0, py0, 5)
    bx, by, bw, bh = spec["menu"]
    # The same brass plate with three bars as on the adventure board.
    for lit, name in ((False, "menu/menu_in"), (True, "menu/menu_gl")):
        pic.add(name, from_image(board_ui.plate(bw, bh, lit, "menu")), bx, by, 50)
    gui.placeholder(pic, "inventory/place", 0, 0, 4, 4)
    pic.write()


def tutorial_hog(spec, out_root):
    """The tutorial's arrows ("tut/a_NN") and the places its boxes point at ("tut/b_NN")."""
    pic = gui.LayeredPicture(out_root, "data/gui/tutorial_hog")
    for key, (x, y, w, h) in spec["boxes"].items():
        img = Image.new("RGBA", (w * 2, h * 2), (0, 0, 0, 0))
        d = ImageDraw.Draw(img)
        if "/a_" in key:  # an arrow pointing down
            d.polygon([(w * 0.6, 0), (w * 1.4, 0), (w * 1.4, h * 1.1), (w * 1.9, h * 1.1), (w, h * 2),
                       (w * 0.1, h * 1.1), (w * 0.6, h * 1.1)], fill=(255, 214, 110, 235), outline=(90, 50, 10, 255))
        else:  # a soft ring
            d.ellipse([4, 4, w * 2 - 5, h * 2 - 5], outline=(255, 230, 150, 200), width=8)
        c = Image.new("RGBA", (w, h))
        c = img.resize((w, h), Image.LANCZOS)
        full = os.path.join(out_root, "data/gui/tutorial_hog", key + ".png")
        os.makedirs(os.path.dirname(full), exist_ok=True)
        save_png(c, full, PNG_LEVEL)
        pic.layers.append((key, x, y, w, h, 60))
    pic.write()


def generate(spec, out_root):
    for i, level in enumerate(spec["level"]):
        make_level(out_root, level, 300 + i)
    hog_interface(spec["interface"], out_root)
    tutorial_hog(spec["tutorial"], out_root)
