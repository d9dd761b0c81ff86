// Drawing straight into a DDImage's locked surface, in the display's 16- or
// 32-bit layout. Each routine has its own colour conversion; they differ at
// 255 on purpose, so each keeps its own formula.

#include "framework/core/ScanSpan.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageDisplay.h"
#include "framework/graphics/LineSteppers.h"
#include "framework/graphics/MemoryImagePixels.h"
#include "framework/graphics/RotatedSampler.h"
#include "framework/graphics/SurfacePixels.h"
#include "framework/graphics/loops/PixelLoops.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <type_traits>

namespace Quib {

namespace {

constexpr bool IsWide(PixelKind k)
{
    return k == PixelKind::Rgb32 || k == PixelKind::Other32;
}

template <PixelKind K>
using PixelOf = std::conditional_t<IsWide(K), uint32_t, uint16_t>;

constexpr uint32_t SpreadMaskOf(PixelKind k)
{
    return k == PixelKind::R5G6B5 ? kSpread565 : kSpread555;
}

constexpr bool HasSpread(PixelKind k)
{
    return k == PixelKind::R5G6B5 || k == PixelKind::X1R5G5B5;
}

// Cuts an image copy of sr at (x, y) to the source picture (srcW x srcH)
// and to the surface; mirrored copies draw source column sr.x + i at
// x + sr.width - 1 - i. False when nothing is left.
bool CutCopy(const SurfaceView& v, int srcW, int srcH, int& x, int& y, Rect& sr, bool mirrored)
{
    const Rect inSource = sr.Intersection(Rect(0, 0, srcW, srcH));
    if (inSource.width <= 0 || inSource.height <= 0)
        return false;
    auto clampPos = [](int64_t p) { return int32_t(std::clamp<int64_t>(p, INT32_MIN / 2, INT32_MAX / 2)); };
    const int64_t shiftX = mirrored ? (int64_t(sr.x) + sr.width) - (int64_t(inSource.x) + inSource.width)
                                    : int64_t(inSource.x) - sr.x;
    const Rect placed(clampPos(int64_t(x) + shiftX), clampPos(int64_t(y) + (inSource.y - int64_t(sr.y))),
                      inSource.width, inSource.height);
    const Rect inDest = placed.Intersection(Rect(0, 0, v.width, v.height));
    if (inDest.width <= 0 || inDest.height <= 0)
        return false;
    const int cutX = mirrored ? (placed.x + placed.width) - (inDest.x + inDest.width) : inDest.x - placed.x;
    sr = Rect(inSource.x + cutX, inSource.y + (inDest.y - placed.y), inDest.width, inDest.height);
    x = inDest.x;
    y = inDest.y;
    return true;
}

// A rectangle cut to the surface.
Rect CutToSurface(const SurfaceView& v, const Rect& r)
{
    return r.Intersection(Rect(0, 0, v.width, v.height));
}

uint32_t ChannelOf(const Color& c, int channel)
{
    return uint32_t(channel == 0 ? c.red : channel == 1 ? c.green : c.blue);
}

// Locks the surface for one routine; the view is usable when ok().
class SurfaceLock {
public:
    explicit SurfaceLock(DDImage& image) : image_(image)
    {
        if (!image.display || !image.EnsureSurface() || !image.AcquireSurfaceLock())
            return;
        locked_ = true;
        view_ = MakeSurfaceView(image.lockDesc, *image.display);
    }
    ~SurfaceLock()
    {
        if (locked_)
            image_.ReleaseSurfaceLock();
    }
    SurfaceLock(const SurfaceLock&) = delete;
    SurfaceLock& operator=(const SurfaceLock&) = delete;
    bool ok() const { return locked_ && view_.format.kind != PixelKind::None; }
    const SurfaceView& view() const { return view_; }

private:
    DDImage& image_;
    bool locked_ = false;
    SurfaceView view_;
};

// The prologue of the surface routines: body(view) runs with the surface
// locked, unless the image may not touch its surface or the lock fails.
template <class Body>
void WithLockedSurface(DDImage& image, Body&& body)
{
    if (image.noSurfaceAccess)
        return;
    SurfaceLock lock(image);
    if (lock.ok())
        body(lock.view());
}

// Runs body.template operator()<K>() for the view's layout.
template <class Body>
void Dispatch(PixelKind kind, Body&& body)
{
    switch (kind) {
    case PixelKind::Rgb32:
        body.template operator()<PixelKind::Rgb32>();
        break;
    case PixelKind::Other32:
        body.template operator()<PixelKind::Other32>();
        break;
    case PixelKind::R5G6B5:
        body.template operator()<PixelKind::R5G6B5>();
        break;
    case PixelKind::X1R5G5B5:
        body.template operator()<PixelKind::X1R5G5B5>();
        break;
    case PixelKind::Other16:
        body.template operator()<PixelKind::Other16>();
        break;
    case PixelKind::None:
        break;
    }
}

// A 32-bit layout whose three channels are whole bytes below the top byte,
// in any order: its per-channel rules work byte by byte, four pixels at once.
bool ByteChannels(const SurfaceView& v)
{
    if (v.format.bitCount != 32)
        return false;
    for (const SurfaceChannel& ch : v.ch)
        if (ch.mask != 0xFF && ch.mask != 0xFF00 && ch.mask != 0xFF0000)
            return false;
    return (v.ch[0].mask | v.ch[1].mask | v.ch[2].mask) == 0xFFFFFF;
}

// Applies pixel(d) -> new value over a rectangle.
template <PixelKind K, class F>
void ForEachInRect(const SurfaceView& v, const Rect& r, F&& pixel)
{
    using T = PixelOf<K>;
    for (int y = r.y; y < r.y + r.height; ++y) {
        T* row = v.Row<T>(y) + r.x;
        for (int x = 0; x < r.width; ++x)
            row[x] = T(pixel(uint32_t(row[x])));
    }
}

// ---- Fills

template <PixelKind K>
void FillNormal(const SurfaceView& v, const Rect& r, const Color& color)
{
    const uint32_t a = uint32_t(color.alpha);
    if (a == 255) {
        uint32_t value = 0;
        for (int c = 0; c < 3; ++c) {
            const uint32_t m = v.ch[c].mask, cc = ChannelOf(color, c);
            value |= (IsWide(K) ? (cc * m) >> 8 : ((cc + 1) * m) >> 8) & m;
        }
        ForEachInRect<K>(v, r, [value](uint32_t) { return value; });
        return;
    }
    uint32_t term = 0;
    for (int c = 0; c < 3; ++c) {
        const uint32_t m = v.ch[c].mask, cc = ChannelOf(color, c);
        term += ((((cc * a + (IsWide(K) ? 127 : 128)) >> 8) + 1) * m >> 8) & m;
    }
    const uint32_t inv = 256 - a;
    const uint32_t m0 = v.ch[0].mask, m1 = v.ch[1].mask, m2 = v.ch[2].mask;
    auto blend = [=](uint32_t d) {
        if constexpr (IsWide(K)) {
            return term + ((((d & m0) * inv) >> 8) & m0) + ((((d & m1) * inv) >> 8) & m1) +
                   ((((d & m2) * inv) >> 8) & m2);
        } else {
            return term + ((((d & m0) * inv + m0) >> 8) & m0) + ((((d & m1) * inv + m1) >> 8) & m1) +
                   ((((d & m2) * inv + m2) >> 8) & m2);
        }
    };
    if constexpr (IsWide(K)) {
        // No channel sum passes 255, so the bytes never carry.
        if (ByteChannels(v)) {
            const auto blendRow = ActiveLoops().blendBytesRow;
            for (int y = r.y; y < r.y + r.height; ++y)
                blendRow(v.Row<uint32_t>(y) + r.x, r.width, term, inv);
            return;
        }
    }
    ForEachInRect<K>(v, r, blend);
}

// The additive amount per channel: (alpha * c / 255) cut to the channel.
void AdditiveAmounts(const SurfaceView& v, const Color& color, uint32_t k[3])
{
    for (int c = 0; c < 3; ++c)
        k[c] = (uint32_t(color.alpha) * ChannelOf(color, c) / 255) >> (8 - v.ch[c].bits);
}

inline uint32_t AddPixel(const SurfaceView& v, uint32_t d, const uint32_t k[3])
{
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const SurfaceChannel& ch = v.ch[c];
        out |= uint32_t(ch.clamp[k[c] + ((d & ch.mask) >> ch.shift)]) << ch.shift;
    }
    return out;
}

// ---- Lines

struct LineTerms {
    uint32_t opaque = 0; // the whole pixel when alpha is 255
    uint32_t term = 0;   // the colour term otherwise
    uint32_t inv = 0;
};

LineTerms MakeLineTerms(const SurfaceView& v, const Color& color)
{
    LineTerms t;
    const uint32_t a = uint32_t(color.alpha);
    t.inv = 256 - a;
    for (int c = 0; c < 3; ++c) {
        const uint32_t m = v.ch[c].mask, cc = ChannelOf(color, c);
        t.opaque |= ((m / 2 + m * cc) >> 8) & m;
        t.term |= ((m / 2 + m * ((cc * a + 128) >> 8)) >> 8) & m;
    }
    return t;
}

inline uint32_t LinePixel(const SurfaceView& v, const LineTerms& t, uint32_t d)
{
    uint32_t out = t.term;
    for (int c = 0; c < 3; ++c) {
        const uint32_t m = v.ch[c].mask;
        out += ((m / 2 + (d & m) * t.inv) >> 8) & m;
    }
    return out;
}

template <PixelKind K, class F>
void PlotIfInside(const SurfaceView& v, int x, int y, F&& pixel)
{
    using T = PixelOf<K>;
    if (x < 0 || y < 0 || x >= v.width || y >= v.height)
        return;
    T* p = v.Row<T>(y) + x;
    *p = T(pixel(uint32_t(*p)));
}

// The opaque colour value of the smooth line and the coverage fill.
uint32_t PlainOpaqueValue(const SurfaceView& v, const Color& color)
{
    uint32_t value = 0;
    for (int c = 0; c < 3; ++c) {
        const uint32_t m = v.ch[c].mask;
        value |= ((m * ChannelOf(color, c)) >> 8) & m;
    }
    return value;
}

// t over d with coverage e (0..256): per channel (t * e + d * (256 - e)) >> 8.
template <PixelKind K>
inline uint32_t MixCoverage(const SurfaceView& v, uint32_t t, uint32_t d, uint32_t e)
{
    const uint32_t inv = 256 - e;
    if constexpr (IsWide(K)) {
        return ((((t & 0x00FF00FF) * e + (d & 0x00FF00FF) * inv) >> 8) & 0x00FF00FF) |
               ((((t & 0x0000FF00) * e + (d & 0x0000FF00) * inv) >> 8) & 0x0000FF00);
    } else {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c) {
            const uint32_t m = v.ch[c].mask;
            out |= (((t & m) * e + (d & m) * inv) >> 8) & m;
        }
        return out;
    }
}

