"""The adventure board's buttons and hint compass (added to data/gui/interface/ and the compass to
data/gui/hog_interface/), the movie board's layout data/gui/movie/, its fast-forward picture, and the
movies res/movies/<name>.dat with their pictures, from data-src/movies/."""
import math
import os
import shutil

from PIL import Image, ImageDraw, ImageFilter

SS = 4  # supersampling of the drawn shapes
BRASS_HI = (255, 226, 140, 255)
BRASS_LO = (150, 96, 34, 255)
DARK = (43, 14, 0, 255)


def _big(w, h):
    return Image.new("RGBA", (w * SS, h * SS), (0, 0, 0, 0))


def _small(img):
    return img.resize((img.width // SS, img.height // SS), Image.LANCZOS)


def _gradient_fill(mask, top, bottom):
    """An RGBA image: a vertical gradient from top to bottom under the mask's alpha."""
    w, h = mask.size
    grad = Image.new("RGBA", (1, h))
    for y in range(h):
        t = y / max(h - 1, 1)
        grad.putpixel((0, y), tuple(int(top[i] + (bottom[i] - top[i]) * t) for i in range(4)))
    grad = grad.resize((w, h))
    out = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    out.paste(grad, (0, 0), mask)
    return out


def _disc_mask(w, h, inset):
    m = Image.new("L", (w * SS, h * SS), 0)
    ImageDraw.Draw(m).ellipse([inset * SS, inset * SS, (w - inset) * SS - 1, (h - inset) * SS - 1], fill=255)
    return m


def compass_layers(size):
    """The seven compass pictures, each size x size, drawn about the same centre; the arrow points to 12 o'clock."""
    c = size / 2
    layers = {}
    # back: the dark face with a brass rim (what covers the face while recharging).
    rim = _gradient_fill(_disc_mask(size, size, 1), BRASS_HI, BRASS_LO)
    face = _gradient_fill(_disc_mask(size, size, 7), (70, 52, 40, 255), (34, 22, 16, 255))
    back = Image.alpha_composite(rim, face)
    layers["compass/back"] = _small(back)
    # back2: the lit face (the charged part).
    face2 = _gradient_fill(_disc_mask(size, size, 7), (255, 246, 200, 255), (236, 190, 96, 255))
    layers["compass/back2"] = _small(Image.alpha_composite(rim, face2))
    # outer circle: a ring of ticks.
    img = _big(size, size)
    d = ImageDraw.Draw(img)
    for i in range(24):
        a = i * math.pi / 12
        r0, r1 = (c - 9) * SS, (c - (14 if i % 6 else 18)) * SS
        d.line([(c * SS + r0 * math.sin(a), c * SS - r0 * math.cos(a)),
                (c * SS + r1 * math.sin(a), c * SS - r1 * math.cos(a))], fill=DARK, width=SS * 2)
    layers["compass/outercircle"] = _small(img)
    # inner circle: a thin ring with four small studs.
    img = _big(size, size)
    d = ImageDraw.Draw(img)
    r = (c - 21) * SS
    d.ellipse([c * SS - r, c * SS - r, c * SS + r, c * SS + r], outline=(120, 70, 20, 220), width=SS * 2)
    for i in range(4):
        a = i * math.pi / 2 + math.pi / 4
        x, y = c * SS + r * math.sin(a), c * SS - r * math.cos(a)
        d.ellipse([x - 3 * SS, y - 3 * SS, x + 3 * SS, y + 3 * SS], fill=(200, 140, 50, 255))
    layers["compass/innercircle"] = _small(img)
    # arrow: a needle, red half up.
    img = _big(size, size)
    d = ImageDraw.Draw(img)
    tip, tail, half = (c - 14) * SS, (c - 22) * SS, 5 * SS
    cx = cy = c * SS
    d.polygon([(cx, cy - tip), (cx + half, cy), (cx - half, cy)], fill=(190, 30, 20, 255))
    d.polygon([(cx, cy + tail), (cx + half, cy), (cx - half, cy)], fill=(60, 60, 70, 255))
    layers["compass/arrow"] = _small(img)
    # dot: the pin, small, at the centre.
    img = _big(12, 12)
    ImageDraw.Draw(img).ellipse([SS, SS, 11 * SS - 1, 11 * SS - 1], fill=BRASS_LO, outline=DARK, width=SS)
    layers["compass/dot"] = _small(img)
    # glass: a soft highlight over the upper left.
    img = _big(size, size)
    ImageDraw.Draw(img).ellipse([12 * SS, 9 * SS, (size - 26) * SS, (size / 2) * SS], fill=(255, 255, 255, 70))
    layers["compass/_glass"] = _small(img).filter(ImageFilter.GaussianBlur(2))
    return layers


def plate(w, h, lit, symbol):
    """A brass plate button with a dark symbol ("menu": three bars, "book": a closed book)."""
    img = _big(w, h)
    mask = Image.new("L", img.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle([SS, SS, w * SS - SS, h * SS - SS], radius=10 * SS, fill=255)
    top, bottom = (BRASS_HI, BRASS_LO) if not lit else ((255, 246, 190, 255), (206, 150, 60, 255))
    img = Image.alpha_composite(img, _gradient_fill(mask, top, bottom))
    d = ImageDraw.Draw(img)
    d.rounded_rectangle([SS, SS, w * SS - SS, h * SS - SS], radius=10 * SS, outline=DARK, width=2 * SS)
    if symbol == "menu":
        for i in range(3):
            y = (h * (0.32 + 0.18 * i)) * SS
            d.rounded_rectangle([w * 0.28 * SS, y - 2 * SS, w * 0.72 * SS, y + 2 * SS], radius=2 * SS, fill=DARK)
    else:
        x0, y0, x1, y1 = w * 0.26 * SS, h * 0.2 * SS, w * 0.74 * SS, h * 0.8 * SS
        d.rectangle([x0, y0, x1, y1], fill=(110, 40, 20, 255), outline=DARK, width=SS)
        d.line([(x0 + 4 * SS, y0), (x0 + 4 * SS, y1)], fill=DARK, width=SS)
        d.rectangle([x1 - 3 * SS, y0 + 3 * SS, x1, y1 - 3 * SS], fill=(240, 228, 190, 255))
    return _small(img)


def bottom_frame(w, h, holes):
    """The interface picture: a brass band along the bottom edge and rings around the given circles; clear elsewhere."""
    img = _big(w, h)
    d = ImageDraw.Draw(img)
    d.rectangle([0, (h - 8) * SS, w * SS, h * SS], fill=BRASS_LO)
    d.line([(0, (h - 8) * SS), (w * SS, (h - 8) * SS)], fill=BRASS_HI, width=SS)
    for cx, cy, r in holes:
        d.ellipse([(cx - r) * SS, (cy - r) * SS, (cx + r) * SS, (cy + r) * SS], outline=BRASS_LO, width=5 * SS)
        d.ellipse([(cx - r) * SS, (cy - r) * SS, (cx + r) * SS, (cy + r) * SS], outline=BRASS_HI, width=SS)
    return _small(img)


def _append_layers(out_root, folder, layers):
    """Writes the pictures and adds their lines to folder/layers.ini, leaving names already there."""
    path = os.path.join(out_root, folder)
    ini = os.path.join(path, "layers.ini")
    lines = ["[layers]"]
    if os.path.exists(ini):
        with open(ini, "rb") as f:
            lines = f.read().decode("ascii").replace("\r\n", "\n").strip("\n").split("\n")
    present = {e.split("=")[0].strip().lower() for e in lines if "=" in e}
    for name, img, x, y, z in layers:
        if name in present:
            continue
        target = os.path.join(path, name + ".png")
        os.makedirs(os.path.dirname(target), exist_ok=True)
        img.save(target, optimize=False, compress_level=9)
        lines.append(f"{name} = {int(x)} {int(y)} {img.width} {img.height} 255 0 {z}")
    os.makedirs(path, exist_ok=True)
    with open(ini, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))


def _compass_entries(x, y, size, z):
    entries = []
    for i, (name, img) in enumerate(compass_layers(size).items()):
        ox = x + (size - img.width) // 2 if name == "compass/dot" else x
        oy = y + (size - img.height) // 2 if name == "compass/dot" else y
        entries.append((name, img, ox, oy, z + i))
    return entries


def interface_parts(spec, out_root):
    """Menu and journal buttons, the compass and the frame picture of the adventure board."""
    m, b, c = spec["menu"], spec["book"], spec["compass"]
    layers = [
        ("interface", bottom_frame(1024, spec["frame_height"], [tuple(h) for h in spec["rings"]]),
         0, 768 - spec["frame_height"], 300),
        ("menu/menu_in", plate(m["w"], m["h"], False, "menu"), m["x"], m["y"], 310),
        ("menu/menu_gl", plate(m["w"], m["h"], True, "menu"), m["x"], m["y"], 311),
        ("book/book_in", plate(b["w"], b["h"], False, "book"), b["x"], b["y"], 312),
        ("book/book_gl", plate(b["w"], b["h"], True, "book"), b["x"], b["y"], 313),
    ]
    layers += _compass_entries(c["x"], c["y"], c["size"], 320)
    _append_layers(out_root, "data/gui/interface", layers)
    h = spec["hog_compass"]
    _append_layers(out_root, "data/gui/hog_interface", _compass_entries(h["x"], h["y"], h["size"], 320))


def label_plate(w, h, lit, pressed=False):
    img = _big(w, h)
    mask = Image.new("L", img.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle([SS, SS, w * SS - SS, h * SS - SS], radius=h * SS // 2, fill=255)
    top, bottom = ((90, 60, 40, 230), (40, 24, 14, 230)) if not lit else ((140, 96, 56, 240), (70, 44, 22, 240))
    if pressed:
        top, bottom = bottom, top
    img = Image.alpha_composite(img, _gradient_fill(mask, top, bottom))
    ImageDraw.Draw(img).rounded_rectangle([SS, SS, w * SS - SS, h * SS - SS], radius=h * SS // 2,
                                          outline=BRASS_LO, width=2 * SS)
    return _small(img)


def movie_layout(spec, out_root):
    s, f = spec["skip"], spec["fast"]
    layers = [
        ("skip/skip_in", label_plate(s["w"], s["h"], False), s["x"], s["y"], 10),
        ("skip/skip_ac", label_plate(s["w"], s["h"], True), s["x"], s["y"], 11),
        ("skip/skip_pr", label_plate(s["w"], s["h"], True, True), s["x"], s["y"], 12),
        ("fast/fast_in", label_plate(f["w"], f["h"], False), f["x"], f["y"], 13),
        ("fast/fast_pr", label_plate(f["w"], f["h"], True, True), f["x"], f["y"], 14),
    ]
    _append_layers(out_root, "data/gui/movie", layers)
    # The fast-forward sign: two arrows.
    img = _big(96, 48)
    d = ImageDraw.Draw(img)
    for x0 in (14, 46):
        d.polygon([(x0 * SS, 8 * SS), ((x0 + 32) * SS, 24 * SS), (x0 * SS, 40 * SS)], fill=(255, 243, 152, 255))
    path = os.path.join(out_root, "data", "images", "fast.png")
    os.makedirs(os.path.dirname(path), exist_ok=True)
    _small(img).save(path, compress_level=9)


def _sky(w, h, top, bottom, seed_stars=0):
    img = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(img)
    for y in range(h):
        t = y / max(h - 1, 1)
        d.line([(0, y), (w, y)], fill=tuple(int(top[i] + (bottom[i] - top[i]) * t) for i in range(3)))
    for i in range(seed_stars):
        x, y = (i * 7919) % w, (i * 104729) % (h // 2)
        d.point((x, y), fill=(255, 250, 220))
    return img


def movie_picture(kind, w, h):
    """The pictures the demo movies use, drawn plainly."""
    if kind == "dusk":
        img = _sky(w, h, (40, 40, 90), (230, 140, 80))
        d = ImageDraw.Draw(img)
        d.rectangle([0, int(h * 0.62), w, h], fill=(30, 50, 80))
        for i in range(12):
            y = int(h * 0.64) + i * 16
            d.line([(40 + i * 23 % 200, y), (w - 60 - i * 37 % 180, y)], fill=(70, 90, 130), width=2)
        # The sun: round, whatever the picture's proportions.
        cx, cy, r = w * 0.67, h * 0.45, h * 0.07
        d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=(255, 210, 140))
        return img
    if kind == "storm":
        img = _sky(w, h, (20, 22, 30), (70, 76, 90))
        d = ImageDraw.Draw(img)
        d.rectangle([0, int(h * 0.6), w, h], fill=(24, 34, 44))
        for i in range(40):
            x = (i * 137) % w
            d.line([(x, int(h * 0.6) + (i * 53) % 200), (x + 40, int(h * 0.6) + (i * 53) % 200 - 6)],
                   fill=(90, 110, 130), width=3)
        return img
    if kind == "night":
        img = _sky(w, h, (6, 8, 24), (30, 36, 70), seed_stars=160)
        d = ImageDraw.Draw(img)
        d.rectangle([0, int(h * 0.66), w, h], fill=(12, 18, 34))
        return img
    if kind == "boat":
        img = Image.new("RGBA", (220 * SS, 160 * SS), (0, 0, 0, 0))
        d = ImageDraw.Draw(img)
        d.polygon([(10 * SS, 110 * SS), (210 * SS, 110 * SS), (180 * SS, 150 * SS), (40 * SS, 150 * SS)],
                  fill=(90, 50, 24, 255))
        d.line([(110 * SS, 10 * SS), (110 * SS, 112 * SS)], fill=(60, 36, 18, 255), width=4 * SS)
        d.polygon([(114 * SS, 14 * SS), (200 * SS, 100 * SS), (114 * SS, 100 * SS)], fill=(236, 226, 200, 255))
        return _small(img)
    if kind == "lantern":
        img = Image.new("RGBA", (120 * SS, 120 * SS), (0, 0, 0, 0))
        d = ImageDraw.Draw(img)
        for r, a in ((58, 40), (40, 80), (24, 160)):
            d.ellipse([(60 - r) * SS, (60 - r) * SS, (60 + r) * SS, (60 + r) * SS], fill=(255, 200, 110, a))
        return _small(img).filter(ImageFilter.GaussianBlur(3))
    if kind == "black":
        return Image.new("RGB", (w, h), (0, 0, 0))
    if kind == "white":
        return Image.new("RGB", (w, h), (255, 255, 255))
    raise ValueError(f"unknown movie picture kind {kind!r}")


def movies(spec, src, out_root):
    """Pictures of data-src/movies/movies.toml, then every data-src/movies/*.dat copied to res/movies/."""
    w, h = spec["width"], spec["height"]
    folder = os.path.join(out_root, "data", "images", "movies")
    os.makedirs(folder, exist_ok=True)
    for name, kind in sorted(spec["pictures"].items()):
        movie_picture(kind, w, h).save(os.path.join(folder, name + ".png"), compress_level=6)
    target = os.path.join(out_root, "res", "movies")
    os.makedirs(target, exist_ok=True)
    movie_dir = os.path.join(src, "movies")
    for file in sorted(os.listdir(movie_dir)):
        if file.endswith(".dat"):
            shutil.copyfile(os.path.join(movie_dir, file), os.path.join(target, file))


def generate(spec, src, out_root):
    interface_parts(spec["interface"], out_root)
    movie_layout(spec["movie"], out_root)
    movies(spec["movies"], src, out_root)
