#include "src/game/quest/QstPoolData.h"

#include "framework/app/QuibAppBase.h"
#include "framework/files/FloatTransformer.h"
#include "framework/files/ProcessLog.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "framework/widgets/WidgetApp.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/WindowMessages.h"
#include "src/GameApp.h"
#include "src/Profiles.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemPictureDraw.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstItemStateDraw.h"
#include "src/game/quest/QstPoolEntry.h"
#include "src/game/quest/QstPoolItemDrag.h"
#include "src/game/quest/QstPoolItemFly.h"
#include "src/game/quest/QstPoolPlace.h"
#include "src/game/quest/QstScene.h"
#include "src/game/quest/QstPixelAlpha.h"
#include "src/game/quest/QstTutor.h"
#include "src/particles/ParticlesCommon.h"
#include "src/particles/ParticlesRef.h"
#include "src/particles/cGlobalParticles.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Quib {

namespace {

// Moves value toward target by step, snapping when closer than one step.
void StepToward(float& value, float target, float step)
{
    if (std::fabs(target - value) <= step)
        value = target;
    else
        value += value < target ? step : -step;
}

// Shared by every pool: the developer keys are read every 50 updates.
int gDeveloperKeyCounter = 0;

Image* LayerImage(PsdPicture* layout, const char* name, int32_t& x, int32_t& y)
{
    PsdPictureLayer* layer = layout ? layout->FindLayer(name) : nullptr;
    if (!layer) {
        x = y = 0;
        return nullptr;
    }
    x = layer->x;
    y = layer->y;
    return layer->image;
}

} // namespace

QstPoolData::QstPoolData() : mSelf(std::make_shared<QstPoolData*>(this)) {}

QstPoolData::~QstPoolData()
{
    // Flights and drags still held here finish without reaching back.
    mSelf.reset();
    drag = nullptr;
    mKeptExtensions.clear();
    places.clear();
}

int QstPoolData::DesignHeight()
{
    if (GameApp* app = GetGameApp())
        return app->designHeight;
    return 768;
}

// ---- Places and entries ----

QstPoolPlace& QstPoolData::GetPoolPlace(QstItem* item)
{
    for (QstPoolPlace& place : places) {
        if (item ? (place.entry && place.entry->item == item) : !place.entry)
            return place;
    }
    if (item)
        QUIB_LOG_ERROR("Item \"%s\" in pool not found", item->GetName());
    QstPoolPlace place;
    place.baseWidth = places.empty() ? cellWidth : places.front().baseWidth;
    place.baseHeight = places.empty() ? cellHeight : places.front().baseHeight;
    places.push_back(std::move(place));
    return places.back();
}

QstPoolEntry* QstPoolData::FindEntry(const QstItem* item) const
{
    if (!item)
        return nullptr;
    for (const QstPoolPlace& place : places) {
        if (place.entry && place.entry->item == item)
            return place.entry.get();
    }
    return nullptr;
}

bool QstPoolData::HasItem(const QstItem* item) const
{
    return FindEntry(item) != nullptr;
}

