#include "src/game/quest/QstPoolEntry.h"

#include "src/Lang.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstItemStateDraw.h"
#include "src/particles/ParticlesRef.h"

namespace Quib {

QstPoolEntry::QstPoolEntry(QstPoolData* owner, QstItem* entryItem)
    : pool(owner), item(entryItem), picture(std::make_unique<QstItemStateDraw>(entryItem))
{
}

QstPoolEntry::~QstPoolEntry()
{
    StopHintEffect();
}

void QstPoolEntry::SetState(const std::string& newState)
{
    if (!item)
        return;
    stateName = newState;
    picture->SetState(newState, true);
    caption = Lang::Instance()("PoolItems", item->GetFullName() + "_" + newState);
}

void QstPoolEntry::RefreshSize()
{
    if (!picture || !picture->state)
        return;
    const FRect r = picture->state->GetBoundingRect();
    picture->w = r.width;
    picture->h = r.height;
}

void QstPoolEntry::StopHintEffect()
{
    if (!hintEffect)
        return;
    hintEffect->Stop();
    hintEffect.reset();
}

} // namespace Quib