// ---- Image copies

// A source as the image copies read it: the display copy (per pixel, or per
// palette entry through the indices) and a run table.
struct CopySource {
    const uint32_t* words = nullptr;
    const uint8_t* indices = nullptr;
    const uint8_t* runs = nullptr;
    const uint16_t* narrow = nullptr;  // the words as 16-bit pixels, where the copy path wants them
    int width = 0;

    uint32_t At(size_t i) const { return indices ? words[indices[i]] : words[i]; }
};

// How a copy modulates by a colour that is not opaque white.
struct Modulation {
    uint32_t k[3] = {};
    uint32_t colorAlpha = 255;
    bool grey = false;
};

Modulation MakeModulation(const Color& color)
{
    Modulation mod;
    mod.colorAlpha = uint32_t(color.alpha);
    for (int c = 0; c < 3; ++c)
        mod.k[c] = ChannelOf(color, c) * mod.colorAlpha / 255;
    mod.grey = mod.k[0] == mod.k[1] && mod.k[1] == mod.k[2];
    return mod;
}

// Display-copy word s added onto d through the clamp tables; a colour that
// is not white scales s by its modulation first.
inline uint32_t AddSourcePixel(const SurfaceView& v, uint32_t s, uint32_t d, bool white, const Modulation& mod)
{
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const SurfaceChannel& ch = v.ch[c];
        const uint32_t sum = white ? ((d & ch.mask) + (s & ch.mask)) >> ch.shift
                                   : ((d & ch.mask) >> ch.shift) + ((mod.k[c] * ((s & ch.mask) >> ch.shift)) >> 8);
        out |= uint32_t(ch.clamp[sum]) << ch.shift;
    }
    return out;
}

