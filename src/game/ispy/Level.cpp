// The rules of a hidden-object level and the controller of the levels.
#include "framework/files/ProcessLog.h"
#include "framework/files/Random.h"
#include "src/GameSettings.h"
#include "src/game/ispy/GameControllerISpy.h"
#include "src/game/ispy/HexKey.h"
#include "src/game/ispy/HogProfile.h"
#include "src/game/ispy/TLevel.h"
#include "src/game/ispy/TPaintElement.h"
#include "src/game/ispy/TPicture.h"

#include <cstdlib>
#include <utility>

namespace Quib {

TLevel::TLevel(const std::string& name) : LevelBase(name)
{
    for (int32_t id : {MSG_HINT_GIVEN, MSG_FRAME_TICK, MSG_ELEMENT_TAKEN, MSG_TOGGLE_BLOCK, MSG_PICTURE_READY,
                       MSG_SPHERE_TAKEN, MSG_MISS_BURST})
        Subscribe(this, id);
}

TLevel::~TLevel()
{
    for (TPicture* p : pictures)
        delete p;
}

void TLevel::Load()
{
    const size_t slash = levelName.find('/');
    auto* picture = new TPicture(slash == std::string::npos ? levelName : levelName.substr(0, slash), this,
                                 loadImagesNow);
    picture->itemsInHog = GetGameIniInt("ItemsInHog", "Game", -1, 15);
    pictures.push_back(picture);
}

void TLevel::OnMessage(int32_t id, TMessenger*, TMessageData*)
{
    switch (id) {
    case MSG_HINT_GIVEN: {
        TMessageData data(int32_t(0));
        Send(this, MSG_LEVEL_HINT_GIVEN, &data);
        break;
    }
    case MSG_ELEMENT_TAKEN: {
        score += 50;
        TMessageData data(score);
        Send(this, MSG_SCORE_CHANGED, &data);
        if (IsComplete()) {
            TMessageData done(this);
            Send(this, MSG_LEVEL_COMPLETE, &done);
        }
        break;
    }
    case MSG_TOGGLE_BLOCK:
        SetBlocked(!blocked);
        break;
    case MSG_PICTURE_READY: {
        TMessageData data(int32_t(0));
        Send(this, MSG_LEVEL_PICTURE_READY, &data);
        break;
    }
    case MSG_MISS_BURST:
        if (!IsComplete() && !penaltySent) {
            penaltySent = true;
            SendNoData(this, MSG_FIRST_MISS_BURST);
        }
        break;
    default:
        break;
    }
}

bool TLevel::IsComplete()
{
    bool complete = true;
    for (TPicture* p : pictures)
        if (!p->CheckFinished())
            complete = false;
    return complete;
}

int32_t TLevel::CountRecordsLeft() const
{
    int32_t left = 0;
    for (const TPicture* p : pictures)
        left += p->notepad.CountRecordsLeft();
    return left;
}

void TLevel::SetBlocked(bool flag)
{
    blocked = flag;
    SendNoData(this, blocked ? MSG_LEVEL_BLOCKED : MSG_LEVEL_UNBLOCKED);
    for (TPicture* p : pictures)
        p->blocked = blocked;
}

TPicture* FindLevelEntryByName(TLevel* level, const std::string& name)
{
    if (!level)
        return nullptr;
    for (TPicture* p : level->pictures)
        if (p->name == name)
            return p;
    return nullptr;
}

void TLevel::SaveState()
{
    if (!changed)
        return;
    ProfileSet(levelName, "HintsStay", std::to_string(hintsStay));
    for (TPicture* p : pictures)
        SaveLists(p, levelName);
    SaveProfile();
}

void TLevel::SaveLists(TPicture* picture, const std::string& name)
{
    const std::string section = name + "_" + picture->name;
    EraseProfileSection(section);
    int orb = 0;
    std::string list;
    for (size_t i = 0; i < picture->drawList.size(); ++i) {
        TPaintElement* e = picture->drawList[i];
        if (e->IsSphere()) {
            const Point at = e->GetFramePosition();
            ProfileSet(section, "Orb" + std::to_string(orb++), std::to_string(at.x) + "," + std::to_string(at.y));
            continue;
        }
        list += e->name;
        if (!e->text.empty())
            list += "|" + EncodeHexKey(e->text);
        if (i + 1 < picture->drawList.size())
            list += ",";
    }
    ProfileSet(section, "CurrList", list);
    picture->notepad.SaveState(section);
}

void TLevel::LoadState()
{
    int stay = 5;
    if (ProfileGetInt(levelName, "HintsStay", stay))
        hintsStay = stay;
    for (TPicture* p : pictures)
        LoadLists(p, levelName);
}

void TLevel::LoadLists(TPicture* picture, const std::string& name)
{
    const std::string section = name + "_" + picture->name;
    std::string list;
    if (!ProfileLookup(section, "CurrList", list))
        return;
    picture->drawList = picture->scenery;
    for (int n = 0;; ++n) {
        std::string at;
        if (!ProfileLookup(section, "Orb" + std::to_string(n), at))
            break;
        const size_t comma = at.find(',');
        const int px = std::atoi(at.c_str());
        const int py = comma == std::string::npos ? 0 : std::atoi(at.c_str() + comma + 1);
        picture->RestoreSphereAt(Point(px, py));
    }
    size_t start = 0;
    while (start <= list.size() && !list.empty()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        const std::string entry = list.substr(start, comma - start);
        start = comma + 1;
        const size_t bar = entry.find('|');
        TPaintElement* e = picture->FindItem(entry.substr(0, bar));
        if (!e)
            continue;
        picture->drawList.push_back(e);
        if (bar != std::string::npos)
            e->text = DecodeHexKey(std::string_view(entry).substr(bar + 1));
    }
    SortByZ(picture->drawList);
    for (TPaintElement* e : picture->drawList) {
        e->SetTaken(true);
        e->ResetAnimation();
    }
    picture->notepad.LoadState(section);
    // Restored spheres can be taken again.
    for (TPaintElement* e : picture->drawList)
        if (e->IsSphere())
            e->SetTaken(false);
    picture->finishedSent = false;
    EraseLists(picture, name);
}

void TLevel::EraseLists(TPicture* picture, const std::string& name)
{
    EraseProfileSection(name + "_" + picture->name);
}

// ---- The search of a visit ---------------------------------------------------------

void TLevel::SetCurrentList(const std::string& listName)
{
    // The first list of a level always builds a search, also an empty one:
    // without it the picture would have no lines and count as finished.
    if (listSet && listName == hogItemName)
        return;
    listSet = true;
    hogItemName = listName;
    PlaceAllSpheres();
}

void TLevel::PlaceAllSpheres()
{
    blocked = false;
    hintsStay = 5;
    std::vector<std::pair<TPicture*, TPaintElement*>> pairs;
    for (TPicture* p : pictures) {
        p->hogItem = hogItemName;
        p->Reset();
        for (TPaintElement* e : p->spheres)
            pairs.emplace_back(p, e);
    }
    const bool placeAll = GetGameIniInt("PlaceAllSpheres", "Game", -1, 0) == 1;
    int left = 3;
    while (!pairs.empty() && (left != 0 || placeAll)) {
        const size_t r = size_t(Quib::rand()) % pairs.size();
        pairs[r].first->PlaceSphere(pairs[r].second);
        pairs.erase(pairs.begin() + std::ptrdiff_t(r));
        --left;
    }
    TMessageData data(this);
    Send(this, MSG_SPHERES_PLACED, &data);
    LoadState();
    changed = true;
}

// ---- GameControllerISpy --------------------------------------------------------------

GameControllerISpy& GameControllerISpy::Instance()
{
    // Never destroyed: its levels are let go by ClearLevels (the common
    // controller's ReleaseAll at exit); a destructor running after the
    // pictures' registries are gone would touch them.
    static auto* controller = new GameControllerISpy();
    return *controller;
}

TLevel* GameControllerISpy::GetCurrentLevel()
{
    // The common controller may have been made anew since this one
    // registered its clear call (a new run of the shell in one process).
    GameControllerCommon& common = GameControllerCommon::Instance();
    if (!common.clearCallbacks.count(this))
        common.clearCallbacks[this] = {[](void* self) { static_cast<GameControllerISpy*>(self)->ClearLevels(); },
                                       this};
    return GetLevel([](const std::string& name) {
        auto level = std::make_unique<TLevel>(name);
        level->Load();
        return level;
    });
}

void GameControllerISpy::ClearLevels()
{
    for (auto& [name, level] : levels)
        level->SaveState();
    GameControllerDer<TLevel>::ClearLevels();
}

void GameControllerISpy::UnloadLevels()
{
    // Whether a level is active or not: the board that calls this has
    // usually just made a scene the active level, and the levels visited
    // before still have to be written.
    for (auto& [name, level] : levels)
        level->SaveState();
}

TLevel* GameControllerISpy::FindLevel(const std::string& name) const
{
    auto it = levels.find(name);
    return it == levels.end() ? nullptr : it->second.get();
}

} // namespace Quib
