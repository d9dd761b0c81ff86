#include "framework/app/QuibAppBase.h"
#include "framework/files/PakArchiveWriter.h"
#include "framework/files/PrintfFormat.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/movie/MovieScript.h"
#include "framework/widgets/movie/TextMoviePlayer.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/Random.h"
#include "tests/support/ScopedPak.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

struct Event {
    int32_t frame;
    std::string command;
    std::string argument;
    bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Event& e)
{
    return out << "{" << e.frame << ", " << e.command << ", " << e.argument << "}";
}

// Records what the player reports; a test may act inside a command.
class Recorder : public MovieSite, public MovieEventSink {
public:
    explicit Recorder(TextMoviePlayer& player) : mPlayer(player)
    {
        player.SetSite(this);
        player.SetEventSink(this);
    }
    void InvalidateMovieRect(const MovieRect* rect) override
    {
        rects.push_back(rect ? *rect : MovieRect{-1, -1, -1, -1});
    }
    void OnMovieCommand(const std::string& command, const std::string& argument) override
    {
        events.push_back({mPlayer.CurrentFrame(), command, argument});
        if (onCommand)
            onCommand(command, argument);
    }

    std::vector<MovieRect> rects;
    std::vector<Event> events;
    std::function<void(const std::string&, const std::string&)> onCommand;

private:
    TextMoviePlayer& mPlayer;
};

// Movies and pictures in a folder that is the working directory; images
// are loaded by the application's loader.
class MoviePlayerTest : public ::testing::Test {
protected:
    MoviePlayerTest() : cwd(dir.Path())
    {
        // 2 x 2: red, green / blue, half-transparent white.
        dir.WriteFile("pics/quad.tga", MakeTga(2, 2, 32, 0x28, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF}));
        dir.WriteFile("pics/dot.tga", MakeTga(1, 1, 32, 0x28, {0xFF204060}));
    }

    // Loads the text as res\movies\<name>.dat.
    bool Load(const std::string& text, const std::string& name = "test")
    {
        dir.WriteFile("res/movies/" + name + ".dat", text);
        return player.LoadMovie("res\\movies\\" + name + ".dat");
    }

    // Advances in 10 ms steps, as the widget's update does.
    void Run(int ms)
    {
        for (int t = 0; t < ms; t += 10)
            player.Advance(10);
    }

    QuibAppBase app;
    TempDir dir;
    ScopedWorkingDirectory cwd;
    TextMoviePlayer player;
    Recorder rec{player};
};

std::vector<std::string> Commands(const std::vector<Event>& events)
{
    std::vector<std::string> out;
    for (const Event& e : events)
        out.push_back(e.command);
    return out;
}

// ---- The format -----------------------------------------------------------

// The example of docs/movie-format.md, as printed there.
TEST(MovieScriptParse, TheDocumentedExampleParses)
{
    const std::string doc = TempDir::ReadFile(std::string(QUIB_TEST_DATA) + "/../../docs/movie-format.md");
    const size_t start = doc.find("```\n");
    ASSERT_NE(start, std::string::npos);
    const size_t end = doc.find("```", start + 4);
    ASSERT_NE(end, std::string::npos);
    MovieScript s;
    std::string error;
    ASSERT_TRUE(ParseMovieScript(doc.substr(start + 4, end - start - 4), s, error)) << error;
    EXPECT_EQ(s.framesPerSecond, 25);
    EXPECT_EQ(s.endFrame, 125);
    EXPECT_EQ(s.layers.size(), 3u);
    ASSERT_EQ(s.commands.size(), 4u);
    EXPECT_EQ(s.commands[2].command, "next");
    ASSERT_EQ(s.waits.size(), 1u);
    EXPECT_EQ(s.waits[0].frame, 50);
}

