// The sound table, the music and the ambient sets read the same from
// game.dat alone as from the loose data folder.
#include "src/game/AmbientSet.h"
#include "src/game/BuildGameDat.h"
#include "src/game/Musics.h"
#include "src/game/Sounds.h"

#include "framework/files/IniData.h"
#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/DSoundManager.h"
#include "framework/sound/SoundOutput.h"
#include "platform/FileNames.h"
#include "platform/headless/HeadlessAudio.h"
#include "tests/game/ParticleTestSupport.h"
#include "tests/game/ShellTestSupport.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace Quib::Testing {
namespace {

namespace fs = std::filesystem;

struct Heard {
    std::map<std::string, std::string> sounds; // name -> samples of its buffer
    std::map<std::string, std::vector<int32_t>> playlists;
    std::vector<int16_t> menuMusic;   // the first second of the menu playlist
    std::vector<std::string> ambient; // harbour: name, loop, ranges

    bool operator==(const Heard&) const = default;
};

std::string Samples(SoundBuffer& buffer)
{
    size_t locked = 0;
    const uint8_t* p = buffer.Lock(0, buffer.Size(), &locked);
    std::string bytes(reinterpret_cast<const char*>(p), locked);
    buffer.Unlock();
    return bytes;
}

// What the shell makes of the data in the folder, with game.dat loaded
// when asked.
Heard Listen(const std::string& folder, bool withArchive)
{
    Heard heard;
    ScopedWorkingDirectory cwd(folder);
    ScopedPak pak;
    if (withArchive) {
        EXPECT_TRUE(pak->AddPakFile("game.dat"));
    }
    auto device = std::make_shared<HeadlessAudioDevice>();
    SoundOutput::SetDevice(device);
    {
        DSoundManager manager(device.get(), device.get(), false);
        FakeShellHost host;
        host.soundManager = &manager;
        host.settings["Game:AmbientMul"] = "0.8";
        Sounds::Instance().LoadIni();
        IniData ini;
        ini.LoadFile("res\\sounds.ini");
        std::vector<std::string> names;
        ini.GetKeyNames("sounds", names);
        for (const std::string& name : names) {
            const int id = Sounds::Instance().Load(name);
            heard.sounds[name] = id < 0 || !manager.Buffer(unsigned(id)) ? ""
                                                                         : Samples(*manager.Buffer(unsigned(id)));
        }
        Sounds::Instance().UnloadAll();

        BassMusicInterface music;
        Musics musics(music);
        for (const auto& [name, playlist] : musics.Playlists())
            heard.playlists[name] = playlist.tracks;
        musics.SelectPlaylist("menu");
        for (int i = 0; i < 100; ++i) {
            music.Update();
            const std::vector<int16_t> out = device->Render(441);
            heard.menuMusic.insert(heard.menuMusic.end(), out.begin(), out.end());
        }
        music.UnloadAllMusic();

        for (const AmbientSound& sound : LoadAmbientSet("harbour")->sounds) {
            std::string text = sound.soundName + (sound.loop ? " loop" : " once");
            for (const AmbientRangeList* list :
                 {&sound.volume, &sound.delay, &sound.pause, &sound.pan, &sound.fade})
                for (const FloatRange& r : *list)
                    text += " " + std::to_string(r.min) + "/" + std::to_string(r.max);
            heard.ambient.push_back(text);
        }
        DestroyAmbientSetCache();
    }
    SoundOutput::SetDevice(nullptr);
    return heard;
}

TEST(GameDatAloneTest, TheShellHearsTheSameFromTheArchiveAsFromLooseFiles)
{
    LogCapture log;
    TempDir loose, packed;
    fs::copy(QUIB_GAME_DATA, loose.Path(), fs::copy_options::recursive);
    {
        ScopedWorkingDirectory cwd(loose.Path());
        ASSERT_TRUE(BuildGameDat());
    }
    // The archive and everything but the data folder.
    for (const fs::directory_entry& e : fs::directory_iterator(loose.Path()))
        if (e.path().filename() != "data")
            fs::copy(e.path(), fs::path(packed.Path()) / e.path().filename(), fs::copy_options::recursive);
    ClearDirectoryCache();

    const Heard fromFiles = Listen(loose.Path(), false);
    const Heard fromArchive = Listen(packed.Path(), true);
    EXPECT_EQ(fromFiles.sounds.size(), 12u);
    for (const auto& [name, samples] : fromFiles.sounds)
        EXPECT_FALSE(samples.empty()) << name;
    EXPECT_EQ(fromFiles.playlists.size(), 3u);
    EXPECT_TRUE(std::any_of(fromFiles.menuMusic.begin(), fromFiles.menuMusic.end(), [](int16_t s) { return s; }));
    EXPECT_EQ(fromFiles.ambient.size(), 2u);
    EXPECT_TRUE(fromArchive == fromFiles);

    // Without the archive the packed folder has no data at all.
    const Heard nothing = Listen(packed.Path(), false);
    EXPECT_TRUE(nothing.ambient.empty());
    EXPECT_TRUE(nothing.menuMusic.empty() ||
                std::all_of(nothing.menuMusic.begin(), nothing.menuMusic.end(), [](int16_t s) { return !s; }));
}

} // namespace
} // namespace Quib::Testing
