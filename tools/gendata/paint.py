"""Small painting kit over numpy: float RGB canvases, masks, glows."""
import math

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"


def font(name, size):
    return ImageFont.truetype(FONT_DIR + name, size)


class M:
    """A mask placed at (x, y) in a larger picture."""

    def __init__(self, arr, x=0, y=0):
        self.arr, self.x, self.y = arr, int(x), int(y)

    def __mul__(self, k):
        if isinstance(k, M):
            return M(self.arr * k.window(self.x, self.y, self.arr.shape[1], self.arr.shape[0]), self.x, self.y)
        return M(self.arr * k, self.x, self.y)

    __rmul__ = __mul__

    def window(self, x, y, w, h):
        """This mask's values over the rectangle (zero outside it)."""
        out = np.zeros((h, w), np.float32)
        mh, mw = self.arr.shape
        x0, y0 = max(x, self.x), max(y, self.y)
        x1, y1 = min(x + w, self.x + mw), min(y + h, self.y + mh)
        if x1 > x0 and y1 > y0:
            out[y0 - y:y1 - y, x0 - x:x1 - x] = self.arr[y0 - self.y:y1 - self.y, x0 - self.x:x1 - self.x]
        return out

    def full(self, w, h):
        return self.window(0, 0, w, h)


class Canvas:
    """An RGBA picture as float arrays: rgb in 0..1 (straight), alpha 0..1."""

    def __init__(self, w, h, rgb=(0, 0, 0), alpha=1.0):
        self.w, self.h = w, h
        self.rgb = np.empty((h, w, 3), np.float32)
        self.rgb[:] = np.array(rgb, np.float32) / 255.0
        self.a = np.full((h, w), alpha, np.float32)

    def over(self, rgb, mask, x=0, y=0):
        """Paints colour rgb (0..255 tuple or HxWx3 array in 0..1) with coverage mask at (x, y)."""
        if isinstance(mask, M):
            mask, x, y = mask.arr, mask.x, mask.y
            if not isinstance(rgb, tuple) and rgb.shape[:2] == (self.h, self.w):
                rgb = rgb[y:y + mask.shape[0], x:x + mask.shape[1]]
        mh, mw = mask.shape
        x0, y0 = max(x, 0), max(y, 0)
        x1, y1 = min(x + mw, self.w), min(y + mh, self.h)
        if x1 <= x0 or y1 <= y0:
            return
        m = mask[y0 - y:y1 - y, x0 - x:x1 - x][..., None]
        if isinstance(rgb, tuple):
            col = np.array(rgb, np.float32) / 255.0
        else:
            col = rgb[y0 - y:y1 - y, x0 - x:x1 - x]
        dst = self.rgb[y0:y1, x0:x1]
        da = self.a[y0:y1, x0:x1][..., None]
        out_a = m + da * (1 - m)
        safe = np.where(out_a > 1e-6, out_a, 1)
        self.rgb[y0:y1, x0:x1] = (col * m + dst * da * (1 - m)) / safe
        self.a[y0:y1, x0:x1] = out_a[..., 0]

    def add(self, rgb, mask, x=0, y=0):
        """Adds light: colour times mask, on opaque or transparent canvases alike."""
        if isinstance(mask, M):
            if not isinstance(rgb, tuple):
                return self.add(rgb, mask.full(self.w, self.h))
            mask, x, y = mask.arr, mask.x, mask.y
        mh, mw = mask.shape
        x0, y0 = max(x, 0), max(y, 0)
        x1, y1 = min(x + mw, self.w), min(y + mh, self.h)
        if x1 <= x0 or y1 <= y0:
            return
        m = mask[y0 - y:y1 - y, x0 - x:x1 - x][..., None]
        col = np.array(rgb, np.float32) / 255.0 if isinstance(rgb, tuple) else rgb[y0 - y:y1 - y, x0 - x:x1 - x]
        da = self.a[y0:y1, x0:x1][..., None]
        premul = self.rgb[y0:y1, x0:x1] * da + col * m
        out_a = np.clip(da + m * np.max(col, axis=-1, keepdims=True), 0, 1)
        safe = np.where(out_a > 1e-6, out_a, 1)
        self.rgb[y0:y1, x0:x1] = np.clip(premul / safe, 0, 1)
        self.a[y0:y1, x0:x1] = out_a[..., 0]

    def multiply(self, factor, mask=None):
        if isinstance(mask, M):
            mask = mask.full(self.w, self.h)
        f = np.array(factor, np.float32) if not np.isscalar(factor) else np.float32(factor)
        if mask is None:
            self.rgb *= f
        else:
            self.rgb *= 1 - mask[..., None] * (1 - f)

    def paste(self, other, x, y):
        self.over(other.rgb, other.a, x, y)

    def image(self):
        rgba = np.dstack([np.clip(self.rgb, 0, 1), np.clip(self.a, 0, 1)[..., None]])
        return Image.fromarray((rgba * 255 + 0.5).astype(np.uint8), "RGBA")

    def image_rgb(self):
        return Image.fromarray((np.clip(self.rgb, 0, 1) * 255 + 0.5).astype(np.uint8), "RGB")

    def crop(self, x, y, w, h):
        c = Canvas(w, h)
        c.rgb = self.rgb[y:y + h, x:x + w].copy()
        c.a = self.a[y:y + h, x:x + w].copy()
        return c


