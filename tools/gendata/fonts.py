"""Bitmap fonts: glyphs rendered from a TrueType face into PNG pages, with a BMFont text descriptor."""
import numpy as np
from PIL import Image, ImageDraw

from .paint import font, save_png

EXTRA = "\u2018\u2019\u201c\u201d\u2013\u2014\u2026\u20ac\u2022\u2122"
CHARSET = [chr(c) for c in range(32, 127)] + [chr(c) for c in range(160, 256)] + list(EXTRA)
KERN_CHARS = "ATVWYFLPRKaeocdgqrvwyj.,"


def make(face_file, size, out_base, face_name, bold, page=512, leading=0.15):
    """Writes out_base + '.fnt' and its pages out_base + '_<n>.png'; returns the file names."""
    fnt = font(face_file, size)
    ascent, descent = fnt.getmetrics()
    line_height = int(round((ascent + descent) * (1 + leading)))
    glyphs = []
    for ch in CHARSET:
        box = fnt.getbbox(ch)
        adv = int(round(fnt.getlength(ch)))
        w, h = max(0, box[2] - box[0]), max(0, box[3] - box[1])
        if ch == " " or w == 0 or h == 0:
            glyphs.append((ch, None, 0, 0, 0, 0, adv))
            continue
        img = Image.new("L", (w + 2, h + 2), 0)
        ImageDraw.Draw(img).text((1 - box[0], 1 - box[1]), ch, font=fnt, fill=255)
        glyphs.append((ch, img, box[0] - 1, box[1] - 1, w + 2, h + 2, adv))
    # Shelf packing, tallest first for tight rows.
    order = sorted(range(len(glyphs)), key=lambda i: -glyphs[i][5])
    pages, places = [], {}
    x = y = row_h = 0
    current = None
    for i in order:
        ch, img, ox, oy, w, h, adv = glyphs[i]
        if img is None:
            places[i] = (0, 0, 0)
            continue
        if current is None:
            current = Image.new("L", (page, page), 0)
            pages.append(current)
            x = y = row_h = 0
        if x + w + 1 > page:
            x, y, row_h = 0, y + row_h + 1, 0
        if y + h + 1 > page:
            current = Image.new("L", (page, page), 0)
            pages.append(current)
            x = y = row_h = 0
        current.paste(img, (x, y))
        places[i] = (len(pages) - 1, x, y)
        x += w + 1
        row_h = max(row_h, h)
    if not pages:
        pages.append(Image.new("L", (page, page), 0))
    name = out_base.replace("\\", "/").rsplit("/", 1)[-1]
    files = []
    for n, pg in enumerate(pages):
        alpha = np.asarray(pg)
        rgba = np.dstack([np.full(alpha.shape + (3,), 255, np.uint8), alpha])
        path = f"{out_base}_{n}.png"
        save_png(Image.fromarray(rgba, "RGBA"), path)
        files.append(path)
    kerns = []
    for a in KERN_CHARS:
        for b in KERN_CHARS:
            amount = int(round(fnt.getlength(a + b) - fnt.getlength(a) - fnt.getlength(b)))
            if amount:
                kerns.append((ord(a), ord(b), amount))
    lines = [
        f'info face="{face_name}" size={size} bold={1 if bold else 0} italic=0 charset="" unicode=1 stretchH=100 '
        f'smooth=1 aa=1 padding=0,0,0,0 spacing=1,1',
        f"common lineHeight={line_height} base={ascent} scaleW={page} scaleH={page} pages={len(pages)} packed=0",
    ]
    for n in range(len(pages)):
        lines.append(f'page id={n} file="{name}_{n}.png"')
    lines.append(f"chars count={len(glyphs)}")
    for i, (ch, img, ox, oy, w, h, adv) in enumerate(glyphs):
        pg, px, py = places[i]
        lines.append(f"char id={ord(ch)} x={px} y={py} width={w} height={h} xoffset={ox} yoffset={oy} "
                     f"xadvance={adv} page={pg} chnl=15")
    lines.append(f"kernings count={len(kerns)}")
    for a, b, amount in kerns:
        lines.append(f"kerning first={a} second={b} amount={amount}")
    with open(out_base + ".fnt", "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))
    return [out_base + ".fnt"] + files
