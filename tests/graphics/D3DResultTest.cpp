#include "framework/graphics/D3DResult.h"

#include "platform/Device3D.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace Quib {
namespace {

struct RecordedWrites {
    std::vector<std::pair<std::string, std::string>> writes;
    RecordedWrites()
    {
        ClearD3DErrorText();
        SetD3DRuntimeErrorWriter(
            [this](const std::string& name, const std::string& value) { writes.emplace_back(name, value); });
    }
    ~RecordedWrites()
    {
        SetD3DRuntimeErrorWriter(nullptr);
        ClearD3DErrorText();
    }
};

TEST(D3DResult, SuccessCodesChangeNothing)
{
    RecordedWrites r;
    EXPECT_FALSE(D3DCheckResult("Lock Texture", DD_OK));
    EXPECT_FALSE(D3DCheckResult("Lock Texture", 1));
    EXPECT_EQ(D3DErrorText(), "");
    EXPECT_TRUE(r.writes.empty());
}

TEST(D3DResult, FailuresRecordTheCallAndTheResultName)
{
    RecordedWrites r;
    EXPECT_TRUE(D3DCheckResult("Lock Texture", DDERR_SURFACELOST));
    EXPECT_EQ(D3DErrorText(), "Lock Texture: DDERR_SURFACELOST");
    EXPECT_TRUE(D3DCheckResult("DrawPrimitive (Tri) 1", D3DERR_TEXTURE_LOCKED));
    // Only the last one stays, in the text and in the settings.
    EXPECT_EQ(D3DErrorText(), "DrawPrimitive (Tri) 1: D3DERR_TEXTURE_LOCKED");
    ASSERT_EQ(r.writes.size(), 2u);
    EXPECT_EQ(r.writes[1].first, "Test3D\\RuntimeError");
    EXPECT_EQ(r.writes[1].second, "DrawPrimitive (Tri) 1: D3DERR_TEXTURE_LOCKED");
    ClearD3DErrorText();
    EXPECT_EQ(D3DErrorText(), "");
    // Without a writer the text is still kept.
    SetD3DRuntimeErrorWriter(nullptr);
    EXPECT_TRUE(D3DCheckResult("", HRESULT(0x8876FFFFu)));
    EXPECT_EQ(D3DErrorText(), ": 8876ffff");
    EXPECT_EQ(r.writes.size(), 2u);
}

} // namespace
} // namespace Quib
