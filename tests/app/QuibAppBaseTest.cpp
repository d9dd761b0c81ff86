#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/sound/BassInstance.h"
#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/FModMusicInterface.h"
#include "framework/sound/SoundOutput.h"
#include "framework/widgets/Widget.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/headless/HeadlessAudio.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>
#include <typeinfo>

namespace Quib {
namespace {

using namespace Testing;

TEST(QuibAppBase, ProcessWidePointerLivesWithTheObject)
{
    EXPECT_EQ(gQuibAppBase, nullptr);
    {
        QuibAppBase app;
        EXPECT_EQ(gQuibAppBase, &app);
    }
    EXPECT_EQ(gQuibAppBase, nullptr);
}

TEST(QuibAppBase, AddClampTableSaturates)
{
    QuibAppBase app;
    for (int a = 0; a < 256; a += 5)
        for (int b = 0; b < 256; b += 3)
            ASSERT_EQ(app.AddClampTable[a + b], std::min(a + b, 255));
    EXPECT_EQ(app.AddClampTable[510], 255);
    EXPECT_EQ(app.AddClampTable[511], 255);
}

TEST(QuibAppBase, ImageSetLockIsTheDisplaysOnceThereIsOne)
{
    QuibAppBase app;
    EXPECT_EQ(&app.ImageSetLock(), &app.critSect);
    MakeTestDisplay(app, kDisplayLayouts[0]);
    EXPECT_EQ(&app.ImageSetLock(), &app.display->critSect);
}

// Counts its own destruction.
struct CountedWidget : Widget {
    explicit CountedWidget(int* deletions) : counter(deletions) {}
    ~CountedWidget() override { ++*counter; }
    int* counter;
};

TEST(QuibAppBase, DeferredDeletesQueueOnceAndWaitForTheFlush)
{
    QuibAppBase app;
    int deletions = 0;
    auto* w = new CountedWidget(&deletions);
    app.widgetManager->AttachChild(w);
    app.QueueDeferredDelete(w);
    app.QueueDeferredDelete(w);
    app.QueueDeferredDelete(nullptr);
    EXPECT_EQ(app.deferredDeletes.Size(), 1u);
    EXPECT_FALSE(app.widgetManager->ContainsChild(w)); // detached at once
    EXPECT_EQ(deletions, 0);
    app.deferredDeletes.EnterStep(); // inside a nested application step
    app.FlushDeferredDeletes();
    EXPECT_EQ(deletions, 0);
    app.deferredDeletes.LeaveStep();
    app.FlushDeferredDeletes();
    EXPECT_EQ(deletions, 1);
    EXPECT_TRUE(app.deferredDeletes.Empty());
}

TEST(QuibAppBase, IsTheWidgetAppWithAManagerOfItsOwn)
{
    EXPECT_EQ(TheWidgetApp(), nullptr);
    {
        QuibAppBase app;
        EXPECT_EQ(TheWidgetApp(), &app);
        ASSERT_NE(app.GetWidgetManager(), nullptr);
        EXPECT_EQ(app.GetWidgetManager()->app, &app);
        app.SetCursorNum(3);
        EXPECT_EQ(app.GetCursorNum(), 3);
        app.CopyToClipboard("text");
        EXPECT_EQ(app.GetClipboardText(), "text");
        EXPECT_TRUE(app.AppStep(nullptr));
        app.RequestExit();
        EXPECT_FALSE(app.AppStep(nullptr)); // shutting down
    }
    EXPECT_EQ(TheWidgetApp(), nullptr);
}

TEST(QuibAppBase, QueuedWidgetsAreDeletedWithTheApplication)
{
    int deletions = 0;
    {
        QuibAppBase app;
        app.QueueDeferredDelete(new CountedWidget(&deletions));
    }
    EXPECT_EQ(deletions, 1);
}

TEST(QuibAppBase, MusicInterfaceFollowsTheSoundFlags)
{
    SoundOutput::SetDevice(std::make_shared<HeadlessAudioDevice>());
    BassInstance* bass = LoadBassLibrary(); // held, to see the window reach it
    void* initWindow = nullptr;
    auto init = bass->BASS_Init;
    bass->BASS_Init = [&](int device, uint32_t rate, uint32_t flags, void* window, const void* clsid) {
        initWindow = window;
        return init(device, rate, flags, window, clsid);
    };
    int window = 0;
    struct Case {
        bool soundDisabled, useFmod;
        const std::type_info& kind;
    };
    const Case cases[] = {{true, false, typeid(MusicInterface)},
                          {true, true, typeid(MusicInterface)},
                          {false, true, typeid(FModMusicInterface)},
                          {false, false, typeid(BassMusicInterface)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind.name());
        QuibAppBase app;
        EXPECT_FALSE(app.useFmod);
        app.soundDisabled = c.soundDisabled;
        app.useFmod = c.useFmod;
        initWindow = nullptr;
        std::unique_ptr<MusicInterface> music = app.CreateMusicInterface(&window);
        ASSERT_TRUE(music);
        const MusicInterface& made = *music;
        EXPECT_EQ(typeid(made), c.kind);
        EXPECT_EQ(initWindow, c.kind == typeid(BassMusicInterface) ? &window : nullptr);
    }
    ReleaseBassLibrary();
    SoundOutput::SetDevice(nullptr);
}

class DisplayLayouts : public DisplayLayoutTest {};

INSTANTIATE_TEST_SUITE_P(Displays, DisplayLayouts, ::testing::ValuesIn(kDisplayLayouts), DisplayLayoutName);

TEST_P(DisplayLayouts, LayoutShiftsBitsAndClampTables)
{
    const DisplayLayoutCase& c = GetParam();
    DDInterface& display = *app.display;
    EXPECT_EQ(display.app, &app);
    EXPECT_FALSE(display.is3D);
    EXPECT_EQ(display.layout.bitCount, c.bitCount);
    struct Channel {
        const PixelChannel& layout;
        const std::vector<int32_t>& clamp;
        uint32_t mask;
    } channels[] = {{display.layout.red, display.redClamp, c.redMask},
                    {display.layout.green, display.greenClamp, c.greenMask},
                    {display.layout.blue, display.blueClamp, c.blueMask}};
    for (const Channel& ch : channels) {
        EXPECT_EQ(ch.layout.mask, ch.mask);
        EXPECT_EQ((((1u << ch.layout.bits) - 1) << ch.layout.shift), ch.mask);
        int top = (1 << ch.layout.bits) - 1;
        ASSERT_EQ(int(ch.clamp.size()), 2 * top + 1);
        for (int i = 0; i < int(ch.clamp.size()); ++i)
            ASSERT_EQ(ch.clamp[i], std::min(i, top));
    }
    EXPECT_EQ(gDisplayChannelOrderRGB.load(), c.redMask > c.greenMask);
}

TEST_P(DisplayLayouts, ChannelWidths)
{
    const PixelFormat& l = app.display->layout;
    std::string name = GetParam().name;
    if (name == "R5G6B5") {
        EXPECT_EQ(l.red.shift, 11);
        EXPECT_EQ(l.green.bits, 6);
        EXPECT_EQ(l.green.shift, 5);
    } else if (name == "X1R5G5B5") {
        EXPECT_EQ(l.red.shift, 10);
        EXPECT_EQ(l.green.bits, 5);
    } else {
        EXPECT_EQ(l.red.bits + l.green.bits + l.blue.bits, 24);
    }
}

TEST(DDInterface, RefusesOtherFormats)
{
    QuibAppBase app;
    DDInterface display(&app);
    EXPECT_TRUE(display.SetPixelFormat(16, 0xF800, 0x07E0, 0x001F));
    EXPECT_FALSE(display.SetPixelFormat(24, 0xFF0000, 0xFF00, 0xFF));
    EXPECT_FALSE(display.SetPixelFormat(32, 0, 0xFF00, 0xFF));
    // Masks the pixel code could not convert: wider than 8 bits, split,
    // overlapping, or outside the colour bits of the pixel.
    struct Masks {
        int bitCount;
        uint32_t r, g, b;
    };
    for (Masks m : {Masks{32, 0x3FF00000, 0xFFC00, 0x3FF}, Masks{32, 0xFF0000, 0xF0F0, 0xFF},
                    Masks{16, 0xF800, 0x0FE0, 0x001F}, Masks{32, 0xFF000000, 0xFF00, 0xFF},
                    Masks{16, 0xF8000, 0x07E0, 0x001F}})
        EXPECT_FALSE(display.SetPixelFormat(m.bitCount, m.r, m.g, m.b)) << std::hex << m.r << " " << m.g;
    EXPECT_TRUE(display.SetPixelFormat(32, 0xFF, 0xFF00, 0xFF0000));
    EXPECT_TRUE(display.SetPixelFormat(16, 0x7C00, 0x03E0, 0x001F));
    EXPECT_TRUE(display.SetPixelFormat(16, 0xF800, 0x07E0, 0x001F));
    EXPECT_EQ(display.layout.bitCount, 16);
    EXPECT_EQ(display.layout.red.bits, 5);
}

} // namespace
} // namespace Quib