// White colour, translucent source pixel s of alpha sa over d.
template <PixelKind K>
inline uint32_t BlendPremultiplied(const SurfaceView& v, uint32_t s, uint32_t d, uint32_t sa)
{
    const uint32_t inv = 256 - sa;
    if constexpr (IsWide(K)) {
        return s + ((((d & 0x00FF00FF) * inv) >> 8) & 0x00FF00FF) + ((((d & 0x0000FF00) * inv) >> 8) & 0x0000FF00);
    } else if constexpr (HasSpread(K)) {
        constexpr uint32_t mask = SpreadMaskOf(K);
        return (s + Fold(((Spread(d, mask) * (inv >> 3)) >> 5) & mask)) & 0xFFFF;
    } else {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c) {
            const uint32_t m = v.ch[c].mask;
            out += (((d & m) * inv) >> 8) & m;
        }
        return (s + out) & 0xFFFF;
    }
}

// Coloured source pixel s of alpha sa (not 0) over d. spreadGrey: 16-bit
// grey colours use the spread words with 5-bit weights.
template <PixelKind K, bool SpreadGrey>
inline uint32_t Modulate(const SurfaceView& v, const Modulation& mod, uint32_t s, uint32_t d, uint32_t sa)
{
    const bool solid = sa == 255 && mod.colorAlpha == 255;
    const uint32_t inv = solid ? 0 : 256 - sa * mod.colorAlpha / 255;
    if (mod.grey) {
        const uint32_t k = mod.k[0];
        if constexpr (IsWide(K)) {
            return ((((s & 0x00FF00FF) * k + (d & 0x00FF00FF) * inv) >> 8) & 0x00FF00FF) |
                   ((((s & 0x0000FF00) * k + (d & 0x0000FF00) * inv) >> 8) & 0x0000FF00);
        } else if constexpr (HasSpread(K) && SpreadGrey) {
            constexpr uint32_t mask = SpreadMaskOf(K);
            return Fold(((Spread(s & 0xFFFF, mask) * (k >> 3) + Spread(d, mask) * (inv >> 3)) >> 5) & mask);
        }
    }
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const uint32_t m = v.ch[c].mask;
        out |= (((s & m) * mod.k[c] + (d & m) * inv) >> 8) & m;
    }
    return out;
}