void QstPoolData::AddItem(QstItem* item, const std::string& stateName, const std::string& followUpAction,
                          QstItem* destination, bool noFly, QstItem* flyFromItem, const TPoint<float>* flyFromPoint)
{
    if (!item) {
        QUIB_LOG_ERROR("No item to put into the pool (state \"%s\")", stateName);
        return;
    }
    if (destination && !HasItem(destination)) {
        // Merging into a destination that has no entry would lose the item:
        // it takes a place of its own instead.
        QUIB_LOG_ERROR("Item \"%s\" in pool not found", destination->GetName());
        destination = nullptr;
    }
    if (destination == item)
        destination = nullptr;

    QstPoolEntry* existing = destination ? nullptr : FindEntry(item);
    QstPoolPlace* place = nullptr;
    std::unique_ptr<QstPoolEntry> fresh;
    QstPoolEntry* entry = nullptr;
    if (destination) {
        place = &GetPoolPlace(destination);
        entry = place->entry.get();
    } else if (existing) {
        // An item has one entry: it shows the new state.
        place = &GetPoolPlace(item);
        entry = existing;
        entry->SetState(stateName);
    } else {
        place = &GetPoolPlace(nullptr);
        fresh = std::make_unique<QstPoolEntry>(this, item);
        fresh->SetState(stateName);
        entry = fresh.get();
    }

    if (noFly) {
        if (!destination) {
            entry->placed = true;
            if (fresh) {
                place->entry = std::move(fresh);
                place->targetScale = place->scale = 1.0f;
            }
        }
    } else {
        TPoint<float> from;
        QstItem* source = flyFromItem ? flyFromItem : item;
        if (flyFromPoint && !flyFromItem) {
            from = *flyFromPoint;
        } else if (QstItemState* state = source->GetCurrentState()) {
            const FRect r = state->GetBoundingRect();
            from = TPoint<float>(r.x + r.width / 2.0f, r.y + r.height / 2.0f);
        }
        auto* fly = new QstPoolItemFly(item, stateName, from, FlightTarget(), followUpAction);
        if (!destination) {
            std::weak_ptr<QstPoolData*> self = mSelf;
            fly->arrivalCallback = [self, item]() {
                if (auto pool = self.lock())
                    (*pool)->OnFlightArrived(item);
            };
            if (fresh) {
                place->entry = std::move(fresh);
                place->targetScale = place->scale = 1.0f;
            }
        }
        AddExtension(fly);
    }

    QstItem* shown = destination ? destination : item;
    item->SetState(stateName, false);
    // The state change may have run scripts that changed the places.
    if (QstPoolEntry* held = FindEntry(shown))
        held->RefreshSize();
}

void QstPoolData::OnFlightArrived(QstItem* item)
{
    if (QstPoolEntry* entry = FindEntry(item))
        entry->placed = true;
}

void QstPoolData::RemoveItem(QstItem* item)
{
    if (item && item == hintItem)
        ClearHint();
    for (QstPoolPlace& place : places) {
        if (place.entry && place.entry->item == item)
            place.entry.reset();
    }
    changed = true;
}

void QstPoolData::CollectItems(std::vector<QstPoolItemInfo>& out) const
{
    for (const QstPoolPlace& place : places) {
        if (place.entry)
            out.push_back({place.entry.get(), place.entry->item, place.entry->StateName()});
    }
}

void QstPoolData::UpdateItemPicture(QstItem* item)
{
    QstPoolEntry* entry = FindEntry(item);
    if (!entry || !item->GetCurrentState())
        return;
    entry->SetState(item->GetCurrentState()->GetName());
}

void QstPoolData::ShowHintOn(QstItem* item)
{
    QstPoolEntry* entry = FindEntry(item);
    if (!entry)
        return;
    if (hintItem && hintItem != item) {
        if (QstPoolEntry* old = FindEntry(hintItem))
            old->StopHintEffect();
    }
    hintItem = item;
    StartHintEffect(entry);
    hintTime = kHintSeconds;
}

void QstPoolData::StartHintEffect(QstPoolEntry* entry)
{
    if (!entry)
        return;
    entry->StopHintEffect();
    cGlobalParticles* particles = cGlobalParticles::Instance();
    if (!particles)
        return;
    entry->hintEffect = particles->NewEffect("Hint", false);
    if (!entry->hintEffect)
        return;
    for (const QstPoolPlace& place : places) {
        if (place.entry.get() == entry) {
            entry->hintEffect->Emit(TPoint<float>(float(stripX) + place.x + place.width / 2.0f,
                                                  float(stripY) + place.y + place.height / 2.0f));
            break;
        }
    }
}

void QstPoolData::ClearHint()
{
    if (QstPoolEntry* entry = FindEntry(hintItem))
        entry->StopHintEffect();
    hintItem = nullptr;
    hintTime = 0.0f;
}

void QstPoolData::AddExtension(QstPoolItemExtBase* extension)
{
    if (!extension)
        return;
    if (mListeners.empty()) {
        mKeptExtensions.emplace_back(extension);
        return;
    }
    // The first listener owns it; one extension has one owner.
    mListeners.front().function(mListeners.front().context, extension);
}

void QstPoolData::AddExtensionListener(void* context, ExtensionListener listener)
{
    if (!listener)
        return;
    RemoveExtensionListener(context);
    mListeners.push_back({context, listener});
}

void QstPoolData::RemoveExtensionListener(void* context)
{
    std::erase_if(mListeners, [&](const Listener& l) { return l.context == context; });
}

void QstPoolData::ForgetExtension(const QstPoolItemExtBase* extension)
{
    if (extension && extension == drag)
        drag = nullptr;
}