TEST(MovieScriptParse, ValuesAndOrderAreAsWritten)
{
    const std::string text = "# The opening scene\r\n"
                             "movie 1024 576 25\r\n"
                             "image sky   data\\images\\movies\\intro_sky\r\n"
                             "image ship  data\\images\\movies\\intro ship.png\r\n"
                             "layer back  sky\n"
                             "layer boat  ship\n"
                             "key 0   back x 0 y 0\n"
                             "key 0   boat x -300 y 260 alpha 0\n"
                             "\tkey 25  boat alpha 1\n"
                             "key 100 boat x 400 y 240 scale 1.5\n"
                             "cmd 50  next 1\n"
                             "cmd 10  sound bell\n"
                             "cmd 50  say  two words  \n"
                             "wait 50 myPlay 1\n"
                             "cmd 125 end\n"
                             "end 125\n";
    MovieScript s;
    std::string error;
    ASSERT_TRUE(ParseMovieScript(text, s, error)) << error;
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.height, 576);
    EXPECT_EQ(s.framesPerSecond, 25);
    EXPECT_EQ(s.endFrame, 125);
    ASSERT_EQ(s.images.size(), 2u);
    EXPECT_EQ(s.images[1].path, "data\\images\\movies\\intro ship.png");
    EXPECT_EQ(s.images[1].line, 4);
    ASSERT_EQ(s.layers.size(), 2u);
    EXPECT_EQ(s.layers[1].image, 1u);
    // Values not given are the previous key's.
    ASSERT_EQ(s.layers[1].keys.size(), 3u);
    const MovieKey& k = s.layers[1].keys[1];
    EXPECT_EQ(k.frame, 25);
    EXPECT_EQ(k.x, -300);
    EXPECT_EQ(k.y, 260);
    EXPECT_EQ(k.alpha, 1);
    EXPECT_EQ(k.scale, 1);
    EXPECT_EQ(s.layers[1].keys[2].scale, 1.5);
    // Commands in frame order, file order within a frame.
    ASSERT_EQ(s.commands.size(), 4u);
    EXPECT_EQ(s.commands[0].command, "sound");
    EXPECT_EQ(s.commands[1].command, "next");
    EXPECT_EQ(s.commands[1].argument, "1");
    EXPECT_EQ(s.commands[2].argument, "two words");
    EXPECT_EQ(s.commands[3].argument, "");
    ASSERT_EQ(s.waits.size(), 1u);
    EXPECT_EQ(s.waits[0].variable, "myPlay");
    EXPECT_EQ(s.waits[0].value, "1");
}

