#include "tests/quest/PoolTestSupport.h"

#include "framework/files/ProcessLog.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/FileNames.h"
#include "src/Lang.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstPoolData.h"
#include "tests/support/TempDir.h"

#include <vector>

namespace Quib::Testing {

PoolLogCapture::PoolLogCapture()
{
    // Other tests open logs of their own (and remove them): open ours again.
    static TempDir* dir = new TempDir;
    ProcessLog::GetInstance()->Open(*dir / "pool_log.html");
}

int PoolLogCapture::Count(std::string_view text) const
{
    int n = 0;
    for (const std::string& line : mSink.debugLines)
        n += line.find(text) != std::string::npos;
    return n;
}

QstItem* PoolFakeScene::AddItem(const std::string& itemName, const std::vector<std::string>& states)
{
    auto item = std::make_unique<QstItem>(this, itemName);
    for (const std::string& s : states)
        item->states[s] = new QstItemState(item.get(), s);
    if (!states.empty()) {
        item->currentState = item->states[states.front()];
        item->startState = states.front();
    }
    QstItem* raw = item.get();
    items[itemName] = std::move(item);
    return raw;
}

QstAction* PoolFakeScene::DoCreateAction(QstItem*, const std::string& dataName, bool, bool)
{
    createdActions.push_back(dataName);
    return nullptr;
}

PsdPictureLayer* MakeOpaqueLayer(const std::string& name, int x, int y, int w, int h)
{
    auto* layer = new PsdPictureLayer;
    layer->name = name;
    layer->x = layer->homeX = x;
    layer->y = layer->homeY = y;
    auto* image = new MemoryImage();
    std::vector<uint32_t> words(size_t(w) * size_t(h), 0xff806040u);
    image->AssignPixels(words.data(), w, h, true);
    layer->image = image;
    layer->loadPending = false;
    return layer;
}

namespace {

std::string PoolUtf16Bytes(const std::u16string& text)
{
    std::string bytes;
    for (char16_t c : text) {
        bytes += char(c & 0xFF);
        bytes += char(c >> 8);
    }
    return bytes;
}

} // namespace

struct PoolTextsScope::Folder {
    TempDir dir;
    std::unique_ptr<ScopedWorkingDirectory> cwd;
};

PoolTextsScope::PoolTextsScope(const std::u16string& iniText) : mFolder(std::make_unique<Folder>())
{
    mFolder->dir.WriteFile("res/lang.ini", "\xFF\xFE" + PoolUtf16Bytes(iniText));
    ClearDirectoryCache();
    mFolder->cwd = std::make_unique<ScopedWorkingDirectory>(mFolder->dir.Path());
    Lang::Instance().Reload();
}

PoolTextsScope::~PoolTextsScope()
{
    mFolder->cwd.reset();
    ClearDirectoryCache();
    Lang::Instance().Reload();
}

StripLayout::StripLayout()
{
    picture.layers.push_back(MakeOpaqueLayer("inventory/inventory", kStripX, kStripY, 700, 120));
    picture.layers.push_back(MakeOpaqueLayer("inventory/lowarrow", kStripX + 320, kStripY - 20, 60, 20));
    picture.layers.push_back(MakeOpaqueLayer("inventory/lowerline", kStripX, 758, 700, 10));
    picture.layers.push_back(MakeOpaqueLayer("inventory/place", kStripX, kStripY, 700, 120));
    picture.layers.push_back(MakeOpaqueLayer("inventory/1", kStripX + kCellX, kStripY + kCellY, kCell, kCell));
    picture.layers.push_back(
        MakeOpaqueLayer("inventory/2", kStripX + kCellX + kCell + kGap, kStripY + kCellY, kCell, kCell));
}

StripPool::StripPool() : pool(std::make_unique<QstPoolData>())
{
    pool->layout = &layout.picture;
    pool->mousePosition = [this]() { return TPoint<int>(mouseX, mouseY); };
    pool->LoadLayout();
}

StripPool::~StripPool() = default;

void StripPool::MouseAt(int boardX, int boardY)
{
    mouseX = boardX;
    mouseY = boardY;
    pool->MouseMove(boardX - StripLayout::kStripX, boardY - StripLayout::kStripY);
}

void StripPool::Run(int updates, float dt)
{
    for (int i = 0; i < updates; ++i)
        pool->Update(dt);
}

std::unique_ptr<MemoryImage> DrawOnClearScreen(int x, int y, const std::function<void(Graphics&)>& draw)
{
    auto image = std::make_unique<MemoryImage>();
    std::vector<uint32_t> clear(1024 * 768, 0);
    image->AssignPixels(clear.data(), 1024, 768, true);
    Graphics g(image.get());
    g.transX = float(x);
    g.transY = float(y);
    g.clipRect = Rect(0, 0, 1024, 768);
    draw(g);
    return image;
}

} // namespace Quib::Testing
