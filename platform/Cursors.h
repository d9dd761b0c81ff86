#pragma once
#include <cstddef>
#include <cstdint>

namespace Quib {

class Window;

// The system cursors the application shows by cursor number.
enum class StandardCursor : uint8_t { Arrow, IBeam, Wait, No, SizeAll, SizeNESW, SizeNS, SizeNWSE, SizeWE };

// A cursor made by a CursorSystem; 0 is no cursor.
using CursorId = uint32_t;

// A 32 x 32 monochrome cursor kept as an AND and an XOR mask,
// 4 bytes a row, the leftmost pixel in the top bit. AND 1 XOR 0 is
// transparent, AND 0 XOR 0 black, AND 0 XOR 1 white, AND 1 XOR 1 inverts.
struct CursorMasks {
    static constexpr int kSize = 32;
    static constexpr size_t kBytes = kSize * kSize / 8;
    uint8_t andMask[kBytes];
    uint8_t xorMask[kBytes];
    int hotX;
    int hotY;
};

// The application's two built-in cursors: 1 a pointing hand (hot spot
// 11, 4), 2 an open hand (15, 10). False for any other number.
bool GetBuiltinCursorMasks(int which, CursorMasks& out);

// The same pixels in SDL's form (SDL_CreateCursor's data and mask): mask =
// NOT AND, data = NOT AND XOR XOR.
void MasksToSdlForm(const uint8_t* andMask, const uint8_t* xorMask, size_t bytes, uint8_t* data, uint8_t* mask);

// Cursor numbers 0 to 12 each have a slot (a custom cursor image may stand
// in for the number's cursor); other numbers have none.
constexpr int kCursorSlotCount = 13;
constexpr bool IsCursorSlot(int cursorNumber)
{
    return cursorNumber >= 0 && cursorNumber < kCursorSlotCount;
}

// The cursor a number shows when no custom image stands in: 1 and 2 the
// built-in cursors, 3 I-beam, 4 no entry, 5 size-all, 6 NE-SW, 7 N-S,
// 8 NW-SE, 9 W-E, 10 wait, 11 and 12 none, any other number the arrow.
struct CursorChoice {
    enum Kind : uint8_t { Standard, Builtin, None };
    Kind kind = Standard;
    StandardCursor standard = StandardCursor::Arrow;
    int builtin = 0; // 1 or 2 for Builtin
    bool operator==(const CursorChoice&) const = default;
};
CursorChoice CursorChoiceFor(int cursorNumber);

// The mouse cursor: making cursors, choosing the one shown over the
// program's windows, showing and hiding it, moving it. Main thread.
class CursorSystem {
public:
    virtual ~CursorSystem() = default;

    // A monochrome cursor from AND/XOR masks (width a multiple of 8, rows of
    // width / 8 bytes); 0 (and a log line) when it cannot be made.
    virtual CursorId CreateMaskCursor(const uint8_t* andMask, const uint8_t* xorMask, int width, int height,
                                      int hotX, int hotY) = 0;
    CursorId CreateMaskCursor(const CursorMasks& masks);
    // A colour cursor from 32-bit pixels 0xAARRGGBB (pitch in pixels); sizes
    // from 1 to 256 and a hot spot inside; 0 (and a log line) otherwise.
    virtual CursorId CreateColorCursor(const uint32_t* pixels, int width, int height, int pitchPixels, int hotX,
                                       int hotY) = 0;
    // A system cursor, made once and kept by the cursor system.
    virtual CursorId GetStandardCursor(StandardCursor cursor) = 0;
    // Frees a cursor made by Create...; the shown cursor becomes none.
    virtual void DestroyCursor(CursorId cursor) = 0;

    // The cursor over the program's windows; 0 shows none there.
    virtual void SetCursor(CursorId cursor) = 0;
    virtual CursorId CurrentCursor() const = 0;
    // Shows or hides the cursor whatever SetCursor chose.
    virtual void ShowCursor(bool show) = 0;
    virtual bool IsCursorShown() const = 0;
    // Moves the cursor to a client position of the window.
    virtual void WarpCursor(Window& window, int x, int y) = 0;

protected:
    // The checks every backend makes before creating; false after a log
    // line.
    static bool CheckMaskCursor(const uint8_t* andMask, const uint8_t* xorMask, int width, int height, int hotX,
                                int hotY);
    static bool CheckColorCursor(const uint32_t* pixels, int width, int height, int pitchPixels, int hotX,
                                 int hotY);
};

} // namespace Quib