TEST(MovieScriptParse, FaultsAreReportedWithTheirLine)
{
    const std::string head = "movie 100 80 10\nimage a pics\\a\nlayer l a\nkey 0 l\n";
    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"", "line 1: the file has no 'movie' statement"},
        {"# only a comment\n\n", "line 2: the file has no 'movie' statement"},
        {"image a b\nmovie 1 1 1\n",
         "line 1: the file must begin with 'movie <width> <height> <frames per second>'"},
        {"movie 100 80\n", "line 1: 'movie' takes a width, a height and frames per second"},
        {"movie 0 80 10\n", "line 1: the width must be a whole number from 1 to 4096, not '0'"},
        {"movie 100 4097 10\n", "line 1: the height must be a whole number from 1 to 4096, not '4097'"},
        {"movie 100 80 121\n", "line 1: frames per second must be a whole number from 1 to 120, not '121'"},
        {"movie 100 80 +5\n", "line 1: frames per second must be a whole number from 1 to 120, not '+5'"},
        {"movie 100 80 99999999999\n",
         "line 1: frames per second must be a whole number from 1 to 120, not '99999999999'"},
        {"movie 1 1 1\nmovie 1 1 1\n", "line 2: a second 'movie' statement"},
        {head + "end 5\nfly 3\n", "line 6: unknown statement 'fly'"},
        {head + "END 5\n", "line 5: unknown statement 'END'"},
        {head + "image a pics\\b\nend 5\n", "line 5: image 'a' is declared twice"},
        {head + "image b\nend 5\n", "line 5: 'image' takes a name and a path"},
        {head + "image b/c x\nend 5\n",
         "line 5: image name 'b/c' must be 1 to 64 letters, digits, '_', '.' or '-'"},
        {head + "layer m nothing\nend 5\n", "line 5: no image named 'nothing'"},
        {head + "layer l a\nend 5\n", "line 5: layer 'l' is declared twice"},
        {head + "key 1 m x 1\nend 5\n", "line 5: no layer named 'm'"},
        {head + "key 0 l x 1\nend 5\n", "line 5: key at frame 0 of layer 'l' is not after its key at frame 0"},
        {head + "key 1 l x\nend 5\n", "line 5: 'key' takes a frame, a layer name and pairs of property and value"},
        {head + "key 1 l z 1\nend 5\n", "line 5: unknown property 'z' (x, y, alpha or scale)"},
        {head + "key 1 l x 1 x 2\nend 5\n", "line 5: property 'x' given twice"},
        {head + "key 1 l alpha 1.5\nend 5\n", "line 5: alpha must be a number from 0 to 1, not '1.5'"},
        {head + "key 1 l scale -1\nend 5\n", "line 5: scale must be a number from 0 to 100, not '-1'"},
        {head + "key 1 l x 1e3\nend 5\n", "line 5: x must be a number from -100000 to 100000, not '1e3'"},
        {head + "key 1 l y nan\nend 5\n", "line 5: y must be a number from -100000 to 100000, not 'nan'"},
        {head + "key 1 l y 3.\nend 5\n", "line 5: y must be a number from -100000 to 100000, not '3.'"},
        {head + "key 1 l x 100001\nend 5\n", "line 5: x must be a number from -100000 to 100000, not '100001'"},
        {head + "cmd 2\nend 5\n", "line 5: 'cmd' takes a frame, a command and an optional argument"},
        {head + "cmd -1 go\nend 5\n", "line 5: the frame must be a whole number from 0 to 100000, not '-1'"},
        {head + "cmd 1 go " + std::string(257, 'a') + "\nend 5\n",
         "line 5: the argument is longer than 256 characters"},
        {head + "wait 2 myPlay\nend 5\n", "line 5: 'wait' takes a frame, a variable name and a value"},
        {head + "wait 2 myPlay 1\nwait 2 other 1\nend 5\n",
         "line 6: a second wait at frame 2 (the first is on line 5)"},
        {head + "end 5\nend 6\n", "line 6: a second 'end' statement (the first is on line 5)"},
        {head + "end\n", "line 5: 'end' takes the number of the last frame"},
        {head, "line 4: the movie has no 'end' statement"},
        {head + "cmd 9 go\nend 5\n", "line 5: frame 9 is after the end frame 5"},
        {head + "key 7 l\nend 5\n", "line 5: frame 7 is after the end frame 5"},
        {head + "wait 5 v 1\nend 5\n", "line 5: a wait on the end frame"},
        {head + "layer m a\nend 5\n", "line 5: layer 'm' has no keys"},
        {head + "cmd 1 go\tnow\x01\nend 5\n", "line 5: control character 0x01 in the text"},
        {head + "cmd 1 go\rnow\nend 5\n", "line 5: control character 0x0D in the text"},
        {head + "cmd 1 " + std::string(1100, 'x') + "\nend 5\n", "line 5: the line is longer than 1024 characters"},
        {std::string(MovieLimits::kMaxFileBytes + 1, '#'), "line 1: the file is larger than 1048576 bytes"},
    };
    for (const Case& c : cases) {
        MovieScript s;
        s.width = 7;
        std::string error;
        EXPECT_FALSE(ParseMovieScript(c.text, s, error)) << c.text.substr(0, 200);
        EXPECT_EQ(error, c.error) << c.text.substr(0, 200);
        EXPECT_EQ(s.width, 0) << "a failed parse leaves an empty movie";
    }
}

TEST(MovieScriptParse, CountsAreBounded)
{
    std::string text = "movie 10 10 10\n";
    for (size_t i = 0; i <= MovieLimits::kMaxImages; ++i)
        text += "image i" + std::to_string(i) + " x\n";
    text += "end 1\n";
    MovieScript s;
    std::string error;
    EXPECT_FALSE(ParseMovieScript(text, s, error));
    EXPECT_EQ(error, "line 258: more than 256 images");
}

// ---- The timeline ---------------------------------------------------------

