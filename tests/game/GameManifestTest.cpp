// The generated resource manifest read and loaded by the resource manager
// the way the game's start-up does it.
#include "framework/app/QuibAppBase.h"
#include "framework/app/ResourceManager.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/Font.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <gtest/gtest.h>

#include <string>

namespace Quib {
namespace {

using namespace Testing;

TEST(GameManifest, TheGeneratedManifestLoadsBothGroups)
{
    QuibAppBase app;
    MakeTestDisplay(app, kDisplayLayouts[0]);
    ScopedWorkingDirectory cwd(QUIB_GAME_DATA);
    ResourceManager& manager = *app.resourceManager;
    ASSERT_TRUE(manager.ParseManifest("data\\properties\\resources.xml")) << manager.GetErrorText();
    ASSERT_TRUE(manager.LoadResources("Common")) << manager.GetErrorText();
    ASSERT_TRUE(manager.LoadResources("Game")) << manager.GetErrorText();
    for (const char* id :
         {"FONT_BUTTON", "FONT_CORBEL", "FONT_DEFAULT", "FONT_HEAD", "FONT_TEXT", "FONT_TEXT_BOLD"}) {
        Font* font = nullptr;
        EXPECT_NO_THROW(font = manager.GetFontThrow(id)) << id;
        EXPECT_TRUE(font && font->IsLoaded()) << id;
    }
    for (const auto& [id, res] : manager.imageMap) {
        DDImage* image = nullptr;
        EXPECT_NO_THROW(image = manager.GetImageThrow(id).GetRecordImage()) << id;
        ASSERT_NE(image, nullptr) << id;
        EXPECT_GT(image->width, 0) << id;
        EXPECT_EQ(image->rows, static_cast<ResourceManager::ImageRes*>(res.get())->rows) << id;
    }
    EXPECT_EQ(manager.GetImageThrow("IMAGE_PARTS").GetRecordImage()->cols, 4);
}

} // namespace
} // namespace Quib
