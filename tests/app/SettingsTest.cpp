#include "framework/app/QuibAppBase.h"
#include "framework/files/PathUtils.h"
#include "platform/CommandLine.h"
#include "platform/FileNames.h"
#include "platform/SettingsFile.h"
#include "platform/TextCodecs.h"
#include "platform/headless/CapturingSink.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace Quib {
namespace {

using namespace Testing;

// An application whose settings live in a fresh folder.
struct SettingsFixture : ::testing::Test {
    TempDir dir;
    ScopedEnv config{"XDG_CONFIG_HOME", dir.Path().c_str()};
    CapturingSink sink;
    static constexpr char kKey[] = "Quib Test\\Settings";

    std::string SettingsPath() const { return SettingsFile::PathForKey(kKey); }
    void Store(const std::string& text) const
    {
        MakeDirectories(GetDirectoryPart(SettingsPath()));
        std::ofstream(SettingsPath(), std::ios::binary) << text;
    }
    SettingsContents Stored() const { return SettingsFile(SettingsPath()).Contents(); }
    int32_t StoredDWord(const char* name) const
    {
        int32_t value = -12345;
        SettingsFile(SettingsPath()).ReadDWord(name, value);
        return value;
    }
};

TEST_F(SettingsFixture, LoadReadsEachValueAndMarksTheRunInProgress)
{
    Store("\"MusicVolume\" = dword:50\n\"SfxVolume\" = dword:20\n\"ScreenMode\" = dword:1\n"
          "\"Muted\" = dword:1\n\"PreferredX\" = dword:10\n\"PreferredY\" = dword:-20\n"
          "\"CustomCursors\" = dword:1\n\"WaitForVSync\" = dword:1\n\"InProgress\" = dword:1\n");
    QuibAppBase app;
    app.registryKey = kKey;
    app.LoadRegistrySettings();
    EXPECT_TRUE(app.registryLoaded);
    EXPECT_DOUBLE_EQ(app.musicVolume, 0.5);
    EXPECT_DOUBLE_EQ(app.sfxVolume, 0.2);
    EXPECT_FALSE(app.windowedWanted);
    EXPECT_EQ(app.muteCount, 1);
    EXPECT_EQ(app.preferredX, 10);
    EXPECT_EQ(app.preferredY, -20);
    EXPECT_TRUE(app.customCursors);
    EXPECT_TRUE(app.waitForVSync);
    EXPECT_FALSE(app.lastRunEndedCleanly);
    EXPECT_EQ(StoredDWord("InProgress"), 1);
}

TEST_F(SettingsFixture, MissingOrForeignValuesKeepTheStartValues)
{
    Store("\"MusicVolume\" = string:\"50\"\n\"ScreenMode\" = binary:01000000\n");
    QuibAppBase app;
    app.registryKey = kKey;
    app.LoadRegistrySettings();
    EXPECT_DOUBLE_EQ(app.musicVolume, 0.85);
    EXPECT_TRUE(app.windowedWanted);
    EXPECT_EQ(app.preferredX, -1);
    EXPECT_TRUE(app.lastRunEndedCleanly);
}

TEST_F(SettingsFixture, HandEditedValuesAreBroughtIntoRange)
{
    Store("\"MusicVolume\" = dword:500\n\"SfxVolume\" = dword:-7\n\"PreferredX\" = dword:99999\n"
          "\"Muted\" = dword:9\n");
    QuibAppBase app;
    app.registryKey = kKey;
    app.LoadRegistrySettings();
    EXPECT_DOUBLE_EQ(app.musicVolume, 1.0);
    EXPECT_DOUBLE_EQ(app.sfxVolume, 0.0);
    EXPECT_EQ(app.preferredX, 32767);
    EXPECT_EQ(app.muteCount, 1);
}

TEST_F(SettingsFixture, SaveWritesEveryValueOnce)
{
    QuibAppBase app;
    app.registryKey = kKey;
    app.musicVolume = 0.857;
    app.sfxVolume = 0.29; // 28.999... in hundredths
    app.windowedWanted = false;
    app.muteCount = 2;
    app.autoMuteCount = 1;
    app.preferredX = 40;
    app.preferredY = 50;
    app.customCursors = true;
    app.waitForVSync = true;
    app.SaveRegistrySettings();
    EXPECT_EQ(StoredDWord("MusicVolume"), 85);
    EXPECT_EQ(StoredDWord("SfxVolume"), 29);
    EXPECT_EQ(StoredDWord("Muted"), 1);
    EXPECT_EQ(StoredDWord("ScreenMode"), 1);
    EXPECT_EQ(StoredDWord("PreferredX"), 40);
    EXPECT_EQ(StoredDWord("PreferredY"), 50);
    EXPECT_EQ(StoredDWord("CustomCursors"), 1);
    EXPECT_EQ(StoredDWord("InProgress"), 0);
    EXPECT_EQ(StoredDWord("WaitForVSync"), 1);

    // A volume read back and saved again stays where it was.
    QuibAppBase again;
    again.registryKey = kKey;
    again.LoadRegistrySettings();
    again.SaveRegistrySettings();
    EXPECT_EQ(StoredDWord("SfxVolume"), 29);
    EXPECT_EQ(StoredDWord("MusicVolume"), 85);
}

TEST_F(SettingsFixture, NoKeyNoSettings)
{
    QuibAppBase app;
    app.LoadRegistrySettings();
    app.SaveRegistrySettings();
    uint8_t buffer[4];
    uint32_t type = 0;
    uint32_t size = 4;
    EXPECT_FALSE(app.RegistryRead("MusicVolume", type, buffer, size));
    EXPECT_FALSE(app.RegistryWriteBool("Is3D", true));
    EXPECT_EQ(app.Settings(), nullptr);
    EXPECT_FALSE(FileExists(dir.Path() + "/Quib Test"));

    // The string table may give the key.
    app.stringTable["RegistryKey"] = Windows1252ToUtf16(kKey);
    app.LoadRegistrySettings();
    EXPECT_EQ(app.registryKey, kKey);
    EXPECT_EQ(StoredDWord("InProgress"), 1);
}

TEST_F(SettingsFixture, ScreenSaversLeaveNoInProgressMark)
{
    QuibAppBase app;
    app.registryKey = kKey;
    app.screenSaverMode = true;
    app.LoadRegistrySettings();
    EXPECT_FALSE(FileExists(SettingsPath()));
}

TEST_F(SettingsFixture, SubKeysAndBufferSizes)
{
    QuibAppBase app;
    app.registryKey = kKey;
    const std::string text = "D3D error";
    ASSERT_TRUE(app.RegistryWrite("Test3D\\RuntimeError", REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                                  uint32_t(text.size() + 1)));
    const SettingsContents stored = Stored();
    const SettingsValue* value = stored.Find("Test3D", "RuntimeError");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->type, uint32_t(REG_SZ));

