#include "src/game/minigames/QstFieldLock15.h"

#include "framework/files/FloatTransformer.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Image.h"
#include "src/game/Sounds.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstFieldLayer.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/Layer/QstImageLayer.h"
#include "src/game/quest/Layer/QstImageLayerData.h"
#include "src/game/quest/Layer/SLoadLayerDataCont.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace Quib {

namespace {
constexpr double kLockPi = 3.141592653589793;
} // namespace

QstFieldLock15::QstFieldLock15(QstScene* owner, void* loading, const std::string& type)
    : QstFieldMinigame(owner, loading, type)
{
}

bool QstFieldLock15::DoInitFromXML(QstXmlElement& element, SLoadLayerDataCont& context)
{
    if (!QstFieldMinigame::DoInitFromXML(element, context))
        return false;
    background = LoadFieldPicture(context, "back_clear", this, true);
    if (background) {
        auto* data = new QstImageLayerData(background->z);
        data->SetResource(context.directory, background->name);
        data->forceLoad = true;
        auto* image = new QstImageLayer(data);
        image->x = background->x;
        image->y = background->y;
        auto* fieldLayer = new QstFieldLayer(image);
        fieldLayer->SetField(this);
        layers.push_back(fieldLayer);
        image->SetVisible(false, true);
    }
    lockedOverlay = LoadFieldPicture(context, "back_redy", this, true);
    tiles.assign(9, Tile());
    cellPictures.assign(9, nullptr);
    for (int i = 0; i < 9; ++i) {
        MinigamePicture* p = LoadFieldPicture(context, StrFormat("%02d", i + 1), this, true);
        cellPictures[size_t(i)] = p;
        tiles[size_t(i)].picture = p;
        tiles[size_t(i)].home = i;
    }
    locks.assign(4, Lock());
    for (int k = 1; k <= 4; ++k) {
        Lock& lock = locks[size_t(k - 1)];
        lock.lockPicture = LoadFieldPicture(context, StrFormat("zamok_%02d/round_%02d", k, k), this, true);
        lock.keyPicture = LoadFieldPicture(context, StrFormat("zamok_%02d/key_%02d", k, k), this, true);
    }
    keyNames.assign(4, std::string());
    for (int k = 1; k <= 4; ++k) {
        if (!element.GetAttr(StrFormat("key%d", k).c_str(), keyNames[size_t(k - 1)]))
            return false;
    }
    skipShown = false;
    Scramble();
    return true;
}

void QstFieldLock15::SetTileTarget(int cell, bool snap)
{
    Tile& tile = tiles[size_t(cell)];
    const MinigamePicture* place = cellPictures[size_t(cell)];
    tile.xStart = tile.xTarget;
    tile.xTarget = place ? place->x : 0.0f;
    tile.yStart = tile.yTarget;
    tile.yTarget = place ? place->y : 0.0f;
    if (snap) {
        tile.x = tile.xStart = tile.xTarget;
        tile.y = tile.yStart = tile.yTarget;
    }
}

void QstFieldLock15::SnapAllTiles()
{
    for (int cell = 0; cell < 9; ++cell)
        SetTileTarget(cell, true);
}

void QstFieldLock15::Rotate(int block, bool forward)
{
    if (block < 0 || block > 3 || tiles.size() != 9)
        return;
    int32_t cells[4] = {kBlocks[block][0], kBlocks[block][1], kBlocks[block][2], kBlocks[block][3]};
    if (!forward)
        std::swap(cells[1], cells[3]);
    Tile carried = tiles[size_t(cells[0])];
    for (int i = 0; i < 4; ++i) {
        const int32_t c = cells[(i + 1) % 4];
        std::swap(carried, tiles[size_t(c)]);
        SetTileTarget(c, false);
    }
    moving = true;
}

void QstFieldLock15::Scramble()
{
    for (int i = 0; i < 5; ++i)
        Rotate(int(MersenneNext() & 3), false);
    SnapAllTiles();
}

bool QstFieldLock15::AllKeysIn() const
{
    for (const Lock& lock : locks)
        if (!lock.inserted)
            return false;
    return !locks.empty();
}

bool QstFieldLock15::UseItem(int px, int py, const std::string& itemName)
{
    // Items come as "scene:item"; the key names may be either form.
    const size_t colon = itemName.find(':');
    const std::string shortName = colon == std::string::npos ? itemName : itemName.substr(colon + 1);
    bool inserted = false;
    for (const std::string& key : keyNames) {
        if (key.empty() || (key != itemName && key != shortName))
            continue;
        for (Lock& lock : locks) {
            if (!PictureHitAt(lock.lockPicture, px, py))
                continue;
            lock.inserted = true;
            inserted = true;
            if (AllKeysIn()) {
                skipShown = true;
                GetSkipControl()->SetVisible(true, false);
            }
        }
        break;
    }
    return inserted;
}

bool QstFieldLock15::GetUseTarget(int px, int py, const std::string& draggedItem, const std::string& draggedState,
                                  std::string& itemName, std::string& stateName)
{
    UseItem(px, py, draggedItem);
    return QstFieldMinigame::GetUseTarget(px, py, draggedItem, draggedState, itemName, stateName);
}

void QstFieldLock15::OnMouseDownButton(int px, int py, int button, int count)
{
    if (AllKeysIn() && !moving && (button == 0 || button == 1)) {
        for (int k = 1; k <= 4; ++k) {
            Lock& lock = locks[size_t(k - 1)];
            if (!lock.inserted || !PictureHitAt(lock.lockPicture, px, py))
                continue;
            const bool forward = button == 0;
            PlaySoundEffect(StrFormat("key_%02d", k));
            Rotate(k - 1, forward);
            lock.angleTarget = float(double(lock.angleStart) + (forward ? -kLockPi : kLockPi));
            break;
        }
    }
    QstFieldMinigame::OnMouseDownButton(px, py, button, count);
}