// The normal copy of srcRect to (x, y); Mirror draws each row from right
// to left. Copy: no translucent source pixels and a white colour.
template <PixelKind K, bool Mirror, bool SpreadGrey>
void CopyNormal(const SurfaceView& v, int x, int y, const CopySource& src, const Rect& sr, const Color& color,
                bool copyPath, bool srcHasTrans)
{
    using T = PixelOf<K>;
    const bool white = color.IsOpaqueWhite();
    const Modulation mod = MakeModulation(color);
    const int w = sr.width;
    if (copyPath && !srcHasTrans && !Mirror && !src.indices) {
        // Opaque rows: a row copy each (16-bit layouts from the 16-bit
        // display copy when there is one, else narrowed word by word).
        const auto narrowRow = ActiveLoops().narrowRow;
        const size_t first = size_t(sr.y) * size_t(src.width) + size_t(sr.x);
        const uint32_t* words = src.words + first;
        const uint16_t* narrow = src.narrow ? src.narrow + first : nullptr;
        uint8_t* row = reinterpret_cast<uint8_t*>(v.Row<T>(y) + x);
        for (int j = 0; j < sr.height; ++j, row += v.pitch, words += src.width) {
            if constexpr (IsWide(K))
                std::memcpy(row, words, size_t(w) * sizeof(T));
            else if (narrow) {
                std::memcpy(row, narrow, size_t(w) * sizeof(T));
                narrow += src.width;
            } else
                narrowRow(reinterpret_cast<T*>(row), words, w);
        }
        return;
    }
    // The 32-bit layout: each run through a row loop (palette sources
    // looked up into a window of words first).
    constexpr bool kRowLoops = K == PixelKind::Rgb32 && !Mirror;
    if (kRowLoops && !copyPath) {
        const auto premulRow = ActiveLoops().premulOverRow;
        const auto modulateRow = ActiveLoops().modulateOverRow;
        const auto paletteRow = ActiveLoops().paletteRow;
        const auto paletteModulateRow = ActiveLoops().paletteModulateRow;
        constexpr int kWindow = 256, kShortRun = 8;
        uint32_t window[kWindow];
        // A tinted palette source: the entries' terms once, then the rows
        // looked up and modulated in one pass.
        uint64_t terms[256];
        const bool fused = src.indices && !white && PaletteModulateTerms(src.words, mod.k, mod.colorAlpha, terms);
        for (int j = 0; j < sr.height; ++j) {
            uint32_t* row = reinterpret_cast<uint32_t*>(v.Row<T>(y + j) + x);
            const size_t base = size_t(sr.y + j) * size_t(src.width) + size_t(sr.x);
            const uint8_t* runs = src.runs + base;
            int i = 0;
            while (i < w) {
                const int run = std::max(1, std::min<int>(runs[i], w - i));
                const uint32_t first = src.At(base + i) >> 24;
                if (fused && first != 0) {
                    // Runs of any alpha but 0 modulate alike: one call for
                    // all of them up to the next transparent run.
                    int end = i + run;
                    while (end < w && (src.At(base + end) >> 24) != 0)
                        end += std::max(1, std::min<int>(runs[end], w - end));
                    paletteModulateRow(row + i, terms, src.indices + base + i, end - i);
                    i = end;
                    continue;
                }
                if (first != 0 && run < kShortRun) {
                    // Short runs (edges of shapes) inline, a pixel at a time.
                    for (int k = i; k < i + run; ++k) {
                        const uint32_t s = src.At(base + k);
                        if (white && first == 255)
                            row[k] = s;
                        else if (white)
                            row[k] = BlendPremultiplied<K>(v, s, row[k], s >> 24);
                        else
                            row[k] = Modulate<K, SpreadGrey>(v, mod, s, row[k], s >> 24);
                    }
                } else if (first != 0) {
                    for (int at = i; at < i + run; at += kWindow) {
                        const int n = std::min(kWindow, i + run - at);
                        const uint32_t* words = src.words + base + at;
                        if (src.indices) {
                            paletteRow(window, src.words, src.indices + base + at, n);
                            words = window;
                        }
                        if (white && first == 255)
                            std::memmove(row + at, words, size_t(n) * 4);
                        else if (white)
                            premulRow(row + at, words, n);
                        else
                            modulateRow(row + at, words, n, mod.k, mod.colorAlpha);
                    }
                }
                i += run;
            }
        }
        return;
    }
    for (int j = 0; j < sr.height; ++j) {
        T* row = v.Row<T>(y + j) + x;
        const size_t base = size_t(sr.y + j) * size_t(src.width) + size_t(sr.x);
        auto dest = [&](int i) -> T& { return Mirror ? row[w - 1 - i] : row[i]; };
        if (copyPath) {
            for (int i = 0; i < w; ++i) {
                const uint32_t s = src.At(base + i);
                if (!srcHasTrans || (s >> 24) != 0)
                    dest(i) = T(s);
            }
            continue;
        }
        int i = 0;
        while (i < w) {
            const int run = std::max(1, std::min<int>(src.runs[base + i], w - i));
            const uint32_t first = src.At(base + i) >> 24;
            if (first == 0) {
                // transparent run: nothing to draw
            } else if (white && first == 255) {
                for (int k = i; k < i + run; ++k)
                    dest(k) = T(src.At(base + k));
            } else if (white) {
                for (int k = i; k < i + run; ++k) {
                    const uint32_t s = src.At(base + k);
                    dest(k) = T(BlendPremultiplied<K>(v, s, dest(k), s >> 24));
                }
            } else {
                for (int k = i; k < i + run; ++k) {
                    const uint32_t s = src.At(base + k);
                    dest(k) = T(Modulate<K, SpreadGrey>(v, mod, s, dest(k), s >> 24));
                }
            }
            i += run;
        }
    }
}

template <PixelKind K, bool Mirror>
void CopyAdditive(const SurfaceView& v, int x, int y, const CopySource& src, const Rect& sr, const Color& color)
{
    using T = PixelOf<K>;
    const bool white = color.IsOpaqueWhite();
    const Modulation mod = MakeModulation(color);
    // The clamp tables hold min(i, channel maximum): white onto whole-byte
    // channels is a saturating byte add.
    const bool addBytes = white && !Mirror && !src.indices && ByteChannels(v);
    const auto addRow = ActiveLoops().addBytesRow;
    const int w = sr.width;
    for (int j = 0; j < sr.height; ++j) {
        T* row = v.Row<T>(y + j) + x;
        const size_t base = size_t(sr.y + j) * size_t(src.width) + size_t(sr.x);
        int i = 0;
        while (i < w) {
            const int run = std::max(1, std::min<int>(src.runs[base + i], w - i));
            if ((src.At(base + i) & 0xFFFFFF) != 0) {
                int n = i;
                if constexpr (IsWide(K)) {
                    if (addBytes) {
                        addRow(row + i, src.words + base + i, run);
                        n += run;
                    }
                }
                for (; n < i + run; ++n) {
                    T& p = Mirror ? row[w - 1 - n] : row[n];
                    p = T(AddSourcePixel(v, src.At(base + n), p, white, mod));
                }
            }
            i += run;
        }
    }
}