void QstPoolData::UpdateExtensionsKeptHere(float dt)
{
    for (size_t i = 0; i < mKeptExtensions.size();) {
        QstPoolItemExtBase* extension = mKeptExtensions[i].get();
        extension->Update(dt);
        if (extension->done) {
            ForgetExtension(extension);
            mKeptExtensions.erase(mKeptExtensions.begin() + ptrdiff_t(i));
        } else {
            ++i;
        }
    }
}

void QstPoolData::RefreshPlaces()
{
    for (QstPoolPlace& place : places) {
        if (place.entry && place.entry->item)
            place.entry->item->LoadAllLayers();
    }
}

std::string QstPoolData::Save() const
{
    TiXmlDocument document;
    TiXmlElement* root = nullptr;
    for (const QstPoolPlace& place : places) {
        if (!place.entry || !place.entry->item)
            continue;
        if (!root)
            root = static_cast<TiXmlElement*>(document.LinkEndChild(new TiXmlElement("Pool")));
        auto* element = new TiXmlElement("PoolPlace");
        element->SetAttribute("item", place.entry->item->GetFullName().c_str());
        element->SetAttribute("item_state", place.entry->StateName().c_str());
        root->LinkEndChild(element);
    }
    if (!root)
        return std::string();
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.CStr();
}

void QstPoolData::Load(const std::string& text)
{
    if (text.empty())
        return;
    TiXmlDocument document;
    document.Parse(text.c_str());
    if (document.Error()) {
        ReportProfileXmlError(document.ErrorDesc(), nullptr);
        return;
    }
    TiXmlElement* root = document.RootElement();
    if (!root || std::string(root->Value()) != "Pool")
        return;
    for (TiXmlElement* element = root->FirstChildElement("PoolPlace"); element;
         element = element->NextSiblingElement("PoolPlace")) {
        const char* itemName = element->Attribute("item");
        if (!itemName) {
            ReportProfileXmlError("Attribute \"item\" not found", element);
            return;
        }
        const char* stateName = element->Attribute("item_state");
        if (!stateName) {
            ReportProfileXmlError("Attribute \"item_state\" not found", element);
            return;
        }
        QstItem* item = QstScene::GetItemByRef(itemName);
        if (!item) {
            // An entry without its item could never be drawn, used or saved.
            QUIB_LOG_ERROR("Pool item \"%s\" not found; its entry is dropped", itemName);
            continue;
        }
        if (HasItem(item)) {
            QUIB_LOG_ERROR("Pool item \"%s\" is listed twice; the second entry is dropped", itemName);
            continue;
        }
        QstPoolPlace& place = GetPoolPlace(nullptr);
        place.targetScale = place.scale = 1.0f;
        place.entry = std::make_unique<QstPoolEntry>(this, item);
        place.entry->SetState(stateName);
        place.entry->placed = true;
        place.entry->scale = 1.0f;
    }
}

void QstPoolData::Compact()
{
    std::stable_partition(places.begin(), places.end(), [](const QstPoolPlace& p) { return p.entry != nullptr; });
    size_t occupied = 0;
    for (const QstPoolPlace& place : places)
        occupied += place.entry ? 1 : 0;
    const size_t keep = std::max(size_t(kMinPlaces), occupied);
    if (places.size() > keep)
        places.resize(keep);
}

// ---- Geometry ----

