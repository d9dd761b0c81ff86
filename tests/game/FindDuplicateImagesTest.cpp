#include "src/game/FindDuplicateImages.h"

#include "platform/FileNames.h"
#include "tests/game/ParticleTestSupport.h"
#include "tests/game/ShellTestSupport.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace Quib::Testing {
namespace {

// Images written into a scratch data folder; the pass runs against a host
// that records the box and the exit.
class FindDuplicateImagesTest : public ::testing::Test {
protected:
    FindDuplicateImagesTest() : cwd(dir.Path()) {}

    // A width x height picture whose pixels are all `color`, but the one at
    // `odd` (when >= 0) which is white.
    void Picture(const std::string& name, int width, int height, uint32_t color, int odd = -1)
    {
        ImageLib::Image image;
        image.width = width;
        image.height = height;
        image.pixels = new uint32_t[size_t(width * height)];
        std::fill(image.pixels, image.pixels + width * height, color);
        if (odd >= 0)
            image.pixels[odd] = 0xFFFFFFFF;
        std::filesystem::create_directories(std::filesystem::path(dir / name).parent_path());
        ASSERT_TRUE(ImageLib::WritePng(dir / name, &image));
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir / name); }

    TempDir dir;
    ScopedWorkingDirectory cwd;
    ScopedPak pak;
    LogCapture log;
    FakeShellHost host;
};

TEST_F(FindDuplicateImagesTest, TwinsBecomeAliasesOfTheFirstAndTheBoxTellsTheSaving)
{
    Picture("data/a.png", 8, 4, 0xFF336699);
    Picture("data/b.png", 8, 4, 0xFF336699);
    Picture("data/sub/c.png", 8, 4, 0xFF336699, 5); // one pixel differs
    Picture("data/sub/d.png", 4, 8, 0xFF336699);    // another size
    Picture("data/sub/e.PNG", 8, 4, 0xFF336699);    // not an image extension here
    const uintmax_t bSize = std::filesystem::file_size(dir / "data/b.png");
    FindDuplicateImages();

    EXPECT_TRUE(Exists("data/a.png"));
    EXPECT_FALSE(Exists("data/b.png"));
    EXPECT_TRUE(Exists("data/sub/c.png"));
    EXPECT_TRUE(Exists("data/sub/d.png"));
    EXPECT_TRUE(Exists("data/sub/e.PNG"));
    EXPECT_EQ(pak->mPathAliases, (std::map<std::string, std::string>{{"DATA\\B.PNG", "DATA\\A.PNG"}}));
    EXPECT_EQ(host.commonIniWrites, 1);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].second, u"app");
    EXPECT_EQ(host.boxes[0].first, WStrFormat(u"Можно сэкономить %.1fmb (%d файлов)", bSize / 1048576.0, 1));
    EXPECT_EQ(host.boxes[0].first, u"Можно сэкономить 0.0mb (1 файлов)");
    EXPECT_TRUE(host.exiting);
    // The twin opens through its alias.
    EXPECT_FALSE(PakReadWholeFile("data\\b.png").empty());
}

TEST_F(FindDuplicateImagesTest, ADuplicateIsKeptWhenItsAliasCannotBeHeld)
{
    Picture("data/a.png", 6, 6, 0xFF102030);
    Picture("data/b.png", 6, 6, 0xFF102030);
    Picture("data/x,y.png", 6, 6, 0xFF102030);
    Picture("data/z[1].png", 6, 6, 0xFF102030);
    // The kept file is itself the name of an alias: no alias is stored, so
    // its twin must stay.
    pak->mPathAliases["DATA\\A.PNG"] = "DATA\\OTHER.PNG";
    FindDuplicateImages();
    EXPECT_TRUE(Exists("data/a.png"));
    EXPECT_TRUE(Exists("data/b.png"));
    EXPECT_TRUE(Exists("data/x,y.png"));
    EXPECT_TRUE(Exists("data/z[1].png"));
    EXPECT_EQ(pak->mPathAliases.size(), 1u);
    ASSERT_EQ(host.boxes.size(), 1u);
    EXPECT_EQ(host.boxes[0].first, u"Можно сэкономить 0.0mb (0 файлов)");
}

TEST_F(FindDuplicateImagesTest, AddPathAliasNormalisesAndRefuses)
{
    EXPECT_TRUE(AddPathAlias("data\\Kept.png", "data/sub/../Gone.png"));
    EXPECT_EQ(pak->mPathAliases.at("DATA\\GONE.PNG"), "DATA\\KEPT.PNG");
    EXPECT_FALSE(AddPathAlias("data\\gone.png", "data\\third.png")); // the kept name is an alias
    EXPECT_FALSE(AddPathAlias("data\\kept.png", "data\\a=b.png"));
    EXPECT_FALSE(AddPathAlias("data\\kept.png", "data\\" + std::string(300, 'x') + ".png"));
    EXPECT_EQ(pak->mPathAliases.size(), 1u);
}

} // namespace
} // namespace Quib::Testing
