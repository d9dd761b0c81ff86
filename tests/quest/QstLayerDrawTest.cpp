// Layer drawing: pixels checked where they are plain to compute, and small
// pictures compared with reviewed PNG files under tests/data/quest/layers/
// (QUIB_UPDATE_GOLDEN=1 rewrites them).
#include "framework/graphics/DrawTransform.h"
#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageLib.h"
#include "src/game/quest/Layer/QstImageLayer.h"
#include "src/game/quest/Layer/QstImageLayerData.h"
#include "src/game/quest/Layer/QstSceneDistortion.h"
#include "src/game/quest/Layer/QstSeaLayer.h"
#include "src/game/quest/Layer/QstTextLayer.h"
#include "src/game/quest/Layer/QstTextLayerData.h"
#include "tests/quest/LayerTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>

namespace Quib {
namespace {

using namespace Testing;

// A canvas of one colour with a Graphics over it, as a field leaves it.
struct LayerCanvas {
    LayerCanvas(int w, int h, uint32_t argb = 0xFF204060u) : image(NewSolidPicture(w, h, argb)), g(image.get())
    {
        g.color = Color::White;
        g.ReplaceClip(0, 0, w, h);
    }
    uint32_t At(int x, int y) { return image->GetPixel(x, y); }
    std::unique_ptr<MemoryImage> image;
    Graphics g;
};

// The transform a field builds for a layer: its middle.
DrawTransform MiddleOf(const QstLayer& layer)
{
    DrawTransform t;
    t.Translate(layer.x + layer.data->width * 0.5f, layer.y + layer.data->height * 0.5f);
    return t;
}

// 12 x 8 (or scale times that): colour gradients, a transparent hole and
// a translucent band.
MemoryImage* PatternPicture(int scale = 1)
{
    return NewLayerPicture(12 * scale, 8 * scale, [scale](int px, int py) -> uint32_t {
        const int x = px / scale, y = py / scale;
        if (x >= 4 && x < 6 && y >= 3 && y < 5)
            return 0x00000000u;
        const uint32_t a = y == 7 ? 0x80u : 0xFFu;
        return a << 24 | uint32_t(x * 20) << 16 | uint32_t(y * 30) << 8 | 0xC0u;
    });
}

template <class L = QstImageLayer>
std::unique_ptr<L> LayerOver(MemoryImage* picture, float x, float y)
{
    auto* data = new QstImageLayerData(0);
    data->image = picture;
    data->width = float(picture->width);
    data->height = float(picture->height);
    data->loaded = true;
    auto layer = std::make_unique<L>(data);
    layer->x = x;
    layer->y = y;
    return layer;
}

void CompareWithLayerGolden(MemoryImage& drawn, const std::string& name)
{
    const std::string path = std::string(QUIB_TEST_DATA) + "/quest/layers/" + name;
    const uint32_t* px = drawn.Pixels();
    const size_t n = size_t(drawn.width) * size_t(drawn.height);
    if (std::getenv("QUIB_UPDATE_GOLDEN")) {
        ImageLib::Image out;
        out.width = drawn.width;
        out.height = drawn.height;
        out.pixels = new uint32_t[n];
        std::copy(px, px + n, out.pixels);
        ASSERT_TRUE(ImageLib::WritePng(path, &out)) << path;
        return;
    }
    const auto golden = ImageLib::ReadPng(path);
    ASSERT_TRUE(golden) << "missing " << path << " (QUIB_UPDATE_GOLDEN=1 writes it)";
    ASSERT_EQ(golden->width, drawn.width);
    ASSERT_EQ(golden->height, drawn.height);
    int differ = 0;
    for (size_t i = 0; i < n; ++i)
        differ += golden->pixels[i] != px[i];
    EXPECT_EQ(differ, 0) << name << ": pixels differing from the reviewed picture";
}

// Colour words equal within the rounding of a blend.
::testing::AssertionResult NearWord(uint32_t actual, uint32_t expected)
{
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(int((actual >> shift) & 0xFF) - int((expected >> shift) & 0xFF)) > 5)
            return ::testing::AssertionFailure() << std::hex << actual << " is not " << expected;
    }
    return ::testing::AssertionSuccess();
}