    uint8_t small[4] = {7, 7, 7, 7};
    uint32_t type = 0;
    uint32_t size = sizeof small;
    EXPECT_FALSE(app.RegistryRead("Test3D\\RuntimeError", type, small, size));
    EXPECT_EQ(size, text.size() + 1); // the length needed
    EXPECT_EQ(small[0], 7);           // nothing copied
    uint8_t big[32] = {};
    size = sizeof big;
    ASSERT_TRUE(app.RegistryRead("Test3D\\RuntimeError", type, big, size));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(big)), text);

    EXPECT_TRUE(app.RegistryDeleteValue(u"Test3D\\RuntimeError"));
    EXPECT_EQ(Stored().Find("Test3D", "RuntimeError"), nullptr);
}

TEST_F(SettingsFixture, DamagedFileGivesDefaultsAndIsRewrittenWhole)
{
    Store("\"MusicVolume\" = dword:10\nthis is not a settings line\n");
    QuibAppBase app;
    app.registryKey = kKey;
    app.LoadRegistrySettings();
    EXPECT_DOUBLE_EQ(app.musicVolume, 0.85);
    app.musicVolume = 0.4;
    app.SaveRegistrySettings();
    SettingsFile reread(SettingsPath());
    EXPECT_FALSE(reread.WasDamaged());
    int32_t music = 0;
    EXPECT_TRUE(reread.ReadDWord("MusicVolume", music));
    EXPECT_EQ(music, 40);
}

