"""The close-up of an item found in a hidden-object level: a wooden frame with a lit well for the item, a line
of text below it and a close button on the bottom ledge. Also the mini-games' help dialog."""
import numpy as np

from . import ui
from .gui import LayeredPicture, add_button, brass_corners, drop_shadow, placeholder, rounded
from .paint import Canvas, dilate, radial, vgradient


def closeup_trash(spec, out_root):
    pic = LayeredPicture(out_root, spec["folder"])
    b = spec["back"]
    x, y, w, h = b["x"], b["y"], b["w"], b["h"]
    rng = np.random.default_rng(11)

    dark = Canvas(64, 64, alpha=0.0)
    dark.over((0, 0, 0), np.full((64, 64), 0.5, np.float32))
    pic.add("dark", dark, 0, 0, 0)

    c = Canvas(w, h, alpha=0.0)
    body = rounded(w, h, 6, 4, w - 8, h - 10, 18)
    drop_shadow(c, body)
    c.over(ui.wood(w, h, rng, base=(84, 52, 34)), body)
    panel = rounded(w, h, 20, 18, w - 22, h - 24, 12)
    c.over(vgradient(w, h, [(0, (34, 36, 70)), (h, (14, 14, 34))]), panel * 0.95)
    ix, iy, iw, ih = spec["item"]["rect"]
    c.add((255, 214, 140), radial(w, h, ix + iw / 2, iy + ih / 2, iw * 0.7, ih * 0.7, 1.4) * panel * 0.35)
    c.over((226, 178, 92), np.clip(dilate(panel, 2) - panel, 0, 1))
    brass_corners(c, 6, 4, w - 8, h - 10, 22)
    pic.add("back", c, x, y, 10)

    bh = spec["bottom"]["h"]
    ledge = Canvas(w, bh, alpha=0.0)
    shape = rounded(w, bh, 30, 0, w - 32, bh - 6, 10)
    drop_shadow(ledge, shape, 2, 4, 4, 0.5)
    ledge.over(ui.wood(w, bh, np.random.default_rng(12), base=(70, 44, 30)), shape)
    pic.add("bottom", ledge, x, y + h - 12, 20)

    placeholder(pic, "placeholders/item", x + ix, y + iy, iw, ih)
    tx, ty, tw, th = spec["text"]["rect"]
    placeholder(pic, "placeholders/text", x + tx, y + ty, tw, th)
    cb = spec["close"]
    add_button(pic, "close/close", x + (w - cb["w"]) // 2, y + h - 12 + bh - cb["h"] - cb["bottom"], cb["w"],
               cb["h"], 17)
    pic.write()
