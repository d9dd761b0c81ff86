#include "platform/SettingsFile.h"
#include "platform/SettingsRanges.h"
#include "platform/headless/CapturingSink.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace Quib {
namespace {

using Testing::ScopedEnv;
using Testing::TempDir;

std::vector<uint8_t> Bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

class SettingsFileTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv config{"XDG_CONFIG_HOME", dir.Path().c_str()};
    std::string path = SettingsFile::PathForKey("Quib Games\\Pelleranthe");
};

TEST_F(SettingsFileTest, KeysMapToFilesUnderTheConfigFolder)
{
    EXPECT_EQ(path, dir.Path() + "/Quib Games/Pelleranthe.settings");
    EXPECT_EQ(SettingsFile::PathForKey("\\Product\\"), dir.Path() + "/Product.settings");
    EXPECT_EQ(SettingsFile::PathForKey(""), "");
    // Nothing in a key reaches outside the folder.
    EXPECT_EQ(SettingsFile::PathForKey("..\\a/b\\."), dir.Path() + "/%2E%2E/a%2Fb/%2E.settings");
    EXPECT_EQ(SettingsFile::PathForKey("Caf\xE9"), dir.Path() + "/Caf%E9.settings");
}

TEST_F(SettingsFileTest, ValuesOfEveryTypeSurviveASaveAndARead)
{
    const uint8_t guid[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0xA, 0xB, 0xC, 0xD, 0xE, 0xFF};
    {
        SettingsFile file(path);
        EXPECT_FALSE(file.WasDamaged());
        EXPECT_TRUE(file.WriteDWord("MusicVolume", 85));
        EXPECT_TRUE(file.WriteDWord("PreferredX", -1));
        EXPECT_TRUE(file.WriteString("DemoJumpTime", "1:30"));
        EXPECT_TRUE(file.Write("Test3D\\DisplayGUID", REG_BINARY, guid, sizeof guid));
        EXPECT_TRUE(file.WriteString("Test3D\\FailureReason", "Caf\xE9 \"x\"\\ \n\x81"));
        EXPECT_TRUE(file.Write("Test3D\\Deeper\\Multi", REG_MULTI_SZ, "a\0b\0\0", 5));
        EXPECT_TRUE(std::filesystem::exists(path));
    }
    SettingsFile file(path);
    EXPECT_FALSE(file.WasDamaged());
    int32_t number = 0;
    EXPECT_TRUE(file.ReadDWord("MusicVolume", number));
    EXPECT_EQ(number, 85);
    EXPECT_TRUE(file.ReadDWord("preferredx", number)); // names are found whatever their case
    EXPECT_EQ(number, -1);
    std::string text;
    EXPECT_TRUE(file.ReadString("DemoJumpTime", text));
    EXPECT_EQ(text, "1:30");
    EXPECT_TRUE(file.ReadString("TEST3D\\FailureReason", text));
    EXPECT_EQ(text, "Caf\xE9 \"x\"\\ \n\x81");
    SettingsValue value;
    ASSERT_TRUE(file.Read("Test3D\\DisplayGUID", value));
    EXPECT_EQ(value.type, uint32_t(REG_BINARY));
    EXPECT_EQ(value.data, std::vector<uint8_t>(guid, guid + 16));
    ASSERT_TRUE(file.Read("Test3D\\Deeper\\Multi", value));
    EXPECT_EQ(value.type, uint32_t(REG_MULTI_SZ));
    EXPECT_EQ(value.data, Bytes(std::string_view("a\0b\0\0", 5)));
    // A DWORD is not a string and the other way round.
    EXPECT_FALSE(file.ReadString("MusicVolume", text));
    EXPECT_FALSE(file.ReadDWord("DemoJumpTime", number));
    EXPECT_FALSE(file.ReadDWord("Missing", number));
    EXPECT_FALSE(file.ReadDWord("Test3D\\MusicVolume", number)); // sub-keys keep their own values
}

