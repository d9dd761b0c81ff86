#include "framework/app/QuibAppBase.h"
#include "framework/graphics/ImageLib.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace Quib {
namespace {

using namespace Testing;

TEST(ImageLoading, TheApplicationMakesTheJpeg2000CodecAvailable)
{
    TempDir dir;
    ASSERT_TRUE(WriteJ2k(dir / "pic.j2k", false, 2, 2, {{1, 1, 8, false, {0, 60, 120, 180}}}));
    UnloadJ2KCodec();
    EXPECT_FALSE(ImageLib::ReadJ2k(dir / "pic.j2k"));
    QuibAppBase app;
    auto image = ImageLib::ReadJ2k(dir / "pic.j2k");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels[3], 0xFFB4B4B4u);
}

} // namespace
} // namespace Quib