TEST_F(SettingsFixture, ReadsAndWritesReplayFromTheDemo)
{
    Store("\"MusicVolume\" = dword:30\n\"PreferredX\" = dword:12\n");
    DemoEventStream recorded;
    {
        QuibAppBase app;
        app.registryKey = kKey;
        app.recording = true;
        app.LoadRegistrySettings(); // reads, then "InProgress" = 1
        recorded = app.demo;
    }
    // The settings change afterwards; the replay sees what was recorded.
    Store("\"MusicVolume\" = dword:90\n\"SfxVolume\" = dword:5\n");
    QuibAppBase player;
    player.registryKey = kKey;
    player.playing = true;
    player.demo.buffer = recorded.buffer;
    player.LoadRegistrySettings();
    EXPECT_DOUBLE_EQ(player.musicVolume, 0.3);
    EXPECT_DOUBLE_EQ(player.sfxVolume, 0.85); // recorded as not found
    EXPECT_EQ(player.preferredX, 12);
    EXPECT_TRUE(player.demo.buffer.AtEnd());
    EXPECT_TRUE(player.demo.needHeader);
    EXPECT_EQ(StoredDWord("InProgress"), -12345); // nothing written during playback
    EXPECT_EQ(StoredDWord("MusicVolume"), 90);
    EXPECT_FALSE(player.RegistryDeleteValue(u"MusicVolume"));
}

TEST_F(SettingsFixture, ReplayedReadsFitTheCallersBuffer)
{
    DemoEventStream recorded;
    {
        QuibAppBase app;
        app.registryKey = kKey;
        app.recording = true;
        const uint8_t eight[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        app.RegistryWrite("Blob", REG_BINARY, eight, 8);
        uint8_t buffer[8];
        uint32_t type = 0;
        uint32_t size = 8;
        ASSERT_TRUE(app.RegistryRead("Blob", type, buffer, size));
        recorded = app.demo;
    }
    QuibAppBase player;
    player.registryKey = kKey;
    player.playing = true;
    player.demo.buffer = recorded.buffer;
    EXPECT_TRUE(player.RegistryWrite("Blob", REG_BINARY, nullptr, 0)); // the recorded success
    uint8_t small[4] = {9, 9, 9, 9};
    uint32_t type = 0;
    uint32_t size = 4;
    EXPECT_FALSE(player.RegistryRead("Blob", type, small, size));
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(small[3], 9);
    // Out of step from here on: a read with no recorded read fails.
    size = 4;
    EXPECT_FALSE(player.RegistryRead("Blob", type, small, size));
}

// Records the parameters the command line hands over.
struct ParamApp : QuibAppBase {
    void HandleCmdLineParam(const std::string& name, const std::string& value) override
    {
        params.push_back({name, value});
    }
    std::vector<CommandLineParam> params;
};

TEST(CommandLine, SplitKeepsQuotedBlanksAndDropsEquals)
{
    struct Case {
        std::string text;
        std::vector<CommandLineParam> params;
    } cases[] = {
        {"-demofile=\"C:\\my demos\\a.dmo\" -play", {{"-demofile", "C:\\my demos\\a.dmo"}, {"-play", ""}}},
        {"  -record   -screensaver ", {{"-record", ""}, {"-screensaver", ""}}},
        {"-recnum=3", {{"-recnum", "3"}}},
        {"\"-a b\"c", {{"-a b", ""}, {"c", ""}}},
        {"=x -y", {{"-y", ""}}}, // a value without a name is dropped
        {"", {}},
    };
    for (const Case& c : cases) {
        ParamApp app;
        app.SplitCommandLine(c.text);
        EXPECT_EQ(app.params, c.params) << c.text;
    }
}

TEST(CommandLine, ArgumentsReachTheHandlerInOrder)
{
    ParamApp app;
    SetProcessArguments(3, std::vector<const char*>{"prog", "-demofile=/a b/c.dmo", "-split"}.data());
    app.ReadCommandLine();
    ClearProcessArguments();
    EXPECT_TRUE(app.commandLineRead);
    EXPECT_EQ(app.params, (std::vector<CommandLineParam>{{"-demofile", "/a b/c.dmo"}, {"-split", ""}}));
}

TEST(CommandLine, OptionsSetTheirModes)
{
    CapturingSink sink;
    int exitCode = -1;
    SetFatalExitHandler([&](int code) { exitCode = code; });
    QuibAppBase app;
    app.HandleCmdLineParam("-record", "");
    EXPECT_TRUE(app.recording);
    app.HandleCmdLineParam("-play", "");
    EXPECT_TRUE(app.playing);
    EXPECT_FALSE(app.recording);
    app.HandleCmdLineParam("-screensaver", "");
    EXPECT_TRUE(app.screenSaverMode);
    app.screenSaverMode = false;
    app.HandleCmdLineParam("-changedir", "/tmp/x");
    EXPECT_EQ(app.programFolder, "/tmp/x");

    SetFolderWithSlash(u"/data/Product/");
    app.HandleCmdLineParam("-demofile", "my.dmo");
    EXPECT_EQ(app.demoFileName, "/data/Product/my.dmo");
    app.HandleCmdLineParam("-demofile", "/abs/my.dmo");
    EXPECT_EQ(app.demoFileName, "/abs/my.dmo");
    SetFolderWithSlash(u"");
    EXPECT_TRUE(sink.boxes.empty());

    app.HandleCmdLineParam("-bogus", "1");
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, "Invalid command line parameter: -bogus");
    EXPECT_EQ(sink.boxes[0].caption, "FATAL ERROR");
    EXPECT_EQ(exitCode, 0);
    SetFatalExitHandler(nullptr);
}