// A volatile source straight from its ARGB pixels, in straight alpha.
template <PixelKind K>
void CopyVolatile(const SurfaceView& v, int x, int y, const uint32_t* words, const uint32_t* palette,
                  const uint8_t* indices, int srcWidth, const Rect& sr, bool rgbOrder)
{
    using T = PixelOf<K>;
    for (int j = 0; j < sr.height; ++j) {
        T* row = v.Row<T>(y + j) + x;
        const size_t base = size_t(sr.y + j) * size_t(srcWidth) + size_t(sr.x);
        for (int i = 0; i < sr.width; ++i) {
            const uint32_t p = palette ? palette[indices[base + i]] : words[base + i];
            const uint32_t a = p >> 24;
            const uint32_t d = row[i];
            uint32_t out;
            if (rgbOrder && K == PixelKind::R5G6B5) {
                const uint32_t S = (((p >> 19) & 0x1F) << 11) | (((p >> 10) & 0x3F) << 21) | ((p >> 3) & 0x1F);
                const uint32_t D = Spread(d, kSpread565);
                out = Fold((((S - D) * (a >> 3) >> 5) + D) & kSpread565);
            } else if (rgbOrder && K == PixelKind::X1R5G5B5) {
                const uint32_t S = ((p >> 9) & 0x7C00) | ((p & 0xF800) << 10) | ((p >> 3) & 0x1F);
                const uint32_t D = Spread(d, kSpread555);
                out = Fold((((S - D) * (a >> 3) >> 5) + D) & kSpread555);
            } else if (rgbOrder && K == PixelKind::Rgb32) {
                const uint32_t srb = p & 0x00FF00FF, drb = d & 0x00FF00FF;
                const uint32_t sg = p & 0x0000FF00, dg = d & 0x0000FF00;
                out = ((((srb - drb) * a >> 8) + drb) & 0x00FF00FF) | ((((sg - dg) * a >> 8) + dg) & 0x0000FF00);
            } else {
                out = 0;
                static constexpr int kPosition[3] = {16, 8, 0};
                for (int c = 0; c < 3; ++c) {
                    const uint32_t m = v.ch[c].mask, cc = (p >> kPosition[c]) & 0xFF;
                    // 64-bit: c * a * m does not fit 32 bits for a channel
                    // in the top byte of the word.
                    const uint64_t sum = ((uint64_t(cc) * a * m) >> 8) + m / 2 + uint64_t(d & m) * (256 - a);
                    out |= uint32_t(sum >> 8) & m;
                }
            }
            row[i] = T(out);
        }
    }
}

// The source's display copy and run tables, or false when the source
// cannot give them.
bool ReadCopySource(MemoryImage& source, ImageDisplay* display, bool additive, CopySource& out)
{
    out.words = source.GetDisplayFormatPixels(display);
    out.runs = additive ? source.GetAdditiveRunTable(display) : source.GetAlphaRunTable();
    out.indices = source.palette ? source.paletteIndices.get() : nullptr;
    out.width = source.width;
    // The display copy may have been rebuilt by the run table.
    out.words = source.GetDisplayFormatPixels(display);
    return out.words && out.runs && (!source.palette || out.indices);
}

// The normal copy's frame: lock, the source's display copy and alpha run
// table, then the loop by layout.
void PutNormalIntoSurface(DDImage& image, MemoryImage& source, int x, int y, Rect sr, const Color& color,
                          bool mirrored)
{
    WithLockedSurface(image, [&](const SurfaceView& v) {
        if (!CutCopy(v, source.width, source.height, x, y, sr, mirrored))
            return;
        CopySource src;
        if (!ReadCopySource(source, image.display, false, src))
            return;
        const bool copyPath = color.IsOpaqueWhite() && !source.hasAlpha;
        const bool hasTransparent = source.hasTrans;
        // A plain copy into a 16-bit layout is a row copy of 16-bit words.
        if (copyPath && !hasTransparent && !mirrored && v.format.bitCount == 16)
            src.narrow = source.GetDisplayFormatPixels16(image.display);
        Dispatch(v.format.kind, [&]<PixelKind K>() {
            // 16-bit grey colours use the spread words in the plain copy only.
            if (mirrored)
                CopyNormal<K, true, false>(v, x, y, src, sr, color, copyPath, hasTransparent);
            else
                CopyNormal<K, false, true>(v, x, y, src, sr, color, copyPath, hasTransparent);
        });
    });
}

// The additive copies: the source's flags are brought up to date under the
// lock, then its display copy and additive run table are read.
void PutAdditiveIntoSurface(DDImage& image, Image* sourceImage, int x, int y, Rect sr, const Color& color,
                            bool mirrored)
{
    if (sourceImage)
        sourceImage->drawn = true;
    auto* source = dynamic_cast<MemoryImage*>(sourceImage);
    if (!source || !image.display)
        return;
    WithLockedSurface(image, [&](const SurfaceView& v) {
        source->ApplyBitsChange();
        if (!CutCopy(v, source->width, source->height, x, y, sr, mirrored))
            return;
        CopySource src;
        if (!ReadCopySource(*source, image.display, true, src))
            return;
        Dispatch(v.format.kind, [&]<PixelKind K>() {
            if (mirrored)
                CopyAdditive<K, true>(v, x, y, src, sr, color);
            else
                CopyAdditive<K, false>(v, x, y, src, sr, color);
        });
    });
}

} // namespace

