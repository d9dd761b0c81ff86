// The generated layouts and texts the journal, the trash dialog and the
// mini-game help read: their layers exist where the popups look for them,
// and the popups built on them draw.
#include "framework/app/QuibAppBase.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/FileNames.h"
#include "src/Lang.h"
#include "src/game/GameControllerCommon.h"
#include "src/game/PlayerInfo.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/QstBook.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolPlace.h"
#include "src/game/quest/QstTrashDialog.h"
#include "src/game/quest/QstTutorDialog.h"
#include "tests/quest/PoolTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace Quib::Testing {
namespace {

class PoolGeneratedDataTest : public ::testing::Test {
protected:
    PoolGeneratedDataTest() : cwd(QUIB_GAME_DATA)
    {
        ClearDirectoryCache();
        MakeTestDisplay(app, kDisplayLayouts[0]);
        Lang::Instance().Reload();
        GameControllerCommon::Instance().Player().notebook.clear();
    }
    ~PoolGeneratedDataTest() override
    {
        GameControllerCommon::Instance().Player().notebook.clear();
        Lang::Instance().Reload();
    }
    static Rect Layer(PsdPicture& picture, const char* name)
    {
        Rect r;
        EXPECT_TRUE(picture.GetLayerRect(r, name, false)) << picture.directory << name;
        EXPECT_GT(r.width, 0) << name;
        return r;
    }
    // Draws the widget at its place on a screen-sized picture.
    static std::unique_ptr<MemoryImage> Snapshot(Widget& widget)
    {
        return DrawOnClearScreen(widget.x, widget.y, [&](Graphics& g) { widget.Draw(g); });
    }
    // With QUIB_POOL_DUMP set, the picture is written there for a look.
    static void Dump(MemoryImage& image, const char* name)
    {
        const char* folder = std::getenv("QUIB_POOL_DUMP");
        if (!folder)
            return;
        ImageLib::Image out;
        out.width = image.width;
        out.height = image.height;
        out.pixels = new uint32_t[size_t(image.width) * size_t(image.height)];
        image.ReadPictureInto(out.pixels);
        ImageLib::WritePng(std::string(folder) + "/" + name, &out);
    }
    static bool Painted(MemoryImage& image, int x, int y) { return (image.GetPixel(x, y) >> 24) != 0; }

    PoolLogCapture log;
    ScopedWorkingDirectory cwd;
    QuibAppBase app;
};

TEST_F(PoolGeneratedDataTest, TrashLayoutHasWhatTheDialogsRead)
{
    std::unique_ptr<PsdPicture> layout(LoadTrashLayout());
    for (const char* name : {"dark", "close/close_in", "close/close_ac"})
        Layer(*layout, name);
    const Rect bounds = Layer(*layout, "back").Union(Layer(*layout, "bottom"));
    for (const char* name : {"placeholders/item", "placeholders/text"}) {
        const Rect r = Layer(*layout, name);
        EXPECT_EQ(r.Intersection(bounds).width, r.width) << name;
        EXPECT_EQ(r.Intersection(bounds).height, r.height) << name;
    }
    EXPECT_NE(Lang::Instance()("Interface", "TrashDialog").find(u"%s"), std::u16string::npos);
}

TEST_F(PoolGeneratedDataTest, TrashDialogAndHelpDraw)
{
    QstTrashDialog trash(nullptr, "nowhere:match", Delegate());
    for (int i = 0; i < 40; ++i)
        trash.Update();
    std::unique_ptr<MemoryImage> shot = Snapshot(trash);
    EXPECT_TRUE(Painted(*shot, trash.x + trash.width / 2, trash.y + 100));
    EXPECT_FALSE(Painted(*shot, 5, 5)); // "dark" is never drawn

    QstTutorDialog help(nullptr, "safe");
    EXPECT_EQ(help.text, u"Turn the dial to each number of the code in turn.");
    for (int i = 0; i < 40; ++i)
        help.Update();
    shot = Snapshot(help);
    EXPECT_TRUE(Painted(*shot, help.x + help.width / 2, help.y + 100));
    Dump(*shot, "help.png");
    Dump(*Snapshot(trash), "trash.png");
}

TEST_F(PoolGeneratedDataTest, HarbourJournalFillsItsPages)
{
    std::unique_ptr<PsdPicture> notebook = std::make_unique<PsdPicture>("data/gui/notebook/", true);
    for (const char* id : {"1", "2", "3", "4"})
        QstBook::AddRecordTo("harbour", id);
    QstBook book("harbour", nullptr, notebook.get());
    ASSERT_EQ(book.pages.size(), 6u);
    EXPECT_EQ(book.pages[3].text, u"The oil runs low. The big lantern must burn, whatever happens to the small ones.");
    EXPECT_TRUE(book.pages[3].head.empty());
    EXPECT_EQ(book.page, 4);
    EXPECT_FALSE(log.Contains("not found"));
    for (int i = 0; i < 40; ++i)
        book.Update();
    std::unique_ptr<MemoryImage> shot = Snapshot(book);
    const Rect& left = book.textRects[0];
    EXPECT_TRUE(Painted(*shot, book.x + left.x + left.width / 2, book.y + left.y + left.height / 2));
    Dump(*shot, "journal.png");
}

TEST_F(PoolGeneratedDataTest, InventoryStripFitsTheInterfacePicture)
{
    PsdPicture interface("data/gui/interface/", true);
    QstPoolData pool;
    pool.layout = &interface;
    pool.LoadLayout();
    ASSERT_NE(pool.stripImage, nullptr);
    EXPECT_EQ(pool.places.size(), 5u);
    EXPECT_GT(pool.gap, 0);
    EXPECT_GE(pool.windowX, 0.0f);
    EXPECT_LE(pool.windowX + pool.windowWidth, float(pool.stripWidth));
    EXPECT_EQ(pool.stripY + pool.visibleHeight, 768);
    EXPECT_LT(pool.normalScale, 1.0f);
    // Hidden, the strip still shows its tab and its top band.
    ASSERT_EQ(pool.slide, 1.0f);
    EXPECT_TRUE(pool.IsOverStrip(pool.lowArrowX + 30, pool.lowArrowY + 12));
    EXPECT_TRUE(pool.IsOverStrip(pool.stripWidth / 2, 105));
    EXPECT_FALSE(pool.IsOverStrip(pool.stripWidth / 2, 40));

    pool.mousePosition = [&]() { return TPoint<int>(pool.stripX + 100, pool.stripY + 110); };
    pool.MouseMove(100, 110);
    for (int i = 0; i < 100; ++i)
        pool.Update(0.01f);
    EXPECT_EQ(pool.slide, 0.0f);
    auto image = DrawOnClearScreen(pool.stripX, pool.stripY, [&](Graphics& g) { pool.Draw(g); });
    const QstPoolPlace& first = pool.places[0];
    EXPECT_TRUE(Painted(*image, pool.stripX + int(first.x + first.width / 2), pool.stripY + int(first.y + 3)));
    Dump(*image, "strip.png");
}

} // namespace
} // namespace Quib::Testing