TEST(CommandLine, CrashEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            QuibAppBase app;
            app.HandleCmdLineParam("-crash", "");
        },
        "");
}

TEST(CommandLine, NumberedDemosRotate)
{
    TempDir dir;
    for (const char* name : {"quibapp1.dmo", "QUIBAPP2.DMO", "quibapp3.dmo", "quibapp.dmo", "quibappx.dmo"})
        dir.WriteFile(name, "x");
    SetFolderWithSlash(Windows1252ToUtf16(dir.Path() + "/"));
    QuibAppBase app;
    app.HandleCmdLineParam("-recnum", "3");
    EXPECT_TRUE(app.recording);
    EXPECT_EQ(app.demoFileName, dir.Path() + "/quibapp4.dmo");
    EXPECT_FALSE(FileExists(dir / "quibapp1.dmo"));
    EXPECT_TRUE(FileExists(dir / "quibapp3.dmo"));

    app.HandleCmdLineParam("-playnum", "1");
    EXPECT_TRUE(app.playing);
    EXPECT_EQ(app.demoFileName, dir.Path() + "/quibapp3.dmo"); // the newest there is
    app.HandleCmdLineParam("-playnum", "2");
    EXPECT_EQ(app.demoFileName, dir.Path() + "/quibapp2.dmo");
    app.HandleCmdLineParam("-playnum", "-4"); // below 1 counts as 1
    EXPECT_EQ(app.demoFileName, dir.Path() + "/quibapp3.dmo");
    app.HandleCmdLineParam("-recnum", "0"); // keeps 5: nothing deleted
    EXPECT_EQ(app.demoFileName, dir.Path() + "/quibapp4.dmo");
    EXPECT_TRUE(FileExists(dir / "quibapp2.dmo"));
    SetFolderWithSlash(u"");

    EXPECT_EQ(QuibAppBase::RotateDemoFiles(dir.Path() + "/none", 1, true), 0);
}

} // namespace
} // namespace Quib
