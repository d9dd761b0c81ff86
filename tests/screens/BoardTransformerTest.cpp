// Board transitions: the kind chosen by the settings, their timing on the
// wall clock, and what each draws.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/headless/FakeClock.h"
#include "src/screens/BoardTransformer.h"
#include "src/screens/BoardTransformerEmpty.h"
#include "src/screens/BoardTransformerFade.h"
#include "src/screens/BoardTransformerFadeIn.h"
#include "src/screens/BoardTransformerFromMovie.h"
#include "src/screens/BoardTransformerPager.h"
#include "src/screens/BoardTransformerSlide.h"
#include "src/screens/BoardTransformerToMovie.h"
#include "tests/screens/ScreensTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

const Color kRed(255, 0, 0);
const Color kBlue(0, 0, 255);

TEST(ParseScreenEffect, NamesAndTheDefault)
{
    struct Case {
        const char* name;
        int kind;
    };
    const Case cases[] = {
        {"fade", 1}, {"slide", 2}, {"page", 3}, {"fade_in", 4}, {"to_movie", 5}, {"from_movie", 6},
        {"none", 0}, {"wipe", 9},  {"", 9},     {"Fade", 9},    {"fade ", 9},    {"fade,page", 9},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseScreenEffect(c.name, 9), c.kind) << c.name;
}

// A transition made from settings text; the default kind is read afresh.
struct Transition {
    ScopedFakeClock clock;
    ScopedGameIni ini;
    CountingListener listener;
    SolidBoard oldBoard;
    SolidBoard newBoard;
    std::unique_ptr<BoardTransformer> transformer;

    Transition(const std::string& settings, bool withNew, int w = 64, int h = 48, uint32_t startMs = 1000,
               int stripes = 0)
        : clock(startMs), ini(settings), oldBoard("Game", kRed, w, h), newBoard("Menu", kBlue, w, h)
    {
        oldBoard.stripes = newBoard.stripes = stripes;
        ResetDefaultScreenEffect();
        transformer.reset(CreateBoardTransformer(&oldBoard, withNew ? &newBoard : nullptr, &listener));
        transformer->Update(); // the clock's first reading
    }
    void Run(uint32_t ms)
    {
        clock.Advance(ms);
        transformer->Update();
    }
    // The whole drawing of the transformer.
    std::unique_ptr<MemoryImage> Frame()
    {
        std::unique_ptr<MemoryImage> screen(NewScreen(transformer->width, transformer->height));
        TreeWalkFlags flags;
        flags.upperFlags = flags.lowerFlags = WIDGETFLAGS_DEFAULT;
        flags.aboveBase = true;
        Graphics g(screen.get());
        transformer->DrawTree(flags, g);
        return screen;
    }
    uint32_t Pixel(int px, int py)
    {
        std::unique_ptr<MemoryImage> screen(NewScreen(transformer->width, transformer->height));
        TreeWalkFlags flags;
        flags.upperFlags = flags.lowerFlags = WIDGETFLAGS_DEFAULT;
        flags.aboveBase = true;
        Graphics g(screen.get());
        transformer->DrawTree(flags, g);
        return screen->GetPixel(px, py);
    }
};

std::string Settings(const std::string& kind, const std::string& durations)
{
    return "[ScreenEffect]\r\ndefault=none\r\nGameToMenu=" + kind + "\r\nGameTo=" + kind + "\r\n[Game]\r\n" +
           durations;
}

const char* const kDurations = "ScreenFade=1\r\nMovieFadeInTime=0.5\r\nMovieFadeOutTime=0.25\r\n";

