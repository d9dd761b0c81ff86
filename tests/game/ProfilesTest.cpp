// Player profiles: the registry, the check value, settings.ini, and what
// happens to damaged and foreign files in the profiles folder.
#include "framework/files/IniFile.h"
#include "framework/files/PathUtils.h"
#include "framework/files/ProfAnyVal.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "platform/headless/CapturingSink.h"
#include "src/Profiles.h"
#include "src/UserFolders.h"
#include "tests/files/IniTestUtil.h"
#include "tests/game/ParticleTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <tinyxml.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Quib {
namespace {

using namespace Testing;

class ProfilesTest : public ::testing::Test {
protected:
    ProfilesTest() : cwd(dir.Path())
    {
        dir.WriteFile("res/game.ini", "[Game]\r\nStartScene=hold\r\n[Options]\r\nFullScreen=1\r\n");
        MakeDirectories(dir / "user/profiles");
    }

    std::u16string UserFolder() const { return Utf8ToUtf16(dir / "user"); }
    std::u16string ProfFolder() const { return UserFolder() + u"\\profiles\\"; }
    std::unique_ptr<Profiles> Open()
    {
        ClearDirectoryCache();
        return std::make_unique<Profiles>(UserFolder(), ProfFolder());
    }
    std::string PathOf(const std::string& file) const { return dir / ("user/profiles/" + file); }
    std::string Read(const std::string& file) const { return TempDir::ReadFile(PathOf(file)); }
    // A profile file whose check value matches, unless asked otherwise.
    void Write(const std::string& file, const std::string& text, bool withCrc = true)
    {
        IniDocument doc;
        ParseInto(doc, text);
        if (withCrc)
            doc.GetOrAddKey(doc.AddSection("Main"), "CRC").SetValue(std::to_string(Profiles::CheckValue(doc)));
        dir.WriteFile("user/profiles/" + file, IniFormatDocument(doc));
    }
    void WriteRaw(const std::string& file, const std::string& bytes)
    {
        dir.WriteFile("user/profiles/" + file, bytes);
    }
    void WriteSettings(const std::u16string& text)
    {
        dir.WriteFile("user/settings.ini", "\xFF\xFE" + Utf16Bytes(text));
    }
    int Logged(std::string_view text) const
    {
        int n = 0;
        for (const std::string& line : sink.debugLines)
            n += line.find(text) != std::string::npos;
        return n;
    }