def from_image(img):
    img = img.convert("RGBA")
    arr = np.asarray(img, np.float32) / 255.0
    c = Canvas(img.width, img.height)
    c.rgb = arr[..., :3].copy()
    c.a = arr[..., 3].copy()
    return c


# --- masks -------------------------------------------------------------

def mask_from(img):
    return np.asarray(img, np.float32) / 255.0


def new_mask(w, h):
    return Image.new("L", (w, h), 0)


def polygon(w, h, points, supersample=4):
    """Antialiased polygon mask, local to its bounding box."""
    s = supersample
    xs = [float(p[0]) for p in points]
    ys = [float(p[1]) for p in points]
    x0, y0 = max(int(math.floor(min(xs))) - 1, 0), max(int(math.floor(min(ys))) - 1, 0)
    x1, y1 = min(int(math.ceil(max(xs))) + 2, w), min(int(math.ceil(max(ys))) + 2, h)
    if x1 <= x0 or y1 <= y0:
        return M(np.zeros((1, 1), np.float32), 0, 0)
    img = Image.new("L", ((x1 - x0) * s, (y1 - y0) * s), 0)
    ImageDraw.Draw(img).polygon([((px - x0) * s, (py - y0) * s) for px, py in zip(xs, ys)], fill=255)
    return M(mask_from(img.resize((x1 - x0, y1 - y0), Image.BOX)), x0, y0)


