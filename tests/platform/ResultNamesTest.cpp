#include "platform/ResultNames.h"

#include <gtest/gtest.h>

namespace Quib {
namespace {

struct NameRow {
    uint32_t code;
    const char* name;
};

TEST(ResultNames, NamesOfEachFamilyAndOfSharedCodes)
{
    const NameRow rows[] = {
        // Codes several names share carry the one chosen for them.
        {0x80004001, "DDERR_UNSUPPORTED"},
        {0x80004002, "DSERR_NOINTERFACE"},
        {0x80004005, "DSERR_GENERIC"},
        {0x80040110, "DSERR_NOAGGREGATION"},
        {0x800401F0, "DDERR_NOTINITIALIZED"},
        {0x8007000E, "E_OUTOFMEMORY"},
        {0x80070057, "DDERR_INVALIDPARAMS"},
        // Display codes, first to last.
        {0x88760005, "DDERR_ALREADYINITIALIZED"},
        {0x8876007F, "DDERR_EXPIRED"},
        {0x88760091, "DDERR_INVALIDPIXELFORMAT"},
        {0x887601C2, "DDERR_SURFACELOST"},
        {0x88760219, "DDERR_VERTICALBLANKINPROGRESS"},
        {0x88760248, "DDERR_NOTLOCKED"},
        {0x88760249, "DDERR_CANTCREATEDC"},
        {0x8876024E, "DDERR_UNSUPPORTEDMODE"},
        {0x887602BB, "DDERR_DEVICEDOESNTOWNSURFACE"},
        // 3-D device codes.
        {0x887602BC, "D3DERR_BADMAJORVERSION"},
        {0x887602D1, "D3DERR_TEXTURE_CREATE_FAILED"},
        {0x887602F9, "D3DERR_SCENE_NOT_IN_SCENE"},
        {0x88760800, "D3DERR_INVALIDVERTEXFORMAT"},
        {0x88760822, "D3DERR_UNSUPPORTEDTEXTUREFILTER"},
        {0x88760836, "D3DERR_NOTINBEGINSTATEBLOCK"},
        // Sound codes.
        {0x8878000A, "DSERR_ALLOCATED"},
        {0x88780096, "DSERR_BUFFERLOST"},
        {0x887800AA, "DSERR_UNINITIALIZED"},
    };
    for (const NameRow& row : rows)
        EXPECT_EQ(HResultToName(HRESULT(row.code)), row.name) << std::hex << row.code;
}

TEST(ResultNames, CodesWithoutANameAreLowerCaseHexadecimal)
{
    EXPECT_EQ(HResultToName(HRESULT(0x8876FFFFu)), "8876ffff");
    // Gaps between named codes, and codes that name nothing.
    EXPECT_EQ(HResultToName(HRESULT(0x88760006u)), "88760006");
    EXPECT_EQ(HResultToName(HRESULT(0x88760825u)), "88760825"); // TOOMANYVERTICES has no name here
    EXPECT_EQ(HResultToName(0), "0");
    EXPECT_EQ(HResultToName(1), "1");
    EXPECT_EQ(HResultToName(HRESULT(0xDEADBEEFu)), "deadbeef");
}

} // namespace
} // namespace Quib