TEST_F(SettingsFileTest, ReadsIntoABufferNeverPassItsSize)
{
    SettingsFile file(path);
    ASSERT_TRUE(file.WriteString("Test3D\\Warning", "Low video memory."));
    ASSERT_TRUE(file.WriteBool("Is3D", true));
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    uint32_t type = 0, size = sizeof buffer;
    EXPECT_FALSE(file.ReadInto("Test3D\\Warning", type, buffer, size));
    EXPECT_EQ(size, 18u); // the text and its terminator
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(8, '#'));
    char large[32];
    size = sizeof large;
    ASSERT_TRUE(file.ReadInto("Test3D\\Warning", type, large, size));
    EXPECT_EQ(type, uint32_t(REG_SZ));
    EXPECT_EQ(size, 18u);
    EXPECT_STREQ(large, "Low video memory.");
    size = 0;
    EXPECT_TRUE(file.ReadInto("Is3D", type, nullptr, size));
    EXPECT_EQ(type, uint32_t(REG_DWORD));
    EXPECT_EQ(size, 4u);
    bool on = false;
    EXPECT_TRUE(file.ReadBool("Is3D", on));
    EXPECT_TRUE(on);
    size = sizeof large;
    EXPECT_FALSE(file.ReadInto("Missing", type, large, size));
}

TEST_F(SettingsFileTest, StringsAlwaysComeBackWithOneTerminator)
{
    SettingsFile file(path);
    struct Case {
        std::string_view written;
        std::string_view read;
    };
    const Case cases[] = {
        {std::string_view("abc\0", 4), std::string_view("abc\0", 4)},
        {"abc", std::string_view("abc\0", 4)}, // written without one: terminated all the same
        {std::string_view("a\0b\0", 4), std::string_view("a\0b\0", 4)},
        {"", std::string_view("\0", 1)},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(file.Write("Text", REG_SZ, c.written.data(), c.written.size()));
        SettingsFile again(path);
        SettingsValue value;
        ASSERT_TRUE(again.Read("Text", value));
        EXPECT_EQ(value.data, Bytes(c.read));
    }
}

TEST_F(SettingsFileTest, HandWrittenFilesAreRead)
{
    dir.WriteFile("Quib Games/Pelleranthe.settings",
                  "\xEF\xBB\xBF# written by hand\r\n"
                  "; another comment\r\n"
                  "  \"MusicVolume\"=dword: 0x20   # hex\r\n"
                  "\"SfxVolume\" = DWORD:4294967295\r\n"
                  "\"Title\" = string:\"Caf\xC3\xA9 \xE2\x82\xAC \xE6\x97\xA5\"\r\n"
                  "\r\n"
                  "[ Test3D ]\r\n"
                  "\"DisplayGUID\" = binary:00 11,22 ff\r\n"
                  "[test3d\\\\Deeper\\]\r\n"
                  "\"Raw\" = hex(1):41\r\n");
    SettingsFile file(path);
    EXPECT_FALSE(file.WasDamaged());
    int32_t number = 0;
    EXPECT_TRUE(file.ReadDWord("MusicVolume", number));
    EXPECT_EQ(number, 32);
    EXPECT_TRUE(file.ReadDWord("SfxVolume", number));
    EXPECT_EQ(number, -1);
    std::string text;
    EXPECT_TRUE(file.ReadString("Title", text));
    EXPECT_EQ(text, "Caf\xE9 \x80 ?");
    SettingsValue value;
    ASSERT_TRUE(file.Read("Test3D\\DisplayGUID", value));
    EXPECT_EQ(value.data, std::vector<uint8_t>({0x00, 0x11, 0x22, 0xFF}));
    // A REG_SZ given in hex gets its terminator too.
    ASSERT_TRUE(file.Read("Test3D\\Deeper\\Raw", value));
    EXPECT_EQ(value.type, uint32_t(REG_SZ));
    EXPECT_EQ(value.data, Bytes(std::string_view("A\0", 2)));
}