TEST_F(MoviePlayerTest, FramesFollowAtTheFrameRate)
{
    ASSERT_TRUE(Load("movie 10 10 25\nimage d pics/dot\nlayer l d\nkey 0 l\n"
                     "cmd 0 start\ncmd 1 one\ncmd 3 three a b\ncmd 3 again\ncmd 10 ten\nend 10\n"));
    EXPECT_EQ(player.CurrentFrame(), -1);
    EXPECT_FALSE(player.IsPlaying());
    ASSERT_TRUE(player.Play());
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(player.CurrentFrame(), 0);
    EXPECT_TRUE(rec.events.empty()) << "commands come from Advance only";

    // Time of the Advance call that shows each frame: frame n at n * 40 ms.
    std::vector<std::pair<int, int32_t>> frameTimes;
    for (int t = 10; t <= 500; t += 10) {
        const int32_t before = player.CurrentFrame();
        player.Advance(10);
        if (player.CurrentFrame() != before)
            frameTimes.emplace_back(t, player.CurrentFrame());
    }
    std::vector<std::pair<int, int32_t>> expected;
    for (int32_t f = 1; f <= 10; ++f)
        expected.emplace_back(f * 40, f);
    EXPECT_EQ(frameTimes, expected);
    EXPECT_EQ(rec.events,
              (std::vector<Event>{
                  {0, "start", ""}, {1, "one", ""}, {3, "three", "a b"}, {3, "again", ""}, {10, "ten", ""}}));
    // The end: the last frame stays, playing stops, Play does not restart it.
    EXPECT_FALSE(player.IsPlaying());
    Run(200);
    EXPECT_EQ(player.CurrentFrame(), 10);
    EXPECT_TRUE(player.Play());
    EXPECT_FALSE(player.IsPlaying());
    Run(200);
    EXPECT_EQ(rec.events.size(), 5u);
}

TEST_F(MoviePlayerTest, StopHoldsTheFrameAndPlayGoesOn)
{
    ASSERT_TRUE(Load("movie 10 10 10\nimage d pics/dot\nlayer l d\nkey 0 l\nend 50\n"));
    player.Play();
    Run(250);
    EXPECT_EQ(player.CurrentFrame(), 2);
    player.Stop();
    EXPECT_FALSE(player.IsPlaying());
    Run(1000);
    EXPECT_EQ(player.CurrentFrame(), 2);
    player.Play();
    EXPECT_EQ(player.CurrentFrame(), 2);
    Run(50); // the 50 ms of frame 2 before the stop still count
    EXPECT_EQ(player.CurrentFrame(), 3);
    // A long gap counts at most a second.
    player.Advance(60000);
    EXPECT_EQ(player.CurrentFrame(), 13);
}

TEST_F(MoviePlayerTest, AWaitHoldsTheFrameUntilTheVariableIsSet)
{
    ASSERT_TRUE(Load("movie 10 10 10\nimage d pics/dot\nlayer l d\nkey 0 l\n"
                     "cmd 2 next 1\nwait 2 myPlay 1\ncmd 3 after\ncmd 4 next 2\nwait 4 myPlay 1\nend 9\n"));
    player.Play();
    // Set before the frame is reached: the wait empties it and still waits.
    player.SetVariable("myPlay", "1");
    Run(200);
    EXPECT_EQ(player.CurrentFrame(), 2);
    EXPECT_TRUE(player.IsWaiting());
    EXPECT_TRUE(player.IsPlaying());
    EXPECT_EQ(player.GetVariable("myPlay"), "");
    EXPECT_EQ(rec.events, (std::vector<Event>{{2, "next", "1"}}));
    Run(5000);
    EXPECT_EQ(player.CurrentFrame(), 2);
    player.SetVariable("myPlay", "0");
    player.SetVariable("myplay", "1"); // names keep their case
    Run(1000);
    EXPECT_EQ(player.CurrentFrame(), 2);

    player.SetVariable("myPlay", "1");
    EXPECT_FALSE(player.IsWaiting());
    Run(90);
    EXPECT_EQ(player.CurrentFrame(), 2);
    Run(10); // one frame time after the release
    EXPECT_EQ(player.CurrentFrame(), 3);

    // Released from inside the command that the wait goes with.
    rec.onCommand = [&](const std::string& command, const std::string&) {
        if (command == "next")
            player.SetVariable("myPlay", "1");
    };
    Run(100);
    EXPECT_EQ(player.CurrentFrame(), 4);
    EXPECT_FALSE(player.IsWaiting());
    Run(100);
    EXPECT_EQ(player.CurrentFrame(), 5);
    EXPECT_EQ(Commands(rec.events), (std::vector<std::string>{"next", "after", "next"}));
}

