#include "src/game/Musics.h"

#include "framework/files/Random.h"
#include "framework/sound/BassMusicInterface.h"
#include "framework/sound/SoundOutput.h"
#include "platform/headless/FakeClock.h"
#include "platform/headless/HeadlessAudio.h"
#include "tests/game/ParticleTestSupport.h"
#include "tests/support/AudioTestSupport.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

namespace Quib::Testing {
namespace {

Playlist MakePlaylist(bool random, bool playFirstOnce, bool played, std::vector<int32_t> tracks)
{
    Playlist p;
    p.random = random;
    p.playFirstOnce = playFirstOnce;
    p.played = played;
    p.tracks = std::move(tracks);
    return p;
}

// Every position NextIndex gives over many draws.
std::set<int> Reachable(const Playlist& playlist, int position, bool next)
{
    std::set<int> seen;
    for (int i = 0; i < 400; ++i)
        seen.insert(Musics::NextIndex(playlist, position, next));
    return seen;
}

TEST(MusicsNextIndexTest, PositionsOfTheEdgeCases)
{
    MersenneSeed(99);
    struct Case {
        Playlist playlist;
        int position;
        bool next;
        std::set<int> want;
    };
    const Case cases[] = {
        // rand, play_first_once, 0, 1, 2, 3: opens with 0, then 2 or 3, then
        // any of 1 to 3 but the one that ended.
        {MakePlaylist(true, true, false, {0, 1, 2, 3}), 0, false, {0}},
        {MakePlaylist(true, true, true, {0, 1, 2, 3}), 0, true, {2, 3}},
        {MakePlaylist(true, true, true, {0, 1, 2, 3}), 2, true, {1, 3}},
        {MakePlaylist(true, true, true, {0, 1, 2, 3}), 3, true, {1, 2}},
        {MakePlaylist(true, true, true, {0, 1, 2, 3}), 0, false, {1, 2, 3}},
        // Plain random: anything but the track that ended.
        {MakePlaylist(true, false, true, {0, 1, 2}), 1, true, {0, 2}},
        {MakePlaylist(true, false, false, {0, 1, 2}), 0, false, {0, 1, 2}},
        // One or two tracks: always the first (the second is never reached).
        {MakePlaylist(true, true, true, {4, 6}), 0, true, {0}},
        {MakePlaylist(false, false, true, {5, 7}), 0, true, {0}},
        {MakePlaylist(false, false, true, {5}), 0, true, {0}},
        // Sequential: round and round.
        {MakePlaylist(false, false, true, {1, 2, 3}), 0, true, {1}},
        {MakePlaylist(false, false, true, {1, 2, 3}), 2, true, {0}},
        {MakePlaylist(false, false, true, {1, 2, 3}), 2, false, {0}},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Reachable(cases[i].playlist, cases[i].position, cases[i].next), cases[i].want) << "case " << i;
}

// Tracks of made-up tone files on the headless device; one update frame
// is 10 ms of the fake clock and of audio.
class MusicsTest : public ::testing::Test {
protected:
    MusicsTest() : device(std::make_shared<HeadlessAudioDevice>()), cwd(dir.Path())
    {
        SoundOutput::SetDevice(device);
        SoundOutput::SetDecoderOpener([](std::optional<AudioFileKind>, AudioBytes bytes) {
            long long frames = 0;
            const std::string text(bytes->begin(), bytes->end());
            if (std::sscanf(text.c_str(), "tone %lld", &frames) != 1)
                return std::unique_ptr<AudioDecoder>();
            return std::unique_ptr<AudioDecoder>(std::make_unique<ToneDecoder>(44100, 2, frames));
        });
    }
    ~MusicsTest() override
    {
        musics.reset();
        music.reset();
        SoundOutput::SetDecoderOpener({});
        SoundOutput::SetDevice(nullptr);
    }