TEST(QstLayerDraw, ImageLayerDrawsAtItsPlaceTintedAndSkipsHoles)
{
    LayerCanvas canvas(24, 16);
    auto layer = LayerOver(PatternPicture(), 5, 3);
    DrawTransform t = MiddleOf(*layer);
    layer->Draw(canvas.g, t, nullptr);
    EXPECT_EQ(canvas.At(4, 3), 0xFF204060u) << "left of the layer";
    // On whole pixels the picture is copied as it is.
    EXPECT_EQ(canvas.At(5, 3), 0xFF0000C0u);
    EXPECT_EQ(canvas.At(5 + 11, 3 + 6), 0xFF000000u | 220u << 16 | 180u << 8 | 0xC0u);
    EXPECT_TRUE(NearWord(canvas.At(5 + 11, 3 + 7), 0xFF7E8990u))
        << "the translucent row blends";
    EXPECT_EQ(canvas.At(5 + 4, 3 + 3), 0xFF204060u) << "the hole";
    EXPECT_EQ(canvas.g.SavedStateCount(), 0u);
    EXPECT_EQ(canvas.g.color, Color::White) << "the state is restored";
    EXPECT_FALSE(canvas.g.colorizeImages);
    CompareWithLayerGolden(*canvas.image, "image_layer.png");

    // The data colour multiplies the Graphics colour.
    LayerCanvas tinted(24, 16, 0xFF000000u);
    layer->data->color = Color(255, 0, 255, 255);
    layer->Draw(tinted.g, t, nullptr);
    EXPECT_TRUE(NearWord(tinted.At(5 + 9, 3), 0xFF0000C0u | 180u << 16));

    // Half a pixel off, the picture goes through the resampler.
    LayerCanvas between(24, 16, 0xFF000000u);
    auto solid = LayerOver(NewSolidPicture(4, 4, 0xFFFFFFFFu), 5.5f, 3);
    DrawTransform th = MiddleOf(*solid);
    solid->Draw(between.g, th, nullptr);
    EXPECT_TRUE(NearWord(between.At(7, 4), 0xFFFFFFFFu));
    EXPECT_EQ(between.At(4, 4), 0xFF000000u);
    EXPECT_EQ(between.At(10, 4), 0xFF000000u);
}

TEST(QstLayerDraw, NoImageDrawsNothing)
{
    LayerCanvas canvas(8, 8);
    auto* data = new QstImageLayerData(0);
    data->width = 8;
    data->height = 8;
    QstImageLayer layer(data);
    DrawTransform t = MiddleOf(layer);
    layer.Draw(canvas.g, t, nullptr);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(canvas.At(x, y), 0xFF204060u);
}

TEST(QstSceneDistortion, WavesLeaveTheScreenEdgesInPlace)
{
    QstSceneDistortion d(1024, 768);
    for (float time : {0.0f, 0.7f, 3.1f}) {
        d.time = time;
        const TPoint<float> left = d.Distort(0, 100);
        EXPECT_EQ(left.x, 0.0f) << time;
        EXPECT_FLOAT_EQ(left.y, 100 + 2 * std::cos(100.0f / 76 + time)) << time;
        EXPECT_EQ(d.Distort(1024, 5).x, 1024.0f);
        EXPECT_EQ(d.Distort(5, 0).y, 0.0f);
        EXPECT_EQ(d.Distort(5, 768).y, 768.0f);
        const TPoint<float> inner = d.Distort(300, 200);
        EXPECT_FLOAT_EQ(inner.x, 300 + 2 * std::sin(300.0f / 102 + time));
        EXPECT_FLOAT_EQ(inner.y, 200 + 2 * std::cos(200.0f / 76 + time));
    }
    // Amplitude factor and time offset.
    d.time = 1;
    EXPECT_FLOAT_EQ(d.Distort(300, 200, 0.5f, 2).x, 300 + 1 * std::sin(300.0f / 102 + 3));
    // Degenerate counts do not divide by zero.
    d.columns = 0;
    d.rows = 10000;
    EXPECT_TRUE(std::isfinite(d.Distort(300, 200).x));
    EXPECT_TRUE(std::isfinite(d.Distort(300, 200).y));
}

TEST(QstSceneDistortion, DistortedImageLayerMatchesItsPicture)
{
    LayerCanvas canvas(48, 32);
    canvas.g.transX = 3; // a field away from the screen's corner
    canvas.g.transY = 2;
    QstSceneDistortion d(48, 32);
    d.columns = 8;
    d.rows = 6;
    d.amplitude = 3;
    d.time = 0.7f;
    auto layer = LayerOver(PatternPicture(3), 6, 4);
    DrawTransform t = MiddleOf(*layer);
    layer->Draw(canvas.g, t, &d);
    CompareWithLayerGolden(*canvas.image, "distorted_image.png");
}

TEST(QstSceneDistortion, AmplitudeZeroDrawsTheImageInPlace)
{
    LayerCanvas canvas(24, 16);
    QstSceneDistortion d(24, 16);
    d.amplitude = 0;
    auto layer = LayerOver(NewSolidPicture(10, 5, 0xFFFF0000u), 7, 6);
    DrawTransform t = MiddleOf(*layer);
    layer->Draw(canvas.g, t, &d);
    EXPECT_EQ(canvas.At(6, 6), 0xFF204060u);
    EXPECT_EQ(canvas.At(7, 6), 0xFFFF0000u);
    EXPECT_EQ(canvas.At(16, 10), 0xFFFF0000u);
    EXPECT_EQ(canvas.At(17, 10), 0xFF204060u);
    EXPECT_EQ(canvas.At(16, 11), 0xFF204060u);
}