TEST_F(MoviePlayerTest, FastSpeedPlaysFourTimesAsFast)
{
    ASSERT_TRUE(Load("movie 10 10 10\nimage d pics/dot\nlayer l d\nkey 0 l\nend 100\n"));
    player.Play();
    player.SetVariable("_root.speed", "fast");
    Run(100);
    EXPECT_EQ(player.CurrentFrame(), 4);
    player.SetVariable("_root.speed", "slow"); // not a speed: unchanged
    Run(100);
    EXPECT_EQ(player.CurrentFrame(), 8);
    player.SetVariable("_root.speed", "normal");
    Run(100);
    EXPECT_EQ(player.CurrentFrame(), 9);
    // A new movie starts at normal speed.
    player.SetVariable("_root.speed", "fast");
    ASSERT_TRUE(Load("movie 10 10 10\nimage d pics/dot\nlayer l d\nkey 0 l\nend 100\n", "other"));
    player.Play();
    Run(100);
    EXPECT_EQ(player.CurrentFrame(), 1);
}

TEST_F(MoviePlayerTest, ALoadFromACommandDropsTheOldMoviesCommands)
{
    dir.WriteFile("res/movies/second.dat", "movie 10 10 10\nimage d pics/dot\nlayer l d\nkey 0 l\n"
                                           "cmd 0 second\nend 5\n");
    ASSERT_TRUE(Load("movie 10 10 10\nimage d pics/dot\nlayer l d\nkey 0 l\ncmd 1 switch\ncmd 1 lost\nend 5\n"));
    rec.onCommand = [&](const std::string& command, const std::string&) {
        if (command == "switch") {
            EXPECT_TRUE(player.LoadMovie("res/movies/second.dat"));
            player.Play();
        }
    };
    player.Play();
    Run(100);
    EXPECT_EQ(Commands(rec.events), (std::vector<std::string>{"switch"}));
    player.Advance(0);
    EXPECT_EQ(Commands(rec.events), (std::vector<std::string>{"switch", "second"}));
}

TEST_F(MoviePlayerTest, AMovieThatCannotBeLoadedLeavesNothing)
{
    ASSERT_TRUE(Load("movie 4 4 10\nimage d pics/dot\nlayer l d\nkey 0 l scale 4\nend 5\n"));
    player.Play();
    rec.rects.clear();
    struct Case {
        const char* name;
        std::string text; // empty: no file
    };
    const Case cases[] = {
        {"missing", ""},
        {"broken", "movie 4 4 10\nlayer l nothing\nend 5\n"},
        {"noimage", "movie 4 4 10\nimage d pics/none\nlayer l d\nkey 0 l\nend 5\n"},
    };
    for (const Case& c : cases) {
        if (!c.text.empty())
            dir.WriteFile(std::string("res/movies/") + c.name + ".dat", c.text);
        EXPECT_FALSE(player.LoadMovie(std::string("res\\movies\\") + c.name + ".dat")) << c.name;
        EXPECT_FALSE(player.Play()) << c.name;
        EXPECT_FALSE(player.IsPlaying()) << c.name;
        MemoryImage target(nullptr);
        target.Resize(4, 4);
        std::fill(target.Pixels(), target.Pixels() + 16, 0xFF123456u);
        player.Draw({target.Pixels(), 4, 4, 4}, {0, 0, 4, 4});
        EXPECT_EQ(std::vector<uint32_t>(target.Pixels(), target.Pixels() + 16),
                  std::vector<uint32_t>(16, 0xFF123456u))
            << c.name;
        player.Advance(100);
    }
    EXPECT_TRUE(rec.events.empty());
    // Each load asked for the whole area to be redrawn (emptied).
    ASSERT_EQ(rec.rects.size(), 3u);
    EXPECT_EQ(rec.rects[0].width, -1);
}