    // Tracks t0.ogg, t1.ogg ... of the given lengths in frames, and the
    // [Music] lines after the track list.
    void Load(const std::vector<long long>& lengths, const std::string& playlists)
    {
        std::string list;
        for (size_t i = 0; i < lengths.size(); ++i) {
            const std::string file = "t" + std::to_string(i) + ".ogg";
            if (lengths[i] >= 0)
                dir.WriteFile("data/music/" + file, "tone " + std::to_string(lengths[i]));
            list += (i ? "," : "") + file;
        }
        dir.WriteFile("res/sounds.ini", "[sounds]\r\n[Music]\r\nMusicList=" + list + "\r\n" + playlists);
        music = std::make_unique<BassMusicInterface>();
        musics = std::make_unique<Musics>(*music);
    }

    void Frame()
    {
        musics->Update();
        music->Update();
        clock.Advance(10);
        device->Render(441);
    }
    double Volume(int id) { return music->FindSong(id)->volume; }

    TempDir dir;
    ScopedPak pak;
    std::shared_ptr<HeadlessAudioDevice> device;
    ScopedWorkingDirectory cwd;
    ScopedFakeClock clock;
    LogCapture log;
    std::unique_ptr<BassMusicInterface> music;
    std::unique_ptr<Musics> musics;
};

TEST_F(MusicsTest, PlaylistsAreReadFromTheMusicSection)
{
    Load({100, 100, 100, 100}, "Menu=2\r\n"
                               "Intro=rand,play_first_once,0,1,2,3\r\n"
                               "Lead=play_first_once,1\r\n"
                               "Odd=rand,play_first_once\r\n"
                               "Range=0,9,-1,3,x\r\n"
                               "Empty=\r\n");
    const auto& lists = musics->Playlists();
    EXPECT_EQ(lists.size(), 5u); // no playlist for the empty value
    const struct {
        const char* name;
        bool random, first;
        std::vector<int32_t> tracks;
    } want[] = {
        {"menu", false, false, {2}},        {"intro", true, true, {0, 1, 2, 3}}, {"lead", false, true, {1}},
        {"odd", true, false, {0}},          // two tokens: the second is a track number (0)
        {"range", false, false, {0, 3, 0}}, // out of range dropped, text reads as 0
    };
    for (const auto& w : want) {
        ASSERT_TRUE(lists.count(w.name)) << w.name;
        const Playlist& p = lists.at(w.name);
        EXPECT_EQ(p.random, w.random) << w.name;
        EXPECT_EQ(p.playFirstOnce, w.first) << w.name;
        EXPECT_FALSE(p.played) << w.name;
        EXPECT_EQ(p.tracks, w.tracks) << w.name;
    }
}

TEST_F(MusicsTest, ASequentialPlaylistFadesInAndFollowsEachEndedTrack)
{
    // Tracks of 0.5 s: 50 update frames each.
    Load({22050, 22050, 22050, 22050}, "Scenes=1,2,3\r\n");
    musics->SelectPlaylist("Scenes");
    EXPECT_EQ(musics->CurrentTrack(), 1);
    EXPECT_TRUE(music->IsPlaying(1));
    EXPECT_EQ(Volume(1), 0.0);
    Frame();
    EXPECT_NEAR(Volume(1), 0.002, 1e-12);

    std::vector<int> order{1};
    for (int frame = 0; frame < 400 && order.size() < 6; ++frame) {
        Frame();
        if (musics->CurrentTrack() != order.back())
            order.push_back(musics->CurrentTrack());
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 1, 2, 3}));
    EXPECT_TRUE(music->IsPlaying(musics->CurrentTrack()));
    EXPECT_FALSE(music->IsPlaying(0));
}

TEST_F(MusicsTest, ChangingPlaylistCrossFadesOldOutAndNewIn)
{
    Load({441000, 441000}, "Menu=0\r\nGame=1\r\n");
    musics->SelectPlaylist("menu");
    for (int i = 0; i < 300; ++i)
        Frame();
    EXPECT_NEAR(Volume(0), 0.6, 1e-9);
    musics->SelectPlaylist("game");
    EXPECT_EQ(musics->CurrentTrack(), 1);
    Frame();
    EXPECT_NEAR(Volume(0), 0.596, 1e-9);
    EXPECT_NEAR(Volume(1), 0.002, 1e-9);
    // 150 steps of 0.004 from 0.6 (one more when rounding leaves a trace),
    // then the old track stops.
    int steps = 1;
    while (music->IsPlaying(0) && steps < 200) {
        Frame();
        ++steps;
    }
    EXPECT_NEAR(steps, 150, 1);
    EXPECT_TRUE(music->IsPlaying(1));
    EXPECT_NEAR(Volume(1), 0.002 * steps, 1e-9);
}