def shapes(w, h, draw_fn, supersample=4):
    """Antialiased mask drawn by draw_fn(draw, scale) in picture coordinates, local to what it drew."""
    s = supersample
    img = Image.new("L", (w * s, h * s), 0)
    draw_fn(ImageDraw.Draw(img), s)
    box = img.getbbox()
    if not box:
        return M(np.zeros((1, 1), np.float32), 0, 0)
    x0, y0 = box[0] // s, box[1] // s
    x1, y1 = min(w, -(-box[2] // s)), min(h, -(-box[3] // s))
    img = img.crop((x0 * s, y0 * s, x1 * s, y1 * s))
    return M(mask_from(img.resize((x1 - x0, y1 - y0), Image.BOX)), x0, y0)


def blur(mask, radius):
    img = Image.fromarray((np.clip(mask, 0, 1) * 255).astype(np.uint8), "L")
    return mask_from(img.filter(ImageFilter.GaussianBlur(radius)))


def blur_f(arr, radius):
    """Gaussian blur of a float array (separable, edges clamped)."""
    r = max(1, int(math.ceil(radius * 3)))
    k = np.exp(-0.5 * (np.arange(-r, r + 1, dtype=np.float32) / max(radius, 1e-3)) ** 2)
    k /= k.sum()
    out = arr.astype(np.float32)
    for axis in (0, 1):
        pad = [(0, 0)] * out.ndim
        pad[axis] = (r, r)
        p = np.pad(out, pad, mode="edge")
        acc = np.zeros_like(out)
        n = out.shape[axis]
        for i, w in enumerate(k):
            acc += w * np.take(p, np.arange(i, i + n), axis=axis)
        out = acc
    return out


def radial(w, h, cx, cy, rx, ry=None, power=2.0):
    """1 at the centre falling to 0 at the radius: (1 - d)^power."""
    ry = ry or rx
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
    d = np.sqrt(((xx - cx) / rx) ** 2 + ((yy - cy) / ry) ** 2)
    return np.clip(1 - d, 0, 1) ** power


def glow(w, h, cx, cy, r, power=2.2):
    """A soft light falloff with a bright core, local to its circle."""
    x0, y0 = max(int(cx - r) - 1, 0), max(int(cy - r) - 1, 0)
    x1, y1 = min(int(cx + r) + 2, w), min(int(cy + r) + 2, h)
    if x1 <= x0 or y1 <= y0:
        return M(np.zeros((1, 1), np.float32), 0, 0)
    yy, xx = np.mgrid[y0:y1, x0:x1].astype(np.float32)
    d = np.sqrt((xx - cx) ** 2 + (yy - cy) ** 2) / r
    return M((np.clip(1 - d, 0, 1) ** power) * 0.7 + 0.3 * np.exp(-(d * 4) ** 2) * (d < 1), x0, y0)


def radial_at(w, h, cx, cy, rx, ry=None, power=2.0):
    """radial() local to its ellipse."""
    ry = ry or rx
    x0, y0 = max(int(cx - rx) - 1, 0), max(int(cy - ry) - 1, 0)
    x1, y1 = min(int(cx + rx) + 2, w), min(int(cy + ry) + 2, h)
    if x1 <= x0 or y1 <= y0:
        return M(np.zeros((1, 1), np.float32), 0, 0)
    yy, xx = np.mgrid[y0:y1, x0:x1].astype(np.float32)
    d = np.sqrt(((xx - cx) / rx) ** 2 + ((yy - cy) / ry) ** 2)
    return M(np.clip(1 - d, 0, 1) ** power, x0, y0)


def vgradient(w, h, stops):
    """Vertical gradient: stops = [(y, (r, g, b)), ...] with y in pixels."""
    ys = np.array([s[0] for s in stops], np.float32)
    cols = np.array([s[1] for s in stops], np.float32) / 255.0
    y = np.arange(h, dtype=np.float32)
    out = np.stack([np.interp(y, ys, cols[:, i]) for i in range(3)], axis=-1)
    return np.broadcast_to(out[:, None, :], (h, w, 3)).copy()


def smooth_noise(n, rng, octaves=4, scale=64.0):
    """1-D smooth noise in -1..1 of length n."""
    out = np.zeros(n, np.float32)
    amp, total = 1.0, 0.0
    for o in range(octaves):
        step = scale / (2 ** o)
        k = int(n / step) + 3
        pts = rng.uniform(-1, 1, k).astype(np.float32)
        x = np.arange(n, dtype=np.float32) / step
        i = np.floor(x).astype(int)
        f = x - i
        f = f * f * (3 - 2 * f)
        out += amp * (pts[i] * (1 - f) + pts[i + 1] * f)
        total += amp
        amp *= 0.5
    return out / total


def noise2d(w, h, rng, cell=32, octaves=3):
    """2-D value noise in 0..1."""
    out = np.zeros((h, w), np.float32)
    amp, total = 1.0, 0.0
    for o in range(octaves):
        c = max(2, int(cell / (2 ** o)))
        gw, gh = w // c + 2, h // c + 2
        grid = rng.uniform(0, 1, (gh, gw)).astype(np.float32)
        img = Image.fromarray(grid, "F").resize((gw * c, gh * c), Image.BICUBIC)
        out += amp * np.asarray(img, np.float32)[:h, :w]
        total += amp
        amp *= 0.5
    return np.clip(out / total, 0, 1)


def text_mask(text, fnt, pad=8, stroke=0):
    """Mask of a text rendered in the font; returns (mask, x offset, y offset of the box)."""
    box = fnt.getbbox(text, stroke_width=stroke)
    w, h = box[2] - box[0] + 2 * pad, box[3] - box[1] + 2 * pad
    img = Image.new("L", (w, h), 0)
    ImageDraw.Draw(img).text((pad - box[0], pad - box[1]), text, font=fnt, fill=255, stroke_width=stroke,
                             stroke_fill=255)
    return mask_from(img), box


def dilate(mask, radius):
    img = Image.fromarray((np.clip(mask, 0, 1) * 255).astype(np.uint8), "L")
    return mask_from(img.filter(ImageFilter.MaxFilter(2 * radius + 1)))


def fancy_text(text, fnt, top, bottom, outline=(40, 20, 8), outline_px=2, shadow=0.6, glow_col=None,
               glow_radius=10, pad=None):
    """A text picture: vertical colour gradient top->bottom, dark outline, drop shadow, optional glow."""
    pad = pad or (glow_radius * 2 + outline_px + 6)
    m, _ = text_mask(text, fnt, pad=pad)
    h, w = m.shape
    c = Canvas(w, h, alpha=0.0)
    if glow_col:
        g = blur(dilate(m, 2), glow_radius)
        c.over(glow_col, np.clip(g * 0.9, 0, 1))
    if shadow:
        sh = np.roll(np.roll(blur(dilate(m, outline_px), 2.0), 3, axis=0), 2, axis=1)
        c.over((0, 0, 0), sh * shadow)
    if outline_px:
        c.over(outline, dilate(m, outline_px))
    ys, _ = np.nonzero(m > 0.5)
    y0, y1 = (ys.min(), ys.max()) if len(ys) else (0, h)
    grad = vgradient(w, h, [(y0, top), (y1, bottom)])
    c.over(grad, m)
    return c


def save_png(img, path, level=9):
    img.save(path, "PNG", optimize=False, compress_level=level)


def save_jpg(img, path, quality=90):
    img.convert("RGB").save(path, "JPEG", quality=quality, optimize=False, progressive=False, subsampling=0)


def lerp(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def rot_points(points, cx, cy, angle):
    ca, sa = math.cos(angle), math.sin(angle)
    return [(cx + (x - cx) * ca - (y - cy) * sa, cy + (x - cx) * sa + (y - cy) * ca) for x, y in points]