TEST(QstSeaLayer, BobsAndTurnsAboutTheScreenCentre)
{
    QstSeaLayer::SetScreenSize(64, 48);
    // At t = 5/3 the bob is at its lowest (+7) and the turn is at
    // sin(pi/4) of its largest.
    QstSeaLayer::SetSeaClock(5.0f / 3.0f);
    LayerCanvas canvas(64, 48);
    auto sea = LayerOver<QstSeaLayer>(PatternPicture(), 20, 10);
    DrawTransform t = MiddleOf(*sea);
    sea->Draw(canvas.g, t, nullptr);
    CompareWithLayerGolden(*canvas.image, "sea_layer.png");
    QstSeaLayer::SetScreenSize(0, 0);
    QstSeaLayer::SetSeaClock(0);
}

TEST(QstSeaLayer, WithDistortionItBobsButDoesNotTurn)
{
    QstSeaLayer::SetScreenSize(64, 48);
    QstSeaLayer::SetSeaClock(5.0f / 3.0f);
    QstSceneDistortion flat(64, 48);
    flat.amplitude = 0;
    LayerCanvas seaCanvas(64, 48), plainCanvas(64, 48);
    auto sea = LayerOver<QstSeaLayer>(NewSolidPicture(10, 6, 0xFF00FF00u), 20, 10);
    DrawTransform t = MiddleOf(*sea);
    sea->Draw(seaCanvas.g, t, &flat);
    // The same picture as a plain image layer 7 pixels lower.
    auto plain = LayerOver(NewSolidPicture(10, 6, 0xFF00FF00u), 20, 17);
    DrawTransform tp = MiddleOf(*plain);
    plain->Draw(plainCanvas.g, tp, &flat);
    int differ = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            differ += seaCanvas.At(x, y) != plainCanvas.At(x, y);
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(seaCanvas.At(20, 17), 0xFF00FF00u);
    EXPECT_EQ(seaCanvas.At(20, 16), 0xFF204060u);
    QstSeaLayer::SetScreenSize(0, 0);
    QstSeaLayer::SetSeaClock(0);
}

TEST(QstSeaLayer, ClockAdvancesByHundredthsAndClonesStaySea)
{
    QstSeaLayer::SetSeaClock(0);
    for (int i = 0; i < 100; ++i)
        QstSeaLayer::AdvanceSeaClock();
    EXPECT_NEAR(QstSeaLayer::SeaClock(), 1.0f, 1e-4f);
    QstSeaLayer::SetSeaClock(0);
    auto sea = LayerOver<QstSeaLayer>(NewSolidPicture(2, 2, 0xFF000000u), 0, 0);
    std::unique_ptr<QstLayer> clone(sea->Clone());
    EXPECT_NE(dynamic_cast<QstSeaLayer*>(clone.get()), nullptr);
}

// A font of fixed-width glyphs that records what it is asked to draw.
class LayerRecordingFont : public Font {
public:
    LayerRecordingFont()
    {
        ascent = 8;
        height = 10;
        loaded = true;
    }
    Font* Clone() const override { return new LayerRecordingFont(*this); }
    int WidthOfChar(char16_t) const override { return 6; }
    int WidthOfCharAfter(char16_t, char16_t) const override { return 6; }
    int WidthOfText(std::u16string_view text, float, float, float) const override { return 6 * int(text.size()); }
    void LayoutText(FRect& r, std::u16string_view text, float x, float y, float sx, float sy, float, int,
                    int) const override
    {
        r = FRect(x, y, float(6 * text.size()) * sx, float(height) * sy);
    }
    void RenderText(Graphics&, int x, int y, std::u16string_view text, const Color& color, const Rect&, float,
                    float, float, int, int) const override
    {
        lines->push_back({std::u16string(text), x, y, color});
    }
    struct Line {
        std::u16string text;
        int x, y;
        Color color;
    };
    std::vector<Line>* lines = nullptr;
};

TEST(QstTextLayer, DrawsItsTextAlignedInThePictureBox)
{
    std::vector<LayerRecordingFont::Line> lines;
    LayerRecordingFont font;
    font.lines = &lines;
    auto* data = new QstTextLayerData(0);
    data->image = NewSolidPicture(60, 30, 0xFF000000u);
    data->loaded = true;
    data->width = 60;
    data->height = 30;
    data->font = &font;
    data->text = u"ab cd";
    data->color = Color(43, 14, 0, 255);
    QstTextLayer layer(data);
    layer.x = 10;
    layer.y = 20;
    LayerCanvas canvas(100, 60);
    struct Case {
        int alignment;
        int x;
    };
    for (const Case c : {Case{-1, 10}, Case{0, 10 + (60 - 30) / 2}, Case{1, 10 + 60 - 30}}) {
        lines.clear();
        data->alignment = c.alignment;
        DrawTransform t = MiddleOf(layer);
        layer.Draw(canvas.g, t, nullptr);
        ASSERT_FALSE(lines.empty()) << c.alignment;
        EXPECT_EQ(lines[0].x, c.x) << c.alignment;
        EXPECT_EQ(lines[0].y, 20 + 8) << c.alignment;
        EXPECT_EQ(lines[0].color, Color(43, 14, 0, 255));
    }
    EXPECT_EQ(canvas.At(15, 25), 0xFF204060u) << "the picture itself is not drawn";
    EXPECT_EQ(canvas.g.font, nullptr) << "the font is restored";
}

} // namespace
} // namespace Quib