// ---- The routines

void DDImage::SurfaceFillRectangle(const Rect& rect, const Color& color)
{
    WithLockedSurface(*this, [&](const SurfaceView& v) {
        const Rect r = CutToSurface(v, rect);
        if (r.width <= 0 || r.height <= 0)
            return;
        Dispatch(v.format.kind, [&]<PixelKind K>() { FillNormal<K>(v, r, color); });
    });
}

void DDImage::SurfaceFillRectangleAdditive(const Rect& rect, const Color& color)
{
    WithLockedSurface(*this, [&](const SurfaceView& v) {
        const Rect r = CutToSurface(v, rect);
        if (r.width <= 0 || r.height <= 0)
            return;
        uint32_t k[3];
        AdditiveAmounts(v, color, k);
        Dispatch(v.format.kind,
                 [&]<PixelKind K>() { ForEachInRect<K>(v, r, [&](uint32_t d) { return AddPixel(v, d, k); }); });
    });
}

void DDImage::SurfaceDrawLine(double x1, double y1, double x2, double y2, const Color& color)
{
    WithLockedSurface(*this, [&](const SurfaceView& v) {
        const LineTerms t = MakeLineTerms(v, color);
        const bool opaque = color.alpha == 255;
        Dispatch(v.format.kind, [&]<PixelKind K>() {
            StepBresenhamLine(x1, y1, x2, y2, true, v.width, v.height, [&](int x, int y) {
                PlotIfInside<K>(v, x, y, [&](uint32_t d) { return opaque ? t.opaque : LinePixel(v, t, d); });
            });
        });
    });
}

void DDImage::SurfaceDrawLineAdditive(double x1, double y1, double x2, double y2, const Color& color)
{
    WithLockedSurface(*this, [&](const SurfaceView& v) {
        uint32_t k[3];
        AdditiveAmounts(v, color, k);
        Dispatch(v.format.kind, [&]<PixelKind K>() {
            StepBresenhamLine(x1, y1, x2, y2, true, v.width, v.height, [&](int x, int y) {
                PlotIfInside<K>(v, x, y, [&](uint32_t d) { return AddPixel(v, d, k); });
            });
        });
    });
}

void DDImage::SurfaceDrawSmoothLine(double x1, double y1, double x2, double y2, const Color& color)
{
    WithLockedSurface(*this, [&](const SurfaceView& v) {
        const uint32_t t = PlainOpaqueValue(v, color);
        const uint32_t P = uint32_t(color.alpha);
        Dispatch(v.format.kind, [&]<PixelKind K>() {
            StepSmoothLine(x1, y1, x2, y2, v.width, v.height, [&](int x, int y, int f, bool side) {
                uint32_t coverage = side ? uint32_t(f) : 255 - uint32_t(f);
                if (P < 255)
                    coverage = (coverage * (P + 1)) >> 8;
                PlotIfInside<K>(v, x, y, [&](uint32_t d) { return MixCoverage<K>(v, t, d, coverage); });
            });
        });
    });
}

void DDImage::SurfaceDrawSmoothLineAdditive(double, double, double, double, const Color&) {}

void DDImage::SurfacePutImage(Image* sourceImage, int x, int y, const Rect& sr, const Color& color)
{
    if (sourceImage)
        sourceImage->drawn = true;
    auto* source = dynamic_cast<MemoryImage*>(sourceImage);
    if (!source || !display)
        return;
    source->ApplyBitsChange();
    auto* ddSource = dynamic_cast<DDImage*>(source);
    const bool white = color.IsOpaqueWhite();

    if (source->isVolatile && !(ddSource && ddSource->surface) && !noSurfaceAccess && white) {
        const uint32_t* words = source->palette ? nullptr : source->MemoryImage::Pixels();
        if (!words && !(source->palette && source->paletteIndices))
            return;
        SurfaceLock lock(*this);
        Rect cut = sr;
        if (!lock.ok() || !CutCopy(lock.view(), source->width, source->height, x, y, cut, false))
            return;
        const SurfaceView& v = lock.view();
        const bool rgbOrder = v.ch[0].mask > v.ch[1].mask && v.ch[1].mask > v.ch[2].mask;
        Dispatch(v.format.kind, [&]<PixelKind K>() {
            CopyVolatile<K>(v, x, y, words, source->palette.get(), source->paletteIndices.get(), source->width, cut,
                            rgbOrder);
        });
        return;
    }

    if (ddSource && ddSource->surface && white && !source->hasAlpha &&
        (preferVideoMemory || !ddSource->preferVideoMemory) &&
        BlitSurface(ddSource, {x, y, x + sr.width, y + sr.height}, {sr.x, sr.y, sr.x + sr.width, sr.y + sr.height}))
        return;

    PutNormalIntoSurface(*this, *source, x, y, sr, color, false);
}

void DDImage::SurfacePutImageAdditive(Image* sourceImage, int x, int y, const Rect& sr, const Color& color)
{
    PutAdditiveIntoSurface(*this, sourceImage, x, y, sr, color, false);
}

void DDImage::SurfacePutImageMirrored(Image* sourceImage, int x, int y, const Rect& sr, const Color& color)
{
    if (sourceImage)
        sourceImage->drawn = true;
    auto* source = dynamic_cast<MemoryImage*>(sourceImage);
    if (!source || !display)
        return;
    source->ApplyBitsChange();
    PutNormalIntoSurface(*this, *source, x, y, sr, color, true);
}