void QstPoolData::LoadLayout()
{
    slide = 1.0f;
    showDrive = 0.0f;
    int32_t lx = 0, ly = 0;
    stripImage = LayerImage(layout, "inventory/inventory", stripX, stripY);
    stripWidth = stripImage ? stripImage->width : 0;
    visibleHeight = DesignHeight() - stripY;
    lowArrowImage = LayerImage(layout, "inventory/lowarrow", lx, ly);
    lowArrowX = lx - stripX;
    lowArrowY = ly - stripY;
    lowerLineImage = LayerImage(layout, "inventory/lowerline", lx, ly);
    lowerLineX = lx - stripX;
    lowerLineY = ly - stripY;
    overlayImage = LayerImage(layout, "inventory/place", lx, ly);
    overlayX = lx - stripX;
    overlayY = ly - stripY;
    cellImage = LayerImage(layout, "inventory/1", lx, ly);
    cellX = lx - stripX;
    cellY = ly - stripY;
    cellWidth = cellImage ? cellImage->width : 0;
    cellHeight = cellImage ? cellImage->height : 0;
    PsdPictureLayer* second = layout ? layout->FindLayer("inventory/2") : nullptr;
    gap = second ? std::max(0, second->x - stripX - cellX - cellWidth) : 0;
    windowX = float(cellX - gap);
    windowY = float(cellY - gap);
    windowWidth = float(kMinPlaces * (cellWidth + gap));
    windowHeight = float(cellHeight + gap);

    if (!places.empty()) {
        for (QstPoolPlace& place : places) {
            if (place.entry)
                place.entry->RefreshSize();
        }
    }
    while (places.size() < size_t(kMinPlaces))
        places.emplace_back();
    for (QstPoolPlace& place : places) {
        place.baseWidth = cellWidth;
        place.baseHeight = cellHeight;
    }
    hoveredScale = kHoveredScale;
    normalScale = cellWidth > 0 ? float(5 * cellWidth - 2 * gap) / float(7 * cellWidth) : 1.0f;
    neighbourScale = 1.0f - (1.0f - normalScale) * 0.5f;
}

float QstPoolData::SlideOffset() const
{
    return slideDistance * (1.0f - std::cos(std::numbers::pi_v<float> * slide)) / 2.0f;
}

TPoint<float> QstPoolData::FlightTarget() const
{
    return TPoint<float>(float(stripX) + float(stripWidth) / 2.0f, float(stripY) + 0.9f * float(visibleHeight));
}

float QstPoolData::EffectiveNormalScale() const
{
    return places.size() <= kMagnifyAbove ? hoveredScale : normalScale;
}

float QstPoolData::EffectiveNeighbourScale() const
{
    return places.size() <= kMagnifyAbove ? hoveredScale : neighbourScale;
}

bool QstPoolData::PlaceHitArea(size_t i, float px, float py) const
{
    const float offset = SlideOffset();
    const float wy = py - offset;
    if (px < windowX || px >= windowX + windowWidth || wy < windowY || wy >= windowY + windowHeight)
        return false;
    const QstPoolPlace& p = places[i];
    auto inside = [&](float rx, float ry, float rw, float rh) {
        return px >= rx && px < rx + rw && py >= ry && py < ry + rh;
    };
    if (inside(p.x, p.y, p.width, p.height))
        return true;
    if (i > 0) {
        const QstPoolPlace& q = places[i - 1];
        const float gapLeft = q.x + q.width;
        const float half = (p.x - gapLeft) / 2.0f;
        if (inside(gapLeft + half, std::max(p.y, q.y), half, std::min(p.height, q.height)))
            return true;
    }
    if (i + 1 < places.size()) {
        const QstPoolPlace& q = places[i + 1];
        const float gapLeft = p.x + p.width;
        const float half = (q.x - gapLeft) / 2.0f;
        if (inside(gapLeft, std::max(p.y, q.y), half, std::min(p.height, q.height)))
            return true;
    }
    return false;
}

QstPoolPlace* QstPoolData::FindPlaceAt(float px, float py)
{
    for (size_t i = 0; i < places.size(); ++i) {
        if (PlaceHitArea(i, px, py))
            return &places[i];
    }
    return nullptr;
}

// ---- Update ----