TEST_F(SettingsFileTest, DamagedFilesFallBackToDefaultsAndAreRewrittenWhole)
{
    const char* damaged[] = {
        "\"MusicVolume\" = dword:85\n\"SfxVolume\" = dword:\n", // no number
        "\"MusicVolume\" = dword:4294967296\n",                 // out of range
        "\"MusicVolume\" = dword:-2147483649\n",                // out of range
        "\"Name = string:\"x\"\n",                              // quote not closed as meant
        "\"Name\" = string:\"x\n",                              // no closing quote
        "\"Name\" = string:\"\\q\"\n",                          // unknown escape
        "\"Name\" = binary:123\n",                              // half a byte
        "\"Name\" = float:1.5\n",                               // unknown type
        "\"Name\" dword:1\n",                                   // no '='
        "[Test3D\n",                                            // no ']'
        "[]\n",                                                 // no name
        "MusicVolume = dword:85\n",                             // unquoted name
        "\"Sub\\Name\" = dword:1\n",                            // backslash in a value name
        "\"A\" = dword:1 2\n",                                  // text after the value
    };
    for (const char* text : damaged) {
        dir.WriteFile("Quib Games/Pelleranthe.settings", text);
        CapturingSink sink;
        SettingsFile file(path);
        EXPECT_TRUE(file.WasDamaged()) << text;
        EXPECT_TRUE(file.Contents().sections.empty() || file.Contents().sections[0].entries.empty()) << text;
        int32_t number = 0;
        EXPECT_FALSE(file.ReadDWord("MusicVolume", number)) << text;
        ASSERT_EQ(sink.debugLines.size(), 1u) << text;
        EXPECT_NE(sink.debugLines[0].find("damaged"), std::string::npos);
        EXPECT_NE(sink.debugLines[0].find(path), std::string::npos);

        // The next write rewrites the whole file; the damaged one is kept.
        EXPECT_TRUE(file.WriteDWord("InProgress", 1));
        SettingsFile again(path);
        EXPECT_FALSE(again.WasDamaged()) << text;
        EXPECT_TRUE(again.ReadDWord("InProgress", number));
        EXPECT_EQ(TempDir::ReadFile(path + ".damaged"), text);
    }
}

TEST_F(SettingsFileTest, OversizedFilesAreDamagedWithoutBeingReadWhole)
{
    std::string huge = "# ";
    huge.append(SettingsFile::kMaxFileBytes, 'x');
    dir.WriteFile("Quib Games/Pelleranthe.settings", huge);
    CapturingSink sink;
    SettingsFile file(path);
    EXPECT_TRUE(file.WasDamaged());
    // Nothing a write asks may make a file the reader would refuse.
    std::string big(SettingsFile::kMaxFileBytes / 4, 'y');
    EXPECT_FALSE(file.Write("Big", REG_BINARY, big.data(), big.size() + 1));
    EXPECT_TRUE(file.Write("Big", REG_BINARY, big.data(), big.size())); // half the room in hex
    EXPECT_FALSE(file.Write("Big2", REG_BINARY, big.data(), big.size()));
    EXPECT_FALSE(file.HasValue("Big2"));
    EXPECT_TRUE(file.WriteString("Small", "ok"));
    EXPECT_FALSE(SettingsFile(path).WasDamaged());
}

// Files may grow only so far for the life of a scope (a full disk as far
// as the writer can tell).
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &mOld);
        mOldSignal = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = mOld;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~ScopedFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &mOld);
        signal(SIGXFSZ, mOldSignal);
    }

private:
    rlimit mOld{};
    sighandler_t mOldSignal;
};

TEST_F(SettingsFileTest, AFailedSaveLeavesTheOldFileAndKeepsTheValue)
{
    SettingsFile file(path);
    ASSERT_TRUE(file.WriteDWord("MusicVolume", 50));
    const std::string before = TempDir::ReadFile(path);
    {
        ScopedFileSizeLimit full(before.size() + 8);
        CapturingSink sink;
        EXPECT_FALSE(file.WriteString("Long", std::string(200, 'z')));
        EXPECT_FALSE(file.WriteDWord("MusicVolume", 60));
        EXPECT_FALSE(sink.debugLines.empty());
    }
    EXPECT_EQ(TempDir::ReadFile(path), before);
    int32_t number = 0;
    EXPECT_TRUE(file.ReadDWord("MusicVolume", number));
    EXPECT_EQ(number, 60);
    // Nothing but the file itself is left in the folder.
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path() + "/Quib Games"))
        ++files;
    EXPECT_EQ(files, 1u);
    // The values not saved go out with the next save.
    EXPECT_TRUE(file.Save());
    SettingsFile again(path);
    EXPECT_TRUE(again.ReadDWord("MusicVolume", number));
    EXPECT_EQ(number, 60);
    EXPECT_TRUE(again.HasValue("Long"));
}

