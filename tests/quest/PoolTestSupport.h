#pragma once
#include "platform/headless/CapturingSink.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemListener.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Quib {
class Graphics;
class MemoryImage;
class QstPoolData;
}

namespace Quib::Testing {

// The process log opened once; its lines caught for one test.
class PoolLogCapture {
public:
    PoolLogCapture();
    int Count(std::string_view text) const;
    bool Contains(std::string_view text) const { return Count(text) > 0; }

private:
    CapturingSink mSink;
};

// A scene stand-in that owns items made of bare states (no layers).
class PoolFakeScene : public QstItemListener {
public:
    explicit PoolFakeScene(std::string sceneName = "pooltest") : name(std::move(sceneName)) {}

    // An item with these states; the first is current.
    QstItem* AddItem(const std::string& itemName, const std::vector<std::string>& states);

    bool DoAddActionData(QstActionData*) override { return false; }
    bool OnItemNameChanged(QstItem*, const std::string&, const std::string&) override { return false; }
    bool IsItemNameFree(const std::string& n) override { return !items.count(n); }
    QstAction* DoCreateAction(QstItem*, const std::string& dataName, bool, bool) override;
    EQstCursorType DoItemActionHitTest(QstItem*, const std::string&, std::string&, std::string*) override
    {
        return QST_CURSOR_NONE;
    }
    const std::string& GetSceneName() const override { return name; }
    QstScene* GetScene() override { return nullptr; }

    std::string name;
    std::map<std::string, std::unique_ptr<QstItem>> items;
    std::vector<std::string> createdActions;
};

// A layer of a picture made in memory: an opaque image of that size.
PsdPictureLayer* MakeOpaqueLayer(const std::string& name, int x, int y, int w, int h);

// A clear screen-sized picture (1024 x 768) with the drawing done at (x, y).
std::unique_ptr<MemoryImage> DrawOnClearScreen(int x, int y, const std::function<void(Graphics&)>& draw);

// res\lang.ini with these texts in a scratch working directory, read by the
// text table for the life of the object; the table reads its own again after.
class PoolTextsScope {
public:
    explicit PoolTextsScope(const std::u16string& iniText);
    ~PoolTextsScope();

private:
    struct Folder;
    std::unique_ptr<Folder> mFolder;
};

// The interface picture's strip layers, made in memory: strip 700 x 120 at
// (150, 648); cells 100 x 100 at (20, 10) of the strip, gap 10.
struct StripLayout {
    static constexpr int kStripX = 150;
    static constexpr int kStripY = 648;
    static constexpr int kCellX = 20; // relative to the strip
    static constexpr int kCellY = 10;
    static constexpr int kCell = 100;
    static constexpr int kGap = 10;

    StripLayout();
    PsdPicture picture;
};

// A pool laid out on a StripLayout, mouse fixed by the test.
class StripPool {
public:
    StripPool();
    ~StripPool();
    // Board coordinates.
    void MouseAt(int boardX, int boardY);
    void Run(int updates, float dt = 0.01f);

    StripLayout layout;
    std::unique_ptr<QstPoolData> pool;
    int mouseX = 0;
    int mouseY = 0;
};

} // namespace Quib::Testing