void QstPoolData::Update(float dt)
{
    UpdateExtensionsKeptHere(dt);

    TPoint<int> mouse;
    if (mousePosition) {
        mouse = mousePosition();
    } else if (WidgetApp* app = TheWidgetApp(); app && app->GetWidgetManager()) {
        mouse = TPoint<int>(app->GetWidgetManager()->mouseX, app->GetWidgetManager()->mouseY);
    }
    const float mx = float(mouse.x - stripX), my = float(mouse.y - stripY);

    if (hovered || drag)
        idleTime = 0.0f;
    else
        idleTime = std::min(kIdleLimit, idleTime + dt);

    StepToward(showDrive, (hovered || idleTime < kIdleLimit) ? 1.0f : -1.0f, 0.3f);

    const bool shown = (showDrive > 0.0f || hintTime > 0.0f) && !lockedHidden;
    const float slideTarget = shown ? 0.0f : 1.0f;
    if (slide != slideTarget) {
        StepToward(slide, slideTarget, 2.0f * std::fabs(showDrive) * dt);
        MouseMove(int(mx), int(my));
    } else if (!shown && changed) {
        changed = false;
        Compact();
    }

    float total = 0.0f;
    for (const QstPoolPlace& place : places)
        total += place.width + float(gap);
    const float span = windowWidth - 2.0f * float(gap) - float(cellWidth);
    const float f = span > 0.0f ? std::clamp(((mx - float(cellX)) - float(cellWidth) / 2.0f) / span, 0.0f, 1.0f)
                                : 0.0f;
    float scrollTarget = (total - windowWidth) * f;

    if (WidgetApp* app = TheWidgetApp(); app && app->GetWidgetManager()) {
        if (++gDeveloperKeyCounter % 50 == 0) {
            for (int n = 0; n <= 8 && size_t(n) < places.size(); ++n) {
                if (app->GetWidgetManager()->IsKeyDown(VK_NUMPAD0 + n) && places[size_t(n)].entry)
                    ShowHintOn(places[size_t(n)].entry->item);
            }
        }
    }

    if (hintTime > 0.0f) {
        hintTime -= dt;
        if (hintTime <= 0.0f)
            ClearHint();
    }
    if (hintItem) {
        float before = 0.0f, own = 0.0f, rowWidth = 0.0f;
        bool found = false;
        for (size_t i = 0; i < places.size(); ++i) {
            const QstPoolPlace& place = places[i];
            rowWidth += place.width + (i + 1 < places.size() ? float(gap) : 0.0f);
            if (found)
                continue;
            if (place.entry && place.entry->item == hintItem) {
                found = true;
                own = place.width;
            } else {
                before += place.width + float(gap);
            }
        }
        if (found) {
            // A row narrower than the window keeps its bounds in order.
            const float hi = rowWidth - windowWidth;
            scrollTarget = std::clamp(before + own / 2.0f - windowWidth / 2.0f, std::min(0.0f, hi), std::max(0.0f, hi));
        }
    }

    StepToward(scroll, scrollTarget, std::max(10.0f * std::fabs(scroll - scrollTarget) * dt, 150.0f * dt));

    const float offset = SlideOffset();
    const float normal = EffectiveNormalScale();
    const float neighbour = EffectiveNeighbourScale();
    float x = float(cellX) - scroll;
    const float cy = float(cellY) + float(cellHeight) / 2.0f + offset;
    const bool mouseInWindow = mx >= windowX && mx < windowX + windowWidth && my - offset >= windowY &&
                               my - offset < windowY + windowHeight;
    ptrdiff_t hoveredIndex = -1;
    for (size_t i = 0; i < places.size(); ++i) {
        QstPoolPlace& place = places[i];
        StepToward(place.scale, place.targetScale, 2.0f * dt);
        const float w = float(cellWidth) * place.scale, h = float(cellHeight) * place.scale;
        place.x = x;
        place.y = cy - h / 2.0f;
        place.width = w;
        place.height = h;
        x += w + float(gap);
        if (QstPoolEntry* entry = place.entry.get()) {
            QstItemStateDraw& picture = *entry->picture;
            picture.x = place.x + (w - picture.w) / 2.0f;
            picture.y = place.y + (h - picture.h) / 2.0f;
            float fit = 1.0f;
            if (picture.w > 0.0f && picture.h > 0.0f)
                fit = std::min({1.0f, (float(place.baseWidth) - 20.0f) / picture.w,
                                (float(place.baseHeight) - 20.0f) / picture.h});
            entry->scale = place.scale * fit;
            if (entry->hintEffect && entry->hintEffect->effect)
                entry->hintEffect->effect->MoveTo(TPoint<float>(float(stripX) + picture.x + picture.w / 2.0f,
                                                                float(stripY) + picture.y + picture.h / 2.0f),
                                                  false);
        }
    }
    for (size_t i = 0; i < places.size(); ++i) {
        QstPoolPlace& place = places[i];
        if (mouseInWindow && PlaceHitArea(i, mx, my)) {
            place.targetScale = hoveredScale;
            if (hoveredIndex < 0)
                hoveredIndex = ptrdiff_t(i);
            if (place.entry && !lockedHidden && showTooltip)
                showTooltip(place.entry->caption, 0.1f);
        } else {
            place.targetScale = normal;
        }
    }
    if (hoveredIndex >= 0) {
        const size_t i = size_t(hoveredIndex);
        places[i].targetScale = hoveredScale;
        if (i > 0)
            places[i - 1].targetScale = neighbour;
        if (i + 1 < places.size())
            places[i + 1].targetScale = neighbour;
    }
}