void QstFieldLock15::Update(float seconds)
{
    QstFieldMinigame::Update(seconds);
    ApproachFloat(lockedFade, seconds, AllKeysIn() ? 0.0f : 1.0f);
    if (!moving)
        return;
    if (ApproachFloat(moveProgress, seconds, 1.0f))
        moving = false;
    const float t = moveProgress;
    for (Tile& tile : tiles) {
        tile.x = tile.xStart + (tile.xTarget - tile.xStart) * t;
        tile.y = tile.yStart + (tile.yTarget - tile.yStart) * t;
    }
    for (Lock& lock : locks)
        if (lock.inserted)
            lock.angle = lock.angleStart + (lock.angleTarget - lock.angleStart) * t;
    if (moving)
        return;
    moveProgress = 0.0f;
    for (Tile& tile : tiles) {
        tile.xStart = tile.xTarget;
        tile.yStart = tile.yTarget;
    }
    for (Lock& lock : locks)
        lock.angleStart = lock.angleTarget;
    CheckSolved();
}

void QstFieldLock15::CheckSolved()
{
    for (size_t i = 0; i < tiles.size(); ++i)
        if (tiles[i].home != int32_t(i))
            return;
    PlaySoundEffect("open_door");
    Win();
    moveProgress = 0.0f;
    moving = false;
    Scramble();
}

std::array<int32_t, 9> QstFieldLock15::Arrangement() const
{
    std::array<int32_t, 9> homes{};
    for (size_t i = 0; i < 9 && i < tiles.size(); ++i)
        homes[i] = tiles[i].home;
    return homes;
}

void QstFieldLock15::SetArrangement(const std::array<int32_t, 9>& homes)
{
    if (tiles.size() != 9)
        return;
    for (size_t i = 0; i < 9; ++i) {
        tiles[i].home = homes[i];
        tiles[i].picture = cellPictures[size_t(homes[i])];
    }
    SnapAllTiles();
}

bool QstFieldLock15::ParseArrangement(const std::string& text, std::array<int32_t, 9>& homes)
{
    bool seen[9] = {};
    size_t count = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string part = text.substr(start, end - start);
        if (part.empty() || part.size() > 1 || part[0] < '0' || part[0] > '8' || count >= 9)
            return false;
        const int32_t cell = part[0] - '0';
        if (seen[cell])
            return false;
        seen[cell] = true;
        homes[count++] = cell;
        start = end + 1;
    }
    return count == 9;
}

void QstFieldLock15::Draw(Graphics& g)
{
    g.SaveState();
    const Color base = BeginPuzzlePass(g);
    DrawPicture(g, background);
    for (const Tile& tile : tiles)
        if (tile.picture && tile.picture->image)
            g.DrawImageAt(tile.picture->image, int(tile.x - float(x)), int(tile.y - float(y)));
    if (lockedFade > 0.0f) {
        g.color = MultiplyColors(base, ColorWithAlpha(lockedFade, Color::White));
        DrawPicture(g, lockedOverlay);
        g.color = base;
    }
    g.RestoreState();
    QstFieldMinigame::Draw(g);
    g.SaveState();
    BeginPuzzlePass(g);
    for (const Lock& lock : locks) {
        if (!lock.inserted)
            continue;
        for (const MinigamePicture* p : {lock.lockPicture, lock.keyPicture}) {
            if (p && p->image)
                DrawPictureRotated(g, p, lock.angle, float(p->image->width / 2), float(p->image->height / 2));
        }
    }
    g.RestoreState();
}

bool QstFieldLock15::SaveMinigameState(QstXmlElement& element)
{
    if (!QstFieldMinigame::SaveMinigameState(element))
        return false;
    for (size_t i = 0; i < locks.size(); ++i)
        if (locks[i].inserted)
            SetAttrFloat(element, StrFormat("lock%d", int(i)).c_str(), locks[i].angleTarget);
    std::string parts;
    for (size_t i = 0; i < tiles.size(); ++i) {
        if (i)
            parts += ",";
        parts += StrFormat("%d", tiles[i].home);
    }
    element.SetAttr(parts, "parts");
    return true;
}

bool QstFieldLock15::LoadMinigameState(QstXmlElement& element, bool* openedFlag)
{
    if (!QstFieldMinigame::LoadMinigameState(element, openedFlag))
        return false;
    bool any = false;
    for (int i = 0; i < 4; ++i)
        any = any || element.HasAttr(StrFormat("lock%d", i).c_str());
    if (!any)
        return true;
    if (openedFlag)
        *openedFlag = true;
    for (int i = 0; i < 4 && size_t(i) < locks.size(); ++i) {
        const std::string attr = StrFormat("lock%d", i);
        if (!element.HasAttr(attr.c_str()))
            continue;
        float angle = element.GetAttrFloat(attr.c_str(), 0.0f);
        if (!std::isfinite(angle))
            angle = 0.0f;
        Lock& lock = locks[size_t(i)];
        lock.inserted = true;
        lock.angle = lock.angleStart = lock.angleTarget = angle;
    }
    const std::string parts = element.GetAttrDefault("parts", "");
    if (!parts.empty()) {
        std::array<int32_t, 9> homes{};
        if (ParseArrangement(parts, homes) && tiles.size() == 9)
            SetArrangement(homes);
        else
            QUIB_LOG_ERROR("Lock \"%s\": saved tiles \"%s\" are not an arrangement of the nine tiles; kept the "
                           "scrambled ones",
                           name, parts);
    }
    if (AllKeysIn()) {
        skipShown = true;
        lockedFade = 0.0f;
    }
    return true;
}

} // namespace Quib
