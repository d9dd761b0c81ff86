#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/files/PakArchiveWriter.h"
#include "framework/graphics/DDImage.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <memory>

namespace Quib {
namespace {

using namespace Testing;

TEST(QuibAppBaseCreateImage, LoadsAPictureIntoADisplayImage)
{
    QuibAppBase app;
    MakeTestDisplay(app, kDisplayLayouts[0]);
    TempDir dir;
    const std::vector<uint32_t> pixels = {0xFF102030, 0x80405060, 0x00000000, 0xFFFFFFFF, 0xFF000000, 0xFF0000FF};
    dir.WriteFile("pics/Picture.tga", MakeTga(3, 2, 32, 0x28, pixels));
    ScopedWorkingDirectory cwd(dir.Path());

    std::unique_ptr<DDImage> image(app.CreateImage("PICS\\picture.tga", true));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->display, app.display.get());
    EXPECT_EQ(app.display->images.count(image.get()), 1u);
    EXPECT_EQ(app.imageSet.count(image.get()), 1u);
    EXPECT_EQ(image->name, "PICS\\picture.tga");
    EXPECT_EQ(image->textureFlags, 8u);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    EXPECT_EQ(std::vector<uint32_t>(image->bits.get(), image->bits.get() + 6), pixels);
    // Applied now: the flags are current.
    EXPECT_TRUE(image->hasTrans);
    EXPECT_TRUE(image->hasAlpha);
    EXPECT_FALSE(image->bitsChanged);

    std::unique_ptr<DDImage> later(app.CreateImage("pics/picture.tga", false));
    ASSERT_NE(later, nullptr);
    EXPECT_TRUE(later->bitsChanged);

    EXPECT_EQ(app.CreateImage("", true), nullptr);
    EXPECT_EQ(app.CreateImage("pics/missing.tga", true), nullptr);
}

// The whole road: a picture and its alpha picture inside a pak archive.
TEST(QuibAppBaseCreateImage, MergesTheAlphaPictureFromAnArchive)
{
    QuibAppBase app;
    MakeTestDisplay(app, kDisplayLayouts[2]);
    TempDir dir;
    ScopedWorkingDirectory cwd(dir.Path());
    ScopedPak pak;
    PngSpec colour{2, 1, 2 /* RGB */, 8, false, {10, 20, 30, 40, 50, 60}, {}, {}};
    PngSpec alpha{2, 1, 0 /* grey */, 8, false, {0x11, 0xEE}, {}, {}};
    ASSERT_TRUE(WritePakArchive(dir / "main.pak", {{"gfx\\pic.png", EncodePng(colour), {}},
                                                   {"gfx\\_pic.png", EncodePng(alpha), {}},
                                                   {"gfx\\_solo.png", EncodePng(alpha), {}}}));
    ASSERT_TRUE(pak->AddPakFile("main.pak"));

    std::unique_ptr<DDImage> image(app.CreateImage("GFX/pic", true));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->name, "GFX/pic");
    EXPECT_EQ(std::vector<uint32_t>(image->bits.get(), image->bits.get() + 2),
              (std::vector<uint32_t>{0x110A141E, 0xEE28323C}));
    EXPECT_TRUE(image->hasAlpha);

    // Only the alpha picture: white with that alpha.
    std::unique_ptr<DDImage> solo(app.CreateImage("gfx/solo.png", true));
    ASSERT_NE(solo, nullptr);
    EXPECT_EQ(std::vector<uint32_t>(solo->bits.get(), solo->bits.get() + 2),
              (std::vector<uint32_t>{0x11FFFFFF, 0xEEFFFFFF}));
    EXPECT_EQ(app.CreateImage("gfx/other.png", true), nullptr);
}

} // namespace
} // namespace Quib