// ---- Drawing and input ----

void QstPoolData::Draw(Graphics& g)
{
    const float offset = SlideOffset();
    if (lowArrowImage)
        g.DrawImageAt(lowArrowImage, lowArrowX, lowArrowY);
    if (stripImage)
        g.DrawImageAt(stripImage, 0, int(offset));
    g.SaveState();
    g.NarrowClip(int(windowX), int(windowY + offset), int(windowWidth), int(windowHeight));
    g.NarrowClip(0, 0, stripWidth, visibleHeight);
    g.colorizeImages = true;
    g.color = Color::White;
    for (QstPoolPlace& place : places) {
        if (cellImage)
            g.DrawImageNineSlice(Rect(int(place.x), int(place.y), int(place.width), int(place.height)), cellImage);
        QstPoolEntry* entry = place.entry.get();
        if (entry && entry->placed && entry->picture && entry->picture->state)
            DrawItemPicture(g, *entry->picture, entry->picture->x, entry->picture->y, entry->scale, entry->transform);
    }
    g.RestoreState();
    if (overlayImage)
        g.DrawImageAt(overlayImage, overlayX, overlayY + int(offset));
    if (lowerLineImage)
        g.DrawImageAt(lowerLineImage, lowerLineX, lowerLineY);
}

void QstPoolData::Unused(int, int) {}

bool QstPoolData::IsOverStrip(int px, int py)
{
    const int offset = int(SlideOffset());
    return PictureAlphaAt(stripImage, px, py - offset) > 0x14 ||
           PictureAlphaAt(lowArrowImage, px - lowArrowX, py - lowArrowY) > 0x14 ||
           PictureAlphaAt(lowerLineImage, px - lowerLineX, py - lowerLineY) > 0x14;
}

void QstPoolData::MouseMove(int px, int py)
{
    hovered = IsOverStrip(px, py);
}

void QstPoolData::MouseDrag(int px, int py)
{
    MouseMove(px, py);
}

void QstPoolData::ClearHover()
{
    hovered = false;
}

void QstPoolData::MouseDown(int px, int py, int, int)
{
    if (drag) {
        drag->Drop();
        drag = nullptr;
        return;
    }
    QstPoolPlace* place = FindPlaceAt(float(px), float(py));
    if (!place || !place->entry || !place->entry->placed || !place->entry->item)
        return;
    QstPoolEntry* entry = place->entry.get();
    QstItem* item = entry->item;
    if (canTakeItem && !canTakeItem(item, entry->StateName()))
        return;
    if (getTutor) {
        if (QstTutor* tutor = getTutor()) {
            QstItemState* state = item->GetCurrentState();
            tutor->OnGetDrag(item->GetFullName(), state ? state->GetName() : std::string());
        }
    }
    drag = new QstPoolItemDrag(item, std::string());
    QstPoolItemDrag* started = drag;
    AddExtension(started);
}

void QstPoolData::MouseUp(int, int, int, int) {}

void QstPoolData::SetBoardHooks(const void* board,
                                std::function<bool(QstItem* item, const std::string& state)> canTake,
                                std::function<void(const std::u16string& text, float seconds)> tooltip,
                                std::function<QstTutor*()> tutor)
{
    hooksBoard = board;
    canTakeItem = std::move(canTake);
    showTooltip = std::move(tooltip);
    getTutor = std::move(tutor);
}

void QstPoolData::ClearBoardHooks(const void* board)
{
    if (board != hooksBoard)
        return;
    hooksBoard = nullptr;
    canTakeItem = nullptr;
    showTooltip = nullptr;
    getTutor = nullptr;
}

QstItem* QstPoolData::GetDraggedItem() const
{
    return drag ? drag->Item() : nullptr;
}

QstPoolItemDrag* QstPoolData::EndDrag(bool used)
{
    if (!drag)
        return nullptr;
    if (getTutor && !used) {
        if (QstTutor* tutor = getTutor())
            tutor->StepBack();
    }
    QstPoolItemDrag* ended = drag;
    drag = nullptr;
    ended->Drop();
    return ended;
}

} // namespace Quib