TEST(CreateBoardTransformer, KeyFromTheBoardNamesElseTheDefault)
{
    struct Case {
        const char* settings;
        bool withNew;
        const std::type_info& kind;
    };
    const Case cases[] = {
        {"[ScreenEffect]\r\ndefault=slide\r\nGameToMenu=page\r\n", true, typeid(BoardTransformerPager)},
        {"[ScreenEffect]\r\ndefault=slide\r\nGameToMenu=wipe\r\n", true, typeid(BoardTransformerSlide)},
        {"[ScreenEffect]\r\ndefault=slide\r\nMenuToGame=page\r\n", true, typeid(BoardTransformerSlide)},
        {"[ScreenEffect]\r\ndefault=fade_in\r\nGameTo=to_movie\r\n", false, typeid(BoardTransformerToMovie)},
        {"[ScreenEffect]\r\ngametomenu=from_movie\r\n", true, typeid(BoardTransformerFromMovie)},
        {"[ScreenEffect]\r\nGameToMenu=fade\r\n", false, typeid(BoardTransformerEmpty)},
        {"", true, typeid(BoardTransformerEmpty)},
    };
    for (const Case& c : cases) {
        Transition t(c.settings, c.withNew);
        const BoardTransformer& made = *t.transformer;
        EXPECT_EQ(typeid(made), c.kind) << c.settings;
    }
}

TEST(CreateBoardTransformer, TheDefaultKindIsReadOnce)
{
    std::unique_ptr<Transition> first = std::make_unique<Transition>("[ScreenEffect]\r\ndefault=slide\r\n", true);
    first.reset();
    CountingListener listener;
    SolidBoard a("Game", kRed), b("Menu", kBlue);
    ScopedGameIni changed("[ScreenEffect]\r\ndefault=page\r\n");
    std::unique_ptr<BoardTransformer> second(CreateBoardTransformer(&a, &b, &listener));
    EXPECT_NE(dynamic_cast<BoardTransformerSlide*>(second.get()), nullptr);
    ResetDefaultScreenEffect();
    std::unique_ptr<BoardTransformer> third(CreateBoardTransformer(&a, &b, &listener));
    EXPECT_NE(dynamic_cast<BoardTransformerPager*>(third.get()), nullptr);
}

TEST(CreateBoardTransformer, CoversBothBoardsAndHidesThem)
{
    ScopedGameIni ini("");
    ResetDefaultScreenEffect();
    CountingListener listener;
    SolidBoard a("Game", kRed), b("Menu", kBlue);
    b.MoveTo(10, 20);
    std::unique_ptr<BoardTransformer> t(CreateBoardTransformer(&a, &b, &listener));
    EXPECT_EQ(t->GetBounds(), Rect(0, 0, 74, 68));
    EXPECT_FALSE(a.visible);
    EXPECT_FALSE(b.visible);
    std::unique_ptr<BoardTransformer> alone(CreateBoardTransformer(&b, nullptr, &listener));
    EXPECT_EQ(alone->GetBounds(), Rect(10, 20, 64, 48));
}

const char* const kKinds[] = {"none", "fade", "slide", "page", "fade_in", "to_movie", "from_movie"};

TEST(BoardTransformer, EveryKindFinishesOnItsFirstUpdateWithoutDurations)
{
    for (const char* kind : kKinds) {
        for (bool withNew : {true, false}) {
            Transition t(Settings(kind, ""), withNew, 1024, 768);
            EXPECT_EQ(t.listener.done, 1) << kind << " " << withNew;
            EXPECT_TRUE(t.oldBoard.visible);
            EXPECT_TRUE(t.newBoard.visible);
            t.Pixel(0, 0); // drawing after the end is harmless
            t.Run(100);
            t.transformer->Finish();
            EXPECT_EQ(t.listener.done, 1) << kind;
        }
    }
}