TEST_F(SettingsFileTest, BatchesSaveOnceAtTheirEnd)
{
    SettingsFile file(path);
    {
        SettingsFile::Batch batch(file);
        file.WriteDWord("MusicVolume", 1);
        file.WriteDWord("SfxVolume", 2);
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    int32_t number = 0;
    SettingsFile again(path);
    EXPECT_TRUE(again.ReadDWord("SfxVolume", number));
    EXPECT_EQ(number, 2);
}

TEST_F(SettingsFileTest, DeletedValuesAreGoneFromTheFile)
{
    SettingsFile file(path);
    file.WriteDWord("Is3D", 1);
    file.WriteString("Test3D\\RuntimeError", "Clear: DDERR_GENERIC");
    EXPECT_TRUE(file.DeleteValue("is3d"));
    EXPECT_FALSE(file.DeleteValue("Is3D"));
    EXPECT_TRUE(file.DeleteValue("Test3D\\RuntimeError"));
    SettingsFile again(path);
    EXPECT_FALSE(again.HasValue("Is3D"));
    EXPECT_FALSE(again.HasValue("Test3D\\RuntimeError"));
}

TEST_F(SettingsFileTest, UnstorableValuesAreRefused)
{
    CapturingSink sink;
    SettingsFile file(path);
    EXPECT_FALSE(file.Write("Short", REG_DWORD, "ab", 2));
    EXPECT_FALSE(file.Write("Bad]Key\\Name", REG_DWORD, "abcd", 4));
    EXPECT_FALSE(file.Write("Null", REG_BINARY, nullptr, 3));
    EXPECT_FALSE(file.HasValue("Short"));
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(sink.debugLines.size(), 3u);
}

TEST_F(SettingsFileTest, NoKeyNoFile)
{
    SettingsFile file("");
    EXPECT_TRUE(file.WriteDWord("MusicVolume", 1) == false);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(SettingsText, FormatThenParseGivesTheSameContents)
{
    SettingsContents contents;
    contents.Set("", "A", {REG_DWORD, {0xFF, 0xFF, 0xFF, 0x7F}});
    contents.Set("", "Odd \"name\" \x01", {REG_SZ, Bytes(std::string_view("\x9D\t\0x\0", 5))});
    contents.Set("Sub", "Empty", {REG_BINARY, {}});
    contents.Set("Sub\\Deeper", "Short DWORD", {REG_DWORD, {1, 2}});
    contents.Set("Sub", "Type 99", {99, {1}});
    const std::string text = SettingsFile::Format(contents);
    SettingsContents back;
    std::string error;
    ASSERT_TRUE(SettingsFile::Parse(text, back, error)) << error << "\n" << text;
    EXPECT_EQ(back, contents) << text;
    EXPECT_EQ(SettingsFile::Format(back), text);
}

TEST(SettingsText, ParseErrorsNameTheLine)
{
    SettingsContents contents;
    std::string error;
    EXPECT_FALSE(SettingsFile::Parse("# fine\n\"A\" = dword:1\n\"B\" = dword:x\n", contents, error));
    EXPECT_EQ(error.rfind("line 3", 0), 0u) << error;
}

TEST(SettingRanges, ReadValuesAreBroughtIntoRange)
{
    const struct {
        const char* name;
        int32_t read;
        int32_t used;
    } cases[] = {
        {"MusicVolume", 85, 85},       {"MusicVolume", 1000, 100},     {"SfxVolume", -5, 0},
        {"AmbientVolume", 101, 100},   {"ScreenMode", 7, 1},           {"Muted", 1000, 1},
        {"CustomCursors", -1, 1},      {"WaitForVSync", 0, 0},         {"PreferredX", -1, -1},
        {"PreferredY", 100000, 32767}, {"preferredx", -99999, -32768}, {"Unknown", 123456, 123456},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClampSetting(c.name, c.read), c.used) << c.name << " " << c.read;
    EXPECT_NE(FindSettingRange("Is3D"), nullptr);
    EXPECT_EQ(FindSettingRange("DemoJumpTime"), nullptr);
}

} // namespace
} // namespace Quib