void DDImage::SurfacePutImageMirroredAdditive(Image* sourceImage, int x, int y, const Rect& sr,
                                              const Color& color)
{
    PutAdditiveIntoSurface(*this, sourceImage, x, y, sr, color, true);
}

// The coverage fill of the surface path.
void SurfaceFillSpansWithCoverage(DDImage& image, const ScanSpan* spans, int count, const Color& color,
                                  const uint8_t* coverage, int left, int top, int stride)
{
    if (!spans || !coverage)
        return;
    WithLockedSurface(image, [&](const SurfaceView& v) {
        const uint32_t t = PlainOpaqueValue(v, color);
        const uint32_t ca = uint32_t(color.alpha);
        Dispatch(v.format.kind, [&]<PixelKind K>() {
            using T = PixelOf<K>;
            for (int s = 0; s < count; ++s) {
                // Each span cut to the surface; its coverage follows the pixels.
                const Rect span = CutToSurface(v, Rect(spans[s].x, spans[s].y, spans[s].length, 1));
                if (span.width <= 0 || span.height <= 0)
                    continue;
                T* row = v.Row<T>(span.y) + span.x;
                const uint8_t* cov = coverage + (ptrdiff_t(span.y) - top) * stride + (ptrdiff_t(span.x) - left);
                for (int i = 0; i < span.width; ++i) {
                    const uint32_t e = ((uint32_t(cov[i]) + 1) * ca) >> 8;
                    uint32_t out = 0;
                    const uint32_t d = row[i];
                    for (int c = 0; c < 3; ++c) {
                        const uint32_t m = v.ch[c].mask;
                        out |= (((d & m) * (256 - e) + (t & m) * e) >> 8) & m;
                    }
                    row[i] = T(out);
                }
            }
        });
    });
}

// ---- Nearest stretches (plain and mirrored) into the surface

namespace {

// s over d per channel mask: s + ((d & m) * (256 - sa)) >> 8 & m.
inline uint32_t BlendPerMask(const SurfaceView& v, uint32_t s, uint32_t d, uint32_t sa)
{
    uint32_t out = s;
    for (int c = 0; c < 3; ++c) {
        const uint32_t m = v.ch[c].mask;
        out += (((d & m) * (256 - sa)) >> 8) & m;
    }
    return out;
}

template <PixelKind K>
void StretchNearest(const SurfaceView& v, const Rect& R, const DoubleRect& area, const CopySource& src,
                    const Color& color, DrawMode mode, bool mirrored)
{
    using T = PixelOf<K>;
    const bool white = color.IsOpaqueWhite();
    const Modulation mod = MakeModulation(color);
    const int32_t du = TruncToInt(area.width * 65536 / R.width);
    const int32_t dv = TruncToInt(area.height * 65536 / R.height);
    int64_t vPos = TruncToInt(area.y * 65536);
    for (int j = 0; j < R.height; ++j, vPos += dv) {
        T* row = v.Row<T>(R.y + j);
        const size_t base = size_t(vPos >> 16) * size_t(src.width);
        int64_t uPos = TruncToInt(area.x * 65536);
        for (int i = 0; i < R.width; ++i, uPos += du) {
            const uint32_t s = src.At(base + size_t(uPos >> 16));
            T& p = row[mirrored ? R.x + R.width - 1 - i : R.x + i];
            const uint32_t d = p;
            if (mode == DRAWMODE_NORMAL) {
                const uint32_t sa = s >> 24;
                if (sa == 0)
                    continue;
                p = T(white ? BlendPerMask(v, s, d, sa) : Modulate<K, false>(v, mod, s, d, sa));
            } else if (s != 0) {
                p = T(AddSourcePixel(v, s, d, white, mod));
            }
        }
    }
}

// The source area must lie inside the source for the nearest stretch.
bool AreaInside(const DoubleRect& area, const Rect& R, int width, int height)
{
    if (!(area.x >= 0 && area.y >= 0 && R.width > 0 && R.height > 0))
        return false;
    const int64_t du = TruncToInt(area.width * 65536 / R.width);
    const int64_t dv = TruncToInt(area.height * 65536 / R.height);
    const int64_t lastU = (int64_t(TruncToInt(area.x * 65536)) + du * (R.width - 1)) >> 16;
    const int64_t lastV = (int64_t(TruncToInt(area.y * 65536)) + dv * (R.height - 1)) >> 16;
    return du >= 0 && dv >= 0 && lastU < width && lastV < height;
}

} // namespace

bool DDImage::StretchIntoSurface(MemoryImage* source, const Rect& R, const DoubleRect& area, const Color& color,
                                 DrawMode mode, bool mirrored)
{
    source->ApplyBitsChange();
    CopySource src;
    if (!ReadCopySource(*source, display, false, src))
        return true;
    SurfaceLock lock(*this);
    if (!lock.ok())
        return false;
    const SurfaceView& v = lock.view();
    const Rect inside = R.Intersection(Rect(0, 0, v.width, v.height));
    if (inside != R || !AreaInside(area, R, source->width, source->height))
        return true;
    Dispatch(v.format.kind, [&]<PixelKind K>() { StretchNearest<K>(v, R, area, src, color, mode, mirrored); });
    return true;
}

// ---- The rotated draw into the surface

namespace {

using namespace RotatedSampling;

// One sample's write into a surface pixel d, per layout and variant.
template <PixelKind K>
struct RotatedWriter {
    const SurfaceView& v;
    const Color& color;
    DrawMode mode;
    bool white;
    Modulation mod;

    uint32_t ChannelValue(uint32_t d, int c) const { return (d & v.ch[c].mask) >> v.ch[c].shift; }