TEST(BoardTransformer, EachKindEndsOnTime)
{
    struct Case {
        const char* kind;
        bool withNew;
        uint32_t endMs;
    };
    const Case cases[] = {
        {"fade", true, 1000},    {"fade", false, 500},     {"slide", true, 1000},     {"slide", false, 500},
        {"page", true, 1000},    {"page", false, 500},     {"fade_in", true, 1000},   {"fade_in", false, 500},
        {"to_movie", true, 750}, {"to_movie", false, 500}, {"from_movie", true, 750}, {"from_movie", false, 250},
    };
    for (const Case& c : cases) {
        Transition t(Settings(c.kind, kDurations), c.withNew, 1024, 768);
        t.Run(c.endMs - 10);
        EXPECT_EQ(t.listener.done, 0) << c.kind << " " << c.withNew;
        EXPECT_FALSE(t.oldBoard.visible);
        t.Run(20);
        EXPECT_EQ(t.listener.done, 1) << c.kind << " " << c.withNew;
        EXPECT_TRUE(t.oldBoard.visible);
    }
}

TEST(BoardTransformer, TheClockMayWrapDuringATransition)
{
    Transition t(Settings("fade", kDurations), true, 64, 48, 0xFFFFFFFFu - 300);
    t.Run(980);
    EXPECT_EQ(t.listener.done, 0);
    t.Run(40);
    EXPECT_EQ(t.listener.done, 1);
}

TEST(BoardTransformerFade, AlphaRisesToBlackAndFallsAgain)
{
    struct Case {
        float p;
        int alpha;
    };
    for (const Case& c : {Case{0.0f, 0}, Case{0.25f, 127}, Case{0.5f, 255}, Case{0.75f, 127}, Case{1.0f, 0}})
        EXPECT_EQ(BoardTransformerFade::AlphaAt(c.p), c.alpha) << c.p;
}

TEST(BoardTransformerFade, OldBoardDarkensThenNewBoardClears)
{
    Transition t(Settings("fade", kDurations), true);
    t.Run(250);
    EXPECT_TRUE(Near(t.Pixel(5, 5), 0xFF800000u)) << std::hex << t.Pixel(5, 5);
    t.Run(500);
    EXPECT_TRUE(Near(t.Pixel(5, 5), 0xFF000080u)) << std::hex << t.Pixel(5, 5);
}

TEST(BoardTransformerSlide, BothBoardsMoveDown)
{
    for (bool withNew : {true, false}) {
        Transition t(Settings("slide", kDurations), withNew);
        t.Run(250);
        auto* slide = static_cast<BoardTransformerSlide*>(t.transformer.get());
        EXPECT_EQ(slide->Offset(), 12);
        EXPECT_EQ(t.Pixel(5, 12), 0xFFFF0000u);
        EXPECT_EQ(t.Pixel(5, 47), 0xFFFF0000u);
        EXPECT_EQ(t.Pixel(5, 11), withNew ? 0xFF0000FFu : 0xFF000000u);
        EXPECT_EQ(t.Pixel(5, 0), withNew ? 0xFF0000FFu : 0xFF000000u);
    }
}

TEST(BoardTransformerPager, MeshIsAGridAndFoldsToTheLeft)
{
    BoardTransformerPager pager;
    pager.BuildMesh();
    const PageMesh& mesh = pager.mesh;
    ASSERT_EQ(mesh.vertices.size(), 600u);
    EXPECT_EQ(mesh.TriangleCount(), 200);
    EXPECT_EQ(mesh.points.size(), 121u);
    EXPECT_EQ(mesh.points.at({5, 5}).size(), 6u); // an inner point is in six triangles
    EXPECT_EQ(mesh.points.at({0, 0}).size(), 2u);
    const TriangleVertex& first = mesh.vertices[6 * (3 * 10 + 2) + 2]; // cell (2, 3), corner (3, 4)
    EXPECT_FLOAT_EQ(first.u, 0.3f);
    EXPECT_FLOAT_EQ(first.v, 0.4f);
    EXPECT_EQ(first.color, 0u);

    const Rect bounds(0, 0, 1000, 800);
    auto at = [&](int i, int j) { return mesh.vertices[size_t(mesh.points.at({i, j}).front())]; };
    pager.DeformMesh(0.0f, bounds);
    EXPECT_FLOAT_EQ(at(3, 7).x, 300.0f);
    EXPECT_FLOAT_EQ(at(3, 7).y, 560.0f);
    EXPECT_EQ(at(3, 7).color, 0xFFFFFFFFu);

    pager.DeformMesh(1.0f, bounds);
    struct Case {
        int i, j;
        float x, y;
    };
    const Case cases[] = {
        {5, 0, 0.0f, 40.0f},       // the middle reaches the left edge and sinks by a twentieth
        {10, 3, -1000.0f, 320.0f}, // the right edge swings to -width and sinks by a tenth
        {0, 10, 0.0f, 880.0f},
    };
    for (const Case& c : cases) {
        for (int index : mesh.points.at({c.i, c.j})) {
            EXPECT_FLOAT_EQ(mesh.vertices[size_t(index)].x, c.x) << c.i << "," << c.j;
            EXPECT_FLOAT_EQ(mesh.vertices[size_t(index)].y, c.y) << c.i << "," << c.j;
        }
    }
}

