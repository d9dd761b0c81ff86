#include "platform/Cursors.h"

#include "platform/MessageSink.h"

#include <cstring>
#include <string>

namespace Quib {

namespace {

// Rows 4 to 25 of the built-in cursors; the rows above and below are
// transparent. '.' transparent, '#' black, 'o' white.
constexpr int kFirstArtRow = 4;
constexpr int kArtRows = 22;

constexpr const char* kPointingHand[kArtRows] = {
    "...........##...................", "..........#oo#..................", "..........#oo#..................",
    "..........#oo#..................", "..........#oo#..................", "..........#oo###................",
    "..........#oo#oo###.............", "..........#oo#oo#oo##...........", "..........#oo#oo#oo#o#..........",
    "......###.#oo#oo#oo#oo#.........", "......#oo##oooooooo#oo#.........", "......#ooo#ooooooooooo#.........",
    "......##oo#ooooooooooo#.........", "........#o#ooooooooooo#.........", "........#ooooooooooooo#.........",
    ".........#oooooooooooo#.........", ".........#ooooooooooo#..........", "..........#oooooooooo#..........",
    "..........#oooooooooo#..........", "...........#oooooooo#...........", "...........#oooooooo#...........",
    "...........##########...........",
};

constexpr const char* kOpenHand[kArtRows] = {
    "...............##...............", "..............#oo###............", "............###oo#oo#...........",
    "...........#oo#oo#oo###.........", "...........#oo#oo#oo#oo#........", "...........#oo#oo#oo#oo#........",
    "...........#oo#oo#oo#oo#........", "...........#oo#oo#oo#oo#........", ".......##..#oo#oo#oo#oo#........",
    "......#oo#.#oo#oo#oo#oo#........", "......#ooo##ooooooooooo#........", ".......#ooo#ooooooooooo#........",
    ".......#ooooooooooooooo#........", "........#oooooooooooooo#........", ".........#ooooooooooooo#........",
    ".........#oooooooooooo#.........", "..........#ooooooooooo#.........", "...........#oooooooooo#.........",
    "............#oooooooo#..........", ".............#ooooooo#..........", ".............#ooooooo#..........",
    ".............#########..........",
};

void FillMasks(const char* const* art, int hotX, int hotY, CursorMasks& out)
{
    std::memset(out.andMask, 0xFF, sizeof out.andMask);
    std::memset(out.xorMask, 0x00, sizeof out.xorMask);
    for (int row = 0; row < kArtRows; ++row) {
        for (int column = 0; column < CursorMasks::kSize; ++column) {
            const char pixel = art[row][column];
            if (pixel == '.')
                continue;
            const size_t byte = size_t(kFirstArtRow + row) * (CursorMasks::kSize / 8) + size_t(column / 8);
            const uint8_t bit = uint8_t(0x80 >> (column % 8));
            out.andMask[byte] &= uint8_t(~bit);
            if (pixel == 'o')
                out.xorMask[byte] |= bit;
        }
    }
    out.hotX = hotX;
    out.hotY = hotY;
}

} // namespace

bool GetBuiltinCursorMasks(int which, CursorMasks& out)
{
    switch (which) {
    case 1: FillMasks(kPointingHand, 11, 4, out); return true;
    case 2: FillMasks(kOpenHand, 15, 10, out); return true;
    default: return false;
    }
}

void MasksToSdlForm(const uint8_t* andMask, const uint8_t* xorMask, size_t bytes, uint8_t* data, uint8_t* mask)
{
    for (size_t i = 0; i < bytes; ++i) {
        mask[i] = uint8_t(~andMask[i]);
        data[i] = uint8_t(~andMask[i] ^ xorMask[i]);
    }
}

CursorChoice CursorChoiceFor(int cursorNumber)
{
    CursorChoice choice;
    switch (cursorNumber) {
    case 1:
    case 2:
        choice.kind = CursorChoice::Builtin;
        choice.builtin = cursorNumber;
        break;
    case 3: choice.standard = StandardCursor::IBeam; break;
    case 4: choice.standard = StandardCursor::No; break;
    case 5: choice.standard = StandardCursor::SizeAll; break;
    case 6: choice.standard = StandardCursor::SizeNESW; break;
    case 7: choice.standard = StandardCursor::SizeNS; break;
    case 8: choice.standard = StandardCursor::SizeNWSE; break;
    case 9: choice.standard = StandardCursor::SizeWE; break;
    case 10: choice.standard = StandardCursor::Wait; break;
    case 11:
    case 12: choice.kind = CursorChoice::None; break;
    default: break;
    }
    return choice;
}

CursorId CursorSystem::CreateMaskCursor(const CursorMasks& masks)
{
    return CreateMaskCursor(masks.andMask, masks.xorMask, CursorMasks::kSize, CursorMasks::kSize, masks.hotX,
                            masks.hotY);
}

bool CursorSystem::CheckMaskCursor(const uint8_t* andMask, const uint8_t* xorMask, int width, int height, int hotX,
                                   int hotY)
{
    if (!andMask || !xorMask || width <= 0 || height <= 0 || width > 256 || height > 256 || width % 8 != 0 ||
        hotX < 0 || hotY < 0 || hotX >= width || hotY >= height) {
        OutputDebugString("Cursor: unusable monochrome cursor of " + std::to_string(width) + "x" +
                          std::to_string(height) + " with hot spot " + std::to_string(hotX) + "," +
                          std::to_string(hotY) + "\n");
        return false;
    }
    return true;
}

bool CursorSystem::CheckColorCursor(const uint32_t* pixels, int width, int height, int pitchPixels, int hotX,
                                    int hotY)
{
    if (!pixels || width <= 0 || height <= 0 || width > 256 || height > 256 || pitchPixels < width || hotX < 0 ||
        hotY < 0 || hotX >= width || hotY >= height) {
        OutputDebugString("Cursor: unusable colour cursor of " + std::to_string(width) + "x" +
                          std::to_string(height) + " with hot spot " + std::to_string(hotX) + "," +
                          std::to_string(hotY) + "\n");
        return false;
    }
    return true;
}

} // namespace Quib
