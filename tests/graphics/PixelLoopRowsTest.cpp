// The white blit rows of the active loop family against the portable family
// over every pair of bytes that meets in them: each source alpha over each
// destination alpha, and each source channel over each destination channel,
// in rows whose groups are all opaque (the fast paths) and rows that mix.

#include "framework/core/CpuFeatures.h"
#include "framework/graphics/SoftwareRender.h"
#include "framework/graphics/loops/PixelLoops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace Quib {
namespace {

struct Rows {
    std::vector<uint32_t> s, d;
};

// Pixel i of an opaque row: source channels i >> 8, destination channels
// i & 255 (each channel a different rotation, so the three differ).
Rows OpaqueSource(uint32_t destAlphaSeed)
{
    Rows r;
    std::mt19937 rng(destAlphaSeed);
    for (uint32_t i = 0; i < 65536; ++i) {
        const uint32_t a = i >> 8, b = i & 255;
        r.s.push_back(0xFF000000 | a << 16 | ((a + 85) & 255) << 8 | ((a + 170) & 255));
        r.d.push_back((rng() & 0xFF000000) | b << 16 | ((b + 85) & 255) << 8 | ((b + 170) & 255));
    }
    return r;
}

// Pixel i: source alpha i >> 8 over destination alpha i & 255, random colours.
Rows EveryAlphaPair()
{
    Rows r;
    std::mt19937 rng(5);
    for (uint32_t i = 0; i < 65536; ++i) {
        r.s.push_back((i >> 8) << 24 | (rng() & 0x00FFFFFF));
        r.d.push_back((i & 255) << 24 | (rng() & 0x00FFFFFF));
    }
    return r;
}

// Pixel i: source alpha i >> 8 with each channel i & 255 (rotated), over
// random destination pixels.
Rows EveryAlphaAndChannel()
{
    Rows r;
    std::mt19937 rng(9);
    for (uint32_t i = 0; i < 65536; ++i) {
        const uint32_t c = i & 255;
        r.s.push_back((i >> 8) << 24 | c << 16 | ((c + 85) & 255) << 8 | ((c + 170) & 255));
        r.d.push_back(uint32_t(rng()));
    }
    return r;
}

class PixelLoopRows : public testing::Test {
protected:
    PixelLoopTable portable;
    const PixelLoopTable& active = ActiveLoops();
    const std::string family = std::string(" (") + PixelLoopsName(ActivePixelLoops()) + " loops)";

    void SetUp() override { FillPortableLoops(portable); }