TEST(BoardTransformerPager, ThePageCoversTheNewBoardThenFoldsAway)
{
    Transition t(Settings("page", kDurations), true, 1024, 768);
    t.Run(0);
    // The page is drawn through textured triangles: within rounding of red.
    EXPECT_TRUE(Near(t.Pixel(512, 384), 0xFFFF0000u));
    EXPECT_TRUE(Near(t.Pixel(1000, 700), 0xFFFF0000u));
    t.Run(500);
    EXPECT_EQ(t.Pixel(1000, 10), 0xFF0000FFu);         // the right half is uncovered
    EXPECT_TRUE(Near(t.Pixel(100, 400), 0xFFFF0000u)); // the page lies folded on the left
}

TEST(BoardTransformerPager, WithoutANewBoardThePageFoldsOverBlack)
{
    Transition t(Settings("page", kDurations), false, 1024, 768);
    t.Run(250);
    EXPECT_EQ(t.Pixel(1000, 10), 0xFF000000u);
    EXPECT_TRUE(Near(t.Pixel(200, 400), 0xFFFF0000u));
}

TEST(BoardTransformerFadeIn, TheFrozenNewBoardShowsThrough)
{
    Transition t(Settings("fade_in", kDurations), true);
    auto* fadeIn = static_cast<BoardTransformerFadeIn*>(t.transformer.get());
    ASSERT_NE(fadeIn->newImage, nullptr);
    EXPECT_EQ(fadeIn->newImage->width, 64);
    EXPECT_EQ(static_cast<MemoryImage*>(fadeIn->newImage.get())->GetPixel(63, 47), 0xFF0000FFu);
    t.newBoard.color = kRed; // changes after the start do not show
    t.Run(0);
    EXPECT_EQ(t.Pixel(5, 5), 0xFFFF0000u);
    t.Run(500);
    EXPECT_TRUE(Near(t.Pixel(5, 5), 0xFF80007Fu)) << std::hex << t.Pixel(5, 5);

    Transition alone(Settings("fade_in", kDurations), false);
    EXPECT_EQ(static_cast<BoardTransformerFadeIn*>(alone.transformer.get())->newImage, nullptr);
    alone.Run(250);
    EXPECT_EQ(alone.Pixel(5, 5), 0xFFFF0000u);
}

TEST(BoardTransformerToMovie, FlashesToWhiteAndBack)
{
    struct Case {
        const char* kind;
        uint32_t ms; // since the start
        int alpha;
        uint32_t pixel;
    };
    const Case cases[] = {
        {"to_movie", 250, 127, 0xFFFF7F7Fu},   {"to_movie", 500, 255, 0xFFFFFFFFu},
        {"to_movie", 625, 127, 0xFF7F7FFFu},   {"from_movie", 125, 127, 0xFFFF7F7Fu},
        {"from_movie", 500, 127, 0xFF7F7FFFu},
    };
    for (const Case& c : cases) {
        Transition t(Settings(c.kind, kDurations), true);
        t.Run(c.ms);
        auto* flash = static_cast<BoardTransformerToMovie*>(t.transformer.get());
        EXPECT_EQ(flash->WhiteAlpha(), c.alpha) << c.kind << " " << c.ms;
        EXPECT_TRUE(Near(t.Pixel(5, 5), c.pixel)) << c.kind << " " << c.ms << " " << std::hex << t.Pixel(5, 5);
    }
}