TEST_F(MusicsTest, SelectionRulesOfNames)
{
    Load({441000, 441000, 441000}, "Menu=0,2,1\r\nGame=1\r\n");
    musics->SelectPlaylist("Menu");
    for (int i = 0; i < 50; ++i)
        Frame();
    const double menuVolume = Volume(0);

    // The reserved name and the current name change nothing.
    musics->SelectPlaylist("do_not_change_music");
    musics->SelectPlaylist("MENU");
    Frame();
    EXPECT_EQ(musics->CurrentName(), "menu");
    EXPECT_NEAR(Volume(0), menuVolume + 0.002, 1e-9);

    // Back to "menu" after "game": the playlist opens again at its first track.
    musics->SelectPlaylist("Game");
    EXPECT_EQ(musics->CurrentTrack(), 1);
    Frame();
    musics->SelectPlaylist("Menu");
    EXPECT_EQ(musics->CurrentTrack(), 0);
    EXPECT_EQ(musics->Position(), 0);

    // A name without a playlist: the music fades out and nothing follows.
    musics->SelectPlaylist("nowhere");
    EXPECT_EQ(musics->CurrentTrack(), -1);
    for (int i = 0; i < 400; ++i)
        Frame();
    for (int id = 0; id < 3; ++id)
        EXPECT_FALSE(music->IsPlaying(id)) << id;
}

TEST_F(MusicsTest, ATrackThatDidNotLoadIsLoggedAndSkipped)
{
    Load({22050, -1, 22050}, "Scenes=0,1,2\r\n");
    EXPECT_TRUE(log.Contains("Can't load music \"t1.ogg\""));
    musics->SelectPlaylist("scenes");
    std::vector<int> order{0};
    for (int frame = 0; frame < 200 && order.size() < 4; ++frame) {
        Frame();
        if (musics->CurrentTrack() != order.back())
            order.push_back(musics->CurrentTrack());
    }
    // Track 1 is reached and left at the next update.
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 0}));
}

TEST(MusicsDataTest, GeneratedTracksAndPlaylistsLoad)
{
    auto device = std::make_shared<HeadlessAudioDevice>();
    SoundOutput::SetDevice(device);
    {
        ScopedPak pak;
        ScopedWorkingDirectory cwd(QUIB_GAME_DATA);
        LogCapture log;
        BassMusicInterface music;
        Musics musics(music);
        EXPECT_FALSE(log.Contains("Can't load music"));
        for (int id = 0; id < 3; ++id)
            EXPECT_NE(music.FindSong(id), nullptr) << id;
        const auto& lists = musics.Playlists();
        ASSERT_EQ(lists.size(), 3u);
        EXPECT_EQ(lists.at("menu").tracks, (std::vector<int32_t>{2}));
        EXPECT_EQ(lists.at("hog").tracks, (std::vector<int32_t>{1}));
        const Playlist& game = lists.at("game");
        EXPECT_TRUE(game.random);
        EXPECT_EQ(game.tracks, (std::vector<int32_t>{0, 2}));
        // A two-track playlist: its second track is never reached.
        musics.SelectPlaylist("Game");
        EXPECT_EQ(musics.CurrentTrack(), 0);
        EXPECT_EQ(Reachable(game, 0, true), std::set<int>{0});
        musics.SelectPlaylist("Menu");
        EXPECT_EQ(musics.CurrentTrack(), 2);
        bool heard = false;
        for (int frame = 0; frame < 200; ++frame) {
            music.Update();
            const std::vector<int16_t> out = device->Render(441);
            heard = heard || std::any_of(out.begin(), out.end(), [](int16_t s) { return s != 0; });
        }
        EXPECT_TRUE(music.IsPlaying(2));
        EXPECT_TRUE(heard);
        music.UnloadAllMusic();
    }
    SoundOutput::SetDevice(nullptr);
}

} // namespace
} // namespace Quib::Testing