    LogCapture logOpen; // opens the process log; the sink below gets what it writes
    CapturingSink sink;
    TempDir dir;
    ScopedWorkingDirectory cwd;
};

TEST(ProfileCheckValue, SumsValuesButNotTheCheckValueItself)
{
    struct Case {
        const char* text;
        uint16_t expected;
    };
    const Case cases[] = {
        {"[Main]\nName=123456789", 19255},
        {"[Main]\nCRC=5\nv=123456789", 19255},
        {"[Main]\ncrc=5\nv=123456789", 19255},                // the reader finds it in any case
        {"[Main]\nv=1234\n[S]\nCrc=9\n; 99\nw=56789", 19255}, // in any section; comments do not count
        {"", 0xFFFF},
    };
    for (const Case& c : cases) {
        IniDocument doc;
        ParseInto(doc, c.text);
        EXPECT_EQ(Profiles::CheckValue(doc), c.expected) << c.text;
    }
}

TEST_F(ProfilesTest, NameIsStoredInHexadecimalAndReadInEitherCase)
{
    {
        auto profiles = Open();
        ASSERT_TRUE(profiles->AddProfile(u"Ann"));
        profiles->SelectProfile(u"Ann");
        ASSERT_TRUE(profiles->SaveCurrent());
    }
    EXPECT_NE(Read("profile0.prf").find("Name=0041006e006e"), std::string::npos) << Read("profile0.prf");
    Write("profile1.prf", "[Main]\nName=0042004F0042\n");
    auto profiles = Open();
    EXPECT_EQ(profiles->CopyKeysToVector(), (std::vector<std::u16string>{u"Ann", u"BOB"}));
    profiles->SelectProfile(u"BOB");
    EXPECT_TRUE(profiles->LoadCurrent());
    EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(ProfilesTest, TheGameAcceptsEveryProfileItWrote)
{
    // Every hex digit in the name, and values the ini syntax would bend.
    const std::u16string name = u"\u0123\u4567\u89ab\ucdef\u00e9Z";
    const std::map<std::string, std::string> values = {
        {"lead", "  two blanks before"},
        {"trail", "a tab after\t"},
        {"both", " both "},
        {"url", "http://example.org/x"},
        {"block", "a /* b */ c"},
        {"slash", "ends in a slash/"},
        {"back", "ends in a backslash\\"},
        {"marks", "semi;colon #hash = equals [x]"},
        {"lines", "<a>\n  <b/>\r\n</a>"},
        {"accent", "caf\xE9 \xFF"},
        {"empty", ""},
        {"blank", " "},
    };
    {
        auto profiles = Open();
        ASSERT_TRUE(profiles->AddProfile(name));
        profiles->SelectProfile(name);
        for (const auto& [key, value] : values)
            profiles->SetString("Values", key, value);
        profiles->SetString("Other", "crc", "not the check value");
        ASSERT_TRUE(profiles->SaveCurrent());
    }
    for (int round = 0; round < 2; ++round) {
        // The file as written, then as written again after a load.
        auto profiles = Open();
        EXPECT_EQ(profiles->CurrentName(), name);
        ASSERT_TRUE(profiles->LoadCurrent()) << Read("profile0.prf");
        for (const auto& [key, value] : values) {
            std::string read;
            EXPECT_TRUE(profiles->Lookup("Values", key, read)) << key;
            EXPECT_EQ(read, value) << key;
        }
    }
    EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(ProfilesTest, EditedProfileIsReportedOnceAndNeverWritten)
{
    Write("profile0.prf", "[Main]\nName=0041006e006e\nLevel=3\n");
    std::string text = Read("profile0.prf");
    text.replace(text.find("Level=3"), 7, "Level=9");
    WriteRaw("profile0.prf", text);
    {
        auto profiles = Open();
        EXPECT_EQ(profiles->CurrentName(), u"Ann");
        EXPECT_FALSE(profiles->LoadCurrent());
        EXPECT_FALSE(profiles->LoadCurrent());
        ASSERT_EQ(sink.boxes.size(), 1u);
        EXPECT_EQ(sink.boxes[0].text, "Bad CRC: \"profile0.prf\"");
        EXPECT_EQ(sink.boxes[0].caption, "Error!");
        EXPECT_EQ(sink.boxes[0].style & kMessageBoxIconMask, unsigned(MB_ICONWARNING));
        // Values fall back to the game settings; nothing can be set.
        EXPECT_EQ(profiles->GetString("Options", "FullScreen"), "1");
        profiles->SetString("Main", "Level", "10");
        EXPECT_FALSE(profiles->SaveCurrent());
        // A new profile takes another file.
        ASSERT_TRUE(profiles->AddProfile(u"Developer"));
        EXPECT_EQ(profiles->Entries().at(u"Developer").fileName, "profile1.prf");
        EXPECT_EQ(profiles->RenameProfile(u"Ann", u"Anna"), ProfileRename::Unreadable);
        EXPECT_TRUE(profiles->HasProfile(u"Ann"));
    }
    EXPECT_EQ(Read("profile0.prf"), text);
    EXPECT_TRUE(FileExists(PathOf("profile1.prf")));
}

TEST_F(ProfilesTest, MissingCheckValueIsDamage)
{
    Write("profile0.prf", "[Main]\nName=0041\n", false);
    auto profiles = Open();
    EXPECT_FALSE(profiles->LoadCurrent());
    EXPECT_EQ(sink.boxes.size(), 1u);
}

TEST_F(ProfilesTest, NewProfilesGetDistinctFreeFileNames)
{
    Write("profile0.prf", "[Main]\nName=0041\n");
    Write("profile2.prf", "[Main]\nName=0042\n");
    WriteRaw("PROFILE4.PRF", "junk without a name");
    auto profiles = Open();
    ASSERT_TRUE(profiles->AddProfile(u"C"));
    ASSERT_TRUE(profiles->AddProfile(u"D"));
    ASSERT_TRUE(profiles->AddProfile(u"E"));
    EXPECT_EQ(profiles->Entries().at(u"C").fileName, "profile1.prf");
    EXPECT_EQ(profiles->Entries().at(u"D").fileName, "profile3.prf");
    EXPECT_EQ(profiles->Entries().at(u"E").fileName, "profile5.prf");
    EXPECT_FALSE(profiles->AddProfile(u"C"));
    EXPECT_FALSE(profiles->AddProfile(u""));
    profiles.reset();
    EXPECT_EQ(Read("PROFILE4.PRF"), "junk without a name");
    EXPECT_EQ(Open()->CopyKeysToVector(), (std::vector<std::u16string>{u"A", u"B", u"C", u"D", u"E"}));
}

TEST_F(ProfilesTest, SettingsNameTheCurrentProfileInQuotes)
{
    Write("profile0.prf", "[Main]\nName=0041006e006e\n");
    Write("profile1.prf", "[Main]\nName=0042006f0062\n");
    struct Case {
        const char16_t* settings; // null: no settings.ini
        const char16_t* current;
    };
    const Case cases[] = {
        {u"[Main]\r\nProfile=\"Bob\"", u"Bob"}, {u"[Main]\r\nProfile=Bob", u"Ann"}, // unquoted: the first in name
                                                                                    // order
        {u"[Main]\r\nProfile=\"Zed\"", u"Ann"},                                     // no such profile
        {u"[Main]\r\nProfile=\"\"", u"Ann"},    {u"[Other]\r\nProfile=\"Bob\"", u"Ann"}, {nullptr, u"Ann"},
    };
    for (const Case& c : cases) {
        RemoveFile(dir / "user/settings.ini");
        if (c.settings)
            WriteSettings(c.settings);
        EXPECT_EQ(Open()->CurrentName(), c.current) << (c.settings ? Utf16ToUtf8(c.settings) : "none");
    }
    {
        auto profiles = Open();
        profiles->SelectProfile(u"Bob");
    }
    IniDocumentW settings;
    ASSERT_TRUE(LoadIniFileW(settings, dir / "user/settings.ini"));
    EXPECT_EQ(settings.FindKey(u"Main", u"Profile").Value(), u"\"Bob\"");
}

TEST_F(ProfilesTest, NoProfilesNoCurrent)
{
    auto profiles = Open();
    EXPECT_TRUE(profiles->HasNoProfiles());
    EXPECT_FALSE(profiles->HasCurrent());
    EXPECT_FALSE(profiles->LoadCurrent());
    EXPECT_FALSE(profiles->SaveCurrent());
    std::string value = "x";
    EXPECT_FALSE(profiles->Lookup("Main", "Name", value));
    EXPECT_EQ(profiles->GetString("Game", "StartScene"), "hold");
    EXPECT_EQ(profiles->GetString("Main", "Nothing"), "");
    EXPECT_EQ(Logged("String not found in profile: section=\"Main\"; key=\"Nothing\""), 1);
    profiles.reset();
    EXPECT_FALSE(FileExists(dir / "user/settings.ini"));
}

TEST_F(ProfilesTest, FolderFullOfJunkIsReportedAndLeftAlone)
{
    Write("good.prf", "[Main]\nName=0041\n");
    const std::map<std::string, std::string> junk = {
        {"empty.prf", ""},
        {"noname.prf", "[Main]\r\nCRC=1\r\n"},
        {"emptyname.prf", "[Main]\r\nName=\r\nCRC=65535\r\n"},
        {"binary.prf", std::string("\0\xFF\xFE[\x01=\n\n]]]", 12)},
        {"twin.prf", "[Main]\r\nName=0041\r\nCRC=0\r\n"},
        {"notes.txt", "[Main]\r\nName=0058\r\n"},
    };
    for (const auto& [file, bytes] : junk)
        WriteRaw(file, bytes);
    MakeDirectories(PathOf("folder.prf"));
    // Names that would block or never end when read, and one that leads nowhere.
    ASSERT_EQ(mkfifo(PathOf("pipe.prf").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", PathOf("zeros.prf"));
    std::filesystem::create_symlink(PathOf("gone.prf"), PathOf("dangling.prf"));
    {
        auto profiles = Open();
        EXPECT_EQ(profiles->CopyKeysToVector(), std::vector<std::u16string>{u"A"});
        EXPECT_EQ(profiles->Entries().at(u"A").fileName, "good.prf");
        EXPECT_TRUE(profiles->LoadCurrent());
        EXPECT_EQ(Logged("Error in profile ini: Can't find \"key\" in [Main]"), 3); // empty, noname, binary
        EXPECT_EQ(Logged("empty name"), 1);
        EXPECT_EQ(Logged("twin.prf"), 1);
        EXPECT_EQ(Logged("is not a file"), 3); // pipe, zeros, dangling
        ASSERT_TRUE(profiles->AddProfile(u"B"));
        EXPECT_EQ(profiles->Entries().at(u"B").fileName, "profile0.prf");
    }
    for (const auto& [file, bytes] : junk)
        EXPECT_EQ(Read(file), bytes) << file;
    EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(ProfilesTest, RenameRefusesTakenNamesAndReachesTheFile)
{
    Write("profile0.prf", "[Main]\nName=0041006e006e\n");
    Write("profile1.prf", "[Main]\nName=0042006f0062\n");
    WriteSettings(u"[Main]\r\nProfile=\"Bob\"");
    {
        auto profiles = Open();
        EXPECT_EQ(profiles->RenameProfile(u"Ann", u"Bob"), ProfileRename::NameTaken);
        EXPECT_EQ(profiles->RenameProfile(u"Zed", u"Zoe"), ProfileRename::NoSuchProfile);
        EXPECT_EQ(profiles->RenameProfile(u"Ann", u""), ProfileRename::EmptyName);
        EXPECT_EQ(profiles->CopyKeysToVector(), (std::vector<std::u16string>{u"Ann", u"Bob"}));
        // A profile not loaded yet, and the current one.
        EXPECT_EQ(profiles->RenameProfile(u"Ann", u"Cleo"), ProfileRename::Renamed);
        EXPECT_EQ(profiles->RenameProfile(u"Bob", u"Al"), ProfileRename::Renamed);
        EXPECT_EQ(profiles->CurrentName(), u"Al");
        EXPECT_EQ(profiles->CopyKeysToVector(), (std::vector<std::u16string>{u"Al", u"Cleo"}));
        // Written at once.
        IniDocument doc;
        ASSERT_TRUE(LoadIniFile(doc, PathOf("profile0.prf")));
        EXPECT_EQ(Profiles::StoredName(doc), u"Cleo");
        std::unique_ptr<IniDocument> checked;
        EXPECT_EQ(Profiles::ReadProfileFile(PathOf("profile0.prf"), checked), Profiles::ReadResult::Ok);
    }
    auto profiles = Open();
    EXPECT_EQ(profiles->CopyKeysToVector(), (std::vector<std::u16string>{u"Al", u"Cleo"}));
    EXPECT_EQ(profiles->CurrentName(), u"Al");
}

TEST_F(ProfilesTest, DeletingRemovesTheFileAndTheCurrentProfile)
{
    Write("profile0.prf", "[Main]\nName=0041\n");
    auto profiles = Open();
    ASSERT_TRUE(profiles->AddProfile(u"B")); // not written yet
    EXPECT_TRUE(profiles->RemoveCachedFile(u"B"));
    EXPECT_TRUE(profiles->RemoveCachedFile(u"A"));
    EXPECT_FALSE(profiles->RemoveCachedFile(u"A"));
    EXPECT_FALSE(FileExists(PathOf("profile0.prf")));
    EXPECT_FALSE(profiles->HasCurrent());
    EXPECT_TRUE(profiles->HasNoProfiles());
}

TEST_F(ProfilesTest, ExitWritesLoadedAndNewProfilesIntoAFreshFolder)
{
    DeleteDirectoryTree(dir / "user");
    {
        auto profiles = Open();
        ASSERT_TRUE(profiles->AddProfile(u"Developer"));
        profiles->SelectProfile(u"Developer");
        profiles->SetString("Options", "FullScreen", "0");
        EXPECT_EQ(profiles->GetString("Options", "FullScreen"), "0");
        EXPECT_EQ(profiles->GetString("Game", "StartScene"), "hold");
    }
    auto profiles = Open();
    EXPECT_EQ(profiles->CurrentName(), u"Developer");
    std::string value;
    ASSERT_TRUE(profiles->Lookup("options", "fullscreen", value));
    EXPECT_EQ(value, "0");
    EXPECT_FALSE(profiles->Lookup("Options", "Missing", value));
}

TEST_F(ProfilesTest, InstanceUsesTheUserFolders)
{
    Write("profile0.prf", "[Main]\nName=0041\n");
    SetUserDataFolder(UserFolder());
    EXPECT_EQ(ProfilesFolder(), ProfFolder());
    ClearDirectoryCache();
    Profiles& profiles = Profiles::Instance();
    EXPECT_EQ(&profiles, &Profiles::Instance());
    EXPECT_EQ(profiles.CurrentName(), u"A");
    delete &profiles;
    SetUserDataFolder(u".");
}

TEST_F(ProfilesTest, XmlErrorsNameTheNode)
{
    TiXmlDocument xml;
    xml.Parse("<scene>\n  <item name=\"x\"/>\n</scene>");
    const TiXmlNode* item = xml.FirstChildElement("scene")->FirstChildElement("item");
    EXPECT_FALSE(ReportProfileXmlError("Item not found", item));
    EXPECT_FALSE(ReportProfileXmlError("No pool", nullptr));
    ASSERT_EQ(sink.boxes.size(), 2u);
    EXPECT_EQ(sink.boxes[0].caption, "Xml error (load from profile)!");
    EXPECT_EQ(sink.boxes[0].text, "Item not found\nline 2, column 3: item");
    EXPECT_EQ(sink.boxes[1].text, "No pool");
    EXPECT_EQ(Logged("(load from profile; line 2, column 3: item): Item not found\n"), 1);
    EXPECT_EQ(Logged("(load from profile): No pool\n"), 1);
}

} // namespace
} // namespace Quib
