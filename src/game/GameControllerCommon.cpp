#include "src/game/GameControllerCommon.h"

#include "src/Profiles.h"
#include "src/game/Scenario.h"
#include "src/game/quest/PsdPicture.h"

namespace Quib {

GameControllerCommon& GameControllerCommon::Instance()
{
    std::lock_guard lock(InstanceMutex());
    GameControllerCommon* instance = Singletone<GameControllerCommon>::Instance();
    if (!instance) {
        instance = new GameControllerCommon();
        SetInstance(instance);
    }
    return *instance;
}

GameControllerCommon* GameControllerCommon::Existing()
{
    std::lock_guard lock(InstanceMutex());
    return Singletone<GameControllerCommon>::Instance();
}

GameControllerCommon::GameControllerCommon() : player(std::make_unique<PlayerInfo>())
{
    progress = player.get();
}

GameControllerCommon::~GameControllerCommon()
{
    std::lock_guard lock(InstanceMutex());
    if (Singletone<GameControllerCommon>::Instance() == this)
        SetInstance(nullptr);
}

void GameControllerCommon::LoadProgress()
{
    player->Load();
    Scenario::Instance().LoadAll();
}

void GameControllerCommon::SaveProgress()
{
    StoreAllLevelInfos();
    player->Save();
    Profiles::Instance().SaveCurrent();
}

void GameControllerCommon::ReleaseActiveLevel()
{
    // The callback may make another level active; it is cleared first so a
    // nested release cannot call it twice.
    const ControllerCallback release = releaseCallback;
    releaseCallback = ControllerCallback();
    release();
    activeLevel = nullptr;
}

void GameControllerCommon::ReleaseAll()
{
    ReleaseActiveLevel();
    const auto callbacks = clearCallbacks; // a callback may change the map
    for (const auto& [controller, clear] : callbacks)
        clear();
    if (Profiles::Instance().LoadCurrent())
        SaveProgress();
}

void GameControllerCommon::SetActiveLevel(LevelBase* level, ControllerCallback release)
{
    activeLevel = level;
    releaseCallback = release;
}

void GameControllerCommon::SetSharedPicture(SharedPicture which, std::unique_ptr<PsdPicture> picture)
{
    sharedPictures[which] = std::move(picture);
}

void GameControllerCommon::FreeSharedPictures()
{
    for (auto& picture : sharedPictures)
        picture.reset();
}

void LoadCommonLayouts()
{
    static const struct {
        GameControllerCommon::SharedPicture which;
        const char* folder;
    } kLayouts[] = {
        {GameControllerCommon::PICTURE_RAMKA, "data/gui/ramka/"},
        {GameControllerCommon::PICTURE_NOTEBOOK, "data/gui/notebook/"},
        {GameControllerCommon::PICTURE_INGAMEMENU, "data/gui/ingamemenu/"},
        {GameControllerCommon::PICTURE_OPTIONS, "data/gui/options/"},
    };
    GameControllerCommon& controller = GameControllerCommon::Instance();
    for (const auto& layout : kLayouts)
        controller.SetSharedPicture(layout.which, std::make_unique<PsdPicture>(layout.folder, true));
}

PsdPicture* GetTutorialFrameLayout()
{
    GameControllerCommon& controller = GameControllerCommon::Instance();
    PsdPicture* picture = controller.GetSharedPicture(GameControllerCommon::PICTURE_RAMKA_TUTORIAL);
    if (!picture) {
        controller.SetSharedPicture(GameControllerCommon::PICTURE_RAMKA_TUTORIAL,
                                    std::make_unique<PsdPicture>("data/gui/ramka_tutorial/", true));
        picture = controller.GetSharedPicture(GameControllerCommon::PICTURE_RAMKA_TUTORIAL);
    }
    return picture;
}

} // namespace Quib