TEST(BoardTransformerToMovie, WithoutANewBoardItEndsAtFullWhite)
{
    Transition t(Settings("to_movie", kDurations), false);
    t.Run(500);
    EXPECT_EQ(t.listener.done, 1);
    EXPECT_EQ(static_cast<BoardTransformerToMovie*>(t.transformer.get())->WhiteAlpha(), 255);
}

TEST(BoardTransformer, FinishActsOnceAndShowsTheBoards)
{
    Transition t(Settings("fade", kDurations), true);
    t.transformer->Finish();
    t.transformer->Finish();
    EXPECT_EQ(t.listener.done, 1);
    EXPECT_TRUE(t.oldBoard.visible);
    EXPECT_TRUE(t.newBoard.visible);
    t.Run(2000);
    EXPECT_EQ(t.listener.done, 1);
}


// Frames of a 1024 x 768 transition at a quarter, half and three quarters
// of its time, every fourth pixel, side by side, compared with a reviewed
// picture in tests/data/transitions/ (QUIB_UPDATE_GOLDEN=1 rewrites it).
void CompareTransitionWithGolden(const char* kind, const std::string& file)
{
    constexpr int kStep = 4, kW = 1024 / kStep, kH = 768 / kStep;
    const int times[] = {250, 500, 750};
    std::vector<uint32_t> strip(size_t(3 * kW * kH));
    Transition t(Settings(kind, kDurations), true, 1024, 768, 1000, 64);
    uint32_t at = 0;
    for (int frame = 0; frame < 3; ++frame) {
        t.Run(uint32_t(times[frame]) - at);
        at = uint32_t(times[frame]);
        const auto screen = t.Frame();
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                strip[size_t(y * 3 * kW + frame * kW + x)] = screen->GetPixel(x * kStep, y * kStep) | 0xFF000000u;
    }
    const std::string path = std::string(QUIB_TEST_DATA) + "/transitions/" + file;
    if (std::getenv("QUIB_UPDATE_GOLDEN")) {
        ImageLib::Image out;
        out.width = 3 * kW;
        out.height = kH;
        out.pixels = new uint32_t[strip.size()];
        std::copy(strip.begin(), strip.end(), out.pixels);
        ASSERT_TRUE(ImageLib::WritePng(path, &out)) << path;
        return;
    }
    const auto golden = ImageLib::ReadPng(path);
    ASSERT_TRUE(golden) << "missing " << path << " (QUIB_UPDATE_GOLDEN=1 writes it)";
    ASSERT_EQ(golden->width, 3 * kW);
    ASSERT_EQ(golden->height, kH);
    int differ = 0;
    for (size_t i = 0; i < strip.size(); ++i)
        differ += !Near(golden->pixels[i] | 0xFF000000u, strip[i]);
    EXPECT_EQ(differ, 0) << file << ": pixels differing from the reviewed picture";
}

TEST(TransitionPictures, PageTurnFoldsTheOldBoardAwayToTheLeft)
{
    CompareTransitionWithGolden("page", "page.png");
}

TEST(TransitionPictures, SlideMovesBothBoardsDown)
{
    CompareTransitionWithGolden("slide", "slide.png");
}

TEST(TransitionPictures, FadeInShowsTheNewBoardThroughTheOld)
{
    CompareTransitionWithGolden("fade_in", "fade_in.png");
}

TEST(TransitionPictures, FadeGoesThroughBlack)
{
    CompareTransitionWithGolden("fade", "fade.png");
}

} // namespace
} // namespace Quib
