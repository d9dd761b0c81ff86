#pragma once
// What the hidden-object tests share: a world of their own (a display for
// the pictures, the game settings and texts of a folder, a current player
// profile), pictures made in memory, and a host that records what the
// board hands to the scenes.
#include "framework/app/QuibAppBase.h"
#include "framework/files/Process.h"
#include "framework/files/Singletone.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/FileNames.h"
#include "src/GameSettings.h"
#include "src/Profiles.h"
#include "src/game/ispy/ElementImageQueue.h"
#include "src/game/quest/SBackFromHOGData.h"
#include "src/game/ispy/ISpyHost.h"
#include "tests/support/AppTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDisplays.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Quib::IspyTesting {

// A folder with res/game.ini, res/lang.ini and whatever the test writes,
// as the working directory, with fresh singletons and a current profile.
class IspyWorld {
public:
    explicit IspyWorld(const std::string& gameIni = std::string(), bool copyGameData = false)
    {
        SingletoneBase::DestroyAll();
        ElementImageQueue::Clear();
        if (copyGameData) {
            namespace fs = std::filesystem;
            for (const char* part : {"res", "data/hog", "data/gui/hog_interface", "data/gui/tutorial_hog", "data/gui/ramka_tutorial"}) {
                const fs::path target = fs::path(dir.Path()) / part;
                fs::create_directories(target);
                fs::copy(fs::path(QUIB_GAME_DATA) / part, target,
                         fs::copy_options::recursive | fs::copy_options::overwrite_existing);
            }
        }
        if (!gameIni.empty())
            dir.WriteFile("res/game.ini", gameIni);
        cwd = std::make_unique<Testing::ScopedWorkingDirectory>(dir.Path());
        ClearDirectoryCache();
        LoadGameSettings();
        Testing::MakeTestDisplay(app, Testing::kDisplayLayouts[0]);
        Profiles& profiles = Profiles::Instance();
        profiles.AddProfile(u"Tester");
        profiles.SelectProfile(u"Tester");
        profiles.SaveCurrent();
        profiles.LoadCurrent();
    }
    ~IspyWorld()
    {
        Process::DeleteAll();
        ElementImageQueue::Clear();
        SingletoneBase::DestroyAll();
        cwd.reset();
        LoadGameSettings("res\\none.ini");
    }

    Testing::HeadlessAppEnvironment env;
    QuibAppBase app;
    Testing::TempDir dir;
    std::unique_ptr<Testing::ScopedWorkingDirectory> cwd;
};

// A w x h picture of one colour; `opaque` lists the pixels with alpha 255,
// every other pixel is transparent (all opaque when the list is empty).
inline MemoryImage* MakePicture(int w, int h, std::vector<std::pair<int, int>> opaque = {}, uint8_t alpha = 255)
{
    auto* image = new MemoryImage();
    image->Resize(w, h);
    uint32_t* px = image->Pixels();
    for (int i = 0; i < w * h; ++i)
        px[i] = opaque.empty() ? (uint32_t(alpha) << 24) | 0x808080u : 0u;
    for (auto [x, y] : opaque)
        px[y * w + x] = (uint32_t(alpha) << 24) | 0x808080u;
    image->NotePixelsEdited();
    return image;
}

// Records what the board asks of the scenes and screens.
class RecordingHost : public ISpyHost {
public:
    RecordingHost() { previous = SetISpyHost(this); }
    ~RecordingHost() override { SetISpyHost(previous); }

    bool GetSceneMusicId(const std::string& scene, std::string& music) override
    {
        if (scene.empty())
            return false;
        music = "cluster_of_" + scene;
        return true;
    }
    void BackFromHOG(const SBackFromHOGData& data) override { handedBack.push_back(data); }
    void ReturnToScene(const std::string& scene) override { returns.push_back(scene); }
    void ShowItemDialog(ISpy&, const std::string& itemRef) override { dialogs.push_back(itemRef); }
    void OpenInGameMenu(ISpy&) override { ++menus; }

    ISpyHost* previous = nullptr;
    std::vector<SBackFromHOGData> handedBack;
    std::vector<std::string> returns;
    std::vector<std::string> dialogs;
    int menus = 0;
};

} // namespace Quib::IspyTesting