    // Runs one row kernel from both tables at several start offsets (the
    // fast loops align on the destination) and compares every word.
    template <class Run>
    void Compare(const char* what, const Rows& rows, Run run)
    {
        for (int offset : {0, 1, 3, 7}) {
            const int width = int(rows.s.size()) - offset;
            std::vector<uint32_t> fast(rows.d.begin() + offset, rows.d.end()), slow = fast;
            run(active, fast.data(), rows.s.data() + offset, width);
            run(portable, slow.data(), rows.s.data() + offset, width);
            for (int i = 0; i < width; ++i)
                ASSERT_EQ(fast[size_t(i)], slow[size_t(i)])
                    << what << " at pixel " << i << ", offset " << offset << ": source " << std::hex
                    << rows.s[size_t(i + offset)] << " over " << rows.d[size_t(i + offset)] << family;
        }
    }
};

TEST_F(PixelLoopRows, WhiteRowOverEveryPair)
{
    auto white = [](const PixelLoopTable& t, uint32_t* d, const uint32_t* s, int n) { t.whiteRow(d, s, n); };
    Compare("opaque source", OpaqueSource(1), white);
    Compare("every alpha pair", EveryAlphaPair(), white);
    Compare("every alpha and channel", EveryAlphaAndChannel(), white);
}

TEST_F(PixelLoopRows, AdditiveWhiteRowOverEveryPair)
{
    for (bool translucent : {false, true}) {
        auto add = [translucent](const PixelLoopTable& t, uint32_t* d, const uint32_t* s, int n) {
            t.additiveWhiteRow(d, s, n, translucent);
        };
        Compare("opaque source", OpaqueSource(2), add);
        Compare("every alpha and channel", EveryAlphaAndChannel(), add);
    }
}

// The rotated white span into a 32-bit surface: random pictures (every
// alpha, opaque stretches, transparent holes) over random words, turned by
// small and large angles, against the portable rule.
// The rotated white spans of pictures shrunk or enlarged and turned a
// little, most groups of pixels on one source row: steps across from a
// quarter texel to just past two, against the portable rules.
TEST_F(PixelLoopRows, RotatedWhiteSpansScaledAndTurnedALittleMatchPortable)
{
    constexpr int kW = 160, kH = 24;
    std::mt19937 rng(57);
    std::vector<uint32_t> picture(size_t(kW) * kH);
    for (uint32_t& px : picture) {
        const uint32_t kind = rng() % 4;
        px = (kind == 0 ? 0u : kind == 1 ? 255u : rng() & 255) << 24 | (rng() & 0x00FFFFFF);
    }
    const PixelSource src{picture.data(), nullptr, nullptr, kW, kH};
    const Rect whole(0, 0, kW, kH);
    static const double scales[] = {0.25, 1.0, 1.9, 2.0, 2.05, 2.1, 2.14, -1.0, -2.1};
    static const double slopes[] = {0.0, 0.001, 0.01, 0.05};
    for (int n = 0; n < 600; ++n) {
        const int32_t du = int32_t(scales[n % 9] * 65536) + int32_t(rng() % 64) - 32;
        const int32_t dv = int32_t(slopes[(n / 9) % 4] * 65536 * (rng() % 2 ? 1 : -1));
        const int count = 1 + int(rng() % 60);
        // A start whose whole span keeps its 2 x 2 blocks inside the picture.
        const int64_t reach = int64_t(du) * (count - 1);
        const int64_t lowU = reach < 0 ? -reach : 0, highU = (int64_t(kW - 2) << 16) - (reach > 0 ? reach : 0);
        if (highU <= lowU)
            continue;
        const int32_t u = int32_t(lowU + int64_t(rng() % uint32_t(highU - lowU)));
        const int32_t v = int32_t(10 << 16) + int32_t(rng() % (2 << 16));
        for (int kind = 0; kind < 2; ++kind) {
            std::vector<uint32_t> fast(static_cast<size_t>(count));
            for (uint32_t& w : fast)
                w = uint32_t(rng()) | (kind == 1 && rng() % 2 ? 0xFF000000u : 0u);
            std::vector<uint32_t> slow = fast;
            if (kind == 0) {
                active.rotatedWhiteSurfaceSpan(fast.data(), count, u, v, du, dv, src, whole);
                portable.rotatedWhiteSurfaceSpan(slow.data(), count, u, v, du, dv, src, whole);
            } else {
                active.rotatedWhiteSpan(fast.data(), count, u, v, du, dv, src, whole, n % 3 == 0);
                portable.rotatedWhiteSpan(slow.data(), count, u, v, du, dv, src, whole, n % 3 == 0);
            }
            ASSERT_EQ(fast, slow) << "case " << n << " kind " << kind << family;
        }
    }
}

TEST_F(PixelLoopRows, RotatedWhiteSurfaceSpanMatchesPortable)
{
    constexpr int kW = 64, kH = 48;
    std::mt19937 rng(31);
    std::vector<uint32_t> picture(size_t(kW) * kH);
    for (size_t i = 0; i < picture.size(); ++i) {
        const uint32_t kind = rng() % 4;
        const uint32_t alpha = kind == 0 ? 0 : kind == 1 ? 255 : rng() & 255;
        picture[i] = alpha << 24 | (rng() & 0x00FFFFFF);
    }
    const PixelSource src{picture.data(), nullptr, nullptr, kW, kH};
    const Rect whole(0, 0, kW, kH);
    for (int n = 0; n < 400; ++n) {
        const double angle = (n % 2 ? 0.02 : 3.0) * (double(rng() % 2001) / 1000.0 - 1.0);
        const int32_t du = int32_t(std::cos(angle) * 65536), dv = int32_t(std::sin(angle) * 65536);
        const int count = 1 + int(rng() % 40);
        // A start whose whole span keeps its 2 x 2 blocks inside the picture.
        const int32_t u = int32_t(20 << 16) + int32_t(rng() % (4 << 16)), v = int32_t(20 << 16) + int32_t(rng() % (4 << 16));
        std::vector<uint32_t> fast(static_cast<size_t>(count));
        for (uint32_t& w : fast)
            w = uint32_t(rng());
        std::vector<uint32_t> slow = fast;
        active.rotatedWhiteSurfaceSpan(fast.data(), count, u, v, du / 2, dv / 2, src, whole);
        portable.rotatedWhiteSurfaceSpan(slow.data(), count, u, v, du / 2, dv / 2, src, whole);
        ASSERT_EQ(fast, slow) << "case " << n << family;
    }
}

// A picture moved without turning (u one texel a pixel, v fixed), at every
// kind of fraction, with spans of every length about the vector width.
TEST_F(PixelLoopRows, TranslatedWhiteSurfaceSpanMatchesPortable)
{
    constexpr int kW = 80, kH = 20;
    std::mt19937 rng(32);
    std::vector<uint32_t> picture(size_t(kW) * kH);
    for (size_t i = 0; i < picture.size(); ++i) {
        const uint32_t kind = rng() % 4;
        const uint32_t alpha = kind == 0 ? 0 : kind == 1 ? 255 : rng() & 255;
        uint32_t p = alpha << 24;
        for (int shift = 0; shift < 24; shift += 8)
            p |= (kind == 3 ? rng() & 255 : (alpha == 0 ? 0 : rng() % (alpha + 1))) << shift;
        picture[i] = p;
    }
    // A run of transparent texels: whole groups of empty samples.
    for (int x = 10; x < 40; ++x)
        picture[size_t(5) * kW + size_t(x)] = picture[size_t(6) * kW + size_t(x)] = 0;
    const PixelSource src{picture.data(), nullptr, nullptr, kW, kH};
    const Rect part(3, 2, kW - 3, kH - 2);
    const int32_t fractions[] = {0, 1, 0x8000, 0xFFFF, 0x7FFF};
    for (int n = 0; n < 600; ++n) {
        const int count = 1 + int(rng() % 50);
        const int32_t fu = n < 25 ? fractions[n % 5] : int32_t(rng() & 0xFFFF);
        const int32_t fv = n < 25 ? fractions[n / 5] : int32_t(rng() & 0xFFFF);
        const int32_t u = int32_t(rng() % uint32_t(kW - 3 - count - 1)) * 65536 + fu;
        const int32_t v = int32_t(rng() % uint32_t(kH - 2 - 1)) * 65536 + fv;
        std::vector<uint32_t> fast(static_cast<size_t>(count));
        for (uint32_t& w : fast)
            w = rng() % 3 == 0 ? 0xFF000000u | uint32_t(rng()) : uint32_t(rng());
        std::vector<uint32_t> slow = fast;
        active.rotatedWhiteSurfaceSpan(fast.data(), count, u, v, 65536, 0, src, part);
        portable.rotatedWhiteSurfaceSpan(slow.data(), count, u, v, 65536, 0, src, part);
        ASSERT_EQ(fast, slow) << "case " << n << " u " << u << " v " << v << family;
    }
}


// ---- The image-copy rows into the 32-bit surface layout, every family the
// processor runs against the portable loops.

struct LoopFamily {
    std::string name;
    PixelLoopTable table;
};

std::vector<LoopFamily> CopyRowFamilies()
{
    std::vector<LoopFamily> out;
    LoopFamily sse2{"sse2", {}};
    FillPortableLoops(sse2.table);
    FillSse2Loops(sse2.table);
    out.push_back(sse2);
    if (__builtin_cpu_supports("avx2")) {
        LoopFamily avx2{"avx2", sse2.table};
        FillAvx2Loops(avx2.table);
        out.push_back(avx2);
    }
    return out;
}

// Source words as the display copies hold them (each channel at most its
// alpha) or, when raw, any channels; runs of one alpha mixed with single
// pixels so that the vector groups see both.
std::vector<uint32_t> CopyRowSource(std::mt19937& rng, int n, bool raw)
{
    std::vector<uint32_t> s;
    while (int(s.size()) < n) {
        const uint32_t a = rng() % 4 == 0 ? 255 : rng() % 8 == 0 ? 0 : rng() & 255;
        const int run = int(rng() % 3 == 0 ? rng() % 40 + 1 : 1);
        for (int k = 0; k < run && int(s.size()) < n; ++k) {
            uint32_t p = a << 24;
            for (int shift = 0; shift < 24; shift += 8) {
                const uint32_t c = raw ? rng() & 255 : (a == 0 ? 0 : rng() % (a + 1));
                p |= c << shift;
            }
            s.push_back(p);
        }
    }
    return s;
}

TEST_F(PixelLoopRows, CopyRowsIntoTheSurfaceLayoutMatchPortable)
{
    std::mt19937 rng(33);
    const auto families = CopyRowFamilies();
    for (int round = 0; round < 300; ++round) {
        const int n = int(rng() % 70);
        const int offset = int(rng() % 8);
        const bool raw = round % 5 == 0;
        const std::vector<uint32_t> s = CopyRowSource(rng, n + offset, raw);
        std::vector<uint32_t> d(size_t(n + offset));
        for (uint32_t& w : d)
            w = uint32_t(rng());
        // Colours: white, grey, any; colour alpha 255 often.
        const uint32_t colorAlpha = rng() % 3 == 0 ? 255 : rng() & 255;
        uint32_t k[3];
        const uint32_t grey = rng() & 255;
        for (uint32_t& c : k)
            c = (round % 3 == 0 ? grey : rng() & 255) * colorAlpha / 255;
        for (const LoopFamily& f : families) {
            std::vector<uint32_t> fast = d, slow = d;
            f.table.premulOverRow(fast.data() + offset, s.data() + offset, n);
            portable.premulOverRow(slow.data() + offset, s.data() + offset, n);
            ASSERT_EQ(fast, slow) << "premultiplied row, " << f.name << " loops, round " << round;
            fast = slow = d;
            f.table.modulateOverRow(fast.data() + offset, s.data() + offset, n, k, colorAlpha);
            portable.modulateOverRow(slow.data() + offset, s.data() + offset, n, k, colorAlpha);
            ASSERT_EQ(fast, slow) << "modulated row, " << f.name << " loops, round " << round << " raw " << raw
                                  << " colour alpha " << colorAlpha;
        }
    }
}

TEST_F(PixelLoopRows, PaletteRowMatchesPortable)
{
    std::mt19937 rng(4);
    std::vector<uint32_t> palette(256);
    for (uint32_t& p : palette)
        p = uint32_t(rng());
    std::vector<uint8_t> indices(300);
    for (uint8_t& i : indices)
        i = uint8_t(rng());
    indices[0] = 0;
    indices[1] = 255;
    for (const LoopFamily& f : CopyRowFamilies())
        for (int n : {0, 1, 7, 8, 9, 17, 299}) {
            for (int offset : {0, 1}) {
                std::vector<uint32_t> fast(size_t(n) + 1, 0x12345678u), slow = fast;
                f.table.paletteRow(fast.data(), palette.data(), indices.data() + offset, n);
                portable.paletteRow(slow.data(), palette.data(), indices.data() + offset, n);
                ASSERT_EQ(fast, slow) << f.name << " loops, " << n << " pixels";
            }
        }
}

// The fused palette modulation against the lookup and modulateOverRow of
// the portable loops, on palettes of display-copy words (always usable) and
// of raw words (refused where a lane could carry).
TEST_F(PixelLoopRows, PaletteModulateRowMatchesLookupAndModulate)
{
    std::mt19937 rng(51);
    const auto families = CopyRowFamilies();
    int refused = 0;
    for (int round = 0; round < 400; ++round) {
        const bool raw = round % 4 == 0;
        const std::vector<uint32_t> palette = CopyRowSource(rng, 256, raw);
        const int n = int(rng() % 90), offset = int(rng() % 8);
        std::vector<uint8_t> indices(size_t(n + offset));
        for (uint8_t& i : indices)
            i = uint8_t(rng());
        std::vector<uint32_t> d(size_t(n + offset));
        for (uint32_t& w : d)
            w = rng() % 5 == 0 ? 0x00FFFFFFu : uint32_t(rng());
        const uint32_t colorAlpha = rng() % 3 == 0 ? 255 : rng() & 255;
        uint32_t k[3];
        const uint32_t grey = rng() % 4 == 0 ? 255 : rng() & 255;
        for (uint32_t& c : k)
            c = (round % 3 == 0 ? grey : rng() & 255) * colorAlpha / 255;
        uint64_t terms[256];
        if (!PaletteModulateTerms(palette.data(), k, colorAlpha, terms)) {
            ASSERT_TRUE(raw) << "display-copy words always fit, round " << round;
            ++refused;
            continue;
        }
        std::vector<uint32_t> words(size_t(n + offset)), slow = d;
        portable.paletteRow(words.data(), palette.data(), indices.data(), n + offset);
        portable.modulateOverRow(slow.data() + offset, words.data() + offset, n, k, colorAlpha);
        for (const LoopFamily& f : families) {
            std::vector<uint32_t> fast = d;
            f.table.paletteModulateRow(fast.data() + offset, terms, indices.data() + offset, n);
            ASSERT_EQ(fast, slow) << f.name << " loops, round " << round << " raw " << raw << " colour alpha "
                                  << colorAlpha;
        }
    }
    EXPECT_GT(refused, 0) << "raw palettes that could carry are refused";
}

// Every source alpha with every channel value under every colour alpha,
// white and tinted, each pixel over a random destination and over white
// (where a weight off by one shows in the rounding).
TEST_F(PixelLoopRows, ModulatedCopyRowOverEveryAlphaAndColourAlpha)
{
    Rows rows = EveryAlphaAndChannel();
    for (size_t i = 0; i < 65536; ++i) {
        const uint32_t a = rows.s[i] >> 24;
        rows.s.push_back(a << 24 | a * 0x010101u);
        rows.d.push_back(0xFFFFFFFF);
    }
    const auto families = CopyRowFamilies();
    for (uint32_t colorAlpha = 0; colorAlpha < 256; colorAlpha += 17) {
        static constexpr uint32_t kTints[2][3] = {{255, 255, 255}, {200, 31, 0}};
        for (const auto& k : kTints) {
            const uint32_t scaled[3] = {k[0] * colorAlpha / 255, k[1] * colorAlpha / 255, k[2] * colorAlpha / 255};
            std::vector<uint32_t> slow = rows.d;
            portable.modulateOverRow(slow.data(), rows.s.data(), int(rows.s.size()), scaled, colorAlpha);
            for (const LoopFamily& f : families) {
                std::vector<uint32_t> fast = rows.d;
                f.table.modulateOverRow(fast.data(), rows.s.data(), int(rows.s.size()), scaled, colorAlpha);
                ASSERT_EQ(fast, slow) << f.name << " loops, colour alpha " << colorAlpha;
            }
        }
    }
}

} // namespace
} // namespace Quib