    // Mixes 8-bit sample channels P (over coverage S) channel by channel.
    uint32_t MixByChannel(uint32_t d, uint32_t S, const uint32_t P[3]) const
    {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c) {
            const uint32_t value = (P[c] >> (8 - v.ch[c].bits)) + ((ChannelValue(d, c) * (256 - S)) >> 8);
            out |= (value << v.ch[c].shift) & v.ch[c].mask;
        }
        return out;
    }

    // False leaves the pixel unchanged.
    bool Write(const Texels& t, uint32_t d, uint32_t& out) const
    {
        const uint32_t S = t.W[0] + t.W[1] + t.W[2] + t.W[3];
        if (S == 0)
            return false;
        if (mode != DRAWMODE_NORMAL) {
            uint32_t add[3];
            if (white) {
                add[0] = SumChannel(t, t.W, 16) >> 8;
                add[1] = SumChannel(t, t.W, 8) >> 8;
                add[2] = SumChannel(t, t.W, 0) >> 8;
            } else {
                add[0] = ((SumChannel(t, t.W, 16) >> 8) * mod.k[0]) >> 8;
                add[1] = (SumChannel(t, t.W, 8) * mod.k[1]) >> 16;
                add[2] = (SumChannel(t, t.W, 0) * mod.k[2]) >> 16;
            }
            out = 0;
            for (int c = 0; c < 3; ++c) {
                const SurfaceChannel& ch = v.ch[c];
                out |= uint32_t(ch.clamp[ChannelValue(d, c) + (add[c] >> (8 - ch.bits))]) << ch.shift;
            }
            return true;
        }
        if (!white) {
            const uint32_t ca = uint32_t(color.alpha);
            uint32_t W[4];
            for (int i = 0; i < 4; ++i)
                W[i] = (t.W[i] * ca) >> 8;
            const uint32_t S2 = W[0] + W[1] + W[2] + W[3];
            if (S2 == 0)
                return false;
            const uint32_t P[3] = {((SumChannel(t, W, 16) >> 8) * (uint32_t(color.red) + 1)) >> 8,
                                   ((SumChannel(t, W, 8) >> 8) * (uint32_t(color.green) + 1)) >> 8,
                                   ((SumChannel(t, W, 0) >> 8) * (uint32_t(color.blue) + 1)) >> 8};
            out = MixByChannel(d, S2, P);
            return true;
        }
        const uint32_t P[3] = {SumChannel(t, t.W, 16) >> 8, SumChannel(t, t.W, 8) >> 8,
                               SumChannel(t, t.W, 0) >> 8};
        const uint32_t inv = 256 - S;
        if constexpr (K == PixelKind::Rgb32) {
            out = ((P[0] + ((((d >> 16) & 0xFF) * inv) >> 8)) << 16) |
                  ((P[1] + ((((d >> 8) & 0xFF) * inv) >> 8)) << 8) | (P[2] + (((d & 0xFF) * inv) >> 8));
        } else if constexpr (HasSpread(K)) {
            constexpr uint32_t mask = SpreadMaskOf(K);
            constexpr int redShift = K == PixelKind::R5G6B5 ? 11 : 10;
            constexpr int greenCut = K == PixelKind::R5G6B5 ? 2 : 3;
            const uint32_t sample = ((P[0] >> 3) << redShift) | ((P[1] >> greenCut) << 21) | (P[2] >> 3);
            out = Fold((((Spread(d, mask) * (inv >> 3)) >> 5) & mask) + sample);
        } else {
            out = MixByChannel(d, S, P);
        }
        return true;
    }
};

} // namespace

void DDImage::RotateIntoSurface(MemoryImage* source, const double* bounds, const Rect& sr, float x, float y,
                                const Color& color, DrawMode mode, double angle, float centerX, float centerY)
{
    PixelSource src;
    if (CutToPicture(sr, source->width, source->height) != sr || !SourcePixels(*source, src))
        return;
    SurfaceLock lock(*this);
    if (!lock.ok())
        return;
    const SurfaceView& v = lock.view();
    if (v.format.kind == PixelKind::Rgb32 && mode == DRAWMODE_NORMAL && color.IsOpaqueWhite() && !src.palette) {
        // The common case (a picture turned onto the screen) through the
        // loops' span kernel; RotatedWriter<Rgb32> is its plain rule.
        const auto span = ActiveLoops().rotatedWhiteSurfaceSpan;
        ForEachRotatedSpan(v.width, v.height, bounds, sr, x, y, angle, centerX, centerY,
                           [&](int row, int column, int count, int32_t u, int32_t vv, int32_t du, int32_t dv) {
                               span(v.Row<uint32_t>(row) + column, count, u, vv, du, dv, src, sr);
                           });
        return;
    }
    Dispatch(v.format.kind, [&]<PixelKind K>() {
        using T = PixelOf<K>;
        const RotatedWriter<K> writer{v, color, mode, color.IsOpaqueWhite(), MakeModulation(color)};
        ForEachRotatedSpan(v.width, v.height, bounds, sr, x, y, angle, centerX, centerY,
                           [&](int row, int column, int count, int32_t u, int32_t vv, int32_t du, int32_t dv) {
                               T* d = v.Row<T>(row) + column;
                               for (int i = 0; i < count; ++i, u += du, vv += dv) {
                                   Texels t;
                                   ReadTexels(src, sr, u, vv, t);
                                   uint32_t out;
                                   if (writer.Write(t, d[i], out))
                                       d[i] = T(out);
                               }
                           });
    });
}

} // namespace Quib