TEST_F(MoviePlayerTest, MoviesAndImagesComeFromPakArchives)
{
    ScopedPak pak;
    ASSERT_TRUE(WritePakArchive(
        dir / "main.pak",
        {{"res\\movies\\packed.dat", "movie 2 1 10\nimage d gfx\\packed\nlayer l d\nkey 0 l x 1\nend 1\n", {}},
         {"gfx\\packed.tga", MakeTga(1, 1, 32, 0x28, {0xFF0A0B0C}), {}}}));
    ASSERT_TRUE(pak->AddPakFile("main.pak"));
    ASSERT_TRUE(player.LoadMovie("RES/Movies/PACKED.dat"));
    player.Play();
    uint32_t pixels[2] = {0xFF000000, 0xFF000000};
    player.Draw({pixels, 2, 1, 2}, {0, 0, 2, 1});
    EXPECT_EQ(pixels[0], 0xFF000000u);
    EXPECT_EQ(pixels[1], 0xFF0A0B0Cu);
}

// ---- Drawing --------------------------------------------------------------

// The picture over an opaque background: channel = (s * a + d * (256 - a))
// >> 8 for red and green, the two halves shifted apart for blue.
uint32_t OverOpaque(uint32_t d, uint32_t s, uint32_t a)
{
    if (a == 0)
        return d;
    if (a == 255)
        return s;
    auto ch = [&](int shift) { return (((s >> shift) & 0xFF) * a + ((d >> shift) & 0xFF) * (256 - a)) >> 8; };
    const uint32_t b = ((s & 0xFF) * a >> 8) + ((d & 0xFF) * (256 - a) >> 8);
    return 0xFF000000 | (ch(16) << 16) | (ch(8) << 8) | b;
}

TEST_F(MoviePlayerTest, KeysInterpolatePositionAlphaAndScale)
{
    // Frame 5 lies halfway: x 10, y 5, scale 2 (4 x 4 pixels), alpha 0.6.
    ASSERT_TRUE(Load("movie 32 24 10\nimage q pics/quad\nlayer l q\n"
                     "key 0 l x 0 y 0 alpha 1 scale 1\nkey 10 l x 20 y 10 alpha 0.2 scale 3\nend 20\n"));
    player.Play();
    Run(400);
    ASSERT_EQ(player.CurrentFrame(), 4);
    rec.rects.clear();
    Run(100);
    ASSERT_EQ(player.CurrentFrame(), 5);
    // Frame 4: x 8, y 4, 3.6 x 3.6 -> 4 x 4 pixels; the changed part is both.
    ASSERT_EQ(rec.rects.size(), 1u);
    EXPECT_EQ(rec.rects[0].x, 8);
    EXPECT_EQ(rec.rects[0].y, 4);
    EXPECT_EQ(rec.rects[0].width, 6);
    EXPECT_EQ(rec.rects[0].height, 5);

    MemoryImage target(nullptr);
    target.Resize(32, 24);
    uint32_t* px = target.Pixels();
    std::fill(px, px + 32 * 24, 0xFF000000u);
    player.Draw({px, 32, 24, 32}, {0, 0, 32, 24});
    const uint32_t quad[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF};
    const uint32_t layerAlpha = 153; // 0.6 * 255
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) {
            uint32_t want = 0xFF000000;
            if (x >= 10 && x < 14 && y >= 5 && y < 9) {
                const uint32_t s = quad[((y - 5) / 2) * 2 + (x - 10) / 2];
                want = OverOpaque(want, s, (s >> 24) * layerAlpha / 255);
            }
            ASSERT_EQ(px[y * 32 + x], want) << x << "," << y;
        }
}

