#include "src/game/quest/QstPoolExtBoard.h"

#include "framework/graphics/Graphics.h"
#include "src/GameApp.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstPoolItemExtBase.h"

namespace Quib {

QstPoolExtBoard::QstPoolExtBoard(QstPoolData* owner) : pool(owner)
{
    mouseVisible = false;
    zOrder = kZOrder;
    if (GameApp* app = GetGameApp())
        SetBounds(0, 0, app->AppWidth(), app->AppHeight());
}

QstPoolExtBoard::~QstPoolExtBoard()
{
    // The pool must not keep a drag that goes away here.
    if (pool) {
        for (const auto& item : items)
            pool->ForgetExtension(item.get());
    }
    items.clear();
}

void QstPoolExtBoard::Add(QstPoolItemExtBase* extension)
{
    if (extension)
        items.emplace_back(extension);
}

void QstPoolExtBoard::UpdateItems(float seconds)
{
    for (size_t i = 0; i < items.size();) {
        QstPoolItemExtBase* item = items[i].get();
        item->Update(seconds);
        if (item->done) {
            if (pool)
                pool->ForgetExtension(item);
            items.erase(items.begin() + ptrdiff_t(i));
        } else {
            ++i;
        }
    }
    if (!items.empty())
        Invalidate();
}

void QstPoolExtBoard::Draw(Graphics& g)
{
    g.color = Color::White;
    for (const auto& item : items)
        item->Draw(g);
}

} // namespace Quib
