#pragma once
// What the board tests share: boards that fill themselves with one colour,
// a listener that counts finished transitions, and game settings written
// into a temporary res\game.ini.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/FileNames.h"
#include "src/GameSettings.h"
#include "src/screens/BaseBoard.h"
#include "src/screens/BoardTransformerListener.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace Quib::Testing {

// A board of one colour with a name for the transition keys.
class SolidBoard : public BaseBoard {
public:
    SolidBoard(std::string boardName, Color fill, int w = 64, int h = 48)
        : BaseBoard(false), name(std::move(boardName)), color(fill)
    {
        SetBounds(0, 0, w, h);
    }
    std::string GetBoardName() override { return name; }
    void Draw(Graphics& g) override
    {
        g.color = color;
        g.FillRectangle(0, 0, width, height);
        if (stripes <= 0)
            return;
        // Darker bars across and down, so a moving or folding board shows.
        g.color = Color(color.red / 3, color.green / 3, color.blue / 3 + 40);
        for (int x = 0; x < width; x += 2 * stripes)
            g.FillRectangle(x, 0, stripes / 2, height);
        for (int y = 0; y < height; y += 2 * stripes)
            g.FillRectangle(0, y, width, stripes / 4);
    }

    std::string name;
    Color color;
    int stripes = 0; // bar spacing; none when 0
};

class CountingListener : public BoardTransformerListener {
public:
    void OnTransitionDone() override { ++done; }
    int done = 0;
};

// res\game.ini with the given text, read into the game settings for the
// life of the object.
class ScopedGameIni {
public:
    explicit ScopedGameIni(const std::string& text) : cwd(dir.Path())
    {
        dir.WriteFile("res/game.ini", text);
        ClearDirectoryCache();
        LoadGameSettings();
    }
    ~ScopedGameIni() { LoadGameSettings("res\\none.ini"); }

    TempDir dir;
    ScopedWorkingDirectory cwd;
};

// An opaque picture of the given size, cleared to black.
inline MemoryImage* NewScreen(int w, int h)
{
    auto* image = new MemoryImage(nullptr);
    image->Resize(w, h);
    Graphics g(image);
    g.color = Color(0, 0, 0, 255);
    g.FillRectangle(0, 0, w, h);
    return image;
}

// Whether two packed colours differ by at most 2 in every channel.
inline bool Near(uint32_t a, uint32_t b)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > 2)
            return false;
    return true;
}

} // namespace Quib::Testing