TEST_F(MoviePlayerTest, DrawingKeepsToTheClipAndTheMovie)
{
    // A 6 x 6 dot covering more than the 4 x 4 movie.
    ASSERT_TRUE(Load("movie 4 4 10\nimage d pics/dot\nlayer l d\nkey 0 l x -1 y -1 scale 6\nend 5\n"));
    player.Play();
    MemoryImage target(nullptr);
    target.Resize(6, 6);
    uint32_t* px = target.Pixels();
    std::fill(px, px + 36, 0u);
    player.Draw({px, 6, 6, 6}, {1, 2, 10, 1});
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(px[y * 6 + x], (y == 2 && x >= 1 && x < 4) ? 0xFF204060u : 0u) << x << "," << y;
}

// Differential: random pictures, positions, sizes, opacities and clips
// against a plain per-pixel reference with the over-composite weights.
TEST_F(MoviePlayerTest, LayersCompositeLikeTheReference)
{
    std::mt19937 rng(20240611);
    for (int round = 0; round < 40; ++round) {
        const int iw = RandomInt(rng, 1, 7);
        const int ih = RandomInt(rng, 1, 7);
        const std::vector<uint32_t> picture = RandomPicture(rng, iw, ih);
        const std::string name = "r" + std::to_string(round);
        dir.WriteFile("pics/" + name + ".tga", MakeTga(iw, ih, 32, 0x28, picture));
        const double x = RandomDouble(rng, -10, 20);
        const double y = RandomDouble(rng, -10, 20);
        const double scale = RandomDouble(rng, 0, 4);
        const double alpha = RandomDouble(rng, 0, 1);
        const std::string text = StrFormat("movie 24 20 10\nimage p pics/%s\nlayer l p\n"
                                           "key 0 l x %.3f y %.3f alpha %.3f scale %.3f\nend 1\n",
                                           name.c_str(), x, y, alpha, scale);
        ASSERT_TRUE(Load(text, name)) << text;
        player.Play();

        const int tw = 26, th = 18;
        const std::vector<uint32_t> before = RandomPicture(rng, tw, th);
        std::vector<uint32_t> got = before;
        const Rect clip = RandomRectIn(rng, tw, th);
        player.Draw({got.data(), tw, th, tw}, {clip.x, clip.y, clip.width, clip.height});

        // The values as the file holds them (three decimals).
        auto rd = [](double v) { return std::stod(StrFormat("%.3f", v)); };
        const int64_t px = int64_t(std::floor(rd(x) + 0.5)), py = int64_t(std::floor(rd(y) + 0.5));
        const int64_t pw = int64_t(std::floor(iw * rd(scale) + 0.5)),
                      ph = int64_t(std::floor(ih * rd(scale) + 0.5));
        const uint32_t la = uint32_t(std::floor(rd(alpha) * 255 + 0.5));
        for (int ty = 0; ty < th; ++ty)
            for (int tx = 0; tx < tw; ++tx) {
                uint32_t want = before[ty * tw + tx];
                const bool inside = tx >= clip.x && tx < clip.x + clip.width && ty >= clip.y &&
                                    ty < clip.y + clip.height && tx < 24 && ty < 20 && tx >= px && tx < px + pw &&
                                    ty >= py && ty < py + ph;
                if (inside && la > 0) {
                    const int64_t sx = ((tx - px) * 2 + 1) * iw / (2 * pw);
                    const int64_t sy = ((ty - py) * 2 + 1) * ih / (2 * ph);
                    const uint32_t s = picture[sy * iw + sx];
                    const uint32_t a = (s >> 24) * la / 255;
                    const uint32_t dA = want >> 24;
                    if (a == 255) {
                        want = s;
                    } else if (a > 0) {
                        const uint32_t A = dA + (255 - dA) * a / 255;
                        const uint32_t g = a * 255 / A;
                        const uint32_t r = (((s >> 16) & 0xFF) * g + ((want >> 16) & 0xFF) * (256 - g)) >> 8;
                        const uint32_t gr = (((s >> 8) & 0xFF) * g + ((want >> 8) & 0xFF) * (256 - g)) >> 8;
                        const uint32_t b = ((s & 0xFF) * g >> 8) + ((want & 0xFF) * (256 - g) >> 8);
                        want = (A << 24) | (r << 16) | (gr << 8) | b;
                    }
                }
                ASSERT_EQ(got[ty * tw + tx], want) << text << " at " << tx << "," << ty;
            }
    }
}

} // namespace
} // namespace Quib
