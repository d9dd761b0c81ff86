"""The inventory strip: a wooden shelf with five cells, a tab that shows while it is hidden and a line along the
bottom edge, added to the adventure board's interface picture as its "inventory/" layers."""
import os

import numpy as np

from . import ui
from .gui import brass, drop_shadow, rounded
from .paint import Canvas, dilate, radial, save_png, vgradient

PNG_LEVEL = 6


def strip(w, h, rng):
    c = Canvas(w, h, alpha=0.0)
    body = rounded(w, h, 4, 6, w - 6, h + 20, 16)
    drop_shadow(c, body, 0, -3, 6, 0.45)
    c.over(ui.wood(w, h, rng, base=(92, 58, 36)), body)
    c.over((226, 178, 92), np.clip(dilate(body, 2) - body, 0, 1) * 0.9)
    return c


def cell(size):
    c = Canvas(size, size, alpha=0.0)
    well = rounded(size, size, 2, 2, size - 2, size - 2, 12)
    c.over(vgradient(size, size, [(0, (30, 22, 18)), (size, (58, 40, 28))]), well * 0.9)
    c.add((255, 200, 130), radial(size, size, size / 2, size * 0.55, size * 0.45, size * 0.4, 1.6) * well * 0.12)
    c.over((200, 150, 80), np.clip(dilate(well, 1) - well, 0, 1) * 0.8)
    return c


def overlay(w, h, cells):
    """A soft shade at both ends of the cell window, so that cells scroll in and out of view."""
    c = Canvas(w, h, alpha=0.0)
    x0 = cells["x"] - cells["gap"]
    x1 = x0 + 5 * (cells["size"] + cells["gap"])
    xx = np.arange(w, dtype=np.float32)[None, :].repeat(h, 0)
    shade = np.clip(1 - (xx - x0) / 14, 0, 1) + np.clip(1 - (x1 - xx) / 14, 0, 1)
    band = np.zeros((h, w), np.float32)
    band[cells["y"] - 4:cells["y"] + cells["size"] + 4, :] = 1
    c.over((40, 24, 14), np.clip(shade * band, 0, 1) * 0.55)
    return c


def tab(w, h):
    c = Canvas(w, h, alpha=0.0)
    body = rounded(w, h, 1, 1, w - 1, h + 10, 9)
    c.over(brass(w, h), body)
    arrow = np.zeros((h, w), np.float32)
    for y in range(6, h - 5):
        half = (h - 5 - y) * 0.9
        x0, x1 = int(w / 2 - half), int(w / 2 + half)
        arrow[y, max(0, x0):min(w, x1 + 1)] = 1
    c.over((70, 40, 16), arrow)
    return c


def line(w, h):
    c = Canvas(w, h, alpha=0.0)
    c.over(brass(w, h), np.ones((h, w), np.float32))
    return c


def inventory(spec, out_root):
    folder = os.path.join(out_root, spec["folder"])
    ini = os.path.join(folder, "layers.ini")
    lines = []
    if os.path.exists(ini):
        with open(ini, "rb") as f:
            lines = f.read().decode("ascii").replace("\r\n", "\n").strip("\n").split("\n")
    else:
        lines = ["[layers]"]
    present = {entry.split("=")[0].strip().lower() for entry in lines if "=" in entry}

    s, cl = spec["strip"], spec["cells"]
    x, y, w, h = s["x"], s["y"], s["w"], s["h"]
    la, ll = spec["lowarrow"], spec["lowerline"]
    size, gap = cl["size"], cl["gap"]
    layers = [
        ("inventory/lowarrow", tab(la["w"], la["h"]), x + (w - la["w"]) // 2, la["y"], 200),
        ("inventory/inventory", strip(w, h, np.random.default_rng(21)), x, y, 201),
        ("inventory/1", cell(size), x + cl["x"], y + cl["y"], 202),
        ("inventory/2", cell(size), x + cl["x"] + size + gap, y + cl["y"], 202),
        ("inventory/place", overlay(w, h, cl), x, y, 203),
        ("inventory/lowerline", line(w, ll["h"]), x, 768 - ll["h"], 204),
    ]
    for name, canvas, lx, ly, z in layers:
        if name in present:
            continue
        path = os.path.join(folder, name + ".png")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        save_png(canvas.image(), path, PNG_LEVEL)
        lines.append(f"{name} = {int(lx)} {int(ly)} {canvas.w} {canvas.h} 255 0 {z}")
    with open(ini, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))
