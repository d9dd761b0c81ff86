#include "platform/DisplaySurface.h"
#include "platform/SystemFont.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace Quib {
namespace {

DisplaySurface* MakeSurface(uint32_t w, uint32_t h, SurfacePixelFormat format = SurfacePixelFormat::X8R8G8B8(),
                            uint32_t caps = DDSCAPS_SYSTEMMEMORY)
{
    SurfaceDesc desc;
    desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.width = w;
    desc.height = h;
    desc.caps = caps;
    DisplaySurface* surface = nullptr;
    EXPECT_EQ(DisplaySurface::Create(desc, format, &surface), DD_OK);
    return surface;
}

struct Releaser {
    void operator()(DisplaySurface* s) const { s->Release(); }
};
using SurfacePtr = std::unique_ptr<DisplaySurface, Releaser>;

TEST(DisplaySurface, LockDescribesTheLayoutAndDoesNotNest)
{
    const SurfacePixelFormat formats[] = {SurfacePixelFormat::X8R8G8B8(), SurfacePixelFormat::X8B8G8R8(),
                                          SurfacePixelFormat::R5G6B5(), SurfacePixelFormat::X1R5G5B5()};
    for (const auto& format : formats) {
        SurfacePtr s(MakeSurface(5, 3, format));
        SurfaceDesc desc;
        ASSERT_EQ(s->Lock(&desc, DDLOCK_WAIT), DD_OK);
        EXPECT_NE(desc.bits, nullptr);
        EXPECT_EQ(desc.width, 5u);
        EXPECT_EQ(desc.height, 3u);
        EXPECT_GE(desc.pitch, int32_t(5 * format.bitCount / 8));
        EXPECT_EQ(desc.pitch % 4, 0);
        EXPECT_EQ(desc.format, format);
        EXPECT_EQ(s->Lock(&desc, DDLOCK_WAIT), DDERR_SURFACEBUSY);
        EXPECT_EQ(s->Unlock(), DD_OK);
        EXPECT_EQ(s->Unlock(), DDERR_NOTLOCKED);
    }
}

TEST(DisplaySurface, InjectedFailuresAndBadDescriptions)
{
    DisplaySurface* s = nullptr;
    SurfaceDesc desc;
    desc.flags = DDSD_WIDTH | DDSD_HEIGHT;
    desc.width = 4;
    desc.height = 4;
    GetSurfaceFaults().failCreate = 1;
    EXPECT_EQ(DisplaySurface::Create(desc, SurfacePixelFormat::R5G6B5(), &s), DDERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(s, nullptr);
    SurfacePixelFormat eightBit{8, 0, 0, 0, 0};
    EXPECT_EQ(DisplaySurface::Create(desc, eightBit, &s), DDERR_INVALIDPIXELFORMAT);
    desc.width = 0;
    EXPECT_EQ(DisplaySurface::Create(desc, SurfacePixelFormat::R5G6B5(), &s), DDERR_INVALIDPARAMS);
    desc.width = 1u << 30; // far too large: refused, never allocated
    EXPECT_EQ(DisplaySurface::Create(desc, SurfacePixelFormat::X8R8G8B8(), &s), DDERR_OUTOFMEMORY);

    SurfacePtr ok(MakeSurface(2, 2));
    GetSurfaceFaults().failLock = 1;
    SurfaceDesc lockDesc;
    EXPECT_EQ(ok->Lock(&lockDesc, DDLOCK_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(ok->Lock(&lockDesc, DDLOCK_WAIT), DD_OK);
    ok->Unlock();
}

TEST(DisplaySurface, ReferenceCounting)
{
    DisplaySurface* s = MakeSurface(1, 1);
    EXPECT_EQ(s->AddRef(), 2u);
    EXPECT_EQ(s->Release(), 1u);
    EXPECT_EQ(s->Release(), 0u); // freed; the sanitizer build checks nothing leaks
}

TEST(DisplaySurface, BltStretchesByNearestPixelAndHonoursTheKey)
{
    SurfacePtr src(MakeSurface(2, 2, SurfacePixelFormat::R5G6B5()));
    src->SetPixelAt(0, 0, 0x1111);
    src->SetPixelAt(1, 0, 0xF81F); // key
    src->SetPixelAt(0, 1, 0x3333);
    src->SetPixelAt(1, 1, 0x4444);
    SurfacePtr dst(MakeSurface(6, 4, SurfacePixelFormat::R5G6B5()));
    SurfaceRect where{1, 0, 5, 4};
    ASSERT_EQ(dst->Blt(&where, src.get(), nullptr, DDBLT_WAIT), DD_OK);
    EXPECT_EQ(dst->PixelAt(0, 0), 0u);
    EXPECT_EQ(dst->PixelAt(1, 0), 0x1111u);
    EXPECT_EQ(dst->PixelAt(2, 1), 0x1111u);
    EXPECT_EQ(dst->PixelAt(3, 0), 0xF81Fu);
    EXPECT_EQ(dst->PixelAt(4, 3), 0x4444u);
    EXPECT_EQ(dst->PixelAt(5, 3), 0u);

    SurfaceColorKey key{0xF81F, 0xF81F};
    src->SetColorKey(DDCKEY_SRCBLT, &key);
    SurfaceRect fill{0, 0, 6, 4};
    dst->Blt(&fill, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, 0x0101);
    ASSERT_EQ(dst->Blt(&where, src.get(), nullptr, DDBLT_WAIT | DDBLT_KEYSRC), DD_OK);
    EXPECT_EQ(dst->PixelAt(3, 0), 0x0101u); // keyed pixel left alone
    EXPECT_EQ(dst->PixelAt(1, 0), 0x1111u);
}

// Random blits, stretched or not, keyed or not, in both pixel widths,
// against the nearest-pixel rule applied pixel by pixel.
TEST(DisplaySurface, BltMatchesNearestPixelRuleOverRandomCases)
{
    std::mt19937 rng(21);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int n = 0; n < 300; ++n) {
        const SurfacePixelFormat format = n % 2 ? SurfacePixelFormat::R5G6B5() : SurfacePixelFormat::X8R8G8B8();
        const uint32_t valueMask = format.bitCount == 32 ? 0xFFFFFFFFu : 0xFFFFu;
        const int sw = pick(1, 24), sh = pick(1, 12), dw = pick(1, 40), dh = pick(1, 16);
        SurfacePtr src(MakeSurface(sw, sh, format));
        SurfacePtr dst(MakeSurface(dw, dh, format));
        // Few distinct values, so that the key range catches some.
        for (int y = 0; y < sh; ++y)
            for (int x = 0; x < sw; ++x)
                src->SetPixelAt(x, y, uint32_t(pick(0, 7)) * 0x01010101u & valueMask);
        for (int y = 0; y < dh; ++y)
            for (int x = 0; x < dw; ++x)
                dst->SetPixelAt(x, y, uint32_t(rng()) & valueMask);
        const int sl = pick(0, sw - 1), st = pick(0, sh - 1);
        const SurfaceRect from{sl, st, pick(sl + 1, sw), pick(st + 1, sh)};
        const int dl = pick(0, dw - 1), dt = pick(0, dh - 1);
        const SurfaceRect to = n % 3 == 0 ? SurfaceRect{dl, dt, std::min(dw, dl + from.right - from.left),
                                                        std::min(dh, dt + from.bottom - from.top)}
                                          : SurfaceRect{dl, dt, pick(dl + 1, dw), pick(dt + 1, dh)};
        const bool keyed = pick(0, 1);
        const uint32_t low = uint32_t(pick(0, 3)) * 0x01010101u & valueMask;
        const SurfaceColorKey key{low, (low + uint32_t(pick(0, 2)) * 0x01010101u) & valueMask};
        src->SetColorKey(DDCKEY_SRCBLT, &key);

        std::vector<uint32_t> want(size_t(dw) * dh);
        for (int y = 0; y < dh; ++y)
            for (int x = 0; x < dw; ++x)
                want[size_t(y) * dw + x] = dst->PixelAt(x, y);
        const int tw = to.right - to.left, th = to.bottom - to.top;
        for (int y = 0; y < th; ++y)
            for (int x = 0; x < tw; ++x) {
                const uint32_t v = src->PixelAt(from.left + x * (from.right - from.left) / tw,
                                                from.top + y * (from.bottom - from.top) / th);
                if (!keyed || v < key.low || v > key.high)
                    want[size_t(to.top + y) * dw + to.left + x] = v;
            }
        ASSERT_EQ(dst->Blt(&to, src.get(), &from, DDBLT_WAIT | (keyed ? uint32_t(DDBLT_KEYSRC) : 0u)), DD_OK);
        for (int y = 0; y < dh; ++y)
            for (int x = 0; x < dw; ++x)
                ASSERT_EQ(dst->PixelAt(x, y), want[size_t(y) * dw + x]) << "case " << n << " at " << x << "," << y;
    }
}

TEST(DisplaySurface, BltRefusesRectanglesOutsideAndBusySurfaces)
{
    SurfacePtr a(MakeSurface(4, 4));
    SurfacePtr b(MakeSurface(4, 4));
    const SurfaceRect bad[] = {{-1, 0, 2, 2}, {0, 0, 5, 4}, {2, 2, 2, 3}, {3, 1, 1, 3}};
    for (const SurfaceRect& r : bad) {
        EXPECT_EQ(a->Blt(&r, b.get(), nullptr, DDBLT_WAIT), DDERR_INVALIDRECT);
        EXPECT_EQ(a->Blt(nullptr, b.get(), &r, DDBLT_WAIT), DDERR_INVALIDRECT);
    }
    SurfacePtr other(MakeSurface(4, 4, SurfacePixelFormat::R5G6B5()));
    EXPECT_EQ(a->Blt(nullptr, other.get(), nullptr, DDBLT_WAIT), DDERR_INVALIDPIXELFORMAT);
    EXPECT_EQ(a->Blt(nullptr, b.get(), nullptr, DDBLT_KEYSRC), DDERR_NOCOLORKEY);
    SurfaceDesc desc;
    b->Lock(&desc, DDLOCK_WAIT);
    EXPECT_EQ(a->Blt(nullptr, b.get(), nullptr, DDBLT_WAIT), DDERR_SURFACEBUSY);
    b->Unlock();
}

TEST(DisplaySurface, OverlappingBltOntoItselfReadsTheOldPixels)
{
    SurfacePtr s(MakeSurface(4, 1));
    for (uint32_t x = 0; x < 4; ++x)
        s->SetPixelAt(x, 0, x + 1);
    SurfaceRect from{0, 0, 3, 1}, to{1, 0, 4, 1};
    ASSERT_EQ(s->Blt(&to, s.get(), &from, DDBLT_WAIT), DD_OK);
    EXPECT_EQ(s->PixelAt(0, 0), 1u);
    EXPECT_EQ(s->PixelAt(1, 0), 1u);
    EXPECT_EQ(s->PixelAt(2, 0), 2u);
    EXPECT_EQ(s->PixelAt(3, 0), 3u);
}

TEST(DisplaySurface, TextGoesInsideTheClipAndNotWhileLocked)
{
    SystemFontRequest request;
    request.face = "DejaVu Sans";
    auto font = SystemFont::Create(request);
    SurfacePtr s(MakeSurface(64, 24));
    SurfaceDesc desc;
    s->Lock(&desc, DDLOCK_WAIT);
    EXPECT_EQ(s->DrawText(*font, u"Hi", 0xFFFFFFFF, 0, 0, {0, 0, 64, 24}), DDERR_SURFACEBUSY);
    s->Unlock();
    GetSurfaceFaults().failText = 1;
    EXPECT_EQ(s->DrawText(*font, u"Hi", 0xFFFFFFFF, 0, 0, {0, 0, 64, 24}), DDERR_CANTCREATEDC);
    ASSERT_EQ(s->DrawText(*font, u"WWWW", 0xFFFFFFFF, 0, 0, {0, 0, 20, 24}), DD_OK);
    bool any = false;
    for (uint32_t y = 0; y < 24; ++y)
        for (uint32_t x = 0; x < 64; ++x) {
            if (x >= 20) {
                ASSERT_EQ(s->PixelAt(x, y), 0u);
            }
            any |= s->PixelAt(x, y) != 0;
        }
    EXPECT_TRUE(any);
}

} // namespace
} // namespace Quib

namespace Quib {
namespace {

// Records what a surface tells its mirror.
struct RecordingMirror : SurfaceMirror {
    void BringToMemory(const DisplaySurface&, uint8_t*, const SurfaceRect* rect) override
    {
        calls.push_back("bring " + Text(rect));
    }
    void MemoryChanged(const DisplaySurface&, const SurfaceRect* rect) override
    {
        calls.push_back("changed " + Text(rect));
    }
    static std::string Text(const SurfaceRect* r)
    {
        return r ? std::to_string(r->left) + "," + std::to_string(r->top) + "," + std::to_string(r->right) + "," +
                       std::to_string(r->bottom)
                 : "all";
    }
    std::vector<std::string> calls;
};

TEST(DisplaySurface, TellsItsMirrorBeforeReadsAndAfterWrites)
{
    SurfacePtr s(MakeSurface(8, 6)), other(MakeSurface(8, 6));
    RecordingMirror mirror;
    s->SetMirror(&mirror);
    using Calls = std::vector<std::string>;
    struct Case {
        const char* name;
        std::function<void()> act;
        Calls want;
    };
    const SurfaceRect part{1, 2, 4, 5};
    const Case cases[] = {
        {"lock to write",
         [&] {
             SurfaceDesc d;
             s->Lock(&d, DDLOCK_WAIT);
             s->Unlock();
         },
         {"bring all", "changed all"}},
        {"lock to read",
         [&] {
             SurfaceDesc d;
             s->Lock(&d, DDLOCK_WAIT | DDLOCK_READONLY);
             s->Unlock();
         },
         {"bring all"}},
        {"fill",
         [&] { s->Blt(&part, nullptr, nullptr, DDBLT_COLORFILL, 1); },
         {"bring 1,2,4,5", "changed 1,2,4,5"}},
        {"blit into it",
         [&] { s->Blt(&part, other.get(), &part, DDBLT_WAIT); },
         {"bring 1,2,4,5", "changed 1,2,4,5"}},
        {"blit out of it", [&] { other->Blt(&part, s.get(), &part, DDBLT_WAIT); }, {"bring 1,2,4,5"}},
        {"blit onto itself",
         [&] {
             const SurfaceRect to{4, 0, 7, 3};
             s->Blt(&to, s.get(), &part, DDBLT_WAIT);
         },
         {"bring 1,2,4,5", "bring 4,0,7,3", "changed 4,0,7,3"}},
        {"read a pixel", [&] { s->PixelAt(2, 2); }, {"bring all"}},
        {"write a pixel", [&] { s->SetPixelAt(2, 3, 7); }, {"bring all", "changed 2,3,3,4"}},
        {"the pixels", [&] { s->Bits(); }, {"bring all"}},
        {"stretched over all of it",
         [&] { s->Blt(nullptr, other.get(), &part, DDBLT_WAIT); },
         {"bring 0,0,8,6", "changed 0,0,8,6"}},
    };
    for (const Case& c : cases) {
        mirror.calls.clear();
        c.act();
        EXPECT_EQ(mirror.calls, c.want) << c.name;
    }
    // Nothing is told once the mirror is gone.
    s->SetMirror(nullptr);
    mirror.calls.clear();
    s->Blt(&part, nullptr, nullptr, DDBLT_COLORFILL, 1);
    EXPECT_TRUE(mirror.calls.empty());
}

} // namespace
} // namespace Quib
